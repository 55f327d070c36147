#include <QtTest>

#include "device/realtimeframe.h"
#include "device/storedpackage.h"
#include "device/wireformat.h"
#include "model/measurements.h"
#include "ui/devicetexts.h"

namespace {
wire::RecordFields exampleRecord(quint8 flags = 0x00)
{
    wire::RecordFields r;
    r.speedMmPerS = 2000;
    r.temperatureDeciC = -200;
    r.areaMantissa = 100;
    r.areaDecimals = 2;
    r.flags = flags;
    return r;
}

QDateTime at(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms));
}
} // namespace

class Tst_decoders : public QObject
{
    Q_OBJECT

private slots:
    void frameFields_data();
    void frameFields();
    void frameByteLayout();
    void shortFrameGivesDefault();
    void recordFromFrameStamps_data();
    void recordFromFrameStamps();
    void recordFromFrameKeepsRawState();
    void panelUnitsOfFrame_data();
    void panelUnitsOfFrame();
    void deviceState_data();
    void deviceState();
    void batteryPicture_data();
    void batteryPicture();

    void packageExampleRecord();
    void storedRecord_data();
    void storedRecord();
    void emptyPackageIsValid();
    void invalidPackages_data();
    void invalidPackages();
    void recordOutsidePackageGivesDefault();
    void chartTimes_data();
    void chartTimes();
    void fullPackage();
};

void Tst_decoders::frameFields_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<double>("speed");
    QTest::addColumn<double>("area");
    QTest::addColumn<bool>("feet");
    QTest::addColumn<int>("volumeUnit");
    QTest::addColumn<double>("temperature");

    auto frame = [](quint16 speed, quint16 mantissa, quint8 decimals, quint8 areaUnit,
                    quint8 volumeUnit, qint16 deciC) {
        wire::FrameFields f;
        f.speedMmPerS = speed;
        f.areaMantissa = mantissa;
        f.areaDecimals = decimals;
        f.areaUnit = areaUnit;
        f.volumeUnit = volumeUnit;
        f.temperatureDeciC = deciC;
        return wire::encodeRealtimeFrame(f);
    };

    QTest::newRow("-10.0 C from FF 9C") << frame(0, 0, 0, 0, 0, -100) << 0.0 << 0.0 << false << 0 << -10.0;
    QTest::newRow("25.0 C from 00 FA") << frame(0, 0, 0, 0, 0, 250) << 0.0 << 0.0 << false << 0 << 25.0;
    QTest::newRow("-3276.8 C from 80 00") << frame(0, 0, 0, 0, 0, -32768) << 0.0 << 0.0 << false << 0 << -3276.8;
    QTest::newRow("3276.7 C from 7F FF") << frame(0, 0, 0, 0, 0, 32767) << 0.0 << 0.0 << false << 0 << 3276.7;
    QTest::newRow("5.000 m/s from 13 88") << frame(5000, 0, 0, 0, 0, 0) << 5.0 << 0.0 << false << 0 << 0.0;
    QTest::newRow("65.535 m/s from FF FF") << frame(65535, 0, 0, 0, 0, 0) << 65.535 << 0.0 << false << 0 << 0.0;
    QTest::newRow("1.234 ft2 CFM from 0x11") << frame(0, 1234, 3, 1, 1, 0) << 0.0 << 1.234 << true << 1 << 0.0;
    QTest::newRow("1.234 m2 CMM from 0x00") << frame(0, 1234, 3, 0, 0, 0) << 0.0 << 1.234 << false << 0 << 0.0;
    QTest::newRow("0x02 is m2") << frame(0, 1234, 3, 2, 0, 0) << 0.0 << 1.234 << false << 0 << 0.0;
    QTest::newRow("0 decimals is the mantissa") << frame(0, 65535, 0, 0, 0, 0) << 0.0 << 65535.0 << false << 0 << 0.0;
    QTest::newRow("4 decimals") << frame(0, 100, 4, 0, 0, 0) << 0.0 << 0.01 << false << 0 << 0.0;
    QTest::newRow("high nibble 2") << frame(0, 0, 0, 1, 2, 0) << 0.0 << 0.0 << true << 2 << 0.0;
}

