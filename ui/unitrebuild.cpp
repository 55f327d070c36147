#include "ui/unitrebuild.h"

#include <QCoreApplication>

#include "ui/mainwindow.h"
#include "ui/readingstats.h"
#include "ui/recordchart.h"
#include "ui/recordtable.h"
#include "ui/recordtablemodel.h"

namespace {

// Up to this many rows a unit change re-expresses the table at once; above
// it the work runs inside the busy indicator's modal loop.
const int kDirectRebuildLimit = 1000;
// Readings re-expressed between two turns of the event loop.
const int kRowsPerEventPass = 20000;

} // namespace

UnitRebuild::UnitRebuild(MainWindow &window)
    : m_window(window)
{
}

void UnitRebuild::run()
{
    // The table and the chart are re-expressed from the readings they show,
    // not read back from the history: what the history holds may differ
    // (readings it could not store, an older recording it could not empty).
    // The loader stays connected to onLoadFinished for whoever reads a
    // record set back.
    m_window.updateAxes();
    m_window.m_stats->show();
    const int rows = m_window.m_model->rowCount();
    if (rows == 0)
        return;
    if (rows > kDirectRebuildLimit) {
        QMetaObject::invokeMethod(
            &m_window,
            [this] {
                reexpress(true);
                m_window.closeLoading();
            },
            Qt::QueuedConnection);
        m_window.showLoadingAtCentre();
    } else {
        reexpress(false);
    }
}

void UnitRebuild::reexpress(bool turns)
{
    const UnitChoice units = m_window.unitChoice();
    RecordTableModel *model = m_window.m_model;
    m_window.m_plot->convert(
        model->rowCount(),
        [model, turns](int row, PelnorXLogItem *item) {
            // Behind the busy indicator the event loop gets a turn now
            // and then, so the indicator keeps turning.
            if (turns && row % kRowsPerEventPass == kRowsPerEventPass - 1)
                QCoreApplication::processEvents();
            return model->reading(row, item);
        },
        units);
    m_window.m_table->reexpress(units, m_window.headerLabels());
}
