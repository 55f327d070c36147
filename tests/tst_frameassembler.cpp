#include <QtTest>

#include "device/frameassembler.h"
#include "device/wireformat.h"

#include "testframes.h"

using Mode = FrameAssembler::Mode;
using Outcome = FrameAssembler::Outcome;

Q_DECLARE_METATYPE(FrameAssembler::Mode)
Q_DECLARE_METATYPE(FrameAssembler::Outcome)

class Tst_frameassembler : public QObject
{
    Q_OBJECT

private slots:
    void oneStep_data();
    void oneStep();
    void crcErrorReportsBothValues();
    void frameSplitTenAndEight();
    void twoFramesNeedTwoCalls();
    void sixthStrayFrameAbandonsDownload();
    void newDownloadForgetsStrayFrames();
    void largestPackageInSmallChunks();
    void streamOfFramesSurvivesCompaction();
};

void Tst_frameassembler::oneStep_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("left");

    const QByteArray good = realtimeFrame();
    const QByteArray badEnd = withByte(good, 17, 0x04);
    const QByteArray badCrc = withByte(good, 16, quint8(good.at(16)) ^ 0x5A);
    const QByteArray badBoth = withByte(badCrc, 17, 0x00);
    const QByteArray empty = storedPackage(0);
    const QByteArray three = storedPackage(3);
    const QByteArray tail("\x02\x01\x02", 3);

    QTest::newRow("nothing buffered") << Mode::Realtime << QByteArray() << Outcome::Empty << QByteArray() << 0;
    QTest::newRow("frame start only") << Mode::Realtime << good.left(1) << Outcome::PartialFrame << QByteArray() << 1;
    QTest::newRow("frame one byte short") << Mode::Realtime << good.left(17) << Outcome::PartialFrame << QByteArray() << 17;
    QTest::newRow("good frame") << Mode::Realtime << good << Outcome::Frame << good << 0;
    QTest::newRow("good frame, rest kept") << Mode::Realtime << good + tail << Outcome::Frame << good << 3;
    QTest::newRow("wrong end byte") << Mode::Realtime << badEnd << Outcome::FrameError << QByteArray() << 0;
    QTest::newRow("wrong end byte, rest kept") << Mode::Realtime << badEnd + tail << Outcome::FrameError << QByteArray() << 3;
    QTest::newRow("wrong end and wrong crc is a frame error") << Mode::Realtime << badBoth << Outcome::FrameError << QByteArray() << 0;
    QTest::newRow("wrong crc") << Mode::Realtime << badCrc << Outcome::CrcError << QByteArray() << 0;
    QTest::newRow("wrong crc, rest kept") << Mode::Realtime << badCrc + good << Outcome::CrcError << QByteArray() << 18;
    QTest::newRow("partial frame while idle waits") << Mode::Idle << good.left(5) << Outcome::PartialFrame << QByteArray() << 5;
    QTest::newRow("frame while idle clears all") << Mode::Idle << good + tail << Outcome::IdleFrame << QByteArray() << 0;
    QTest::newRow("frame during download dropped") << Mode::Download << good + tail << Outcome::StrayFrame << QByteArray() << 3;
    QTest::newRow("package during realtime") << Mode::Realtime << empty + tail << Outcome::PackageOutsideDownload << QByteArray() << 0;
    QTest::newRow("package start during realtime") << Mode::Realtime << empty.left(1) << Outcome::PackageOutsideDownload << QByteArray() << 0;
    QTest::newRow("package while idle") << Mode::Idle << three << Outcome::PackageOutsideDownload << QByteArray() << 0;
    QTest::newRow("package start only") << Mode::Download << three.left(1) << Outcome::PartialPackage << QByteArray() << 1;
    QTest::newRow("package header without end") << Mode::Download << three.left(3) << Outcome::PartialPackage << QByteArray() << 3;
    QTest::newRow("package one byte short") << Mode::Download << three.left(three.size() - 1) << Outcome::PartialPackage << QByteArray() << three.size() - 1;
    QTest::newRow("zero-record package") << Mode::Download << empty << Outcome::Package << empty << 0;
    QTest::newRow("three-record package, rest kept") << Mode::Download << three + tail << Outcome::Package << three << 3;
    // The end byte is the decoder's business, not the assembler's.
    QTest::newRow("package end byte not checked") << Mode::Download << withByte(empty, 3, 0x7E) << Outcome::Package << withByte(empty, 3, 0x7E) << 0;
    // 0x0100 records: the low byte alone must not be taken as the count.
    QTest::newRow("count high byte counts") << Mode::Download << QByteArray("\x04\x01\x00\x03", 4) + QByteArray(8, 'x') << Outcome::PartialPackage << QByteArray() << 12;
    QTest::newRow("count 0x0080 read unsigned") << Mode::Download << QByteArray("\x04\x00\x80", 3) + QByteArray(8 * 0x80, 'r') + "\x03" << Outcome::Package << QByteArray("\x04\x00\x80", 3) + QByteArray(8 * 0x80, 'r') + "\x03" << 0;
    QTest::newRow("unknown first byte clears all") << Mode::Realtime << QByteArray("\x55") + good << Outcome::UnknownStart << QByteArray() << 0;
    QTest::newRow("end byte first") << Mode::Download << QByteArray("\x03") + empty << Outcome::UnknownStart << QByteArray() << 0;
    QTest::newRow("zero byte first while idle") << Mode::Idle << QByteArray(3, '\0') << Outcome::UnknownStart << QByteArray() << 0;
}

