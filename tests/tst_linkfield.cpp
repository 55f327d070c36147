#include <QtTest>

#include <QAction>
#include <QChartView>
#include <QLineSeries>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>

#include "device/dataserialport.h"
#include "device/wireformat.h"
#include "storage/globals.h"
#include "storage/systemlogmanager.h"
#include "storage/systemsetting.h"
#include "ui/downloadprogress.h"
#include "ui/mainwindow.h"
#include "ui/qprocessindicator.h"

#include "modalanswer.h"
#include "ptypair.h"
#include "simprocess.h"
#include "testglobals.h"
#include "testsupport.h"

using namespace QtCharts;

namespace {
constexpr int kWaitMs = 30000;

// The link's debug lines (one per arrival, the whole package) would bury
// the test's own output.
void quietDebug(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtDebugMsg)
        qt_message_output(type, context, text);
}

QByteArray packageOf(int n)
{
    QVector<wire::RecordFields> records(n);
    for (int i = 0; i < n; ++i)
        records[i].speedMmPerS = quint16(1000 + i);
    return wire::encodeStoredPackage(records);
}
} // namespace

// The link as it behaves in the field, through the real window: a slow
// package with progress, a cancelled download, failures answered once, an
// adapter pulled and plugged back in during a recording.
class Tst_LinkField : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    MainWindow *m_window = nullptr;
    QStringList m_statuses;

    QAction *action(const QString &text) const { return toolbarAction(m_window, text); }
    QString status() const { return m_window->statusBar()->currentMessage(); }
    int rowCount() const { return m_window->findChild<QTableView *>("tv_Record")->model()->rowCount(); }
    bool sawStatus(const QString &start) const
    {
        for (const QString &s : m_statuses)
            if (s.startsWith(start))
                return true;
        return false;
    }
    static QList<PelnorXLogItem> table(bool downloaded)
    {
        QList<PelnorXLogItem> rows;
        downloaded ? pSystemLogManager->querySystemLogIn(&rows) : pSystemLogManager->querySystemLog(&rows);
        return rows;
    }
    // Runs `act` once the status first starts with `start` (from inside the
    // download's wait).
    void onStatus(const QString &start, std::function<void()> act)
    {
        auto *conn = new QMetaObject::Connection;
        *conn = connect(m_window->statusBar(), &QStatusBar::messageChanged, this, [=](const QString &text) {
            if (!text.startsWith(start))
                return;
            disconnect(*conn);
            delete conn;
            QTimer::singleShot(0, this, act);
        });
    }

    // Everything the link sent so far has been handled by the window.
    void flushLink()
    {
        QMetaObject::invokeMethod(m_window->serialLink(), [] {}, Qt::BlockingQueuedConnection);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents();   // the window's own round trip back
    }