void Tst_decoders::frameFields()
{
    QFETCH(QByteArray, frame);
    QFETCH(double, speed);
    QFETCH(double, area);
    QFETCH(bool, feet);
    QFETCH(int, volumeUnit);
    QFETCH(double, temperature);

    const RealtimeFrame f = decodeRealtimeFrame(frame);
    QCOMPARE(f.speedMs, speed);
    QCOMPARE(f.area, area);
    QCOMPARE(f.areaInSquareFeet, feet);
    QCOMPARE(int(f.deviceVolumeUnit), volumeUnit);
    QCOMPARE(f.temperatureC, temperature);
}

void Tst_decoders::frameByteLayout()
{
    // Written out by hand so the decoder is not only checked against the encoder.
    const QByteArray frame = QByteArray::fromHex("02 AA 01 1388 03 04D2 03 11 FF9C 01 BBCC 05 00 03");
    QCOMPARE(frame.size(), 18);
    const RealtimeFrame f = decodeRealtimeFrame(frame);
    QCOMPARE(int(f.deviceState), 1);
    QCOMPARE(f.speedMs, 5.0);
    QCOMPARE(int(f.deviceWindUnit), 3);
    QCOMPARE(f.area, 1.234);
    QVERIFY(f.areaInSquareFeet);
    QCOMPARE(int(f.deviceVolumeUnit), 1);
    QCOMPARE(f.temperatureC, -10.0);
    QCOMPARE(int(f.deviceTemperatureUnit), 1);
    QCOMPARE(int(f.batteryLevel), 5);
}

void Tst_decoders::shortFrameGivesDefault()
{
    const QByteArray frame = QByteArray::fromHex("02 AA 01 1388 03 04D2 03 11");
    const RealtimeFrame f = decodeRealtimeFrame(frame);
    QCOMPARE(f.speedMs, 0.0);
    QCOMPARE(f.area, 0.0);
    QCOMPARE(int(f.deviceState), 0);
    QCOMPARE(decodeRealtimeFrame(QByteArray()).temperatureC, 0.0);
}

void Tst_decoders::recordFromFrameStamps_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");

    QTest::newRow("new year") << at(2025, 1, 1, 0, 0, 7) << "2025-1-1" << "00:00:07";
    QTest::newRow("morning in March") << at(2024, 3, 7, 9, 5, 7) << "2024-3-7" << "09:05:07";
    QTest::newRow("end of year") << at(2024, 12, 31, 23, 59, 59, 999) << "2024-12-31" << "23:59:59";
}

void Tst_decoders::recordFromFrameStamps()
{
    QFETCH(QDateTime, now);
    QFETCH(QString, date);
    QFETCH(QString, time);

    wire::FrameFields fields;
    fields.speedMmPerS = 5000;
    fields.areaMantissa = 1234;
    fields.areaDecimals = 3;
    fields.areaUnit = 1;
    fields.temperatureDeciC = -100;
    const RealtimeFrame f = decodeRealtimeFrame(wire::encodeRealtimeFrame(fields));
    const PelnorXLogItem r = recordFromFrame(f, now);

    QCOMPARE(r.date, date);
    QCOMPARE(r.time, time);
    QCOMPARE(r.id, 0u);
    QCOMPARE(r.devstate, 0);
    QCOMPARE(r.windspeed_ms, 5.0);
    QCOMPARE(r.temperature_c, -10.0);
    QCOMPARE(r.windarea_ft, 1.234);
    QCOMPARE(r.windarea_mm, 1.234 * 0.093);
    QCOMPARE(r.volume_cfm, 5.0 * 196.87 * 1.234);
    QVERIFY(qAbs(r.windchill_c - -17.447) < 1e-3);
}

