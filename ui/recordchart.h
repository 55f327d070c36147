#pragma once

#include <functional>

#include <QDateTime>
#include <QPointF>
#include <QVector>

#include "model/pelnorxlogitem.h"
#include "model/valuetext.h"
#include "ui/chartdecimation.h"
#include "ui/chartviewport.h"
#include "ui/minmaxpyramid.h"

struct DownloadedRecord;
class ChartBandItem;
class ChartGridItem;

namespace QtCharts {
class QChart;
class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;
}

// The window's time chart: temperature on the left axis, wind speed on the
// right, over clock time. It keeps every point of the current record set
// and gives the series only what the plot's width can show. The chart and
// its axes and series belong to the view.
class RecordChart
{
public:
    RecordChart(QtCharts::QChartView *view, int tempUnit, int windUnit);

    QtCharts::QChart *chart() const { return m_chart; }
    QtCharts::QDateTimeAxis *axisTime() const { return m_axisTime; }
    QtCharts::QValueAxis *axisTemp() const { return m_axisTemp; }
    QtCharts::QValueAxis *axisWind() const { return m_axisWind; }
    QtCharts::QLineSeries *seriesTemp() const { return m_seriesTemp; }
    QtCharts::QLineSeries *seriesWind() const { return m_seriesWind; }

    // The full data, x in ms since the epoch.
    const QVector<QPointF> &temperaturePoints() const { return m_tempPoints; }
    const QVector<QPointF> &windPoints() const { return m_windPoints; }

    // Axis titles and ranges for the user's units.
    void updateAxes(int tempUnit, int windUnit);
    // No points; the time axis at `now` alone.
    void clear();
    // One live reading taken at `now`; the first one also starts the axis.
    void appendLive(const PelnorXLogItem &record, const UnitChoice &units, const QDateTime &now,
                    bool first);
    // Downloaded records at their places on the time axis, which ends at `now`.
    void showDownloaded(const QVector<DownloadedRecord> &records, const UnitChoice &units, const QDateTime &now);
    // Readings read back from the history at the given times (ms since the
    // epoch, one per reading, ascending); the time axis spans them.
    void showReadings(const QList<PelnorXLogItem> &records, const QVector<qint64> &timesMs, const UnitChoice &units);
    // The points' values afresh in new units, at the times they had.
    void convert(const QList<PelnorXLogItem> &records, const UnitChoice &units);
    // The same from count readings, reading(i, &item) giving the i-th (false:
    // none, the point stays as it is).
    void convert(int count, const std::function<bool(int, PelnorXLogItem *)> &reading,
                 const UnitChoice &units);
    // Hands the series the points of the visible range, reduced to the
    // plot's current width when there are more than it shows.
    void refresh();
    // The next point starts a new stretch of line: nothing is drawn across
    // the time before it (a recording resumed after its port came back).
    void beginSegment();
    int segmentCount() const { return 1 + m_segmentStarts.size(); }
    // What the dense columns of the temperature series are drawn with.
    const ChartBandItem *temperatureBand() const { return m_tempBand; }
    ChartGridItem *grid() const { return m_grid; }

    // The time window in view (zoom, pan, following the newest reading).
    ChartViewport &viewport() { return m_viewport; }
    const ChartViewport &viewport() const { return m_viewport; }
    // Value axes fitted to the points shown instead of the units' fixed ranges.
    void setAutoAxes(bool on);
    bool autoAxes() const { return m_autoAxes; }

private:
    void startPendingSegment(double x);
    void replaceSegmented(const QVector<QPointF> &temps, const QVector<QPointF> &winds);
    void dropSegments();
    void fitValueAxes(const BandedLine &temps, const BandedLine &winds);

    QtCharts::QChart *m_chart = nullptr;
    QtCharts::QDateTimeAxis *m_axisTime = nullptr;
    QtCharts::QValueAxis *m_axisTemp = nullptr;
    QtCharts::QValueAxis *m_axisWind = nullptr;
    QtCharts::QLineSeries *m_seriesTemp = nullptr;
    QtCharts::QLineSeries *m_seriesWind = nullptr;
    ChartBandItem *m_tempBand = nullptr;
    ChartBandItem *m_windBand = nullptr;
    ChartGridItem *m_grid = nullptr;
    QVector<QPointF> m_tempPoints;
    QVector<QPointF> m_windPoints;
    // Later stretches of line: the x of each one's first point, and the
    // series that draw them (same pen, no legend entry).
    bool m_segmentPending = false;
    QVector<double> m_segmentStarts;
    QVector<QtCharts::QLineSeries *> m_tempSegments;
    QVector<QtCharts::QLineSeries *> m_windSegments;
    MinMaxPyramid m_tempReduction{&m_tempPoints};
    MinMaxPyramid m_windReduction{&m_windPoints};
    ChartViewport m_viewport;
    bool m_autoAxes = false;
    int m_tempUnit = 0;
    int m_windUnit = 0;
};
