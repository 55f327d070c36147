#pragma once

#include <QString>

class QWidget;

// The window's modal messages that ask or tell the user something beyond
// the status bar. Their texts belong to the window.
class WindowMessages
{
public:
    static void about(QWidget *parent);
    // "no serialport", with why the port could not be opened (missing,
    // permission, in use) below it when that is known.
    static void noSerialPort(QWidget *parent, const QString &detail = QString());
    // Whether the user wants the options dialog to pick another port.
    static bool offlineAskForOptions(QWidget *parent);
    static void restartNeeded(QWidget *parent);
};
