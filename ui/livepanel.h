#pragma once

#include <QImage>
#include <QString>
#include <QtGlobal>

#include "model/pelnorxlogitem.h"
#include "model/valuetext.h"

struct RealtimeFrame;

namespace Ui {
class MainWindow;
}

// Digit counts of the four displays: room for the longest text each can
// get from any reading the instrument can send, in any unit it shows (at
// least the counts the panel always had: 8, 8, 13, 13).
struct PanelDigits
{
    int temperature = 8;
    int wind = 8;
    int area = 13;
    int volume = 13;
};
PanelDigits panelDigits();
// Digits a seven-segment display needs to show text whole.
int lcdDigitsFor(const QString &text);

// The panel beside the chart: four seven-segment displays with their unit
// labels, the instrument's state and its battery picture. It shows the
// units the instrument itself shows for a live reading, the user's units
// after a download.
class LivePanel
{
public:
    // Styles the form's panel widgets and shows zeros and a full battery.
    explicit LivePanel(Ui::MainWindow *form);

    void showReading(const RealtimeFrame &frame, const PelnorXLogItem &record);
    // The last downloaded record, or no reading when there was none.
    void showDownloaded(const PelnorXLogItem *last, const UnitChoice &units);
    void showState(const QString &text);
    // The battery picture scaled to its label's new size.
    void fitBattery();

private:
    void showTexts(const PanelTexts &texts);
    void showBattery(quint8 level);

    Ui::MainWindow *ui = nullptr;
    quint8 m_lastBatteryLevel = 4;
    QImage m_batteryImage;
};
