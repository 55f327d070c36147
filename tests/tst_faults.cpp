#include <QtTest>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLCDNumber>
#include <QLabel>
#include <QMessageBox>
#include <QSerialPort>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QToolBar>

#include "device/dataserialport.h"
#include "device/wireformat.h"
#include "storage/appfiles.h"
#include "storage/globals.h"
#include "storage/systemlogmanager.h"
#include "storage/systemsetting.h"
#include "ui/mainwindow.h"
#include "ui/portchoice.h"
#include "ui/portfailuretext.h"
#include "ui/livepanel.h"

#include "modalanswer.h"
#include "ptypair.h"
#include "testglobals.h"

namespace {

// Closes the next message box with its first button and keeps what it said,
// the informative text included (ModalAnswer keeps only the main text).
class BoxReader : public QObject
{
public:
    // Answers every box; `seen` tells that the one with the wanted text (any
    // text when none is given) came.
    explicit BoxReader(const QString &wanted = QString())
    {
        connect(&m_timer, &QTimer::timeout, this, [this, wanted] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || (seen && wanted.isEmpty()))
                return;
            if (!seen && (wanted.isEmpty() || box->text() == wanted)) {
                seen = true;
                text = box->text();
                informative = box->informativeText();
            }
            box->buttons().first()->click();
        });
        m_timer.start(20);
    }
    bool seen = false;
    QString text;
    QString informative;

private:
    QTimer m_timer;
};

} // namespace

