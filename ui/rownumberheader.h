#pragma once

#include <QHash>
#include <QHeaderView>
#include <QSize>
#include <QString>

// The table's row-number header. Every appended row makes a header
// re-measure the text of its first and last hundred row numbers, each a
// font layout, on every live frame; a row number's text always measures
// the same, so each is measured once.
class RowNumberHeader : public QHeaderView
{
public:
    explicit RowNumberHeader(QWidget *parent);

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override;
    void changeEvent(QEvent *event) override;

private:
    mutable QHash<QString, QSize> m_sizes;
};
