#include "ui/chartgriditem.h"

#include <QAbstractAxis>
#include <QChart>
#include <QDateTimeAxis>
#include <QPainter>
#include <QValueAxis>

#include <cmath>

using namespace QtCharts;

namespace {

int tickCount(const QAbstractAxis *axis)
{
    if (const auto *time = qobject_cast<const QDateTimeAxis *>(axis))
        return time->tickCount();
    if (const auto *value = qobject_cast<const QValueAxis *>(axis))
        return value->tickType() == QValueAxis::TicksFixed ? value->tickCount() : -1;
    return -1;
}

// A pen whose lines this item draws as rectangles: one pixel wide, solid,
// with flat or square ends. Other pens are drawn as lines.
bool plainPen(const QPen &pen)
{
    return pen.widthF() == 1.0 && !pen.isCosmetic() && pen.brush().style() == Qt::SolidPattern
           && (pen.capStyle() == Qt::FlatCap || pen.capStyle() == Qt::SquareCap);
}

// The pixels the raster engine lights for a one-pixel line along one axis
// from a to b at c (device coordinates): the row or column c falls in, and
// from the first to the last pixel of its length, which a square end
// extends by half a pixel and a flat end rounds to the nearer pixel edge.
void span(double a, double b, Qt::PenCapStyle cap, int *first, int *last)
{
    if (a > b)
        std::swap(a, b);
    if (cap == Qt::SquareCap) {
        *first = int(std::floor(a));
        *last = int(std::floor(b));
    } else {
        *first = int(std::floor(a + 0.5));
        *last = int(std::floor(b + 0.5)) - 1;
    }
}

} // namespace

ChartGridItem::ChartGridItem(QChart *chart, const QList<QAbstractAxis *> &axes)
    : QGraphicsObject(chart)
    , m_chart(chart)
    , m_axes(axes)
    , m_plot(chart->plotArea())
{
    // Where Qt Charts stacks its grids: above the plot's background and
    // shades, beneath the axes' lines and the series.
    setZValue(2);
    for (QAbstractAxis *axis : m_axes) {
        QPen pen = axis->gridLinePen();
        if (plainPen(pen) && pen.style() == Qt::SolidLine && tickCount(axis) >= 2) {
            pen.setStyle(Qt::NoPen);
            axis->setGridLinePen(pen);
        }
    }
    connect(chart, &QChart::plotAreaChanged, this, [this](const QRectF &plot) {
        prepareGeometryChange();
        m_plot = plot;
    });
}

void ChartGridItem::handBack()
{
    for (QAbstractAxis *axis : m_axes) {
        QPen pen = axis->gridLinePen();
        if (pen.style() == Qt::NoPen) {
            pen.setStyle(Qt::SolidLine);
            axis->setGridLinePen(pen);
        }
    }
    m_axes.clear();
    update();
}

QRectF ChartGridItem::boundingRect() const
{
    // Square ends reach half a pixel beyond the plot.
    return m_plot.adjusted(-1, -1, 1, 1);
}

QVector<ChartGridItem::Line> ChartGridItem::lines() const
{
    // The positions Qt Charts gives its grid lines: ticks evenly spread over
    // the plot, computed the same way, and hidden the same way when the
    // arithmetic puts the last one a hair outside.
    QVector<Line> out;
    const QRectF grid = m_chart->plotArea();
    for (const QAbstractAxis *axis : m_axes) {
        QPen pen = axis->gridLinePen();
        if (pen.style() != Qt::NoPen || !axis->isVisible() || !axis->isGridLineVisible())
            continue;
        pen.setStyle(Qt::SolidLine);
        const int n = tickCount(axis);
        if (n < 2)
            continue;
        if (axis->orientation() == Qt::Vertical) {
            const qreal delta = grid.height() / (qreal(n) - 1.0);
            for (int i = 0; i < n; ++i) {
                const qreal y = qreal(i) * -delta + grid.bottom();
                if (y < grid.top() || y > grid.bottom())
                    continue;
                out.append(Line{QLineF(grid.left(), y, grid.right(), y), pen});
            }
        } else {
            const qreal delta = grid.width() / (qreal(n) - 1.0);
            for (int i = 0; i < n; ++i) {
                const qreal x = qreal(i) * delta + grid.left();
                if (x < grid.left() || x > grid.right())
                    continue;
                out.append(Line{QLineF(x, grid.top(), x, grid.bottom()), pen});
            }
        }
    }
    return out;
}

void ChartGridItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QVector<Line> all = lines();
    if (all.isEmpty())
        return;
    const QTransform toDevice = painter->worldTransform();
    if (toDevice.type() > QTransform::TxTranslate) {
        // Scaled (a print, say): Qt's own way.
        for (const Line &l : all) {
            painter->setPen(l.pen);
            painter->drawLine(l.line);
        }
        return;
    }
    painter->save();
    painter->resetTransform();
    // One clip rectangle instead of the view's region of changed pieces, so
    // each fill is a plain one (see ChartBandItem::paint).
    painter->setClipRect(boundingRect().translated(toDevice.dx(), toDevice.dy()).toAlignedRect(), Qt::IntersectClip);
    for (const Line &l : all) {
        const QLineF d = l.line.translated(toDevice.dx(), toDevice.dy());
        int first = 0, last = -1;
        if (d.y1() == d.y2()) {
            span(d.x1(), d.x2(), l.pen.capStyle(), &first, &last);
            if (last >= first)
                painter->fillRect(QRect(first, int(std::floor(d.y1())), last - first + 1, 1), l.pen.color());
        } else {
            span(d.y1(), d.y2(), l.pen.capStyle(), &first, &last);
            if (last >= first)
                painter->fillRect(QRect(int(std::floor(d.x1())), first, 1, last - first + 1), l.pen.color());
        }
    }
    painter->restore();
}
