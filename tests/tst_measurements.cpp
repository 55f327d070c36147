#include <QtTest>

#include "model/measurements.h"
#include "model/pelnorxlogitem.h"

namespace {
// Wind chill is checked against the rounded published values; everything
// else is a product of two decimal constants and compares fuzzily.
bool near(double actual, double expected, double tolerance)
{
    return qAbs(actual - expected) <= tolerance;
}
} // namespace

class Tst_measurements : public QObject
{
    Q_OBJECT

private slots:
    void derivesEveryUnit_data();
    void derivesEveryUnit();
    void windChillStartsAboveWalkingPace_data();
    void windChillStartsAboveWalkingPace();
    void windChillHasNoUpperTemperatureLimit();
    void formatTruncated_data();
    void formatTruncated();
    void truncationDiffersFromRounding();
    void formatTruncatedStaysDefinedBeyond32Bits();
    void defaultRecordIsZero();
    void listKeepsItsOwnCopy();
};

void Tst_measurements::derivesEveryUnit_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<double>("tempC");
    QTest::addColumn<double>("area");
    QTest::addColumn<bool>("inFeet");
    QTest::addColumn<QVector<double>>("expected"); // the 13 fields in column order

    // temperature_c, _f, ms, kmh, mph, knt, ftm, area m², area ft², cmm, cfm, chill °C, chill °F
    QTest::newRow("calm 25.0 C 0.0100 m2")
        << 0.0 << 25.0 << 0.01 << false
        << QVector<double>{25.0, 77.0, 0, 0, 0, 0, 0, 0.01, 0.10764, 0, 0, 25.0, 77.0};
    QTest::newRow("5 m/s at -10.0 C 1 m2")
        << 5.0 << -10.0 << 1.0 << false
        << QVector<double>{-10.0, 14.0, 5.0, 18.0, 11.2, 9.72, 984.35, 1.0, 10.764, 300.0,
                           10594.5, -17.447, 0.596};
    QTest::newRow("2 m/s at -20.0 C 1.00 m2")
        << 2.0 << -20.0 << 1.0 << false
        << QVector<double>{-20.0, -4.0, 2.0, 7.2, 4.48, 3.888, 393.74, 1.0, 10.764, 120.0,
                           4237.8, -25.779, -14.401};
    QTest::newRow("2 m/s 1.000 ft2 uses 0.093 and ft/min")
        << 2.0 << 20.0 << 1.0 << true
        << QVector<double>{20.0, 68.0, 2.0, 7.2, 4.48, 3.888, 393.74, 0.093, 1.0, 11.16,
                           393.74, 20.832, 69.498};
}

void Tst_measurements::derivesEveryUnit()
{
    QFETCH(double, speed);
    QFETCH(double, tempC);
    QFETCH(double, area);
    QFETCH(bool, inFeet);
    QFETCH(QVector<double>, expected);

    const PelnorXLogItem r = deriveMeasurements(speed, tempC, area, inFeet);
    const double got[] = {r.temperature_c, r.temperature_f, r.windspeed_ms, r.windspeed_kmh,
                          r.windspeed_mph, r.windspeed_knt, r.windspeed_ftm, r.windarea_mm,
                          r.windarea_ft, r.volume_cmm, r.volume_cfm};
    for (int i = 0; i < 11; ++i) {
        if (!near(got[i], expected.at(i), 1e-9 * qMax(1.0, qAbs(expected.at(i)))))
            QFAIL(qPrintable(QStringLiteral("field %1: got %2, expected %3")
                                 .arg(i + 3).arg(got[i], 0, 'g', 17).arg(expected.at(i))));
    }
    QVERIFY2(near(r.windchill_c, expected.at(11), 1e-3), qPrintable(QString::number(r.windchill_c)));
    QVERIFY2(near(r.windchill_f, expected.at(12), 1e-3), qPrintable(QString::number(r.windchill_f)));
    QCOMPARE(r.id, 0u);
    QVERIFY(r.date.isEmpty());
    QVERIFY(r.time.isEmpty());
    QCOMPARE(r.devstate, 0);
}

void Tst_measurements::windChillStartsAboveWalkingPace_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<bool>("formula");

    QTest::newRow("0 m/s") << 0.0 << false;
    QTest::newRow("1.34 m/s exactly") << 1.34 << false;
    QTest::newRow("1.341 m/s") << 1.341 << true;
    QTest::newRow("65.535 m/s") << 65.535 << true;
}

