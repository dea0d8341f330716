#pragma once
// A list column of right-aligned numbers whose text ends two digits' width
// short of the column's edge, so a number never runs into the text that
// starts the next column, whatever the font. The cell's background and
// selection still fill the whole cell.

#include <QStyledItemDelegate>

namespace reports::ui {

class NumberGapDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace reports::ui
