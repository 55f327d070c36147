#include "ui/portfailuretext.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "device/dataserialport.h"

QString portFailureText(int reason, const QString &port, const QString &group)
{
    switch (reason) {
    case DataSerialPort::PortMissing:
        return QCoreApplication::translate(
                   "PortFailure", "The port %1 does not exist. Plug in the adapter, or choose another port under Set.").arg(port);
    case DataSerialPort::PortPermissionDenied:
        // Only a group other than root is worth joining.
        if (!group.isEmpty() && group != QLatin1String("root")) {
            return QCoreApplication::translate(
                   "PortFailure", "Permission denied on %1. Add your user to the group %2 (sudo usermod -aG %2 $USER) and log in again.")
                .arg(port, group);
        }
        return QCoreApplication::translate(
                   "PortFailure", "Permission denied on %1. Your user needs read and write access to it.").arg(port);
    case DataSerialPort::PortInUse:
        return QCoreApplication::translate(
                   "PortFailure", "The port %1 is in use by another program. Close that program and try again.").arg(port);
    case DataSerialPort::PortLost:
        return QCoreApplication::translate(
                   "PortFailure", "The connection to %1 was lost. Check the adapter and its cable.").arg(port);
    default:
        return QCoreApplication::translate(
                   "PortFailure", "The port %1 could not be opened.").arg(port);
    }
}

QString portFailureText(int reason, const QString &port)
{
    const QFileInfo device(port);
    return portFailureText(reason, port, device.exists() ? device.group() : QString());
}
