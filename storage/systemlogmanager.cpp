#include "storage/systemlogmanager.h"

#include <cstdlib>

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMetaType>
#include <QMutex>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <QVector>

#include "storage/appfiles.h"
#include "storage/databasehealth.h"
#include "storage/failurenotice.h"
#include "storage/globals.h"
#include "storage/loghelper.h"
#include "storage/runarchive.h"

// The statements and diagnostics that differ between the two tables.
struct HistoryTable
{
    const char *name;
    const char *insertSql;
    const char *deleteSql;
    const char *deletePrepareFailed;
    const char *deleteFailed;
};

namespace {

Q_LOGGING_CATEGORY(lcHistory, "aq.storage.history", QtWarningMsg)

// SQLite's companions of a database file: they belong to it and move with it.
const char *const kCompanionSuffixes[] = {"-journal", "-wal", "-shm"};

const char kCreateAQ7316[] =
    "CREATE TABLE AQ7316 (id INTEGER PRIMARY KEY AUTOINCREMENT,date VARCHAR(16), time VARCHAR(16),temperature_c REAL, temperature_f REAL, windspeed_ms REAL, windspeed_kmh REAL, windspeed_mph REAL, windspeed_knt REAL, windspeed_ftm REAL, windarea_mm REAL, windarea_ft REAL, volume_cmm REAL, volume_cfm REAL, windchill_c REAL, windchill_f REAL, devstate INTEGER)";
const char kCreateAQ7316IN[] =
    "CREATE TABLE AQ7316IN (id INTEGER PRIMARY KEY AUTOINCREMENT,date VARCHAR(16), time VARCHAR(16),temperature_c REAL, temperature_f REAL, windspeed_ms REAL, windspeed_kmh REAL, windspeed_mph REAL, windspeed_knt REAL, windspeed_ftm REAL, windarea_mm REAL, windarea_ft REAL, volume_cmm REAL, volume_cfm REAL, windchill_c REAL, windchill_f REAL, devstate INTEGER)";

// A locked database (another program in a write transaction) must not hold
// the GUI thread for the driver's default 5 s per statement.
const char kConnectOptions[] = "QSQLITE_BUSY_TIMEOUT=200";

void debugLine(const QString &text)
{
    qDebug().noquote() << text;
}

void debugError(const QSqlError &error)
{
    qDebug().noquote() << error.nativeErrorCode().toInt() << "|" << int(error.type()) << error.text();
}

void bindRecord(QSqlQuery &query, const PelnorXLogItem &item)
{
    // Position 0, :id, stays unbound: NULL lets SQLite assign the next id.
    query.bindValue(1, item.date);
    query.bindValue(2, item.time);
    query.bindValue(3, item.temperature_c);
    query.bindValue(4, item.temperature_f);
    query.bindValue(5, item.windspeed_ms);
    query.bindValue(6, item.windspeed_kmh);
    query.bindValue(7, item.windspeed_mph);
    query.bindValue(8, item.windspeed_knt);
    query.bindValue(9, item.windspeed_ftm);
    query.bindValue(10, item.windarea_mm);
    query.bindValue(11, item.windarea_ft);
    query.bindValue(12, item.volume_cmm);
    query.bindValue(13, item.volume_cfm);
    query.bindValue(14, item.windchill_c);
    query.bindValue(15, item.windchill_f);
    query.bindValue(16, item.devstate);
}

// The query names the columns in field order (DatabaseHealth::selectAllFrom),
// so a file whose columns stand in another order still reads correctly.
PelnorXLogItem readRecord(const QSqlQuery &query)
{
    PelnorXLogItem item;
    item.id = query.value(0).toUInt();
    item.date = query.value(1).toString();
    item.time = query.value(2).toString();
    item.temperature_c = query.value(3).toDouble();
    item.temperature_f = query.value(4).toDouble();
    item.windspeed_ms = query.value(5).toDouble();
    item.windspeed_kmh = query.value(6).toDouble();
    item.windspeed_mph = query.value(7).toDouble();
    item.windspeed_knt = query.value(8).toDouble();
    item.windspeed_ftm = query.value(9).toDouble();
    item.windarea_mm = query.value(10).toDouble();
    item.windarea_ft = query.value(11).toDouble();
    item.volume_cmm = query.value(12).toDouble();
    item.volume_cfm = query.value(13).toDouble();
    item.windchill_c = query.value(14).toDouble();
    item.windchill_f = query.value(15).toDouble();
    item.devstate = query.value(16).toInt();
    return item;
}

void warnOpenFailed()
{
    noticeFailure(QT_TRANSLATE_NOOP("QObject", "Open"), QT_TRANSLATE_NOOP("QObject", "Open System Log failed"));
}

// Server connection-loss numbers; only they justify dropping the connection.
bool isConnectionLost(const QSqlError &error)
{
    const int number = error.nativeErrorCode().toInt();
    return number >= 2006 && number <= 2013;
}

const HistoryTable kAQ7316 = {
    "AQ7316",
    "INSERT INTO AQ7316 ( id, date, time, temperature_c, temperature_f, windspeed_ms, windspeed_kmh, windspeed_mph, windspeed_knt, windspeed_ftm, windarea_mm, windarea_ft, volume_cmm, volume_cfm, windchill_c, windchill_f, devstate) VALUES (:id,:date,:time,:temperature_c,:temperature_f,:windspeed_ms,:windspeed_kmh,:windspeed_mph,:windspeed_knt,:windspeed_ftm,:windarea_mm,:windarea_ft,:volume_cmm,:volume_cfm,:windchill_c,:windchill_f,:devstate)",
    "delete from AQ7316",
    "AQ7316数据准备失败",
    "AQ7316删除出错!",
};
const HistoryTable kAQ7316IN = {
    "AQ7316IN",
    "INSERT INTO AQ7316IN ( id, date, time, temperature_c, temperature_f, windspeed_ms, windspeed_kmh, windspeed_mph, windspeed_knt, windspeed_ftm, windarea_mm, windarea_ft, volume_cmm, volume_cfm, windchill_c, windchill_f, devstate) VALUES (:id,:date,:time,:temperature_c,:temperature_f,:windspeed_ms,:windspeed_kmh,:windspeed_mph,:windspeed_knt,:windspeed_ftm,:windarea_mm,:windarea_ft,:volume_cmm,:volume_cfm,:windchill_c,:windchill_f,:devstate)",
    "delete from AQ7316IN",
    "AQ7316-IN数据准备失败",
    "AQ7316-IN删除出错!",
};
} // namespace

