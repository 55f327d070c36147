#include "storage/runarchive.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

Q_LOGGING_CATEGORY(lcArchive, "aq.storage.archive", QtWarningMsg)

namespace {

// The archive, in systemlog.db beside AQ7316 and AQ7316IN.
//
// runs: one finished recording or download each. Times are local time as
// "yyyy-MM-ddTHH:mm:ss", so that they sort and compare as text.
//   started / ended  recordings: the first and last reading's date and time
//                    (NULL when a reading's text is not a date and time);
//                    downloads, whose readings carry no time: both are when
//                    the download was started, NULL when that was not noted
//                    (a download made by an earlier version). Lists sort
//                    and filter a NULL time as archived_at.
//   readings         number of readings.
//   speed_*_ms       min/avg/max wind speed over all readings, m/s.
//   temp_*_c         min/avg/max temperature over the readings that have one
//                    (devstate <= 0, as the record table shows them), °C;
//                    NULL when none has.
//   instrument_units the instrument's own display units. The live tables do
//                    not keep them, so runs archived from them hold NULL;
//                    every reading holds every unit anyway.
//   archived_at      when the run was moved here (the next one started).
// run_readings: the readings of each run, column for column as in the live
// tables; seq is the reading's id there, which also orders the run.
// live_run_starts: when the run now in a live table was started, noted when
// that table is emptied for it.
const char *const kCreateTables[] = {
    "CREATE TABLE IF NOT EXISTS runs (id INTEGER PRIMARY KEY AUTOINCREMENT, kind TEXT NOT NULL, "
    "started TEXT, ended TEXT, readings INTEGER NOT NULL, "
    "speed_min_ms REAL, speed_avg_ms REAL, speed_max_ms REAL, "
    "temp_min_c REAL, temp_avg_c REAL, temp_max_c REAL, "
    "instrument_units TEXT, archived_at TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS run_readings (run_id INTEGER NOT NULL REFERENCES runs(id), seq INTEGER NOT NULL, "
    "date VARCHAR(16), time VARCHAR(16), temperature_c REAL, temperature_f REAL, windspeed_ms REAL, "
    "windspeed_kmh REAL, windspeed_mph REAL, windspeed_knt REAL, windspeed_ftm REAL, windarea_mm REAL, "
    "windarea_ft REAL, volume_cmm REAL, volume_cfm REAL, windchill_c REAL, windchill_f REAL, devstate INTEGER, "
    "PRIMARY KEY (run_id, seq)) WITHOUT ROWID",
    "CREATE TABLE IF NOT EXISTS live_run_starts (live_table TEXT PRIMARY KEY, started TEXT NOT NULL)",
};

const char kDataColumns[] =
    "date, time, temperature_c, temperature_f, windspeed_ms, windspeed_kmh, windspeed_mph, windspeed_knt, "
    "windspeed_ftm, windarea_mm, windarea_ft, volume_cmm, volume_cfm, windchill_c, windchill_f, devstate";

const char *const kValueColumns[13] = {
    "temperature_c", "temperature_f", "windspeed_ms", "windspeed_kmh", "windspeed_mph",
    "windspeed_knt", "windspeed_ftm", "windarea_mm", "windarea_ft", "volume_cmm",
    "volume_cfm", "windchill_c", "windchill_f",
};

const char kStampFormat[] = "yyyy-MM-ddTHH:mm:ss";
const char kRecording[] = "recording";
const char kDownload[] = "download";

// Compacting rewrites the whole file: worth it once a quarter of the file
// is free, and not for the odd megabyte.
const qint64 kVacuumMinFreeBytes = 1 << 20;

QString liveTable(RunArchive::Kind kind)
{
    return QLatin1String(kind == RunArchive::Kind::Recording ? "AQ7316" : "AQ7316IN");
}

QString stamp(const QDateTime &when)
{
    return when.isValid() ? when.toString(QLatin1String(kStampFormat)) : QString();
}

QDateTime fromStamp(const QVariant &value)
{
    return value.isNull() ? QDateTime() : QDateTime::fromString(value.toString(), QLatin1String(kStampFormat));
}

// A live reading's "2024-3-7" and "09:05:07"; invalid for a download's blanks.
QDateTime readingTime(const QString &date, const QString &time)
{
    const QDate d = QDate::fromString(date.trimmed(), QStringLiteral("yyyy-M-d"));
    const QTime t = QTime::fromString(time.trimmed(), QStringLiteral("HH:mm:ss"));
    return d.isValid() && t.isValid() ? QDateTime(d, t) : QDateTime();
}

QVariant nullable(const QString &text)
{
    return text.isEmpty() ? QVariant(QVariant::String) : QVariant(text);
}

// What a live table holds now, from one aggregate query.
struct LiveSummary
{
    qint64 readings = 0;
    QVariant speedMin, speedAvg, speedMax, tempMin, tempAvg, tempMax;
    QDateTime started, ended;
};

bool summarizeLive(QSqlDatabase &db, RunArchive::Kind kind, LiveSummary *out, QSqlError *error)
{
    const QString table = liveTable(kind);
    QSqlQuery count(db);
    if (!count.exec(QStringLiteral("SELECT count(*) AS readings FROM ") + table) || !count.next()) {
        *error = count.lastError();
        return false;
    }
    out->readings = count.value(QStringLiteral("readings")).toLongLong();
    if (out->readings == 0)
        return true;

    QSqlQuery q(db);
    const QString sql = QStringLiteral(
        "SELECT min(windspeed_ms) AS speed_min, avg(windspeed_ms) AS speed_avg, max(windspeed_ms) AS speed_max, "
        "min(CASE WHEN devstate <= 0 THEN temperature_c END) AS temp_min, "
        "avg(CASE WHEN devstate <= 0 THEN temperature_c END) AS temp_avg, "
        "max(CASE WHEN devstate <= 0 THEN temperature_c END) AS temp_max, "
        "(SELECT date FROM %1 ORDER BY id LIMIT 1) AS first_date, "
        "(SELECT time FROM %1 ORDER BY id LIMIT 1) AS first_time, "
        "(SELECT date FROM %1 ORDER BY id DESC LIMIT 1) AS last_date, "
        "(SELECT time FROM %1 ORDER BY id DESC LIMIT 1) AS last_time FROM %1").arg(table);
    if (!q.exec(sql) || !q.next()) {
        *error = q.lastError();
        return false;
    }
    out->speedMin = q.value(QStringLiteral("speed_min"));
    out->speedAvg = q.value(QStringLiteral("speed_avg"));
    out->speedMax = q.value(QStringLiteral("speed_max"));
    out->tempMin = q.value(QStringLiteral("temp_min"));
    out->tempAvg = q.value(QStringLiteral("temp_avg"));
    out->tempMax = q.value(QStringLiteral("temp_max"));
    if (kind == RunArchive::Kind::Recording) {
        out->started = readingTime(q.value(QStringLiteral("first_date")).toString(),
                                   q.value(QStringLiteral("first_time")).toString());
        out->ended = readingTime(q.value(QStringLiteral("last_date")).toString(),
                                 q.value(QStringLiteral("last_time")).toString());
    } else {
        // Best effort: an archive made by another program may lack the note.
        QSqlQuery note(db);
        note.prepare(QStringLiteral("SELECT started FROM live_run_starts WHERE live_table = ?"));
        note.addBindValue(table);
        if (note.exec() && note.next())
            out->started = fromStamp(note.value(QStringLiteral("started")));
        out->ended = out->started;
    }
    return true;
}

// Column positions of the 17 fields, found by name.
struct ReadingColumns
{
    int id = -1, date = -1, time = -1, devstate = -1;
    int values[13] = {};

