#include "model/measurements.h"

#include <cmath>
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

QString formatTruncated(double value, int decimals)
{
    const double f = std::pow(10.0, decimals);
    const double scaled = value * f;
    // Cutting through a 32-bit integer also turns -0.0 into 0. Beyond that
    // range (or for NaN) the cast would be undefined, so cut in double.
    if (scaled > -2147483649.0 && scaled < 2147483648.0) {
        const qint32 n = qint32(scaled);
        return QString::number(n / f, 'f', decimals);
    }
    return QString::number(std::trunc(scaled) / f, 'f', decimals);
}
