#pragma once
// Graph searches that answer, for all programs at once, the questions the
// classification asks of each program: each runs in time linear in nodes
// plus edges, however long the chains and whatever cycles they hold.

#include <span>
#include <vector>

#include "classify/Adjacency.h"

namespace classify {

using NodeFlags = std::vector<char>;

// Nodes reachable from the sources over zero or more edges (sources included).
NodeFlags ReachableFrom(const Adjacency& successors, std::span<const int> sources);

// For every node x: whether some node y that x sees over one or more edges
// is a hit, walking only through nodes that can be entered. Formally x is
// marked when it sees a y that can be entered and is a hit or is marked.
// `seenBy[y]` lists the nodes x that see y in one step (for a walk along the
// edges: the predecessors of y; against them: its successors). A node that
// cannot be entered still gets its own answer; it just passes nothing on.
NodeFlags SeesHit(const Adjacency& seenBy, const NodeFlags& enterable, const NodeFlags& hit);

}  // namespace classify
