#include "services/TreeModel.h"

#include <stdexcept>

namespace services {

TreeNode& TreeModel::Add(std::string_view parentKey, std::string key, std::string text, std::string image,
                         std::string tag) {
    if (key.empty()) throw std::invalid_argument("A tree node needs a key.");
    if (Find(key)) throw std::invalid_argument("Key is not unique in collection: " + key);
    if (!parentKey.empty() && !Find(parentKey))
        throw std::invalid_argument("No parent node has the key: " + std::string(parentKey));
    m_index.emplace(key, m_nodes.size());
    m_nodes.push_back(TreeNode{std::move(key), std::string(parentKey), std::move(text), std::move(tag),
                               std::move(image), false});
    return m_nodes.back();
}

const TreeNode* TreeModel::Find(std::string_view key) const {
    auto it = m_index.find(std::string(key));
    return it == m_index.end() ? nullptr : &m_nodes[it->second];
}

TreeNode* TreeModel::Find(std::string_view key) {
    auto it = m_index.find(std::string(key));
    return it == m_index.end() ? nullptr : &m_nodes[it->second];
}

std::vector<const TreeNode*> TreeModel::Children(std::string_view parentKey) const {
    std::vector<const TreeNode*> out;
    for (const auto& n : m_nodes)
        if (n.parentKey == parentKey) out.push_back(&n);
    return out;
}

std::string TreeModel::RootKey(std::string_view key) const {
    const TreeNode* n = Find(key);
    while (n && !n->parentKey.empty()) n = Find(n->parentKey);
    return n ? n->key : std::string();
}

}  // namespace services
