#pragma once
// A tree as the program's tree views show it, without any window: nodes with
// a unique key, a parent key (empty for a top-level node), text, image key,
// Tag, whether the node is expanded and an optional text colour, kept in the
// order they were added. Core code builds such a tree; the window copies it
// into a QTreeWidget or shows it through platform::ui::TreeItemModel, and
// tests read it directly.
//
// Keys compare as the database compares ids and names (common::AsciiFold),
// since many keys are entity ids read from it: "MAP#4" and "map#4" are one
// key.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace common {

struct TreeNode {
    std::string key;
    std::string parentKey;  // empty: a top-level node
    std::string text;
    std::string image;      // image key, also the selected image
    std::string tag;
    bool expanded = false;
    // The text colour as red + 256 * green + 65536 * blue; none: the view's own.
    std::optional<int32_t> foreColour = std::nullopt;
};

class Tree {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    // Appends a node as the last child of its parent (the last top-level node
    // when the parent key is empty). A key that is empty or already present,
    // or a parent that is not in the tree, raises std::invalid_argument, as a
    // tree view refuses such a node. The reference stays valid until the
    // tree next changes shape (Add, TryAdd, Remove, Clear).
    TreeNode& Add(TreeNode node);
    TreeNode& Add(std::string_view parentKey, std::string key, std::string text, std::string image,
                  std::string tag = {});
    // The same rules, answering false instead of raising; nothing is added then.
    bool TryAdd(TreeNode node);
    // Removes the node and everything below it; an absent key is ignored.
    void Remove(std::string_view key);
    void Clear();

    const TreeNode* Find(std::string_view key) const;
    TreeNode* Find(std::string_view key);
    // The node's position in Nodes(); npos for an absent key.
    size_t IndexOf(std::string_view key) const;
    // The children of a node in order; an empty key gives the top level.
    std::vector<const TreeNode*> Children(std::string_view parentKey) const;
    // The key of the top-level node above a node (its own for a top-level
    // node); empty for an unknown key.
    std::string RootKey(std::string_view key) const;

    // Every node, each parent before its children and siblings in order, so
    // a view can append them one by one.
    const std::vector<TreeNode>& Nodes() const { return m_nodes; }
    size_t Count() const { return m_nodes.size(); }
    bool Empty() const { return m_nodes.empty(); }

private:
    // Why the node cannot be added; empty when it can.
    std::string Refusal(const TreeNode& node) const;
    TreeNode& Append(TreeNode node);

    std::vector<TreeNode> m_nodes;
    std::unordered_map<std::string, size_t> m_index;  // folded key -> position
};

}  // namespace common
