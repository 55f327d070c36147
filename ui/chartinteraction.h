#pragma once

#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QString>

class QGraphicsEllipseItem;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;
class QToolButton;
class RecordChart;

namespace QtCharts {
class QChartView;
}

// What the pointer does over the chart: hovering shows the time and values
// of the nearest reading (a marker on each series and a small label), the
// wheel zooms the time axis around the pointer, dragging pans, a drag with
// the right button (or with Shift) selects a span to zoom to, a
// double-click shows every reading again. "Follow" brings a zoomed view
// back to the newest reading; "Auto axes" fits the value axes to what is
// shown. The full-resolution points stay the source of everything shown.
class ChartInteraction : public QObject
{
    Q_OBJECT

public:
    ChartInteraction(QtCharts::QChartView *view, RecordChart *chart, QObject *parent = nullptr);
    ~ChartInteraction() override;

    QToolButton *followButton() const { return m_follow; }
    QToolButton *autoAxesButton() const { return m_autoAxes; }

    bool isHoverShown() const;
    QString hoverText() const;

    // The buttons and the hover label afresh after the chart changed.
    void chartChanged();

signals:
    // The user zoomed, panned, selected a span or returned to the full view.
    void viewChanged();
    void autoAxesToggled(bool on);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Chart item coordinates of a position in the view's viewport.
    QPointF chartPos(const QPoint &viewportPos) const;
    bool inPlot(const QPointF &pos) const;
    double timeAt(const QPointF &pos) const;
    void applyView();
    void updateHover();
    void hideHover();
    void placeButtons();

    QtCharts::QChartView *m_view = nullptr;
    QWidget *m_viewport = nullptr;
    RecordChart *m_chart = nullptr;
    QToolButton *m_follow = nullptr;
    QToolButton *m_autoAxes = nullptr;

    QGraphicsEllipseItem *m_markerTemp = nullptr;
    QGraphicsEllipseItem *m_markerWind = nullptr;
    QGraphicsRectItem *m_labelBox = nullptr;
    QGraphicsSimpleTextItem *m_label = nullptr;
    QGraphicsRectItem *m_band = nullptr;

    enum class Drag { None, Pan, Band };
    Drag m_drag = Drag::None;
    QPointF m_pressPos;
    QPointF m_lastPos;
    bool m_pointerInside = false;
    QPointF m_pointerPos;
};
