#include "ui/recordtable.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

#include "device/storedpackage.h"
#include "ui/recordtablemodel.h"
#include "ui/recordtablewindow.h"
#include "ui/rownumberheader.h"

namespace {

const int kColumnWidths[TableColumnCount] = {90, 70, 100, 80, 80, 120, 95};

// A rebuild hands the event loop a turn after this many rows, so the busy
// indicator keeps turning and queued signals are handled.
const int kRowsPerEventPass = 100;

const char kTableStyle[] =
    "QTableView QTableCornerButton::section {background-color: rgb(24, 144, 235);}"
    "QHeaderView::section {   color: white;   background-color: rgb(24, 144, 235);} "
    "QHeaderView {   background-color: rgb(24, 144, 235);}"
    "QScrollBar:vertical {   background-color: rgb(24, 144, 235);}"
    "QScrollBar:horizontal {   background-color: rgb(24, 144, 235);}";

} // namespace

RecordTable::RecordTable(QTableView *view, const QStringList &headers)
    : m_view(view)
    , m_model(new RecordTableModel(view))
    , m_window(new RecordTableWindow(m_model, view))
{
    view->setVerticalHeader(new RowNumberHeader(view));
    view->setModel(m_window);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setAlternatingRowColors(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Row heights fixed: sizing rows to their contents costs seconds per
    // appended row once a recording holds tens of thousands.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setHeaders(headers);
    view->setStyleSheet(QLatin1String(kTableStyle));
}

void RecordTable::reset(const QStringList &headers)
{
    m_model->clear();
    setHeaders(headers);
    if (m_listener)
        m_listener->rowsCleared();
}

void RecordTable::setHeaders(const QStringList &headers)
{
    m_model->setHorizontalHeaderLabels(headers);
    for (int c = 0; c < TableColumnCount; ++c)
        m_view->setColumnWidth(c, kColumnWidths[c]);
}

void RecordTable::appendLive(const PelnorXLogItem &record, const UnitChoice &units)
{
    m_model->appendReading(record, units, RowOrigin::Live);
    m_window->keepLiveRows();
    m_view->setCurrentIndex(m_window->indexOfRow(m_model->rowCount() - 1));
}

void RecordTable::appendDownloaded(const QVector<DownloadedRecord> &records, const UnitChoice &units)
{
    showAllRows();
    // Downloaded rows read like live ones; only their date and time are blank.
    m_model->appendReadings(
        records.size(), [&records](int i) -> const PelnorXLogItem & { return records.at(i).item; }, units,
        RowOrigin::Live);
}

namespace {

template <typename List>
void appendInSlices(RecordTableModel *model, const List &records, const UnitChoice &units)
{
    const int n = records.size();
    for (int first = 0; first < n; first += kRowsPerEventPass) {
        const int count = qMin(kRowsPerEventPass, n - first);
        model->appendReadings(
            count, [&records, first](int i) -> const PelnorXLogItem & { return records.at(first + i); }, units,
            RowOrigin::Rebuilt);
        QCoreApplication::processEvents();
    }
}

} // namespace

void RecordTable::appendRebuilt(const QList<PelnorXLogItem> &records, const UnitChoice &units)
{
    showAllRows();
    const int firstRow = m_model->rowCount();
    appendInSlices(m_model, records, units);
    if (m_listener)
        m_listener->rowsRebuilt(records, firstRow);
}

void RecordTable::reexpress(const UnitChoice &units, const QStringList &headers)
{
    m_model->reexpress(units);
    setHeaders(headers);
    selectLastRow();
}

void RecordTable::selectLastRow()
{
    const int rows = m_model->rowCount();
    if (rows > 0)
        m_view->setCurrentIndex(m_window->indexOfRow(rows - 1));
}

void RecordTable::showAllRows()
{
    // The rows come back above those shown, which stay where they are.
    const int shift = m_window->first();
    if (shift == 0)
        return;
    const QScrollBar *bar = m_view->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    const int top = m_view->rowAt(0);
    m_window->showAllRows();
    // Laid out now, so the scroll range holds every row.
    m_view->doItemsLayout();
    if (atEnd)
        m_view->scrollToBottom();
    else if (top >= 0)
        m_view->scrollTo(m_window->index(top + shift, 0), QAbstractItemView::PositionAtTop);
}
