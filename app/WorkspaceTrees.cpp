#include "app/WorkspaceTrees.h"

#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <functional>
#include <memory>
#include <vector>

#include "common/Globals.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/QtText.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "services/WebOperations.h"
#include "services/WebServices.h"

namespace app {

namespace {

using platform::ui::Q;

// A filled tree's nodes and pictures, shared by its items.
struct ShownNodes {
    common::Tree model;
    platform::ui::ImageList images;
};

// An item that reads what it shows from its node when asked instead of
// holding copies: a Summary tree of a hundred thousand nodes fills in a
// fraction of the time and memory. What is set on the item later (a web
// node's new Tag after a drop) goes before the node's own value.
class NodeItem final : public QTreeWidgetItem {
public:
    NodeItem(std::shared_ptr<const ShownNodes> shown, size_t position)
        : m_shown(std::move(shown)), m_position(position) {}

    QVariant data(int column, int role) const override {
        QVariant own = QTreeWidgetItem::data(column, role);
        if (own.isValid() || column != 0) return own;
        return platform::ui::NodeData(m_shown->model.Nodes()[m_position], role == Qt::EditRole ? Qt::DisplayRole : role,
                                      &m_shown->images);
    }

private:
    std::shared_ptr<const ShownNodes> m_shown;
    size_t m_position;
};

void ForEachNode(const QTreeWidget& tree, const std::function<void(QTreeWidgetItem*, int)>& visit) {
    std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* item, int depth) {
        visit(item, depth);
        for (int i = 0; i < item->childCount(); ++i) walk(item->child(i), depth + 1);
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i) walk(tree.topLevelItem(i), 0);
}

}  // namespace

std::string NodeKey(const QTreeWidgetItem* item) {
    return item ? item->data(0, kNodeKeyRole).toString().toStdString() : std::string();
}

std::string NodeTag(const QTreeWidgetItem* item) {
    return item ? item->data(0, kNodeTagRole).toString().toStdString() : std::string();
}

std::string NodeText(const QTreeWidgetItem* item) { return item ? item->text(0).toStdString() : std::string(); }

QTreeWidgetItem* FindNode(QTreeWidget& tree, const std::string& key, bool ignoreCase) {
    const QString wanted = Q(key);
    const Qt::CaseSensitivity cs = ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    QTreeWidgetItem* found = nullptr;
    ForEachNode(tree, [&](QTreeWidgetItem* item, int) {
        if (!found && item->data(0, kNodeKeyRole).toString().compare(wanted, cs) == 0) found = item;
    });
    return found;
}

void ShowTree(QTreeWidget& tree, common::Tree model, const platform::ui::ImageList& images) {
    struct Frozen {
        QTreeWidget& tree;
        explicit Frozen(QTreeWidget& t) : tree(t) { tree.setUpdatesEnabled(false); }
        ~Frozen() { tree.setUpdatesEnabled(true); }
    } frozen(tree);
    tree.clear();
    auto shown = std::make_shared<const ShownNodes>(ShownNodes{std::move(model), images});
    const std::vector<common::TreeNode>& nodes = shown->model.Nodes();
    // The model keeps parents before children, so a parent's item is always
    // there; children come in runs under one parent, whose lookup is kept.
    std::vector<QTreeWidgetItem*> items(nodes.size(), nullptr);
    QList<QTreeWidgetItem*> topLevel;
    std::vector<QTreeWidgetItem*> expanded;
    const std::string* lastParentKey = nullptr;
    QTreeWidgetItem* lastParent = nullptr;
    for (size_t i = 0; i < nodes.size(); ++i) {
        const common::TreeNode& n = nodes[i];
        auto* item = new NodeItem(shown, i);
        // Items are linked while none is in the tree yet, so the tree
        // announces one insertion instead of one per node.
        if (n.parentKey.empty()) {
            topLevel.append(item);
        } else {
            if (!lastParentKey || *lastParentKey != n.parentKey) {
                lastParent = items[shown->model.IndexOf(n.parentKey)];
                lastParentKey = &n.parentKey;
            }
            lastParent->addChild(item);
        }
        items[i] = item;
        if (n.expanded) expanded.push_back(item);
    }
    tree.addTopLevelItems(topLevel);
    // An item expands only once it is in the tree.
    for (QTreeWidgetItem* item : expanded) item->setExpanded(true);
}

void ReloadWebOperationsTree(platform::ui::IMainWindow& w) {
    common::Tree model;
    if (Globals::g_Database) Globals::LoadWebOperationsTree(model, *Globals::g_Database);
    ShowTree(*w.WebOperationsTree(), std::move(model), w.WebTreeImages());
}

void ReloadWebServicesTree(platform::ui::IMainWindow& w) {
    common::Tree model;
    if (Globals::g_Database) Globals::LoadWebServicesTree(model, *Globals::g_Database);
    ShowTree(*w.WebServicesTree(), std::move(model), w.WebTreeImages());
}

void ReloadWebTrees(platform::ui::IMainWindow& w) {
    ReloadWebOperationsTree(w);
    ReloadWebServicesTree(w);
}

void ClearWorkspaceTrees(platform::ui::IMainWindow& w) {
    for (QTreeWidget* tree : {w.SummaryTree(), w.WebOperationsTree(), w.WebServicesTree()}) tree->clear();
}

QStringList DescribeTree(const QTreeWidget& tree) {
    QStringList lines;
    ForEachNode(tree, [&](QTreeWidgetItem* item, int depth) {
        lines << QString(depth * 2, ' ') + item->text(0) + " | " + item->data(0, kNodeKeyRole).toString() + " | " +
                     item->data(0, kNodeTagRole).toString() + " | " + item->data(0, kNodeImageRole).toString() +
                     (item->isExpanded() ? " | expanded" : "");
    });
    return lines;
}

}  // namespace app
