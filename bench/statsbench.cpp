#include "statsbench.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include <QPointF>
#include <QVector>

#include "model/measurements.h"
#include "model/runningstats.h"
#include "ui/chartviewport.h"

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double medianOf(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// A varied reading; every 97th without a wheel, as in the window's benchmark.
PelnorXLogItem reading(int i)
{
    const double speed = 3.0 + 2.5 * std::sin(i * 0.001) + (i % 7) * 0.01;
    const double temp = 21.0 + 4.0 * std::sin(i * 0.0001) + (i % 5) * 0.1;
    PelnorXLogItem r = deriveMeasurements(speed, temp, 0.25, i % 2 == 0);
    r.devstate = i % 97 == 0 ? 1 : 0;
    return r;
}

volatile double g_sink = 0;

} // namespace

QString StatsBenchResult::describe() const
{
    return QStringLiteral("statistics + pointer per live reading at %1 readings: median %2 ms, p99 %7 ms, "
                          "max %3 ms (target < 0.5 ms); span of half the data %4 ms; rebuild %5 ms; "
                          "%6 bytes per reading")
        .arg(readings)
        .arg(medianMs, 0, 'f', 4)
        .arg(maxMs, 0, 'f', 4)
        .arg(spanMs, 0, 'f', 4)
        .arg(rebuildMs, 0, 'f', 1)
        .arg(bytesPerReading, 0, 'f', 1)
        .arg(p99Ms, 0, 'f', 4);
}

StatsBenchResult measureStats(int readings, int liveReadings)
{
    StatsBenchResult result;
    result.readings = readings;
    const qint64 t0 = 1700000000000;
    const int total = readings + liveReadings;

    std::vector<PelnorXLogItem> items;
    items.reserve(size_t(total));
    for (int i = 0; i < total; ++i)
        items.push_back(reading(i));

    RunningStats stats;
    QVector<QPointF> wind;
    wind.reserve(total);
    ChartViewport view;
    const Clock::time_point rebuild = Clock::now();
    for (int i = 0; i < readings; ++i)
        stats.add(items[size_t(i)], t0 + 500LL * i, RowOrigin::Live);
    result.rebuildMs = msSince(rebuild);
    for (int i = 0; i < readings; ++i) {
        wind.append(QPointF(double(t0 + 500LL * i), chartWindSpeed(items[size_t(i)], 0)));
        view.addReading(wind.last().x());
    }
    // Zoomed to the last ten minutes, following the newest reading.
    view.zoom(view.data().max, 600000.0 / std::max(1.0, view.data().span()), 1000);

    std::vector<double> perReading;
    perReading.reserve(size_t(liveReadings));
    for (int i = readings; i < total; ++i) {
        const qint64 t = t0 + 500LL * i;
        const PelnorXLogItem &r = items[size_t(i)];
        const Clock::time_point start = Clock::now();
        stats.add(r, t, RowOrigin::Live);
        wind.append(QPointF(double(t), chartWindSpeed(r, 0)));
        view.addReading(double(t));
        const StatsSnapshot all = stats.total();
        const StatsSnapshot inView = stats.spanBetween(qint64(view.view().min), qint64(view.view().max));
        const UnitStats shown = statsInUnits(inView, UnitChoice());
        const ValueAxisRange axis = niceValueRange(shown.speed.min, shown.speed.max, true);
        const int nearest = nearestPointIndex(wind, view.view().min + view.view().span() * 0.37);
        perReading.push_back(msSince(start));
        g_sink = g_sink + all.speed.mean + axis.max + nearest;
    }
    result.medianMs = medianOf(perReading);
    std::vector<double> sorted = perReading;
    std::sort(sorted.begin(), sorted.end());
    result.p99Ms = sorted.empty() ? 0 : sorted[sorted.size() * 99 / 100];
    result.maxMs = perReading.empty() ? 0 : *std::max_element(perReading.begin(), perReading.end());

    std::vector<double> spans;
    for (int k = 0; k < 21; ++k) {
        const int first = (k * 997) % std::max(1, total / 2);
        const Clock::time_point start = Clock::now();
        const StatsSnapshot s = stats.span(first, first + total / 2);
        spans.push_back(msSince(start));
        g_sink = g_sink + s.temperature.stddev;
    }
    result.spanMs = medianOf(spans);

    result.bytesPerReading = double(stats.memoryBytes()) / stats.size();
    return result;
}

} // namespace bench
