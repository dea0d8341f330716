#pragma once
// Positions along the layers for an ordered proper layered graph (every
// edge joins two consecutive levels), by vertical alignment and
// compaction in the four combinations of top or bottom first and left or
// right first, balanced: each node lines up with a median neighbour where
// that crosses no straight run of a long link, so long links run straight
// through their dummies and a box sits over or under one of its
// neighbours instead of at the mean of all of them.

#include <functional>
#include <vector>

namespace platform::diagram::layout {

// A flat adjacency: the neighbours of v are list[start[v]] ..
// list[start[v + 1] - 1].
struct NeighbourLists {
    const std::vector<int>& start;
    const std::vector<int>& list;
};

// order: the nodes of each level, first to last along it; up and down: each
// node's neighbours in the level before and after; dummy: whether a node
// is a bend of a long link; lone: nodes that stay out of every alignment;
// separation(a, b): the least distance from a's
// anchor to b's when a stands just before b. Returns each node's anchor.
std::vector<double> AlignedPositions(const std::vector<std::vector<int>>& order, NeighbourLists up,
                                     NeighbourLists down, const std::vector<char>& dummy, const std::vector<char>& lone,
                                     const std::function<double(int, int)>& separation);

}  // namespace platform::diagram::layout
