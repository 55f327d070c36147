#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

#include <sys/resource.h>
#include <sys/types.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>

#include "device/dataserialport.h"
#include "device/realtimeframe.h"
#include "device/storedpackage.h"
#include "device/wireformat.h"
#include "model/valuetext.h"
#include "storage/globals.h"
#include "storage/loghelper.h"
#include "storage/systemlogmanager.h"
#include "storage/systemsetting.h"
#include "tools/aq7316-sim/options.h"
#include "tools/aq7316-sim/simulator.h"
#include "ui/mainwindow.h"
#include "ui/qprocessindicator.h"
#include "ui/unitlabels.h"

#include "modalanswer.h"
#include "simprocess.h"
#include "testglobals.h"
#include "testsupport.h"

// Leaves the test function when a check inside a helper failed.
#define CHECKED(call)                       \
    do {                                    \
        call;                               \
        if (QTest::currentTestFailed())     \
            return;                         \
    } while (false)

namespace {

// Generous: the machine is small, shared and everything runs under ASan.
constexpr int kWaitMs = 20000;

// Two and a half poll periods: long enough for a poll that was still
// running to show, if polling had not stopped.
constexpr int kSilenceMs = 1250;

const char kNotStored[] =
    "Realtime data received, but NOT stored: the history database cannot be written";

// The program's debug lines (one per received message, the whole package
// of a download) would bury the test's own output.
QtMessageHandler g_previousHandler = nullptr;
void quietDebug(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtDebugMsg && g_previousHandler)
        g_previousHandler(type, context, text);
}

SimulatorConfig configOf(const QStringList &args)
{
    SimulatorOptions options;
    QString error;
    const ParseResult r = parseSimulatorArguments(args, &options, &error);
    Q_ASSERT_X(r == ParseResult::Run && options.seedGiven, "configOf", qPrintable(error));
    Q_UNUSED(r);
    return options.config;
}

// The answers the simulator process gives to its first n queries, made by
// the same engine in this process.
QVector<QByteArray> replayRealtime(const QStringList &args, int n)
{
    InstrumentSimulator sim(configOf(args));
    QVector<QByteArray> out;
    for (int i = 0; i < n; ++i)
        out << sim.respond(wire::kRealtimeQuery).bytes;
    return out;
}

QByteArray dumpOf(const QByteArray &bytes)
{
    return bytes.toHex(' ').toUpper();
}

bool isGoodFrame(const QByteArray &b)
{
    return b.size() == wire::kFrameSize && b.at(0) == wire::kFrameStart && b.at(17) == wire::kEnd
           && wire::crc8(b.constData() + 1, 15) == quint8(b.at(16));
}

quint16 u16At(const QByteArray &b, int i)
{
    return quint16((quint8(b.at(i)) << 8) | quint8(b.at(i + 1)));
}

// The base quantities as the bytes carry them (frame: speed at 3, area at
// 6 with its decimals at 8, temperature at 10; stored record: speed at 0,
// temperature at 2, area at 4 with its decimals at 6), checked against a
// record without going through the program's decoders.
bool carriesBaseValues(const PelnorXLogItem &r, const QByteArray &b, int speedAt, int tempAt, int areaAt)
{
    const double area = u16At(b, areaAt) / std::pow(10.0, quint8(b.at(areaAt + 2)));
    return qRound(r.windspeed_ms * 1000.0) == u16At(b, speedAt)
           && qRound(r.temperature_c * 10.0) == qint16(u16At(b, tempAt))
           && qAbs(r.windarea_mm - area) < 1e-9;
}

PelnorXLogItem recordOf(const QByteArray &frame)
{
    return recordFromFrame(decodeRealtimeFrame(frame), QDateTime::currentDateTime());
}

