#pragma once
// Where a menu opened from the keyboard (Shift+F10) goes: at the node it
// is for, not at the mouse pointer, which may be anywhere.

#include <QPoint>

class QTreeWidget;
class QTreeWidgetItem;

namespace platform::ui {

// The node is scrolled into view; the point, in global coordinates, is the
// middle of its row, kept inside the tree's viewport. Without a node (a
// menu for the tree itself), the viewport's top-left corner.
QPoint NodeMenuPoint(QTreeWidget& tree, QTreeWidgetItem* node);

}  // namespace platform::ui
