#include "model/measurements.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

PelnorXLogItem deriveMeasurements(double speed_ms, double temperature_c, double area,
                                  bool areaInSquareFeet)
{
    // These factors (2.24 for mph, 0.093 for ft² to m², ...) are the
    // instrument's own; using the exact ones would disagree with its display.
    PelnorXLogItem r{};
    r.windspeed_ms = speed_ms;
    r.windspeed_kmh = speed_ms * 3.6;
    r.windspeed_mph = speed_ms * 2.24;
    r.windspeed_knt = speed_ms * 1.944;
    r.windspeed_ftm = speed_ms * 196.87;

    r.temperature_c = temperature_c;
    r.temperature_f = temperature_c * 1.8 + 32;

    if (areaInSquareFeet) {
        r.windarea_ft = area;
        r.windarea_mm = area * 0.093;
        r.volume_cmm = ((area * speed_ms) * 0.093) * 60;
        r.volume_cfm = r.windspeed_ftm * area;
    } else {
        r.windarea_mm = area;
        r.windarea_ft = area * 10.764;
        r.volume_cmm = (area * speed_ms) * 60;
        r.volume_cfm = r.volume_cmm * 35.315;
    }

    // 2001 North American wind chill index, wind in km/h; below 1.34 m/s
    // (about 3 mph) the index is not defined and the air temperature stands.
    if (speed_ms > 1.34) {
        const double p = std::pow(r.windspeed_kmh, 0.16);
        const double t = temperature_c;
        r.windchill_c = ((13.12 + 0.6215 * t) - 11.37 * p) + (0.3965 * t) * p;
        r.windchill_f = r.windchill_c * 1.8 + 32;
    } else {
        r.windchill_c = r.temperature_c;
        r.windchill_f = r.temperature_f;
    }
    return r;
}

namespace {

const double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
const int kMostDecimals = 6;

// Whether value lies exactly halfway between two texts of `decimals`
// decimals. Printed with 26 more digits (correctly rounded), a tie reads
// 5 and then only zeros; any other double that close to a tie differs
// from it within those digits.
bool isExactTie(double value, int decimals)
{
    char digits[96];
    const auto r = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals + 26);
    if (r.ec != std::errc())
        return false;
    const char *point = static_cast<const char *>(std::memchr(digits, '.', size_t(r.ptr - digits)));
    if (!point)
        return false;
    const char *next = point + 1 + decimals;
    if (*next != '5')
        return false;
    for (const char *c = next + 1; c < r.ptr; ++c) {
        if (*c != '0')
            return false;
    }
    return true;
}

} // namespace

QString fixedText(double value, int decimals)
{
    // Beyond this the screening below could miss a tie; such values take
    // Qt's own path.
    if (!std::isfinite(value) || decimals < 0 || decimals > kMostDecimals
        || std::fabs(value) * kPowersOfTen[decimals] >= 1099511627776.0)
        return QString::number(value, 'f', decimals);
    if (value == 0)
        value = 0.0;
    // std::to_chars rounds a tie to even, Qt away from zero. A tie is
    // screened cheaply first: the product is exact to far better than the
    // margin here.
    const double scaled = std::fabs(value) * kPowersOfTen[decimals];
    if (std::fabs(scaled - std::floor(scaled) - 0.5) < 1e-3 && isExactTie(value, decimals))
        value = std::nextafter(value, value > 0 ? HUGE_VAL : -HUGE_VAL);
    char text[64];
    const auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc())
        return QString::number(value, 'f', decimals);
    return QString::fromLatin1(text, int(r.ptr - text));
}

QString formatTruncated(double value, int decimals)
{
    const double f = std::pow(10.0, decimals);
    const double scaled = value * f;
    // Cutting through a 32-bit integer also turns -0.0 into 0. Beyond that
    // range (or for NaN) the cast would be undefined, so cut in double.
    if (scaled > -2147483649.0 && scaled < 2147483648.0) {
        const qint32 n = qint32(scaled);
        return fixedText(n / f, decimals);
    }
    return fixedText(std::trunc(scaled) / f, decimals);
}
