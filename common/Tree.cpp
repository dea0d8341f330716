#include "common/Tree.h"

#include <stdexcept>

#include "common/AsciiCase.h"

namespace common {

std::string Tree::Refusal(const TreeNode& node) const {
    // An empty key would read as "top level" when used as a parent key.
    if (node.key.empty()) return "A tree node needs a key.";
    if (m_index.count(AsciiFold(node.key))) return "Key is not unique in collection: " + node.key;
    if (!node.parentKey.empty() && !Find(node.parentKey)) return "No parent node has the key: " + node.parentKey;
    return {};
}

TreeNode& Tree::Append(TreeNode node) {
    m_index.emplace(AsciiFold(node.key), m_nodes.size());
    m_nodes.push_back(std::move(node));
    return m_nodes.back();
}

TreeNode& Tree::Add(TreeNode node) {
    if (std::string refusal = Refusal(node); !refusal.empty()) throw std::invalid_argument(refusal);
    return Append(std::move(node));
}

TreeNode& Tree::Add(std::string_view parentKey, std::string key, std::string text, std::string image,
                    std::string tag) {
    return Add(TreeNode{std::move(key), std::string(parentKey), std::move(text), std::move(image), std::move(tag)});
}

bool Tree::TryAdd(TreeNode node) {
    if (!Refusal(node).empty()) return false;
    Append(std::move(node));
    return true;
}

void Tree::Remove(std::string_view key) {
    const size_t target = IndexOf(key);
    if (target == npos) return;
    // Parents come before their children, so one forward sweep from the
    // node marks its whole subtree.
    std::vector<char> drop(m_nodes.size(), 0);
    drop[target] = 1;
    for (size_t i = target + 1; i < m_nodes.size(); ++i) {
        const size_t parent = m_nodes[i].parentKey.empty() ? npos : IndexOf(m_nodes[i].parentKey);
        if (parent != npos && drop[parent]) drop[i] = 1;
    }
    size_t out = 0;
    for (size_t i = 0; i < m_nodes.size(); ++i) {
        if (drop[i]) continue;
        if (out != i) m_nodes[out] = std::move(m_nodes[i]);
        ++out;
    }
    m_nodes.resize(out);
    m_index.clear();
    for (size_t i = 0; i < m_nodes.size(); ++i) m_index.emplace(AsciiFold(m_nodes[i].key), i);
}

void Tree::Clear() {
    m_nodes.clear();
    m_index.clear();
}

size_t Tree::IndexOf(std::string_view key) const {
    const auto it = m_index.find(AsciiFold(key));
    return it == m_index.end() ? npos : it->second;
}

const TreeNode* Tree::Find(std::string_view key) const {
    const size_t i = IndexOf(key);
    return i == npos ? nullptr : &m_nodes[i];
}

TreeNode* Tree::Find(std::string_view key) {
    const size_t i = IndexOf(key);
    return i == npos ? nullptr : &m_nodes[i];
}

std::vector<const TreeNode*> Tree::Children(std::string_view parentKey) const {
    std::vector<const TreeNode*> out;
    if (parentKey.empty()) {
        for (const auto& n : m_nodes)
            if (n.parentKey.empty()) out.push_back(&n);
        return out;
    }
    const size_t parent = IndexOf(parentKey);
    if (parent == npos) return out;
    // Children come after their parent.
    for (size_t i = parent + 1; i < m_nodes.size(); ++i)
        if (!m_nodes[i].parentKey.empty() && AsciiEqualNoCase(m_nodes[i].parentKey, m_nodes[parent].key))
            out.push_back(&m_nodes[i]);
    return out;
}

std::string Tree::RootKey(std::string_view key) const {
    const TreeNode* n = Find(key);
    while (n && !n->parentKey.empty()) n = Find(n->parentKey);
    return n ? n->key : std::string();
}

}  // namespace common
