#include "ui/chartinteraction.h"

#include <cmath>

#include <QBrush>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QDateTime>
#include <QGraphicsEllipseItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPen>
#include <QToolButton>
#include <QWheelEvent>

#include "ui/recordchart.h"
#include "ui/unitlabels.h"

using namespace QtCharts;

namespace {

// A reading further than this from the pointer is not the one it points at.
const double kHoverReachPixels = 40;
// A right-drag shorter than this is a click, not a span.
const double kMinimumBandPixels = 4;
// One wheel notch zooms in to 80 % of the span or out to 125 %.
const double kZoomIn = 0.8;
const double kZoomOut = 1.25;
const int kButtonMargin = 8;

const char kButtonStyle[] = "QToolButton{color: white; background: rgba(24, 144, 235, 160);"
                            " border: 1px solid rgb(24, 144, 235); border-radius: 3px; padding: 2px 8px;}"
                            "QToolButton:checked{background: rgb(24, 144, 235);}"
                            "QToolButton:disabled{color: rgb(160, 170, 190);}";

QGraphicsEllipseItem *marker(QGraphicsScene *scene, const QColor &colour)
{
    auto *item = scene->addEllipse(-5, -5, 10, 10, QPen(Qt::white, 1.5), QBrush(colour));
    item->setZValue(20);
    item->hide();
    return item;
}

} // namespace

