#pragma once
// A common::Tree shown through Qt's item views: a read-only model of one
// column over a copy of the tree, for trees shown in a QTreeView. What a
// view shows of a node (NodeData) is also what the main window's
// QTreeWidgets are filled with, so both kinds of tree read a node the same
// way: menus and drag and drop find its key, Tag and image key under the
// roles below.

#include <QAbstractItemModel>
#include <QColor>
#include <QVariant>

#include <cstdint>
#include <string_view>
#include <vector>

#include "common/Tree.h"
#include "platform/ui/ImageList.h"

class QTreeView;

namespace platform::ui {

// Item data (column 0) of every tree node.
inline constexpr int kNodeKeyRole = Qt::UserRole;        // the node's key
inline constexpr int kNodeTagRole = Qt::UserRole + 1;    // the node's Tag
inline constexpr int kNodeImageRole = Qt::UserRole + 2;  // the image key of its picture

// A colour packed as red + 256 * green + 65536 * blue.
QColor PackedColour(int32_t packed);

// The node under a role: its text (DisplayRole), the picture of its image
// key when the images have one (DecorationRole), its text colour when it
// has one (ForegroundRole), its key, Tag and image key under the roles
// above; an invalid value for every other role.
QVariant NodeData(const common::TreeNode& node, int role, const ImageList* images);

class TreeItemModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // Node pictures come from the images; without them nodes have none.
    explicit TreeItemModel(ImageList images = {}, QObject* parent = nullptr);

    // Shows a copy of the tree in place of the one shown so far (a model
    // reset: views drop their selection and expansion).
    void SetTree(const common::Tree& tree);

    // The index of the node with this key (keys folded as the tree folds
    // them); invalid for an absent key.
    QModelIndex IndexOfKey(std::string_view key) const;
    // The node of an index of this model; nullptr for an invalid index.
    const common::TreeNode* NodeAt(const QModelIndex& index) const;
    // Expands, in the view, every node the tree marks expanded: views keep
    // expansion to themselves, so a view calls this after each SetTree.
    void ExpandMarked(QTreeView& view) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    static constexpr int kNone = -1;
    // Position of the index's node in m_tree.Nodes(), or kNone.
    int PositionOf(const QModelIndex& index) const;
    QModelIndex IndexAt(int position) const;
    const std::vector<int>& ChildrenOf(int position) const;

    ImageList m_images;
    common::Tree m_tree;
    // Per node position: the parent's position (kNone at the top level), the
    // row under its parent and the positions of its children, so index and
    // parent need no search.
    std::vector<int> m_parent;
    std::vector<int> m_row;
    std::vector<std::vector<int>> m_children;
    std::vector<int> m_topLevel;
};

}  // namespace platform::ui
