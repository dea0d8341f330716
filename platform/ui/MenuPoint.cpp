#include "platform/ui/MenuPoint.h"

#include <QTreeWidget>

#include <algorithm>

namespace platform::ui {

QPoint NodeMenuPoint(QTreeWidget& tree, QTreeWidgetItem* node) {
    if (!node) return tree.viewport()->mapToGlobal(QPoint(0, 0));
    tree.scrollToItem(node);
    const QPoint centre = tree.visualItemRect(node).center();
    const QRect view = tree.viewport()->rect();
    return tree.viewport()->mapToGlobal(
        QPoint(std::clamp(centre.x(), view.left(), view.right()), std::clamp(centre.y(), view.top(), view.bottom())));
}

}  // namespace platform::ui
