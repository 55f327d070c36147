#include <QtTest>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>

#include "ui/setserailport.h"
#include "device/dataserialport.h"
#include "device/wireformat.h"
#include "storage/appfiles.h"
#include "storage/globals.h"
#include "storage/loghelper.h"
#include "storage/systemlogmanager.h"
#include "storage/systemsetting.h"
#include "ui/mainwindow.h"
#include "ui/qprocessindicator.h"

#include "modalanswer.h"
#include "ptypair.h"
#include "testglobals.h"
#include "testsupport.h"

namespace {

// Runs `act` on the options dialog as soon as it is open.
class DialogDriver : public QObject
{
public:
    explicit DialogDriver(std::function<void(setSerailPort *)> act) : m_act(std::move(act))
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *dialog = qobject_cast<setSerailPort *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            m_timer.stop();
            m_seen = true;
            m_act(dialog);
        });
        m_timer.start();
    }
    bool seen() const { return m_seen; }

private:
    QTimer m_timer;
    std::function<void(setSerailPort *)> m_act;
    bool m_seen = false;
};

void click(QWidget *dialog, const char *name)
{
    auto *button = dialog->findChild<QAbstractButton *>(QLatin1String(name));
    QVERIFY2(button, name);
    button->click();
}

// Notes whether a widget was shown.
class ShowWatch : public QObject
{
public:
    explicit ShowWatch(QWidget *widget) { widget->installEventFilter(this); }
    bool seen() const { return m_seen; }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        m_seen = m_seen || event->type() == QEvent::Show;
        return false;
    }

private:
    bool m_seen = false;
};

} // namespace

