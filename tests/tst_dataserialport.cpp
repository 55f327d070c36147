#include <memory>

#include <QtTest>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include "device/dataserialport.h"
#include "device/wireformat.h"
#include "ptypair.h"

namespace {

const QString kMissingPort = QStringLiteral("/nonexistent/aq7316-tty");

QByteArray frame(quint16 speed = 1000)
{
    wire::FrameFields f;
    f.speedMmPerS = speed;
    f.temperatureDeciC = 231;
    return wire::encodeRealtimeFrame(f);
}

QByteArray withByte(QByteArray bytes, int index, quint8 value)
{
    bytes[index] = char(value);
    return bytes;
}

QByteArray package(int records)
{
    QVector<wire::RecordFields> list;
    list.reserve(records);
    for (int i = 0; i < records; ++i) {
        wire::RecordFields r;
        r.speedMmPerS = quint16(i * 3);
        r.temperatureDeciC = qint16(i % 700 - 200);
        r.areaMantissa = quint16(i ^ 0x5A5A);
        r.areaDecimals = quint8(i % 4);
        r.flags = quint8(i & 1);
        list.append(r);
    }
    return wire::encodeStoredPackage(list);
}

// Descriptors of this process that refer to the given device.
int openDescriptors(const QString &device)
{
    const QString target = QFileInfo(device).canonicalFilePath();
    int n = 0;
    const QFileInfoList fds = QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &fd : fds) {
        if (fd.symLinkTarget() == target)
            ++n;
    }
    return n;
}

// Waits for the link's next realtime query; under load several may have piled up.
bool waitForQueries(PtyPair &pty)
{
    const QByteArray got = pty.read(1, 10000);
    return !got.isEmpty() && got.count(wire::kRealtimeQuery) == got.size();
}

int trailing(const QList<int> &codes, int code)
{
    int n = 0;
    for (int i = codes.size() - 1; i >= 0 && codes.at(i) == code; --i)
        ++n;
    return n;
}

} // namespace

// Receives the link's signals in the test's thread, so the spies are only
// ever touched here.
class LinkRelay : public QObject
{
    Q_OBJECT
signals:
    void frame(QByteArray frame);
    void package(QByteArray package);
    void code(int status);
    void progress(int received, int total);
};

class Tst_dataserialport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void debugTexts();
    void openForms_data();
    void openForms();
    void failedOpenStartsNoTimer_data();
    void failedOpenStartsNoTimer();
    void silentInstrumentGoesOffline();
    void answeredPollsGiveOneTimeout();
    void frameSplitTenAndEight();
    void twoFramesInOneRead();
    void corruptFramesNeverOffline();
    void unexpectedStartByte_data();
    void unexpectedStartByte();
    void portFoundClosedAtEveryTick();
    void hungUpLineClosesPort();
    void downloadRequestSentOnceAndGuardExpires();
    void zeroRecordPackage();
    void largestPackageInChunks();
    void packageCutShort();
    void slowPackageOutlastsGuard_data();
    void slowPackageOutlastsGuard();
    void sixthStrayFrameAbandonsDownload();
    void strayFramesAndPackageInOneChunk_data();
    void strayFramesAndPackageInOneChunk();
    void sendStopsAtZeroByte_data();
    void sendStopsAtZeroByte();
    void destroyingLinkClosesPort();

private:
    void invoke(const char *slot);
    bool portOpen();
    void openBlocking();
    void stopThread();
    QList<int> codes() const;

    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<QThread> m_thread;
    DataSerialPort *m_link = nullptr;   // deleted in its own thread
    std::unique_ptr<LinkRelay> m_relay;
    std::unique_ptr<QSignalSpy> m_codes;
    std::unique_ptr<QSignalSpy> m_frames;
    std::unique_ptr<QSignalSpy> m_packages;
};