void Tst_decoders::recordFromFrameKeepsRawState()
{
    wire::FrameFields fields;
    fields.deviceState = 200;
    const PelnorXLogItem r = recordFromFrame(decodeRealtimeFrame(wire::encodeRealtimeFrame(fields)),
                                             at(2024, 3, 7, 9, 5, 7));
    QCOMPARE(r.devstate, 200);
}

void Tst_decoders::panelUnitsOfFrame_data()
{
    QTest::addColumn<int>("windUnit");
    QTest::addColumn<int>("areaUnit");
    QTest::addColumn<int>("volumeUnit");
    QTest::addColumn<int>("tempUnit");
    QTest::addColumn<bool>("feet");
    QTest::addColumn<bool>("cfm");
    QTest::addColumn<bool>("fahrenheit");

    QTest::newRow("all first units") << 0 << 0 << 0 << 0 << false << false << false;
    QTest::newRow("all second units") << 4 << 1 << 1 << 1 << true << true << true;
    QTest::newRow("codes 2 are first units") << 1 << 2 << 2 << 2 << false << false << false;
    QTest::newRow("codes 15 are first units") << 7 << 15 << 15 << 255 << false << false << false;
}

void Tst_decoders::panelUnitsOfFrame()
{
    QFETCH(int, windUnit);
    QFETCH(int, areaUnit);
    QFETCH(int, volumeUnit);
    QFETCH(int, tempUnit);
    QFETCH(bool, feet);
    QFETCH(bool, cfm);
    QFETCH(bool, fahrenheit);

    wire::FrameFields fields;
    fields.windUnit = quint8(windUnit);
    fields.areaUnit = quint8(areaUnit);
    fields.volumeUnit = quint8(volumeUnit);
    fields.temperatureUnit = quint8(tempUnit);
    const PanelUnits p = ::panelUnitsOfFrame(decodeRealtimeFrame(wire::encodeRealtimeFrame(fields)));
    QCOMPARE(p.wind, windUnit);
    QCOMPARE(p.areaInSquareFeet, feet);
    QCOMPARE(p.volumeInCfm, cfm);
    QCOMPARE(p.temperatureInF, fahrenheit);
}

void Tst_decoders::deviceState_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("text");

    QTest::newRow("0") << 0 << "Normal";
    QTest::newRow("1") << 1 << "No Wheel";
    QTest::newRow("2") << 2 << "Unknown";
    QTest::newRow("255") << 255 << "Unknown";
}

void Tst_decoders::deviceState()
{
    QFETCH(int, state);
    QFETCH(QString, text);

    QCOMPARE(QString::fromUtf8(deviceStateSource(quint8(state))), text);
    QCOMPARE(deviceStateText(quint8(state)), text);
}

void Tst_decoders::batteryPicture_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("path");

    for (int level = 0; level <= 4; ++level)
        QTest::addRow("level %d", level) << level << QStringLiteral(":/picture/battle/battle%1.png").arg(level);
    QTest::newRow("level 5") << 5 << ":/picture/battle/empty.png";
    QTest::newRow("level 255") << 255 << ":/picture/battle/empty.png";
}

void Tst_decoders::batteryPicture()
{
    QFETCH(int, level);
    QFETCH(QString, path);

    wire::FrameFields fields;
    fields.batteryLevel = quint8(level);
    const RealtimeFrame f = decodeRealtimeFrame(wire::encodeRealtimeFrame(fields));
    QCOMPARE(batteryPicturePath(f.batteryLevel), path);
}