void Tst_measurements::windChillStartsAboveWalkingPace()
{
    QFETCH(double, speed);
    QFETCH(bool, formula);

    const double t = -5.0;
    const PelnorXLogItem r = deriveMeasurements(speed, t, 1.0, false);
    if (formula) {
        const double p = std::pow(speed * 3.6, 0.16);
        const double c = ((13.12 + 0.6215 * t) - 11.37 * p) + (0.3965 * t) * p;
        QCOMPARE(r.windchill_c, c);
        QCOMPARE(r.windchill_f, c * 1.8 + 32);
        QVERIFY(r.windchill_c < t);
    } else {
        QCOMPARE(r.windchill_c, r.temperature_c);
        QCOMPARE(r.windchill_f, r.temperature_f);
    }
}

void Tst_measurements::windChillHasNoUpperTemperatureLimit()
{
    const PelnorXLogItem r = deriveMeasurements(5.0, 30.0, 1.0, false);
    QVERIFY(r.windchill_c != 30.0);
    QVERIFY(r.windchill_c > 10.0);
}

void Tst_measurements::formatTruncated_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");

    QTest::newRow("71.96 cut to 71.9") << 71.96 << 1 << "71.9";
    QTest::newRow("-3.99 cut toward zero") << -3.99 << 1 << "-3.9";
    QTest::newRow("-0.05 loses its sign") << -0.05 << 1 << "0.0";
    QTest::newRow("77.0 stays") << 77.0 << 1 << "77.0";
    QTest::newRow("0.596 cut to 0.5") << 0.596 << 1 << "0.5";
    QTest::newRow("no decimals") << 7.9 << 0 << "7";
    QTest::newRow("negative no decimals") << -7.9 << 0 << "-7";
    QTest::newRow("three decimals") << 1.2349 << 3 << "1.234";
    QTest::newRow("lowest temperature in F") << -3276.8 * 1.8 + 32 << 1 << "-5866.2";
}

void Tst_measurements::formatTruncated()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);

    QCOMPARE(::formatTruncated(value, decimals), text);
}

void Tst_measurements::truncationDiffersFromRounding()
{
    QCOMPARE(::formatTruncated(-3.99, 1), QStringLiteral("-3.9"));
    QCOMPARE(QString::number(-3.99, 'f', 1), QStringLiteral("-4.0"));
}

void Tst_measurements::formatTruncatedStaysDefinedBeyond32Bits()
{
    // A 32-bit cast of these would be undefined; the sanitizer would stop here.
    QCOMPARE(::formatTruncated(1e12 + 0.57, 1), QStringLiteral("1000000000000.5"));
    QCOMPARE(::formatTruncated(-3e9, 0), QStringLiteral("-3000000000"));
    QCOMPARE(::formatTruncated(214748364.79, 1), QStringLiteral("214748364.7"));
}

void Tst_measurements::defaultRecordIsZero()
{
    const PelnorXLogItem r{};
    QCOMPARE(r.id, 0u);
    QVERIFY(r.date.isEmpty());
    QVERIFY(r.time.isEmpty());
    const double numbers[] = {r.temperature_c, r.temperature_f, r.windspeed_ms, r.windspeed_kmh,
                              r.windspeed_mph, r.windspeed_knt, r.windspeed_ftm, r.windarea_mm,
                              r.windarea_ft, r.volume_cmm, r.volume_cfm, r.windchill_c,
                              r.windchill_f};
    for (double v : numbers)
        QCOMPARE(v, 0.0);
    QCOMPARE(r.devstate, 0);
}

void Tst_measurements::listKeepsItsOwnCopy()
{
    PelnorXLogItem r = deriveMeasurements(2.0, 20.0, 1.0, false);
    r.date = QStringLiteral("2024-3-7");
    r.time = QStringLiteral("09:05:07");
    QList<PelnorXLogItem> list;
    list.append(r);

    r.date[0] = QLatin1Char('X');
    r.time = QStringLiteral("10:00:00");
    r.windspeed_ms = 9.0;
    r.devstate = 1;

    QCOMPARE(list.at(0).date, QStringLiteral("2024-3-7"));
    QCOMPARE(list.at(0).time, QStringLiteral("09:05:07"));
    QCOMPARE(list.at(0).windspeed_ms, 2.0);
    QCOMPARE(list.at(0).devstate, 0);
}

QTEST_GUILESS_MAIN(Tst_measurements)
#include "tst_measurements.moc"
