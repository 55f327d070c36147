#pragma once

#include <QString>
#include <QtGlobal>

// The user's choices, loaded once from Options.ini (through pSettings) and
// written back item by item. Fields in force drive every display; the
// pending copies belong to the options dialog alone.
class SystemSetting
{
public:
    enum SettingItem : quint64 {
        SerialPortName = 1,
        SerialPortBaud = 2,
        TempUnit = 3,
        WindUnit = 4,
        Language = 5,
        AreaUnit = 6,
        VolumeUnit = 7,
        ExportPath = 8,
        AutoAxes = 9,
    };

    SystemSetting();

    void save(SettingItem item);

    // Why Options.ini cannot be read (so the settings are the defaults) or
    // cannot be saved (so changes last only for this run), as a translated
    // sentence; empty when it can be both. Checks now. The constructor writes
    // a problem found at start to the debug log.
    static QString storageProblem();

    // Where an export starts when none was chosen yet: the user's documents
    // folder (the home folder if there is none). Used instead of the stored
    // default "C:/" where that names no folder.
    static QString defaultExportFolder();

    quint64 itemMask = 0;
    QString serialPortName;
    qint32 serialPortBaud = 0;
    qint32 queryPeriod = 0;
    qint32 language = 0;
    qint32 tempUnit = 0;
    qint32 windUnit = 0;
    qint32 areaUnit = 0;
    qint32 volumeUnit = 0;
    qint32 pendingLanguage = 0;
    qint32 pendingTempUnit = 0;
    qint32 pendingWindUnit = 0;
    qint32 pendingAreaUnit = 0;
    qint32 pendingVolumeUnit = 0;
    QString exportPath;
    // Value axes fitted to the readings shown instead of the fixed ranges.
    bool autoAxes = false;
};
