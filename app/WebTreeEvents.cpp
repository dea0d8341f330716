#include "app/WebTreeEvents.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTreeWidget>

#include <exception>

#include "app/NodeMenuCommands.h"
#include "app/WebServiceCommands.h"
#include "app/WebTreeDrop.h"
#include "app/WorkspaceTrees.h"
#include "common/Globals.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/MenuPoint.h"
#include "platform/workbench/WorkspaceGlobals.h"

namespace app {

namespace {

constexpr int kKeyDelete = 46;
constexpr const char* kEventsName = "qaWebTreeEvents";

int ButtonMask(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int KeyCode(int key) {
    if (key == Qt::Key_Delete) return kKeyDelete;
    if (key == Qt::Key_F10) return services::kKeyF10;
    return 0;
}

int ShiftMask(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

QTreeWidgetItem* Root(QTreeWidgetItem* item) {
    while (item && item->parent()) item = item->parent();
    return item;
}

QTreeWidgetItem* Selected(QTreeWidget* tree) {
    const auto selected = tree->selectedItems();
    return selected.isEmpty() ? nullptr : selected.front();
}

// The node to select once a node is deleted: its previous sibling, else
// its next sibling, else its parent.
QTreeWidgetItem* Neighbour(QTreeWidget* tree, QTreeWidgetItem* item) {
    QTreeWidgetItem* parent = item->parent();
    const int count = parent ? parent->childCount() : tree->topLevelItemCount();
    const int index = parent ? parent->indexOfChild(item) : tree->indexOfTopLevelItem(item);
    auto at = [&](int i) { return parent ? parent->child(i) : tree->topLevelItem(i); };
    if (index > 0) return at(index - 1);
    if (index + 1 < count) return at(index + 1);
    return parent;
}

}  // namespace

WebTreeNode WebTreeNodeOf(const QTreeWidgetItem* item) {
    QTreeWidgetItem* root = Root(const_cast<QTreeWidgetItem*>(item));
    return {NodeKey(item), NodeText(item), NodeTag(item), NodeKey(root), NodeTag(root)};
}

WebTreeEvents::WebTreeEvents(platform::ui::IMainWindow& w)
    : QObject(w.Window()), m_w(w), m_operations(w.WebOperationsTree()), m_services(w.WebServicesTree()),
      m_operationsViewport(m_operations->viewport()), m_servicesViewport(m_services->viewport()) {
    setObjectName(kEventsName);
    for (QTreeWidget* tree : {m_operations, m_services}) {
        // Right clicks belong to the node menu, not to the docks' own menu.
        tree->setContextMenuPolicy(Qt::PreventContextMenu);
        tree->installEventFilter(this);
        tree->viewport()->installEventFilter(this);
        connect(tree, &QObject::destroyed, this, [this] {
            m_operations = m_services = nullptr;
            m_operationsViewport = m_servicesViewport = nullptr;
        });
    }
    m_services->setAcceptDrops(true);
    m_services->viewport()->setAcceptDrops(true);
    connect(m_operations, &QTreeWidget::itemExpanded, this, [this] { m_justExpanded = true; });
    connect(m_operations, &QTreeWidget::itemCollapsed, this, [this] { m_justCollapsed = true; });
}

template <class F>
void WebTreeEvents::Guarded(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        m_w.Message(e.what(), m_w.ApplicationTitle().toStdString(), common::Icon::Critical);
    }
}

WebMenuPreparation WebTreeEvents::ShowWebOperationNodeMenu(QTreeWidgetItem* node, int button,
                                                           const QPoint& globalPos) {
    WebMenuPreparation prep;
    services::NodeMenu& menu = SharedNodeMenu(m_w);
    if (!Globals::g_Database) {
        // Nothing to look an entity up in: no menu, and no Tag left to delete by.
        menu.Reset();
        menu[services::NodeMenuItem::DeleteNode].tag.clear();
    } else {
        const WebTreeNode ref = WebTreeNodeOf(node);
        prep = app::ShowWebOperationNodeMenu(menu, *Globals::g_Database, node ? &ref : nullptr, button);
        if (node && prep.newNodeTag) node->setData(0, kNodeTagRole, QString::fromStdString(*prep.newNodeTag));
    }
    ApplyNodeMenu(m_w);
    if (prep.popup) PopUpNodeMenu(m_w, globalPos);
    return prep;
}

WebMenuPreparation WebTreeEvents::ShowWebServiceNodeMenu(QTreeWidgetItem* node, int button, const QPoint& globalPos) {
    const WebTreeNode ref = WebTreeNodeOf(node);
    const bool open = Globals::g_WorkspaceOpen && Globals::g_Database;
    WebMenuPreparation prep = app::ShowWebServiceNodeMenu(SharedNodeMenu(m_w), open, node ? &ref : nullptr, button);
    ApplyNodeMenu(m_w);
    if (prep.popup) PopUpNodeMenu(m_w, globalPos);
    return prep;
}

void WebTreeEvents::DeleteKey(QTreeWidget* tree, bool operations) {
    QTreeWidgetItem* node = Selected(tree);
    std::string neighbourKey;
    // Errors of the whole sequence are ignored: the trees show what the
    // reload made of them.
    try {
        const auto prep = operations ? ShowWebOperationNodeMenu(node, 1, {}) : ShowWebServiceNodeMenu(node, 1, {});
        if (node && !NodeKey(node).empty()) neighbourKey = NodeKey(Neighbour(tree, node));
        if (!prep.deleteTag || RefuseWhileViewOnly(m_w, services::NodeMenuItem::DeleteNode)) return;
        DeleteNodeCommand(m_w, *prep.deleteTag);
    } catch (...) {
        return;
    }
    QTreeWidgetItem* next = neighbourKey.empty() ? nullptr : FindNode(*tree, neighbourKey, false);
    if (next) {
        tree->setCurrentItem(next);
        next->setSelected(true);
    }
}

void WebTreeEvents::trWebOperations_KeyUp(int keyCode, int shift) {
    if (keyCode == kKeyDelete)
        DeleteKey(m_operations, true);
    else if (services::IsContextMenuKey(keyCode, shift))
        Guarded([&] {
            QTreeWidgetItem* node = Selected(m_operations);
            ShowWebOperationNodeMenu(node, services::kRightButton, platform::ui::NodeMenuPoint(*m_operations, node));
        });
}

void WebTreeEvents::trWebServices_KeyUp(int keyCode, int shift) {
    if (keyCode == kKeyDelete)
        DeleteKey(m_services, false);
    else if (services::IsContextMenuKey(keyCode, shift))
        Guarded([&] {
            QTreeWidgetItem* node = Selected(m_services);
            ShowWebServiceNodeMenu(node, services::kRightButton, platform::ui::NodeMenuPoint(*m_services, node));
        });
}

QMimeData* WebTreeEvents::DragData() const {
    QTreeWidgetItem* node = Selected(m_operations);
    if (!node) return nullptr;
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(NodeKey(node)));
    return data;
}

bool WebTreeEvents::DropOnServices(const QMimeData* data, QTreeWidgetItem* target) {
    if (!data || !data->hasText() || !Globals::g_Database) return false;
    const std::string key = data->text().toStdString();
    std::optional<DroppedOperation> source;
    if (QTreeWidgetItem* node = key.empty() ? nullptr : FindNode(*m_operations, key, false))
        source = DroppedOperation{key, node->data(0, kNodeImageRole).toString().toStdString()};
    // A drop adds the operation to a service, and may make the service.
    if (source && Globals::RefuseWhileViewOnly(m_w, "Adding a web operation to a web service")) return false;
    const WebTreeNode ref = WebTreeNodeOf(target);
    DropResult result = DropResult::Ignored;
    Guarded([&] {
        result = DropOperationOnServices(*Globals::g_Database, source, target ? &ref : nullptr, WebInputBox(m_w), m_w,
                                         m_w.ApplicationTitle().toStdString());
        if (result == DropResult::Reload) ReloadWebServicesTree(m_w);
    });
    return result != DropResult::Ignored;
}

void WebTreeEvents::StartDrag() {
    QMimeData* data = DragData();
    if (!data) return;
    auto* drag = new QDrag(m_operations);
    drag->setMimeData(data);
    m_dragRunning = true;
    drag->exec(Qt::CopyAction);
    m_dragRunning = false;
}

bool WebTreeEvents::OperationsMouse(QEvent* event) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint pos = mouse->position().toPoint();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_pressPos = pos;
        if (QTreeWidgetItem* node = m_operations->itemAt(pos)) m_operations->setCurrentItem(node);
        return false;
    case QEvent::MouseMove:
        // The move after a click that expanded or collapsed a node starts no drag.
        if (m_justExpanded || m_justCollapsed) {
            m_justExpanded = m_justCollapsed = false;
            return true;
        }
        if (!(mouse->buttons() & Qt::LeftButton)) return false;
        if (!m_dragRunning && Selected(m_operations) &&
            (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance())
            StartDrag();
        // A held left button drags; it never moves the selection.
        return true;
    case QEvent::MouseButtonRelease:
        Guarded([&] {
            ShowWebOperationNodeMenu(m_operations->itemAt(pos), ButtonMask(mouse->button()),
                                     mouse->globalPosition().toPoint());
        });
        return false;
    default:
        return false;
    }
}

