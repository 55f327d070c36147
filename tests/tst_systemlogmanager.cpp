#include <QtTest>

#include <cstdio>
#include <functional>
#include <memory>

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

#include "model/pelnorxlogitem.h"
#include "storage/globals.h"
#include "storage/loghelper.h"
#include "storage/systemlogmanager.h"
#include "ui/messageboxnotice.h"

#include "testfiles.h"

Q_DECLARE_METATYPE(PelnorXLogItem)

namespace {

const char kOpenFailChildEnv[] = "AQ_TST_OPENFAIL_DIR";
const int kLogEntryBytesInsert = 40 + 2 * 6 + 4; // stamp, "插入系统日志", CRLF

const char kCreateAQ7316[] =
    "CREATE TABLE AQ7316 (id INTEGER PRIMARY KEY AUTOINCREMENT,date VARCHAR(16), time VARCHAR(16),temperature_c REAL, temperature_f REAL, windspeed_ms REAL, windspeed_kmh REAL, windspeed_mph REAL, windspeed_knt REAL, windspeed_ftm REAL, windarea_mm REAL, windarea_ft REAL, volume_cmm REAL, volume_cfm REAL, windchill_c REAL, windchill_f REAL, devstate INTEGER)";
const char kCreateAQ7316IN[] =
    "CREATE TABLE AQ7316IN (id INTEGER PRIMARY KEY AUTOINCREMENT,date VARCHAR(16), time VARCHAR(16),temperature_c REAL, temperature_f REAL, windspeed_ms REAL, windspeed_kmh REAL, windspeed_mph REAL, windspeed_knt REAL, windspeed_ftm REAL, windarea_mm REAL, windarea_ft REAL, volume_cmm REAL, volume_cfm REAL, windchill_c REAL, windchill_f REAL, devstate INTEGER)";

// Answers every modal message box with Ok and notes "title|text".
class BoxCloser : public QObject
{
public:
    explicit BoxCloser(QObject *parent = nullptr)
        : QObject(parent)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen << box->windowTitle() + "|" + box->text() + (box->parentWidget() ? "|parent" : "");
            box->done(QMessageBox::Ok);
        });
        m_timer.start(20);
    }
    QStringList seen;

private:
    QTimer m_timer;
};

PelnorXLogItem makeItem(int n)
{
    PelnorXLogItem item;
    item.id = 0;
    item.date = QStringLiteral("2024-3-%1").arg(1 + n % 28);
    item.time = QStringLiteral("09:%1:%2").arg(n / 60 % 60, 2, 10, QLatin1Char('0')).arg(n % 60, 2, 10, QLatin1Char('0'));
    item.temperature_c = 20.25 + n;
    item.temperature_f = 68.45 + n;
    item.windspeed_ms = 1.5 + n;
    item.windspeed_kmh = 5.4 + n;
    item.windspeed_mph = 3.35 + n;
    item.windspeed_knt = 2.91 + n;
    item.windspeed_ftm = 295.27 + n;
    item.windarea_mm = 0.125;
    item.windarea_ft = 1.345;
    item.volume_cmm = 11.25 + n;
    item.volume_cfm = 397.3 + n;
    item.windchill_c = 19.5 + n;
    item.windchill_f = 67.1 + n;
    item.devstate = n % 3;
    return item;
}

PelnorXLogItem downloadedItem()
{
    PelnorXLogItem item = makeItem(7);
    item.date = QStringLiteral(" ");
    item.time = QStringLiteral(" ");
    item.devstate = 0;
    return item;
}

bool sameRecord(const PelnorXLogItem &a, const PelnorXLogItem &b)
{
    return a.id == b.id && a.date == b.date && a.time == b.time && a.temperature_c == b.temperature_c
        && a.temperature_f == b.temperature_f && a.windspeed_ms == b.windspeed_ms
        && a.windspeed_kmh == b.windspeed_kmh && a.windspeed_mph == b.windspeed_mph
        && a.windspeed_knt == b.windspeed_knt && a.windspeed_ftm == b.windspeed_ftm
        && a.windarea_mm == b.windarea_mm && a.windarea_ft == b.windarea_ft && a.volume_cmm == b.volume_cmm
        && a.volume_cfm == b.volume_cfm && a.windchill_c == b.windchill_c && a.windchill_f == b.windchill_f
        && a.devstate == b.devstate;
}

