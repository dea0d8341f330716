#pragma once
// Layers of an acyclic, connected graph with the least total link length
// (each link spanning at least one layer), by the network simplex method
// on a spanning tree of tight links. Fewer layers crossed means fewer dummy
// positions and fewer crossings than with the longest path alone.

#include <utility>
#include <vector>

namespace platform::diagram::layout {

// edges are (upper, lower) pairs without repeats that connect all nodes
// (otherwise layer is left as it is); layer is a feasible
// start (every edge's upper end at least one layer above its lower end),
// improved in place. At most maxIterations tree exchanges are made; the
// result is feasible whenever it stops. Returns the exchanges made.
int MinimiseLinkLength(int nodes, const std::vector<std::pair<int, int>>& edges, std::vector<int>& layer,
                       int maxIterations);

}  // namespace platform::diagram::layout
