#pragma once

#include <QLatin1String>
#include <QStringList>

#include "model/measurements.h"
#include "model/valuetext.h"

// Readings, unit choices and row texts as the table and value tests write them.

inline PelnorXLogItem reading(double speed, double tempC, double area, bool inFeet, int devstate = 0,
                              const char *date = "2024-3-7", const char *time = "09:05:07")
{
    PelnorXLogItem r = deriveMeasurements(speed, tempC, area, inFeet);
    r.date = QLatin1String(date);
    r.time = QLatin1String(time);
    r.devstate = devstate;
    return r;
}

inline UnitChoice units(int temp, int wind, int area, int volume)
{
    UnitChoice u;
    u.temp = temp;
    u.wind = wind;
    u.area = area;
    u.volume = volume;
    return u;
}

inline QStringList toList(const TableRowTexts &row)
{
    QStringList out;
    for (const QString &cell : row)
        out.append(cell);
    return out;
}
