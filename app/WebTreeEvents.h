#pragma once
// The Web Operations and Web Services trees on the window side: their node
// menus (right click, Shift+F10), the Delete key, and dragging an operation
// onto the services tree. One object per main window watches both trees;
// its handlers are public so tests run them without a real mouse.

#include <QObject>
#include <QPoint>

#include <optional>
#include <string>

#include "app/WebTreeMenus.h"

class QMimeData;
class QTreeWidget;
class QTreeWidgetItem;

namespace platform::ui { class IMainWindow; }

namespace app {

class WebTreeEvents : public QObject {
    Q_OBJECT
public:
    explicit WebTreeEvents(platform::ui::IMainWindow& w);

    // Prepare the shared node menu for a node (none: nullptr) and a button
    // mask (1 left, 2 right, 4 middle); the right button pops it up at
    // globalPos. Return the preparation.
    WebMenuPreparation ShowWebOperationNodeMenu(QTreeWidgetItem* node, int button, const QPoint& globalPos);
    WebMenuPreparation ShowWebServiceNodeMenu(QTreeWidgetItem* node, int button, const QPoint& globalPos);

    // Key releases: Delete deletes the selected node by the Tag its own
    // menu preparation gives (never by a Tag an earlier menu left), reloads
    // both trees and selects the node's neighbour; Shift+F10 shows the
    // selected node's menu. keyCode 46 is Delete, 121 F10; shift: 1 Shift,
    // 2 Ctrl, 4 Alt.
    void trWebOperations_KeyUp(int keyCode, int shift);
    void trWebServices_KeyUp(int keyCode, int shift);

    // The data a drag of the selected operation carries: its Key as text.
    QMimeData* DragData() const;
    // A drop of data on the services tree over target (none: empty space).
    // Returns whether the drop was taken.
    bool DropOnServices(const QMimeData* data, QTreeWidgetItem* target);

    bool DragRunning() const { return m_dragRunning; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DeleteKey(QTreeWidget* tree, bool operations);
    bool OperationsMouse(QEvent* event);
    bool ServicesMouse(QEvent* event);
    bool ServicesDrag(QEvent* event);
    void StartDrag();
    // Runs a handler, reporting a database error instead of letting it
    // leave the event loop.
    template <class F> void Guarded(F&& f);

    platform::ui::IMainWindow& m_w;
    // Null once their tree is destroyed: the window deletes the trees one
    // by one, and the other tree's last events still pass this filter.
    QTreeWidget* m_operations;
    QTreeWidget* m_services;
    QWidget* m_operationsViewport;
    QWidget* m_servicesViewport;
    bool m_dragRunning = false;
    bool m_justExpanded = false;
    bool m_justCollapsed = false;
    QPoint m_pressPos;
};

// The node-menu form of a tree item (key, text, Tag, its root's key and Tag).
WebTreeNode WebTreeNodeOf(const QTreeWidgetItem* item);

// Connects the web trees' events and the web service commands; the object
// is found again by WebTreeEventsOf.
void InstallWebTrees(platform::ui::IMainWindow& w);
WebTreeEvents* WebTreeEventsOf(platform::ui::IMainWindow& w);

}  // namespace app