void Tst_dataserialport::init()
{
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->isValid());

    m_relay = std::make_unique<LinkRelay>();
    m_codes = std::make_unique<QSignalSpy>(m_relay.get(), &LinkRelay::code);
    m_frames = std::make_unique<QSignalSpy>(m_relay.get(), &LinkRelay::frame);
    m_packages = std::make_unique<QSignalSpy>(m_relay.get(), &LinkRelay::package);

    m_link = new DataSerialPort;
    m_link->setPortSettings(m_pty->slavePath(), 9600);
    m_link->setIntervals(100, 1000);
    connect(m_link, &DataSerialPort::commuError, m_relay.get(), &LinkRelay::code);
    connect(m_link, &DataSerialPort::recvDataFrame, m_relay.get(), &LinkRelay::frame);
    connect(m_link, &DataSerialPort::recvDataStored, m_relay.get(), &LinkRelay::package);
    connect(m_link, &DataSerialPort::downloadProgress, m_relay.get(), &LinkRelay::progress);

    m_thread = std::make_unique<QThread>();
    connect(m_thread.get(), &QThread::finished, m_link, &QObject::deleteLater);
    m_link->moveToThread(m_thread.get());
    m_thread->start();
}

void Tst_dataserialport::cleanup()
{
    stopThread();
    m_thread.reset();
    m_codes.reset();
    m_frames.reset();
    m_packages.reset();
    m_relay.reset();
    m_pty.reset();
}

void Tst_dataserialport::stopThread()
{
    if (!m_thread)
        return;
    m_thread->quit();
    QVERIFY(m_thread->wait(10000));
    m_link = nullptr;
}

void Tst_dataserialport::invoke(const char *slot)
{
    QVERIFY(QMetaObject::invokeMethod(m_link, slot, Qt::QueuedConnection));
}

bool Tst_dataserialport::portOpen()
{
    bool open = false;
    const bool ok = QMetaObject::invokeMethod(m_link, "isPortOpen", Qt::BlockingQueuedConnection,
                                              Q_RETURN_ARG(bool, open));
    return ok && open;
}

void Tst_dataserialport::openBlocking()
{
    QVERIFY(QMetaObject::invokeMethod(m_link, "open", Qt::BlockingQueuedConnection,
                                      Q_ARG(QString, m_pty->slavePath()), Q_ARG(int, 9600)));
    QVERIFY(portOpen());
}

QList<int> Tst_dataserialport::codes() const
{
    QList<int> out;
    for (const QList<QVariant> &args : *m_codes)
        out.append(args.at(0).toInt());
    return out;
}

void Tst_dataserialport::debugTexts()
{
    // A link of its own in this thread: the debug lines are caught here.
    QTest::ignoreMessage(QtDebugMsg, "serialport stread");
    DataSerialPort link;
    QSignalSpy codes(&link, &DataSerialPort::commuError);
    QSignalSpy frames(&link, &DataSerialPort::recvDataFrame);
    link.setPortSettings(m_pty->slavePath(), 115200);
    link.setIntervals(60000, 60000);

    QTest::ignoreMessage(QtDebugMsg, "open serialport failed");
    link.open(kMissingPort, 9600);
    QTest::ignoreMessage(QtDebugMsg, "open serialport succeed");
    QVERIFY(QMetaObject::invokeMethod(&link, "startRealtime", Qt::DirectConnection));
    QTest::ignoreMessage(QtDebugMsg, "serial is opened");
    QTest::ignoreMessage(QtDebugMsg, "open serialport succeed");
    QVERIFY(QMetaObject::invokeMethod(&link, "startRealtime", Qt::DirectConnection));
    QCOMPARE(codes.count(), 2);

    const QByteArray good = frame();
    const quint8 crc = quint8(good.at(16));
    const quint8 wrong = crc == 0xF0 ? 0xF1 : 0xF0;
    QTest::ignoreMessage(QtDebugMsg, "REAL PACKAGE len- 18");
    QTest::ignoreMessage(QtDebugMsg, "REAL PACKAGE len- 18");
    QTest::ignoreMessage(QtDebugMsg,
                         qPrintable(QStringLiteral("CRC Error:%1-%2").arg(crc).arg(int(qint8(wrong)))));
    QTest::ignoreMessage(QtDebugMsg, "STORE PACKAGE len- 4");
    QTest::ignoreMessage(QtDebugMsg, "unknown 0x4 Package");
    QTest::ignoreMessage(QtDebugMsg, "unknown Package len-3");

    QVERIFY(m_pty->write(good));
    QTRY_COMPARE_WITH_TIMEOUT(frames.count(), 1, 10000);
    QVERIFY(m_pty->write(withByte(good, 16, wrong)));
    QTRY_COMPARE_WITH_TIMEOUT(codes.count(), 3, 10000);
    QVERIFY(m_pty->write(package(0)));
    QTRY_COMPARE_WITH_TIMEOUT(codes.count(), 4, 10000);
    QVERIFY(m_pty->write(QByteArray("\x7F\x02\x03", 3)));
    QTRY_COMPARE_WITH_TIMEOUT(codes.count(), 5, 10000);

    QList<int> got;
    for (const QList<QVariant> &args : codes)
        got.append(args.at(0).toInt());
    QCOMPARE(got, (QList<int>{DataSerialPort::CommuPortOpened, DataSerialPort::CommuPortOpened,
                              DataSerialPort::CommuCrcError, DataSerialPort::CommuUnknownPackage,
                              DataSerialPort::CommuUnknownPackage}));
}

