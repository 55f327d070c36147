#pragma once

#include "storage/runarchive.h"

class MainWindow;

// A run of the history shown in the chart and the table: the History
// window, a shown run deleted there, and the reading of the chosen one
// behind the busy indicator. Part of MainWindow.
class RunOpener
{
public:
    explicit RunOpener(MainWindow &window);

    // The History window, then what the user chose there.
    void chooseFromHistory();
    // False, after telling the user why, when the run could not be read.
    bool open(const RunArchive::Summary &run);

private:
    MainWindow &m_window;
};
