#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include "model/pelnorxlogitem.h"
#include "model/valuetext.h"

// Payload of one 18-byte realtime frame whose framing and checksum the
// link has already checked.
struct RealtimeFrame
{
    quint8 deviceState = 0;           // 0 normal, 1 no wheel, other unknown
    double speedMs = 0.0;
    quint8 deviceWindUnit = 0;        // unit the instrument shows the speed in
    double area = 0.0;                // in the unit of areaInSquareFeet
    bool areaInSquareFeet = false;
    quint8 deviceVolumeUnit = 0;      // 1 CFM, other CMM
    double temperatureC = 0.0;
    quint8 deviceTemperatureUnit = 0; // 1 °F, other °C
    quint8 batteryLevel = 0;          // 0-4, above 4 empty
};

// Reads bytes 2-12 and 15. A buffer shorter than a frame gives a
// default-constructed frame.
RealtimeFrame decodeRealtimeFrame(const QByteArray &frame);

// The record of the reading taken at `now`: date "2024-3-7", time
// "09:05:07", every unit derived, devstate the raw state byte, id 0.
PelnorXLogItem recordFromFrame(const RealtimeFrame &frame, const QDateTime &now);

// The units the instrument itself displays, for the live panel.
PanelUnits panelUnitsOfFrame(const RealtimeFrame &frame);