void Tst_frameassembler::oneStep()
{
    QFETCH(Mode, mode);
    QFETCH(QByteArray, input);
    QFETCH(Outcome, outcome);
    QFETCH(QByteArray, message);
    QFETCH(int, left);

    FrameAssembler a;
    a.append(input);
    const FrameAssembler::Result r = a.next(mode);
    QCOMPARE(r.outcome, outcome);
    QCOMPARE(r.bufferLength, input.size());
    QCOMPARE(r.message, message);
    QCOMPARE(a.size(), left);
}

void Tst_frameassembler::crcErrorReportsBothValues()
{
    const QByteArray good = realtimeFrame(500, -12);
    const quint8 crc = wire::crc8(good.constData() + 1, 15);
    QCOMPARE(quint8(good.at(16)), crc);

    // 0x80 is read back as a signed byte, the way the debug line shows it.
    FrameAssembler a;
    a.append(withByte(good, 16, crc == 0x80 ? 0x81 : 0x80));
    const FrameAssembler::Result r = a.next(Mode::Realtime);
    QCOMPARE(r.outcome, Outcome::CrcError);
    QCOMPARE(r.computedCrc, crc);
    QCOMPARE(int(r.receivedCrc), crc == 0x80 ? -127 : -128);
}

void Tst_frameassembler::frameSplitTenAndEight()
{
    const QByteArray good = realtimeFrame();
    FrameAssembler a;
    a.append(good.left(10));
    QCOMPARE(a.next(Mode::Realtime).outcome, Outcome::PartialFrame);
    QCOMPARE(a.next(Mode::Realtime).outcome, Outcome::PartialFrame);
    a.append(good.mid(10));
    const FrameAssembler::Result r = a.next(Mode::Realtime);
    QCOMPARE(r.outcome, Outcome::Frame);
    QCOMPARE(r.message, good);
    QCOMPARE(a.next(Mode::Realtime).outcome, Outcome::Empty);
}

void Tst_frameassembler::twoFramesNeedTwoCalls()
{
    const QByteArray first = realtimeFrame(1);
    const QByteArray second = realtimeFrame(2);
    FrameAssembler a;
    a.append(first + second);
    FrameAssembler::Result r = a.next(Mode::Realtime);
    QCOMPARE(r.message, first);
    QCOMPARE(a.size(), 18);
    r = a.next(Mode::Realtime);
    QCOMPARE(r.outcome, Outcome::Frame);
    QCOMPARE(r.bufferLength, 18);
    QCOMPARE(r.message, second);
    QVERIFY(a.isEmpty());
}

