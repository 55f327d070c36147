#include "device/storedpackage.h"

#include <cmath>

#include <QString>

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

constexpr qint64 kRecordSpacingMs = 500;
} // namespace

int packageRecordCount(const QByteArray &package)
{
    if (package.size() < 3)
        return 0;
    return u16At(package, 1);
}

bool isValidPackage(const QByteArray &package)
{
    if (package.size() < wire::kPackageOverhead)
        return false;
    if (package.at(0) != wire::kPackageStart || package.at(package.size() - 1) != wire::kEnd)
        return false;
    return qint64(wire::kRecordSize) * packageRecordCount(package) + wire::kPackageOverhead
           == package.size();
}

StoredRecord decodeStoredRecord(const QByteArray &package, int j)
{
    StoredRecord r;
    const qint64 offset = 3 + qint64(wire::kRecordSize) * j;
    if (j < 0 || offset + wire::kRecordSize > package.size())
        return r;
    const int o = int(offset);
    r.speedMs = u16At(package, o) / 1000.0;                       // mm/s
    r.temperatureC = qint16(u16At(package, o + 2)) / 10.0;        // tenths of °C, signed
    r.area = u16At(package, o + 4) / std::pow(10.0, byteAt(package, o + 6)); // decimals
    r.areaInSquareFeet = (byteAt(package, o + 7) & 0x01) != 0;    // other flag bits unused
    return r;
}

QVector<DownloadedRecord> recordsFromPackage(const QByteArray &package, const QDateTime &now)
{
    QVector<DownloadedRecord> out;
    if (!isValidPackage(package))
        return out;

    const int n = packageRecordCount(package);
    const qint64 nowMs = now.toMSecsSinceEpoch();
    // One shared blank for every record: the instrument keeps no time.
    const QString blank(QLatin1Char(' '));
    out.resize(n);
    for (int j = 0; j < n; ++j) {
        const StoredRecord s = decodeStoredRecord(package, j);
        DownloadedRecord &d = out[j];
        d.item = deriveMeasurements(s.speedMs, s.temperatureC, s.area, s.areaInSquareFeet);
        d.item.date = blank;
        d.item.time = blank;
        d.chartTimeMs = nowMs - qint64(n - j) * kRecordSpacingMs;
    }
    return out;
}
