#pragma once

#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QString>

#include "model/pelnorxlogitem.h"

class QMutex;
class QSqlError;
struct HistoryTable;

// The history database systemlog.db: table AQ7316 holds the latest recording,
// AQ7316IN the latest download. Every operation opens the connection, runs
// its statement and closes it again.
class SystemLogManager : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(SystemLogManager)

public:
    // systemlog.db in appFiles().databaseDir: beside the executable, or the
    // user's data folder when installed. Ends the process with -1
    // when the file cannot be opened.
    explicit SystemLogManager(QObject *parent = nullptr);
    // systemlog.db in databaseDirectory; otherwise as above. For tests and tools.
    SystemLogManager(const QString &databaseDirectory, QObject *parent);
    ~SystemLogManager() override;

    // 0 when stored, -1 otherwise.
    int insertSystemLog(const PelnorXLogItem &item);
    int insertSystemLogIn(const PelnorXLogItem &item);

    // Store many records in one transaction with the same rows, ids, runtime
    // log lines and signals as storing them one by one. A record that fails
    // does not stop the others. Returns how many were stored, -1 when the
    // database cannot be opened.
    int insertSystemLogBatch(const QList<PelnorXLogItem> &items);
    int insertSystemLogInBatch(const QList<PelnorXLogItem> &items);

    // Replace *list by all rows in id order; the row count, or 0 on failure
    // (the list is then left as it was).
    int querySystemLog(QList<PelnorXLogItem> *list);
    int querySystemLogIn(QList<PelnorXLogItem> *list);

    // Empty AQ7316 / AQ7316IN for a new recording / download. Their rows are
    // first kept in the archive as one finished run, in the same transaction:
    // when that cannot be done nothing is deleted. 0 when emptied, -1 when
    // the table was left as it was (takeArchiveFailure() says why).
    int deleteSystemLog();
    int deleteSystemLogIn();

    // Why the last deleteSystemLog / deleteSystemLogIn left its table as it
    // was, as a translated sentence for the user; empty when it did not.
    // Cleared by the call, so that one failure is told once.
    QString takeArchiveFailure();

    // The full name of systemlog.db.
    QString databasePath() const;

    // Why the database cannot keep records (not SQLite, a table or column
    // missing, writes refused), as a short translated sentence; empty when it
    // can. Found at construction and again by setAside(). A file that cannot
    // be opened at all still ends the process at construction.
    QString healthProblem() const;

    // Renames the unusable file (and any journal beside it) to
    // systemlog.broken-yyyyMMdd-hhmmss.db, never deleting it, and starts a
    // fresh database with both tables. True when the fresh one can keep
    // records; otherwise healthProblem() says why (the file stays where it
    // was if it could not be renamed).
    bool setAside();

    // For the rest of this run leave the file alone: inserts fail quietly
    // (-1), deletes do nothing, reads leave the caller's list as it is and
    // return 0 without a message. Not remembered across runs.
    void goOnWithoutStoring();
    bool isStoring() const;

signals:
    void SystemLogInserted();

private:
    void setUp(const QString &directory);
    void createTables();
    bool moveAside(const QString &brokenPath);
    int insertInto(const HistoryTable &table, const PelnorXLogItem &item);
    int insertBatchInto(const HistoryTable &table, const QList<PelnorXLogItem> &items);
    int queryAll(const HistoryTable &table, QList<PelnorXLogItem> *list);
    int deleteAll(const HistoryTable &table, bool downloadTable);
    void createArchiveTables();
    void reportInsertFailure(const QSqlError &error);
    bool transactionStillOpen();

    qint32 insertCount = 0;
    QMutex *mutex = nullptr;
    QSqlDatabase db;
    QString m_path;
    QString m_healthProblem;
    bool m_storing = true;
    QString archiveFailure;
};
