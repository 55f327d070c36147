#pragma once

#include <QGraphicsObject>
#include <QList>
#include <QPen>

namespace QtCharts {
class QAbstractAxis;
class QChart;
}

// Draws the grid lines of the chart's axes in place of Qt Charts' own line
// items, on exactly the pixels those light. Qt lays a one-pixel grid line
// down pixel by pixel; a live reading repaints the whole plot, and its grid
// was the larger part of the chart's repaint. Here each line is one filled
// rectangle. The axes keep their grid settings (shown, colour); only their
// own lines are given an empty pen.
class ChartGridItem : public QGraphicsObject
{
public:
    // Axes in the order their grids are drawn (the order they were added).
    ChartGridItem(QtCharts::QChart *chart, const QList<QtCharts::QAbstractAxis *> &axes);

    // Gives the grid back to Qt Charts' line items (for comparing the two).
    void handBack();

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    struct Line
    {
        QLineF line;
        QPen pen;
    };
    QVector<Line> lines() const;

    QtCharts::QChart *m_chart;
    QList<QtCharts::QAbstractAxis *> m_axes;
    QRectF m_plot;
};