SystemLogManager::SystemLogManager(QObject *parent)
    : QObject(parent)
{
    // Beside the executable for a portable copy, the user's data folder for
    // an installed one (start-up decides).
    setUp(appFiles().databaseDir);
}

SystemLogManager::SystemLogManager(const QString &databaseDirectory, QObject *parent)
    : QObject(parent)
{
    setUp(databaseDirectory);
}

SystemLogManager::~SystemLogManager()
{
    const QString name = db.connectionName();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
    delete mutex;
}

void SystemLogManager::setUp(const QString &directory)
{
    db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(QSqlDatabase::defaultConnection));
    const QString path = directory + QStringLiteral("/systemlog.db");
    m_path = path;
    mutex = new QMutex;
    qRegisterMetaType<QVector<int>>("QVector<int>");
    qRegisterMetaType<Qt::Orientation>("Qt::Orientation");
    debugLine(QStringLiteral("System Log: ") + path);

    db.setDatabaseName(path);
    db.setUserName(QStringLiteral("admin"));
    db.setPassword(QStringLiteral("tolvo"));
    db.setConnectOptions(QLatin1String(kConnectOptions));

    if (!db.open()) {
        debugLine(QStringLiteral("打开系统日志出错!"));
        if (pLogHelper)
            pLogHelper->writeLog(tr("打开系统日志出错").toStdWString().c_str());
        warnOpenFailed();
        exit(-1);
    }

    createTables();
    m_healthProblem = DatabaseHealth::problemWith(db);
    createArchiveTables();
    db.close();
    if (!m_healthProblem.isEmpty())
        qCWarning(lcHistory).noquote() << "history database cannot keep records:" << m_path << m_healthProblem;
}

