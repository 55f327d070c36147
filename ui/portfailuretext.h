#pragma once

#include <QString>

// What the user reads about a serial port that could not be opened: the
// cause and what to do about it. reason is a DataSerialPort::PortFailure;
// port the device the link tried; group the group that owns the device file
// (Unix), which a user must belong to for read and write access.
QString portFailureText(int reason, const QString &port, const QString &group);
// The same, with the device file's group looked up.
QString portFailureText(int reason, const QString &port);