void Tst_dataserialport::openForms_data()
{
    QTest::addColumn<bool>("fiveArguments");
    QTest::addColumn<bool>("goodPort");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("two arguments, port opens") << false << true << true << QList<int>{9};
    QTest::newRow("two arguments, no such port is silent") << false << false << false << QList<int>{};
    QTest::newRow("five arguments, port opens") << true << true << true << QList<int>{9};
    QTest::newRow("five arguments, no such port") << true << false << false << QList<int>{2};
}

void Tst_dataserialport::openForms()
{
    QFETCH(bool, fiveArguments);
    QFETCH(bool, goodPort);
    QFETCH(bool, open);
    QFETCH(QList<int>, expected);

    const QString port = goodPort ? m_pty->slavePath() : kMissingPort;
    if (fiveArguments) {
        QVERIFY(QMetaObject::invokeMethod(m_link, "open", Qt::BlockingQueuedConnection,
                                          Q_ARG(QString, port), Q_ARG(int, 19200), Q_ARG(int, 7),
                                          Q_ARG(int, 2), Q_ARG(int, 1)));
    } else {
        QVERIFY(QMetaObject::invokeMethod(m_link, "open", Qt::BlockingQueuedConnection,
                                          Q_ARG(QString, port), Q_ARG(int, 9600)));
    }
    QCOMPARE(portOpen(), open);
    // Codes emitted during the open were posted before the call returned.
    QCoreApplication::processEvents();
    QCOMPARE(codes(), expected);
}

void Tst_dataserialport::failedOpenStartsNoTimer_data()
{
    QTest::addColumn<QByteArray>("slot");
    QTest::newRow("realtime") << QByteArray("startRealtime");
    QTest::newRow("download") << QByteArray("startDownload");
}

void Tst_dataserialport::failedOpenStartsNoTimer()
{
    QFETCH(QByteArray, slot);
    m_link->setPortSettings(kMissingPort, 9600);
    invoke(slot.constData());
    QTRY_COMPARE_WITH_TIMEOUT(codes(), QList<int>{DataSerialPort::CommuNoPort}, 10000);
    // A running keep timer would report the closed port at every 100 ms tick.
    QVERIFY(!m_codes->wait(600));
    QCOMPARE(codes(), QList<int>{DataSerialPort::CommuNoPort});
    QVERIFY(!portOpen());
}

