#pragma once

class QWidget;

// The window's modal messages that ask or tell the user something beyond
// the status bar. Their texts belong to the window.
class WindowMessages
{
public:
    static void about(QWidget *parent);
    static void noSerialPort(QWidget *parent);
    // Whether the user wants the options dialog to pick another port.
    static bool offlineAskForOptions(QWidget *parent);
    static void restartNeeded(QWidget *parent);
};
