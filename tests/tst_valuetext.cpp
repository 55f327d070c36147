#include <QtTest>

#include "model/measurements.h"
#include "model/valuetext.h"
#include "ui/unitlabels.h"

#include "testreadings.h"

Q_DECLARE_METATYPE(UnitChoice)
Q_DECLARE_METATYPE(RowOrigin)
Q_DECLARE_METATYPE(PelnorXLogItem)
Q_DECLARE_METATYPE(PanelUnits)

namespace {
PanelUnits panelUnits(int wind, bool feet, bool cfm, bool fahrenheit)
{
    PanelUnits p;
    p.wind = wind;
    p.areaInSquareFeet = feet;
    p.volumeInCfm = cfm;
    p.temperatureInF = fahrenheit;
    return p;
}

} // namespace

class Tst_valuetext : public QObject
{
    Q_OBJECT

private slots:
    void fixedTextAsQt_data();
    void fixedTextAsQt();
    void tableRow_data();
    void tableRow();
    void windChillHi_data();
    void windChillHi();
    void chartValues_data();
    void chartValues();
    void headerLabels_data();
    void headerLabels();
    void axes_data();
    void axes();
    void panelShowsInstrumentUnits_data();
    void panelShowsInstrumentUnits();
    void panelAfterDownloadTakesOnlyCodeOneAsSecondUnit();
};

// Every cell's number goes through fixedText; it must write what Qt's own
// formatting writes, for the instrument's whole range in every unit, for
// exact ties and for anything else a hand-edited database may hold.
void Tst_valuetext::fixedTextAsQt_data()
{
    QTest::addColumn<QVector<double>>("values");
    auto row = [](const char *name, const QVector<double> &values) { QTest::newRow(name) << values; };

    QVector<double> speeds;
    for (int mm = 0; mm <= 65535; mm += 1) {
        const PelnorXLogItem r = deriveMeasurements(mm / 1000.0, 21.5, 0.125, false);
        speeds << r.windspeed_ms << r.windspeed_kmh << r.windspeed_mph << r.windspeed_knt << r.windspeed_ftm
               << r.volume_cmm << r.volume_cfm;
    }
    row("every speed the instrument sends, in every unit", speeds);

    QVector<double> temperatures;
    for (int deci = -600; deci <= 1500; ++deci) {
        const PelnorXLogItem r = deriveMeasurements(3.7, deci / 10.0, 2.5, true);
        temperatures << r.temperature_c << r.temperature_f << r.windchill_c << r.windchill_f << r.windarea_mm;
    }
    row("every temperature, its wind chill and areas", temperatures);

    QVector<double> ties;
    for (int k = -4000; k <= 4000; ++k) {
        for (int m = 1; m <= 12; ++m)
            ties << std::ldexp(2.0 * k + 1, -m);
    }
    row("exact halves and their neighbours' kin", ties);

    QVector<double> random;
    quint64 seed = 0x9e3779b97f4a7c15ULL;
    for (int i = 0; i < 60000; ++i) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const double unit = double(seed >> 11) / double(1ULL << 53);
        random << (unit - 0.5) * std::pow(10.0, int(seed % 19) - 6);
    }
    row("random magnitudes", random);

    row("edges", {0.0, -0.0, -0.04, -0.05, 0.05, 1e-300, -1e-300, 1e12, 1099511627775.5, 1e20, -1e20,
                  qInf(), -qInf(), qQNaN(), 9007199254740993.0, 0.1 + 0.2});
}

void Tst_valuetext::fixedTextAsQt()
{
    QFETCH(QVector<double>, values);
    for (int decimals = 0; decimals <= 7; ++decimals) {
        for (double v : values) {
            const QString expected = QString::number(v, 'f', decimals);
            if (fixedText(v, decimals) != expected)
                QFAIL(qPrintable(QStringLiteral("%1 at %2 decimals: \"%3\", Qt writes \"%4\"")
                                     .arg(v, 0, 'g', 17)
                                     .arg(decimals)
                                     .arg(fixedText(v, decimals), expected)));
        }
    }
}

