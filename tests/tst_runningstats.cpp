#include <cmath>
#include <limits>
#include <random>

#include <QtTest>

#include "model/measurements.h"
#include "model/runningstats.h"
#include "ui/statstext.h"

namespace {

struct Reading
{
    PelnorXLogItem item;
    qint64 timeMs;
};

// A reproducible table: speeds 0-30 m/s, temperatures -20-45 °C, areas in
// either unit, every 7th reading "No Wheel" and every 11th in state 2.
QVector<Reading> randomReadings(int n, quint32 seed)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> speed(0, 30), temp(-20, 45), area(0.01, 2);
    QVector<Reading> out;
    out.reserve(n);
    qint64 t = 1709800000000;
    for (int i = 0; i < n; ++i) {
        PelnorXLogItem r = deriveMeasurements(speed(gen), temp(gen), area(gen), i % 3 == 0);
        r.devstate = i % 7 == 3 ? 1 : (i % 11 == 5 ? 2 : 0);
        t += 500;
        out.append({r, t});
    }
    return out;
}

// The straightforward figures: two passes in long double over the values
// that count.
QuantityStats recompute(const QVector<double> &values)
{
    QuantityStats s;
    s.count = values.size();
    if (values.isEmpty())
        return s;
    long double sum = 0;
    s.min = s.max = values.first();
    for (double v : values) {
        sum += v;
        s.min = std::min(s.min, v);
        s.max = std::max(s.max, v);
    }
    const long double mean = sum / values.size();
    long double squares = 0;
    for (double v : values)
        squares += (v - mean) * (v - mean);
    s.mean = double(mean);
    s.stddev = values.size() > 1 ? double(std::sqrt(squares / (values.size() - 1))) : 0.0;
    return s;
}

enum class Quantity { Speed, Temperature, Flow };

// The value the table shows for the reading, in the user's units (NaN: none).
double shownValue(const PelnorXLogItem &r, Quantity q, const UnitChoice &u, RowOrigin origin)
{
    switch (q) {
    case Quantity::Speed:
        return chartWindSpeed(r, u.wind);
    case Quantity::Temperature:
        return hasTemperatureReading(r, origin) ? chartTemperature(r, u.temp)
                                                : std::numeric_limits<double>::quiet_NaN();
    case Quantity::Flow:
        return u.volume == 0 ? r.volume_cmm : r.volume_cfm;
    }
    return 0;
}

QuantityStats expected(const QVector<Reading> &rs, int first, int last, Quantity q,
                       const UnitChoice &u, RowOrigin origin)
{
    QVector<double> values;
    for (int i = first; i < last; ++i) {
        const double v = shownValue(rs[i].item, q, u, origin);
        if (!std::isnan(v))
            values.append(v);
    }
    return recompute(values);
}

bool close(double a, double b, double scale)
{
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, scale);
}

QString compareStats(const QuantityStats &got, const QuantityStats &want)
{
    const double scale = std::max(std::fabs(want.max), std::fabs(want.min));
    if (got.count != want.count || (want.count > 0
            && (got.min != want.min || got.max != want.max || !close(got.mean, want.mean, scale)
                || !close(got.stddev, want.stddev, scale)))) {
        return QStringLiteral("got n %1 min %2 max %3 mean %4 sd %5; want n %6 min %7 max %8 mean %9 sd %10")
            .arg(got.count).arg(got.min, 0, 'g', 17).arg(got.max, 0, 'g', 17)
            .arg(got.mean, 0, 'g', 17).arg(got.stddev, 0, 'g', 17)
            .arg(want.count).arg(want.min, 0, 'g', 17).arg(want.max, 0, 'g', 17)
            .arg(want.mean, 0, 'g', 17).arg(want.stddev, 0, 'g', 17);
    }
    return QString();
}

UnitChoice units(int temp, int wind, int volume)
{
    UnitChoice u;
    u.temp = temp;
    u.wind = wind;
    u.volume = volume;
    return u;
}

} // namespace