ChartInteraction::ChartInteraction(QChartView *view, RecordChart *chart, QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_chart(chart)
{
    QGraphicsScene *scene = m_chart->chart()->scene();
    m_markerTemp = marker(scene, m_chart->seriesTemp()->color());
    m_markerWind = marker(scene, m_chart->seriesWind()->color());
    m_labelBox = scene->addRect(QRectF(), QPen(QColor(24, 144, 235)), QBrush(QColor(16, 16, 40, 220)));
    m_labelBox->setZValue(21);
    m_labelBox->hide();
    m_label = new QGraphicsSimpleTextItem(m_labelBox);
    m_label->setBrush(Qt::white);
    QFont labelFont = m_view->font();
    labelFont.setPointSize(10);
    m_label->setFont(labelFont);
    m_band = scene->addRect(QRectF(), QPen(QColor(255, 255, 255, 180), 1, Qt::DashLine),
                            QBrush(QColor(255, 255, 255, 40)));
    m_band->setZValue(19);
    m_band->hide();

    auto button = [this](const QString &text, const QString &tip) {
        auto *b = new QToolButton(m_view);
        b->setText(text);
        b->setToolTip(tip);
        b->setCheckable(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setStyleSheet(QLatin1String(kButtonStyle));
        b->show();
        return b;
    };
    m_follow = button(QCoreApplication::translate("MainWindow", "Follow"),
                      QCoreApplication::translate("MainWindow", "Keep the newest reading in view"));
    m_follow->setObjectName(QStringLiteral("tbFollow"));
    m_autoAxes = button(QCoreApplication::translate("MainWindow", "Auto axes"),
                        QCoreApplication::translate("MainWindow", "Fit the value axes to the readings shown"));
    m_autoAxes->setObjectName(QStringLiteral("tbAutoAxes"));

    connect(m_follow, &QToolButton::clicked, this, [this](bool on) {
        m_chart->viewport().setFollowing(on);
        applyView();
    });
    connect(m_autoAxes, &QToolButton::clicked, this, [this](bool on) {
        m_chart->setAutoAxes(on);
        emit autoAxesToggled(on);
    });
    // Every refresh of the chart ends with the wind series replaced.
    connect(m_chart->seriesWind(), &QXYSeries::pointsReplaced, this, &ChartInteraction::chartChanged);

    m_view->setMouseTracking(true);
    m_view->viewport()->setMouseTracking(true);
    m_viewport = m_view->viewport();
    m_viewport->installEventFilter(this);
    m_view->installEventFilter(this);
    placeButtons();
    chartChanged();
}

ChartInteraction::~ChartInteraction() = default;

bool ChartInteraction::isHoverShown() const
{
    return m_labelBox->isVisible();
}

QString ChartInteraction::hoverText() const
{
    return m_label->text();
}

QPointF ChartInteraction::chartPos(const QPoint &viewportPos) const
{
    return m_chart->chart()->mapFromScene(m_view->mapToScene(viewportPos));
}

bool ChartInteraction::inPlot(const QPointF &pos) const
{
    return m_chart->chart()->plotArea().contains(pos);
}

double ChartInteraction::timeAt(const QPointF &pos) const
{
    return m_chart->chart()->mapToValue(pos, m_chart->seriesWind()).x();
}

void ChartInteraction::chartChanged()
{
    const ChartViewport &vp = m_chart->viewport();
    m_follow->setEnabled(vp.isZoomed());
    m_follow->setChecked(vp.isFollowing());
    m_autoAxes->setChecked(m_chart->autoAxes());
    updateHover();
}

void ChartInteraction::applyView()
{
    m_chart->refresh();
    chartChanged();
    emit viewChanged();
}

void ChartInteraction::placeButtons()
{
    int right = m_view->width() - kButtonMargin;
    for (QToolButton *b : {m_follow, m_autoAxes}) {
        b->adjustSize();
        right -= b->width();
        b->move(right, kButtonMargin);
        right -= kButtonMargin / 2;
    }
}

void ChartInteraction::hideHover()
{
    m_markerTemp->hide();
    m_markerWind->hide();
    m_labelBox->hide();
}

void ChartInteraction::updateHover()
{
    if (!m_pointerInside || m_drag != Drag::None || !inPlot(m_pointerPos)) {
        hideHover();
        return;
    }
    QChart *chart = m_chart->chart();
    const QVector<QPointF> &winds = m_chart->windPoints();
    const QVector<QPointF> &temps = m_chart->temperaturePoints();
    const double x = timeAt(m_pointerPos);
    const int w = nearestPointIndex(winds, x);
    if (w < 0) {
        hideHover();
        return;
    }
    const QPointF wind = winds.at(w);
    const QPointF windAt = chart->mapToPosition(wind, m_chart->seriesWind());
    const TimeRange &view = m_chart->viewport().view();
    const bool visible = !m_chart->viewport().hasData() || (wind.x() >= view.min && wind.x() <= view.max);
    if (!visible || std::fabs(windAt.x() - m_pointerPos.x()) > kHoverReachPixels) {
        hideHover();
        return;
    }
    // The temperature of the same reading; one without a temperature has
    // no point of its own.
    const int t = nearestPointIndex(temps, wind.x());
    const bool hasTemp = t >= 0 && temps.at(t).x() == wind.x();

    const UnitChoice units = userUnits();
    QStringList lines;
    lines << QDateTime::fromMSecsSinceEpoch(qint64(wind.x())).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    lines << QStringLiteral("%1: %2 %3")
                 .arg(m_chart->seriesWind()->name(), QString::number(wind.y(), 'f', 3),
                      panelWindLabel(units.wind));
    lines << QStringLiteral("%1: %2 %3")
                 .arg(m_chart->seriesTemp()->name(),
                      hasTemp ? QString::number(temps.at(t).y(), 'f', 1) : noReadingText(),
                      trMainWindow(units.temp == 0 ? "du-C" : "du-F"));
    m_label->setText(lines.join(QLatin1Char('\n')));

    m_markerWind->setPos(chart->mapToScene(windAt));
    m_markerWind->show();
    if (hasTemp) {
        m_markerTemp->setPos(chart->mapToScene(chart->mapToPosition(temps.at(t), m_chart->seriesTemp())));
        m_markerTemp->show();
    } else {
        m_markerTemp->hide();
    }

    // The label beside the pointer, kept inside the plot.
    const QRectF text = m_label->boundingRect();
    const QRectF box(0, 0, text.width() + 12, text.height() + 8);
    m_label->setPos(6, 4);
    m_labelBox->setRect(box);
    const QRectF plot = chart->plotArea();
    double left = windAt.x() + 14;
    if (left + box.width() > plot.right())
        left = windAt.x() - 14 - box.width();
    double top = m_pointerPos.y() - box.height() - 10;
    if (top < plot.top())
        top = m_pointerPos.y() + 16;
    top = qMin(top, plot.bottom() - box.height());
    m_labelBox->setPos(chart->mapToScene(QPointF(qMax(left, plot.left()), qMax(top, plot.top()))));
    m_labelBox->show();
}

bool ChartInteraction::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view) {
        if (event->type() == QEvent::Resize)
            placeButtons();
        return false;
    }
    if (watched != m_viewport)
        return false;

    switch (event->type()) {
    case QEvent::Leave:
        m_pointerInside = false;
        hideHover();
        return false;
    case QEvent::Wheel: {
        auto *e = static_cast<QWheelEvent *>(event);
        const QPointF pos = chartPos(e->position().toPoint());
        const int delta = e->angleDelta().y();
        if (delta == 0 || !inPlot(pos))
            return true;
        const double anchor = timeAt(pos);
        const double minSpan = minimumSpanAt(m_chart->windPoints(), anchor);
        m_chart->viewport().zoom(anchor, delta > 0 ? kZoomIn : kZoomOut, minSpan);
        applyView();
        return true;
    }
    case QEvent::MouseButtonPress: {
        auto *e = static_cast<QMouseEvent *>(event);
        const QPointF pos = chartPos(e->pos());
        if (!inPlot(pos))
            return false;
        if (e->button() == Qt::RightButton
            || (e->button() == Qt::LeftButton && (e->modifiers() & Qt::ShiftModifier))) {
            m_drag = Drag::Band;
        } else if (e->button() == Qt::LeftButton) {
            m_drag = Drag::Pan;
        } else {
            return false;
        }
        m_pressPos = m_lastPos = pos;
        hideHover();
        return true;
    }
    case QEvent::MouseMove: {
        auto *e = static_cast<QMouseEvent *>(event);
        const QPointF pos = chartPos(e->pos());
        m_pointerInside = true;
        m_pointerPos = pos;
        if (m_drag == Drag::Pan) {
            const double dx = pos.x() - m_lastPos.x();
            m_lastPos = pos;
            if (dx != 0 && m_chart->viewport().isZoomed()) {
                m_chart->viewport().pan(dx, m_chart->chart()->plotArea().width());
                applyView();
            }
            return true;
        }
        if (m_drag == Drag::Band) {
            const QRectF plot = m_chart->chart()->plotArea();
            const double a = qBound(plot.left(), m_pressPos.x(), plot.right());
            const double b = qBound(plot.left(), pos.x(), plot.right());
            m_band->setRect(QRectF(m_chart->chart()->mapToScene(QPointF(qMin(a, b), plot.top())),
                                   m_chart->chart()->mapToScene(QPointF(qMax(a, b), plot.bottom()))));
            m_band->show();
            return true;
        }
        updateHover();
        return false;
    }
    case QEvent::MouseButtonRelease: {
        if (m_drag == Drag::None)
            return false;
        auto *e = static_cast<QMouseEvent *>(event);
        const QPointF pos = chartPos(e->pos());
        const Drag drag = m_drag;
        m_drag = Drag::None;
        m_band->hide();
        if (drag == Drag::Band && std::fabs(pos.x() - m_pressPos.x()) >= kMinimumBandPixels) {
            const QRectF plot = m_chart->chart()->plotArea();
            const double middle = timeAt(QPointF((pos.x() + m_pressPos.x()) / 2, pos.y()));
            m_chart->viewport().zoomToPixels(m_pressPos.x() - plot.left(), pos.x() - plot.left(), plot.width(),
                                             minimumSpanAt(m_chart->windPoints(), middle));
            applyView();
        } else {
            updateHover();
        }
        return true;
    }
    case QEvent::MouseButtonDblClick: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() != Qt::LeftButton || !inPlot(chartPos(e->pos())))
            return false;
        m_chart->viewport().showAll();
        applyView();
        return true;
    }
    case QEvent::ContextMenu:
        // The right button selects a span.
        return true;
    default:
        return false;
    }
}
