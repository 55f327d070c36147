#include "ui/recordtablewindow.h"

#include "ui/recordtablemodel.h"

RecordTableWindow::RecordTableWindow(RecordTableModel *source, QObject *parent)
    : QAbstractTableModel(parent)
    , m_source(source)
{
    // The readings table only appends rows, adds columns, relabels them,
    // changes cells in place and is emptied as a whole.
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(source, &QAbstractItemModel::modelReset, this, [this] {
        m_first = 0;
        endResetModel();
    });
    connect(source, &QAbstractItemModel::rowsAboutToBeInserted, this, [this](const QModelIndex &, int from, int to) {
        beginInsertRows(QModelIndex(), from - m_first, to - m_first);
    });
    connect(source, &QAbstractItemModel::rowsInserted, this, [this] { endInsertRows(); });
    connect(source, &QAbstractItemModel::columnsAboutToBeInserted, this,
            [this](const QModelIndex &, int from, int to) { beginInsertColumns(QModelIndex(), from, to); });
    connect(source, &QAbstractItemModel::columnsInserted, this, [this] { endInsertColumns(); });
    connect(source, &QAbstractItemModel::headerDataChanged, this,
            [this](Qt::Orientation orientation, int from, int to) {
                if (orientation == Qt::Horizontal)
                    emit headerDataChanged(orientation, from, to);
                else if (to >= m_first)
                    emit headerDataChanged(orientation, qMax(0, from - m_first), to - m_first);
            });
    connect(source, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight, const QVector<int> &roles) {
                if (bottomRight.row() < m_first)
                    return;
                emit dataChanged(index(qMax(0, topLeft.row() - m_first), topLeft.column()),
                                 index(bottomRight.row() - m_first, bottomRight.column()), roles);
            });
}

void RecordTableWindow::setLiveRows(int rows, int slack)
{
    m_liveRows = qMax(1, rows);
    m_slack = qMax(1, slack);
}

QModelIndex RecordTableWindow::indexOfRow(int row, int column) const
{
    return row >= m_first ? index(row - m_first, column) : QModelIndex();
}

void RecordTableWindow::keepLiveRows()
{
    const int rows = rowCount();
    if (rows <= m_liveRows + m_slack)
        return;
    // An even number, so the rows keep their alternating colours.
    const int leaving = (rows - m_liveRows) & ~1;
    if (leaving <= 0)
        return;
    beginRemoveRows(QModelIndex(), 0, leaving - 1);
    m_first += leaving;
    endRemoveRows();
}

void RecordTableWindow::showAllRows()
{
    if (m_first == 0)
        return;
    beginInsertRows(QModelIndex(), 0, m_first - 1);
    m_first = 0;
    endInsertRows();
}

int RecordTableWindow::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_source->rowCount() - m_first;
}

int RecordTableWindow::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_source->columnCount();
}

QVariant RecordTableWindow::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    return m_source->data(m_source->index(index.row() + m_first, index.column()), role);
}

QVariant RecordTableWindow::headerData(int section, Qt::Orientation orientation, int role) const
{
    return m_source->headerData(orientation == Qt::Vertical ? section + m_first : section, orientation, role);
}

Qt::ItemFlags RecordTableWindow::flags(const QModelIndex &index) const
{
    return index.isValid() ? m_source->flags(m_source->index(index.row() + m_first, index.column()))
                           : Qt::NoItemFlags;
}
