#include <QtTest>

#include "device/wireformat.h"

Q_DECLARE_METATYPE(wire::FrameFields)
Q_DECLARE_METATYPE(wire::RecordFields)

// Expected bytes are written out by hand from the protocol tables, so the
// encoders are checked against the wire format rather than against
// themselves.
class Tst_wireformat : public QObject
{
    Q_OBJECT

private slots:
    void crcCheckValue();
    void crcOfNothingIsTheInitialValue();
    void crcSeesEveryPayloadBit();

    void realtimeFrame_data();
    void realtimeFrame();

    void storedRecord_data();
    void storedRecord();

    void package_data();
    void package();
    void largestPackage();
    void packageNeverWrapsTheCount();
};

static QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

void Tst_wireformat::crcCheckValue()
{
    QCOMPARE(int(wire::crc8(QByteArray("123456789"))), 0xF7);
}

void Tst_wireformat::crcOfNothingIsTheInitialValue()
{
    // No final XOR: an empty input leaves the initial value.
    QCOMPARE(int(wire::crc8(QByteArray())), 0xFF);
}

void Tst_wireformat::crcSeesEveryPayloadBit()
{
    wire::FrameFields f;
    f.speedMmPerS = 5000;
    f.temperatureDeciC = 215;
    const QByteArray frame = wire::encodeRealtimeFrame(f);
    const quint8 crc = wire::crc8(frame.mid(1, 15));
    for (int i = 1; i <= 15; ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            QByteArray payload = frame.mid(1, 15);
            payload[i - 1] = char(payload.at(i - 1) ^ (1 << bit));
            QVERIFY2(wire::crc8(payload) != crc, qPrintable(QStringLiteral("byte %1 bit %2").arg(i).arg(bit)));
        }
    }
}

void Tst_wireformat::realtimeFrame_data()
{
    QTest::addColumn<wire::FrameFields>("fields");
    QTest::addColumn<QByteArray>("expected");

    wire::FrameFields f;
    f.speedMmPerS = 5000;
    QTest::newRow("speed 0x1388 is 5000 mm/s")
        << f << hex("02 00 00 13 88 00 00 00 00 00 00 00 00 00 00 04 A6 03");

    f = {};
    f.temperatureDeciC = -100;
    QTest::newRow("temperature 0xFF9C is -10.0 C, two's complement")
        << f << hex("02 00 00 00 00 00 00 00 00 00 FF 9C 00 00 00 04 89 03");

    f = {};
    f.temperatureDeciC = 250;
    QTest::newRow("temperature 0x00FA is 25.0 C")
        << f << hex("02 00 00 00 00 00 00 00 00 00 00 FA 00 00 00 04 52 03");

    f = {};
    f.areaMantissa = 1234;
    f.areaDecimals = 3;
    f.areaUnit = 1;
    f.volumeUnit = 1;
    QTest::newRow("area 1.234 ft2 shown in CFM, byte 9 = 0x11")
        << f << hex("02 00 00 00 00 00 04 D2 03 11 00 00 00 00 00 04 E7 03");

    f.areaUnit = 0;
    f.volumeUnit = 0;
    QTest::newRow("area 1.234 m2 shown in CMM, byte 9 = 0x00")
        << f << hex("02 00 00 00 00 00 04 D2 03 00 00 00 00 00 00 04 81 03");

    f = {};
    f.deviceState = 1;
    f.temperatureUnit = 1;
    f.batteryLevel = 5;
    QTest::newRow("no wheel, shown in F, empty battery")
        << f << hex("02 00 01 00 00 00 00 00 00 00 00 00 01 00 00 05 5C 03");

    f = {};
    f.batteryLevel = 0;
    QTest::newRow("all zero payload")
        << f << hex("02 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 C9 03");

    f = {};
    f.byte1 = 0xAA;
    f.deviceState = 2;
    f.speedMmPerS = 65535;
    f.windUnit = 4;
    f.areaMantissa = 65535;
    f.areaDecimals = 255;
    f.areaUnit = 2;
    f.volumeUnit = 1;
    f.temperatureDeciC = -32768;
    f.temperatureUnit = 1;
    f.bytes13to14 = 0xBEEF;
    f.batteryLevel = 0;
    QTest::newRow("every field at its limit, uninterpreted bytes kept")
        << f << hex("02 AA 02 FF FF 04 FF FF FF 12 80 00 01 BE EF 00 51 03");

    f = {};
    f.areaUnit = 0x12;
    f.volumeUnit = 0x31;
    f.batteryLevel = 0;
    QTest::newRow("unit nibbles do not spill into each other")
        << f << hex("02 00 00 00 00 00 00 00 00 12 00 00 00 00 00 00 A5 03");
}

