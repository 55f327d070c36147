#pragma once

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include "model/pelnorxlogitem.h"

class QSqlError;

// Finished recordings and downloads kept in systemlog.db beside the two live
// tables, so that emptying AQ7316 (Record) or AQ7316IN (Download) never
// throws readings away. Works on the connection SystemLogManager opened and,
// like it, opens the connection for each operation and closes it again.
// All calls belong to the thread that made the connection.
class RunArchive
{
public:
    enum class Kind { Recording, Download };
    enum class KindFilter { Any, Recordings, Downloads };

    // Ids of the pseudo-runs for what the live tables hold now.
    static constexpr qint64 CurrentRecording = -1;
    static constexpr qint64 CurrentDownload = -2;

    struct Filter
    {
        KindFilter kinds = KindFilter::Any;
        // Runs that overlap [from, to]; an invalid end leaves that side open.
        QDateTime from;
        QDateTime to;
    };

    struct Summary
    {
        qint64 id = 0;
        Kind kind = Kind::Recording;
        bool isCurrent = false;  // still in AQ7316 / AQ7316IN
        // Recordings: first and last reading. Downloads carry no time of
        // their own: both are when the download was started (invalid if
        // that is not known, e.g. a download made by an earlier version).
        QDateTime started;
        QDateTime ended;
        qint64 readings = 0;
        // Wind speed in m/s over all readings.
        double speedMin = 0, speedAvg = 0, speedMax = 0;
        // °C over the readings that have a temperature (devstate <= 0).
        bool hasTemperature = false;
        double tempMin = 0, tempAvg = 0, tempMax = 0;
        QDateTime archivedAt;  // invalid for the current pseudo-runs

        qint64 durationSecs() const { return started.isValid() && ended.isValid() ? started.secsTo(ended) : 0; }
    };

    explicit RunArchive(const QString &connectionName = QLatin1String(QSqlDatabase::defaultConnection));

    // Newest first, the current pseudo-runs (when their table is not empty)
    // ahead of the archived ones. False on failure, *runs then untouched.
    bool listRuns(const Filter &filter, QList<Summary> *runs);
    // Replaces *rows by the run's readings exactly as they were stored (id =
    // the reading's id in its live table). The row count, -1 on failure
    // (*rows then untouched).
    qint64 loadRun(qint64 id, QList<PelnorXLogItem> *rows);
    // Removes archived runs (the current pseudo-runs are skipped): the
    // number of readings freed, -1 on failure (then nothing is removed).
    // Compacts the file afterwards when a quarter of it or more is free.
    qint64 deleteRuns(const QList<qint64> &ids);
    bool vacuum();
    // Whether the last deleteRuns compacted the file.
    bool lastDeleteVacuumed() const { return m_vacuumed; }

    // Plain-English reason of the last failure, translated.
    QString lastError() const { return m_error; }

    // ---- used by SystemLogManager -----------------------------------------
    // Creates the archive tables when missing; false (with a reason) when one
    // could not be made.
    static bool createTables(QSqlDatabase &db, QString *reason);
    // Inside the caller's write transaction, before the live table is
    // emptied: keeps its rows as one finished run (none when it is empty) and
    // notes when the next run of that table starts. False with a reason when
    // the rows could not be kept; the caller must then roll back.
    static bool archiveLiveTable(QSqlDatabase &db, Kind kind, QString *reason);
    // A plain-English sentence for a database failure.
    static QString describe(const QSqlError &error);

private:
    bool openDb(QSqlDatabase *db);
    bool fail(QSqlDatabase &db, const QSqlError &error);
    qint64 failCount(QSqlDatabase &db, const QSqlError &error);
    bool maybeVacuum(QSqlDatabase &db);

    QString m_connection;
    QString m_error;
    bool m_vacuumed = false;
};
