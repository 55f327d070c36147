#include "ui/unitlabels.h"

#include <QCoreApplication>

#include "storage/globals.h"
#include "storage/systemsetting.h"

QString trMainWindow(const char *source)
{
    return QCoreApplication::translate("MainWindow", source);
}

QStringList headerLabels(const UnitChoice &units)
{
    QStringList labels;
    labels.reserve(TableColumnCount);
    for (const char *source : headerLabelSources(units))
        labels.append(trMainWindow(source));
    return labels;
}

UnitChoice userUnits()
{
    UnitChoice u;
    u.temp = pSystemSetting->tempUnit;
    u.wind = pSystemSetting->windUnit;
    u.area = pSystemSetting->areaUnit;
    u.volume = pSystemSetting->volumeUnit;
    return u;
}