// All measured fields and the state; ids, dates and times aside.
bool sameValues(const PelnorXLogItem &a, const PelnorXLogItem &b)
{
    return a.temperature_c == b.temperature_c && a.temperature_f == b.temperature_f
           && a.windspeed_ms == b.windspeed_ms && a.windspeed_kmh == b.windspeed_kmh
           && a.windspeed_mph == b.windspeed_mph && a.windspeed_knt == b.windspeed_knt
           && a.windspeed_ftm == b.windspeed_ftm && a.windarea_mm == b.windarea_mm
           && a.windarea_ft == b.windarea_ft && a.volume_cmm == b.volume_cmm
           && a.volume_cfm == b.volume_cfm && a.windchill_c == b.windchill_c
           && a.windchill_f == b.windchill_f && a.devstate == b.devstate;
}

QString describe(const PelnorXLogItem &r)
{
    return QStringLiteral("%1 %2 %3 m/s %4 C %5 area state %6")
        .arg(r.date, r.time)
        .arg(r.windspeed_ms, 0, 'g', 17)
        .arg(r.temperature_c, 0, 'g', 17)
        .arg(r.windarea_mm, 0, 'g', 17)
        .arg(r.devstate);
}

double processCpuSeconds()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
           + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

// The whole window, with its link in its own thread, a real history
// database and runtime log, against aq7316-sim running as a separate
// process on a pseudo-terminal; driven through the toolbar as a user would.
class Tst_EndToEnd : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    MainWindow *m_window = nullptr;
    std::unique_ptr<SimulatorProcess> m_sim;
    QStringList m_statuses;     // every status line shown, in order

    QAction *action(const QString &text) const { return toolbarAction(m_window, text); }
    QAction *recordAction() const { return recordToolbarAction(m_window); }
    QString status() const { return m_window->statusBar()->currentMessage(); }
    QString deviceState() const { return m_window->findChild<QLabel *>("lbState")->text(); }
    QAbstractItemModel *model() const { return m_window->findChild<QTableView *>("tv_Record")->model(); }
    int rowCount() const { return model()->rowCount(); }

    QStringList rowTexts(int row) const
    {
        QStringList out;
        for (int c = 0; c < model()->columnCount(); ++c)
            out << model()->index(row, c).data(Qt::DisplayRole).toString();
        return out;
    }


    static QStringList expectedTexts(const PelnorXLogItem &r)
    {
        QStringList out;
        for (const QString &t : tableRowTexts(r, userUnits(), RowOrigin::Live))
            out << t;
        return out;
    }

    static QList<PelnorXLogItem> liveRows()
    {
        QList<PelnorXLogItem> rows;
        pSystemLogManager->querySystemLog(&rows);
        return rows;
    }

    static QStringList runtimeLogLines()
    {
        QFile f(pLogHelper->logFilePath);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = f.readAll();
        QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()),
                                          bytes.size() / 2);
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    bool linkPortOpen() const
    {
        bool open = true;
        QMetaObject::invokeMethod(m_window->serialLink(), "isPortOpen", Qt::BlockingQueuedConnection,
                                  Q_RETURN_ARG(bool, open));
        return open;
    }

    // Starts it with --verbose: answersTo() reads what it sent.
    bool startSimulator(const QStringList &args)
    {
        if (!m_sim->start(args + QStringList{"--verbose"}))
            return false;
        pSystemSetting->serialPortName = m_sim->path();
        return true;
    }

    // Record, as the user starts it; the link opens the simulator's line.
    void startRecording()
    {
        recordAction()->trigger();
        QVERIFY(m_window->isRecording());
        QCOMPARE(recordAction()->text(), QString("Stop Recording"));
    }

    // Stop Recording; returns once the link has closed the line and every
    // frame it read before has reached the window.
    void stopRecording()
    {
        recordAction()->trigger();
        QVERIFY(!m_window->isRecording());
        QCOMPARE(recordAction()->text(), QString("Record"));
        QTRY_VERIFY_WITH_TIMEOUT(!linkPortOpen(), kWaitMs);
        // Frames the link emitted before it closed were posted before its
        // answer above: deliver them now.
        QCoreApplication::sendPostedEvents();
    }

    // The rows of the table equal, in order, the records made from frames.
    void compareTableWith(const QVector<QByteArray> &frames, const QList<PelnorXLogItem> &stored)
    {
        QCOMPARE(stored.size(), rowCount());
        QVERIFY(frames.size() >= rowCount());
        quint32 lastId = 0;
        for (int i = 0; i < rowCount(); ++i) {
            const PelnorXLogItem expected = recordOf(frames.at(i));
            const PelnorXLogItem &got = stored.at(i);
            QVERIFY2(sameValues(got, expected), qPrintable(QStringLiteral("row %1: stored %2, sent %3")
                                                               .arg(i).arg(describe(got), describe(expected))));
            QVERIFY2(carriesBaseValues(got, frames.at(i), 3, 10, 6),
                     qPrintable(QStringLiteral("row %1: stored %2, frame %3").arg(i).arg(describe(got))
                                    .arg(QString::fromLatin1(dumpOf(frames.at(i))))));
            QVERIFY2(got.id > lastId, "ids ascend in arrival order");
            lastId = got.id;
            const QStringList shown = rowTexts(i);
            QStringList want = expectedTexts(expected);
            want[ColumnDate] = got.date;
            want[ColumnTime] = got.time;
            QCOMPARE(shown, want);
        }
    }

