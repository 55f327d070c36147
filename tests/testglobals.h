#pragma once

#include <QSize>
#include <QString>

class MainWindow;

// The program's process-wide objects for a test that runs the window:
// Options.ini and the runtime log live in `folder` (a temporary one), the
// settings start from the defaults. Set once per test, in initTestCase;
// they live until the test process ends, as in the program.
void setUpGlobals(const QString &folder);

// Each window opens systemlog.db through a history manager of its own:
// drop it after the window, so that the next one starts afresh.
void dropHistoryManager();

// A shown window on an empty history in `folder` (its systemlog.db removed).
MainWindow *openFreshWindow(const QString &folder, const QSize &size = QSize(1400, 800));

// Deletes the window and drops its history manager.
void closeWindow(MainWindow *&window);
