#pragma once

#include <QString>

#include "model/pelnorxlogitem.h"

// Every unit of one reading, derived from the instrument's three base
// quantities. The result is value-initialised except for the thirteen
// measured fields; the caller sets date, time and devstate.
PelnorXLogItem deriveMeasurements(double speed_ms, double temperature_c, double area,
                                  bool areaInSquareFeet);

// The value cut toward zero to `decimals` places, written with exactly that
// many places: 71.96 -> "71.9", -3.99 -> "-3.9", -0.05 -> "0.0".
// QString::number(value, 'f', decimals), the same text, in a fraction of
// the time: a table or an export of a week of readings formats millions of
// values. Like Qt it rounds an exact tie away from zero (0.125 to "0.13")
// and writes -0.0 as "0.0".
QString fixedText(double value, int decimals);

QString formatTruncated(double value, int decimals);
