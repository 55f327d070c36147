#include "ui/runopener.h"

#include <memory>

#include <QCoreApplication>
#include <QMessageBox>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

#include "ui/historydialog.h"
#include "ui/instrumentcontroller.h"
#include "ui/mainwindow.h"
#include "ui/mainwindowform.h"
#include "ui/recordchart.h"
#include "ui/recordtable.h"

RunOpener::RunOpener(MainWindow &window)
    : m_window(window)
{
}

void RunOpener::chooseFromHistory()
{
    HistoryDialog dialog(m_window.unitChoice(), !m_window.m_recording, &m_window);
    dialog.exec();
    InstrumentController *controller = m_window.m_controller;
    const qint64 shown = controller->shownArchivedRun();
    if (shown > 0 && dialog.deletedRuns().contains(shown)) {
        controller->forgetShownRun();
        m_window.m_plot->clear();
        m_window.resetTableColumns();
        m_window.statusBar()->showMessage(
            QCoreApplication::translate("MainWindow", "The run shown was deleted from the history"));
    }
    if (dialog.choice() == HistoryDialog::Choice::None || !open(dialog.chosenRun()))
        return;
    if (dialog.choice() == HistoryDialog::Choice::Export)
        m_window.slotExportBar(false);
}

bool RunOpener::open(const RunArchive::Summary &run)
{
    if (m_window.m_recording)
        return false;
    // Read and shown inside the busy indicator's loop, which turns between
    // the table's blocks of rows, as in a rebuild after a unit change. (A
    // link status code may close the indicator before the loop gets here.)
    auto error = std::make_shared<QString>();
    MainWindow *window = &m_window;
    QTimer::singleShot(0, window, [window, run, error] {
        QList<PelnorXLogItem> *rows = window->m_controller->openRun(run.id, error.get());
        if (!rows) {
            window->closeLoading();
            return;
        }
        window->m_plot->clear();
        window->resetTableColumns();
        const UnitChoice units = window->unitChoice();
        // The chart's points are placed in the user's units here, so the
        // table is filled alone (a rebuild would re-express them again).
        window->m_plot->showReadings(*rows, runChartTimes(*rows, run), units);
        // The table is painted once, when all its rows are in: a repaint
        // per block would cost more than the rows themselves.
        window->ui->tv_Record->setUpdatesEnabled(false);
        window->m_table->appendRebuilt(*rows, units);
        window->ui->tv_Record->setUpdatesEnabled(true);
        delete rows;
        window->closeLoading();
    });
    m_window.showLoadingAtCentre();
    if (!error->isEmpty()) {
        QMessageBox::warning(&m_window, QCoreApplication::translate("MainWindow", "History"),
                             QCoreApplication::translate("MainWindow", "The run could not be opened: %1").arg(*error),
                             QMessageBox::Ok);
        return false;
    }
    m_window.m_table->selectLastRow();
    m_window.statusBar()->showMessage(shownRunMessage(run));
    return true;
}