private slots:
    void initTestCase()
    {
        g_previousHandler = qInstallMessageHandler(quietDebug);
        QVERIFY(m_dir.isValid());
        QVERIFY2(QFileInfo(builtProgramsDir() + "/aq7316-sim").isExecutable(), "aq7316-sim is built beside the test");
        setUpGlobals(m_dir.path());
    }

    void cleanupTestCase() { qInstallMessageHandler(g_previousHandler); }

    void init()
    {
        pSystemSetting->serialPortBaud = 9600;
        pSystemSetting->tempUnit = pSystemSetting->pendingTempUnit = 0;
        pSystemSetting->windUnit = pSystemSetting->pendingWindUnit = 0;
        pSystemSetting->areaUnit = pSystemSetting->pendingAreaUnit = 0;
        pSystemSetting->volumeUnit = pSystemSetting->pendingVolumeUnit = 0;
        QFile::remove(m_dir.filePath("systemlog.db"));
        QFile::remove(pLogHelper->logFilePath);
        m_sim = std::make_unique<SimulatorProcess>(kWaitMs);
        m_window = new MainWindow(m_dir.path(), nullptr);
        m_window->resize(1400, 800);
        m_window->show();
        m_statuses.clear();
        connect(m_window->statusBar(), &QStatusBar::messageChanged, this, [this](const QString &text) {
            if (!text.isEmpty())
                m_statuses << text;
        });
    }

    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
        dropHistoryManager();
        m_sim.reset();
    }

    // Every frame the instrument sent while recording is one row, in the
    // table and in AQ7316, with the values it encoded, and one runtime-log line.
    void recordingStoresEveryFrame()
    {
        // The user's units differ from the instrument's: every unit derived.
        pSystemSetting->tempUnit = 1;
        pSystemSetting->windUnit = 3;
        const QStringList args{"--speed", "4.321", "--temperature", "-5.5", "--area", "1.25",
                               "--wind-unit", "1", "--drift", "--seed", "7316"};
        QVERIFY(startSimulator(args));
        ModalAnswer unexpected(QStringList{QString(), QString(), QString()}, 60000);

        CHECKED(startRecording());
        QTRY_VERIFY_WITH_TIMEOUT(rowCount() >= 7, kWaitMs);
        QVERIFY(m_window->isRecording());
        QCOMPARE(status(), QString("Realtime data received"));
        CHECKED(stopRecording());
        const int rows = rowCount();

        // Polling has ended: no further row arrives. A deliberate window in
        // which nothing may happen, so a fixed wait.
        QTest::qWait(kSilenceMs);
        QCOMPARE(rowCount(), rows);

        const QVector<SimAnswer> sent = m_sim->answersTo(wire::kRealtimeQuery);
        const QVector<QByteArray> frames = replayRealtime(args, sent.size());
        // The engine here and the process agree byte for byte.
        for (int i = 0; i < sent.size(); ++i) {
            QCOMPARE(sent.at(i).note, QString("realtime frame"));
            QCOMPARE(sent.at(i).hex, dumpOf(frames.at(i)));
        }
        // The last query can be answered after Stop: if its answer had been
        // read before the link closed the line, it is the last row (handled
        // after Stop); otherwise it was sent into a closed line and is lost.
        // Either way no frame is lost before it and none is doubled.
        qInfo("%d rows for %d frames sent", rows, int(sent.size()));
        QVERIFY2(rows == sent.size() || rows == sent.size() - 1,
                 qPrintable(QStringLiteral("%1 rows for %2 frames sent").arg(rows).arg(sent.size())));

        CHECKED(compareTableWith(frames, liveRows()));

        const QStringList log = runtimeLogLines();
        QCOMPARE(log.size(), rows);
        for (const QString &line : log)
            QVERIFY2(line.endsWith(QString::fromUtf8("插入系统日志")), qPrintable(line));
        QCOMPARE(unexpected.count(), 0);
    }

    void downloadStoresThePackage_data()
    {
        QTest::addColumn<int>("records");
        QTest::newRow("no record") << 0;
        QTest::newRow("one record") << 1;
        QTest::newRow("three records") << 3;
        QTest::newRow("65535 records, the largest package") << 65535;
    }

    // AQ7316IN holds exactly the instrument's records, in order; the table
    // shows them; the busy indicator closes.
    void downloadStoresThePackage()
    {
        QFETCH(int, records);
        const QStringList args{"--records", QString::number(records), "--seed", "1316",
                               "--speed", "6.5", "--temperature", "18.25", "--area", "0.785"};
        QVERIFY(startSimulator(args));
        ModalAnswer unexpected(QStringList{QString(), QString(), QString()}, 120000);
        // Never hang in the indicator's modal loop, whatever goes wrong.
        QTimer::singleShot(150000, m_window->busyIndicator(), &QProcessIndicator::closeLoading);

        QElapsedTimer timer;
        timer.start();
        action("Download")->trigger();   // returns when the indicator closes
        QTRY_COMPARE_WITH_TIMEOUT(status(), QString("Stored data received"), 60000);
        qInfo("%d records shown and stored %lld ms after Download", records, timer.elapsed());
        QVERIFY(!m_window->busyIndicator()->isAnimating());
        QVERIFY(m_window->isShowingDownload());
        QCOMPARE(deviceState(), QString("Normal"));
        QCOMPARE(rowCount(), records);

        const QVector<SimAnswer> sent = m_sim->answersTo(wire::kDownloadRequest);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent.first().note, QString("package of %1 records").arg(records));

        const QByteArray package = InstrumentSimulator(configOf(args)).storedPackage();
        QCOMPARE(packageRecordCount(package), records);
        const QVector<DownloadedRecord> expected = recordsFromPackage(package, QDateTime::currentDateTime());
        QCOMPARE(expected.size(), records);

        QList<PelnorXLogItem> stored;
        pSystemLogManager->querySystemLogIn(&stored);
        QCOMPARE(stored.size(), records);
        quint32 lastId = 0;
        for (int j = 0; j < records; ++j) {
            const PelnorXLogItem &got = stored.at(j);
            const PelnorXLogItem &want = expected.at(j).item;
            const QByteArray rawRecord = package.mid(3 + 8 * j, 8);
            if (!sameValues(got, want) || !carriesBaseValues(got, rawRecord, 0, 2, 4) || got.date != " "
                || got.time != " " || got.devstate != 0 || got.id <= lastId) {
                const StoredRecord raw = decodeStoredRecord(package, j);
                QFAIL(qPrintable(QStringLiteral("record %1 (id %2, after %3): stored %4, instrument has %5 m/s %6 C %7")
                                     .arg(j).arg(got.id).arg(lastId).arg(describe(got))
                                     .arg(raw.speedMs).arg(raw.temperatureC).arg(raw.area)));
            }
            lastId = got.id;
            const QStringList shown = rowTexts(j);
            const QStringList wanted = expectedTexts(want);
            if (shown != wanted)
                QCOMPARE(shown, wanted);
        }
        QCOMPARE(runtimeLogLines().size(), records);
        QCOMPARE(unexpected.count(), 0);
    }

    // An instrument that never answers: timeouts, then Offline stops the
    // recording and, with nothing received, the user is asked.
    void silentInstrumentGoesOffline()
    {
        QVERIFY(startSimulator({"--silent", "--seed", "1"}));
        ModalAnswer answer("Cancel", 60000);

        CHECKED(startRecording());
        QTRY_VERIFY_WITH_TIMEOUT(answer.answered(), kWaitMs);
        QCOMPARE(answer.title(), QString("No Data Received"));
        QCOMPARE(answer.text(), QString("Device is Offline. You can select Cancel and Power on Device, "
                                        "Or you can select OK and alter Serial Port."));
        QVERIFY(answer.buttons().contains("Cancel"));
        QVERIFY(answer.buttons().contains("OK"));
        QVERIFY2(m_statuses.contains("communication timeout"), qPrintable(m_statuses.join(" | ")));
        QCOMPARE(deviceState(), QString("Offline"));
        QVERIFY(!m_window->isRecording());
        QCOMPARE(recordAction()->text(), QString("Record"));
        QVERIFY(action("Download")->isEnabled());
        QVERIFY(action("Set")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!linkPortOpen(), kWaitMs);

        // "Cancel" ends it: no options dialog follows. A deliberate window in
        // which nothing may open, so a fixed wait.
        QTest::qWait(200);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(rowCount(), 0);
        QVERIFY(liveRows().isEmpty());
        // The four silent polls that made it Offline reached the instrument.
        const QVector<SimAnswer> polls = m_sim->answersTo(wire::kRealtimeQuery);
        QVERIFY2(polls.size() >= 4, qPrintable(QString::number(polls.size())));
        for (const SimAnswer &a : polls)
            QCOMPARE(a.note, QString("nothing (silent)"));
    }

    void corruptStreamKeepsOnlyValidFrames_data()
    {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<QStringList>("errorTexts");
        QTest::newRow("wrong CRC on every 2nd frame")
            << QStringList{"--bad-crc-every", "2"} << QStringList{"crc error"};
        QTest::newRow("wrong end byte on every 3rd frame")
            << QStringList{"--bad-end-every", "3"} << QStringList{"communication error"};
        // Garbage is an unknown message, which leaves the status line alone.
        QTest::newRow("garbage instead of every 5th answer")
            << QStringList{"--garbage-every", "5"} << QStringList{};
        QTest::newRow("all three combined")
            << QStringList{"--bad-crc-every", "2", "--bad-end-every", "3", "--garbage-every", "5"}
            << QStringList{"crc error", "communication error"};
    }

    // Only frames with a good start, end and CRC become rows; the errors
    // show in the status line; the recording goes on.
    void corruptStreamKeepsOnlyValidFrames()
    {
        QFETCH(QStringList, faults);
        QFETCH(QStringList, errorTexts);
        const QStringList args = QStringList{"--speed", "7.5", "--temperature", "12.3", "--area", "0.75",
                                             "--drift", "--seed", "4242"} + faults;
        QVERIFY(startSimulator(args));
        ModalAnswer unexpected(QStringList{QString(), QString(), QString()}, 60000);

        CHECKED(startRecording());
        QTRY_VERIFY_WITH_TIMEOUT(m_sim->answersTo(wire::kRealtimeQuery).size() >= 8, kWaitMs);
        for (const QString &text : errorTexts)
            QTRY_VERIFY2_WITH_TIMEOUT(m_statuses.contains(text), qPrintable(m_statuses.join(" | ")), kWaitMs);
        // Any byte resets the silence count: never Offline, still recording.
        QVERIFY(m_window->isRecording());
        QVERIFY(deviceState() != "Offline");
        CHECKED(stopRecording());
        const int rows = rowCount();
        // A deliberate window in which no further row may arrive.
        QTest::qWait(kSilenceMs);
        QCOMPARE(rowCount(), rows);

        const QVector<SimAnswer> sent = m_sim->answersTo(wire::kRealtimeQuery);
        InstrumentSimulator replay(configOf(args));
        QVector<QByteArray> valid;
        bool lastWasValid = false;
        for (const SimAnswer &a : sent) {
            const QByteArray bytes = replay.respond(wire::kRealtimeQuery).bytes;
            QCOMPARE(a.hex, dumpOf(bytes));
            lastWasValid = isGoodFrame(bytes);
            QCOMPARE(lastWasValid, a.note == QLatin1String("realtime frame"));
            if (lastWasValid)
                valid << bytes;
        }
        QVERIFY(valid.size() < sent.size());
        // The last answer may have come after Stop (see the recording test).
        const int lost = valid.size() - rows;
        QVERIFY2(lost == 0 || (lost == 1 && lastWasValid),
                 qPrintable(QStringLiteral("%1 rows for %2 valid frames of %3 answers")
                                .arg(rows).arg(valid.size()).arg(sent.size())));
        CHECKED(compareTableWith(valid, liveRows()));
        QCOMPARE(runtimeLogLines().size(), rows);
        QCOMPARE(unexpected.count(), 0);
    }

    // The CSV file's data lines are the table's rows, each cell followed by
    // a comma.
    void exportAfterRecordingWritesTheTable()
    {
        const QStringList args{"--speed", "4.321", "--temperature", "-5.5", "--area", "1.25",
                               "--drift", "--seed", "99"};
        QVERIFY(startSimulator(args));
        CHECKED(startRecording());
        QTRY_VERIFY_WITH_TIMEOUT(rowCount() >= 4, kWaitMs);
        CHECKED(stopRecording());
        QVERIFY(action("Export")->isEnabled());

        QTemporaryDir exportDir;
        QVERIFY(exportDir.isValid());
        m_window->setDirectoryPicker([&](QWidget *, const QString &, const QString &) {
            return exportDir.path();
        });
        ModalAnswer answer("CSV");
        action("Export")->trigger();
        QVERIFY(answer.answered());
        QCOMPARE(answer.title(), QString("Export"));
        QCOMPARE(status(), QString("Exporting...Done"));

        const QStringList files = QDir(exportDir.path()).entryList({"TamskAnemometer_export_*.csv"}, QDir::Files);
        QCOMPARE(files.size(), 1);
        QFile file(exportDir.filePath(files.first()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.takeLast(), QByteArray());   // the last line ends with a newline too

        QByteArray header;
        for (const QString &label : m_window->headerLabels())
            header += label.toLocal8Bit() + ',';
        QCOMPARE(lines.takeFirst(), header);
        QCOMPARE(lines.size(), rowCount());
        for (int i = 0; i < lines.size(); ++i) {
            QByteArray want;
            for (const QString &cell : rowTexts(i))
                want += cell.toLocal8Bit() + ',';
            QCOMPARE(lines.at(i), want);
        }
        QCOMPARE(liveRows().size(), rowCount());
    }

    // The instrument's process dies mid-recording: the link reports it, the
    // recording stops, nothing received is lost and the link's thread does
    // not spin on the dead line.
    void killedInstrumentStopsTheRecording()
    {
        const QStringList args{"--speed", "3.2", "--temperature", "25", "--drift", "--seed", "66"};
        QVERIFY(startSimulator(args));
        ModalAnswer answer(QStringList{"OK"}, 60000);
        CHECKED(startRecording());
        QTRY_VERIFY_WITH_TIMEOUT(rowCount() >= 3, kWaitMs);
        const QVector<SimAnswer> sent = m_sim->answersTo(wire::kRealtimeQuery);
        m_sim->killHard();
        const QVector<SimAnswer> sentInAll = m_sim->answersTo(wire::kRealtimeQuery);
        QVERIFY(sentInAll.size() >= sent.size());

        // Either the line is found gone (code 2, answered by a box, and the
        // recording waits for the port to come back, until Stop) or the
        // instrument falls silent (Offline; with rows shown, no question).
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->isRecording() || m_window->isWaitingForPort(), kWaitMs);
        qInfo("the loss showed as %s", m_statuses.contains("no serialport") ? "no serialport" : "Offline");
        if (m_statuses.contains("no serialport")) {
            QTRY_VERIFY_WITH_TIMEOUT(answer.answered(), kWaitMs);
            QCOMPARE(answer.title(), QString("Error"));
            QCOMPARE(answer.text(), QString("no serialport"));
            QVERIFY(m_window->isRecording());
            recordAction()->trigger();
            QVERIFY(!m_window->isWaitingForPort());
        }
        QVERIFY(!m_window->isRecording());
        QCOMPARE(recordAction()->text(), QString("Record"));
        if (!m_statuses.contains("no serialport")) {
            QCOMPARE(deviceState(), QString("Offline"));
            QVERIFY(!answer.answered());
        }
        QTRY_VERIFY_WITH_TIMEOUT(!linkPortOpen(), kWaitMs);
        QCoreApplication::sendPostedEvents();

        // Every reading received before is stored.
        QVERIFY(rowCount() >= 3);
        QVERIFY(rowCount() <= sentInAll.size());
        CHECKED(compareTableWith(replayRealtime(args, sentInAll.size()), liveRows()));
        QCOMPARE(runtimeLogLines().size(), rowCount());

        // Idle now (the line is closed, seen above): the process burns well
        // under half a core over a deliberate two-second window.
        QElapsedTimer wall;
        const double cpuBefore = processCpuSeconds();
        wall.start();
        QTest::qWait(2000);
        const double share = (processCpuSeconds() - cpuBefore) / (double(wall.elapsed()) / 1000.0);
        qInfo("CPU while idle after the loss: %.0f%% of one core", share * 100.0);
        QVERIFY2(share < 0.5, qPrintable(QStringLiteral("%1% of one core").arg(share * 100.0, 0, 'f', 0)));
    }

    // Another program holds systemlog.db locked: readings are still shown,
    // the user is told they are not stored, the window stays responsive,
    // and storing resumes once the lock is gone; nothing stored is lost.
    void lockedDatabaseDuringRecording()
    {
        const QString sqlite = QStandardPaths::findExecutable("sqlite3");
        if (sqlite.isEmpty())
            QSKIP("the sqlite3 command-line shell is not installed");
        const QStringList args{"--speed", "9.876", "--temperature", "30.5", "--area", "2.5",
                               "--drift", "--seed", "777"};
        QVERIFY(startSimulator(args));
        ModalAnswer unexpected(QStringList{QString(), QString(), QString()}, 120000);

        CHECKED(startRecording());
        QTRY_VERIFY_WITH_TIMEOUT(rowCount() >= 2, kWaitMs);
        QCOMPARE(status(), QString("Realtime data received"));

        // Rows shown before the lock is asked for were stored as they came
        // (the window stores each reading as it shows it).
        const int rowsBeforeLock = rowCount();
        QProcess locker;
        locker.setProgram(sqlite);
        // -bail: a BEGIN that fails ends the shell, so the marker below
        // is printed only once the lock is really held. The window may be
        // writing at that moment: wait for it rather than fail.
        locker.setArguments({"-bail", m_dir.filePath("systemlog.db")});
        locker.start();
        QVERIFY(locker.waitForStarted(kWaitMs));
        locker.write(".timeout 20000\nBEGIN EXCLUSIVE;\n.print locked\n");
        QByteArray lockerOut;
        QTRY_VERIFY2_WITH_TIMEOUT((lockerOut += locker.readAllStandardOutput()).contains("locked")
                                      || locker.state() == QProcess::NotRunning,
                                  "the sqlite3 shell takes the lock", kWaitMs);
        QVERIFY2(lockerOut.contains("locked"), locker.readAllStandardError().constData());
        // Every reading shown from here on finds the database locked.
        const int rowsAtLock = rowCount();

        // A 0 ms timer runs once per pass of the event loop: its longest gap
        // is the longest time the window was unresponsive.
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        qint64 longestGap = 0;
        QTimer pass;
        pass.setInterval(0);
        connect(&pass, &QTimer::timeout, this, [&] {
            const qint64 now = clock.elapsed();
            longestGap = qMax(longestGap, now - last);
            last = now;
        });
        pass.start();
        QTRY_VERIFY_WITH_TIMEOUT(m_statuses.contains(kNotStored) && rowCount() >= rowsAtLock + 3, kWaitMs);
        pass.stop();
        qInfo("longest event-loop gap while the database was locked: %lld ms", longestGap);
        QVERIFY2(longestGap < 1000, qPrintable(QStringLiteral("%1 ms").arg(longestGap)));
        QVERIFY(m_window->isRecording());

        // Every reading shown before the release found the database locked.
        const int rowsAtRelease = rowCount();
        locker.write("ROLLBACK;\n.quit\n");
        locker.closeWriteChannel();
        QTRY_COMPARE_WITH_TIMEOUT(locker.state(), QProcess::NotRunning, kWaitMs);
        // The lock is gone: every reading shown from here on is stored.
        const int rowsAtUnlock = rowCount();
        m_statuses.clear();
        QTRY_VERIFY_WITH_TIMEOUT(rowCount() >= rowsAtUnlock + 3, kWaitMs);
        QCOMPARE(status(), QString("Realtime data received"));
        QVERIFY2(!m_statuses.contains(kNotStored), qPrintable(m_statuses.join(" | ")));
        CHECKED(stopRecording());

        // Every stored row is a shown row, in order. The rows not stored
        // are one run: it holds every row shown while the lock was surely
        // held, and everything before and after it is stored.
        const QList<PelnorXLogItem> stored = liveRows();
        QVector<bool> isStored(rowCount(), false);
        int row = 0;
        for (const PelnorXLogItem &r : stored) {
            const QStringList want = expectedTexts(r);
            while (row < rowCount() && rowTexts(row) != want)
                ++row;
            QVERIFY2(row < rowCount(), qPrintable("stored but never shown: " + describe(r)));
            isStored[row++] = true;
        }
        const QString where = QStringLiteral("before the lock %1, locked %2 to %3, unlocked from %4, %5 rows")
                                  .arg(rowsBeforeLock).arg(rowsAtLock).arg(rowsAtRelease).arg(rowsAtUnlock)
                                  .arg(rowCount());
        for (int i = 0; i < rowsBeforeLock; ++i)
            QVERIFY2(isStored.at(i), qPrintable(QStringLiteral("row %1 not stored; %2").arg(i).arg(where)));
        for (int i = rowsAtLock; i < rowsAtRelease; ++i)
            QVERIFY2(!isStored.at(i), qPrintable(QStringLiteral("row %1 stored; %2").arg(i).arg(where)));
        for (int i = rowsAtUnlock; i < rowCount(); ++i)
            QVERIFY2(isStored.at(i), qPrintable(QStringLiteral("row %1 not stored; %2").arg(i).arg(where)));
        const int firstMissing = int(isStored.indexOf(false));
        const int lastMissing = int(isStored.lastIndexOf(false));
        for (int i = firstMissing; i <= lastMissing; ++i)
            QVERIFY2(!isStored.at(i), qPrintable(QStringLiteral("the rows not stored are not one run: row %1 is "
                                                                "stored; %2").arg(i).arg(where)));

        const QVector<SimAnswer> sent = m_sim->answersTo(wire::kRealtimeQuery);
        const QVector<QByteArray> frames = replayRealtime(args, sent.size());
        QVERIFY(frames.size() >= rowCount());
        for (int i = 0; i < rowCount(); ++i) {
            QStringList want = expectedTexts(recordOf(frames.at(i)));
            const QStringList shown = rowTexts(i);
            want[ColumnDate] = shown.at(ColumnDate);
            want[ColumnTime] = shown.at(ColumnTime);
            QCOMPARE(shown, want);
        }
        QCOMPARE(runtimeLogLines().size(), stored.size());
        QCOMPARE(unexpected.count(), 0);
    }
};

QTEST_MAIN(Tst_EndToEnd)
#include "tst_endtoend.moc"