void Tst_decoders::packageExampleRecord()
{
    const QByteArray package = QByteArray::fromHex("04 0001 07D0 FF38 0064 02 00 03");
    QCOMPARE(wire::encodeStoredPackage({exampleRecord()}), package);
    QVERIFY(isValidPackage(package));

    const QDateTime now = at(2024, 3, 7, 12, 0, 0);
    const QVector<DownloadedRecord> records = recordsFromPackage(package, now);
    QCOMPARE(records.size(), 1);
    const PelnorXLogItem &r = records.at(0).item;
    QCOMPARE(r.windspeed_ms, 2.0);
    QCOMPARE(r.temperature_c, -20.0);
    QCOMPARE(r.windarea_mm, 1.0);
    QCOMPARE(r.volume_cmm, 120.0);
    const PelnorXLogItem derived = deriveMeasurements(2.0, -20.0, 1.0, false);
    QCOMPARE(r.windchill_c, derived.windchill_c);
    QVERIFY(r.windchill_c < -20.0);
    QCOMPARE(r.date, QStringLiteral(" "));
    QCOMPARE(r.time, QStringLiteral(" "));
    QCOMPARE(r.devstate, 0);
    QCOMPARE(r.id, 0u);
    QCOMPARE(records.at(0).chartTimeMs, now.toMSecsSinceEpoch() - 500);
}

void Tst_decoders::storedRecord_data()
{
    QTest::addColumn<quint8>("flags");
    QTest::addColumn<qint16>("deciC");
    QTest::addColumn<bool>("feet");
    QTest::addColumn<double>("temperature");

    QTest::newRow("flag 0x00 m2") << quint8(0x00) << qint16(-200) << false << -20.0;
    QTest::newRow("flag 0x01 ft2") << quint8(0x01) << qint16(-200) << true << -20.0;
    QTest::newRow("flag 0xFE m2") << quint8(0xFE) << qint16(-200) << false << -20.0;
    QTest::newRow("flag 0xFF ft2") << quint8(0xFF) << qint16(-200) << true << -20.0;
    QTest::newRow("-3276.8 C from 80 00") << quint8(0x00) << qint16(-32768) << false << -3276.8;
    QTest::newRow("25.0 C") << quint8(0x00) << qint16(250) << false << 25.0;
}

void Tst_decoders::storedRecord()
{
    QFETCH(quint8, flags);
    QFETCH(qint16, deciC);
    QFETCH(bool, feet);
    QFETCH(double, temperature);

    wire::RecordFields fields = exampleRecord(flags);
    fields.temperatureDeciC = deciC;
    const QByteArray package = wire::encodeStoredPackage({exampleRecord(), fields});
    const StoredRecord s = decodeStoredRecord(package, 1);
    QCOMPARE(s.speedMs, 2.0);
    QCOMPARE(s.area, 1.0);
    QCOMPARE(s.areaInSquareFeet, feet);
    QCOMPARE(s.temperatureC, temperature);

    const PelnorXLogItem r = recordsFromPackage(package, QDateTime::currentDateTime()).at(1).item;
    QCOMPARE(r.windarea_ft, feet ? 1.0 : 10.764);
    QCOMPARE(r.windarea_mm, feet ? 0.093 : 1.0);
    QCOMPARE(r.temperature_c, temperature);
}

void Tst_decoders::emptyPackageIsValid()
{
    const QByteArray package = QByteArray::fromHex("04 0000 03");
    QVERIFY(isValidPackage(package));
    QCOMPARE(packageRecordCount(package), 0);
    QVERIFY(recordsFromPackage(package, QDateTime::currentDateTime()).isEmpty());
}

void Tst_decoders::invalidPackages_data()
{
    QTest::addColumn<QByteArray>("package");

    const QByteArray good = wire::encodeStoredPackage({exampleRecord(), exampleRecord()});
    QByteArray wrongStart = good;
    wrongStart[0] = 0x02;
    QByteArray wrongEnd = good;
    wrongEnd[good.size() - 1] = 0x00;
    QByteArray countTooHigh = good;
    countTooHigh[2] = 3;
    QByteArray countTooLow = good;
    countTooLow[2] = 1;

    QTest::newRow("wrong start") << wrongStart;
    QTest::newRow("wrong end") << wrongEnd;
    QTest::newRow("count above records") << countTooHigh;
    QTest::newRow("count below records") << countTooLow;
    QTest::newRow("one byte missing") << good.left(good.size() - 2) + QByteArray(1, 0x03);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("start only") << QByteArray(1, 0x04);
    QTest::newRow("start and end") << QByteArray::fromHex("04 03");
    QTest::newRow("no count low byte") << QByteArray::fromHex("04 00 03");
    QTest::newRow("count 65535 without records") << QByteArray::fromHex("04 FFFF 03");
}

