#pragma once
// The order of the nodes inside each level of a layered drawing's proper
// graph (every link joins two consecutive levels), chosen to cross few
// links. From a first order (a depth-first or breadth-first walk), sweeps
// down and up the levels sort each level by the weighted median of its
// neighbours' positions in the level before, and swaps of neighbours take
// out what crossings they can; of several first orders the one that ends
// with the fewest crossings is kept, and sifting then moves each node to
// the place in its level where its links cross the fewest others. No step
// after a sweep makes the count worse, crossings are counted exactly
// between every two consecutive levels, and the same graph always gets
// the same order.

#include <cstddef>
#include <utility>
#include <vector>

namespace platform::diagram::layout {

// Adjacency in one flat array: the neighbours of v are
// list[start[v]] .. list[start[v + 1] - 1].
struct Adjacency {
    std::vector<int> start, list;
    int Begin(int v) const { return start[v]; }
    int End(int v) const { return start[v + 1]; }
    int Degree(int v) const { return start[v + 1] - start[v]; }
};

// Of every node, the second ends of the edges it is first in (byFirst), or
// the first ends of those it is second in.
Adjacency BuildAdjacency(int nodes, const std::vector<std::pair<int, int>>& edges, bool byFirst);

// The proper graph as the ordering sees it, held by its owner: the level of
// every node, the edges (upper node, lower node) and both adjacencies over
// them, and the order the ordering rewrites: every level's nodes first to
// last, and every node's place in its level.
struct LayerGraph {
    int levels = 0;
    const std::vector<int>& layer;
    const std::vector<std::pair<int, int>>& edges;
    const Adjacency& down;  // every node's neighbours on the next level
    const Adjacency& up;    // and on the level before
    std::vector<std::vector<int>>& order;
    std::vector<int>& pos;
};

// The ordering of one graph in two steps, to choose among several
// layerings of one component: Start orders the levels from the first
// first order (with a few sweeps only where quick, enough to compare
// layerings) and returns the crossings; Finish takes a quick start's
// sweeps up again, tries the other first orders (one more, or two in a
// sparse graph of the given boxes and links), keeps the best and sifts it.
// Finish orders the graph Start did.
class CrossingReduction {
public:
    long long Start(const LayerGraph& graph, bool quick);
    void Finish(const LayerGraph& graph, int boxes, std::size_t links);

    // What the ordering keeps from one step to the next.
    struct Kept {
        bool quick = false;                   // the first start's sweeps stopped early
        long long best = -1;                  // crossings of the best order so far
        std::vector<std::vector<int>> order;  // and that order
    };

private:
    Kept m_kept;
};

// The crossings of the graph's order, between every two consecutive levels.
long long CountCrossings(const LayerGraph& graph);

}  // namespace platform::diagram::layout