void Tst_valuetext::tableRow_data()
{
    QTest::addColumn<PelnorXLogItem>("item");
    QTest::addColumn<UnitChoice>("choice");
    QTest::addColumn<RowOrigin>("origin");
    QTest::addColumn<QStringList>("cells");

    const PelnorXLogItem cold = reading(5.0, -10.0, 1.0, false);
    const QStringList coldMetric{"2024-3-7", "09:05:07", "-10.0", "5.000", "1.000", "300.000", "-17.4"};
    QTest::newRow("live metric") << cold << units(0, 0, 0, 0) << RowOrigin::Live << coldMetric;
    QTest::newRow("rebuilt metric") << cold << units(0, 0, 0, 0) << RowOrigin::Rebuilt << coldMetric;
    QTest::newRow("live imperial")
        << cold << units(1, 4, 1, 1) << RowOrigin::Live
        << QStringList{"2024-3-7", "09:05:07", "14.0", "984.350", "10.764", "10594.500", "0.6"};
    QTest::newRow("live km/h") << cold << units(0, 1, 0, 0) << RowOrigin::Live
                               << QStringList{"2024-3-7", "09:05:07", "-10.0", "18.000", "1.000", "300.000", "-17.4"};
    QTest::newRow("live mph") << cold << units(0, 2, 0, 0) << RowOrigin::Live
                              << QStringList{"2024-3-7", "09:05:07", "-10.0", "11.200", "1.000", "300.000", "-17.4"};
    QTest::newRow("live knots") << cold << units(0, 3, 0, 0) << RowOrigin::Live
                                << QStringList{"2024-3-7", "09:05:07", "-10.0", "9.720", "1.000", "300.000", "-17.4"};
    QTest::newRow("temperature code 2 is F")
        << cold << units(2, 0, 0, 0) << RowOrigin::Live
        << QStringList{"2024-3-7", "09:05:07", "14.0", "5.000", "1.000", "300.000", "0.6"};
    QTest::newRow("live wind code 5 is m/s, 3 decimals")
        << cold << units(0, 5, 0, 0) << RowOrigin::Live
        << QStringList{"2024-3-7", "09:05:07", "-10.0", "5.000", "1.000", "300.000", "-17.4"};
    QTest::newRow("rebuilt wind code 6 is m/s, 1 decimal")
        << cold << units(0, 6, 0, 0) << RowOrigin::Rebuilt
        << QStringList{"2024-3-7", "09:05:07", "-10.0", "5.0", "1.000", "300.000", "-17.4"};
    QTest::newRow("rebuilt wind code -1 is m/s, 1 decimal")
        << cold << units(0, -1, 0, 0) << RowOrigin::Rebuilt
        << QStringList{"2024-3-7", "09:05:07", "-10.0", "5.0", "1.000", "300.000", "-17.4"};

    // 22.2 °C is 71.96 °F: cut in live rows, rounded in rebuilt ones.
    const PelnorXLogItem warm = reading(0.0, 22.2, 1.0, false);
    QTest::newRow("live F cut toward zero")
        << warm << units(1, 0, 0, 0) << RowOrigin::Live
        << QStringList{"2024-3-7", "09:05:07", "71.9", "0.000", "1.000", "0.000", "Hi"};
    QTest::newRow("rebuilt F rounded")
        << warm << units(1, 0, 0, 0) << RowOrigin::Rebuilt
        << QStringList{"2024-3-7", "09:05:07", "72.0", "0.000", "1.000", "0.000", "Hi"};

    QTest::newRow("calm 25 C small area")
        << reading(0.0, 25.0, 0.01, false) << units(0, 0, 1, 1) << RowOrigin::Live
        << QStringList{"2024-3-7", "09:05:07", "25.0", "0.000", "0.108", "0.000", "Hi"};
    QTest::newRow("ft2 area in m2 and CMM")
        << reading(2.0, 5.0, 1.0, true) << units(0, 4, 0, 0) << RowOrigin::Live
        << QStringList{"2024-3-7", "09:05:07", "5.0", "393.740", "0.093", "11.160", "3.4"};
    QTest::newRow("ft2 area in ft2 and CFM")
        << reading(2.0, 5.0, 1.0, true) << units(0, 4, 1, 1) << RowOrigin::Live
        << QStringList{"2024-3-7", "09:05:07", "5.0", "393.740", "1.000", "393.740", "3.4"};

    const QStringList noWheel{"2024-3-7", "09:05:07", "-.-", "5.000", "1.000", "300.000", "-.-"};
    QTest::newRow("live no wheel") << reading(5.0, -10.0, 1.0, false, 1) << units(0, 0, 0, 0)
                                   << RowOrigin::Live << noWheel;
    QTest::newRow("rebuilt no wheel") << reading(5.0, -10.0, 1.0, false, 1) << units(0, 0, 0, 0)
                                      << RowOrigin::Rebuilt << noWheel;
    QTest::newRow("live unknown state shows values")
        << reading(5.0, -10.0, 1.0, false, 2) << units(0, 0, 0, 0) << RowOrigin::Live << coldMetric;
    QTest::newRow("rebuilt unknown state hides temperature")
        << reading(5.0, -10.0, 1.0, false, 2) << units(0, 0, 0, 0) << RowOrigin::Rebuilt << noWheel;

    PelnorXLogItem downloaded = reading(2.0, -20.0, 1.0, false);
    downloaded.date = downloaded.time = QStringLiteral(" ");
    QTest::newRow("downloaded blanks kept")
        << downloaded << units(0, 0, 0, 0) << RowOrigin::Live
        << QStringList{" ", " ", "-20.0", "2.000", "1.000", "120.000", "-25.8"};
}

