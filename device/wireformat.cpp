#include "device/wireformat.h"

namespace wire {

namespace {
void putU16(QByteArray &out, quint16 v)
{
    out.append(char(v >> 8));
    out.append(char(v & 0xFF));
}
} // namespace

quint8 crc8(const char *data, int len)
{
    quint8 crc = 0xFF;
    for (int i = 0; i < len; ++i) {
        crc ^= quint8(data[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80) ? quint8((crc << 1) ^ 0x31) : quint8(crc << 1);
    }
    return crc;
}

QByteArray encodeRealtimeFrame(const FrameFields &f)
{
    QByteArray out;
    out.reserve(kFrameSize);
    out.append(kFrameStart);
    out.append(char(f.byte1));
    out.append(char(f.deviceState));
    putU16(out, f.speedMmPerS);
    out.append(char(f.windUnit));
    putU16(out, f.areaMantissa);
    out.append(char(f.areaDecimals));
    out.append(char(((f.volumeUnit & 0x0F) << 4) | (f.areaUnit & 0x0F)));
    putU16(out, quint16(f.temperatureDeciC));   // two's complement
    out.append(char(f.temperatureUnit));
    putU16(out, f.bytes13to14);
    out.append(char(f.batteryLevel));
    out.append(char(crc8(out.constData() + 1, 15)));
    out.append(kEnd);
    return out;
}

QByteArray encodeStoredRecord(const RecordFields &r)
{
    QByteArray out;
    out.reserve(kRecordSize);
    putU16(out, r.speedMmPerS);
    putU16(out, quint16(r.temperatureDeciC));
    putU16(out, r.areaMantissa);
    out.append(char(r.areaDecimals));
    out.append(char(r.flags));
    return out;
}

QByteArray encodeStoredPackage(const QVector<RecordFields> &records)
{
    const int n = qMin(records.size(), kMaxRecords);
    QByteArray out;
    out.reserve(kRecordSize * n + kPackageOverhead);
    out.append(kPackageStart);
    putU16(out, quint16(n));
    for (int i = 0; i < n; ++i)
        out.append(encodeStoredRecord(records.at(i)));
    out.append(kEnd);
    return out;
}

} // namespace wire
