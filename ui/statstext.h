#pragma once

#include <QString>

#include "model/runningstats.h"
#include "model/valuetext.h"

// Texts of the statistics, shared by the side panel's grid and the report's
// summary: the decimals of the table's columns (temperature 1, speed and air
// flow 3), "-.-" where a quantity has no reading.
struct QuantityTexts
{
    QString min;
    QString max;
    QString mean;
    QString stddev;
};

struct StatsTexts
{
    QuantityTexts speed;
    QuantityTexts temperature;
    QuantityTexts airFlow;
    // Unit labels as the live panel shows them ("Km/h", "du-C" translated, ...).
    QString speedUnit;
    QString temperatureUnit;
    QString airFlowUnit;
    QString readings; // "172800"
    QString duration; // "h:mm:ss"
    QString first;    // time of the first and last reading, "yyyy-MM-dd hh:mm:ss"
    QString last;
};

StatsTexts statsTexts(const UnitStats &stats, const UnitChoice &units);

// Whole seconds as h:mm:ss; the hours keep counting past a day (49:00:00).
QString durationText(qint64 ms);

// Local date and time of a reading (ms since the epoch), as the time axis
// labels it; "-.-" for no reading.
QString readingTimeText(qint64 ms, bool hasReading = true);