void Tst_valuetext::tableRow()
{
    QFETCH(PelnorXLogItem, item);
    QFETCH(UnitChoice, choice);
    QFETCH(RowOrigin, origin);
    QFETCH(QStringList, cells);

    QCOMPARE(toList(tableRowTexts(item, choice, origin)), cells);
    QCOMPARE(hasTemperatureReading(item, origin), cells.at(ColumnTemperature) != noReadingText());
}

void Tst_valuetext::windChillHi_data()
{
    QTest::addColumn<double>("chillC");
    QTest::addColumn<double>("chillF");
    QTest::addColumn<int>("tempUnit");
    QTest::addColumn<QString>("text");

    QTest::newRow("10.5 C in C") << 10.5 << 50.9 << 0 << "Hi";
    QTest::newRow("10.5 C in F") << 10.5 << 50.9 << 1 << "Hi";
    QTest::newRow("10.0 C exactly") << 10.0 << 50.0 << 0 << "10.0";
    QTest::newRow("10.0 C exactly in F") << 10.0 << 50.0 << 1 << "50.0";
    QTest::newRow("F alone above 50") << 10.0 << 50.01 << 0 << "Hi";
    QTest::newRow("cold rounded not cut") << -3.99 << 24.818 << 0 << "-4.0";
}

void Tst_valuetext::windChillHi()
{
    QFETCH(double, chillC);
    QFETCH(double, chillF);
    QFETCH(int, tempUnit);
    QFETCH(QString, text);

    PelnorXLogItem r{};
    r.windchill_c = chillC;
    r.windchill_f = chillF;
    for (RowOrigin origin : {RowOrigin::Live, RowOrigin::Rebuilt})
        QCOMPARE(tableRowTexts(r, units(tempUnit, 0, 0, 0), origin)[ColumnWindChill], text);
}

void Tst_valuetext::chartValues_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<double>("temperature");
    QTest::addColumn<double>("wind");

    QTest::newRow("code 0") << 0 << -10.0 << 5.0;
    QTest::newRow("code 1") << 1 << 14.0 << 18.0;
    QTest::newRow("code 2") << 2 << 14.0 << 11.2;
    QTest::newRow("code 3") << 3 << 14.0 << 9.72;
    QTest::newRow("code 4") << 4 << 14.0 << 984.35;
    QTest::newRow("code 5") << 5 << 14.0 << 5.0;
    QTest::newRow("code -1") << -1 << 14.0 << 5.0;
}

void Tst_valuetext::chartValues()
{
    QFETCH(int, code);
    QFETCH(double, temperature);
    QFETCH(double, wind);

    const PelnorXLogItem r = reading(5.0, -10.0, 1.0, false);
    QCOMPARE(chartTemperature(r, code), temperature);
    QCOMPARE(chartWindSpeed(r, code), wind);
}