    explicit ReadingColumns(const QSqlRecord &record, const QString &idColumn)
    {
        id = record.indexOf(idColumn);
        date = record.indexOf(QStringLiteral("date"));
        time = record.indexOf(QStringLiteral("time"));
        devstate = record.indexOf(QStringLiteral("devstate"));
        for (int i = 0; i < 13; ++i)
            values[i] = record.indexOf(QLatin1String(kValueColumns[i]));
    }
    bool complete() const
    {
        for (int v : values) {
            if (v < 0)
                return false;
        }
        return id >= 0 && date >= 0 && time >= 0 && devstate >= 0;
    }
    PelnorXLogItem read(const QSqlQuery &q) const
    {
        PelnorXLogItem item;
        item.id = q.value(id).toUInt();
        item.date = q.value(date).toString();
        item.time = q.value(time).toString();
        double *fields[13] = {&item.temperature_c, &item.temperature_f, &item.windspeed_ms, &item.windspeed_kmh,
                              &item.windspeed_mph, &item.windspeed_knt, &item.windspeed_ftm, &item.windarea_mm,
                              &item.windarea_ft, &item.volume_cmm, &item.volume_cfm, &item.windchill_c,
                              &item.windchill_f};
        for (int i = 0; i < 13; ++i)
            *fields[i] = q.value(values[i]).toDouble();
        item.devstate = q.value(devstate).toInt();
        return item;
    }
};

void fillStats(RunArchive::Summary *s, const QVariant &sMin, const QVariant &sAvg, const QVariant &sMax,
               const QVariant &tMin, const QVariant &tAvg, const QVariant &tMax)
{
    s->speedMin = sMin.toDouble();
    s->speedAvg = sAvg.toDouble();
    s->speedMax = sMax.toDouble();
    s->hasTemperature = !tAvg.isNull();
    s->tempMin = tMin.toDouble();
    s->tempAvg = tAvg.toDouble();
    s->tempMax = tMax.toDouble();
}

bool matchesKind(RunArchive::KindFilter filter, RunArchive::Kind kind)
{
    return filter == RunArchive::KindFilter::Any
        || (filter == RunArchive::KindFilter::Recordings) == (kind == RunArchive::Kind::Recording);
}

} // namespace

