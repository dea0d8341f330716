#pragma once
// The three trees of the main window as the workspace fills them: the
// Summary tree from its model, the Web Operations and Web Services trees
// from theirs, rebuilt whole from the database after every change. Each
// item keeps its node's key, Tag and image key under the roles of
// platform/ui/TreeItemModel.h, so menus and drag and drop read a node the
// way the models wrote it.

#include <QString>
#include <QStringList>

#include <string>

#include "common/Tree.h"
#include "platform/ui/TreeItemModel.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace platform::ui {
class IMainWindow;
class ImageList;
}  // namespace platform::ui

namespace app {

using platform::ui::kNodeImageRole;
using platform::ui::kNodeKeyRole;
using platform::ui::kNodeTagRole;

std::string NodeKey(const QTreeWidgetItem* item);
std::string NodeTag(const QTreeWidgetItem* item);
std::string NodeText(const QTreeWidgetItem* item);

// The node with this key, anywhere in the tree; nullptr when there is none.
// Summary keys are entity ids and compare without letter case; the web
// trees' keys compare exactly.
QTreeWidgetItem* FindNode(QTreeWidget& tree, const std::string& key, bool ignoreCase);

// Replaces the tree's nodes with the model's, in the model's order, each
// showing what platform::ui::NodeData gives; nodes marked expanded in the
// model are expanded. The items keep the model and read their nodes from it.
void ShowTree(QTreeWidget& tree, common::Tree model, const platform::ui::ImageList& images);

// Rebuilds the Web Operations tree, then the Web Services tree, from the
// open workspace database (both empty when none is open). Errors of the
// database reach the caller.
void ReloadWebTrees(platform::ui::IMainWindow& w);
void ReloadWebOperationsTree(platform::ui::IMainWindow& w);
void ReloadWebServicesTree(platform::ui::IMainWindow& w);

// Empties the three trees.
void ClearWorkspaceTrees(platform::ui::IMainWindow& w);

// One line per node, parents before children: indentation by depth, then
// text, key, Tag and image key; for tests and for comparing two loads.
QStringList DescribeTree(const QTreeWidget& tree);

}  // namespace app