void Tst_valuetext::headerLabels_data()
{
    QTest::addColumn<UnitChoice>("choice");
    QTest::addColumn<QStringList>("labels");

    QTest::newRow("defaults") << units(0, 0, 0, 0)
        << QStringList{"Date", "Time", "Temp-C", "wind-ms", "Area-Mm", "Volume-CMM", "WindChill-C"};
    QTest::newRow("F") << units(1, 0, 0, 0)
        << QStringList{"Date", "Time", "Temp-F", "wind-ms", "Area-Mm", "Volume-CMM", "WindChill-F"};
    QTest::newRow("temperature code 2") << units(2, 0, 0, 0)
        << QStringList{"Date", "Time", "Temp-F", "wind-ms", "Area-Mm", "Volume-CMM", "WindChill-F"};
    QTest::newRow("second units") << units(0, 1, 1, 1)
        << QStringList{"Date", "Time", "Temp-C", "wind-kmh", "Area-Ft", "Volume-CFM", "WindChill-C"};
    const char *const wind[] = {"wind-mph", "wind-knots", "wind-ftmin", "wind-cmm", "wind-cfm",
                                "wind-ms"};
    for (int code = 2; code <= 7; ++code) {
        QTest::addRow("wind code %d", code) << units(0, code, 0, 0)
            << QStringList{"Date", "Time", "Temp-C", wind[code - 2], "Area-Mm", "Volume-CMM", "WindChill-C"};
    }
    QTest::newRow("wind code -1") << units(0, -1, 0, 0)
        << QStringList{"Date", "Time", "Temp-C", "wind-ms", "Area-Mm", "Volume-CMM", "WindChill-C"};
}

void Tst_valuetext::headerLabels()
{
    QFETCH(UnitChoice, choice);
    QFETCH(QStringList, labels);

    QStringList sources;
    for (const char *s : headerLabelSources(choice))
        sources.append(QString::fromUtf8(s));
    QCOMPARE(sources, labels);
    // No translator is installed, so translation gives the sources back.
    QCOMPARE(::headerLabels(choice), labels);
}

void Tst_valuetext::axes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("tempTitle");
    QTest::addColumn<double>("tempMin");
    QTest::addColumn<double>("tempMax");
    QTest::addColumn<QString>("windTitle");
    QTest::addColumn<double>("windMax");

    QTest::newRow("code 0") << 0 << "Temp-C" << -20.0 << 70.0 << "wind-ms" << 50.0;
    QTest::newRow("code 1") << 1 << "Temp-F" << -4.0 << 158.0 << "wind-kmh" << 180.0;
    QTest::newRow("code 2") << 2 << "Temp-F" << -4.0 << 158.0 << "wind-mph" << 110.0;
    QTest::newRow("code 3") << 3 << "Temp-F" << -4.0 << 158.0 << "wind-knots" << 100.0;
    QTest::newRow("code 4") << 4 << "Temp-F" << -4.0 << 158.0 << "wind-ftmin" << 9800.0;
    QTest::newRow("code 5") << 5 << "Temp-F" << -4.0 << 158.0 << "wind-ms" << 50.0;
    QTest::newRow("code 6") << 6 << "Temp-F" << -4.0 << 158.0 << "wind-ms" << 50.0;
}

void Tst_valuetext::axes()
{
    QFETCH(int, code);
    QFETCH(QString, tempTitle);
    QFETCH(double, tempMin);
    QFETCH(double, tempMax);
    QFETCH(QString, windTitle);
    QFETCH(double, windMax);

    const AxisSpec t = temperatureAxis(code);
    QCOMPARE(QString::fromUtf8(t.titleSource), tempTitle);
    QCOMPARE(t.min, tempMin);
    QCOMPARE(t.max, tempMax);
    const AxisSpec w = windAxis(code);
    QCOMPARE(QString::fromUtf8(w.titleSource), windTitle);
    QCOMPARE(w.min, 0.0);
    QCOMPARE(w.max, windMax);
}