// Faults the user must see and be able to act on: an unusable history
// database, storing that fails, settings that cannot be kept, displays too
// narrow for their values, a port that will not open.
class Tst_Faults : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    MainWindow *m_window = nullptr;

    void openWindow()
    {
        m_window = new MainWindow(m_dir.path(), nullptr);
        m_window->resize(1400, 800);
        m_window->show();
    }

    QLabel *warning() const { return m_window->findChild<QLabel *>("lbStorageWarning"); }

    void frame(const wire::FrameFields &f)
    {
        QVERIFY(QMetaObject::invokeMethod(m_window, "onRecvDataFrame",
                                          Q_ARG(QByteArray, wire::encodeRealtimeFrame(f))));
    }

    static wire::FrameFields normalFrame()
    {
        wire::FrameFields f;
        f.speedMmPerS = 5000;
        f.areaMantissa = 1234;
        f.areaDecimals = 3;
        return f;
    }

    int storedReadings() const
    {
        QList<PelnorXLogItem> list;
        return pSystemLogManager->querySystemLog(&list);
    }

    void writeRandomBytesDatabase()
    {
        QFile f(m_dir.filePath("systemlog.db"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(2048, '\x5a'));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        setUpGlobals(m_dir.path());
    }

    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
        dropHistoryManager();
        QDir dir(m_dir.path());
        for (const QString &name : dir.entryList({"systemlog*"}))
            QVERIFY(dir.remove(name));
    }

    void brokenDatabaseIsSetAsideAndReadingsGoToAFreshOne()
    {
        writeRandomBytesDatabase();
        ModalAnswer user("Set Aside");
        openWindow();
        QTRY_VERIFY_WITH_TIMEOUT(user.answered(), 10000);
        QCOMPARE(user.count(), 1);
        QVERIFY2(user.text().contains(QDir::toNativeSeparators(m_dir.filePath("systemlog.db"))),
                 qPrintable(user.text()));

        frame(normalFrame());
        QCOMPARE(storedReadings(), 1);
        const QStringList aside = QDir(m_dir.path()).entryList({"systemlog.broken-*.db"});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(QFileInfo(m_dir.filePath(aside.first())).size(), qint64(2048));
        QVERIFY(!warning()->isVisible());
    }

    void goingOnWithoutStoringLeavesAWarningThatStays()
    {
        writeRandomBytesDatabase();
        ModalAnswer user("Go On Without Storing");
        openWindow();
        QTRY_VERIFY_WITH_TIMEOUT(warning()->isVisible(), 10000);
        QVERIFY(warning()->text().contains("NOT being stored"));

        // A tool button's status tip replaces the status message, not the warning.
        QAction *record = m_window->findChild<QToolBar *>("mainToolBar")->actions().at(2);
        QStatusTipEvent tip(record->statusTip());
        QApplication::sendEvent(m_window, &tip);
        QCOMPARE(m_window->statusBar()->currentMessage(), record->statusTip());
        QVERIFY(warning()->isVisible());
        frame(normalFrame());
        QVERIFY(warning()->isVisible());
        QCOMPARE(QFileInfo(m_dir.filePath("systemlog.db")).size(), qint64(2048));
    }

    void warningGoesWhenStoringWorksAgain()
    {
        openWindow();
        QTRY_VERIFY(!warning()->isVisible());
        {
            // Another program takes the table away: readings cannot be stored.
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
            other.setDatabaseName(m_dir.filePath("systemlog.db"));
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec("ALTER TABLE AQ7316 RENAME TO AQ7316_taken"));
            other.close();
        }
        frame(normalFrame());
        QVERIFY(warning()->isVisible());
        QCOMPARE(warning()->text(), QString("Readings are NOT being stored: the history database cannot be written"));
        {
            QSqlDatabase other = QSqlDatabase::database("other");
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec("ALTER TABLE AQ7316_taken RENAME TO AQ7316"));
            other.close();
        }
        QSqlDatabase::removeDatabase("other");
        frame(normalFrame());
        QVERIFY(!warning()->isVisible());
        QCOMPARE(storedReadings(), 1);
    }

    void runThatCouldNotBeArchivedIsTold()
    {
        openWindow();
        frame(normalFrame());
        pSystemSetting->serialPortName = m_dir.filePath("no-such-port");
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "full");
        other.setDatabaseName(m_dir.filePath("systemlog.db"));
        QVERIFY(other.open());
        QVERIFY(QSqlQuery(other).exec("CREATE TRIGGER full BEFORE INSERT ON run_readings "
                                      "BEGIN SELECT RAISE(ROLLBACK, 'database or disk is full'); END"));
        auto record = [this] {
            // The History box about the archive may come first.
            BoxReader noPort(QStringLiteral("no serialport"));
            QVERIFY(QMetaObject::invokeMethod(m_window, "slotStartStopRecording"));
            QTRY_VERIFY_WITH_TIMEOUT(noPort.seen, 10000);
        };
        record();
        QVERIFY(warning()->isVisible());
        QVERIFY2(warning()->text().startsWith("The previous recording was kept"), qPrintable(warning()->text()));
        QVERIFY(QSqlQuery(other).exec("DROP TRIGGER full"));
        other.close();
        other = QSqlDatabase();
        QSqlDatabase::removeDatabase("full");
        record();
        QVERIFY(!warning()->isVisible());
    }

    void settingsFileThatIsAFolderIsTold()
    {
        QSettings *kept = pSettings;
        const QString folder = m_dir.filePath("folder/Options.ini");
        QVERIFY(QDir().mkpath(folder));
        pSettings = new QSettings(folder, QSettings::IniFormat);
        openWindow();
        QTRY_VERIFY(warning()->isVisible());
        delete pSettings;
        pSettings = kept;
        QVERIFY2(warning()->text().contains(QDir::toNativeSeparators(folder) + " is a folder"),
                 qPrintable(warning()->text()));
    }

    void largestSpeedInFeetPerMinuteFitsItsDisplay()
    {
        openWindow();
        wire::FrameFields f = normalFrame();
        f.speedMmPerS = 65535;
        f.windUnit = 4;   // ft/min
        f.areaMantissa = 65535;
        f.areaDecimals = 0;
        f.volumeUnit = 1; // CFM: the longest air flow
        frame(f);
        for (const char *name : {"numWind", "numVolume", "numArea", "numTemp"}) {
            auto *display = m_window->findChild<QLCDNumber *>(name);
            QVERIFY2(display->digitCount() >= lcdDigitsFor(display->accessibleName()), name);
        }
        auto *wind = m_window->findChild<QLCDNumber *>("numWind");
        QCOMPARE(wind->accessibleName(), QString("12901.875"));
        QCOMPARE(wind->value(), 12901.875);
        // Sized from the start for the largest values, not grown by the reading:
        // 12901.875 ft/min and 9100328477.152 CFM.
        QCOMPARE(wind->digitCount(), panelDigits().wind);
        QCOMPARE(panelDigits().wind, 9);
        QCOMPARE(panelDigits().volume, 14);
        QCOMPARE(m_window->findChild<QLCDNumber *>("numVolume")->accessibleName(), QString("9100328477.152"));
    }

    void aboutTellsWhereTheFilesAre()
    {
        openWindow();
        ModalAnswer user("OK");
        QVERIFY(QMetaObject::invokeMethod(m_window, "slotAboutBar", Q_ARG(bool, false)));
        QVERIFY(user.text().startsWith("AQ7316 Anemometer\n\rV1.1 \n\r"));
        QVERIFY(user.text().contains("The program is Data Logger For AQ7316\n\r" + appFilesDescription()));
    }

    void adapterListedWithItsStableName()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        QTemporaryDir byId;
        const QString link = byId.filePath("usb-FTDI_FT232R_USB_UART_A12345-if00-port0");
        QVERIFY(QFile::link(pty.slavePath(), link));
        QCOMPARE(serialByIdPath(pty.slavePath(), byId.path()), link);

        PortFacts adapter;
        adapter.portName = "ttyUSB0";
        adapter.systemLocation = pty.slavePath();
        adapter.description = "FT232R USB UART";
        adapter.serialNumber = "A12345";
        adapter.usb = true;
        const PortChoice choice = portChoice(adapter, link);
        QCOMPARE(choice.label, pty.slavePath() + QString::fromUtf8(" \u2014 FT232R USB UART, serial number A12345 "
                                                                  "(usb-FTDI_FT232R_USB_UART_A12345-if00-port0)"));
        QCOMPARE(choice.value, link);

        PortFacts plain;
        plain.portName = "ttyS0";
        plain.systemLocation = "/dev/ttyS0";
        const QVector<PortChoice> list{portChoice(plain, QString()), choice};
        QCOMPARE(list.first().label, QString("ttyS0"));
        // The first run's COM3 is not there: the one adapter is offered.
        QCOMPARE(preselectedPort(list, "COM3", false), 1);
        QCOMPARE(preselectedPort(list, "ttyS0", true), 0);
        QCOMPARE(preselectedPort(list, link, true), 1);
    }

    void portFailureSaysWhy_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("readWritable");
        QTest::addColumn<QString>("text");
        QTest::newRow("missing") << int(QSerialPort::DeviceNotFoundError) << false << false
                                 << "The port /dev/ttyUSB0 does not exist. Plug in the adapter, or choose another port under Set.";
        QTest::newRow("permission") << int(QSerialPort::PermissionError) << true << false
                                    << "Permission denied on /dev/ttyUSB0. Add your user to the group dialout "
                                       "(sudo usermod -aG dialout $USER) and log in again.";
        QTest::newRow("locked by another program") << int(QSerialPort::PermissionError) << true << true
                                 << "The port /dev/ttyUSB0 is in use by another program. Close that program and try again.";
        QTest::newRow("open elsewhere") << int(QSerialPort::OpenError) << true << true
                                 << "The port /dev/ttyUSB0 is in use by another program. Close that program and try again.";
    }

    void portFailureSaysWhy()
    {
        QFETCH(int, error);
        QFETCH(bool, exists);
        QFETCH(bool, readWritable);
        QFETCH(QString, text);
        const int reason = DataSerialPort::classifyOpenFailure(QSerialPort::SerialPortError(error), exists, readWritable);
        QCOMPARE(portFailureText(reason, "/dev/ttyUSB0", "dialout"), text);
    }

    void missingPortKeepsItsAnswerAndSaysWhy()
    {
        openWindow();
        const QString port = m_dir.filePath("no-such-port");
        pSystemSetting->serialPortName = port;
        BoxReader box;
        QVERIFY(QMetaObject::invokeMethod(m_window, "slotStartStopRecording"));
        QTRY_VERIFY_WITH_TIMEOUT(box.seen, 10000);
        QCOMPARE(box.text, QString("no serialport"));
        QCOMPARE(box.informative, QString("The port %1 does not exist. Plug in the adapter, or choose another port under Set.").arg(port));
        QCOMPARE(m_window->statusBar()->currentMessage(), QString("no serialport"));
        QVERIFY(!m_window->isRecording());
    }

    void portHeldByAnotherProgramIsToldSo()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        QSerialPort holder(pty.slavePath());
        if (!holder.open(QIODevice::ReadWrite))
            QSKIP("the pty cannot be opened here");
        openWindow();
        pSystemSetting->serialPortName = pty.slavePath();
        BoxReader box;
        QVERIFY(QMetaObject::invokeMethod(m_window, "slotStartStopRecording"));
        QTRY_VERIFY_WITH_TIMEOUT(box.seen, 10000);
        const QString why = QString("The port %1 is in use by another program. Close that program and try again.")
                                .arg(pty.slavePath());
        QCOMPARE(box.text, QString("no serialport"));
        QCOMPARE(box.informative, why);
        QCOMPARE(m_window->statusBar()->currentMessage(), "no serialport: " + why);
    }
};

QTEST_MAIN(Tst_Faults)
#include "tst_faults.moc"
