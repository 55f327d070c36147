#pragma once

#include <QList>
#include <QStringList>
#include <QVector>

#include "model/pelnorxlogitem.h"
#include "model/valuetext.h"

struct DownloadedRecord;
class QTableView;
class RecordTableModel;
class RecordTableWindow;

// Told when the table's rows are emptied and when rows read back from the
// history enter, whichever path fills the table.
class RecordTableListener
{
public:
    virtual ~RecordTableListener() = default;
    virtual void rowsCleared() = 0;
    // records became rows firstRow onwards.
    virtual void rowsRebuilt(const QList<PelnorXLogItem> &records, int firstRow) = 0;
};

// The record table: one row per reading in the user's units, with fixed
// column widths and row heights, the last row selected as rows arrive.
class RecordTable
{
public:
    RecordTable(QTableView *view, const QStringList &headers);

    RecordTableModel *model() const { return m_model; }
    // The rows the view holds (all of them but during a long recording).
    RecordTableWindow *window() const { return m_window; }

    // No rows; these headers, the columns at their widths.
    void reset(const QStringList &headers);
    void setHeaders(const QStringList &headers);
    // A live reading's row, made current.
    void appendLive(const PelnorXLogItem &record, const UnitChoice &units);
    void appendDownloaded(const QVector<DownloadedRecord> &records, const UnitChoice &units);
    // Rows read back from the history, a hundred at a time with a turn of
    // the event loop in between.
    void appendRebuilt(const QList<PelnorXLogItem> &records, const UnitChoice &units);
    // The readings shown, in new units and with these headers, shown as rows
    // read back from the history; the last row made current.
    void reexpress(const UnitChoice &units, const QStringList &headers);
    void selectLastRow();
    // Every row in the view again (a recording ended).
    void showAllRows();
    void setListener(RecordTableListener *listener) { m_listener = listener; }

private:
    QTableView *m_view = nullptr;
    RecordTableModel *m_model = nullptr;
    RecordTableWindow *m_window = nullptr;
    RecordTableListener *m_listener = nullptr;
};
