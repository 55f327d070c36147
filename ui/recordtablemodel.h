#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

#include "model/valuetext.h"

// One table row: the cells' texts one after another, and where each ends.
struct RecordTableRow
{
    QString texts;
    quint16 ends[TableColumnCount] = {};
};
Q_DECLARE_TYPEINFO(RecordTableRow, Q_MOVABLE_TYPE);

// The record table's model: rows of seven centred, read-only texts, with
// the handful of QStandardItemModel operations the window uses (clear,
// horizontal header labels, append). A recording of a day holds 172,800
// rows; a QStandardItem per cell would cost some 300 MB for them, so each
// row keeps its texts in one string.
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

    // One row of centred text cells.
    void appendRecordRow(const TableRowTexts &texts);
    // Many rows with one insertion notice, so attached views react once.
    void appendRecordRows(const QVector<TableRowTexts> &rows);

    QString text(int row, int column) const;

private:
    Q_DISABLE_COPY(RecordTableModel)

    using Row = RecordTableRow;
    static Row packRow(const TableRowTexts &texts);
    void widenTo(int columns);

    QVector<Row> m_rows;
    QStringList m_headers;
    int m_columns = 0;
};