void SystemLogManager::createTables()
{
    QSqlQuery query(db);
    if (query.exec(QLatin1String(kCreateAQ7316))) {
        debugLine(QStringLiteral("create database table success"));
    } else {
        debugLine(QStringLiteral("database table created already"));
        debugError(query.lastError());
    }
    if (query.exec(QLatin1String(kCreateAQ7316IN))) {
        debugLine(QStringLiteral("create database table success"));
    } else {
        debugLine(QStringLiteral("database table in created already"));
        debugError(query.lastError());
    }
    query.finish();
}

// The archive's tables, also in a file from an earlier version; only in a
// usable file, so that a broken one is set aside exactly as it was found. A
// failure shows when the first run is to be archived.
void SystemLogManager::createArchiveTables()
{
    if (!m_healthProblem.isEmpty())
        return;
    QString archiveTablesMissing;
    RunArchive::createTables(db, &archiveTablesMissing);
}

QString SystemLogManager::databasePath() const
{
    return m_path;
}

QString SystemLogManager::healthProblem() const
{
    return m_healthProblem;
}

bool SystemLogManager::isStoring() const
{
    return m_storing;
}

void SystemLogManager::goOnWithoutStoring()
{
    m_storing = false;
}

// Renames the file and its companions; all of them or, on failure, none.
bool SystemLogManager::moveAside(const QString &brokenPath)
{
    QDir dir;
    if (!dir.rename(m_path, brokenPath))
        return false;
    QStringList moved;
    for (const char *suffix : kCompanionSuffixes) {
        const QString from = m_path + QLatin1String(suffix);
        if (!QFileInfo::exists(from))
            continue;
        // A journal left behind would be played back into the fresh file.
        if (!dir.rename(from, brokenPath + QLatin1String(suffix))) {
            for (const QString &back : qAsConst(moved))
                dir.rename(brokenPath + back, m_path + back);
            dir.rename(brokenPath, m_path);
            return false;
        }
        moved << QLatin1String(suffix);
    }
    return true;
}

bool SystemLogManager::setAside()
{
    db.close();
    const QString folder = QFileInfo(m_path).absolutePath();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString broken = folder + QStringLiteral("/systemlog.broken-%1.db").arg(stamp);
    for (int n = 2; QFileInfo::exists(broken); ++n)
        broken = folder + QStringLiteral("/systemlog.broken-%1-%2.db").arg(stamp).arg(n);

    if (!moveAside(broken)) {
        m_healthProblem = tr("It cannot be renamed to %1.").arg(QFileInfo(broken).fileName());
        qCWarning(lcHistory).noquote() << "cannot set aside" << m_path << "as" << broken;
        return false;
    }
    qCWarning(lcHistory).noquote() << "unusable history database set aside as" << broken;
    if (!db.open()) {
        m_healthProblem = tr("A new database cannot be created.");
        return false;
    }
    createTables();
    m_healthProblem = DatabaseHealth::problemWith(db);
    createArchiveTables();
    db.close();
    return m_healthProblem.isEmpty();
}

int SystemLogManager::insertSystemLog(const PelnorXLogItem &item)
{
    return insertInto(kAQ7316, item);
}

int SystemLogManager::insertSystemLogIn(const PelnorXLogItem &item)
{
    return insertInto(kAQ7316IN, item);
}

int SystemLogManager::insertSystemLogBatch(const QList<PelnorXLogItem> &items)
{
    return insertBatchInto(kAQ7316, items);
}

