#include "ui/rownumberheader.h"

RowNumberHeader::RowNumberHeader(QWidget *parent)
    : QHeaderView(Qt::Vertical, parent)
{
    // As the table view's own vertical header.
    setSectionsClickable(true);
    setHighlightSections(true);
}

QSize RowNumberHeader::sectionSizeFromContents(int logicalIndex) const
{
    const QString text = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    const auto known = m_sizes.constFind(text);
    if (known != m_sizes.constEnd())
        return *known;
    const QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    if (m_sizes.size() > 4096)
        m_sizes.clear();
    m_sizes.insert(text, size);
    return size;
}

void RowNumberHeader::changeEvent(QEvent *event)
{
    // A new font or style measures differently.
    m_sizes.clear();
    QHeaderView::changeEvent(event);
}
