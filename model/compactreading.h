#pragma once

#include <QtGlobal>

#include "model/pelnorxlogitem.h"

// A reading as the record table keeps it: the instrument's three base
// quantities, from which every unit is derived again bit for bit
// (deriveMeasurements), the device state and the clock time, in 32 bytes
// instead of the 13 doubles and two strings of a PelnorXLogItem. A week at
// two readings a second is 1.2 million of them.
struct CompactReading
{
    double speedMs = 0;
    double temperatureC = 0;
    double area = 0;       // in square feet when AreaInFeet is set
    quint32 stamp = 0;     // days since 2000-01-01 << 17 | second of the day
    qint8 devstate = 0;
    quint8 flags = 0;
    quint8 unitSet = 0;    // the table's index of the units the row is shown in
    quint8 reserved = 0;

    enum Flag : quint8 {
        AreaInFeet = 0x01,
        BlankStamp = 0x02, // a downloaded record: date and time are " "
        Rebuilt = 0x04,    // shown as a row read back from the history
        Aside = 0x08,      // values or texts that do not fit: the record is kept whole elsewhere
    };
};
Q_DECLARE_TYPEINFO(CompactReading, Q_PRIMITIVE_TYPE);

// The compact form of item, or false when the item holds anything that would
// not come back identical (values not derived from its base quantities, a
// date or time in another form, a device state outside -128..127).
bool packReading(const PelnorXLogItem &item, CompactReading *out);

// The record again: every unit derived, date and time texts as they were;
// id is 0.
PelnorXLogItem unpackReading(const CompactReading &reading);
