#include "app/WorkspaceTrees.h"

#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <functional>
#include <unordered_map>

#include "common/Collection.h"
#include "common/Globals.h"
#include "platform/ui/QtText.h"
#include "session/WorkspaceGlobals.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/MainWindow.h"
#include "services/WebOperations.h"
#include "services/WebServices.h"

namespace app {

namespace {

using platform::ui::Q;

QTreeWidgetItem* NewItem(const std::string& key, const std::string& text, const std::string& tag,
                         const std::string& image, const platform::ui::ImageList& images) {
    auto* item = new QTreeWidgetItem(QStringList{Q(text)});
    item->setData(0, kNodeKeyRole, Q(key));
    item->setData(0, kNodeTagRole, Q(tag));
    item->setData(0, kNodeImageRole, Q(image));
    item->setIcon(0, images.Icon(Q(image)));
    return item;
}

// Appends nodes whose parents come before them; keys are folded or not.
class TreeFiller {
public:
    TreeFiller(QTreeWidget& tree, bool ignoreCase) : m_tree(tree), m_ignoreCase(ignoreCase) {
        m_tree.setUpdatesEnabled(false);
        m_tree.clear();
    }
    ~TreeFiller() { m_tree.setUpdatesEnabled(true); }

    QTreeWidgetItem* Add(const std::string& parentKey, QTreeWidgetItem* item, const std::string& key) {
        QTreeWidgetItem* parent = parentKey.empty() ? nullptr : Find(parentKey);
        if (parent)
            parent->addChild(item);
        else
            m_tree.addTopLevelItem(item);
        m_items[Fold(key)] = item;
        return item;
    }

private:
    std::string Fold(const std::string& key) const { return m_ignoreCase ? common::FoldKey(key) : key; }
    QTreeWidgetItem* Find(const std::string& key) const {
        const auto it = m_items.find(Fold(key));
        return it == m_items.end() ? nullptr : it->second;
    }

    QTreeWidget& m_tree;
    bool m_ignoreCase;
    std::unordered_map<std::string, QTreeWidgetItem*> m_items;
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

void ShowSummaryTree(QTreeWidget& tree, const classify::SummaryTree& model, const platform::ui::ImageList& images) {
    TreeFiller filler(tree, true);
    for (const classify::SummaryNode& n : model.Nodes())
        filler.Add(n.parentKey, NewItem(n.key, n.text, n.tag, n.image, images), n.key);
}

void ShowTreeModel(QTreeWidget& tree, const services::TreeModel& model, const platform::ui::ImageList& images) {
    TreeFiller filler(tree, false);
    std::vector<QTreeWidgetItem*> expanded;
    for (const services::TreeNode& n : model.Nodes()) {
        QTreeWidgetItem* item = filler.Add(n.parentKey, NewItem(n.key, n.text, n.tag, n.image, images), n.key);
        if (n.expanded) expanded.push_back(item);
    }
    // An item expands only once it is in the tree.
    for (QTreeWidgetItem* item : expanded) item->setExpanded(true);
}

void ReloadWebOperationsTree(platform::ui::IMainWindow& w) {
    services::TreeModel model;
    if (Globals::g_Database) Globals::LoadWebOperationsTree(model, *Globals::g_Database);
    ShowTreeModel(*w.WebOperationsTree(), model, w.WebTreeImages());
}

void ReloadWebServicesTree(platform::ui::IMainWindow& w) {
    services::TreeModel model;
    if (Globals::g_Database) Globals::LoadWebServicesTree(model, *Globals::g_Database);
    ShowTreeModel(*w.WebServicesTree(), model, w.WebTreeImages());
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