Q_DECLARE_METATYPE(UnitChoice)
Q_DECLARE_METATYPE(RowOrigin)

class Tst_RunningStats : public QObject
{
    Q_OBJECT

    static void checkAgainstRecomputation(const RunningStats &stats, const QVector<Reading> &rs,
                                          int first, int last, const UnitChoice &u, RowOrigin origin,
                                          bool whole)
    {
        const StatsSnapshot snap = whole ? stats.total() : stats.span(first, last);
        const UnitStats shown = statsInUnits(snap, u);
        const QString where = QStringLiteral(" [%1, %2)").arg(first).arg(last);
        QString diff = compareStats(shown.speed, expected(rs, first, last, Quantity::Speed, u, origin));
        QVERIFY2(diff.isEmpty(), qPrintable("speed" + where + ": " + diff));
        diff = compareStats(shown.temperature, expected(rs, first, last, Quantity::Temperature, u, origin));
        QVERIFY2(diff.isEmpty(), qPrintable("temperature" + where + ": " + diff));
        diff = compareStats(shown.airFlow, expected(rs, first, last, Quantity::Flow, u, origin));
        QVERIFY2(diff.isEmpty(), qPrintable("air flow" + where + ": " + diff));
        QCOMPARE(shown.readings, qint64(last - first));
        if (last > first) {
            QCOMPARE(shown.firstMs, rs[first].timeMs);
            QCOMPARE(shown.lastMs, rs[last - 1].timeMs);
        }
    }

private slots:
    void matchesRecomputation_data()
    {
        QTest::addColumn<UnitChoice>("u");
        QTest::addColumn<RowOrigin>("origin");
        QTest::newRow("base units, live") << units(0, 0, 0) << RowOrigin::Live;
        QTest::newRow("°F, km/h, CFM, live") << units(1, 1, 1) << RowOrigin::Live;
        QTest::newRow("°F, mph, rebuilt") << units(1, 2, 0) << RowOrigin::Rebuilt;
        QTest::newRow("knots, CFM, rebuilt") << units(0, 3, 1) << RowOrigin::Rebuilt;
        QTest::newRow("ft/min, live") << units(0, 4, 0) << RowOrigin::Live;
        QTest::newRow("unknown codes: m/s, °F, CFM") << units(2, 6, 3) << RowOrigin::Live;
    }

