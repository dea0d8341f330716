#include "app/NodeMenuCommands.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>

#include <exception>
#include <set>

#include "app/WorkspaceTrees.h"
#include "common/Globals.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/MenuPoint.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "views/Description.h"
#include "views/ui/frmDesc.h"

namespace app {

using services::NodeMenuItem;

namespace {

// The model and the connected items, kept on the main window.
class NodeMenuState : public QObject {
    Q_OBJECT
public:
    explicit NodeMenuState(QObject* parent) : QObject(parent) { setObjectName("qaNodeMenuState"); }
    services::NodeMenu model;
    std::set<NodeMenuItem> commands;
};

NodeMenuState& StateOf(platform::ui::IMainWindow& w) {
    QWidget* window = w.Window();
    if (auto* s = window->findChild<NodeMenuState*>("qaNodeMenuState", Qt::FindDirectChildrenOnly)) return *s;
    return *new NodeMenuState(window);
}

// The view commands whose windows come with later parts of the program:
// their items stay hidden until a command is connected to them.
bool AwaitsItsWindow(NodeMenuItem item) {
    switch (item) {
    case NodeMenuItem::FlowContext:
    case NodeMenuItem::ViewSource:
    case NodeMenuItem::CRUDSig:
    case NodeMenuItem::ProcDiagram:
    case NodeMenuItem::SFV:
    case NodeMenuItem::ScrnWebSvc: return true;
    default: return false;
    }
}

// The items whose commands change the workspace's web operations,
// services or processes. Define Messages only opens its editor, which
// refuses at its own stores.
bool ChangesWorkspace(NodeMenuItem item) {
    switch (item) {
    case NodeMenuItem::NewWebService:
    case NodeMenuItem::SetWebSvc:
    case NodeMenuItem::DeleteNode:
    case NodeMenuItem::Key: return true;
    default: return false;
    }
}

// "Set as &Web Operation" -> "Set as Web Operation", "&New Web Service..." -> "New Web Service".
std::string CommandName(NodeMenuItem item) {
    std::string name;
    for (const char* c = services::NodeMenu::Caption(item); *c; ++c)
        if (*c != '&' && *c != '.') name += *c;
    return name;
}

QAction* ActionOf(platform::ui::IMainWindow& w, NodeMenuItem item) {
    const QString name = services::NodeMenu::ObjectName(item);
    for (QAction* a : w.NodeMenu()->actions())
        if (a->objectName() == name) return a;
    return nullptr;
}

void Report(platform::ui::IMainWindow& w, const std::exception& e) {
    w.Message(e.what(), w.ApplicationTitle().toStdString(), common::Icon::Critical);
}

// Mouse releases on the Summary tree's viewport and key releases on the
// tree, as the tree's MouseUp and KeyUp.
class SummaryTreeEvents : public QObject {
public:
    // The viewport is kept from the start: while the tree is being destroyed
    // its events still arrive, and asking the tree for it then is undefined.
    SummaryTreeEvents(platform::ui::IMainWindow& w, QTreeWidget* tree)
        : QObject(tree), m_w(w), m_tree(tree), m_viewport(tree->viewport()) {
        m_viewport->installEventFilter(this);
        tree->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_viewport && event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            QTreeWidgetItem* node = m_tree->itemAt(mouse->position().toPoint());
            ShowSummaryNodeMenu(m_w, node, ButtonMask(mouse->button()), mouse->globalPosition().toPoint());
        } else if (watched == m_tree && event->type() == QEvent::KeyRelease) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (!key->isAutoRepeat() && services::IsContextMenuKey(KeyCode(key->key()), ShiftMask(key->modifiers()))) {
                const auto selected = m_tree->selectedItems();
                QTreeWidgetItem* node = selected.isEmpty() ? nullptr : selected.front();
                ShowSummaryNodeMenu(m_w, node, services::kRightButton, platform::ui::NodeMenuPoint(*m_tree, node));
            }
        }
        return false;
    }

private:
    static int ButtonMask(Qt::MouseButton b) {
        switch (b) {
        case Qt::LeftButton: return 1;
        case Qt::RightButton: return 2;
        case Qt::MiddleButton: return 4;
        default: return 0;
        }
    }
    static int KeyCode(int key) { return key == Qt::Key_F10 ? services::kKeyF10 : 0; }
    // Shift 1, Ctrl 2, Alt 4, as the tree's key events count them.
    static int ShiftMask(Qt::KeyboardModifiers m) {
        return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
    }

    platform::ui::IMainWindow& m_w;
    QTreeWidget* m_tree;
    QObject* m_viewport;
};

}  // namespace

services::NodeMenu& SharedNodeMenu(platform::ui::IMainWindow& w) { return StateOf(w).model; }

