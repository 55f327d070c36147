#include "testglobals.h"

#include <QFile>
#include <QSettings>

#include "storage/globals.h"
#include "storage/loghelper.h"
#include "storage/systemlogmanager.h"
#include "storage/systemsetting.h"
#include "ui/mainwindow.h"

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

MainWindow *openFreshWindow(const QString &folder, const QSize &size)
{
    QFile::remove(folder + QStringLiteral("/systemlog.db"));
    auto *window = new MainWindow(folder, nullptr);
    window->resize(size);
    window->show();
    return window;
}

void closeWindow(MainWindow *&window)
{
    delete window;
    window = nullptr;
    dropHistoryManager();
}