RunArchive::RunArchive(const QString &connectionName)
    : m_connection(connectionName)
{
}

bool RunArchive::createTables(QSqlDatabase &db, QString *reason)
{
    bool ok = true;
    QSqlQuery q(db);
    for (const char *sql : kCreateTables) {
        if (!q.exec(QLatin1String(sql))) {
            qCWarning(lcArchive) << "archive table not created:" << q.lastError().text();
            *reason = describe(q.lastError());
            ok = false;
        }
    }
    return ok;
}

bool RunArchive::archiveLiveTable(QSqlDatabase &db, Kind kind, QString *reason)
{
    const QString table = liveTable(kind);
    const QString now = stamp(QDateTime::currentDateTime());
    LiveSummary s;
    QSqlError error;
    if (!summarizeLive(db, kind, &s, &error)) {
        *reason = describe(error);
        qCWarning(lcArchive) << table << "not summarised:" << error.text();
        return false;
    }

    if (s.readings > 0) {
        QSqlQuery run(db);
        const bool prepared = run.prepare(QStringLiteral(
            "INSERT INTO runs (kind, started, ended, readings, speed_min_ms, speed_avg_ms, speed_max_ms, "
            "temp_min_c, temp_avg_c, temp_max_c, instrument_units, archived_at) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, NULL, ?)"));
        run.addBindValue(QLatin1String(kind == Kind::Recording ? kRecording : kDownload));
        run.addBindValue(nullable(stamp(s.started)));
        run.addBindValue(nullable(stamp(s.ended)));
        run.addBindValue(s.readings);
        for (const QVariant &v : {s.speedMin, s.speedAvg, s.speedMax, s.tempMin, s.tempAvg, s.tempMax})
            run.addBindValue(v.isNull() ? QVariant(QVariant::Double) : v);
        run.addBindValue(now);
        if (!prepared || !run.exec()) {
            *reason = describe(run.lastError());
            qCWarning(lcArchive) << "run of" << table << "not noted:" << run.lastError().text();
            return false;
        }
        const qint64 runId = run.lastInsertId().toLongLong();

        QSqlQuery copy(db);
        const QString columns = QLatin1String(kDataColumns);
        if (!copy.prepare(QStringLiteral("INSERT INTO run_readings (run_id, seq, %1) SELECT ?, id, %1 FROM %2 ORDER BY id")
                              .arg(columns, table))) {
            *reason = describe(copy.lastError());
            qCWarning(lcArchive) << "readings of" << table << "not copied:" << copy.lastError().text();
            return false;
        }
        copy.addBindValue(runId);
        if (!copy.exec()) {
            *reason = describe(copy.lastError());
            qCWarning(lcArchive) << "readings of" << table << "not copied:" << copy.lastError().text();
            return false;
        }
        // A trigger may skip rows silently; a run with gaps is no copy.
        if (copy.numRowsAffected() != s.readings) {
            *reason = QCoreApplication::translate("SystemLogManager", "Not every reading could be copied into the archive.");
            qCWarning(lcArchive) << copy.numRowsAffected() << "of" << s.readings << "readings copied";
            return false;
        }
    }

    // Not worth failing the archive for: the caller checks that its
    // transaction survived.
    QSqlQuery note(db);
    note.prepare(QStringLiteral("INSERT OR REPLACE INTO live_run_starts (live_table, started) VALUES (?, ?)"));
    note.addBindValue(table);
    note.addBindValue(now);
    if (!note.exec())
        qCWarning(lcArchive) << "start of the next run not noted:" << note.lastError().text();
    return true;
}

