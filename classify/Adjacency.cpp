#include "classify/Adjacency.h"

namespace classify {

Adjacency::Adjacency(size_t nodeCount, std::span<const Edge> edges, Direction direction)
    : Adjacency(nodeCount, edges, {}, direction) {}

Adjacency::Adjacency(size_t nodeCount, std::span<const Edge> first, std::span<const Edge> second,
                     Direction direction) {
    const bool forward = direction == Direction::Forward;
    m_offsets.assign(nodeCount + 1, 0);
    for (auto list : {first, second})
        for (const auto& [a, b] : list) ++m_offsets[(forward ? a : b) + 1];
    for (size_t i = 1; i <= nodeCount; ++i) m_offsets[i] += m_offsets[i - 1];
    m_targets.resize(m_offsets[nodeCount]);
    std::vector<int> fill(m_offsets.begin(), m_offsets.end() - 1);
    for (auto list : {first, second})
        for (const auto& [a, b] : list) {
            if (forward)
                m_targets[fill[a]++] = b;
            else
                m_targets[fill[b]++] = a;
        }
}

}  // namespace classify
