#include "ui/recordtableview.h"

#include <utility>

#include <QHeaderView>
#include <QItemSelection>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QStyleOptionViewItem>

namespace {

// The column header. A header that does not highlight the selected
// sections draws the same whatever is selected, yet the item view repaints
// the whole header on every selection change, which is every live reading.
class ColumnHeader : public QHeaderView
{
public:
    explicit ColumnHeader(QWidget *parent)
        : QHeaderView(Qt::Horizontal, parent)
    {
        // As the table view's own horizontal header.
        setSectionsClickable(true);
        setHighlightSections(true);
    }

protected:
    QRegion visualRegionForSelection(const QItemSelection &selection) const override
    {
        return highlightSections() ? QHeaderView::visualRegionForSelection(selection) : QRegion();
    }
};

} // namespace

RecordTableView::RecordTableView(QWidget *parent)
    : QTableView(parent)
{
    setHorizontalHeader(new ColumnHeader(this));
    // The view keeps its one-pixel gaps between cells (the grid stays
    // shown) but draws nothing into them; paintEvent fills them.
    setGridStyle(Qt::NoPen);
}

void RecordTableView::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    if (!showGrid() || !model())
        return;
    const QHeaderView *rows = verticalHeader();
    const QHeaderView *columns = horizontalHeader();
    if (rows->count() == 0 || columns->count() == 0)
        return;

    QStyleOptionViewItem option = viewOptions();
    const QColor color = QColor::fromRgba(QRgb(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    // The last pixel row and column the cells reach: lines stop there.
    // Right to left, columns run from the right edge and each line is on
    // a column's left side.
    const bool rightToLeft = isRightToLeft();
    const int cellsWidth = columns->length() - columns->offset();
    const int cellsBottom = rows->length() - rows->offset() - 1;

    QPainter painter(viewport());
    for (QRect area : event->region()) {
        area.setBottom(qMin(area.bottom(), cellsBottom));
        if (rightToLeft)
            area.setLeft(qMax(area.left(), viewport()->width() - cellsWidth));
        else
            area.setRight(qMin(area.right(), cellsWidth - 1));
        if (area.isEmpty())
            continue;
        const int top = rows->visualIndexAt(area.top());
        int bottom = rows->visualIndexAt(area.bottom());
        if (bottom == -1)
            bottom = rows->count() - 1;
        if (top == -1 || top > bottom)
            continue;
        int left = columns->visualIndexAt(area.left());
        int right = columns->visualIndexAt(area.right());
        if (rightToLeft)
            std::swap(left, right);
        if (left == -1)
            left = 0;
        if (right == -1)
            right = columns->count() - 1;
        for (int v = top; v <= bottom; ++v) {
            const int row = rows->logicalIndex(v);
            if (rows->isSectionHidden(row))
                continue;
            const int y = rowViewportPosition(row) + rowHeight(row) - 1;
            painter.fillRect(QRect(area.left(), y, area.width(), 1), color);
        }
        for (int h = left; h <= right; ++h) {
            const int column = columns->logicalIndex(h);
            if (columns->isSectionHidden(column))
                continue;
            const int x = columnViewportPosition(column) + (rightToLeft ? 0 : columnWidth(column) - 1);
            painter.fillRect(QRect(x, area.top(), 1, area.height()), color);
        }
    }
}
