#pragma once

#include <functional>

#include <QString>
#include <QStringList>

namespace bench {

// The archive of finished runs at size: what archiving adds to Record, and
// loading and listing runs in a file of 1,000 runs and 10 million readings
// (AQ_BENCH_ARCHIVE_READINGS sets fewer for a quick run), and the same file
// through the window: the History list, a day's recording opened.

// Runs the named case in this child process; false when it is no archive case.
bool runArchiveCase(const QStringList &args, const QString &base);

// Runs the cases through runChild and gives their rows of the table;
// result(key) is a reported value.
QStringList archiveRows(const std::function<bool(const QStringList &)> &runChild,
                        const std::function<QString(const QString &)> &result);

} // namespace bench
