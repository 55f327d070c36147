#include "device/realtimeframe.h"

#include <cmath>

#include "device/wireformat.h"
#include "model/measurements.h"

namespace {
quint8 byteAt(const QByteArray &ba, int i)
{
    return quint8(ba.at(i));
}

quint16 u16At(const QByteArray &ba, int i)
{
    return quint16((byteAt(ba, i) << 8) | byteAt(ba, i + 1));
}
} // namespace

RealtimeFrame decodeRealtimeFrame(const QByteArray &frame)
{
    RealtimeFrame f;
    if (frame.size() < wire::kFrameSize)
        return f;
    f.deviceState = byteAt(frame, 2);
    f.speedMs = u16At(frame, 3) / 1000.0;                     // mm/s
    f.deviceWindUnit = byteAt(frame, 5);
    f.area = u16At(frame, 6) / std::pow(10.0, byteAt(frame, 8)); // byte 8: decimals
    const quint8 units = byteAt(frame, 9);
    f.areaInSquareFeet = (units & 0x0F) == 1;
    f.deviceVolumeUnit = quint8(units >> 4);
    f.temperatureC = qint16(u16At(frame, 10)) / 10.0;         // tenths of °C, signed
    f.deviceTemperatureUnit = byteAt(frame, 12);
    f.batteryLevel = byteAt(frame, 15);
    return f;
}

PelnorXLogItem recordFromFrame(const RealtimeFrame &frame, const QDateTime &now)
{
    PelnorXLogItem r = deriveMeasurements(frame.speedMs, frame.temperatureC, frame.area,
                                          frame.areaInSquareFeet);
    const QDate d = now.date();
    const QTime t = now.time();
    const QChar zero(QLatin1Char('0'));
    r.date = QStringLiteral("%1-%2-%3").arg(d.year()).arg(d.month()).arg(d.day());
    r.time = QStringLiteral("%1:%2:%3")
                 .arg(t.hour(), 2, 10, zero)
                 .arg(t.minute(), 2, 10, zero)
                 .arg(t.second(), 2, 10, zero);
    r.devstate = frame.deviceState;
    return r;
}

PanelUnits panelUnitsOfFrame(const RealtimeFrame &frame)
{
    PanelUnits p;
    p.wind = frame.deviceWindUnit;
    p.areaInSquareFeet = frame.areaInSquareFeet;
    p.volumeInCfm = frame.deviceVolumeUnit == 1;
    p.temperatureInF = frame.deviceTemperatureUnit == 1;
    return p;
}
