#include "storage/systemsetting.h"

#include <limits>

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>
#include <QVariant>

#include "storage/globals.h"

namespace {
Q_LOGGING_CATEGORY(lcSettings, "aq.storage.settings", QtWarningMsg)

const char kKeyPortName[] = "System/SERIALPORTNAME";
const char kKeyPortBaud[] = "System/SERIALPORTBAUD";
const char kKeyQueryPeriod[] = "System/QUERYPERIOD";
const char kKeyLanguage[] = "System/LANGUAGE";
const char kKeyTempUnit[] = "System/TemperaterUnit";
const char kKeyWindUnit[] = "System/WindUnit";
const char kKeyAreaUnit[] = "System/AreaUnit";
const char kKeyVolumeUnit[] = "System/VolumeUnit";
const char kKeyExportPath[] = "System/ExportPath";
const char kKeyAutoAxes[] = "System/AutoAxes";

// A value that does not read as a 32-bit whole number (a hand-edited "abc",
// or a number beyond 32 bits) gives 0. QVariant::toInt() alone would wrap
// 4294967297 around to 1 and so pick a unit or language nobody chose.
qint32 readInt(const char *key, const QVariant &def)
{
    bool ok = false;
    const qlonglong v = pSettings->value(QLatin1String(key), def).toLongLong(&ok);
    if (!ok || v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max())
        return 0;
    return qint32(v);
}
} // namespace

SystemSetting::SystemSetting()
{
    itemMask = ~quint64(0);

    serialPortName = pSettings->value(QLatin1String(kKeyPortName), QVariant(QStringLiteral("COM3"))).toString();
    // The defaults of these two are strings, converted like a stored value.
    serialPortBaud = readInt(kKeyPortBaud, QVariant(QStringLiteral("9600")));
    queryPeriod = readInt(kKeyQueryPeriod, QVariant(QStringLiteral("500")));
    language = pendingLanguage = readInt(kKeyLanguage, QVariant(0));
    tempUnit = pendingTempUnit = readInt(kKeyTempUnit, QVariant(0));
    windUnit = pendingWindUnit = readInt(kKeyWindUnit, QVariant(0));
    areaUnit = pendingAreaUnit = readInt(kKeyAreaUnit, QVariant(0));
    volumeUnit = pendingVolumeUnit = readInt(kKeyVolumeUnit, QVariant(0));
    exportPath = pSettings->value(QLatin1String(kKeyExportPath), QVariant(QStringLiteral("C:/"))).toString();
    autoAxes = readInt(kKeyAutoAxes, QVariant(0)) != 0;
#ifndef Q_OS_WIN
    // "C:/" names no folder here: the export dialog starts in the user's
    // documents instead. The file keeps what it holds until an export saves
    // a chosen folder.
    if (exportPath == QLatin1String("C:/"))
        exportPath = defaultExportFolder();
#endif

    qDebug() << QString("%1").arg(serialPortBaud);

    const QString problem = storageProblem();
    if (!problem.isEmpty())
        qCWarning(lcSettings).noquote() << "settings file:" << problem;
}

QString SystemSetting::defaultExportFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

QString SystemSetting::storageProblem()
{
    if (!pSettings)
        return QString();
    const QFileInfo file(pSettings->fileName());
    const QString name = QDir::toNativeSeparators(file.absoluteFilePath());
    if (file.isDir()) {
        return QCoreApplication::translate("SystemSetting", "%1 is a folder, not a file: settings cannot be read or saved.")
            .arg(name);
    }
    if (file.exists() && !file.isReadable()) {
        return QCoreApplication::translate("SystemSetting", "%1 cannot be read: the default settings are in use.")
            .arg(name);
    }
    // The file is saved by writing a new one beside it and renaming that, so
    // the folder must be writable too.
    const QFileInfo folder(file.absolutePath());
    if ((file.exists() && !file.isWritable()) || !folder.isDir() || !folder.isWritable()
        || pSettings->status() == QSettings::AccessError) {
        return QCoreApplication::translate("SystemSetting", "%1 cannot be written: changed settings last only until the program ends.")
            .arg(name);
    }
    return QString();
}

void SystemSetting::save(SettingItem item)
{
    switch (item) {
    case SerialPortName:
        if (itemMask & 0x1)
            pSettings->setValue(QLatin1String(kKeyPortName), QVariant(serialPortName));
        break;
    case SerialPortBaud:
        if (itemMask & 0x2)
            pSettings->setValue(QLatin1String(kKeyPortBaud), QVariant(serialPortBaud));
        break;
    case TempUnit:
        pSettings->setValue(QLatin1String(kKeyTempUnit), QVariant(tempUnit));
        break;
    case WindUnit:
        pSettings->setValue(QLatin1String(kKeyWindUnit), QVariant(windUnit));
        break;
    case Language:
        pSettings->setValue(QLatin1String(kKeyLanguage), QVariant(language));
        break;
    case AreaUnit:
        pSettings->setValue(QLatin1String(kKeyAreaUnit), QVariant(areaUnit));
        break;
    case VolumeUnit:
        pSettings->setValue(QLatin1String(kKeyVolumeUnit), QVariant(volumeUnit));
        break;
    case ExportPath:
        pSettings->setValue(QLatin1String(kKeyExportPath), QVariant(exportPath));
        break;
    case AutoAxes:
        pSettings->setValue(QLatin1String(kKeyAutoAxes), QVariant(autoAxes ? 1 : 0));
        break;
    }
}
