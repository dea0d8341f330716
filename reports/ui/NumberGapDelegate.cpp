#include "reports/ui/NumberGapDelegate.h"

#include <QApplication>
#include <QPainter>

namespace reports::ui {

namespace {

int Gap(const QStyleOptionViewItem& option) { return option.fontMetrics.horizontalAdvance(QStringLiteral("00")); }

}  // namespace

void NumberGapDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QWidget* view = cell.widget;
    QStyle* style = view ? view->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, painter, view);
    cell.rect.setRight(cell.rect.right() - Gap(cell));
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, view);
}

QSize NumberGapDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return QStyledItemDelegate::sizeHint(option, index) + QSize(Gap(option), 0);
}

}  // namespace reports::ui
