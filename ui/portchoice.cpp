#include "ui/portchoice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

PortFacts portFacts(const QSerialPortInfo &info)
{
    PortFacts f;
    f.portName = info.portName();
    f.systemLocation = info.systemLocation();
    f.description = info.description();
    f.serialNumber = info.serialNumber();
    f.usb = info.hasVendorIdentifier();
    return f;
}

QString serialByIdPath(const QString &device, const QString &byIdDir)
{
    if (device.isEmpty())
        return QString();
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty())
        return QString();
    const QDir dir(byIdDir);
    const QStringList entries = dir.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &entry : entries) {
        const QString path = dir.filePath(entry);
        if (QFileInfo(path).canonicalFilePath() == target)
            return path;
    }
    return QString();
}

PortChoice portChoice(const PortFacts &facts, const QString &byIdPath)
{
    PortChoice c;
    c.usb = facts.usb;
    c.names << facts.portName;
    if (!facts.systemLocation.isEmpty() && facts.systemLocation != facts.portName)
        c.names << facts.systemLocation;
    if (!byIdPath.isEmpty())
        c.names << byIdPath;
    c.value = byIdPath.isEmpty() ? facts.portName : byIdPath;

    QStringList about;
    if (!facts.description.isEmpty())
        about << facts.description;
    if (!facts.serialNumber.isEmpty())
        about << QCoreApplication::translate("PortChoice", "serial number %1").arg(facts.serialNumber);
    if (about.isEmpty() && byIdPath.isEmpty()) {
        c.label = facts.portName;
        return c;
    }
    c.label = facts.systemLocation.isEmpty() ? facts.portName : facts.systemLocation;
    if (!about.isEmpty())
        c.label += QStringLiteral(" \u2014 ") + about.join(QStringLiteral(", "));
    if (!byIdPath.isEmpty())
        c.label += QStringLiteral(" (") + QFileInfo(byIdPath).fileName() + QLatin1Char(')');
    return c;
}

int indexOfConfigured(const QVector<PortChoice> &choices, const QString &configured)
{
    if (configured.isEmpty())
        return -1;
    for (int i = 0; i < choices.size(); ++i) {
        if (choices.at(i).names.contains(configured))
            return i;
    }
    return -1;
}

int preselectedPort(const QVector<PortChoice> &choices, const QString &configured, bool configuredExists)
{
    if (choices.isEmpty())
        return -1;
    const int configuredIndex = indexOfConfigured(choices, configured);
    if (configuredIndex >= 0)
        return configuredIndex;
    if (!configuredExists) {
        int usbIndex = -1;
        int usbCount = 0;
        for (int i = 0; i < choices.size(); ++i) {
            if (choices.at(i).usb) {
                usbIndex = i;
                ++usbCount;
            }
        }
        if (usbCount == 1)
            return usbIndex;
    }
    return 0;
}
