#include "ui/livepanel.h"

#include <QLCDNumber>
#include <QLabel>
#include <QPixmap>

#include "device/realtimeframe.h"
#include "ui/devicetexts.h"
#include "ui/mainwindowform.h"
#include "ui/unitlabels.h"

namespace {

// The displays also carry their text as accessible name, so that screen
// readers (and tests) can read what a seven-segment display shows.
void showText(QLCDNumber *display, const QString &text)
{
    display->display(text);
    display->setAccessibleName(text);
}

const char kPanelStyle[] = "QWidget{color: white; background: rgb(24, 144, 235);}";
const char kLabelStyle[] = "QLabel{color: black;}";
const char kLcdStyle[] = "QLCDNumber{color: black;background: rgb(255, 255, 255);}";

} // namespace

LivePanel::LivePanel(Ui::MainWindow *form)
    : ui(form)
{
    m_batteryImage.load(QStringLiteral(":/picture/battle/battle4.png"), "png");

    ui->numTemp->setDigitCount(8);
    showText(ui->numTemp, QString::number(0.0, 'f', 1));
    ui->numWind->setDigitCount(8);
    showText(ui->numWind, QString::number(0.0, 'f', 3));
    ui->numArea->setDigitCount(13);
    showText(ui->numArea, QString::number(0.0, 'f', 3));
    ui->numVolume->setDigitCount(13);
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