void SetNodeCommand(platform::ui::IMainWindow& w, NodeMenuItem item, std::function<void()> handler) {
    platform::ui::IMainWindow* main = &w;
    w.SetCommand(services::NodeMenu::ObjectName(item), [main, item, handler = std::move(handler)] {
        if (RefuseWhileViewOnly(*main, item)) return;
        try {
            if (handler) handler();
        } catch (const std::exception& e) {
            Report(*main, e);
        }
    });
    StateOf(w).commands.insert(item);
}

bool RefuseWhileViewOnly(platform::ui::IMainWindow& w, NodeMenuItem item) {
    return ChangesWorkspace(item) && Globals::RefuseWhileViewOnly(w, CommandName(item));
}

bool HasNodeCommand(platform::ui::IMainWindow& w, NodeMenuItem item) { return StateOf(w).commands.count(item) > 0; }

void ApplyNodeMenu(platform::ui::IMainWindow& w) {
    NodeMenuState& s = StateOf(w);
    for (NodeMenuItem item : services::NodeMenu::Items()) {
        QAction* action = ActionOf(w, item);
        if (!action) continue;
        const services::NodeMenuItemState& state = s.model[item];
        const bool separator = services::NodeMenu::IsSeparator(item);
        const bool waiting = AwaitsItsWindow(item) && s.commands.count(item) == 0;
        action->setVisible(state.visible && (separator || !waiting));
        if (separator) continue;
        w.SetControlEnabled(action, state.enabled);
        action->setProperty("Tag", QString::fromStdString(state.tag));
    }
}

std::string NodeMenuTag(platform::ui::IMainWindow& w, NodeMenuItem item) {
    QAction* action = ActionOf(w, item);
    return action ? action->property("Tag").toString().toStdString() : std::string();
}

bool PopUpNodeMenu(platform::ui::IMainWindow& w, const QPoint& globalPos) {
    QMenu* menu = w.NodeMenu();
    bool any = false;
    for (QAction* a : menu->actions())
        if (a->isVisible() && !a->isSeparator()) any = true;
    if (!any) return false;
    menu->popup(globalPos);
    return true;
}

bool ShowSummaryNodeMenu(platform::ui::IMainWindow& w, QTreeWidgetItem* node, int button, const QPoint& globalPos) {
    services::SummaryNodeRef ref;
    if (node) ref = {NodeKey(node), NodeText(node), NodeTag(node)};
    const bool popUp = services::ShowSummaryNodeMenu(SharedNodeMenu(w), node ? &ref : nullptr, button,
                                                     services::RepositoryLanguages(Globals::g_Workbench.get()));
    ApplyNodeMenu(w);
    return popUp && PopUpNodeMenu(w, globalPos);
}

void mnuNCDescription_Click(platform::ui::IMainWindow& w) {
    const std::string tag = NodeMenuTag(w, NodeMenuItem::Description);
    const auto fields = services::SplitTag(tag);
    if (!fields) return;
    if (views::ui::frmDesc* open = views::ui::FindDescriptionWindow(fields->second)) {
        views::ui::ReactivateDescription(*open);
        return;
    }
    if (!Globals::g_Database) return;
    // An entity that is no longer in Ents has nothing to describe.
    const auto target = views::FindDescriptionTarget(*Globals::g_Database, tag);
    if (!target) return;
    views::ui::OpenDescription(w.Window(), w, *target);
}

void mnuNCRefocus_Click(platform::ui::IMainWindow& w) {
    const std::string key = NodeMenuTag(w, NodeMenuItem::Refocus);
    if (key.empty()) return;
    QTreeWidget* tree = w.SummaryTree();
    QTreeWidgetItem* node = FindNode(*tree, key, true);
    if (!node) return;
    for (QTreeWidgetItem* p = node->parent(); p; p = p->parent()) p->setExpanded(true);
    tree->scrollToItem(node, QAbstractItemView::EnsureVisible);
}

void InstallNodeMenuCommands(platform::ui::IMainWindow& w) {
    platform::ui::IMainWindow* main = &w;
    SetNodeCommand(w, NodeMenuItem::Description, [main] { mnuNCDescription_Click(*main); });
    SetNodeCommand(w, NodeMenuItem::Refocus, [main] { mnuNCRefocus_Click(*main); });

    QTreeWidget* tree = w.SummaryTree();
    // Right clicks reach the tree itself instead of the docks' own menu.
    tree->setContextMenuPolicy(Qt::PreventContextMenu);
    if (!tree->findChild<QObject*>("qaSummaryTreeEvents", Qt::FindDirectChildrenOnly))
        (new SummaryTreeEvents(w, tree))->setObjectName("qaSummaryTreeEvents");
}

}  // namespace app

#include "NodeMenuCommands.moc"
