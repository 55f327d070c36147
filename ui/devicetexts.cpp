#include "ui/devicetexts.h"

#include <QCoreApplication>

const char *deviceStateSource(quint8 deviceState)
{
    switch (deviceState) {
    case 0: return QT_TRANSLATE_NOOP("MainWindow", "Normal");
    case 1: return QT_TRANSLATE_NOOP("MainWindow", "No Wheel");
    default: return QT_TRANSLATE_NOOP("MainWindow", "Unknown");
    }
}

QString deviceStateText(quint8 deviceState)
{
    return QCoreApplication::translate("MainWindow", deviceStateSource(deviceState));
}

QString batteryPicturePath(quint8 batteryLevel)
{
    if (batteryLevel > 4)
        return QStringLiteral(":/picture/battle/empty.png");
    return QStringLiteral(":/picture/battle/battle%1.png").arg(batteryLevel);
}

const char *commuStatusSource(int code)
{
    // The link's CommuStatus codes.
    switch (code) {
    case 0: return QT_TRANSLATE_NOOP("MainWindow", "unknown error");
    case 1: return QT_TRANSLATE_NOOP("MainWindow", "communication error");
    case 2: return QT_TRANSLATE_NOOP("MainWindow", "no serialport");
    case 3: return QT_TRANSLATE_NOOP("MainWindow", "communication timeout");
    case 4: return QT_TRANSLATE_NOOP("MainWindow", "crc error");
    case 5: return QT_TRANSLATE_NOOP("MainWindow", "data length error");
    case 7: return QT_TRANSLATE_NOOP("MainWindow", "Download Error");
    case 9: return QT_TRANSLATE_NOOP("MainWindow", "device set");
    default: return nullptr;
    }
}
