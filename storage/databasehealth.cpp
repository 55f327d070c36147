#include "storage/databasehealth.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace {

const char *const kTables[] = {"AQ7316", "AQ7316IN"};

// SQLite's primary result codes for "another connection holds the lock":
// the file is fine, it is just busy right now.
bool isBusy(const QSqlError &error)
{
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == 5 || code == 6;
}

// SQLite's own words for a failure; never empty, so a failure never reads
// as success.
QString errorText(const QSqlError &error)
{
    if (!error.databaseText().isEmpty())
        return error.databaseText();
    if (!error.driverText().isEmpty())
        return error.driverText();
    return QStringLiteral("SQLite error %1").arg(error.nativeErrorCode());
}

QString unreadable(const QSqlError &error)
{
    return QCoreApplication::translate("SystemLogManager", "It cannot be read as an SQLite database: %1")
        .arg(errorText(error));
}

QString tableProblem(const QSqlDatabase &db, const QString &table)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table))) {
        if (isBusy(query.lastError()))
            return QString();
        return unreadable(query.lastError());
    }
    const int nameAt = query.record().indexOf(QStringLiteral("name"));
    QStringList present;
    while (query.next())
        present << query.value(nameAt).toString().toLower();
    if (present.isEmpty())
        return QCoreApplication::translate("SystemLogManager", "The table %1 is missing.").arg(table);
    QStringList missing;
    for (const QString &column : DatabaseHealth::columns()) {
        if (!present.contains(column))
            missing << column;
    }
    if (!missing.isEmpty()) {
        return QCoreApplication::translate("SystemLogManager", "Columns missing in table %1: %2.")
            .arg(table, missing.join(QStringLiteral(", ")));
    }
    return QString();
}

// One record into each table inside a transaction that is then rolled back:
// nothing stays in the file, not even a used-up id.
QString writeProblem(const QSqlDatabase &db)
{
    QStringList fields = DatabaseHealth::columns();
    fields.removeFirst(); // the id is the database's to give
    QStringList placeholders;
    for (int i = 0; i < fields.size(); ++i)
        placeholders << QStringLiteral("?");

    QSqlQuery control(db);
    if (!control.exec(QStringLiteral("BEGIN")))
        return isBusy(control.lastError()) ? QString() : errorText(control.lastError());
    QString problem;
    for (const char *table : kTables) {
        QSqlQuery insert(db);
        const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(QLatin1String(table), fields.join(QLatin1Char(',')),
                                     placeholders.join(QLatin1Char(',')));
        bool ok = insert.prepare(sql);
        if (ok) {
            insert.addBindValue(QString());
            insert.addBindValue(QString());
            for (int i = 2; i < fields.size() - 1; ++i)
                insert.addBindValue(0.0);
            insert.addBindValue(0);
            ok = insert.exec();
        }
        if (!ok) {
            if (!isBusy(insert.lastError()))
                problem = errorText(insert.lastError());
            break;
        }
        insert.finish();
    }
    control.exec(QStringLiteral("ROLLBACK"));
    return problem;
}

} // namespace

namespace DatabaseHealth {

const QStringList &columns()
{
    static const QStringList names{
        QStringLiteral("id"),            QStringLiteral("date"),          QStringLiteral("time"),
        QStringLiteral("temperature_c"), QStringLiteral("temperature_f"), QStringLiteral("windspeed_ms"),
        QStringLiteral("windspeed_kmh"), QStringLiteral("windspeed_mph"), QStringLiteral("windspeed_knt"),
        QStringLiteral("windspeed_ftm"), QStringLiteral("windarea_mm"),   QStringLiteral("windarea_ft"),
        QStringLiteral("volume_cmm"),    QStringLiteral("volume_cfm"),    QStringLiteral("windchill_c"),
        QStringLiteral("windchill_f"),   QStringLiteral("devstate"),
    };
    return names;
}

QString selectAllFrom(const QString &table)
{
    return QStringLiteral("select %1 from %2").arg(columns().join(QStringLiteral(", ")), table);
}

QString problemWith(const QSqlDatabase &db)
{
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && !isBusy(probe.lastError()))
        return unreadable(probe.lastError());
    probe.finish();

    for (const char *table : kTables) {
        const QString problem = tableProblem(db, QLatin1String(table));
        if (!problem.isEmpty())
            return problem;
    }
    const QString refused = writeProblem(db);
    if (!refused.isEmpty())
        return QCoreApplication::translate("SystemLogManager", "Records cannot be written to it: %1").arg(refused);
    return QString();
}

} // namespace DatabaseHealth