// Record, Download, Set, About and the answers to the link's status codes,
// on a window whose link talks to a pseudo-terminal.
class Tst_RecordingControl : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<PtyPair> m_pty;
    MainWindow *m_window = nullptr;

    QAction *action(const QString &text) const { return toolbarAction(m_window, text); }
    QAction *recordAction() const { return recordToolbarAction(m_window); }
    QString status() const { return m_window->statusBar()->currentMessage(); }
    QAbstractItemModel *model() const { return m_window->findChild<QTableView *>("tv_Record")->model(); }

    void code(int c)
    {
        QVERIFY(QMetaObject::invokeMethod(m_window, "onCommuStutusError", Q_ARG(int, c)));
    }

    void frames(int n)
    {
        wire::FrameFields f;
        f.speedMmPerS = 2500;
        f.temperatureDeciC = 215;
        f.areaMantissa = 50;
        f.areaDecimals = 2;
        for (int i = 0; i < n; ++i) {
            f.deviceState = (i % 7 == 3) ? 1 : 0;   // some readings without a wheel
            QVERIFY(QMetaObject::invokeMethod(m_window, "onRecvDataFrame",
                                              Q_ARG(QByteArray, wire::encodeRealtimeFrame(f))));
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        setUpGlobals(m_dir.path());
    }

    void init()
    {
        m_pty = std::make_unique<PtyPair>();
        QVERIFY(m_pty->isValid());
        pSystemSetting->serialPortName = m_pty->slavePath();
        pSystemSetting->tempUnit = pSystemSetting->pendingTempUnit = 0;
        pSystemSetting->windUnit = pSystemSetting->pendingWindUnit = 0;
        m_window = openFreshWindow(m_dir.path());
    }

    void cleanup()
    {
        closeWindow(m_window);
        m_pty.reset();
    }

    void statusCodeAnswers_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("boxTitle");
        QTest::addColumn<QString>("boxText");

        QTest::newRow("0 unknown") << 0 << "unknown error" << "" << "";
        QTest::newRow("1 frame error") << 1 << "communication error" << "" << "";
        QTest::newRow("2 no port") << 2 << "no serialport" << "Error" << "no serialport";
        QTest::newRow("3 timeout") << 3 << "communication timeout" << "" << "";
        QTest::newRow("4 crc") << 4 << "crc error" << "" << "";
        QTest::newRow("5 length") << 5 << "data length error" << "" << "";
        QTest::newRow("7 download error") << 7 << "Download Error" << "Download Error"
                                          << "Please download again";
        QTest::newRow("8 unknown package: unchanged") << 8 << "before" << "" << "";
        QTest::newRow("9 port opened") << 9 << "device set" << "" << "";
        QTest::newRow("42 any other: unchanged") << 42 << "before" << "" << "";
    }

    void statusCodeAnswers()
    {
        QFETCH(int, code);
        QFETCH(QString, status);
        QFETCH(QString, boxTitle);
        QFETCH(QString, boxText);

        m_window->statusBar()->showMessage("before");
        ModalAnswer answer("", boxTitle.isEmpty() ? 300 : 20000);
        this->code(code);
        QCOMPARE(this->status(), status);
        QCOMPARE(answer.answered(), !boxTitle.isEmpty());
        if (answer.answered()) {
            QCOMPARE(answer.title(), boxTitle);
            QCOMPARE(answer.text(), boxText);
        }
    }

    void codesCloseTheIndicatorDuringDownload_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("countKnown");
        QTest::newRow("1 frame error") << 1 << "" << false;
        QTest::newRow("2 no port") << 2 << "OK" << false;
        // Before the package's count, a timeout is a poll tick that found
        // nothing yet (Offline ends that wait); after it, the guard's.
        QTest::newRow("3 timeout of the package") << 3 << "OK" << true;
        QTest::newRow("7 download error") << 7 << "OK" << false;
    }

    void codesCloseTheIndicatorDuringDownload()
    {
        QFETCH(int, code);
        QFETCH(QString, box);
        QFETCH(bool, countKnown);
        bool wasAnimating = false;
        // The code arrives while the indicator's wait runs, as the link's
        // queued signals do.
        QTimer::singleShot(300, m_window, [&] {
            wasAnimating = m_window->busyIndicator()->isAnimating();
            if (countKnown)
                QMetaObject::invokeMethod(m_window, "onDownloadProgress", Q_ARG(int, 5), Q_ARG(int, 10));
            QMetaObject::invokeMethod(m_window, "onCommuStutusError", Qt::QueuedConnection, Q_ARG(int, code));
        });
        std::unique_ptr<ModalAnswer> answer;
        if (!box.isEmpty())
            answer = std::make_unique<ModalAnswer>(box);
        action("Download")->trigger();   // returns when the indicator closes
        QVERIFY(wasAnimating);
        QVERIFY(!m_window->busyIndicator()->isAnimating());
        QVERIFY(m_window->isShowingDownload());
    }

    void recordWithNoPort()
    {
        pSystemSetting->serialPortName = m_dir.filePath("no-such-port");
        ModalAnswer answer("OK");
        recordAction()->trigger();
        QVERIFY(m_window->isRecording());
        QVERIFY(!action("Download")->isEnabled());
        QVERIFY(!action("Export")->isEnabled());
        QVERIFY(!action("Set")->isEnabled());
        // The link's code 2 comes back through its thread.
        QTRY_VERIFY_WITH_TIMEOUT(answer.answered(), 10000);
        QCOMPARE(answer.title(), QString("Error"));
        QCOMPARE(answer.text(), QString("no serialport"));
        QCOMPARE(status(), QString("no serialport"));
        QVERIFY(!m_window->isRecording());
        QCOMPARE(recordAction()->text(), QString("Record"));
        QVERIFY(action("Download")->isEnabled());
        QVERIFY(action("Export")->isEnabled());
        QVERIFY(action("Set")->isEnabled());
    }

    void recordPollsAndStopKeepsTheRows()
    {
        recordAction()->trigger();
        QCOMPARE(recordAction()->text(), QString("Stop Recording"));
        QCOMPARE(recordAction()->statusTip(), QString("Stop Recording"));
        // The link opens the terminal and polls it.
        const QByteArray query = m_pty->read(1, 10000);
        QVERIFY(query.startsWith(wire::kRealtimeQuery));
        wire::FrameFields f;
        f.speedMmPerS = 1234;
        QVERIFY(m_pty->write(wire::encodeRealtimeFrame(f)));
        QTRY_COMPARE_WITH_TIMEOUT(model()->rowCount(), 1, 10000);
        QCOMPARE(status(), QString("Realtime data received"));

        recordAction()->trigger();
        QVERIFY(!m_window->isRecording());
        QCOMPARE(recordAction()->statusTip(), QString("Start to Record"));
        QCOMPARE(model()->rowCount(), 1);
        QList<PelnorXLogItem> db;
        pSystemLogManager->querySystemLog(&db);
        QCOMPARE(db.size(), 1);
        QCOMPARE(db.first().windspeed_ms, 1.234);
    }

    void offlineWhileRecordingStopsAndAsks_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("dialogOpens");
        QTest::newRow("Cancel") << "Cancel" << false;
        QTest::newRow("OK opens the port-only options") << "OK" << true;
    }

    void offlineWhileRecordingStopsAndAsks()
    {
        QFETCH(QString, answer);
        QFETCH(bool, dialogOpens);

        recordAction()->trigger();
        bool unitsDisabled = false;
        DialogDriver driver([&](setSerailPort *d) {
            unitsDisabled = !d->findChild<QRadioButton *>("rbUnitC")->isEnabled()
                            && !d->findChild<QRadioButton *>("rbChinese")->isEnabled();
            click(d, "pb_Cancel_SerialPort");
        });
        ModalAnswer box(answer);
        code(DataSerialPort::CommuOffline);
        QCOMPARE(m_window->findChild<QLabel *>("lbState")->text(), QString("Offline"));
        QVERIFY(!m_window->isRecording());
        QCOMPARE(box.title(), QString("No Data Received"));
        QVERIFY(box.text().startsWith("Device is Offline."));
        QCOMPARE(driver.seen(), dialogOpens);
        QCOMPARE(unitsDisabled, dialogOpens);
    }

    void offlineWithRowsDoesNotAsk()
    {
        frames(1);
        ModalAnswer box("Cancel", 300);
        code(DataSerialPort::CommuOffline);
        QVERIFY(!box.answered());
        QCOMPARE(m_window->findChild<QLabel *>("lbState")->text(), QString("Offline"));
    }

    void unitChangeRebuild_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("behindIndicator");
        QTest::newRow("1000 rows: at once") << 1000 << false;
        QTest::newRow("1001 rows: behind the busy indicator") << 1001 << true;
    }

    void unitChangeRebuild()
    {
        QFETCH(int, rows);
        QFETCH(bool, behindIndicator);

        frames(rows);
        QCOMPARE(model()->rowCount(), rows);
        // The re-expression may take less than a timer's tick: the indicator
        // is seen by its being shown.
        ShowWatch indicatorShown(m_window->busyIndicator());
        DialogDriver driver([](setSerailPort *d) {
            click(d, "rbUnitKmh");
            click(d, "pb_set_SerialPort");
        });
        action("Set")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(model()->rowCount(), rows, 20000);
        const bool indicatorSeen = indicatorShown.seen();

        QVERIFY(driver.seen());
        QCOMPARE(pSystemSetting->windUnit, 1);
        QCOMPARE(indicatorSeen, behindIndicator);
        QCOMPARE(model()->headerData(3, Qt::Horizontal).toString(), QString("wind-kmh"));
        QCOMPARE(model()->index(rows - 1, 3).data().toString(), QString("9.000"));   // 2.5 m/s
        QCOMPARE(model()->index(3, 2).data().toString(), QString("-.-"));
        QCOMPARE(m_window->windPoints().last().y(), 9.0);
        QCOMPARE(m_window->findChild<QTableView *>("tv_Record")->currentIndex().row(), rows - 1);
    }

    void unitChangeKeepsReadingsThatWereNotStored()
    {
        frames(4);
        pSystemLogManager->goOnWithoutStoring();
        frames(1000);
        DialogDriver driver([](setSerailPort *d) {
            click(d, "rbUnitKmh");
            click(d, "pb_set_SerialPort");
        });
        action("Set")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(model()->headerData(3, Qt::Horizontal).toString(), QString("wind-kmh"), 20000);

        // Everything shown stays shown, though the history took only four.
        QVERIFY(!pSystemLogManager->isStoring());
        QCOMPARE(model()->rowCount(), 1004);
        QCOMPARE(model()->index(1003, 3).data().toString(), QString("9.000"));
        QCOMPARE(model()->index(1003, 2).data().toString(), QString("21.5"));
        QCOMPARE(m_window->windPoints().size(), 1004);
        QCOMPARE(m_window->windPoints().last().y(), 9.0);
    }

    void portOnlyChangeNeedsNoRebuild()
    {
        frames(3);
        PtyPair other;
        DialogDriver driver([&](setSerailPort *d) {
            auto *combo = d->findChild<QComboBox *>("cb_SerialPort");
            combo->addItem(other.slavePath());
            combo->setCurrentText(other.slavePath());
            click(d, "pb_set_SerialPort");
        });
        ModalAnswer noRestart("", 500);
        action("Set")->trigger();
        QVERIFY(driver.seen());
        QVERIFY(!noRestart.answered());
        QCOMPARE(pSystemSetting->serialPortName, other.slavePath());
        QCOMPARE(model()->rowCount(), 3);
    }

    void aboutShowsTheBuildDate()
    {
        ModalAnswer answer("OK");
        action("About")->trigger();
        QCOMPARE(answer.title(), QString("About"));
        const QString text = answer.text();
        QVERIFY(text.startsWith("AQ7316 Anemometer\n\rV1.1 \n\rBased on Qt 5.7.1 (MSVC2015, 32 bit)\n\rBuilt at "));
        // The places of the program's files follow the fixed pieces.
        QVERIFY(text.endsWith("\n\rThe program is Data Logger For AQ7316\n\r" + appFilesDescription()));
        QVERIFY(QRegularExpression("Built at [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4}\n\r").match(text).hasMatch());
    }
};

QTEST_MAIN(Tst_RecordingControl)
#include "tst_recordingcontrol.moc"
