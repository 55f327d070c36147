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
QString formatTruncated(double value, int decimals);