bool WebTreeEvents::ServicesMouse(QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease) return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    QTreeWidgetItem* node = m_services->itemAt(mouse->position().toPoint());
    // A click on empty space shows the selected node's menu.
    if (!node) node = Selected(m_services);
    Guarded([&] { ShowWebServiceNodeMenu(node, ButtonMask(mouse->button()), mouse->globalPosition().toPoint()); });
    return false;
}

bool WebTreeEvents::ServicesDrag(QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!drag->mimeData()->hasText()) {
            drag->ignore();
            return true;
        }
        // The drop target shows as the selection.
        m_services->setFocus();
        if (QTreeWidgetItem* node = m_services->itemAt(drag->position().toPoint()))
            m_services->setCurrentItem(node);
        else
            m_services->clearSelection();
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QPoint pos = drop->position().toPoint();
        if (DropOnServices(drop->mimeData(), m_services->itemAt(pos))) {
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
        } else {
            drop->ignore();
        }
        return true;
    }
    case QEvent::DragLeave:
        return true;
    default:
        return false;
    }
}

bool WebTreeEvents::eventFilter(QObject* watched, QEvent* event) {
    // Pointers are compared, never followed, until both trees are known to live.
    if (!watched || !m_operations || !m_services) return false;
    if (watched == m_operationsViewport) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return OperationsMouse(event);
        default:
            return false;
        }
    }
    if (watched == m_servicesViewport) return ServicesMouse(event) || ServicesDrag(event);
    if ((watched == m_operations || watched == m_services) && event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat()) return false;
        const int code = KeyCode(key->key());
        const int shift = ShiftMask(key->modifiers());
        if (watched == m_operations)
            trWebOperations_KeyUp(code, shift);
        else
            trWebServices_KeyUp(code, shift);
    }
    return false;
}

void InstallWebTrees(platform::ui::IMainWindow& w) {
    if (!WebTreeEventsOf(w)) new WebTreeEvents(w);
    InstallWebServiceCommands(w);
}

WebTreeEvents* WebTreeEventsOf(platform::ui::IMainWindow& w) {
    return w.Window()->findChild<WebTreeEvents*>(kEventsName, Qt::FindDirectChildrenOnly);
}

}  // namespace app