QString RunArchive::describe(const QSqlError &error)
{
    const QString text = error.databaseText();
    switch (error.nativeErrorCode().toInt()) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return QCoreApplication::translate("SystemLogManager", "The history database is in use by another program.");
    case 8: // SQLITE_READONLY
        return QCoreApplication::translate("SystemLogManager", "The history database cannot be written to.");
    case 10: // SQLITE_IOERR
        return QCoreApplication::translate("SystemLogManager", "The disk could not be read or written.");
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
        return QCoreApplication::translate("SystemLogManager", "The history database is damaged.");
    case 13: // SQLITE_FULL
        return QCoreApplication::translate("SystemLogManager", "The disk is full.");
    case 14: // SQLITE_CANTOPEN
        return QCoreApplication::translate("SystemLogManager", "The history database could not be opened.");
    default:
        break;
    }
    for (const char *mismatch : {"no such table", "no such column", "has no column", "columns but", "values for"}) {
        if (text.contains(QLatin1String(mismatch)))
            return QCoreApplication::translate("SystemLogManager", "The history database's tables are not laid out as this program expects; "
                             "the file may come from another program.");
    }
    return QCoreApplication::translate("SystemLogManager", "The history database reported an error: %1").arg(text.isEmpty() ? error.text() : text);
}

bool RunArchive::openDb(QSqlDatabase *db)
{
    m_error.clear();
    *db = QSqlDatabase::database(m_connection, false);
    if (!db->isValid() || !db->open()) {
        m_error = QCoreApplication::translate("SystemLogManager", "The history database could not be opened.");
        return false;
    }
    return true;
}

bool RunArchive::fail(QSqlDatabase &db, const QSqlError &error)
{
    m_error = describe(error);
    qCWarning(lcArchive) << error.text();
    db.close();
    return false;
}

qint64 RunArchive::failCount(QSqlDatabase &db, const QSqlError &error)
{
    fail(db, error);
    return -1;
}

