#pragma once

#include <QGraphicsObject>
#include <QVector>

#include "ui/chartdecimation.h"

namespace QtCharts {
class QChart;
class QXYSeries;
}

// Draws the dense columns of one series' reduced line (bandDenseColumns)
// as filled rectangles in the series' colour, covering the rows a line
// stroked through every reading of the column covers. Put on the chart just
// before its series, it is drawn beneath it; it reads the series' axes when
// it paints, so it moves with every range change the series makes.
class ChartBandItem : public QGraphicsObject
{
public:
    ChartBandItem(QtCharts::QChart *chart, QtCharts::QXYSeries *series);

    void setBands(const QVector<ChartBand> &bands);
    const QVector<ChartBand> &bands() const { return m_bands; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    // The band's rectangles in the chart's coordinates, clipped to its plot.
    QVector<QRect> pixelRects() const;

    QtCharts::QChart *m_chart;
    QtCharts::QXYSeries *m_series;
    QVector<ChartBand> m_bands;
    QRectF m_plot;
};
