#pragma once

#include <QStandardItemModel>
#include <QVector>

#include "model/valuetext.h"

// The record table's model: a plain QStandardItemModel that can also take
// many rows at once. Appending a download or a rebuilt table row by row
// makes every attached view react to every single row; a bulk append
// tells them once.
class RecordTableModel : public QStandardItemModel
{
    Q_OBJECT

public:
    explicit RecordTableModel(QObject *parent = nullptr);

    // One row of centred text cells.
    void appendRecordRow(const TableRowTexts &texts);
    void appendRecordRows(const QVector<TableRowTexts> &rows);

private:
    Q_DISABLE_COPY(RecordTableModel)
};
