#pragma once

#include <QString>
#include <QStringList>

#include "model/valuetext.h"

// The window's translation of the value texts' source texts, all in the
// context "MainWindow".
QString trMainWindow(const char *source);

// The table's header labels in the user's units, translated.
QStringList headerLabels(const UnitChoice &units);

// The user's unit choice as the settings hold it now.
UnitChoice userUnits();
