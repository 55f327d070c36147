#include "ui/recordchart.h"

#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QDateTimeAxis>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>

#include "device/storedpackage.h"
#include "ui/chartbanditem.h"
#include "ui/chartgriditem.h"
#include "ui/chartshadow.h"
#include "ui/unitlabels.h"

using namespace QtCharts;

namespace {
// Spacing of downloaded records on the time axis.
const qint64 kDownloadSpacingMs = 500;
}

RecordChart::RecordChart(QChartView *view, int tempUnit, int windUnit)
{
    m_chart = new QChart();
    m_chart->setTitle(QCoreApplication::translate("MainWindow", "AQ7316 Data"));
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSize(14);
    m_chart->setTitleFont(titleFont);
    m_chart->setTitleBrush(QBrush(QColor(255, 255, 255), Qt::SolidPattern));
    m_chart->setBackgroundBrush(QBrush(QColor(32, 32, 64), Qt::SolidPattern));
    m_chart->setTheme(QChart::ChartThemeBlueIcy);
    cacheChartShadow(m_chart);

    QFont axisFont(QStringLiteral("Arial"));
    axisFont.setPointSize(12);

    m_axisTime = new QDateTimeAxis();
    m_axisTime->setTitleText(QCoreApplication::translate("MainWindow", "Time"));
    m_axisTime->setTitleFont(axisFont);
    m_axisTime->setGridLineVisible(true);
    m_axisTime->setFormat(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    m_chart->addAxis(m_axisTime, Qt::AlignBottom);

    m_axisTemp = new QValueAxis();
    m_axisTemp->setGridLineVisible(true);
    m_axisTemp->setTitleFont(axisFont);
    m_chart->addAxis(m_axisTemp, Qt::AlignLeft);

    m_axisWind = new QValueAxis();
    QFont windFont(QString::fromUtf8("宋体"));
    windFont.setPointSize(12);
    m_axisWind->setTitleFont(windFont);
    m_chart->addAxis(m_axisWind, Qt::AlignRight);

    updateAxes(tempUnit, windUnit);

    m_seriesTemp = new QLineSeries();
    m_seriesTemp->setColor(QColor(232, 64, 64));
    m_seriesTemp->setName(QCoreApplication::translate("MainWindow", "Temperature"));
    // Each band goes on just before its series: drawn beneath its own
    // line and the later series, as the line it stands for would be.
    m_tempBand = new ChartBandItem(m_chart, m_seriesTemp);
    m_chart->addSeries(m_seriesTemp);
    m_seriesTemp->attachAxis(m_axisTime);
    m_seriesTemp->attachAxis(m_axisTemp);

    m_seriesWind = new QLineSeries();
    m_seriesWind->setColor(QColor(64, 232, 64));
    m_seriesWind->setName(QCoreApplication::translate("MainWindow", "Vel"));
    m_windBand = new ChartBandItem(m_chart, m_seriesWind);
    m_chart->addSeries(m_seriesWind);
    m_seriesWind->attachAxis(m_axisTime);
    m_seriesWind->attachAxis(m_axisWind);

    m_axisTime->setGridLineColor(QColor(0, 0, 229));
    m_axisWind->setGridLineColor(QColor(0, 0, 229));
    m_grid = new ChartGridItem(m_chart, {m_axisTime, m_axisTemp, m_axisWind});

    // The view comes with a chart of its own, which it gives up, not frees.
    QChart *placeholder = view->chart();
    view->setChart(m_chart);
    delete placeholder;
}

void RecordChart::updateAxes(int tempUnit, int windUnit)
{
    m_tempUnit = tempUnit;
    m_windUnit = windUnit;
    if (m_autoAxes && m_seriesWind) {
        m_axisTemp->setTitleText(trMainWindow(temperatureAxis(tempUnit).titleSource));
        m_axisWind->setTitleText(trMainWindow(windAxis(windUnit).titleSource));
        fitValueAxes(BandedLine{m_seriesTemp->pointsVector(), m_tempBand->bands()},
                     BandedLine{m_seriesWind->pointsVector(), m_windBand->bands()});
        return;
    }
    for (QValueAxis *axis : {m_axisTemp, m_axisWind}) {
        axis->setTickCount(5);
        axis->setLabelFormat(QString());
    }
    const AxisSpec temp = temperatureAxis(tempUnit);
    m_axisTemp->setTitleText(trMainWindow(temp.titleSource));
    m_axisTemp->setRange(temp.min, temp.max);
    const AxisSpec wind = windAxis(windUnit);
    m_axisWind->setTitleText(trMainWindow(wind.titleSource));
    m_axisWind->setRange(wind.min, wind.max);
}

void RecordChart::clear()
{
    m_tempPoints.clear();
    m_windPoints.clear();
    m_seriesTemp->clear();
    m_seriesWind->clear();
    m_tempBand->setBands({});
    m_windBand->setBands({});
    dropSegments();
    m_viewport.clear();
    const QDateTime now = QDateTime::currentDateTime();
    m_axisTime->setRange(now, now);
}

void RecordChart::appendLive(const PelnorXLogItem &record, const UnitChoice &units, const QDateTime &now,
                             bool first)
{
    const double x = double(now.toMSecsSinceEpoch());
    startPendingSegment(x);
    if (hasTemperatureReading(record, RowOrigin::Live))
        m_tempPoints.append(QPointF(x, chartTemperature(record, units.temp)));
    m_windPoints.append(QPointF(x, chartWindSpeed(record, units.wind)));

    // The series are emptied before the axis moves: a range change lays
    // out every point of both series, and the new points are laid out again
    // right after; this way they are laid out once per frame.
    m_seriesTemp->clear();
    m_seriesWind->clear();
    if (first)
        m_viewport.clear();
    m_viewport.addReading(x);
    refresh();
}

void RecordChart::showDownloaded(const QVector<DownloadedRecord> &records, const UnitChoice &units,
                                 const QDateTime &now)
{
    const int n = records.size();
    m_tempPoints.reserve(m_tempPoints.size() + n);
    m_windPoints.reserve(m_windPoints.size() + n);
    for (const DownloadedRecord &r : records) {
        const double x = double(r.chartTimeMs);
        m_tempPoints.append(QPointF(x, chartTemperature(r.item, units.temp)));
        m_windPoints.append(QPointF(x, chartWindSpeed(r.item, units.wind)));
    }
    if (n > 0)
        m_viewport.setData(TimeRange{double(now.addMSecs(-kDownloadSpacingMs * n).toMSecsSinceEpoch()),
                                     double(now.toMSecsSinceEpoch())});
    refresh();
}

void RecordChart::showReadings(const QList<PelnorXLogItem> &records, const QVector<qint64> &timesMs,
                               const UnitChoice &units)
{
    const int n = qMin(records.size(), timesMs.size());
    m_tempPoints.clear();
    m_windPoints.clear();
    m_tempReduction.invalidate();
    m_windReduction.invalidate();
    m_tempPoints.reserve(n);
    m_windPoints.reserve(n);
    for (int i = 0; i < n; ++i) {
        const PelnorXLogItem &r = records.at(i);
        const double x = double(timesMs.at(i));
        if (hasTemperatureReading(r, RowOrigin::Rebuilt))
            m_tempPoints.append(QPointF(x, chartTemperature(r, units.temp)));
        m_windPoints.append(QPointF(x, chartWindSpeed(r, units.wind)));
    }
    m_seriesTemp->clear();
    m_seriesWind->clear();
    dropSegments();
    if (n > 0)
        m_axisTime->setRange(QDateTime::fromMSecsSinceEpoch(timesMs.first()),
                             QDateTime::fromMSecsSinceEpoch(timesMs.at(n - 1)));
    refresh();
}

void RecordChart::convert(const QList<PelnorXLogItem> &records, const UnitChoice &units)
{
    convert(
        records.size(),
        [&records](int i, PelnorXLogItem *item) {
            *item = records.at(i);
            return true;
        },
        units);
}

void RecordChart::convert(int count, const std::function<bool(int, PelnorXLogItem *)> &reading,
                          const UnitChoice &units)
{
    // Wind points pair one to one with the records; a record without a
    // temperature reading has no temperature point, so the temperature
    // series is built afresh at the wind points' times.
    const int paired = qMin(count, m_windPoints.size());
    QVector<QPointF> temps;
    temps.reserve(paired);
    PelnorXLogItem r{};
    for (int i = 0; i < paired; ++i) {
        if (!reading(i, &r))
            continue;
        const double x = m_windPoints.at(i).x();
        m_windPoints[i].setY(chartWindSpeed(r, units.wind));
        if (hasTemperatureReading(r, RowOrigin::Rebuilt))
            temps.append(QPointF(x, chartTemperature(r, units.temp)));
    }
    m_tempPoints = temps;
    m_tempReduction.invalidate();
    m_windReduction.invalidate();
    refresh();
}

void RecordChart::refresh()
{
    // Points put in without the viewport hearing of them (a run shown
    // afresh) widen its data to theirs.
    if (!m_windPoints.isEmpty()) {
        const double first = qMin(m_windPoints.first().x(), m_tempPoints.isEmpty() ? m_windPoints.first().x() : m_tempPoints.first().x());
        const double last = qMax(m_windPoints.last().x(), m_tempPoints.isEmpty() ? m_windPoints.last().x() : m_tempPoints.last().x());
        const TimeRange &data = m_viewport.data();
        if (!m_viewport.hasData() || first < data.min || last > data.max)
            m_viewport.setData(TimeRange{m_viewport.hasData() ? qMin(first, data.min) : first,
                                         m_viewport.hasData() ? qMax(last, data.max) : last});
    }
    TimeRange range{double(m_axisTime->min().toMSecsSinceEpoch()), double(m_axisTime->max().toMSecsSinceEpoch())};
    if (m_viewport.hasData()) {
        range = m_viewport.view();
        const qint64 from = qint64(range.min);
        const qint64 to = qint64(range.max);
        if (m_axisTime->min().toMSecsSinceEpoch() != from || m_axisTime->max().toMSecsSinceEpoch() != to)
            m_axisTime->setRange(QDateTime::fromMSecsSinceEpoch(from), QDateTime::fromMSecsSinceEpoch(to));
    }
    // Two points per column (four in the outermost ones); one column per
    // two pixels keeps the line as sharp as the screen shows it.
    int columns = int(m_chart->plotArea().width()) / 2;
    if (columns < 200)
        columns = 800;
    // Reduced columns that hold several readings are drawn as bands.
    auto reduce = [&range, columns](const MinMaxPyramid &reduction) {
        bool reduced = false;
        QVector<QPointF> points = reduction.displayPoints(range.min, range.max, columns, &reduced);
        return reduced ? bandDenseColumns(points, range.min, range.max, columns) : BandedLine{points, {}};
    };
    BandedLine temps = reduce(m_tempReduction);
    BandedLine winds = reduce(m_windReduction);
    if (m_autoAxes)
        fitValueAxes(temps, winds);
    const double plotHeight = m_chart->plotArea().height();
    if (plotHeight > 0) {
        thinBandedLine(&temps, (m_axisTemp->max() - m_axisTemp->min()) / plotHeight);
        thinBandedLine(&winds, (m_axisWind->max() - m_axisWind->min()) / plotHeight);
    }
    m_tempBand->setBands(temps.bands);
    m_windBand->setBands(winds.bands);
    if (!m_segmentStarts.isEmpty()) {
        replaceSegmented(temps.line, winds.line);
        return;
    }
    m_seriesTemp->replace(temps.line);
    m_seriesWind->replace(winds.line);
}

void RecordChart::setAutoAxes(bool on)
{
    m_autoAxes = on;
    updateAxes(m_tempUnit, m_windUnit);
    refresh();
}

void RecordChart::fitValueAxes(const BandedLine &temps, const BandedLine &winds)
{
    // Only the points inside the time range count: the neighbours that run
    // the line to the plot's edges may lie far off.
    const double from = double(m_axisTime->min().toMSecsSinceEpoch());
    const double to = double(m_axisTime->max().toMSecsSinceEpoch());
    auto fit = [from, to](QValueAxis *axis, const BandedLine &shown, bool zeroBased, const AxisSpec &fixed) {
        double lo = qInf();
        double hi = -qInf();
        for (const QPointF &p : shown.line) {
            if (p.x() < from || p.x() > to)
                continue;
            lo = qMin(lo, p.y());
            hi = qMax(hi, p.y());
        }
        for (const ChartBand &b : shown.bands) {
            lo = qMin(lo, b.low);
            hi = qMax(hi, b.high);
        }
        if (lo > hi) {
            axis->setRange(fixed.min, fixed.max);
            return;
        }
        const ValueAxisRange r = niceValueRange(lo, hi, zeroBased);
        axis->setRange(r.min, r.max);
        axis->setTickCount(r.tickCount);
        axis->setLabelFormat(QStringLiteral("%.%1f").arg(r.decimals));
    };
    fit(m_axisTemp, temps, false, temperatureAxis(m_tempUnit));
    fit(m_axisWind, winds, true, windAxis(m_windUnit));
}

void RecordChart::beginSegment()
{
    m_segmentPending = !m_windPoints.isEmpty();
}

void RecordChart::startPendingSegment(double x)
{
    if (!m_segmentPending)
        return;
    m_segmentPending = false;
    m_segmentStarts.append(x);
    for (auto *list : {&m_tempSegments, &m_windSegments}) {
        QLineSeries *like = list == &m_tempSegments ? m_seriesTemp : m_seriesWind;
        QValueAxis *axis = list == &m_tempSegments ? m_axisTemp : m_axisWind;
        auto *series = new QLineSeries();
        series->setPen(like->pen());
        m_chart->addSeries(series);
        series->attachAxis(m_axisTime);
        series->attachAxis(axis);
        for (QLegendMarker *marker : m_chart->legend()->markers(series))
            marker->setVisible(false);
        list->append(series);
    }
}

void RecordChart::replaceSegmented(const QVector<QPointF> &temps, const QVector<QPointF> &winds)
{
    // Each reduced point goes to the stretch its time falls in, keeping the
    // order it is drawn in; every series draws one stretch, so no line joins
    // the last point before a gap to the first one after it.
    auto split = [this](const QVector<QPointF> &points, QLineSeries *first, const QVector<QLineSeries *> &later) {
        QVector<QVector<QPointF>> stretches(m_segmentStarts.size() + 1);
        for (const QPointF &p : points) {
            const auto k = std::upper_bound(m_segmentStarts.cbegin(), m_segmentStarts.cend(), p.x())
                           - m_segmentStarts.cbegin();
            stretches[int(k)].append(p);
        }
        for (int k = 0; k < stretches.size(); ++k)
            (k == 0 ? first : later.at(k - 1))->replace(stretches.at(k));
    };
    split(temps, m_seriesTemp, m_tempSegments);
    split(winds, m_seriesWind, m_windSegments);
}

void RecordChart::dropSegments()
{
    m_segmentPending = false;
    m_segmentStarts.clear();
    for (QLineSeries *series : m_tempSegments + m_windSegments) {
        m_chart->removeSeries(series);
        delete series;
    }
    m_tempSegments.clear();
    m_windSegments.clear();
}