void Tst_dataserialport::silentInstrumentGoesOffline()
{
    const QList<int> silent{3, 3, 3, 3, 6, 3, 3, 3, 3, 6};
    invoke("startRealtime");
    QTRY_VERIFY_WITH_TIMEOUT(m_codes->count() >= 13, 20000);
    QCOMPARE(codes().mid(0, 11), QList<int>{9} + silent);

    // A restart begins counting afresh, with one timeout at the first tick.
    invoke("stopRealtime");
    invoke("startRealtime");
    QTRY_VERIFY_WITH_TIMEOUT(codes().lastIndexOf(9) > 0
                                 && codes().size() - codes().lastIndexOf(9) > 5, 20000);
    invoke("stopRealtime");
    QVERIFY(!portOpen());
    QCoreApplication::processEvents();
    const QList<int> all = codes();
    const int restart = all.lastIndexOf(9);
    QCOMPARE(all.mid(restart, 6), QList<int>{9} + silent.mid(0, 5));

    // One query per tick and none at a start; every silent tick gave one code 3.
    const int ticks = all.count(3);
    QCOMPARE(m_pty->read(ticks + 1, 1000), QByteArray(ticks, wire::kRealtimeQuery));
}

void Tst_dataserialport::answeredPollsGiveOneTimeout()
{
    m_link->setIntervals(250, 1000);
    invoke("startRealtime");
    QList<QByteArray> sent;
    for (int i = 0; i < 4; ++i) {
        QVERIFY(waitForQueries(*m_pty));
        sent.append(frame(quint16(100 + i)));
        QVERIFY(m_pty->write(sent.last()));
        QTRY_COMPARE_WITH_TIMEOUT(m_frames->count(), i + 1, 10000);
        QCOMPARE(m_frames->at(i).at(0).toByteArray(), sent.at(i));
    }
    const QList<int> got = codes();
    QCOMPARE(got.mid(0, 2), (QList<int>{9, 3}));
    QVERIFY(!got.contains(6));
}

void Tst_dataserialport::frameSplitTenAndEight()
{
    const QByteArray good = frame(4242);
    invoke("startRealtime");
    QTRY_COMPARE_WITH_TIMEOUT(codes(), QList<int>{9}, 10000);
    QVERIFY(m_pty->write(good.left(10)));
    QVERIFY(m_codes->wait(10000));   // a tick later
    QCOMPARE(m_frames->count(), 0);
    QVERIFY(m_pty->write(good.mid(10)));
    QTRY_COMPARE_WITH_TIMEOUT(m_frames->count(), 1, 10000);
    QCOMPARE(m_frames->at(0).at(0).toByteArray(), good);
    const int seen = m_codes->count();
    QTRY_VERIFY_WITH_TIMEOUT(m_codes->count() > seen, 10000);
    QCOMPARE(m_frames->count(), 1);
}

void Tst_dataserialport::twoFramesInOneRead()
{
    const QByteArray first = frame(1), second = frame(2), third = frame(3);
    invoke("startRealtime");
    QTRY_COMPARE_WITH_TIMEOUT(codes(), QList<int>{9}, 10000);
    QVERIFY(m_pty->write(first + second));
    QTRY_COMPARE_WITH_TIMEOUT(m_frames->count(), 1, 10000);
    QCOMPARE(m_frames->at(0).at(0).toByteArray(), first);

    // The second frame waits in the buffer until more bytes arrive.
    const int seen = m_codes->count();
    QTRY_VERIFY_WITH_TIMEOUT(m_codes->count() >= seen + 2, 10000);
    QCOMPARE(m_frames->count(), 1);
    QVERIFY(m_pty->write(third));
    QTRY_COMPARE_WITH_TIMEOUT(m_frames->count(), 2, 10000);
    QCOMPARE(m_frames->at(1).at(0).toByteArray(), second);
}

void Tst_dataserialport::corruptFramesNeverOffline()
{
    const QByteArray good = frame(777);
    const QByteArray badEnd = withByte(good, 17, 0x13);
    const QByteArray badCrc = withByte(good, 16, quint8(good.at(16)) ^ 0x01);
    const QByteArray badBoth = withByte(badCrc, 17, 0x00);
    const QByteArray pattern[] = {badEnd, badCrc, badBoth};

    m_link->setIntervals(200, 1000);
    invoke("startRealtime");
    const int rounds = 12;
    for (int i = 0; i < rounds; ++i) {
        QVERIFY(waitForQueries(*m_pty));
        QVERIFY(m_pty->write(pattern[i % 3]));
    }
    QTRY_VERIFY_WITH_TIMEOUT(codes().count(1) + codes().count(4) >= rounds - 1, 10000);
    invoke("stopRealtime");
    QVERIFY(!portOpen());
    QCoreApplication::processEvents();

    const QList<int> got = codes();
    QVERIFY(!got.contains(6));
    QVERIFY(got.count(3) >= rounds - 1);   // every tick still counts as unanswered
    QVERIFY(got.count(1) >= 1);
    QVERIFY(got.count(4) >= 1);
    QVERIFY(got.count(4) <= rounds / 3);   // a frame with both faults is not a CRC error
    QCOMPARE(m_frames->count(), 0);
}

