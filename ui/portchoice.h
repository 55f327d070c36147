#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class QSerialPortInfo;

// What the system says about one serial port.
struct PortFacts
{
    QString portName;       // ttyUSB0, COM3
    QString systemLocation; // /dev/ttyUSB0
    QString description;    // the adapter's product text, may be empty
    QString serialNumber;   // the adapter's serial number, may be empty
    bool usb = false;       // a USB adapter (it has a vendor id)
};

PortFacts portFacts(const QSerialPortInfo &info);

// One entry of the options dialog's port list.
struct PortChoice
{
    QString label;      // what the list shows
    QString value;      // what OK stores as the port name
    QStringList names;  // every name the settings may hold for this port
    bool usb = false;
};

// The folder of the stable adapter names udev keeps on Linux.
inline constexpr char kSerialByIdDir[] = "/dev/serial/by-id";

// The entry in byIdDir that leads to device, empty when there is none. The
// name stays the same across replugging, while ttyUSB0 may become ttyUSB1.
QString serialByIdPath(const QString &device, const QString &byIdDir = QLatin1String(kSerialByIdDir));

// The list entry of a port: a plain port keeps its bare name; an adapter
// shows its device path with its description, serial number and stable
// name, and stores the stable name where it has one.
PortChoice portChoice(const PortFacts &facts, const QString &byIdPath);

// Which entry to select: the configured port where it is listed; when it is
// not listed and not present at all, the only USB adapter if exactly one is
// plugged in; otherwise the first entry (-1 for an empty list).
int preselectedPort(const QVector<PortChoice> &choices, const QString &configured, bool configuredExists);

// The index of the entry the configured name stands for, -1 when none.
int indexOfConfigured(const QVector<PortChoice> &choices, const QString &configured);
