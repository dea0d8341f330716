#include "app/WorkspaceTrees.h"

#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <functional>
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

// What an item keeps of its node; the roles a QTreeWidgetItem leaves unset
// read as empty.
constexpr int kShownRoles[] = {Qt::DisplayRole, Qt::DecorationRole, Qt::ForegroundRole,
                               kNodeKeyRole,    kNodeTagRole,       kNodeImageRole};

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

void ShowTree(QTreeWidget& tree, const common::Tree& model, const platform::ui::ImageList& images) {
    struct Frozen {
        QTreeWidget& tree;
        explicit Frozen(QTreeWidget& t) : tree(t) { tree.setUpdatesEnabled(false); }
        ~Frozen() { tree.setUpdatesEnabled(true); }
    } frozen(tree);
    tree.clear();
    const std::vector<common::TreeNode>& nodes = model.Nodes();
    // The model keeps parents before children, so a parent's item is always there.
    std::vector<QTreeWidgetItem*> items(nodes.size(), nullptr);
    std::vector<QTreeWidgetItem*> expanded;
    for (size_t i = 0; i < nodes.size(); ++i) {
        const common::TreeNode& n = nodes[i];
        auto* item = new QTreeWidgetItem;
        for (int role : kShownRoles) {
            const QVariant value = platform::ui::NodeData(n, role, &images);
            if (value.isValid()) item->setData(0, role, value);
        }
        if (n.parentKey.empty())
            tree.addTopLevelItem(item);
        else
            items[model.IndexOf(n.parentKey)]->addChild(item);
        items[i] = item;
        if (n.expanded) expanded.push_back(item);
    }
    // An item expands only once it is in the tree.
    for (QTreeWidgetItem* item : expanded) item->setExpanded(true);
}

void ReloadWebOperationsTree(platform::ui::IMainWindow& w) {
    common::Tree model;
    if (Globals::g_Database) Globals::LoadWebOperationsTree(model, *Globals::g_Database);
    ShowTree(*w.WebOperationsTree(), model, w.WebTreeImages());
}

void ReloadWebServicesTree(platform::ui::IMainWindow& w) {
    common::Tree model;
    if (Globals::g_Database) Globals::LoadWebServicesTree(model, *Globals::g_Database);
    ShowTree(*w.WebServicesTree(), model, w.WebTreeImages());
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