void Tst_dataserialport::unexpectedStartByte_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("package outside a download") << package(0);
    QTest::newRow("package header outside a download") << package(2).left(3);
    QTest::newRow("unknown first byte") << QByteArray("\x55\x02\x03", 3);
}

void Tst_dataserialport::unexpectedStartByte()
{
    QFETCH(QByteArray, bytes);
    invoke("startRealtime");
    QTRY_COMPARE_WITH_TIMEOUT(codes(), QList<int>{9}, 10000);
    QVERIFY(m_pty->write(bytes));
    QTRY_VERIFY_WITH_TIMEOUT(codes().contains(8), 10000);
    QCOMPARE(codes().count(8), 1);
    QCOMPARE(m_packages->count(), 0);

    // Nothing is left behind: the next frame goes straight through.
    const QByteArray good = frame(55);
    QVERIFY(m_pty->write(good));
    QTRY_COMPARE_WITH_TIMEOUT(m_frames->count(), 1, 10000);
    QCOMPARE(m_frames->at(0).at(0).toByteArray(), good);
}

void Tst_dataserialport::portFoundClosedAtEveryTick()
{
    invoke("startRealtime");
    QTRY_COMPARE_WITH_TIMEOUT(codes(), QList<int>{9}, 10000);
    invoke("close");
    QTRY_VERIFY_WITH_TIMEOUT(trailing(codes(), 2) >= 3, 10000);
    QVERIFY(!portOpen());   // never reopened by the link itself
}