void Tst_valuetext::panelShowsInstrumentUnits_data()
{
    QTest::addColumn<PelnorXLogItem>("item");
    QTest::addColumn<PanelUnits>("units");
    QTest::addColumn<QStringList>("texts"); // wind, label, area, label, volume, label, temp, label

    const PelnorXLogItem cold = reading(5.0, -10.0, 1.0, false);
    QTest::newRow("m/s metric") << cold << panelUnits(0, false, false, false)
        << QStringList{"5.000", "m/s", "1.000", "m²", "300.000", "CMM", "-10.0", "du-C"};
    QTest::newRow("km/h") << cold << panelUnits(1, false, false, false)
        << QStringList{"18.000", "Km/h", "1.000", "m²", "300.000", "CMM", "-10.0", "du-C"};
    QTest::newRow("mph") << cold << panelUnits(2, false, false, false)
        << QStringList{"11.200", "Mph", "1.000", "m²", "300.000", "CMM", "-10.0", "du-C"};
    QTest::newRow("knots") << cold << panelUnits(3, false, false, false)
        << QStringList{"9.720", "Knots", "1.000", "m²", "300.000", "CMM", "-10.0", "du-C"};
    QTest::newRow("ft/min imperial") << cold << panelUnits(4, true, true, true)
        << QStringList{"984.350", "Ft/m", "10.764", "ft²", "10594.500", "CFM", "14.0", "du-F"};
    QTest::newRow("unknown wind code") << cold << panelUnits(9, false, false, false)
        << QStringList{"5.000", "m/s", "1.000", "m²", "300.000", "CMM", "-10.0", "du-C"};
    QTest::newRow("F cut toward zero") << reading(0.0, 22.2, 1.0, false) << panelUnits(0, false, false, true)
        << QStringList{"0.000", "m/s", "1.000", "m²", "0.000", "CMM", "71.9", "du-F"};
    QTest::newRow("no wheel") << reading(5.0, -10.0, 1.0, false, 1) << panelUnits(0, false, false, true)
        << QStringList{"5.000", "m/s", "1.000", "m²", "300.000", "CMM", "-.-", "du-F"};
    QTest::newRow("unknown state shows temperature")
        << reading(5.0, -10.0, 1.0, false, 2) << panelUnits(0, false, false, false)
        << QStringList{"5.000", "m/s", "1.000", "m²", "300.000", "CMM", "-10.0", "du-C"};
}

void Tst_valuetext::panelShowsInstrumentUnits()
{
    QFETCH(PelnorXLogItem, item);
    QFETCH(PanelUnits, units);
    QFETCH(QStringList, texts);

    const PanelTexts p = panelTexts(item, units);
    const QStringList got{p.wind, p.windLabel, p.area, QString::fromUtf8(p.areaLabelSource),
                          p.volume, QString::fromUtf8(p.volumeLabelSource), p.temperature,
                          QString::fromUtf8(p.temperatureLabelSource)};
    QCOMPARE(got, texts);
}

void Tst_valuetext::panelAfterDownloadTakesOnlyCodeOneAsSecondUnit()
{
    const PelnorXLogItem r = reading(5.0, -10.0, 1.0, false);

    const PanelTexts odd = panelTexts(r, panelUnitsOfChoice(units(2, 7, 2, 2)));
    QCOMPARE(odd.temperature, QStringLiteral("-10.0"));
    QCOMPARE(QString::fromUtf8(odd.temperatureLabelSource), QStringLiteral("du-C"));
    QCOMPARE(odd.wind, QStringLiteral("5.000"));
    QCOMPARE(odd.windLabel, QStringLiteral("m/s"));
    QCOMPARE(odd.area, QStringLiteral("1.000"));
    QCOMPARE(odd.volume, QStringLiteral("300.000"));

    const PanelTexts second = panelTexts(r, panelUnitsOfChoice(units(1, 3, 1, 1)));
    QCOMPARE(second.temperature, QStringLiteral("14.0"));
    QCOMPARE(second.windLabel, QStringLiteral("Knots"));
    QCOMPARE(second.area, QStringLiteral("10.764"));
    QCOMPARE(second.volume, QStringLiteral("10594.500"));
}

QTEST_GUILESS_MAIN(Tst_valuetext)
#include "tst_valuetext.moc"
