#include "model/valuetext.h"

#include "model/measurements.h"

namespace {

double windSpeedIn(const PelnorXLogItem &r, int windUnit)
{
    switch (windUnit) {
    case 1: return r.windspeed_kmh;
    case 2: return r.windspeed_mph;
    case 3: return r.windspeed_knt;
    case 4: return r.windspeed_ftm;
    default: return r.windspeed_ms;
    }
}

bool isKnownWindUnit(int windUnit)
{
    return windUnit >= 0 && windUnit <= 4;
}

QString fixed(double value, int decimals)
{
    return fixedText(value, decimals);
}

QString hiText()
{
    return QStringLiteral("Hi");
}

QString temperatureCell(const PelnorXLogItem &r, int tempUnit, RowOrigin origin)
{
    if (!hasTemperatureReading(r, origin))
        return noReadingText();
    if (tempUnit == 0)
        return fixed(r.temperature_c, 1);
    // Live rows cut °F toward zero like the panel; rows rebuilt from the
    // database have always been rounded.
    return origin == RowOrigin::Live ? formatTruncated(r.temperature_f, 1)
                                     : fixed(r.temperature_f, 1);
}

QString windCell(const PelnorXLogItem &r, int windUnit, RowOrigin origin)
{
    const int decimals = (origin == RowOrigin::Rebuilt && !isKnownWindUnit(windUnit)) ? 1 : 3;
    return fixed(windSpeedIn(r, windUnit), decimals);
}

QString windChillCell(const PelnorXLogItem &r, int tempUnit, RowOrigin origin)
{
    if (!hasTemperatureReading(r, origin))
        return noReadingText();
    if (r.windchill_c > 10.0 || r.windchill_f > 50.0)
        return hiText();
    return fixed(tempUnit == 0 ? r.windchill_c : r.windchill_f, 1);
}

} // namespace

QString noReadingText()
{
    return QStringLiteral("-.-");
}

bool hasTemperatureReading(const PelnorXLogItem &item, RowOrigin origin)
{
    // State 1 is "No Wheel". Rebuilt rows treat every non-normal state
    // alike, since the database keeps only the code.
    return origin == RowOrigin::Live ? item.devstate != 1 : item.devstate <= 0;
}

TableRowTexts tableRowTexts(const PelnorXLogItem &item, const UnitChoice &units,
                            RowOrigin origin)
{
    return TableRowTexts{
        item.date,
        item.time,
        temperatureCell(item, units.temp, origin),
        windCell(item, units.wind, origin),
        fixed(units.area == 0 ? item.windarea_mm : item.windarea_ft, 3),
        fixed(units.volume == 0 ? item.volume_cmm : item.volume_cfm, 3),
        windChillCell(item, units.temp, origin),
    };
}

double chartTemperature(const PelnorXLogItem &item, int tempUnit)
{
    return tempUnit == 0 ? item.temperature_c : item.temperature_f;
}

double chartWindSpeed(const PelnorXLogItem &item, int windUnit)
{
    return windSpeedIn(item, windUnit);
}

