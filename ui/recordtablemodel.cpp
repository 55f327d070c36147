#include "ui/recordtablemodel.h"

#include <limits>

namespace {

// Distinct unit choices a table can mix before rows fall back to texts;
// the window shows one choice at a time, a unit change makes it one again.
const int kMaxUnitSets = 256;

bool sameUnits(const UnitChoice &a, const UnitChoice &b)
{
    return a.temp == b.temp && a.wind == b.wind && a.area == b.area && a.volume == b.volume;
}

RecordTableRow packTexts(const TableRowTexts &texts)
{
    RecordTableRow row;
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

TableRowTexts unpackTexts(const RecordTableRow &row)
{
    TableRowTexts texts;
    int begin = 0;
    for (int c = 0; c < TableColumnCount; ++c) {
        texts[size_t(c)] = row.texts.mid(begin, row.ends[c] - begin);
        begin = row.ends[c];
    }
    return texts;
}

} // namespace

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

bool RecordTableModel::reading(int row, PelnorXLogItem *item) const
{
    if (row < 0 || row >= m_rows.size())
        return false;
    const CompactReading &r = m_rows.at(row);
    if (!(r.flags & CompactReading::Aside)) {
        *item = unpackReading(r);
        return true;
    }
    const auto aside = m_asideReadings.constFind(row);
    if (aside == m_asideReadings.constEnd())
        return false;
    *item = aside.value();
    return true;
}

TableRowTexts RecordTableModel::rowTexts(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return TableRowTexts();
    if (row == m_cachedRow)
        return m_cachedTexts;
    const CompactReading &r = m_rows.at(row);
    PelnorXLogItem item;
    if (reading(row, &item)) {
        m_cachedTexts = tableRowTexts(item, m_unitSets.at(r.unitSet),
                                      (r.flags & CompactReading::Rebuilt) ? RowOrigin::Rebuilt
                                                                           : RowOrigin::Live);
    } else {
        m_cachedTexts = unpackTexts(m_textRows.value(row));
    }
    m_cachedRow = row;
    return m_cachedTexts;
}

QString RecordTableModel::text(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= TableColumnCount)
        return QString();
    if (row != m_cachedRow)
        rowTexts(row);
    return m_cachedTexts[size_t(column)];
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
    m_asideReadings.clear();
    m_textRows.clear();
    m_unitSets.clear();
    m_headers.clear();
    m_columns = 0;
    forgetCachedRow();
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

quint8 RecordTableModel::unitSetOf(const UnitChoice &units)
{
    for (int i = m_unitSets.size() - 1; i >= 0; --i) {
        if (sameUnits(m_unitSets.at(i), units))
            return quint8(i);
    }
    if (m_unitSets.size() == kMaxUnitSets) {
        // Never in the window; the rows so far keep their texts and the
        // choices start afresh.
        for (int row = 0; row < m_rows.size(); ++row) {
            CompactReading &r = m_rows[row];
            if (!m_textRows.contains(row)) {
                m_textRows.insert(row, packTexts(rowTexts(row)));
                m_asideReadings.remove(row);
                r.flags |= CompactReading::Aside;
            }
        }
        forgetCachedRow();
        m_unitSets.clear();
    }
    m_unitSets.append(units);
    return quint8(m_unitSets.size() - 1);
}

void RecordTableModel::beginAppend(int count)
{
    widenTo(TableColumnCount);
    const int first = m_rows.size();
    beginInsertRows(QModelIndex(), first, first + count - 1);
    // Growth stays geometric however the rows come (one by one, or a
    // hundred at a time during a rebuild).
    if (m_rows.capacity() < first + count)
        m_rows.reserve(qMax(first + count, first + first / 2));
}

void RecordTableModel::pushReading(const PelnorXLogItem &item, quint8 unitSet, RowOrigin origin)
{
    CompactReading r;
    if (!packReading(item, &r)) {
        r = CompactReading();
        r.flags = CompactReading::Aside;
        m_asideReadings.insert(m_rows.size(), item);
    }
    r.unitSet = unitSet;
    if (origin == RowOrigin::Rebuilt)
        r.flags |= CompactReading::Rebuilt;
    m_rows.append(r);
}

void RecordTableModel::appendReading(const PelnorXLogItem &item, const UnitChoice &units, RowOrigin origin)
{
    appendReadings(1, [&item](int) -> const PelnorXLogItem & { return item; }, units, origin);
}

void RecordTableModel::appendRecordRow(const TableRowTexts &texts)
{
    appendRecordRows(QVector<TableRowTexts>{texts});
}

void RecordTableModel::appendRecordRows(const QVector<TableRowTexts> &rows)
{
    if (rows.isEmpty())
        return;
    beginAppend(rows.size());
    for (const TableRowTexts &texts : rows) {
        CompactReading r;
        r.flags = CompactReading::Aside;
        m_textRows.insert(m_rows.size(), packTexts(texts));
        m_rows.append(r);
    }
    endInsertRows();
}

void RecordTableModel::reexpress(const UnitChoice &units)
{
    m_unitSets = {units};
    for (CompactReading &r : m_rows) {
        r.unitSet = 0;
        r.flags |= CompactReading::Rebuilt;
    }
    forgetCachedRow();
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, 0), index(m_rows.size() - 1, m_columns - 1), {Qt::DisplayRole});
}
