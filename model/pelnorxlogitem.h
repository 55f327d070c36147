#pragma once

#include <QList>
#include <QString>

// One measurement. The field order is the column order of the history
// tables; every statement and every column-indexed read relies on it.
struct PelnorXLogItem
{
    quint32 id;            // assigned by the database; 0 until read back
    QString date;          // "2024-3-7"; " " for a downloaded record
    QString time;          // "09:05:07"; " " for a downloaded record
    double temperature_c;
    double temperature_f;
    double windspeed_ms;
    double windspeed_kmh;
    double windspeed_mph;
    double windspeed_knt;
    double windspeed_ftm;
    double windarea_mm;    // square metres
    double windarea_ft;    // square feet
    double volume_cmm;     // cubic metres per minute
    double volume_cfm;     // cubic feet per minute
    double windchill_c;
    double windchill_f;
    qint32 devstate;       // device state of the live frame; 0 when downloaded
};
