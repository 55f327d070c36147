#include "ui/livepanel.h"

#include <QLCDNumber>
#include <QLabel>
#include <QPixmap>
#include <QVector>

#include "device/realtimeframe.h"
#include "model/measurements.h"
#include "ui/devicetexts.h"
#include "ui/mainwindowform.h"
#include "ui/unitlabels.h"

namespace {

// The displays also carry their text as accessible name, so that screen
// readers (and tests) can read what a seven-segment display shows. A text
// longer than the display would lose its leading digits: the display grows
// instead (the largest values below should already make room).
void showText(QLCDNumber *display, const QString &text)
{
    const int needed = lcdDigitsFor(text);
    if (needed > display->digitCount())
        display->setDigitCount(needed);
    display->display(text);
    display->setAccessibleName(text);
}

// Every record the instrument can send at the ends of its ranges: speed
// 0 or 65.535 m/s, temperature -3276.8 or 3276.7 degC, area 65535 (no
// decimals) in either unit.
QVector<PelnorXLogItem> extremeRecords()
{
    QVector<PelnorXLogItem> out;
    for (double speed : {0.0, 65.535})
        for (double temperature : {-3276.8, 3276.7})
            for (bool squareFeet : {false, true})
                out << deriveMeasurements(speed, temperature, 65535.0, squareFeet);
    return out;
}

// Digits a display needs for its longest text over all extreme records and
// all units the panel can show, never fewer than the given count.
int digitsForLongest(int atLeast, QString PanelTexts::*text)
{
    int digits = atLeast;
    const QVector<PelnorXLogItem> records = extremeRecords();
    for (const PelnorXLogItem &record : records) {
        for (int wind = 0; wind <= 4; ++wind) {
            for (int flags = 0; flags < 8; ++flags) {
                PanelUnits units;
                units.wind = wind;
                units.areaInSquareFeet = flags & 1;
                units.volumeInCfm = flags & 2;
                units.temperatureInF = flags & 4;
                digits = qMax(digits, lcdDigitsFor(panelTexts(record, units).*text));
            }
        }
    }
    return digits;
}

const char kPanelStyle[] = "QWidget{color: white; background: rgb(24, 144, 235);}";
const char kLabelStyle[] = "QLabel{color: black;}";
const char kLcdStyle[] = "QLCDNumber{color: black;background: rgb(255, 255, 255);}";

} // namespace

int lcdDigitsFor(const QString &text)
{
    // A seven-segment display gives every character, the decimal point
    // included, a digit of its own.
    return text.size();
}

PanelDigits panelDigits()
{
    static const PanelDigits digits = [] {
        PanelDigits d;
        d.temperature = digitsForLongest(d.temperature, &PanelTexts::temperature);
        d.wind = digitsForLongest(d.wind, &PanelTexts::wind);
        d.area = digitsForLongest(d.area, &PanelTexts::area);
        d.volume = digitsForLongest(d.volume, &PanelTexts::volume);
        return d;
    }();
    return digits;
}

LivePanel::LivePanel(Ui::MainWindow *form)
    : ui(form)
{
    m_batteryImage.load(QStringLiteral(":/picture/battle/battle4.png"), "png");

    const PanelDigits digits = panelDigits();
    ui->numTemp->setDigitCount(digits.temperature);
    showText(ui->numTemp, QString::number(0.0, 'f', 1));
    ui->numWind->setDigitCount(digits.wind);
    showText(ui->numWind, QString::number(0.0, 'f', 3));
    ui->numArea->setDigitCount(digits.area);
    showText(ui->numArea, QString::number(0.0, 'f', 3));
    ui->numVolume->setDigitCount(digits.volume);
    showText(ui->numVolume, QString::number(0.0, 'f', 1));

    ui->wRealPanel->setStyleSheet(QLatin1String(kPanelStyle));
    for (QLabel *l : {ui->label, ui->lbBattle, ui->lbState, ui->unitArea, ui->unitTemp,
                      ui->unitVolume, ui->unitWind})
        l->setStyleSheet(QLatin1String(kLabelStyle));
    for (QLCDNumber *n : {ui->numArea, ui->numTemp, ui->numVolume, ui->numWind})
        n->setStyleSheet(QLatin1String(kLcdStyle));
}

void LivePanel::showReading(const RealtimeFrame &frame, const PelnorXLogItem &record)
{
    ui->lbState->setText(deviceStateText(frame.deviceState));
    // The panel follows the units the instrument itself shows.
    showTexts(panelTexts(record, panelUnitsOfFrame(frame)));
    showBattery(frame.batteryLevel);
}

void LivePanel::showDownloaded(const PelnorXLogItem *last, const UnitChoice &units)
{
    ui->lbState->setText(deviceStateText(0));
    if (last) {
        showTexts(panelTexts(*last, panelUnitsOfChoice(units)));
    } else {
        for (QLCDNumber *num : {ui->numArea, ui->numTemp, ui->numVolume, ui->numWind})
            showText(num, noReadingText());
    }
}

void LivePanel::showState(const QString &text)
{
    ui->lbState->setText(text);
}

void LivePanel::fitBattery()
{
    ui->lbBattle->setPixmap(QPixmap::fromImage(
        m_batteryImage.scaled(ui->lbBattle->size(), Qt::KeepAspectRatio, Qt::FastTransformation)));
}

void LivePanel::showTexts(const PanelTexts &texts)
{
    showText(ui->numArea, texts.area);
    ui->unitArea->setText(trMainWindow(texts.areaLabelSource));
    ui->unitVolume->setText(trMainWindow(texts.volumeLabelSource));
    showText(ui->numVolume, texts.volume);
    showText(ui->numTemp, texts.temperature);
    ui->unitTemp->setText(trMainWindow(texts.temperatureLabelSource));
    showText(ui->numWind, texts.wind);
    ui->unitWind->setText(texts.windLabel);
}

void LivePanel::showBattery(quint8 level)
{
    if (level == m_lastBatteryLevel)
        return;
    m_batteryImage.load(batteryPicturePath(level), "png");
    fitBattery();
    m_lastBatteryLevel = level;
}
