#include "model/compactreading.h"

#include <cstring>
#include <limits>

#include <QDate>

#include "model/measurements.h"

namespace {

const qint64 kEpochJulianDay = 2451545; // 2000-01-01
const int kSecondBits = 17;             // 86,400 seconds < 2^17
const qint64 kMaxDays = (qint64(1) << (32 - kSecondBits)) - 1;

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameValues(const PelnorXLogItem &a, const PelnorXLogItem &b)
{
    return sameBits(a.temperature_c, b.temperature_c) && sameBits(a.temperature_f, b.temperature_f)
           && sameBits(a.windspeed_ms, b.windspeed_ms) && sameBits(a.windspeed_kmh, b.windspeed_kmh)
           && sameBits(a.windspeed_mph, b.windspeed_mph) && sameBits(a.windspeed_knt, b.windspeed_knt)
           && sameBits(a.windspeed_ftm, b.windspeed_ftm) && sameBits(a.windarea_mm, b.windarea_mm)
           && sameBits(a.windarea_ft, b.windarea_ft) && sameBits(a.volume_cmm, b.volume_cmm)
           && sameBits(a.volume_cfm, b.volume_cfm) && sameBits(a.windchill_c, b.windchill_c)
           && sameBits(a.windchill_f, b.windchill_f);
}

// A number of exactly `digits` digits (0: any count without a leading zero).
bool parseNumber(const QStringRef &text, int digits, int *out)
{
    if (text.isEmpty() || text.size() > 5 || (digits > 0 && text.size() != digits)
        || (digits == 0 && text.size() > 1 && text.at(0) == QLatin1Char('0')))
        return false;
    int n = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        n = n * 10 + (c.unicode() - '0');
    }
    *out = n;
    return true;
}

// "2024-3-7" and "09:05:07", as a live reading writes them.
bool packStamp(const QString &date, const QString &time, quint32 *out)
{
    const QVector<QStringRef> d = date.splitRef(QLatin1Char('-'));
    const QVector<QStringRef> t = time.splitRef(QLatin1Char(':'));
    if (d.size() != 3 || t.size() != 3)
        return false;
    int year, month, day, hour, minute, second;
    if (!parseNumber(d[0], 0, &year) || !parseNumber(d[1], 0, &month) || !parseNumber(d[2], 0, &day)
        || !parseNumber(t[0], 2, &hour) || !parseNumber(t[1], 2, &minute) || !parseNumber(t[2], 2, &second))
        return false;
    const QDate when(year, month, day);
    if (!when.isValid() || hour > 23 || minute > 59 || second > 59)
        return false;
    const qint64 days = when.toJulianDay() - kEpochJulianDay;
    if (days < 0 || days > kMaxDays)
        return false;
    *out = quint32(days) << kSecondBits | quint32(hour * 3600 + minute * 60 + second);
    return true;
}

void appendTwoDigits(QString &s, int n)
{
    s.append(QLatin1Char(char('0' + n / 10)));
    s.append(QLatin1Char(char('0' + n % 10)));
}

} // namespace

bool packReading(const PelnorXLogItem &item, CompactReading *out)
{
    if (item.devstate < -128 || item.devstate > 127)
        return false;
    CompactReading r;
    r.speedMs = item.windspeed_ms;
    r.temperatureC = item.temperature_c;
    // The area arrived in one unit and the other was derived; which one
    // shows in whether the derivation gives the record back.
    if (sameValues(deriveMeasurements(item.windspeed_ms, item.temperature_c, item.windarea_mm, false), item)) {
        r.area = item.windarea_mm;
    } else if (sameValues(deriveMeasurements(item.windspeed_ms, item.temperature_c, item.windarea_ft, true),
                          item)) {
        r.area = item.windarea_ft;
        r.flags |= CompactReading::AreaInFeet;
    } else {
        return false;
    }
    const QString blank(QLatin1Char(' '));
    if (item.date == blank && item.time == blank)
        r.flags |= CompactReading::BlankStamp;
    else if (!packStamp(item.date, item.time, &r.stamp))
        return false;
    r.devstate = qint8(item.devstate);
    *out = r;
    return true;
}

PelnorXLogItem unpackReading(const CompactReading &reading)
{
    PelnorXLogItem r = deriveMeasurements(reading.speedMs, reading.temperatureC, reading.area,
                                          reading.flags & CompactReading::AreaInFeet);
    r.devstate = reading.devstate;
    if (reading.flags & CompactReading::BlankStamp) {
        static const QString blank(QLatin1Char(' '));
        r.date = blank;
        r.time = blank;
        return r;
    }
    // Rows come day after day: the last day's text is shared, not made
    // again for each of its 172,800 readings.
    thread_local quint32 lastDay = std::numeric_limits<quint32>::max();
    thread_local QString lastDate;
    const quint32 day = reading.stamp >> kSecondBits;
    if (day != lastDay) {
        const QDate d = QDate::fromJulianDay(kEpochJulianDay + day);
        lastDate = QString::number(d.year()) + QLatin1Char('-') + QString::number(d.month()) + QLatin1Char('-')
                   + QString::number(d.day());
        lastDay = day;
    }
    const int seconds = int(reading.stamp & ((1u << kSecondBits) - 1));
    r.date = lastDate;
    r.time.reserve(8);
    appendTwoDigits(r.time, seconds / 3600);
    r.time.append(QLatin1Char(':'));
    appendTwoDigits(r.time, seconds / 60 % 60);
    r.time.append(QLatin1Char(':'));
    appendTwoDigits(r.time, seconds % 60);
    return r;
}
