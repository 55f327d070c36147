#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QVector>
#include <QtGlobal>

#include "model/pelnorxlogitem.h"

// One 8-byte record of the instrument's memory. It carries no time, state
// or display units.
struct StoredRecord
{
    double speedMs = 0.0;
    double temperatureC = 0.0;
    double area = 0.0;
    bool areaInSquareFeet = false;
};

// Start byte 0x04, end byte 0x03 and a length of 8 * N + 4, N being the
// unsigned big-endian count in bytes 1-2.
bool isValidPackage(const QByteArray &package);

// The record count of bytes 1-2; 0 for a buffer too short to hold it.
int packageRecordCount(const QByteArray &package);

// Record j (bytes 3 + 8j to 10 + 8j). A record not wholly inside the buffer
// gives a default-constructed StoredRecord.
StoredRecord decodeStoredRecord(const QByteArray &package, int j);

struct DownloadedRecord
{
    PelnorXLogItem item{};  // date and time " ", devstate 0, id 0
    qint64 chartTimeMs = 0; // ms since the epoch; for the chart only, never stored
};

// Every record of a valid package, in package order, laid out 500 ms apart
// on the chart with the newest 500 ms before `now`. An invalid package
// gives an empty vector, as does a valid one of no record; tell them apart
// with isValidPackage().
QVector<DownloadedRecord> recordsFromPackage(const QByteArray &package, const QDateTime &now);