QString describe(const PelnorXLogItem &r)
{
    return QStringLiteral("id %1 '%2' '%3' %4 ... %5 state %6")
        .arg(r.id).arg(r.date, r.time).arg(r.temperature_c).arg(r.windchill_f).arg(r.devstate);
}

// The two tables behind one switch, so that cases run against both.
struct TableOps
{
    std::function<int(SystemLogManager &, const PelnorXLogItem &)> insert;
    std::function<int(SystemLogManager &, const QList<PelnorXLogItem> &)> insertBatch;
    std::function<int(SystemLogManager &, QList<PelnorXLogItem> *)> query;
    std::function<void(SystemLogManager &)> deleteAll;
};

TableOps opsFor(const QString &table)
{
    if (table == QLatin1String("AQ7316IN"))
        return {&SystemLogManager::insertSystemLogIn, &SystemLogManager::insertSystemLogInBatch,
                &SystemLogManager::querySystemLogIn, &SystemLogManager::deleteSystemLogIn};
    return {&SystemLogManager::insertSystemLog, &SystemLogManager::insertSystemLogBatch,
            &SystemLogManager::querySystemLog, &SystemLogManager::deleteSystemLog};
}

// A second connection to the same file, standing for another program.
class OtherConnection
{
public:
    explicit OtherConnection(const QString &file)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", kName);
        db.setDatabaseName(file);
        m_ok = db.open();
    }
    ~OtherConnection()
    {
        QSqlDatabase::database(kName, false).close();
        QSqlDatabase::removeDatabase(kName);
    }
    bool isOpen() const { return m_ok; }
    bool exec(const QString &sql)
    {
        QSqlQuery q(QSqlDatabase::database(kName, false));
        return q.exec(sql);
    }
    QVariant value(const QString &sql)
    {
        QSqlQuery q(QSqlDatabase::database(kName, false));
        if (!q.exec(sql) || !q.next())
            return QVariant();
        return q.value(0);
    }

private:
    static constexpr const char *kName = "other-program";
    bool m_ok = false;
};

// The table's statement with its columns in the opposite order.
QString reversedColumns(const char *create)
{
    const QString sql = QString::fromLatin1(create);
    const int open = sql.indexOf('('), close = sql.lastIndexOf(')');
    QStringList columns = sql.mid(open + 1, close - open - 1).split(',');
    std::reverse(columns.begin(), columns.end());
    return sql.left(open + 1) + columns.join(',') + ')';
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

// Child mode: the start-up of a program whose database cannot be opened.
int runOpenFailChild(int argc, char **argv, const QString &dir)
{
    QApplication app(argc, argv);
    QSettings ini(dir + "/Options.ini", QSettings::IniFormat);
    ini.setValue("SystemLog/RuntimeLogDir", dir + "/");
    pSettings = &ini;
    LogHelper log;
    pLogHelper = &log;
    // exit() follows the box at once: report it before closing it.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        std::printf("BOX|%s|%s%s\n", box->windowTitle().toUtf8().constData(), box->text().toUtf8().constData(),
                    box->parentWidget() ? "|parent" : "");
        std::fflush(stdout);
        box->done(QMessageBox::Ok);
    });
    closer.start(20);
    SystemLogManager manager(dir + "/no such folder", nullptr);
    std::printf("survived\n");
    return 0;
}

} // namespace

