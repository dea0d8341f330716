#pragma once
// The Summary tree as data: what the Summary pane shows, built without any
// window so the window only copies it into its tree view (and tests read it
// directly). Node keys compare without regard to case, as entity ids do.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace classify {

struct SummaryNode {
    std::string key;        // entity id ("<TYPE>#<n>"), or the caption of a group or branch
    std::string parentKey;  // empty for a top-level node
    std::string text;
    std::string image;      // image key: a caption, "Missing", "Client Branch" or "Server Branch"
    std::string tag;        // entity nodes: the entity's full type name, or "STUBMAP"
};

class SummaryTree {
public:
    // Appends a node as the last child of its parent (top level when the
    // parent key is empty). A key already in the tree, or a parent that is
    // not, adds nothing and answers false.
    bool Add(SummaryNode node);
    // Removes the node and everything below it; an absent key is ignored.
    void Remove(std::string_view key);
    void Clear();

    const SummaryNode* Find(std::string_view key) const;
    SummaryNode* Find(std::string_view key);
    // Every node, each parent before its children and siblings in order, so
    // a view can append them one by one.
    const std::vector<SummaryNode>& Nodes() const { return m_nodes; }
    // The children of a node in order; an empty key gives the top level.
    std::vector<const SummaryNode*> Children(std::string_view parentKey) const;
    size_t Count() const { return m_nodes.size(); }
    bool Empty() const { return m_nodes.empty(); }

private:
    void Reindex();
    std::vector<SummaryNode> m_nodes;
    std::unordered_map<std::string, size_t> m_index;  // folded key -> position
};

}  // namespace classify