void Tst_wireformat::realtimeFrame()
{
    QFETCH(wire::FrameFields, fields);
    QFETCH(QByteArray, expected);
    QCOMPARE(wire::encodeRealtimeFrame(fields).toHex(' '), expected.toHex(' '));
}

void Tst_wireformat::storedRecord_data()
{
    QTest::addColumn<wire::RecordFields>("fields");
    QTest::addColumn<QByteArray>("expected");

    wire::RecordFields r;
    r.speedMmPerS = 2000;
    r.temperatureDeciC = -200;
    r.areaMantissa = 100;
    r.areaDecimals = 2;
    QTest::newRow("2.000 m/s, -20.0 C, 1.00 m2") << r << hex("07 D0 FF 38 00 64 02 00");

    r.flags = 0x01;
    QTest::newRow("same record in ft2") << r << hex("07 D0 FF 38 00 64 02 01");

    r = {};
    r.temperatureDeciC = -32768;
    QTest::newRow("temperature 0x8000 is -3276.8 C") << r << hex("00 00 80 00 00 00 00 00");

    r = {};
    r.speedMmPerS = 65535;
    r.temperatureDeciC = 32767;
    r.areaMantissa = 65535;
    r.areaDecimals = 255;
    r.flags = 0xFE;
    QTest::newRow("largest values") << r << hex("FF FF 7F FF FF FF FF FE");
}

void Tst_wireformat::storedRecord()
{
    QFETCH(wire::RecordFields, fields);
    QFETCH(QByteArray, expected);
    QCOMPARE(wire::encodeStoredRecord(fields).toHex(' '), expected.toHex(' '));
}

void Tst_wireformat::package_data()
{
    QTest::addColumn<QVector<wire::RecordFields>>("records");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("zero records") << QVector<wire::RecordFields>() << hex("04 00 00 03");

    wire::RecordFields a;
    a.speedMmPerS = 2000;
    a.temperatureDeciC = -200;
    a.areaMantissa = 100;
    a.areaDecimals = 2;
    QTest::newRow("one record")
        << QVector<wire::RecordFields>{a} << hex("04 00 01 07 D0 FF 38 00 64 02 00 03");

    wire::RecordFields b;
    b.speedMmPerS = 1;
    b.temperatureDeciC = 1;
    b.areaMantissa = 1;
    b.flags = 1;
    QTest::newRow("two records in order")
        << QVector<wire::RecordFields>{a, b}
        << hex("04 00 02 07 D0 FF 38 00 64 02 00 00 01 00 01 00 01 00 01 03");
}

void Tst_wireformat::package()
{
    QFETCH(QVector<wire::RecordFields>, records);
    QFETCH(QByteArray, expected);
    QCOMPARE(wire::encodeStoredPackage(records).toHex(' '), expected.toHex(' '));
}

void Tst_wireformat::largestPackage()
{
    QVector<wire::RecordFields> records(65535);
    for (int j = 0; j < records.size(); ++j)
        records[j].speedMmPerS = quint16(j);
    const QByteArray p = wire::encodeStoredPackage(records);
    QCOMPARE(p.size(), 524284);
    QCOMPARE(p.left(3), hex("04 FF FF"));
    QCOMPARE(p.right(1), hex("03"));
    // Record j starts at 3 + 8j.
    QCOMPARE(p.mid(3 + 8 * 258, 2), hex("01 02"));
    QCOMPARE(p.mid(3 + 8 * 65534, 8), hex("FF FE 00 00 00 00 00 00"));
}

void Tst_wireformat::packageNeverWrapsTheCount()
{
    // 65536 records would read as a count of 0 with half a megabyte behind
    // it; the package holds the first 65535 and says so.
    const QByteArray p = wire::encodeStoredPackage(QVector<wire::RecordFields>(65536));
    QCOMPARE(p.size(), 524284);
    QCOMPARE(p.left(3), hex("04 FF FF"));
    QCOMPARE(p.right(1), hex("03"));
}

QTEST_GUILESS_MAIN(Tst_wireformat)
#include "tst_wireformat.moc"
