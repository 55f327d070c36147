#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <QVector>

#include "model/compactreading.h"
#include "model/valuetext.h"

// One table row given as finished texts: the cells' texts one after
// another, and where each ends.
struct RecordTableRow
{
    QString texts;
    quint16 ends[TableColumnCount] = {};
};
Q_DECLARE_TYPEINFO(RecordTableRow, Q_MOVABLE_TYPE);

// The record table's model: rows of seven centred, read-only texts, with
// the handful of QStandardItemModel operations the window uses (clear,
// horizontal header labels, append). A row keeps its reading, not its
// texts: the three base quantities, the device state, the clock time, the
// units it is shown in and whether it is a live or a rebuilt row (the texts
// differ, see tableRowTexts). A cell's text is made when it is asked for.
// So a week of readings (1.2 million rows) holds some 40 MB, and a unit
// change re-expresses the very readings shown without reading them back.
class RecordTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit RecordTableModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // As QStandardItemModel: clear() drops rows, columns and labels;
    // labels add columns where there are fewer; rows add columns too.
    void clear();
    void setHorizontalHeaderLabels(const QStringList &labels);

    // One row of a reading in these units; Live rows are those of a
    // realtime frame or a download, Rebuilt rows those read back.
    void appendReading(const PelnorXLogItem &item, const UnitChoice &units, RowOrigin origin);
    // count readings, reading(i) giving the i-th, with one insertion notice.
    template <typename ReadingAt>
    void appendReadings(int count, ReadingAt reading, const UnitChoice &units, RowOrigin origin);

    // Rows of finished texts (kept as they are; a unit change leaves them).
    void appendRecordRow(const TableRowTexts &texts);
    void appendRecordRows(const QVector<TableRowTexts> &rows);

    QString text(int row, int column) const;
    TableRowTexts rowTexts(int row) const;
    // The row's reading, every unit derived; false for a row of texts.
    bool reading(int row, PelnorXLogItem *item) const;

    // Every reading shown again in these units, as rows read back from the
    // history are shown; rows of texts stay as they are.
    void reexpress(const UnitChoice &units);

private:
    Q_DISABLE_COPY(RecordTableModel)

    void widenTo(int columns);
    quint8 unitSetOf(const UnitChoice &units);
    void pushReading(const PelnorXLogItem &item, quint8 unitSet, RowOrigin origin);
    void beginAppend(int count);
    void forgetCachedRow() const { m_cachedRow = -1; }

    QVector<CompactReading> m_rows;
    // Rows whose reading does not pack, whole; rows of texts, as texts.
    QHash<int, PelnorXLogItem> m_asideReadings;
    QHash<int, RecordTableRow> m_textRows;
    QVector<UnitChoice> m_unitSets;
    QStringList m_headers;
    int m_columns = 0;

    // A view and an export ask for a row's cells one after another.
    mutable int m_cachedRow = -1;
    mutable TableRowTexts m_cachedTexts;
};

template <typename ReadingAt>
void RecordTableModel::appendReadings(int count, ReadingAt reading, const UnitChoice &units,
                                      RowOrigin origin)
{
    if (count <= 0)
        return;
    const quint8 unitSet = unitSetOf(units);
    beginAppend(count);
    for (int i = 0; i < count; ++i)
        pushReading(reading(i), unitSet, origin);
    endInsertRows();
}
