#include "platform/ui/TreeItemModel.h"

#include <QBrush>
#include <QTreeView>

#include "platform/ui/QtText.h"

namespace platform::ui {

QColor PackedColour(int32_t packed) { return QColor(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF); }

QVariant NodeData(const common::TreeNode& node, int role, const ImageList* images) {
    switch (role) {
    case Qt::DisplayRole:
        return Q(node.text);
    case Qt::DecorationRole:
        if (images && images->Has(Q(node.image))) return images->Icon(Q(node.image));
        return {};
    case Qt::ForegroundRole:
        if (node.foreColour) return QBrush(PackedColour(*node.foreColour));
        return {};
    case kNodeKeyRole:
        return Q(node.key);
    case kNodeTagRole:
        return Q(node.tag);
    case kNodeImageRole:
        return Q(node.image);
    default:
        return {};
    }
}

TreeItemModel::TreeItemModel(ImageList images, QObject* parent)
    : QAbstractItemModel(parent), m_images(std::move(images)) {}

void TreeItemModel::SetTree(const common::Tree& tree) {
    beginResetModel();
    m_tree = tree;
    const auto& nodes = m_tree.Nodes();
    m_parent.assign(nodes.size(), kNone);
    m_row.assign(nodes.size(), 0);
    m_children.assign(nodes.size(), {});
    m_topLevel.clear();
    // Parents come before their children, so every parent is placed first.
    for (size_t i = 0; i < nodes.size(); ++i) {
        const int parent = nodes[i].parentKey.empty() ? kNone : static_cast<int>(m_tree.IndexOf(nodes[i].parentKey));
        std::vector<int>& siblings = parent == kNone ? m_topLevel : m_children[parent];
        m_parent[i] = parent;
        m_row[i] = static_cast<int>(siblings.size());
        siblings.push_back(static_cast<int>(i));
    }
    endResetModel();
}

int TreeItemModel::PositionOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) return kNone;
    return static_cast<int>(index.internalId());
}

QModelIndex TreeItemModel::IndexAt(int position) const {
    return position == kNone ? QModelIndex() : createIndex(m_row[position], 0, static_cast<quintptr>(position));
}

const std::vector<int>& TreeItemModel::ChildrenOf(int position) const {
    return position == kNone ? m_topLevel : m_children[position];
}

QModelIndex TreeItemModel::IndexOfKey(std::string_view key) const {
    const size_t position = m_tree.IndexOf(key);
    return position == common::Tree::npos ? QModelIndex() : IndexAt(static_cast<int>(position));
}

const common::TreeNode* TreeItemModel::NodeAt(const QModelIndex& index) const {
    const int position = PositionOf(index);
    return position == kNone ? nullptr : &m_tree.Nodes()[position];
}

void TreeItemModel::ExpandMarked(QTreeView& view) const {
    if (view.model() != this) return;
    const auto& nodes = m_tree.Nodes();
    for (size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].expanded) view.setExpanded(IndexAt(static_cast<int>(i)), true);
}

QModelIndex TreeItemModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0 || parent.column() > 0) return {};
    const std::vector<int>& children = ChildrenOf(PositionOf(parent));
    if (row >= static_cast<int>(children.size())) return {};
    return createIndex(row, 0, static_cast<quintptr>(children[row]));
}

QModelIndex TreeItemModel::parent(const QModelIndex& child) const {
    const int position = PositionOf(child);
    return position == kNone ? QModelIndex() : IndexAt(m_parent[position]);
}

int TreeItemModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    return static_cast<int>(ChildrenOf(PositionOf(parent)).size());
}

int TreeItemModel::columnCount(const QModelIndex&) const { return 1; }

QVariant TreeItemModel::data(const QModelIndex& index, int role) const {
    const common::TreeNode* node = NodeAt(index);
    return node ? NodeData(*node, role, &m_images) : QVariant();
}

Qt::ItemFlags TreeItemModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace platform::ui