bool RunArchive::listRuns(const Filter &filter, QList<Summary> *runs)
{
    QSqlDatabase db;
    if (!openDb(&db))
        return false;
    QList<Summary> found;

    for (Kind kind : {Kind::Recording, Kind::Download}) {
        if (!matchesKind(filter.kinds, kind))
            continue;
        LiveSummary live;
        QSqlError error;
        if (!summarizeLive(db, kind, &live, &error))
            return fail(db, error);
        if (live.readings == 0)
            continue;
        // A run whose time is unknown is not filtered out by its time.
        if (filter.from.isValid() && live.ended.isValid() && live.ended < filter.from)
            continue;
        if (filter.to.isValid() && live.started.isValid() && live.started > filter.to)
            continue;
        Summary s;
        s.id = kind == Kind::Recording ? CurrentRecording : CurrentDownload;
        s.kind = kind;
        s.isCurrent = true;
        s.started = live.started;
        s.ended = live.ended;
        s.readings = live.readings;
        fillStats(&s, live.speedMin, live.speedAvg, live.speedMax, live.tempMin, live.tempAvg, live.tempMax);
        found.append(s);
    }

    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral(
        "SELECT id, kind, started, ended, readings, speed_min_ms, speed_avg_ms, speed_max_ms, "
        "temp_min_c, temp_avg_c, temp_max_c, archived_at FROM runs "
        "WHERE (? = '' OR kind = ?) "
        "AND (? = '' OR COALESCE(ended, archived_at) >= ?) "
        "AND (? = '' OR COALESCE(started, archived_at) <= ?) "
        "ORDER BY COALESCE(started, archived_at) DESC, id DESC"));
    const QString kind = filter.kinds == KindFilter::Recordings ? QLatin1String(kRecording)
                       : filter.kinds == KindFilter::Downloads  ? QLatin1String(kDownload)
                                                                : QLatin1String("");
    const QString from = filter.from.isValid() ? stamp(filter.from) : QLatin1String("");
    const QString to = filter.to.isValid() ? stamp(filter.to) : QLatin1String("");
    for (const QString &v : {kind, kind, from, from, to, to})
        q.addBindValue(v);
    if (!q.exec())
        return fail(db, q.lastError());
    while (q.next()) {
        Summary s;
        s.id = q.value(QStringLiteral("id")).toLongLong();
        s.kind = q.value(QStringLiteral("kind")).toString() == QLatin1String(kDownload) ? Kind::Download
                                                                                          : Kind::Recording;
        s.started = fromStamp(q.value(QStringLiteral("started")));
        s.ended = fromStamp(q.value(QStringLiteral("ended")));
        s.readings = q.value(QStringLiteral("readings")).toLongLong();
        fillStats(&s, q.value(QStringLiteral("speed_min_ms")), q.value(QStringLiteral("speed_avg_ms")),
                  q.value(QStringLiteral("speed_max_ms")), q.value(QStringLiteral("temp_min_c")),
                  q.value(QStringLiteral("temp_avg_c")), q.value(QStringLiteral("temp_max_c")));
        s.archivedAt = fromStamp(q.value(QStringLiteral("archived_at")));
        found.append(s);
    }
    if (q.lastError().isValid())
        return fail(db, q.lastError());
    q.finish();
    db.close();
    runs->swap(found);
    return true;
}

