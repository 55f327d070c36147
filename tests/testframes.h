#pragma once

#include <QByteArray>
#include <QVector>

#include "device/wireformat.h"

// Bytes as the instrument sends them, for the tests of the reading side.

// A good realtime frame with this speed (mm/s) and temperature (0.1 °C).
inline QByteArray realtimeFrame(quint16 speedMmPerS = 1234, qint16 temperatureDeciC = 215)
{
    wire::FrameFields f;
    f.speedMmPerS = speedMmPerS;
    f.temperatureDeciC = temperatureDeciC;
    return wire::encodeRealtimeFrame(f);
}

// The bytes with one of them replaced: a frame spoilt on purpose.
inline QByteArray withByte(QByteArray bytes, int index, quint8 value)
{
    bytes[index] = char(value);
    return bytes;
}

// A good stored-data package of `records` records, each different.
inline QByteArray storedPackage(int records)
{
    QVector<wire::RecordFields> list;
    list.reserve(records);
    for (int i = 0; i < records; ++i) {
        wire::RecordFields r;
        r.speedMmPerS = quint16(i * 7);
        r.temperatureDeciC = qint16(i % 900 - 300);
        r.areaMantissa = quint16(i);
        r.areaDecimals = quint8(i % 4);
        r.flags = quint8(i & 1);
        list.append(r);
    }
    return wire::encodeStoredPackage(list);
}