private slots:
    void initTestCase()
    {
        qInstallMessageHandler(quietDebug);
        QVERIFY(m_dir.isValid());
        setUpGlobals(m_dir.path());
    }

    void init()
    {
        m_window = openFreshWindow(m_dir.path(), QSize(1200, 700));
        m_statuses.clear();
        connect(m_window->statusBar(), &QStatusBar::messageChanged, this, [this](const QString &t) {
            if (!t.isEmpty())
                m_statuses << t;
        });
    }

    void cleanup()
    {
        closeWindow(m_window);
    }

    void timeLeft_data()
    {
        QTest::addColumn<int>("startReceived");
        QTest::addColumn<int>("received");
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<int>("total");
        QTest::addColumn<QString>("text");
        QTest::newRow("no time yet") << 0 << 0 << qint64(0) << 65535 << "Downloading 0 of 65,535 records";
        QTest::newRow("120 records/s, 6 min left")
            << 0 << 12345 << qint64(102875) << 65535 << "Downloading 12,345 of 65,535 records, about 7 min left";
        QTest::newRow("under a minute") << 100 << 1100 << qint64(10000) << 5100
                                        << "Downloading 1,100 of 5,100 records, about 40 s left";
        QTest::newRow("rounded up, never 0 before the end")
            << 0 << 999 << qint64(1000) << 1000 << "Downloading 999 of 1,000 records, about 1 s left";
    }

    void timeLeft()
    {
        QFETCH(int, startReceived);
        QFETCH(int, received);
        QFETCH(qint64, elapsedMs);
        QFETCH(int, total);
        QFETCH(QString, text);
        const qint64 left = downloadSecondsLeft(startReceived, 1000, received, 1000 + elapsedMs, total);
        QCOMPARE(downloadProgressText(received, total, left, QLocale(QLocale::English)), text);
    }

    // Slower than the guard, but never silent for as long: it completes,
    // every record stored, progress shown on the way.
    void slowPackageOutlastsTheGuard()
    {
        SimulatorProcess sim(kWaitMs);
        QVERIFY(sim.start({"--records", "300", "--line-rate", "1000", "--seed", "5"}));
        pSystemSetting->serialPortName = sim.path();
        m_window->serialLink()->setIntervals(DataSerialPort::kKeepIntervalMs, 1000);
        ModalAnswer unexpected(QString(), 60000);
        action("Download")->trigger();   // returns when the wait ends
        QCOMPARE(status(), QString("Stored data received"));
        QCOMPARE(table(true).size(), 300);
        QCOMPARE(rowCount(), 300);
        QVERIFY2(sawStatus("Downloading ") && m_statuses.join('|').contains(" of 300 records, about "),
                 qPrintable(m_statuses.join(" | ")));
        QCOMPARE(unexpected.count(), 0);
    }

    void cancelStoresNothing_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Cancel Download button") << false;
        QTest::newRow("Escape") << true;
    }

    // Cancelled halfway: nothing of it is stored, even a package that was
    // already on its way; other buttons stay blocked meanwhile; a new
    // download works at once.
    void cancelStoresNothing()
    {
        QFETCH(bool, byEscape);
        SimulatorProcess slow(kWaitMs);
        QVERIFY(slow.start({"--records", "3000", "--line-rate", "2000", "--seed", "6"}));
        pSystemSetting->serialPortName = slow.path();
        bool recordBlocked = false;
        onStatus("Downloading ", [&] {
            QToolBar *bar = m_window->findChild<QToolBar *>("mainToolBar");
            QTest::mouseClick(bar->widgetForAction(recordToolbarAction(m_window)), Qt::LeftButton);
            recordBlocked = !m_window->isRecording();
            QAction *cancel = action("Cancel Download");
            QVERIFY(cancel);
            // A whole package the link sends before it gets the stop: it
            // reaches the window only after the cancel.
            DataSerialPort *link = m_window->serialLink();
            QMetaObject::invokeMethod(link, [link] { emit link->recvDataStored(packageOf(7)); });
            if (byEscape)
                QTest::keyClick(m_window, Qt::Key_Escape);
            else
                QTest::mouseClick(bar->widgetForAction(cancel), Qt::LeftButton);
        });
        action("Download")->trigger();
        QVERIFY(recordBlocked);
        QCOMPARE(status(), QString("Download cancelled: nothing of it was stored"));
        QVERIFY(!m_window->busyIndicator()->isAnimating());
        QVERIFY(action("Download"));
        flushLink();
        QCOMPARE(rowCount(), 0);
        QCOMPARE(table(true).size(), 0);

        SimulatorProcess quick(kWaitMs);
        QVERIFY(quick.start({"--records", "4", "--seed", "7"}));
        pSystemSetting->serialPortName = quick.path();
        action("Download")->trigger();
        QCOMPARE(status(), QString("Stored data received"));
        QCOMPARE(table(true).size(), 4);
    }

    // A storm of "no serialport" gives one box per episode; a successful
    // start begins a new one.
    void manyNoPortCodesOneBox()
    {
        ModalAnswer answers(QStringList{"OK", "OK", "OK"}, 10000);
        for (int i = 0; i < 50; ++i)
            QMetaObject::invokeMethod(m_window, "onCommuStutusError", Qt::QueuedConnection, Q_ARG(int, 2));
        QTRY_VERIFY_WITH_TIMEOUT(answers.answered() && !QApplication::activeModalWidget(), kWaitMs);
        QCoreApplication::processEvents();
        QCOMPARE(answers.count(), 1);
        QCOMPARE(status(), QString("no serialport"));

        QMetaObject::invokeMethod(m_window, "onCommuStutusError", Q_ARG(int, 9));
        QMetaObject::invokeMethod(m_window, "onCommuStutusError", Qt::QueuedConnection, Q_ARG(int, 2));
        QTRY_COMPARE_WITH_TIMEOUT(answers.count(), 2, kWaitMs);
    }

    // The package stops arriving: after the guard, one box says how much
    // had come; nothing is stored.
    void cutShortPackageSaysHowMuchArrived()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        pSystemSetting->serialPortName = pty.slavePath();
        m_window->serialLink()->setIntervals(DataSerialPort::kKeepIntervalMs, 1500);
        ModalAnswer box(QStringList{"OK", "OK"}, kWaitMs);
        QTimer::singleShot(0, this, [&] {
            QVERIFY(pty.read(1, kWaitMs).startsWith(wire::kDownloadRequest));
            QVERIFY(pty.write(packageOf(1000).left(3 + 8 * 10)));
        });
        action("Download")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(box.answered(), kWaitMs);
        QCOMPARE(box.title(), QString("Download Error"));
        QCOMPARE(box.text(), QString("The download did not complete (communication timeout): 10 of 1,000 records "
                                     "had arrived. Nothing of it was stored.\nPlease download again."));
        QVERIFY(!m_window->busyIndicator()->isAnimating());
        flushLink();
        QCOMPARE(box.count(), 1);
        QCOMPARE(table(true).size(), 0);
    }

    // Pulled and never back: after the limit the recording stops as it
    // did at once before.
    void unplugWithoutReturnStops()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        // Watched by a name of its own: the terminal's number may go to
        // another program's terminal once this one is gone.
        const QString link = m_dir.filePath("gone");
        QFile::remove(link);
        QVERIFY(QFile::link(pty.slavePath(), link));
        pSystemSetting->serialPortName = link;
        m_window->setPortReturnIntervals(50, 400);
        ModalAnswer box("OK", kWaitMs);
        recordToolbarAction(m_window)->trigger();
        QVERIFY(pty.read(1, kWaitMs).startsWith(wire::kRealtimeQuery));
        // One answer: the instrument was there, and a silent line would not
        // be taken for Offline before the hang-up shows.
        QVERIFY(pty.write(wire::encodeRealtimeFrame(wire::FrameFields())));
        QTRY_COMPARE_WITH_TIMEOUT(rowCount(), 1, kWaitMs);
        QFile::remove(link);
        pty.hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(box.answered() && !m_window->isRecording(), kWaitMs);
        QCOMPARE(box.text(), QString("no serialport"));
        QVERIFY(sawStatus("Instrument disconnected: waiting"));
        QCOMPARE(status(), QString("The instrument did not come back: recording stopped"));
        QCOMPARE(recordToolbarAction(m_window)->text(), QString("Record"));
    }

    // The adapter is pulled mid-recording and plugged back in: one box,
    // a wait, then the same recording goes on; the chart leaves a gap.
    void unplugAndReplugResumes()
    {
        const QString link = m_dir.filePath("aqlink");
        SimulatorProcess sim(kWaitMs);
        QVERIFY(sim.start({"--unplug-after", "6", "--replug-after", "2", "--link", link, "--drift", "--seed", "9"}));
        pSystemSetting->serialPortName = link;
        m_window->setPortReturnIntervals(100, 60000);
        ModalAnswer box(QStringList{"OK", "OK"}, 60000);

        recordToolbarAction(m_window)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isWaitingForPort(), kWaitMs);
        const int before = rowCount();
        QVERIFY(before >= 4);
        QTRY_VERIFY_WITH_TIMEOUT(box.answered(), kWaitMs);
        QCOMPARE(box.text(), QString("no serialport"));
        QVERIFY(m_window->isRecording());
        QCOMPARE(recordToolbarAction(m_window)->text(), QString("Stop Recording"));
        QTRY_VERIFY_WITH_TIMEOUT(sawStatus("Instrument disconnected: waiting"), kWaitMs);

        QTRY_VERIFY_WITH_TIMEOUT(rowCount() >= before + 3, kWaitMs);
        QVERIFY(sawStatus("Instrument reconnected: recording resumed"));
        recordToolbarAction(m_window)->trigger();
        QCOMPARE(box.count(), 1);
        m_statuses.removeDuplicates();
        qInfo("statuses: %s", qPrintable(m_statuses.join(" | ")));

        const QList<PelnorXLogItem> rows = table(false);
        QCOMPARE(rows.size(), rowCount());
        for (int i = 1; i < rows.size(); ++i)
            QCOMPARE(rows.at(i).id, rows.at(i - 1).id + 1);   // nothing deleted between

        // Two stretches of wind line; the second starts after the first ends.
        QChart *chart = m_window->findChild<QChartView *>("wv_Plot")->chart();
        QAbstractAxis *windAxis = nullptr;
        for (QAbstractAxis *axis : chart->axes(Qt::Vertical))
            if (axis->alignment() == Qt::AlignRight)
                windAxis = axis;
        QList<QLineSeries *> wind;
        for (QAbstractSeries *s : chart->series()) {
            auto *line = qobject_cast<QLineSeries *>(s);
            if (line && line->count() > 0 && line->attachedAxes().contains(windAxis))
                wind << line;
        }
        QCOMPARE(wind.size(), 2);
        QVERIFY(wind.at(0)->at(wind.at(0)->count() - 1).x() < wind.at(1)->at(0).x());
        QCOMPARE(wind.at(0)->count() + wind.at(1)->count(), m_window->windPoints().size());
    }
};

QTEST_MAIN(Tst_LinkField)
#include "tst_linkfield.moc"
