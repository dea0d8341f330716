#pragma once
// A tree as the window's tree views show it, without the window: nodes with
// a unique key, a parent key (empty for a root), text, tag, image name and
// whether the node is expanded, kept in the order they were added. The web
// trees are rebuilt whole into such a model after every change; the window
// copies it into its QTreeWidget.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace services {

struct TreeNode {
    std::string key;
    std::string parentKey;   // empty: a root node
    std::string text;
    std::string tag;
    std::string image;       // also the selected image
    bool expanded = false;
};

class TreeModel {
public:
    // Appends a node as the last child of parentKey (or as the last root when
    // parentKey is empty). A key that is empty or already present, or a
    // parent that does not exist, raises std::invalid_argument: the tree
    // view would refuse such a node too. The reference returned stays valid
    // until the next Add or Clear.
    TreeNode& Add(std::string_view parentKey, std::string key, std::string text, std::string image,
                  std::string tag = {});
    void Clear() {
        m_nodes.clear();
        m_index.clear();
    }

    size_t Count() const { return m_nodes.size(); }
    bool Empty() const { return m_nodes.empty(); }
    const std::vector<TreeNode>& Nodes() const { return m_nodes; }

    const TreeNode* Find(std::string_view key) const;
    TreeNode* Find(std::string_view key);
    // Root nodes, or the children of a node, in order.
    std::vector<const TreeNode*> Children(std::string_view parentKey) const;
    // The key of the top-level node above a node (itself for a root); empty
    // for an unknown key.
    std::string RootKey(std::string_view key) const;

private:
    std::vector<TreeNode> m_nodes;
    std::unordered_map<std::string, size_t> m_index;
};

}  // namespace services