class Tst_SystemLogManager : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<LogHelper> m_log;

    QString dbFile() const { return m_dir->filePath("systemlog.db"); }
    QString logFile() const { return m_dir->filePath("mivo.log"); }

    std::unique_ptr<SystemLogManager> open(const QString &dir = QString())
    {
        return std::make_unique<SystemLogManager>(dir.isNull() ? m_dir->path() : dir, nullptr);
    }

    int logEntries(const QString &file)
    {
        const QByteArray bytes = readFileBytes(file);
        if (bytes.size() % kLogEntryBytesInsert != 0)
            return -1;
        const QByteArray text = QByteArray::fromHex("d2636551fb7cdf7ee565d75f0d000a00");
        for (int at = 0; at < bytes.size(); at += kLogEntryBytesInsert)
            if (bytes.mid(at + 40, text.size()) != text)
                return -1;
        return bytes.size() / kLogEntryBytesInsert;
    }

    QList<PelnorXLogItem> rows(SystemLogManager &m, const QString &table)
    {
        QList<PelnorXLogItem> list;
        opsFor(table).query(m, &list);
        return list;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_settings = std::make_unique<QSettings>(m_dir->filePath("Options.ini"), QSettings::IniFormat);
        m_settings->setValue("SystemLog/RuntimeLogDir", m_dir->path() + "/");
        pSettings = m_settings.get();
        m_log = std::make_unique<LogHelper>();
        pLogHelper = m_log.get();
    }

    void cleanup()
    {
        pLogHelper = nullptr;
        pSettings = nullptr;
        m_log.reset();
        m_settings.reset();
        m_dir.reset();
    }

    void firstStartCreatesBothTables()
    {
        QTest::ignoreMessage(QtDebugMsg, qPrintable("System Log: " + dbFile()));
        QTest::ignoreMessage(QtDebugMsg, "create database table success");
        QTest::ignoreMessage(QtDebugMsg, "create database table success");
        auto m = open();
        QVERIFY(QFile::exists(dbFile()));

        OtherConnection other(dbFile());
        QVERIFY(other.isOpen());
        QCOMPARE(other.value("select sql from sqlite_master where name = 'AQ7316'").toString(),
                 QString::fromLatin1(kCreateAQ7316));
        QCOMPARE(other.value("select sql from sqlite_master where name = 'AQ7316IN'").toString(),
                 QString::fromLatin1(kCreateAQ7316IN));
        QCOMPARE(m->healthProblem(), QString());
    }

    void unusableDatabaseIsSetAside_data()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("journalBlocked");
        QTest::addColumn<QString>("reason");

        QTest::newRow("random bytes") << QStringList() << QByteArray(4096, '\x5a') << false
                                      << "It cannot be read as an SQLite database: file is not a database";
        QTest::newRow("column missing")
            << QStringList{"CREATE TABLE AQ7316 (id INTEGER PRIMARY KEY, date TEXT, time TEXT, windspeed_ms REAL)",
                           kCreateAQ7316IN}
            << QByteArray() << false
            << "Columns missing in table AQ7316: temperature_c, temperature_f, windspeed_kmh, windspeed_mph, "
               "windspeed_knt, windspeed_ftm, windarea_mm, windarea_ft, volume_cmm, volume_cfm, windchill_c, "
               "windchill_f, devstate.";
        // A folder where SQLite's journal goes: nothing can be read or written,
        // also for root. The journal's place must move aside with the file.
        QTest::newRow("journal cannot be made") << QStringList{kCreateAQ7316, kCreateAQ7316IN} << QByteArray()
                                                << true << "It cannot be read as an SQLite database: disk I/O error";
    }

    void unusableDatabaseIsSetAside()
    {
        QFETCH(QStringList, statements);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, journalBlocked);
        QFETCH(QString, reason);
        if (!statements.isEmpty()) {
            OtherConnection other(dbFile());
            for (const QString &sql : qAsConst(statements))
                QVERIFY(other.exec(sql));
        } else {
            QVERIFY(writeFile(dbFile(), bytes));
        }
        const QByteArray before = readAll(dbFile());
        if (journalBlocked)
            QVERIFY(QDir(m_dir->path()).mkdir("systemlog.db-journal"));

        auto m = open();
        QCOMPARE(m->healthProblem(), reason);
        QVERIFY(m->isStoring());

        QVERIFY(m->setAside());
        QCOMPARE(m->healthProblem(), QString());
        const QStringList aside = QDir(m_dir->path()).entryList({"systemlog.broken-*.db"});
        QCOMPARE(aside.size(), 1);
        QVERIFY2(QRegularExpression("^systemlog\\.broken-\\d{8}-\\d{6}\\.db$").match(aside[0]).hasMatch(),
                 qPrintable(aside[0]));
        QCOMPARE(readAll(m_dir->filePath(aside[0])), before);
        QCOMPARE(QFileInfo(m_dir->filePath(aside[0] + "-journal")).isDir(), journalBlocked);

        QCOMPARE(m->insertSystemLog(makeItem(1)), 0);
        QCOMPARE(m->insertSystemLogInBatch({makeItem(2), makeItem(3)}), 2);
        QCOMPARE(rows(*m, "AQ7316").size(), 1);
        QCOMPARE(rows(*m, "AQ7316IN").size(), 2);
    }

    void readOnlyDatabaseIsReported()
    {
        { OtherConnection other(dbFile()); QVERIFY(other.exec(kCreateAQ7316)); QVERIFY(other.exec(kCreateAQ7316IN)); }
        // Root writes to a file without write permission; only an immutable
        // file stops it.
        const bool root = ::geteuid() == 0;
        if (root && QProcess::execute("chattr", {"+i", dbFile()}) != 0)
            QSKIP("running as root without chattr +i: a read-only file cannot be made");
        if (!root)
            QVERIFY(QFile::setPermissions(dbFile(), QFileDevice::ReadOwner));
        auto m = open();
        const QString problem = m->healthProblem();
        if (root)
            QProcess::execute("chattr", {"-i", dbFile()});
        QCOMPARE(problem, QString("Records cannot be written to it: attempt to write a readonly database"));
    }

    void goOnWithoutStoringLeavesFileAlone()
    {
        const QByteArray junk(2048, '\x17');
        QVERIFY(writeFile(dbFile(), junk));
        auto m = open();
        m->goOnWithoutStoring();
        BoxCloser closer;
        QSignalSpy inserted(m.get(), &SystemLogManager::SystemLogInserted);
        QCOMPARE(m->insertSystemLog(makeItem(1)), -1);
        QCOMPARE(m->insertSystemLogInBatch({makeItem(2)}), -1);
        m->deleteSystemLog();
        QList<PelnorXLogItem> list{makeItem(5)};
        QCOMPARE(m->querySystemLogIn(&list), 0);
        QCOMPARE(list.size(), 1);
        QCOMPARE(closer.seen, QStringList());
        QCOMPARE(inserted.count(), 0);
        QCOMPARE(readAll(dbFile()), junk);
        QVERIFY(!QFile::exists(logFile()));
    }

    // Someone else's tool rebuilt the table with its columns reversed.
    void columnsInAnotherOrderReadByName()
    {
        {
            OtherConnection other(dbFile());
            QVERIFY(other.exec(reversedColumns(kCreateAQ7316)));
            QVERIFY(other.exec(kCreateAQ7316IN));
        }
        auto m = open();
        QCOMPARE(m->healthProblem(), QString());
        QCOMPARE(m->insertSystemLog(makeItem(3)), 0);
        const QList<PelnorXLogItem> list = rows(*m, "AQ7316");
        QCOMPARE(list.size(), 1);
        PelnorXLogItem expected = makeItem(3);
        expected.id = 1;
        QVERIFY2(sameRecord(list[0], expected), qPrintable(describe(list[0])));
    }

    void secondStartKeepsTablesAndRows()
    {
        open()->insertSystemLog(makeItem(1));
        open()->insertSystemLogIn(makeItem(2));

        QTest::ignoreMessage(QtDebugMsg, "database table created already");
        QTest::ignoreMessage(QtDebugMsg, "1 | 2 table AQ7316 already exists Unable to execute statement");
        QTest::ignoreMessage(QtDebugMsg, "database table in created already");
        QTest::ignoreMessage(QtDebugMsg, "1 | 2 table AQ7316IN already exists Unable to execute statement");
        auto m = open();
        QCOMPARE(rows(*m, "AQ7316").size(), 1);
        QCOMPARE(rows(*m, "AQ7316IN").size(), 1);
    }

    void tableCases_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("recording table") << "AQ7316";
        QTest::newRow("download table") << "AQ7316IN";
    }

    void idsFollowInsertionOrder_data() { tableCases_data(); }
    void idsFollowInsertionOrder()
    {
        QFETCH(QString, table);
        const TableOps ops = opsFor(table);
        auto m = open();
        QSignalSpy inserted(m.get(), &SystemLogManager::SystemLogInserted);
        for (int n : {5, 3, 9})
            QCOMPARE(ops.insert(*m, makeItem(n)), 0);
        QCOMPARE(inserted.count(), 3);
        QCOMPARE(logEntries(logFile()), 3);

        QList<PelnorXLogItem> list;
        QCOMPARE(ops.query(*m, &list), 3);
        QCOMPARE(list.size(), 3);
        const int order[] = {5, 3, 9};
        for (int i = 0; i < 3; ++i) {
            PelnorXLogItem expected = makeItem(order[i]);
            expected.id = quint32(i + 1);
            QVERIFY2(sameRecord(list[i], expected), qPrintable(describe(list[i])));
        }
        // The other table is untouched.
        QCOMPARE(rows(*m, table == "AQ7316" ? "AQ7316IN" : "AQ7316").size(), 0);
    }

    void idIsNeverReusedAfterDeleteAll_data() { tableCases_data(); }
    void idIsNeverReusedAfterDeleteAll()
    {
        QFETCH(QString, table);
        const TableOps ops = opsFor(table);
        auto m = open();
        for (int n = 0; n < 3; ++n)
            ops.insert(*m, makeItem(n));
        ops.deleteAll(*m);
        QCOMPARE(rows(*m, table).size(), 0);
        QCOMPARE(ops.insert(*m, makeItem(4)), 0);
        const QList<PelnorXLogItem> list = rows(*m, table);
        QCOMPARE(list.size(), 1);
        QCOMPARE(list[0].id, 4u);
    }

    void recordRoundTrips_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("batch");
        QTest::addColumn<PelnorXLogItem>("item");

        PelnorXLogItem negative = makeItem(0);
        negative.temperature_c = -12.3456789;
        negative.temperature_f = -0.0001;
        negative.windchill_c = -40.0;
        negative.windchill_f = 1e-300;
        negative.devstate = -1;
        PelnorXLogItem withId = makeItem(11);
        withId.id = 77; // never stored: the database assigns its own

        for (bool batch : {false, true}) {
            for (const char *table : {"AQ7316", "AQ7316IN"}) {
                const QByteArray how = QByteArray(table) + (batch ? " batch" : " single");
                QTest::newRow(how + ": live record") << table << batch << makeItem(42);
                QTest::newRow(how + ": downloaded record with blank date and time") << table << batch << downloadedItem();
                QTest::newRow(how + ": negative and tiny values") << table << batch << negative;
                QTest::newRow(how + ": caller's id ignored") << table << batch << withId;
            }
        }
    }

    void recordRoundTrips()
    {
        QFETCH(QString, table);
        QFETCH(bool, batch);
        QFETCH(PelnorXLogItem, item);
        const TableOps ops = opsFor(table);
        auto m = open();
        if (batch)
            QCOMPARE(ops.insertBatch(*m, {item}), 1);
        else
            QCOMPARE(ops.insert(*m, item), 0);
        const QList<PelnorXLogItem> list = rows(*m, table);
        QCOMPARE(list.size(), 1);
        PelnorXLogItem expected = item;
        expected.id = 1;
        QVERIFY2(sameRecord(list[0], expected), qPrintable(describe(list[0])));
    }

    void emptyTableEmptiesCallersList()
    {
        auto m = open();
        QList<PelnorXLogItem> list{makeItem(1), makeItem(2)};
        QCOMPARE(m->querySystemLog(&list), 0);
        QVERIFY(list.isEmpty());
    }

    void failedSelectKeepsCallersList()
    {
        auto m = open();
        m->insertSystemLog(makeItem(1));
        {
            OtherConnection other(dbFile());
            QVERIFY(other.exec("DROP TABLE AQ7316"));
        }
        QList<PelnorXLogItem> list{makeItem(5), makeItem(6)};
        BoxCloser closer;
        QTest::ignoreMessage(QtDebugMsg, "查询系统日志出错!");
        QCOMPARE(m->querySystemLog(&list), 0);
        QCOMPARE(closer.seen, QStringList{"Query|Query History Log failed"});
        QCOMPARE(list.size(), 2);
        QVERIFY(sameRecord(list[0], makeItem(5)));

        // Storing into the missing table fails quietly and logs nothing.
        QCOMPARE(m->insertSystemLog(makeItem(2)), -1);
        QCOMPARE(m->insertSystemLogBatch({makeItem(2), makeItem(3)}), -1);
        QCOMPARE(logEntries(logFile()), 1);
        QVERIFY(closer.seen.size() == 1);
    }

    void databaseGoneAfterStart()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("app");
        QVERIFY(QDir().mkdir(folder));
        auto m = open(folder);
        m->insertSystemLog(makeItem(1));
        QVERIFY(QDir(folder).removeRecursively());

        QList<PelnorXLogItem> list{makeItem(3)};
        BoxCloser closer;
        QTest::ignoreMessage(QtDebugMsg, "打开系统日志出错!");
        QCOMPARE(m->querySystemLogIn(&list), 0);
        QCOMPARE(closer.seen, QStringList{"Open|Open System Log failed"});
        QCOMPARE(list.size(), 1);

        QTest::ignoreMessage(QtDebugMsg, "打开账号管理出错!");
        QCOMPARE(m->insertSystemLog(makeItem(2)), -1);
        QTest::ignoreMessage(QtDebugMsg, "打开账号管理出错!");
        m->deleteSystemLogIn();
        QTest::ignoreMessage(QtDebugMsg, "打开账号管理出错!");
        QCOMPARE(m->insertSystemLogInBatch({makeItem(2)}), -1);
        QCOMPARE(logEntries(logFile()), 1);
    }

    void batchEqualsOneByOne_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("count");
        QTest::newRow("recording, 1 record") << "AQ7316" << 1;
        QTest::newRow("recording, 300 records") << "AQ7316" << 300;
        QTest::newRow("download, 300 records") << "AQ7316IN" << 300;
    }

    void batchEqualsOneByOne()
    {
        QFETCH(QString, table);
        QFETCH(int, count);
        const TableOps ops = opsFor(table);
        QList<PelnorXLogItem> items;
        for (int i = 0; i < count; ++i)
            items.append(makeItem(i));

        struct Outcome
        {
            QList<PelnorXLogItem> rows;
            int stored = 0;
            int signalCount = 0;
            int logLines = 0;
        };
        auto run = [&](bool batch) {
            Outcome out;
            const QString folder = m_dir->filePath(batch ? "batch" : "single");
            QDir().mkdir(folder);
            m_settings->setValue("SystemLog/RuntimeLogDir", folder + "/");
            LogHelper log;
            pLogHelper = &log;
            SystemLogManager m(folder, nullptr);
            // Earlier rows, deleted again: ids continue after them.
            ops.insert(m, makeItem(1000));
            ops.insert(m, makeItem(1001));
            ops.deleteAll(m);
            QSignalSpy inserted(&m, &SystemLogManager::SystemLogInserted);
            if (batch) {
                out.stored = ops.insertBatch(m, items);
            } else {
                for (const PelnorXLogItem &item : qAsConst(items))
                    out.stored += ops.insert(m, item) == 0 ? 1 : 0;
            }
            out.signalCount = inserted.count();
            ops.query(m, &out.rows);
            out.logLines = logEntries(folder + "/mivo.log");
            pLogHelper = m_log.get();
            return out;
        };
        const Outcome single = run(false);
        const Outcome batch = run(true);

        QCOMPARE(single.stored, count);
        QCOMPARE(batch.stored, single.stored);
        QCOMPARE(batch.signalCount, single.signalCount);
        QCOMPARE(batch.logLines, single.logLines);
        QCOMPARE(batch.logLines, count + 2);
        QCOMPARE(batch.rows.size(), single.rows.size());
        for (int i = 0; i < batch.rows.size(); ++i) {
            QVERIFY2(sameRecord(batch.rows[i], single.rows[i]), qPrintable(describe(batch.rows[i])));
            QCOMPARE(batch.rows[i].id, quint32(i + 3));
        }
    }

    void refusedRecordDoesNotStopTheOthers_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("rowCount");

        // Records 1 and 3 of five have a negative temperature and are refused
        // by a trigger another program put on the table.
        QTest::newRow("statement aborted") << "AQ7316IN" << "RAISE(ABORT, 'refused')" << 3 << 3;
        QTest::newRow("statement failed") << "AQ7316" << "RAISE(FAIL, 'refused')" << 3 << 3;
        QTest::newRow("whole transaction rolled back") << "AQ7316IN" << "RAISE(ROLLBACK, 'refused')" << 3 << 3;
        QTest::newRow("row silently skipped") << "AQ7316" << "RAISE(IGNORE)" << 5 << 3;
    }

    void refusedRecordDoesNotStopTheOthers()
    {
        QFETCH(QString, table);
        QFETCH(QString, action);
        QFETCH(int, stored);
        QFETCH(int, rowCount);
        const TableOps ops = opsFor(table);
        QList<PelnorXLogItem> items;
        for (int i = 0; i < 5; ++i) {
            items.append(makeItem(i));
            if (i % 2 == 1)
                items.last().temperature_c = -1.0 - i;
        }

        auto run = [&](bool batch, QList<PelnorXLogItem> *out, int *signalCount) {
            const QString folder = m_dir->filePath(batch ? "batch" : "single");
            QDir().mkdir(folder);
            SystemLogManager m(folder, nullptr);
            {
                OtherConnection other(folder + "/systemlog.db");
                if (!other.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON %1 "
                                               "WHEN NEW.temperature_c < 0 BEGIN SELECT %2; END")
                                    .arg(table, action)))
                    return -100;
            }
            QSignalSpy inserted(&m, &SystemLogManager::SystemLogInserted);
            int n = 0;
            if (batch) {
                n = ops.insertBatch(m, items);
            } else {
                for (const PelnorXLogItem &item : qAsConst(items))
                    n += ops.insert(m, item) == 0 ? 1 : 0;
            }
            *signalCount = inserted.count();
            ops.query(m, out);
            return n;
        };
        QList<PelnorXLogItem> singleRows, batchRows;
        int singleSignals = 0, batchSignals = 0;
        QCOMPARE(run(false, &singleRows, &singleSignals), stored);
        const int singleLog = logEntries(logFile());
        QCOMPARE(run(true, &batchRows, &batchSignals), stored);
        QCOMPARE(logEntries(logFile()) - singleLog, singleLog);
        QCOMPARE(singleLog, stored);
        QCOMPARE(batchSignals, singleSignals);
        QCOMPARE(batchSignals, stored);
        QCOMPARE(singleRows.size(), rowCount);
        QCOMPARE(batchRows.size(), rowCount);
        for (int i = 0; i < rowCount; ++i) {
            QVERIFY2(sameRecord(batchRows[i], singleRows[i]), qPrintable(describe(batchRows[i])));
            QVERIFY(batchRows[i].temperature_c >= 0);
        }
    }

    void lockedDatabaseFailsQuickly()
    {
        auto m = open();
        m->insertSystemLog(makeItem(1));
        OtherConnection other(dbFile());
        QVERIFY(other.exec("BEGIN IMMEDIATE"));
        QVERIFY(other.exec("INSERT INTO AQ7316 (date) VALUES ('other')"));

        QElapsedTimer timer;
        timer.start();
        QCOMPARE(m->insertSystemLog(makeItem(2)), -1);
        QCOMPARE(m->insertSystemLogBatch({makeItem(3), makeItem(4), makeItem(5)}), 0);
        m->deleteSystemLog();
        // Far below the driver's default wait of 5 s per statement.
        QVERIFY2(timer.elapsed() < 4000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(other.exec("ROLLBACK"));

        QCOMPARE(logEntries(logFile()), 1);
        QCOMPARE(m->insertSystemLogBatch({makeItem(3), makeItem(4)}), 2);
        const QList<PelnorXLogItem> list = rows(*m, "AQ7316");
        QCOMPARE(list.size(), 3);
        QCOMPARE(list[2].id, 3u);
    }

    void cannotOpenAtStartEndsProcess()
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kOpenFailChildEnv, m_dir->path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        // The process ends through exit(); objects still alive are no leak.
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(child.waitForFinished(60000));
        const QByteArray out = child.readAllStandardOutput();
        const QByteArray err = child.readAllStandardError();
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 255);
        QVERIFY2(out.contains("BOX|Open|Open System Log failed\n"), out.constData());
        QVERIFY(!out.contains("|parent"));
        QVERIFY(!out.contains("survived"));
        QVERIFY2(err.contains(QString::fromUtf8("打开系统日志出错!").toUtf8()), err.constData());

        const QByteArray log = readFileBytes(logFile());
        QCOMPARE(log.size(), 40 + 2 * 8 + 4);
        QCOMPARE(log.mid(40), QByteArray::fromHex("5362005ffb7cdf7ee565d75ffa5119950d000a00"));
    }

    // Not a unit test: AQ_MEASURE=1 times storing a full download both ways.
    void measureBatchAgainstOneByOne()
    {
        if (qEnvironmentVariableIntValue("AQ_MEASURE") != 1)
            QSKIP("set AQ_MEASURE=1 to measure");
        const int count = qEnvironmentVariableIsSet("AQ_MEASURE_COUNT") ? qEnvironmentVariableIntValue("AQ_MEASURE_COUNT")
                                                                        : 65535;
        QList<PelnorXLogItem> items;
        for (int i = 0; i < count; ++i) {
            items.append(makeItem(i));
            items.last().date = items.last().time = QStringLiteral(" ");
        }
        const QString base = qEnvironmentVariableIsSet("AQ_MEASURE_DIR") ? qEnvironmentVariable("AQ_MEASURE_DIR")
                                                                          : m_dir->path();
        qint64 elapsed[2] = {0, 0};
        for (bool batch : {false, true}) {
            const QString folder = base + (batch ? "/measure-batch" : "/measure-single");
            QDir(folder).removeRecursively();
            QVERIFY(QDir().mkpath(folder));
            m_settings->setValue("SystemLog/RuntimeLogDir", folder + "/");
            LogHelper log;
            pLogHelper = &log;
            SystemLogManager m(folder, nullptr);
            QElapsedTimer timer;
            timer.start();
            if (batch) {
                QCOMPARE(m.insertSystemLogInBatch(items), count);
            } else {
                for (const PelnorXLogItem &item : qAsConst(items))
                    QCOMPARE(m.insertSystemLogIn(item), 0);
            }
            elapsed[batch] = timer.elapsed();
            QList<PelnorXLogItem> list;
            timer.restart();
            QCOMPARE(m.querySystemLogIn(&list), count);
            const qint64 readBack = timer.elapsed();
            QCOMPARE(logEntries(folder + "/mivo.log"), count);
            pLogHelper = m_log.get();
            qInfo("%d records %s: %lld ms to store, %lld ms to read back", count,
                  batch ? "in one batch" : "one by one", elapsed[batch], readBack);
            QDir(folder).removeRecursively();
        }
    }
};

int main(int argc, char **argv)
{
    // Storage reports its failures through the window's message boxes.
    installMessageBoxNotice();
    const QString openFailDir = qEnvironmentVariable(kOpenFailChildEnv);
    if (!openFailDir.isEmpty())
        return runOpenFailChild(argc, argv, openFailDir);
    QApplication app(argc, argv);
    Tst_SystemLogManager tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_systemlogmanager.moc"