int SystemLogManager::insertSystemLogInBatch(const QList<PelnorXLogItem> &items)
{
    return insertBatchInto(kAQ7316IN, items);
}

int SystemLogManager::querySystemLog(QList<PelnorXLogItem> *list)
{
    return queryAll(kAQ7316, list);
}

int SystemLogManager::querySystemLogIn(QList<PelnorXLogItem> *list)
{
    return queryAll(kAQ7316IN, list);
}

int SystemLogManager::deleteSystemLog()
{
    return deleteAll(kAQ7316, false);
}

int SystemLogManager::deleteSystemLogIn()
{
    return deleteAll(kAQ7316IN, true);
}

QString SystemLogManager::takeArchiveFailure()
{
    QString text;
    text.swap(archiveFailure);
    return text;
}

void SystemLogManager::reportInsertFailure(const QSqlError &error)
{
    debugLine(QStringLiteral("插入系统日志出错!  %1").arg(insertCount));
    debugError(error);
}

int SystemLogManager::insertInto(const HistoryTable &table, const PelnorXLogItem &item)
{
    if (!m_storing)
        return -1;
    if (!db.open()) {
        debugLine(QStringLiteral("打开账号管理出错!"));
        return -1;
    }
    mutex->lock();
    QSqlQuery query(db);
    ++insertCount;
    if (!query.prepare(QLatin1String(table.insertSql))) {
        debugLine(QStringLiteral("系统日志数据准备失败!"));
        debugError(query.lastError());
        --insertCount;
        mutex->unlock();
        return -1;
    }
    bindRecord(query, item);
    if (!query.exec()) {
        const QSqlError error = query.lastError();
        reportInsertFailure(error);
        if (isConnectionLost(error))
            db.close();
        --insertCount;
        mutex->unlock();
        return -1;
    }
    query.finish();
    mutex->unlock();
    db.close();
    if (pLogHelper)
        pLogHelper->writeLog(tr("插入系统日志").toStdWString().c_str());
    emit SystemLogInserted();
    return 0;
}

// SQLite rolls a whole transaction back on some failures (disk full, I/O
// error, RAISE(ROLLBACK) in a trigger). BEGIN is refused only while one is
// still open.
bool SystemLogManager::transactionStillOpen()
{
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("BEGIN")))
        return true;
    probe.exec(QStringLiteral("ROLLBACK"));
    return false;
}

int SystemLogManager::insertBatchInto(const HistoryTable &table, const QList<PelnorXLogItem> &items)
{
    if (items.isEmpty())
        return 0;
    if (!m_storing)
        return -1;
    if (!db.open()) {
        debugLine(QStringLiteral("打开账号管理出错!"));
        return -1;
    }
    mutex->lock();

    QSqlQuery control(db);
    // Take the write lock once, up front: if another program holds it, every
    // record fails now instead of waiting out the busy timeout one by one.
    if (!control.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        const QSqlError error = control.lastError();
        for (int i = 0; i < items.size(); ++i) {
            ++insertCount;
            reportInsertFailure(error);
            --insertCount;
        }
        mutex->unlock();
        db.close();
        return 0;
    }

    QSqlQuery query(db);
    if (!query.prepare(QLatin1String(table.insertSql))) {
        debugLine(QStringLiteral("系统日志数据准备失败!"));
        debugError(query.lastError());
        control.exec(QStringLiteral("ROLLBACK"));
        mutex->unlock();
        return -1;
    }

    int stored = 0;
    bool transactionLost = false;
    for (const PelnorXLogItem &item : items) {
        ++insertCount;
        bindRecord(query, item);
        if (query.exec()) {
            ++stored;
            continue;
        }
        reportInsertFailure(query.lastError());
        --insertCount;
        if (!transactionStillOpen()) {
            transactionLost = true;
            break;
        }
    }
    query.finish();

    if (!transactionLost && control.exec(QStringLiteral("COMMIT"))) {
        control.finish();
        mutex->unlock();
        db.close();
        if (pLogHelper)
            pLogHelper->writeLogRepeated(tr("插入系统日志"), stored);
        for (int i = 0; i < stored; ++i)
            emit SystemLogInserted();
        return stored;
    }

    // Nothing of this batch is in the table: store the records one by one,
    // which gives exactly what that would have given from the start.
    if (!transactionLost)
        control.exec(QStringLiteral("ROLLBACK"));
    control.finish();
    insertCount -= stored;
    mutex->unlock();
    int storedOneByOne = 0;
    for (const PelnorXLogItem &item : items) {
        if (insertInto(table, item) == 0)
            ++storedOneByOne;
    }
    return storedOneByOne;
}

