#include "ui/recordtable.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QTableView>

#include "device/storedpackage.h"
#include "ui/recordtablemodel.h"
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
{
    view->setVerticalHeader(new RowNumberHeader(view));
    view->setModel(m_model);
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

void RecordTable::appendLive(const TableRowTexts &row)
{
    m_model->appendRecordRow(row);
    m_view->setCurrentIndex(m_model->index(m_model->rowCount() - 1, 0));
}

void RecordTable::appendDownloaded(const QVector<DownloadedRecord> &records, const UnitChoice &units)
{
    QVector<TableRowTexts> rows;
    rows.reserve(records.size());
    for (const DownloadedRecord &r : records)
        rows.append(tableRowTexts(r.item, units, RowOrigin::Live));
    m_model->appendRecordRows(rows);
}

void RecordTable::appendRebuilt(const QList<PelnorXLogItem> &records, const UnitChoice &units)
{
    const int n = records.size();
    const int firstRow = m_model->rowCount();
    QVector<TableRowTexts> rows;
    rows.reserve(kRowsPerEventPass);
    for (int i = 0; i < n; ++i) {
        rows.append(tableRowTexts(records.at(i), units, RowOrigin::Rebuilt));
        if (rows.size() == kRowsPerEventPass || i == n - 1) {
            m_model->appendRecordRows(rows);
            rows.clear();
            QCoreApplication::processEvents();
        }
    }
    if (m_listener)
        m_listener->rowsRebuilt(records, firstRow);
}

void RecordTable::selectLastRow()
{
    const int rows = m_model->rowCount();
    if (rows > 0)
        m_view->setCurrentIndex(m_model->index(rows - 1, 0));
}