void Tst_frameassembler::sixthStrayFrameAbandonsDownload()
{
    const QByteArray good = realtimeFrame();
    const QByteArray partial = storedPackage(2).left(3);
    FrameAssembler a;
    a.beginDownload();
    for (int i = 1; i <= 5; ++i) {
        a.append(good);
        const FrameAssembler::Result r = a.next(Mode::Download);
        QCOMPARE(r.outcome, Outcome::StrayFrame);
        QCOMPARE(r.strayFrames, i);
        QVERIFY(a.isEmpty());
    }
    a.append(good + partial);
    const FrameAssembler::Result r = a.next(Mode::Download);
    QCOMPARE(r.outcome, Outcome::DownloadAbandoned);
    QCOMPARE(r.strayFrames, 6);
    QVERIFY(a.isEmpty());
}

void Tst_frameassembler::newDownloadForgetsStrayFrames()
{
    const QByteArray good = realtimeFrame();
    FrameAssembler a;
    a.beginDownload();
    for (int i = 0; i < 5; ++i) {
        a.append(good);
        a.next(Mode::Download);
    }
    a.append(good.left(4));
    a.beginDownload();
    QVERIFY(a.isEmpty());
    a.append(good);
    const FrameAssembler::Result r = a.next(Mode::Download);
    QCOMPARE(r.outcome, Outcome::StrayFrame);
    QCOMPARE(r.strayFrames, 1);

    // Clearing the buffer alone (a realtime start) does not touch the count.
    a.clear();
    QCOMPARE(a.strayFrameCount(), 1);
}

void Tst_frameassembler::largestPackageInSmallChunks()
{
    const QByteArray whole = storedPackage(wire::kMaxRecords);
    QCOMPARE(whole.size(), 524284);
    const QByteArray next = realtimeFrame();

    FrameAssembler a;
    a.beginDownload();
    int packages = 0;
    for (int pos = 0; pos < whole.size(); pos += 61) {
        a.append(whole.mid(pos, 61));
        const FrameAssembler::Result r = a.next(Mode::Download);
        if (r.outcome == Outcome::Package) {
            ++packages;
            QCOMPARE(pos + 61 >= whole.size(), true);
            QCOMPARE(r.message, whole);
        } else {
            QCOMPARE(r.outcome, Outcome::PartialPackage);
            QCOMPARE(r.bufferLength, pos + 61);
            QCOMPARE(r.packageRecords, wire::kMaxRecords);
        }
    }
    QCOMPARE(packages, 1);
    QVERIFY(a.isEmpty());

    // The count is known, for the download's progress, from its third byte.
    a.append(whole.left(2));
    QCOMPARE(a.next(Mode::Download).packageRecords, -1);
    a.append(whole.mid(2, 1));
    QCOMPARE(a.next(Mode::Download).packageRecords, wire::kMaxRecords);
    a.clear();

    // The buffer is usable afterwards.
    a.append(next);
    QCOMPARE(a.next(Mode::Realtime).message, next);
}

void Tst_frameassembler::streamOfFramesSurvivesCompaction()
{
    // Frames arrive in odd-sized chunks and are taken one per call, so the
    // front of the buffer is consumed while new bytes keep being appended.
    QVector<QByteArray> sent;
    QByteArray stream;
    for (int i = 0; i < 300; ++i) {
        sent.append(realtimeFrame(quint16(i), qint16(i - 150)));
        stream += sent.last();
    }
    FrameAssembler a;
    QVector<QByteArray> got;
    const int chunks[] = {1, 7, 18, 40, 3, 90, 17, 55};
    int pos = 0;
    for (int k = 0; pos < stream.size(); ++k) {
        const int n = chunks[k % 8];
        a.append(stream.mid(pos, n));
        pos += n;
        const FrameAssembler::Result r = a.next(Mode::Realtime);
        if (r.outcome == Outcome::Frame)
            got.append(r.message);
        else
            QCOMPARE(r.outcome, Outcome::PartialFrame);
    }
    for (;;) {
        const FrameAssembler::Result r = a.next(Mode::Realtime);
        if (r.outcome != Outcome::Frame)
            break;
        got.append(r.message);
    }
    QVERIFY(a.isEmpty());
    QCOMPARE(got, sent);
}

QTEST_GUILESS_MAIN(Tst_frameassembler)
#include "tst_frameassembler.moc"
