#include "ui/downloadprogress.h"

#include <QCoreApplication>
#include <QLocale>

qint64 downloadSecondsLeft(int startReceived, qint64 startMs, int received, qint64 nowMs, int total)
{
    const qint64 elapsedMs = nowMs - startMs;
    const qint64 gained = qint64(received) - startReceived;
    if (elapsedMs <= 0 || gained <= 0)
        return -1;
    const qint64 left = qMax<qint64>(0, qint64(total) - received);
    // Rounded up: "about 0 s left" while records are still missing would
    // read as done.
    return (left * elapsedMs + gained * 1000 - 1) / (gained * 1000);
}

QString downloadProgressText(int received, int total, qint64 secondsLeft, const QLocale &locale)
{
    const QString got = locale.toString(received);
    const QString all = locale.toString(total);
    if (secondsLeft < 0)
        return QCoreApplication::translate("MainWindow", "Downloading %1 of %2 records").arg(got, all);
    if (secondsLeft < 60)
        return QCoreApplication::translate("MainWindow", "Downloading %1 of %2 records, about %3 s left")
            .arg(got, all, locale.toString(secondsLeft));
    const qint64 minutes = (secondsLeft + 30) / 60;
    return QCoreApplication::translate("MainWindow", "Downloading %1 of %2 records, about %3 min left")
        .arg(got, all, locale.toString(minutes));
}

QString downloadArrivedText(int received, int total, const QLocale &locale)
{
    if (total < 0)
        return QCoreApplication::translate("MainWindow", "no records");
    return QCoreApplication::translate("MainWindow", "%1 of %2 records")
        .arg(locale.toString(qMax(received, 0)), locale.toString(total));
}
