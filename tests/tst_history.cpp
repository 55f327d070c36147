#include <QtTest>

#include <functional>
#include <memory>

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "device/wireformat.h"
#include "model/measurements.h"
#include "model/valuetext.h"
#include "storage/globals.h"
#include "storage/runarchive.h"
#include "storage/systemlogmanager.h"
#include "storage/systemsetting.h"
#include "ui/historydialog.h"
#include "ui/mainwindow.h"
#include "ui/setserailport.h"
#include "ui/unitlabels.h"

#include "modalanswer.h"
#include "ptypair.h"
#include "testglobals.h"
#include "testsupport.h"

namespace {

// Runs `act` on the first modal dialog of class T once it is open.
template<typename T>
class DialogDriver : public QObject
{
public:
    explicit DialogDriver(std::function<void(T *)> act) : m_act(std::move(act))
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
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
    std::function<void(T *)> m_act;
    bool m_seen = false;
};

QTreeWidget *runList(QDialog *d)
{
    return d->findChild<QTreeWidget *>("twRuns");
}

void click(QWidget *dialog, const char *name)
{
    auto *button = dialog->findChild<QAbstractButton *>(QLatin1String(name));
    QVERIFY2(button, name);
    button->click();
}

} // namespace

// The History window on the real main window, its link on a pseudo-terminal:
// runs made by Record and Download are listed, opened, exported and deleted.
class Tst_History : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<PtyPair> m_pty;
    MainWindow *m_window = nullptr;

    QAbstractItemModel *model() const { return m_window->findChild<QTableView *>("tv_Record")->model(); }
    QAction *action(const QString &text) const { return toolbarAction(m_window, text); }

    QStringList rowTexts(int row) const
    {
        QStringList out;
        for (int c = 0; c < model()->columnCount(); ++c)
            out << model()->index(row, c).data().toString();
        return out;
    }

    // A recording of n readings at speed mm/s; Stop unless the link stopped it.
    void record(int n, int speed)
    {
        recordToolbarAction(m_window)->trigger();
        QVERIFY(m_window->isRecording());
        wire::FrameFields f;
        f.speedMmPerS = quint16(speed);
        f.temperatureDeciC = 215;
        f.areaMantissa = 50;
        f.areaDecimals = 2;
        for (int i = 0; i < n; ++i) {
            f.deviceState = i == 1 ? 1 : 0;
            QVERIFY(QMetaObject::invokeMethod(m_window, "onRecvDataFrame",
                                              Q_ARG(QByteArray, wire::encodeRealtimeFrame(f))));
        }
        if (m_window->isRecording())
            recordToolbarAction(m_window)->trigger();
    }

    // A download of n records at speed mm/s, delivered while the busy
    // indicator waits for it.
    void download(int n, int speed)
    {
        QVector<wire::RecordFields> records(n);
        for (wire::RecordFields &r : records) {
            r.speedMmPerS = quint16(speed);
            r.temperatureDeciC = 190;
            r.areaMantissa = 100;
            r.areaDecimals = 2;
        }
        const QByteArray package = wire::encodeStoredPackage(records);
        QTimer::singleShot(0, m_window, [this, package] {
            QMetaObject::invokeMethod(m_window, "slotDownloadItem", Q_ARG(QByteArray, package));
        });
        action("Download")->trigger();   // returns when the indicator closes
        QCOMPARE(model()->rowCount(), n);
    }

    // Opens the History window, lets `act` work in it and returns once it is closed.
    void inHistory(const std::function<void(HistoryDialog *)> &act)
    {
        DialogDriver<HistoryDialog> driver([&](HistoryDialog *d) {
            act(d);
            if (d->isVisible())
                d->reject();
        });
        action("History")->trigger();
        QVERIFY(driver.seen());
    }

    // Selects the run listed in row i and presses the button.
    static void pick(HistoryDialog *d, int i, const char *button)
    {
        runList(d)->setCurrentItem(runList(d)->topLevelItem(i));
        click(d, button);
    }

    static QList<RunArchive::Summary> runs()
    {
        QList<RunArchive::Summary> out;
        RunArchive().listRuns({}, &out);
        return out;
    }

    // The table shows exactly the run's stored readings.
    void compareTableWithRun(const RunArchive::Summary &run)
    {
        QList<PelnorXLogItem> stored;
        QCOMPARE(RunArchive().loadRun(run.id, &stored), run.readings);
        QCOMPARE(model()->rowCount(), stored.size());
        for (int i = 0; i < stored.size(); ++i) {
            QStringList want;
            for (const QString &t : tableRowTexts(stored.at(i), userUnits(), RowOrigin::Rebuilt))
                want << t;
            QCOMPARE(rowTexts(i), want);
        }
        // On the chart at the readings' own times; a download's, which
        // carry none, half a second apart up to when it was made.
        const QVector<QPointF> &wind = m_window->windPoints();
        QCOMPARE(wind.size(), stored.size());
        for (int i = 0; i < stored.size(); ++i) {
            const qint64 x = qint64(wind.at(i).x());
            if (run.kind == RunArchive::Kind::Download) {
                QCOMPARE(x, run.started.toMSecsSinceEpoch() - 500 * (stored.size() - i));
            } else {
                const QDateTime at(QDate::fromString(stored.at(i).date, "yyyy-M-d"),
                                   QTime::fromString(stored.at(i).time, "HH:mm:ss"));
                QCOMPARE(x, at.toMSecsSinceEpoch());
            }
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
        pSystemSetting->windUnit = pSystemSetting->pendingWindUnit = 0;
        pSystemSetting->tempUnit = pSystemSetting->pendingTempUnit = 0;
        m_window = openFreshWindow(m_dir.path());
    }

    void cleanup()
    {
        closeWindow(m_window);
        m_pty.reset();
    }

    void listsAndOpensEveryRun()
    {
        record(3, 1000);
        download(2, 2000);
        record(4, 3000);
        download(5, 4000);
        record(6, 5000);

        const QList<RunArchive::Summary> all = runs();
        QStringList kinds;
        QList<qint64> sizes;
        inHistory([&](HistoryDialog *d) {
            for (int i = 0; i < runList(d)->topLevelItemCount(); ++i) {
                kinds << runList(d)->topLevelItem(i)->text(0);
                sizes << runList(d)->topLevelItem(i)->text(3).toLongLong();
            }
        });
        QCOMPARE(kinds.size(), 5);
        QCOMPARE(kinds.mid(0, 2), (QStringList{"Recording (current)", "Download (current)"}));
        QCOMPARE(kinds.count("Recording"), 2);
        QCOMPARE(kinds.count("Download"), 1);
        QCOMPARE(sizes.mid(0, 2), (QList<qint64>{6, 5}));

        for (int i = 0; i < all.size(); ++i) {
            inHistory([&](HistoryDialog *d) { pick(d, i, "pbOpen"); });
            QCOMPARE(model()->rowCount(), int(all.at(i).readings));
            compareTableWithRun(all.at(i));
            QCOMPARE(m_window->statusBar()->currentMessage(), shownRunMessage(all.at(i)));
        }
        QVERIFY(m_window->statusBar()->currentMessage().startsWith("Showing "));

        // A unit change re-expresses the opened run, not a live table.
        const RunArchive::Summary archived = all.at(2);
        QVERIFY(!archived.isCurrent);
        inHistory([&](HistoryDialog *d) { pick(d, 2, "pbOpen"); });
        QCOMPARE(m_window->shownArchivedRun(), archived.id);
        DialogDriver<setSerailPort> options([](setSerailPort *d) {
            click(d, "rbUnitKmh");
            click(d, "pb_set_SerialPort");
        });
        action("Set")->trigger();
        QVERIFY(options.seen());
        QCOMPARE(pSystemSetting->windUnit, 1);
        QCOMPARE(model()->headerData(3, Qt::Horizontal).toString(), QString("wind-kmh"));
        compareTableWithRun(archived);

        // Record starts a fresh recording.
        record(2, 1500);
        QCOMPARE(m_window->shownArchivedRun(), 0);
        QCOMPARE(model()->rowCount(), 2);
    }

    // Above 1000 rows a unit change reloads behind the busy indicator; an
    // opened run is read from the archive there too.
    void largeOpenedRunReloadsAfterUnitChange()
    {
        QList<PelnorXLogItem> items;
        const QDateTime start = QDateTime::currentDateTime().addSecs(-2000);
        for (int i = 0; i < 1001; ++i) {
            PelnorXLogItem r = deriveMeasurements(1.0 + i / 1000.0, 20.0, 0.5, false);
            const QDateTime at = start.addMSecs(500 * i);
            r.date = at.toString("yyyy-M-d");
            r.time = at.toString("HH:mm:ss");
            items.append(r);
        }
        QCOMPARE(pSystemLogManager->insertSystemLogBatch(items), 1001);
        record(2, 700);
        inHistory([&](HistoryDialog *d) { pick(d, 1, "pbOpen"); });
        const RunArchive::Summary large = runs().at(1);
        QCOMPARE(large.readings, qint64(1001));
        QCOMPARE(m_window->shownArchivedRun(), large.id);

        DialogDriver<setSerailPort> options([](setSerailPort *d) {
            click(d, "rbUnitKmh");
            click(d, "pb_set_SerialPort");
        });
        action("Set")->trigger();
        QVERIFY(options.seen());
        QTRY_COMPARE(model()->rowCount(), 1001);
        QCOMPARE(model()->headerData(3, Qt::Horizontal).toString(), QString("wind-kmh"));
        compareTableWithRun(large);
    }

    void openedRunExportsAsTheTable()
    {
        record(3, 1200);
        record(2, 800);
        QTemporaryDir out;
        m_window->setDirectoryPicker([&](QWidget *, const QString &, const QString &) { return out.path(); });
        // Answers only the boxes that come after the History window.
        std::unique_ptr<ModalAnswer> csv;
        inHistory([&](HistoryDialog *d) {
            csv = std::make_unique<ModalAnswer>("CSV");
            pick(d, 1, "pbExport");
        });
        QVERIFY(csv->answered());
        QCOMPARE(csv->title(), QString("Export"));
        QCOMPARE(model()->rowCount(), 3);

        const QStringList files = QDir(out.path()).entryList({"TamskAnemometer_export_*.csv"});
        QCOMPARE(files.size(), 1);
        QFile f(out.filePath(files.first()));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 5);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(lines.at(i + 1), (rowTexts(i).join(',') + ",").toUtf8());
    }

    void deleteAsksAndRemovesTheRun()
    {
        record(3, 1000);
        record(2, 2000);
        record(1, 3000);
        const QList<RunArchive::Summary> before = runs();
        QCOMPARE(before.size(), 3);
        const qint64 victim = before.at(1).id;
        bool currentDeletable = true;
        int listed = -1;
        std::unique_ptr<ModalAnswer> answer;
        inHistory([&](HistoryDialog *d) {
            answer = std::make_unique<ModalAnswer>("Delete");
            runList(d)->setCurrentItem(runList(d)->topLevelItem(0));
            currentDeletable = d->findChild<QPushButton *>("pbDelete")->isEnabled();
            pick(d, 1, "pbDelete");
            listed = runList(d)->topLevelItemCount();
        });
        QVERIFY(!currentDeletable);
        QCOMPARE(answer->title(), QString("Delete"));
        QVERIFY(answer->text().contains("2 readings"));
        QCOMPARE(listed, 2);
        QList<PelnorXLogItem> rows;
        QCOMPARE(RunArchive().loadRun(victim, &rows), qint64(-1));
        QCOMPARE(runs().size(), 2);
    }

    void oldDatabaseUpgradesInPlace()
    {
        delete m_window;
        dropHistoryManager();
        QFile::remove(m_dir.filePath("systemlog.db"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "old");
            db.setDatabaseName(m_dir.filePath("systemlog.db"));
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("CREATE TABLE AQ7316 (id INTEGER PRIMARY KEY AUTOINCREMENT,date VARCHAR(16), "
                           "time VARCHAR(16),temperature_c REAL, temperature_f REAL, windspeed_ms REAL, "
                           "windspeed_kmh REAL, windspeed_mph REAL, windspeed_knt REAL, windspeed_ftm REAL, "
                           "windarea_mm REAL, windarea_ft REAL, volume_cmm REAL, volume_cfm REAL, "
                           "windchill_c REAL, windchill_f REAL, devstate INTEGER)"));
            for (int i = 0; i < 2; ++i)
                QVERIFY(q.exec("INSERT INTO AQ7316 (date, time, windspeed_ms, devstate) "
                               "VALUES ('2024-3-7', '09:05:07', 2.5, 0)"));
            db.close();
        }
        QSqlDatabase::removeDatabase("old");
        m_window = new MainWindow(m_dir.path(), nullptr);
        m_window->show();
        QStringList kinds;
        inHistory([&](HistoryDialog *d) {
            for (int i = 0; i < runList(d)->topLevelItemCount(); ++i)
                kinds << runList(d)->topLevelItem(i)->text(0) + " " + runList(d)->topLevelItem(i)->text(3);
        });
        QCOMPARE(kinds, QStringList{"Recording (current) 2"});
    }

    void archiveFailureIsToldOnRecord()
    {
        record(2, 1000);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "breaker");
            db.setDatabaseName(m_dir.filePath("systemlog.db"));
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("DROP TABLE run_readings"));
            QVERIFY(q.exec("CREATE TABLE run_readings (x INTEGER)"));
            db.close();
        }
        QSqlDatabase::removeDatabase("breaker");
        ModalAnswer answer("OK");
        record(1, 2000);
        QCOMPARE(answer.count(), 1);
        QCOMPARE(answer.title(), QString("History"));
        QVERIFY(answer.text().startsWith("The previous recording was kept"));
        QList<PelnorXLogItem> live;
        pSystemLogManager->querySystemLog(&live);
        QCOMPARE(live.size(), 3);   // nothing lost: the new reading joined the old ones
    }
};

QTEST_MAIN(Tst_History)
#include "tst_history.moc"