std::array<const char *, TableColumnCount> headerLabelSources(const UnitChoice &units)
{
    static const char *const windLabels[] = {
        QT_TRANSLATE_NOOP("MainWindow", "wind-ms"),
        QT_TRANSLATE_NOOP("MainWindow", "wind-kmh"),
        QT_TRANSLATE_NOOP("MainWindow", "wind-mph"),
        QT_TRANSLATE_NOOP("MainWindow", "wind-knots"),
        QT_TRANSLATE_NOOP("MainWindow", "wind-ftmin"),
        QT_TRANSLATE_NOOP("MainWindow", "wind-cmm"),
        QT_TRANSLATE_NOOP("MainWindow", "wind-cfm"),
    };
    const int windCount = int(sizeof(windLabels) / sizeof(windLabels[0]));
    const bool celsius = units.temp == 0;
    return {
        QT_TRANSLATE_NOOP("MainWindow", "Date"),
        QT_TRANSLATE_NOOP("MainWindow", "Time"),
        celsius ? QT_TRANSLATE_NOOP("MainWindow", "Temp-C") : QT_TRANSLATE_NOOP("MainWindow", "Temp-F"),
        (units.wind >= 0 && units.wind < windCount) ? windLabels[units.wind] : windLabels[0],
        units.area == 0 ? QT_TRANSLATE_NOOP("MainWindow", "Area-Mm")
                        : QT_TRANSLATE_NOOP("MainWindow", "Area-Ft"),
        units.volume == 0 ? QT_TRANSLATE_NOOP("MainWindow", "Volume-CMM")
                          : QT_TRANSLATE_NOOP("MainWindow", "Volume-CFM"),
        celsius ? QT_TRANSLATE_NOOP("MainWindow", "WindChill-C")
                : QT_TRANSLATE_NOOP("MainWindow", "WindChill-F"),
    };
}

AxisSpec temperatureAxis(int tempUnit)
{
    if (tempUnit == 0)
        return {QT_TRANSLATE_NOOP("MainWindow", "Temp-C"), -20, 70};
    return {QT_TRANSLATE_NOOP("MainWindow", "Temp-F"), -4, 158};
}

AxisSpec windAxis(int windUnit)
{
    switch (windUnit) {
    case 1: return {QT_TRANSLATE_NOOP("MainWindow", "wind-kmh"), 0, 180};
    case 2: return {QT_TRANSLATE_NOOP("MainWindow", "wind-mph"), 0, 110};
    case 3: return {QT_TRANSLATE_NOOP("MainWindow", "wind-knots"), 0, 100};
    case 4: return {QT_TRANSLATE_NOOP("MainWindow", "wind-ftmin"), 0, 9800};
    default: return {QT_TRANSLATE_NOOP("MainWindow", "wind-ms"), 0, 50};
    }
}

PanelUnits panelUnitsOfChoice(const UnitChoice &units)
{
    PanelUnits p;
    p.wind = units.wind;
    p.areaInSquareFeet = units.area == 1;
    p.volumeInCfm = units.volume == 1;
    p.temperatureInF = units.temp == 1;
    return p;
}

PanelTexts panelTexts(const PelnorXLogItem &item, const PanelUnits &units)
{
    PanelTexts t;
    t.wind = fixed(windSpeedIn(item, units.wind), 3);
    t.windLabel = panelWindLabel(units.wind);
    if (units.areaInSquareFeet) {
        t.area = fixed(item.windarea_ft, 3);
        t.areaLabelSource = QT_TRANSLATE_NOOP("MainWindow", "ft²");
    } else {
        t.area = fixed(item.windarea_mm, 3);
        t.areaLabelSource = QT_TRANSLATE_NOOP("MainWindow", "m²");
    }
    if (units.volumeInCfm) {
        t.volume = fixed(item.volume_cfm, 3);
        t.volumeLabelSource = QT_TRANSLATE_NOOP("MainWindow", "CFM");
    } else {
        t.volume = fixed(item.volume_cmm, 3);
        t.volumeLabelSource = QT_TRANSLATE_NOOP("MainWindow", "CMM");
    }
    if (item.devstate == 1)
        t.temperature = noReadingText();
    else if (units.temperatureInF)
        t.temperature = formatTruncated(item.temperature_f, 1);
    else
        t.temperature = fixed(item.temperature_c, 1);
    t.temperatureLabelSource = units.temperatureInF ? QT_TRANSLATE_NOOP("MainWindow", "du-F")
                                                    : QT_TRANSLATE_NOOP("MainWindow", "du-C");
    return t;
}

QString panelWindLabel(int windUnit)
{
    static const char *const windLabels[] = {"m/s", "Km/h", "Mph", "Knots", "Ft/m"};
    return QLatin1String(isKnownWindUnit(windUnit) ? windLabels[windUnit] : windLabels[0]);
}
