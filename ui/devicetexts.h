#pragma once

#include <QString>
#include <QtGlobal>

// What the live panel shows of the instrument's state byte and battery
// level of a realtime frame.

// "Normal", "No Wheel" or "Unknown" (source text, context "MainWindow").
const char *deviceStateSource(quint8 deviceState);
QString deviceStateText(quint8 deviceState); // translated

// ":/picture/battle/battle0.png" ... "battle4.png", "empty.png" above 4.
QString batteryPicturePath(quint8 batteryLevel);

// The status bar's text for a link status code (source text, context
// "MainWindow"); none for "offline", which the window answers otherwise.
const char *commuStatusSource(int code);
