#include <QtTest>

#include <csignal>
#include <memory>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "model/pelnorxlogitem.h"
#include "storage/runarchive.h"
#include "storage/systemlogmanager.h"

namespace {

const char kKilledChildEnv[] = "AQ_TST_KILLED_RECORDING_DIR";
const int kKilledRows = 120;

PelnorXLogItem reading(int n, bool downloaded = false)
{
    PelnorXLogItem r{};
    r.date = downloaded ? QStringLiteral(" ") : QStringLiteral("2024-3-%1").arg(1 + n / 3600 % 28);
    r.time = downloaded ? QStringLiteral(" ")
                        : QStringLiteral("09:%1:%2").arg(n / 60 % 60, 2, 10, QLatin1Char('0')).arg(n % 60, 2, 10, QLatin1Char('0'));
    double *values[13] = {&r.temperature_c, &r.temperature_f, &r.windspeed_ms, &r.windspeed_kmh, &r.windspeed_mph,
                          &r.windspeed_knt, &r.windspeed_ftm, &r.windarea_mm, &r.windarea_ft, &r.volume_cmm,
                          &r.volume_cfm, &r.windchill_c, &r.windchill_f};
    for (int i = 0; i < 13; ++i)
        *values[i] = (i + 1) * 1.125 + n * 0.1 - (i == 0 ? 30.0 : 0.0);
    r.devstate = downloaded ? 0 : n % 3;
    return r;
}

QList<PelnorXLogItem> readings(int count, bool downloaded = false)
{
    QList<PelnorXLogItem> list;
    for (int n = 0; n < count; ++n)
        list.append(reading(n, downloaded));
    return list;
}

bool same(const PelnorXLogItem &a, const PelnorXLogItem &b)
{
    return a.id == b.id && a.date == b.date && a.time == b.time && a.temperature_c == b.temperature_c
        && a.temperature_f == b.temperature_f && a.windspeed_ms == b.windspeed_ms && a.windspeed_kmh == b.windspeed_kmh
        && a.windspeed_mph == b.windspeed_mph && a.windspeed_knt == b.windspeed_knt
        && a.windspeed_ftm == b.windspeed_ftm && a.windarea_mm == b.windarea_mm && a.windarea_ft == b.windarea_ft
        && a.volume_cmm == b.volume_cmm && a.volume_cfm == b.volume_cfm && a.windchill_c == b.windchill_c
        && a.windchill_f == b.windchill_f && a.devstate == b.devstate;
}

// A second connection to the file, standing for another program.
struct OtherProgram
{
    QSqlDatabase db;
    explicit OtherProgram(const QString &file)
        : db(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other")))
    {
        db.setDatabaseName(file);
        db.open();
    }
    ~OtherProgram()
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
    }
};

void sqlOn(const QString &file, const QStringList &statements)
{
    OtherProgram other(file);
    QSqlQuery q(other.db);
    for (const QString &sql : statements)
        QVERIFY2(q.exec(sql), qPrintable(sql));
}

// Child mode: a recording ended by SIGKILL.
[[noreturn]] void runKilledRecording(const QString &dir)
{
    SystemLogManager manager(dir, nullptr);
    for (const PelnorXLogItem &r : readings(kKilledRows))
        manager.insertSystemLog(r);
    std::raise(SIGKILL);
    std::abort();
}

} // namespace

class Tst_RunArchive : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString dbFile() const { return m_dir.filePath(QStringLiteral("systemlog.db")); }
    std::unique_ptr<SystemLogManager> open() { return std::make_unique<SystemLogManager>(m_dir.path(), nullptr); }

    void checkRun(RunArchive &archive, qint64 id, const QList<PelnorXLogItem> &stored, quint32 firstId)
    {
        QList<PelnorXLogItem> rows;
        QCOMPARE(archive.loadRun(id, &rows), qint64(stored.size()));
        for (int i = 0; i < stored.size(); ++i) {
            PelnorXLogItem expected = stored[i];
            expected.id = firstId + quint32(i);
            QVERIFY2(same(rows[i], expected), qPrintable(QStringLiteral("row %1").arg(i)));
        }
    }

