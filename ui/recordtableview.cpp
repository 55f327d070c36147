#include "ui/recordtableview.h"

#include <utility>

#include <QHeaderView>
#include <QItemSelection>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
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

// While alive, the scroll bars' containers take no repaint of their own:
// the scroll area restacks them (raise()) on every layout, and a restacked
// widget is repainted although the two never overlap. Afterwards, a
// container that moved, resized, appeared or vanished has its old and new
// places repainted.
class QuietScrollBars
{
public:
    explicit QuietScrollBars(QAbstractScrollArea *area)
        : m_area(area)
    {
        for (QScrollBar *bar : {area->horizontalScrollBar(), area->verticalScrollBar()}) {
            QWidget *container = bar ? bar->parentWidget() : nullptr;
            if (!container || container == area || container->testAttribute(Qt::WA_UpdatesDisabled))
                continue;
            container->setAttribute(Qt::WA_UpdatesDisabled, true);
            m_quiet.append({container, container->geometry(), container->isVisible()});
        }
    }

    ~QuietScrollBars()
    {
        for (const Quiet &q : m_quiet) {
            q.container->setAttribute(Qt::WA_UpdatesDisabled, false);
            if (q.container->geometry() == q.geometry && q.container->isVisible() == q.visible)
                continue;
            QRegion places;
            if (q.visible)
                places += q.geometry;
            if (q.container->isVisible())
                places += q.container->geometry();
            m_area->update(places);
        }
    }

private:
    struct Quiet
    {
        QWidget *container;
        QRect geometry;
        bool visible;
    };
    QAbstractScrollArea *m_area;
    QVector<Quiet> m_quiet;
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

RecordTableView::Layout RecordTableView::currentLayout() const
{
    Layout l;
    l.model = model();
    if (!l.model)
        return l;
    l.rows = l.model->rowCount(rootIndex());
    l.columns = l.model->columnCount(rootIndex());
    l.columnsLength = horizontalHeader()->length();
    l.rowsLength = verticalHeader()->length();
    l.viewport = viewport()->size();
    return l;
}

bool RecordTableView::event(QEvent *event)
{
    // The scroll area lays out its bars in a queued call after a range change.
    if (event->type() != QEvent::MetaCall)
        return QTableView::event(event);
    QuietScrollBars quiet(this);
    return QTableView::event(event);
}

void RecordTableView::updateGeometries()
{
    QuietScrollBars quiet(this);
    QTableView::updateGeometries();
}

void RecordTableView::reset()
{
    m_laidOut = Layout();
    QTableView::reset();
}

void RecordTableView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    // Rows anywhere but after the last move the rows below them.
    if (parent != rootIndex() || end != model()->rowCount(parent) - 1)
        m_laidOut = Layout();
    QTableView::rowsInserted(parent, start, end);
}

void RecordTableView::doItemsLayout()
{
    // The stock layout sets the scroll bars and then repaints every cell.
    // When rows were only appended since the last layout, the cells already
    // on the screen stay as they are (a scroll moves them by itself): only
    // the new rows are repainted.
    const Layout before = m_laidOut;
    const Layout now = currentLayout();
    const bool onlyAppended = before.model && before.model == now.model && now.rows > before.rows
                              && before.columns == now.columns && before.columnsLength == now.columnsLength
                              && before.viewport == now.viewport
                              && now.rowsLength - before.rowsLength
                                     == (now.rows - before.rows) * verticalHeader()->defaultSectionSize();
    if (!onlyAppended) {
        QTableView::doItemsLayout();
        m_laidOut = currentLayout();
        return;
    }
    const int horizontalBefore = horizontalHeader()->offset();
    const int verticalBefore = verticalHeader()->offset();
    updateGeometries();
    if (!verticalHeader()->updatesEnabled())
        verticalHeader()->setUpdatesEnabled(true);
    m_laidOut = currentLayout();
    if (horizontalHeader()->offset() != horizontalBefore || m_laidOut.viewport != now.viewport) {
        viewport()->update();
        return;
    }
    // Scrolled to the end, the last row stays at the bottom: the new rows
    // push the others up without a scroll of their own.
    if (verticalHeader()->offset() != verticalBefore)
        viewport()->scroll(0, verticalBefore - verticalHeader()->offset());
    const int top = qMax(0, rowViewportPosition(before.rows));
    if (top < viewport()->height())
        viewport()->update(QRect(0, top, viewport()->width(), viewport()->height() - top));
}

QRegion RecordTableView::visualRegionForSelection(const QItemSelection &selection) const
{
    // Whole rows across the viewport: the stock region leaves out a pixel
    // column right to left, which its full repaint after every layout hid.
    QRegion region;
    for (const QItemSelectionRange &range : selection) {
        if (!range.isValid() || range.parent() != rootIndex())
            continue;
        const int top = rowViewportPosition(range.top());
        const int bottom = rowViewportPosition(range.bottom()) + rowHeight(range.bottom());
        if (bottom > top)
            region += QRect(0, top, viewport()->width(), bottom - top);
    }
    return region;
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
