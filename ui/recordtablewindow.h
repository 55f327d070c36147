#pragma once

#include <QAbstractTableModel>

class RecordTableModel;

// What the table's view holds of the readings table: the rows from first()
// to the last. A view keeps a header section per row and re-adds up the
// positions of all of them after every appended row, which at a week of
// live readings (1.2 million rows) costs more than a millisecond on every
// reading. While a recording appends live rows (each one selected and
// scrolled to, so the view stays at the end), the window keeps the newest
// liveRows of them, dropping the oldest in steps of slack rows; anything
// else that fills the table, or scrolling to the window's top, shows every
// row again. Cells, row numbers and column labels are the full table's.
class RecordTableWindow : public QAbstractTableModel
{
    Q_OBJECT

public:
    // About seven hours of readings at two a second, dropped an hour and a
    // half at a time.
    static const int kLiveRows = 50000;
    static const int kLiveSlack = 10000;

    explicit RecordTableWindow(RecordTableModel *source, QObject *parent = nullptr);

    // For tests: a smaller window.
    void setLiveRows(int rows, int slack);

    RecordTableModel *source() const { return m_source; }
    int first() const { return m_first; }
    // Index of a row of the full table (invalid outside the window).
    QModelIndex indexOfRow(int row, int column = 0) const;

    // After a live row: the oldest rows beyond the live window leave it.
    void keepLiveRows();
    // Every row in the window again.
    void showAllRows();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    RecordTableModel *m_source;
    int m_first = 0;
    int m_liveRows = kLiveRows;
    int m_slack = kLiveSlack;
};