int SystemLogManager::queryAll(const HistoryTable &table, QList<PelnorXLogItem> *list)
{
    if (!m_storing)
        return 0;
    if (!db.open()) {
        debugLine(QStringLiteral("打开系统日志出错!"));
        warnOpenFailed();
        return 0;
    }
    QSqlQuery query;
    query.setForwardOnly(true);
    bool ok = query.exec(DatabaseHealth::selectAllFrom(QLatin1String(table.name)));
    QList<PelnorXLogItem> rows;
    if (ok) {
        while (query.next())
            rows.append(readRecord(query));
        // A read that broke off midway counts as a failed select: the
        // caller keeps its list rather than getting part of the table.
        ok = !query.lastError().isValid();
    }
    if (!ok) {
        debugLine(QStringLiteral("查询系统日志出错!"));
        noticeFailure(QT_TRANSLATE_NOOP("QObject", "Query"),
                      QT_TRANSLATE_NOOP("QObject", "Query History Log failed"));
        return 0;
    }
    query.finish();
    list->swap(rows);
    db.close();
    return list->size();
}

int SystemLogManager::deleteAll(const HistoryTable &table, bool downloadTable)
{
    archiveFailure.clear();
    auto keptBecause = [this, downloadTable](const QString &reason) {
        archiveFailure = (downloadTable ? tr("The previous download was kept and not cleared, because it could not "
                                             "be archived safely. %1")
                                        : tr("The previous recording was kept and not cleared, because it could not "
                                             "be archived safely. %1"))
                             .arg(reason);
        return -1;
    };
    if (!m_storing)
        return 0; // nothing on disk is touched in this mode
    if (!db.open()) {
        debugLine(QStringLiteral("打开账号管理出错!"));
        return keptBecause(RunArchive::describe(db.lastError()));
    }
    mutex->lock();
    // The rows move to the archive and leave the live table in one
    // transaction: a crash or a failure in between loses neither.
    QSqlQuery control(db);
    QString reason;
    bool kept = control.exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (!kept)
        reason = RunArchive::describe(control.lastError());
    else
        kept = RunArchive::archiveLiveTable(db, downloadTable ? RunArchive::Kind::Download : RunArchive::Kind::Recording,
                                            &reason);
    // Some failures end the whole transaction; the delete must then not run
    // on its own.
    if (kept && transactionStillOpen()) {
        QSqlQuery query(db);
        if (!query.prepare(QLatin1String(table.deleteSql)))
            debugLine(QString::fromUtf8(table.deletePrepareFailed));
        const bool deleted = query.exec();
        if (!deleted)
            debugLine(QString::fromUtf8(table.deleteFailed));
        query.finish();
        if (deleted && control.exec(QStringLiteral("COMMIT"))) {
            control.finish();
            db.close();
            mutex->unlock();
            return 0;
        }
        reason = RunArchive::describe(deleted ? control.lastError() : query.lastError());
    } else if (kept) {
        reason = tr("The history database cancelled the change part-way through.");
    }
    control.exec(QStringLiteral("ROLLBACK"));
    control.finish();
    db.close();
    mutex->unlock();
    return keptBecause(reason);
}