void Tst_dataserialport::hungUpLineClosesPort()
{
    invoke("startRealtime");
    QTRY_COMPARE_WITH_TIMEOUT(codes(), QList<int>{9}, 10000);
    QVERIFY(portOpen());
    m_pty->hangUp();
    // A hung-up line would otherwise flood the link's thread with read errors
    // while the port still claims to be open.
    QTRY_VERIFY_WITH_TIMEOUT(!portOpen(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(trailing(codes(), 2) >= 2, 10000);
}

void Tst_dataserialport::downloadRequestSentOnceAndGuardExpires()
{
    invoke("startDownload");
    QTRY_VERIFY_WITH_TIMEOUT(m_codes->count() >= 6, 10000);
    QCOMPARE(codes().mid(0, 6), (QList<int>{9, 3, 3, 3, 3, 6}));
    // After the guard's code 3 both timers are stopped: the codes dry up.
    QTRY_VERIFY_WITH_TIMEOUT(m_codes->count() >= 10, 10000);
    while (m_codes->wait(600)) {}
    QCOMPARE(codes().last(), 3);
    QVERIFY(portOpen());   // the guard leaves the port open
    QCOMPARE(m_pty->read(2, 500), QByteArray(1, wire::kDownloadRequest));
}

void Tst_dataserialport::zeroRecordPackage()
{
    const QByteArray empty = package(0);
    QCOMPARE(empty, QByteArray("\x04\x00\x00\x03", 4));
    invoke("startDownload");
    QCOMPARE(m_pty->read(1, 10000), QByteArray(1, wire::kDownloadRequest));
    QVERIFY(m_pty->write(empty));
    QTRY_COMPARE_WITH_TIMEOUT(m_packages->count(), 1, 10000);
    QCOMPARE(m_packages->at(0).at(0).toByteArray(), empty);
    QVERIFY(!portOpen());
    const int seen = m_codes->count();
    QVERIFY(!m_codes->wait(500));   // no timer left running
    QCOMPARE(m_codes->count(), seen);
}

void Tst_dataserialport::largestPackageInChunks()
{
    const QByteArray whole = package(wire::kMaxRecords);
    QCOMPARE(whole.size(), 524284);
    m_link->setIntervals(100, 60000);
    invoke("startDownload");
    QCOMPARE(m_pty->read(1, 10000), QByteArray(1, wire::kDownloadRequest));
    for (int pos = 0; pos < whole.size(); pos += 1000)
        QVERIFY(m_pty->write(whole.mid(pos, 1000)));
    QTRY_COMPARE_WITH_TIMEOUT(m_packages->count(), 1, 30000);
    QCOMPARE(m_packages->at(0).at(0).toByteArray(), whole);
    QVERIFY(!portOpen());
    QVERIFY(!codes().contains(7));
    QVERIFY(!codes().contains(8));
}

void Tst_dataserialport::packageCutShort()
{
    m_link->setIntervals(250, 1500);
    invoke("startDownload");
    QCOMPARE(m_pty->read(1, 10000), QByteArray(1, wire::kDownloadRequest));
    QVERIFY(m_pty->write(package(5).left(3)));
    QTRY_VERIFY_WITH_TIMEOUT(codes().contains(3), 10000);
    while (m_codes->wait(600)) {}
    // Five keep ticks saw bytes buffered: the only timeout is the guard's.
    const QList<int> got = codes();
    QCOMPARE(got.first(), 9);
    QCOMPARE(got.last(), 3);
    QVERIFY(got.count(3) <= 2);
    QVERIFY(!got.contains(6));
    QVERIFY(portOpen());
    QCOMPARE(m_packages->count(), 0);
}

void Tst_dataserialport::slowPackageOutlastsGuard_data()
{
    QTest::addColumn<int>("sentBytes");
    QTest::addColumn<bool>("delivered");
    // 300 records: 2404 bytes, 30 every 50 ms, about 4 s.
    QTest::newRow("whole package, twice as long as the guard") << 2404 << true;
    QTest::newRow("stops halfway, after longer than the guard") << 1204 << false;
}

void Tst_dataserialport::slowPackageOutlastsGuard()
{
    QFETCH(int, sentBytes);
    QFETCH(bool, delivered);
    constexpr int guardMs = 1500;
    const QByteArray pkg = package(300);
    QSignalSpy progress(m_relay.get(), &LinkRelay::progress);
    m_link->setIntervals(100, guardMs);
    invoke("startDownload");
    QCOMPARE(m_pty->read(1, 10000), QByteArray(1, wire::kDownloadRequest));

    // A slow line: the bytes trickle in for longer than the guard lasts.
    QElapsedTimer writing;
    writing.start();
    for (int pos = 0; pos < sentBytes; pos += 30) {
        QVERIFY(m_pty->write(pkg.mid(pos, qMin(30, sentBytes - pos))));
        QTest::qWait(50);
    }
    const qint64 writeMs = writing.elapsed();
    QVERIFY(writeMs > guardMs);

    if (delivered) {
        QTRY_COMPARE_WITH_TIMEOUT(m_packages->count(), 1, 10000);
        QCOMPARE(m_packages->at(0).at(0).toByteArray(), pkg);
        QVERIFY(!portOpen());
        QVERIFY(!progress.wait(300));   // none after the package
    } else {
        // Silence from here on: the guard's code 3 comes a whole guard later.
        QElapsedTimer silence;
        silence.start();
        const int timeouts = codes().count(3);
        QTRY_VERIFY_WITH_TIMEOUT(codes().count(3) > timeouts, 10000);
        QVERIFY(silence.elapsed() >= guardMs - 100);
        QCOMPARE(m_packages->count(), 0);
        QVERIFY(portOpen());
    }
    QVERIFY(!codes().contains(6));

    // Progress: the package's count from the first, rising, a few times a second.
    QVERIFY(progress.count() >= 3);
    QVERIFY(progress.count() <= 2 + writing.elapsed() / LinkLogic::kProgressIntervalMs);
    int last = -1;
    for (const QList<QVariant> &args : progress) {
        QCOMPARE(args.at(1).toInt(), 300);
        QVERIFY(args.at(0).toInt() > last);
        last = args.at(0).toInt();
    }
    QVERIFY(last <= (sentBytes - 3) / 8);
}

void Tst_dataserialport::sixthStrayFrameAbandonsDownload()
{
    m_link->setIntervals(100, 60000);
    invoke("startDownload");
    QCOMPARE(m_pty->read(1, 10000), QByteArray(1, wire::kDownloadRequest));
    for (int i = 0; i < 5; ++i) {
        const int seen = m_codes->count();
        QVERIFY(m_pty->write(frame(quint16(i))));
        // Two ticks later the frame has long been taken and dropped.
        QTRY_VERIFY_WITH_TIMEOUT(m_codes->count() >= seen + 2, 10000);
    }
    QVERIFY(!codes().contains(7));
    QVERIFY(portOpen());
    QVERIFY(m_pty->write(frame(99)));
    QTRY_VERIFY_WITH_TIMEOUT(codes().contains(7), 10000);
    QVERIFY(!portOpen());
    QCOMPARE(m_frames->count(), 0);
    QCOMPARE(m_packages->count(), 0);
    const int seen = m_codes->count();
    QVERIFY(!m_codes->wait(500));   // timers stopped, so no code 2 for the closed port
    QCOMPARE(m_codes->count(), seen);
}

void Tst_dataserialport::strayFramesAndPackageInOneChunk_data()
{
    QTest::addColumn<int>("strays");
    QTest::addColumn<bool>("delivered");
    QTest::newRow("five frames, then the package") << 5 << true;
    QTest::newRow("one frame, then the package") << 1 << true;
    QTest::newRow("six frames abandon the download") << 6 << false;
}

void Tst_dataserialport::strayFramesAndPackageInOneChunk()
{
    QFETCH(int, strays);
    QFETCH(bool, delivered);
    // Nothing more is sent during a download: a package that arrives behind
    // stray frames in the same chunk must not wait for the guard.
    m_link->setIntervals(100, 60000);
    invoke("startDownload");
    QCOMPARE(m_pty->read(1, 10000), QByteArray(1, wire::kDownloadRequest));
    QByteArray chunk;
    for (int i = 0; i < strays; ++i)
        chunk += frame(quint16(i));
    const QByteArray pkg = package(3);
    chunk += pkg;
    QVERIFY(m_pty->write(chunk));
    if (delivered) {
        QTRY_COMPARE_WITH_TIMEOUT(m_packages->count(), 1, 10000);
        QCOMPARE(m_packages->at(0).at(0).toByteArray(), pkg);
        QVERIFY(!codes().contains(7));
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(codes().contains(7), 10000);
        QCOMPARE(m_packages->count(), 0);
    }
    QCOMPARE(m_frames->count(), 0);
    QVERIFY(!portOpen());
}

void Tst_dataserialport::sendStopsAtZeroByte_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("no zero byte") << QByteArray("\x15\x16\x7F", 3) << QByteArray("\x15\x16\x7F", 3);
    QTest::newRow("zero in the middle") << QByteArray("\x16\x00\x15", 3) << QByteArray("\x16", 1);
    QTest::newRow("zero first") << QByteArray("\x00\x15", 2) << QByteArray();
}

void Tst_dataserialport::sendStopsAtZeroByte()
{
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, written);
    openBlocking();
    QVERIFY(QMetaObject::invokeMethod(m_link, "send", Qt::BlockingQueuedConnection,
                                      Q_ARG(QByteArray, data)));
    QCOMPARE(m_pty->read(data.size() + 1, 500), written);
}

void Tst_dataserialport::destroyingLinkClosesPort()
{
    QCOMPARE(openDescriptors(m_pty->slavePath()), 1);   // the pty's own
    openBlocking();
    QCOMPARE(openDescriptors(m_pty->slavePath()), 2);
    stopThread();
    QCOMPARE(openDescriptors(m_pty->slavePath()), 1);
}

QTEST_GUILESS_MAIN(Tst_dataserialport)
#include "tst_dataserialport.moc"
