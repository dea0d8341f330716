#pragma once
// Neighbour lists of a directed graph in compressed rows: built once from a
// list of edges, read many times by the graph searches.

#include <span>
#include <utility>
#include <vector>

namespace classify {

using Edge = std::pair<int, int>;  // from, to

class Adjacency {
public:
    enum class Direction { Forward, Reversed };

    Adjacency() = default;
    // Forward: node a lists b for every edge (a, b). Reversed: b lists a.
    Adjacency(size_t nodeCount, std::span<const Edge> edges, Direction direction);
    // Both edge lists at once, as if they were one.
    Adjacency(size_t nodeCount, std::span<const Edge> first, std::span<const Edge> second, Direction direction);

    std::span<const int> operator[](int node) const {
        return {m_targets.data() + m_offsets[node], m_targets.data() + m_offsets[node + 1]};
    }
    size_t NodeCount() const { return m_offsets.empty() ? 0 : m_offsets.size() - 1; }

private:
    std::vector<int> m_offsets;
    std::vector<int> m_targets;
};

}  // namespace classify
