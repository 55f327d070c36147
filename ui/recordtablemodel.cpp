#include "ui/recordtablemodel.h"

#include <QSignalBlocker>

namespace {
QList<QStandardItem *> makeItems(const TableRowTexts &texts)
{
    QList<QStandardItem *> items;
    items.reserve(TableColumnCount);
    for (const QString &text : texts) {
        auto *item = new QStandardItem(text);
        item->setTextAlignment(Qt::AlignCenter);
        items.append(item);
    }
    return items;
}
} // namespace

RecordTableModel::RecordTableModel(QObject *parent)
    : QStandardItemModel(parent)
{
}

void RecordTableModel::appendRecordRow(const TableRowTexts &texts)
{
    appendRow(makeItems(texts));
}

void RecordTableModel::appendRecordRows(const QVector<TableRowTexts> &rows)
{
    if (rows.isEmpty())
        return;
    const int first = rowCount();
    // One insertion notice for the whole block; the per-row notices of
    // appendRow() are held back while the rows go in at the end.
    beginInsertRows(QModelIndex(), first, first + rows.size() - 1);
    {
        const QSignalBlocker blocker(this);
        for (const TableRowTexts &texts : rows)
            appendRow(makeItems(texts));
    }
    endInsertRows();
}