private slots:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void newRunKeepsThePreviousOne_data()
    {
        QTest::addColumn<bool>("download");
        QTest::newRow("Record keeps the recording") << false;
        QTest::newRow("Download keeps the download") << true;
    }
    void newRunKeepsThePreviousOne()
    {
        QFETCH(bool, download);
        auto m = open();
        auto insert = download ? &SystemLogManager::insertSystemLogInBatch : &SystemLogManager::insertSystemLogBatch;
        auto empty = download ? &SystemLogManager::deleteSystemLogIn : &SystemLogManager::deleteSystemLog;
        auto query = download ? &SystemLogManager::querySystemLogIn : &SystemLogManager::querySystemLog;
        const qint64 current = download ? RunArchive::CurrentDownload : RunArchive::CurrentRecording;
        RunArchive archive;

        QCOMPARE((m.get()->*empty)(), 0); // nothing there: no run
        const QList<PelnorXLogItem> first = readings(40, download);
        QCOMPARE((m.get()->*insert)(first), 40);
        QList<RunArchive::Summary> runs;
        QVERIFY(archive.listRuns({}, &runs));
        QCOMPARE(runs.size(), 1);
        QVERIFY(runs[0].isCurrent);
        QCOMPARE(runs[0].id, current);
        checkRun(archive, current, first, 1);

        QCOMPARE((m.get()->*empty)(), 0);
        QList<PelnorXLogItem> live;
        QCOMPARE((m.get()->*query)(&live), 0);
        const QList<PelnorXLogItem> second = readings(7, download);
        QCOMPARE((m.get()->*insert)(second), 7);
        QCOMPARE((m.get()->*query)(&live), 7);
        QCOMPARE(live[0].id, 41u); // ids go on after the archived rows
        QCOMPARE((m.get()->*empty)(), 0);
        QVERIFY(m->takeArchiveFailure().isEmpty());

        QVERIFY(archive.listRuns({}, &runs));
        QCOMPARE(runs.size(), 2);
        const RunArchive::Summary &older = runs[1];
        QVERIFY(!older.isCurrent);
        QCOMPARE(older.kind, download ? RunArchive::Kind::Download : RunArchive::Kind::Recording);
        QCOMPARE(older.readings, qint64(40));
        QCOMPARE(older.speedMin, first[0].windspeed_ms);
        QCOMPARE(older.speedMax, first[39].windspeed_ms);
        if (download) {
            // Stamped with the moment the download started.
            QVERIFY(older.started.isValid());
            QCOMPARE(older.ended, older.started);
        } else {
            QCOMPARE(older.started, QDateTime(QDate(2024, 3, 1), QTime(9, 0, 0)));
            QCOMPARE(older.durationSecs(), qint64(39));
            QVERIFY(older.hasTemperature);
            QCOMPARE(older.tempMin, first[0].temperature_c); // state 0
            QCOMPARE(older.tempMax, first[39].temperature_c); // state 0 (39 % 3)
        }
        checkRun(archive, older.id, first, 1);
        checkRun(archive, runs[0].id, second, 41);
    }

    void killedRecordingIsArchivedByTheNextRecord()
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kKilledChildEnv, m_dir.path());
        env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS")) + ":detect_leaks=0");
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        auto m = open();
        QCOMPARE(m->deleteSystemLog(), 0);
        RunArchive archive;
        QList<RunArchive::Summary> runs;
        QVERIFY(archive.listRuns({}, &runs));
        QCOMPARE(runs.size(), 1);
        QCOMPARE(runs[0].readings, qint64(kKilledRows));
        checkRun(archive, runs[0].id, readings(kKilledRows), 1);
    }

    void databaseOfAnEarlierVersionUpgradesInPlace()
    {
        const QString columns = QStringLiteral(
            "(id INTEGER PRIMARY KEY AUTOINCREMENT,date VARCHAR(16), time VARCHAR(16),temperature_c REAL, "
            "temperature_f REAL, windspeed_ms REAL, windspeed_kmh REAL, windspeed_mph REAL, windspeed_knt REAL, "
            "windspeed_ftm REAL, windarea_mm REAL, windarea_ft REAL, volume_cmm REAL, volume_cfm REAL, "
            "windchill_c REAL, windchill_f REAL, devstate INTEGER)");
        sqlOn(dbFile(), {"CREATE TABLE AQ7316 " + columns, "CREATE TABLE AQ7316IN " + columns,
                         "INSERT INTO AQ7316 (id, date, time, windspeed_ms) VALUES (5, '2023-12-31', '23:59:58', 2.5)",
                         "INSERT INTO AQ7316 (id, date, time, windspeed_ms) VALUES (6, '2024-1-1', '00:00:01', 3.5)"});
        auto m = open();
        QCOMPARE(m->deleteSystemLog(), 0);
        QVERIFY(m->insertSystemLog(reading(1)) == 0);
        QList<PelnorXLogItem> live;
        m->querySystemLog(&live);
        QCOMPARE(live.value(0).id, 7u);

        RunArchive archive;
        QList<RunArchive::Summary> runs;
        QVERIFY(archive.listRuns({RunArchive::KindFilter::Recordings, {}, {}}, &runs));
        QCOMPARE(runs.size(), 2);
        QCOMPARE(runs[1].durationSecs(), qint64(3));
        QCOMPARE(runs[1].speedAvg, 3.0);
        QVERIFY(!runs[1].hasTemperature);
        QList<PelnorXLogItem> rows;
        QCOMPARE(archive.loadRun(runs[1].id, &rows), qint64(2));
        QCOMPARE(rows[1].id, 6u);
        QCOMPARE(rows[1].date, QStringLiteral("2024-1-1"));
    }

    void filtersAndDeletion()
    {
        auto m = open();
        m->insertSystemLogBatch(readings(9000)); // spans 2024-3-1 to 2024-3-3
        m->deleteSystemLog();
        m->insertSystemLogInBatch(readings(5, true));
        m->deleteSystemLogIn();
        m->insertSystemLogBatch(readings(3));
        m->insertSystemLogInBatch(readings(2, true));

        RunArchive archive;
        QList<RunArchive::Summary> runs;
        QVERIFY(archive.listRuns({RunArchive::KindFilter::Downloads, {}, {}}, &runs));
        QCOMPARE(runs.size(), 2);
        QVERIFY(runs[0].isCurrent && !runs[1].isCurrent);
        const QDateTime march2(QDate(2024, 3, 2), QTime(12, 0));
        QVERIFY(archive.listRuns({RunArchive::KindFilter::Recordings, march2, march2.addSecs(3600)}, &runs));
        QCOMPARE(runs.size(), 1);
        QCOMPARE(runs[0].readings, qint64(9000));
        const qint64 big = runs[0].id;

        const qint64 before = QFileInfo(dbFile()).size();
        QCOMPARE(archive.deleteRuns({big, RunArchive::CurrentRecording, RunArchive::CurrentDownload}), qint64(9000));
        QVERIFY(archive.lastDeleteVacuumed());
        QVERIFY(QFileInfo(dbFile()).size() < before / 2);
        QList<PelnorXLogItem> rows;
        QCOMPARE(archive.loadRun(big, &rows), qint64(-1));
        QVERIFY(!archive.lastError().isEmpty());
        QCOMPARE(archive.loadRun(RunArchive::CurrentRecording, &rows), qint64(3));
        QVERIFY(archive.listRuns({}, &runs));
        QCOMPARE(runs.size(), 3);
    }

    void damagedArchiveKeepsTheRecording_data()
    {
        QTest::addColumn<QStringList>("damage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("archive readings table with other columns")
            << QStringList{"DROP TABLE run_readings", "CREATE TABLE run_readings (run_id INTEGER, blob BLOB)"}
            << "not laid out";
        QTest::newRow("runs table missing") << QStringList{"DROP TABLE runs"} << "not laid out";
        QTest::newRow("whole transaction rolled back, as on a full disk")
            << QStringList{"CREATE TRIGGER full BEFORE INSERT ON run_readings "
                           "BEGIN SELECT RAISE(ROLLBACK, 'database or disk is full'); END"}
            << "database or disk is full";
        QTest::newRow("readings silently skipped")
            << QStringList{"CREATE TRIGGER skip BEFORE INSERT ON run_readings WHEN NEW.seq = 2 BEGIN SELECT RAISE(IGNORE); END"}
            << "Not every reading";
        QTest::newRow("recording table of another program")
            << QStringList{"DROP TABLE AQ7316", "CREATE TABLE AQ7316 (id INTEGER PRIMARY KEY, speed REAL)",
                           "INSERT INTO AQ7316 (speed) VALUES (1), (2), (3)"}
            << "not laid out";
        QTest::newRow("held by another program") << QStringList{"BEGIN IMMEDIATE"} << "in use by another program";
    }
    void damagedArchiveKeepsTheRecording()
    {
        QFETCH(QStringList, damage);
        QFETCH(QString, reason);
        auto m = open();
        m->insertSystemLogBatch(readings(3));
        OtherProgram other(dbFile());
        QSqlQuery q(other.db);
        for (const QString &sql : damage)
            QVERIFY2(q.exec(sql), qPrintable(sql));

        QCOMPARE(m->deleteSystemLog(), -1);
        const QString told = m->takeArchiveFailure();
        QVERIFY2(told.startsWith("The previous recording was kept") && told.contains(reason), qPrintable(told));
        QVERIFY(m->takeArchiveFailure().isEmpty()); // told once
        q.exec(QStringLiteral("ROLLBACK"));
        QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM AQ7316")) && q.next());
        QCOMPARE(q.value(0).toInt(), 3);
        QVERIFY(!q.exec(QStringLiteral("SELECT count(*) FROM runs")) || (q.next() && q.value(0).toInt() == 0));
    }
};

int main(int argc, char **argv)
{
    const QString killedDir = qEnvironmentVariable(kKilledChildEnv);
    if (!killedDir.isEmpty()) {
        QCoreApplication app(argc, argv);
        runKilledRecording(killedDir);
    }
    QCoreApplication app(argc, argv);
    Tst_RunArchive tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_runarchive.moc"
