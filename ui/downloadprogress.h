#pragma once

#include <QString>
#include <QtGlobal>

class QLocale;

// What the status bar says while the stored-record package streams in: how
// many records have arrived, of how many, and how long the rest will take
// at the rate seen so far.

// Seconds until `total` records have arrived, at the rate seen between the
// first report (startReceived records at startMs) and now; -1 while no
// rate is known yet (no time passed or no record arrived since).
qint64 downloadSecondsLeft(int startReceived, qint64 startMs, int received, qint64 nowMs, int total);

// "Downloading 12,345 of 65,535 records, about 6 min left" (translated,
// numbers grouped by `locale`); seconds under a minute; without the time
// when secondsLeft is negative.
QString downloadProgressText(int received, int total, qint64 secondsLeft, const QLocale &locale);

// "no records" when the package's count never became known, else
// "12,345 of 65,535 records" (translated).
QString downloadArrivedText(int received, int total, const QLocale &locale);