qint64 RunArchive::loadRun(qint64 id, QList<PelnorXLogItem> *rows)
{
    QSqlDatabase db;
    if (!openDb(&db))
        return -1;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    QString idColumn = QStringLiteral("id");
    if (id == CurrentRecording || id == CurrentDownload) {
        q.prepare(QStringLiteral("SELECT id, %1 FROM %2 ORDER BY id")
                      .arg(QLatin1String(kDataColumns),
                           liveTable(id == CurrentRecording ? Kind::Recording : Kind::Download)));
    } else {
        QSqlQuery exists(db);
        exists.prepare(QStringLiteral("SELECT id FROM runs WHERE id = ?"));
        exists.addBindValue(id);
        if (!exists.exec())
            return failCount(db, exists.lastError());
        if (!exists.next()) {
            m_error = QCoreApplication::translate("SystemLogManager", "This run is no longer in the archive.");
            db.close();
            return -1;
        }
        idColumn = QStringLiteral("seq");
        q.prepare(QStringLiteral("SELECT seq, %1 FROM run_readings WHERE run_id = ? ORDER BY seq")
                      .arg(QLatin1String(kDataColumns)));
        q.addBindValue(id);
    }
    if (!q.exec())
        return failCount(db, q.lastError());
    const ReadingColumns columns(q.record(), idColumn);
    if (!columns.complete()) {
        m_error = QCoreApplication::translate("SystemLogManager", "The history database's tables are not laid out as this program expects; "
                            "the file may come from another program.");
        db.close();
        return -1;
    }
    QList<PelnorXLogItem> found;
    while (q.next())
        found.append(columns.read(q));
    if (q.lastError().isValid())
        return failCount(db, q.lastError());
    q.finish();
    db.close();
    rows->swap(found);
    return rows->size();
}

qint64 RunArchive::deleteRuns(const QList<qint64> &ids)
{
    m_vacuumed = false;
    QSqlDatabase db;
    if (!openDb(&db))
        return -1;
    QSqlQuery control(db);
    if (!control.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return failCount(db, control.lastError());

    qint64 freed = 0;
    QSqlQuery readings(db);
    QSqlQuery run(db);
    bool ok = readings.prepare(QStringLiteral("DELETE FROM run_readings WHERE run_id = ?"))
           && run.prepare(QStringLiteral("DELETE FROM runs WHERE id = ?"));
    QSqlError error = ok ? QSqlError() : (readings.lastError().isValid() ? readings.lastError() : run.lastError());
    const QSet<qint64> unique(ids.cbegin(), ids.cend());
    for (qint64 id : unique) {
        if (!ok || id <= 0)
            continue; // the current pseudo-runs go only when a new run starts
        readings.bindValue(0, id);
        run.bindValue(0, id);
        if (!readings.exec()) {
            ok = false;
            error = readings.lastError();
            continue;
        }
        // The driver asks the connection, so read it before the next statement.
        const qint64 removed = readings.numRowsAffected();
        if (!run.exec()) {
            ok = false;
            error = run.lastError();
        } else {
            freed += removed;
        }
    }
    readings.finish();
    run.finish();
    if (ok && !control.exec(QStringLiteral("COMMIT"))) {
        ok = false;
        error = control.lastError();
    }
    if (!ok) {
        control.exec(QStringLiteral("ROLLBACK"));
        return failCount(db, error);
    }
    control.finish();
    if (freed > 0)
        m_vacuumed = maybeVacuum(db);
    db.close();
    return freed;
}

bool RunArchive::maybeVacuum(QSqlDatabase &db)
{
    QSqlQuery q(db);
    auto pragma = [&q](const char *name) {
        return q.exec(QStringLiteral("PRAGMA ") + QLatin1String(name)) && q.next() ? q.value(0).toLongLong() : 0;
    };
    const qint64 pages = pragma("page_count");
    const qint64 freePages = pragma("freelist_count");
    const qint64 pageSize = pragma("page_size");
    q.finish();
    if (pages == 0 || freePages * 4 < pages || freePages * pageSize < kVacuumMinFreeBytes)
        return false;
    if (!q.exec(QStringLiteral("VACUUM"))) {
        qCWarning(lcArchive) << "not compacted:" << q.lastError().text();
        return false;
    }
    return true;
}

bool RunArchive::vacuum()
{
    QSqlDatabase db;
    if (!openDb(&db))
        return false;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("VACUUM")))
        return fail(db, q.lastError());
    q.finish();
    db.close();
    return true;
}