    // Every figure after each append equals a recomputation over the table.
    void matchesRecomputation()
    {
        QFETCH(UnitChoice, u);
        QFETCH(RowOrigin, origin);
        const QVector<Reading> rs = randomReadings(1500, 7);
        RunningStats stats;
        const int checkpoints[] = {1, 2, 3, 255, 256, 257, 700, 1500};
        int next = 0;
        for (int i = 0; i < rs.size(); ++i) {
            stats.add(rs[i].item, rs[i].timeMs, origin);
            if (i + 1 == checkpoints[next]) {
                ++next;
                checkAgainstRecomputation(stats, rs, 0, i + 1, u, origin, true);
                if (QTest::currentTestFailed())
                    return;
            }
        }
        // Spans inside a block, across one boundary, across many, at the ends.
        const QPair<int, int> spans[] = {{0, 1}, {10, 20}, {250, 260}, {255, 513}, {256, 512},
                                         {3, 1497}, {0, 1500}, {1280, 1500}, {1499, 1500}};
        for (const auto &s : spans) {
            checkAgainstRecomputation(stats, rs, s.first, s.second, u, origin, false);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void noWheelHasNoTemperature()
    {
        RunningStats stats;
        PelnorXLogItem normal = deriveMeasurements(2, 20, 1, false);
        PelnorXLogItem noWheel = deriveMeasurements(4, 99, 1, false);
        noWheel.devstate = 1;
        PelnorXLogItem unknown = deriveMeasurements(6, 30, 1, false);
        unknown.devstate = 2;
        stats.add(normal, 0, RowOrigin::Live);
        stats.add(noWheel, 500, RowOrigin::Live);
        stats.add(unknown, 1000, RowOrigin::Live);

        const StatsSnapshot s = stats.total();
        // Live: state 2 shows its temperature, "No Wheel" does not.
        QCOMPARE(s.temperature.count, qint64(2));
        QCOMPARE(s.temperature.max, 30.0);
        // Speed and air flow are measured with or without the wheel state.
        QCOMPARE(s.speed.count, qint64(3));
        QCOMPARE(s.speed.mean, 4.0);
        QCOMPARE(s.airFlowCmm.max, 360.0);
        QCOMPARE(s.readings, qint64(3));
        QCOMPARE(s.durationMs(), qint64(1000));

        RunningStats rebuilt;
        for (const PelnorXLogItem &r : {normal, noWheel, unknown})
            rebuilt.add(r, 0, RowOrigin::Rebuilt);
        QCOMPARE(rebuilt.total().temperature.count, qint64(1));
        QCOMPARE(rebuilt.total().temperature.mean, 20.0);
    }

    void onlyNoWheelReadings()
    {
        RunningStats stats;
        PelnorXLogItem r = deriveMeasurements(3, 20, 1, false);
        r.devstate = 1;
        for (int i = 0; i < 600; ++i)
            stats.add(r, i * 500, RowOrigin::Live);
        QCOMPARE(stats.total().temperature.count, qint64(0));
        QCOMPARE(stats.span(100, 599).temperature.count, qint64(0));
        const StatsTexts t = statsTexts(statsInUnits(stats.total(), UnitChoice()), UnitChoice());
        QCOMPARE(t.temperature.mean, QString("-.-"));
        QCOMPARE(t.speed.mean, QString("3.000"));
        QCOMPARE(t.speed.stddev, QString("0.000"));
    }

    // A damaged row (a NaN or infinite value) counts as no reading of it.
    void nonFiniteValuesAreLeftOut()
    {
        RunningStats stats;
        PelnorXLogItem good = deriveMeasurements(2, 20, 1, false);
        PelnorXLogItem bad = good;
        bad.windspeed_ms = std::numeric_limits<double>::infinity();
        bad.temperature_c = std::numeric_limits<double>::quiet_NaN();
        stats.add(good, 0, RowOrigin::Live);
        stats.add(bad, 500, RowOrigin::Live);
        QCOMPARE(stats.total().speed.count, qint64(1));
        QCOMPARE(stats.total().speed.max, 2.0);
        QCOMPARE(stats.span(0, 2).temperature.count, qint64(1));
        QCOMPARE(stats.total().readings, qint64(2));
    }

    // A week of readings at 2 a second: a drifting temperature with a tiny
    // spread, where sums of squares without care lose every digit.
    void weekOfReadingsStaysAccurate()
    {
        const int n = 2 * 7 * 24 * 3600;
        RunningStats stats;
        PelnorXLogItem r{};
        QVector<double> temps;
        temps.reserve(n);
        for (int i = 0; i < n; ++i) {
            r.temperature_c = 1000.0 + (i % 2 ? 0.001 : -0.001) + (i < n / 2 ? 0 : 0.5);
            r.windspeed_ms = 5.0 + (i % 3) * 0.001;
            temps.append(r.temperature_c);
            stats.add(r, qint64(i) * 500, RowOrigin::Live);
        }
        const QuantityStats all = recompute(temps);
        QVERIFY(std::fabs(stats.total().temperature.mean - all.mean) < 1e-9);
        QVERIFY(std::fabs(stats.total().temperature.stddev - all.stddev) < 1e-9);

        // The second half alone: spread 0.001 around 1000.5.
        const StatsSnapshot half = stats.span(n / 2, n);
        QVERIFY2(std::fabs(half.temperature.mean - 1000.501) < 1e-9
                     || std::fabs(half.temperature.mean - 1000.5) < 1e-9,
                 qPrintable(QString::number(half.temperature.mean, 'g', 17)));
        QVERIFY2(std::fabs(half.temperature.stddev - 0.001) < 1e-7,
                 qPrintable(QString::number(half.temperature.stddev, 'g', 17)));
        QCOMPARE(half.durationMs(), qint64(n / 2 - 1) * 500);
        QCOMPARE(statsTexts(statsInUnits(stats.total(), UnitChoice()), UnitChoice()).duration,
                 QString("167:59:59"));
    }

    void indicesBetweenTimes_data()
    {
        QTest::addColumn<qint64>("from");
        QTest::addColumn<qint64>("to");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        // Readings at 0, 500, ..., 4500 ms.
        QTest::newRow("everything") << qint64(-100) << qint64(10000) << 0 << 10;
        QTest::newRow("ends included") << qint64(500) << qint64(1500) << 1 << 4;
        QTest::newRow("between readings") << qint64(501) << qint64(999) << 2 << 2;
        QTest::newRow("before the first") << qint64(-1000) << qint64(-1) << 0 << 0;
        QTest::newRow("after the last") << qint64(4501) << qint64(9000) << 10 << 10;
        QTest::newRow("reversed") << qint64(2000) << qint64(1000) << 0 << 0;
    }

    void indicesBetweenTimes()
    {
        QFETCH(qint64, from);
        QFETCH(qint64, to);
        QFETCH(int, first);
        QFETCH(int, last);
        RunningStats stats;
        for (int i = 0; i < 10; ++i)
            stats.add(deriveMeasurements(i, 20, 1, false), i * 500, RowOrigin::Live);
        const IndexSpan s = stats.indicesBetween(from, to);
        if (first == last)
            QVERIFY(s.isEmpty());
        else
            QCOMPARE(s, (IndexSpan{first, last}));
        QCOMPARE(stats.spanBetween(from, to).readings, qint64(last - first));
    }

    void texts_data()
    {
        QTest::addColumn<UnitChoice>("u");
        QTest::addColumn<QStringList>("speed");
        QTest::addColumn<QStringList>("temperature");
        QTest::addColumn<QStringList>("flow");
        // Speeds 1, 2, 4 m/s at 10, 20, 31 °C through 1 m².
        QTest::newRow("m/s, °C, CMM") << units(0, 0, 0)
            << QStringList{"1.000", "4.000", "2.333", "1.528"}
            << QStringList{"10.0", "31.0", "20.3", "10.5"}
            << QStringList{"60.000", "240.000", "140.000", "91.652"};
        QTest::newRow("km/h, °F, CFM") << units(1, 1, 1)
            << QStringList{"3.600", "14.400", "8.400", "5.499"}
            << QStringList{"50.0", "87.8", "68.6", "18.9"}
            << QStringList{"2118.900", "8475.600", "4944.100", "3236.673"};
    }

    void texts()
    {
        QFETCH(UnitChoice, u);
        QFETCH(QStringList, speed);
        QFETCH(QStringList, temperature);
        QFETCH(QStringList, flow);
        RunningStats stats;
        const double readings[][2] = {{1, 10}, {2, 20}, {4, 31}};
        qint64 t = QDateTime(QDate(2024, 3, 7), QTime(9, 5, 7)).toMSecsSinceEpoch();
        for (const auto &r : readings) {
            stats.add(deriveMeasurements(r[0], r[1], 1, false), t, RowOrigin::Live);
            t += 3723000 / 2;
        }
        const StatsTexts texts = statsTexts(statsInUnits(stats.total(), u), u);
        auto list = [](const QuantityTexts &q) { return QStringList{q.min, q.max, q.mean, q.stddev}; };
        QCOMPARE(list(texts.speed), speed);
        QCOMPARE(list(texts.temperature), temperature);
        QCOMPARE(list(texts.airFlow), flow);
        QCOMPARE(texts.readings, QString("3"));
        QCOMPARE(texts.duration, QString("1:02:03"));
        QCOMPARE(texts.first, QString("2024-03-07 09:05:07"));
        QCOMPARE(texts.last, QString("2024-03-07 10:07:10"));
    }
};

QTEST_GUILESS_MAIN(Tst_RunningStats)
#include "tst_runningstats.moc"
