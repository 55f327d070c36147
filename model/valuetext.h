#pragma once

#include <array>

#include <QString>
#include <QStringList>

#include "model/pelnorxlogitem.h"

// The text of every value the window shows: table rows, the live panel,
// header labels and axis titles. Table, panel and export all go through
// here so a formatting rule exists once.
//
// Translation: texts the window shows translated are handed out as source
// texts (const char *, marked for lupdate in the context "MainWindow");
// the window translates them (ui/unitlabels.h). Texts shown as they stand (the panel's wind labels, "Hi", "-.-")
// are plain QStrings.

// The user's unit codes, as held by SystemSetting (tempUnit, windUnit,
// areaUnit, volumeUnit). Temperature, area and volume: 0 the first unit,
// any other code the second. Wind: 0 m/s, 1 km/h, 2 mph, 3 knots,
// 4 ft/min, anything else m/s.
struct UnitChoice
{
    int temp = 0;
    int wind = 0;
    int area = 0;
    int volume = 0;
};

enum class RowOrigin {
    Live,    // made from a realtime frame or a download
    Rebuilt, // read back from the history database
};

enum TableColumn {
    ColumnDate,
    ColumnTime,
    ColumnTemperature,
    ColumnWind,
    ColumnArea,
    ColumnVolume,
    ColumnWindChill,
    TableColumnCount
};

using TableRowTexts = std::array<QString, TableColumnCount>;

// Shown wherever a value has no reading.
QString noReadingText();

// The seven cells of a table row in the user's units. Live rows: °F cut
// toward zero, "-.-" for temperature and wind chill when devstate is 1.
// Rebuilt rows: °F rounded, "-.-" when devstate > 0, a wind code outside
// 0-4 shows m/s with 1 decimal.
TableRowTexts tableRowTexts(const PelnorXLogItem &item, const UnitChoice &units,
                            RowOrigin origin);

// Whether the record's temperature (and wind chill) counts as a reading:
// false gives "-.-" in the row and no temperature point in the chart.
bool hasTemperatureReading(const PelnorXLogItem &item, RowOrigin origin);

// Chart y values: the full double in the chosen unit.
double chartTemperature(const PelnorXLogItem &item, int tempUnit);
double chartWindSpeed(const PelnorXLogItem &item, int windUnit);

// Header label sources, untranslated.
std::array<const char *, TableColumnCount> headerLabelSources(const UnitChoice &units);

struct AxisSpec
{
    const char *titleSource; // source text, context "MainWindow"
    double min;
    double max;
};

AxisSpec temperatureAxis(int tempUnit);
AxisSpec windAxis(int windUnit);

// Units of the live panel. Wind: 0 m/s, 1 km/h, 2 mph, 3 knots, 4 ft/min,
// other m/s. For a realtime frame they come from the frame (see
// panelUnitsOfFrame in device/realtimeframe.h); after a download from the
// user's choice, where for area, volume and temperature only the code 1
// selects the second unit.
struct PanelUnits
{
    int wind = 0;
    bool areaInSquareFeet = false;
    bool volumeInCfm = false;
    bool temperatureInF = false;
};

PanelUnits panelUnitsOfChoice(const UnitChoice &units);

struct PanelTexts
{
    QString wind;                                 // 3 decimals
    QString windLabel;                            // "m/s", "Km/h", ...: not translated
    QString area;                                 // 3 decimals
    const char *areaLabelSource = nullptr;        // "m²" / "ft²"
    QString volume;                               // 3 decimals
    const char *volumeLabelSource = nullptr;      // "CMM" / "CFM"
    QString temperature;                          // °C rounded, °F cut; "-.-" for devstate 1
    const char *temperatureLabelSource = nullptr; // "du-C" / "du-F"
};

PanelTexts panelTexts(const PelnorXLogItem &item, const PanelUnits &units);

// The panel's wind unit label ("m/s", "Km/h", "Mph", "Knots", "Ft/m"; m/s for
// a code outside 0-4), not translated.
QString panelWindLabel(int windUnit);
