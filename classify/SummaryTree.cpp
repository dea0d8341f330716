#include "classify/SummaryTree.h"

#include <unordered_set>

#include "common/AsciiCase.h"

namespace classify {

namespace {

std::string Fold(std::string_view s) { return common::AsciiFold(s); }

}  // namespace

bool SummaryTree::Add(SummaryNode node) {
    if (node.key.empty()) return false;  // an empty key would read as "top level"
    if (!node.parentKey.empty() && !Find(node.parentKey)) return false;
    auto [it, added] = m_index.try_emplace(Fold(node.key), m_nodes.size());
    if (!added) return false;
    m_nodes.push_back(std::move(node));
    return true;
}

void SummaryTree::Remove(std::string_view key) {
    if (!Find(key)) return;
    // Nodes come after their parents, so one forward sweep finds the whole subtree.
    std::unordered_set<std::string> doomed{Fold(key)};
    std::vector<char> drop(m_nodes.size(), 0);
    for (size_t i = 0; i < m_nodes.size(); ++i) {
        std::string k = Fold(m_nodes[i].key);
        if (doomed.count(k) || doomed.count(Fold(m_nodes[i].parentKey))) {
            drop[i] = 1;
            doomed.insert(std::move(k));
        }
    }
    size_t out = 0;
    for (size_t i = 0; i < m_nodes.size(); ++i) {
        if (drop[i]) continue;
        if (out != i) m_nodes[out] = std::move(m_nodes[i]);
        ++out;
    }
    m_nodes.resize(out);
    Reindex();
}

void SummaryTree::Clear() {
    m_nodes.clear();
    m_index.clear();
}

const SummaryNode* SummaryTree::Find(std::string_view key) const {
    auto it = m_index.find(Fold(key));
    return it == m_index.end() ? nullptr : &m_nodes[it->second];
}

SummaryNode* SummaryTree::Find(std::string_view key) {
    auto it = m_index.find(Fold(key));
    return it == m_index.end() ? nullptr : &m_nodes[it->second];
}

std::vector<const SummaryNode*> SummaryTree::Children(std::string_view parentKey) const {
    const std::string p = Fold(parentKey);
    std::vector<const SummaryNode*> out;
    for (const auto& n : m_nodes)
        if (Fold(n.parentKey) == p) out.push_back(&n);
    return out;
}

void SummaryTree::Reindex() {
    m_index.clear();
    for (size_t i = 0; i < m_nodes.size(); ++i) m_index.emplace(Fold(m_nodes[i].key), i);
}

}  // namespace classify
