#pragma once

#include <QTableView>

// The readings table. It draws its grid lines as filled one-pixel rows and
// columns instead of through the view's cosmetic pen: the pen lays every
// pixel of a line down one by one, which made the grid the dearest part of
// the table's repaint on every live reading. The lines land on exactly the
// pixels the view's own grid uses, in its colour. Its column header skips
// the repaint a selection change asks of it when it shows no selection.
class RecordTableView : public QTableView
{
public:
    explicit RecordTableView(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
