#include "testglobals.h"

#include <QSettings>

#include "storage/globals.h"
#include "storage/loghelper.h"
#include "storage/systemlogmanager.h"
#include "storage/systemsetting.h"

void setUpGlobals(const QString &folder)
{
    pSettings = new QSettings(folder + QStringLiteral("/Options.ini"), QSettings::IniFormat);
    pSettings->setValue(QStringLiteral("SystemLog/RuntimeLogDir"), folder + QLatin1Char('/'));
    pSystemSetting = new SystemSetting();
    pLogHelper = new LogHelper();
}

void dropHistoryManager()
{
    delete pSystemLogManager;
    pSystemLogManager = nullptr;
}