void Tst_decoders::invalidPackages()
{
    QFETCH(QByteArray, package);

    QVERIFY(!isValidPackage(package));
    QVERIFY(recordsFromPackage(package, QDateTime::currentDateTime()).isEmpty());
}

void Tst_decoders::recordOutsidePackageGivesDefault()
{
    const QByteArray package = wire::encodeStoredPackage({exampleRecord()});
    for (int j : {-1, 1, 1 << 29}) {
        const StoredRecord s = decodeStoredRecord(package, j);
        QCOMPARE(s.speedMs, 0.0);
        QCOMPARE(s.temperatureC, 0.0);
        QCOMPARE(s.area, 0.0);
        QVERIFY(!s.areaInSquareFeet);
    }
}

void Tst_decoders::chartTimes_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QVector<QDateTime>>("times");

    const QDateTime noon = at(2024, 3, 7, 12, 0, 0);
    QTest::newRow("two records") << 2 << noon
                                 << QVector<QDateTime>{noon.addMSecs(-1000), noon.addMSecs(-500)};
    QTest::newRow("three records at noon")
        << 3 << noon
        << QVector<QDateTime>{at(2024, 3, 7, 11, 59, 58, 500), at(2024, 3, 7, 11, 59, 59),
                              at(2024, 3, 7, 11, 59, 59, 500)};
}

void Tst_decoders::chartTimes()
{
    QFETCH(int, count);
    QFETCH(QDateTime, now);
    QFETCH(QVector<QDateTime>, times);

    QVector<wire::RecordFields> fields;
    for (int j = 0; j < count; ++j) {
        wire::RecordFields f = exampleRecord();
        f.speedMmPerS = quint16(1000 * (j + 1));
        fields.append(f);
    }
    const QVector<DownloadedRecord> records = recordsFromPackage(wire::encodeStoredPackage(fields), now);
    QCOMPARE(records.size(), count);
    for (int j = 0; j < count; ++j) {
        QCOMPARE(records.at(j).chartTimeMs, times.at(j).toMSecsSinceEpoch());
        QCOMPARE(records.at(j).item.windspeed_ms, double(j + 1)); // package order kept
    }
}

void Tst_decoders::fullPackage()
{
    QVector<wire::RecordFields> fields(wire::kMaxRecords, exampleRecord());
    fields.last().speedMmPerS = 65535;
    const QByteArray package = wire::encodeStoredPackage(fields);
    QCOMPARE(package.size(), wire::kMaxPackageSize);
    QVERIFY(isValidPackage(package));

    const QDateTime now = at(2024, 3, 7, 12, 0, 0);
    const qint64 nowMs = now.toMSecsSinceEpoch();
    const QVector<DownloadedRecord> records = recordsFromPackage(package, now);
    QCOMPARE(records.size(), wire::kMaxRecords);
    QCOMPARE(records.first().chartTimeMs, nowMs - qint64(wire::kMaxRecords) * 500);
    QCOMPARE(records.last().chartTimeMs, nowMs - 500);
    QCOMPARE(records.first().item.windspeed_ms, 2.0);
    QCOMPARE(records.last().item.windspeed_ms, 65.535);
    QCOMPARE(records.last().item.time, QStringLiteral(" "));
}

QTEST_GUILESS_MAIN(Tst_decoders)
#include "tst_decoders.moc"
