#pragma once

#include <QTableView>

// The readings table. It draws its grid lines as filled one-pixel rows and
// columns instead of through the view's cosmetic pen: the pen lays every
// pixel of a line down one by one, which made the grid the dearest part of
// the table's repaint on every live reading. The lines land on exactly the
// pixels the view's own grid uses, in its colour. Its column header skips
// the repaint a selection change asks of it when it shows no selection.
// A layout after rows were appended repaints the new rows, not every cell:
// the view lays out after every live reading, and its own layout repaints
// the whole table each time. Laying out its scroll bars repaints them only
// when they moved: the scroll area restacks both bars on every layout,
// which repainted them on every live reading once both are shown.
class RecordTableView : public QTableView
{
public:
    explicit RecordTableView(QWidget *parent = nullptr);

    void doItemsLayout() override;
    void reset() override;

protected:
    bool event(QEvent *event) override;
    void updateGeometries() override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void paintEvent(QPaintEvent *event) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;

private:
    // What the cells on the screen depend on besides the rows' count: when
    // only rows were added since the last layout, only they are repainted.
    struct Layout
    {
        const QAbstractItemModel *model = nullptr;
        int rows = -1;
        int columns = -1;
        int columnsLength = -1;
        int rowsLength = -1;
        QSize viewport;
    };
    Layout currentLayout() const;

    Layout m_laidOut;
};
