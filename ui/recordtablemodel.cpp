#include "ui/recordtablemodel.h"

#include <limits>

RecordTableModel::RecordTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

int RecordTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int RecordTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QString RecordTableModel::text(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= TableColumnCount)
        return QString();
    const Row &r = m_rows.at(row);
    const int begin = column == 0 ? 0 : r.ends[column - 1];
    return r.texts.mid(begin, r.ends[column] - begin);
}

QVariant RecordTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= TableColumnCount)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    default:
        return QVariant();
    }
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && (role == Qt::DisplayRole || role == Qt::EditRole)
        && section >= 0 && section < m_headers.size()) {
        return m_headers.at(section);
    }
    // Rows are numbered from 1, unlabelled columns too.
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags RecordTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void RecordTableModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_rows.squeeze();
    m_headers.clear();
    m_columns = 0;
    endResetModel();
}

void RecordTableModel::widenTo(int columns)
{
    if (columns <= m_columns)
        return;
    beginInsertColumns(QModelIndex(), m_columns, columns - 1);
    m_columns = columns;
    endInsertColumns();
}

void RecordTableModel::setHorizontalHeaderLabels(const QStringList &labels)
{
    widenTo(labels.size());
    for (int i = 0; i < labels.size(); ++i) {
        if (i < m_headers.size())
            m_headers[i] = labels.at(i);
        else
            m_headers.append(labels.at(i));
    }
    if (!labels.isEmpty())
        emit headerDataChanged(Qt::Horizontal, 0, labels.size() - 1);
}

RecordTableModel::Row RecordTableModel::packRow(const TableRowTexts &texts)
{
    Row row;
    int length = 0;
    for (const QString &t : texts)
        length += t.size();
    row.texts.reserve(length);
    for (int c = 0; c < TableColumnCount; ++c) {
        // A cell is a few characters; anything past the offsets' range is cut.
        const int room = std::numeric_limits<quint16>::max() - row.texts.size();
        row.texts.append(texts[size_t(c)].left(room));
        row.ends[c] = quint16(row.texts.size());
    }
    return row;
}

void RecordTableModel::appendRecordRow(const TableRowTexts &texts)
{
    widenTo(TableColumnCount);
    const int at = m_rows.size();
    beginInsertRows(QModelIndex(), at, at);
    m_rows.append(packRow(texts));
    endInsertRows();
}

void RecordTableModel::appendRecordRows(const QVector<TableRowTexts> &rows)
{
    if (rows.isEmpty())
        return;
    widenTo(TableColumnCount);
    const int first = m_rows.size();
    beginInsertRows(QModelIndex(), first, first + rows.size() - 1);
    for (const TableRowTexts &texts : rows)
        m_rows.append(packRow(texts));
    endInsertRows();
}
