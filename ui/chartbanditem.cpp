#include "ui/chartbanditem.h"

#include <QAbstractAxis>
#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QPainter>
#include <QValueAxis>
#include <QXYSeries>

#include <cmath>

using namespace QtCharts;

namespace {

// An axis' range as numbers: ms since the epoch for time.
bool axisRange(const QAbstractAxis *axis, double *min, double *max)
{
    if (const auto *time = qobject_cast<const QDateTimeAxis *>(axis)) {
        *min = double(time->min().toMSecsSinceEpoch());
        *max = double(time->max().toMSecsSinceEpoch());
        return true;
    }
    if (const auto *value = qobject_cast<const QValueAxis *>(axis)) {
        *min = value->min();
        *max = value->max();
        return true;
    }
    return false;
}

} // namespace

ChartBandItem::ChartBandItem(QChart *chart, QXYSeries *series)
    : QGraphicsObject(chart)
    , m_chart(chart)
    , m_series(series)
    , m_plot(chart->plotArea())
{
    // Where Qt Charts stacks its series, above the axes and the grid; among
    // the series, in the order the items were put on the chart.
    setZValue(4);
    connect(chart, &QChart::plotAreaChanged, this, [this](const QRectF &plot) {
        prepareGeometryChange();
        m_plot = plot;
    });
}

void ChartBandItem::setBands(const QVector<ChartBand> &bands)
{
    if (bands.isEmpty() && m_bands.isEmpty())
        return;
    m_bands = bands;
    update();
}

QRectF ChartBandItem::boundingRect() const
{
    return m_plot;
}

QVector<QRect> ChartBandItem::pixelRects() const
{
    QVector<QRect> rects;
    if (m_bands.isEmpty() || !m_series->isVisible())
        return rects;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    const QList<QAbstractAxis *> axes = m_series->attachedAxes();
    const QAbstractAxis *xAxis = nullptr;
    const QAbstractAxis *yAxis = nullptr;
    for (const QAbstractAxis *axis : axes)
        (axis->orientation() == Qt::Horizontal ? xAxis : yAxis) = axis;
    if (!xAxis || !yAxis || !axisRange(xAxis, &xMin, &xMax) || !axisRange(yAxis, &yMin, &yMax)
        || !(xMax > xMin) || !(yMax > yMin))
        return rects;

    // The series' own mapping of values to the plot, pixel edges rounded so
    // neighbouring columns meet without a gap or an overlap.
    const QRectF plot = m_chart->plotArea();
    const double sx = plot.width() / (xMax - xMin);
    const double sy = plot.height() / (yMax - yMin);
    // A line stroked up and down through a column's readings turns at
    // its lowest and highest, and the rows it lights there reach about
    // half a pixel beyond them.
    const double reach = 0.5;
    const QRect clip(QPoint(int(std::ceil(plot.left())), int(std::ceil(plot.top()))),
                     QPoint(int(std::floor(plot.right())) - 1, int(std::floor(plot.bottom())) - 1));
    rects.reserve(m_bands.size());
    for (const ChartBand &b : m_bands) {
        const int left = int(std::lround(plot.left() + (b.x0 - xMin) * sx));
        const int right = int(std::lround(plot.left() + (b.x1 - xMin) * sx));
        const int top = int(std::floor(plot.bottom() - (b.high - yMin) * sy - reach + 0.5));
        const int bottom = int(std::floor(plot.bottom() - (b.low - yMin) * sy + reach + 0.5));
        const QRect r = QRect(left, top, right - left, bottom - top).intersected(clip);
        if (!r.isEmpty())
            rects.append(r);
    }
    return rects;
}

void ChartBandItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QVector<QRect> rects = pixelRects();
    if (rects.isEmpty())
        return;
    // The view repaints the region of what changed, which is many pieces
    // (the plot, each time label); against such a clip every rectangle is
    // cut scanline by scanline. Within the plot the region is mostly the
    // plot itself, and a clip of one rectangle lets each fill be a plain one.
    painter->save();
    painter->setClipRect(m_chart->plotArea().toAlignedRect(), Qt::IntersectClip);
    const QColor colour = m_series->pen().color();
    for (const QRect &r : rects)
        painter->fillRect(r, colour);
    painter->restore();
}
