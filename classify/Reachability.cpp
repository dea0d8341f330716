#include "classify/Reachability.h"

namespace classify {

NodeFlags ReachableFrom(const Adjacency& successors, std::span<const int> sources) {
    NodeFlags reached(successors.NodeCount(), 0);
    std::vector<int> stack;
    for (int s : sources)
        if (!reached[s]) {
            reached[s] = 1;
            stack.push_back(s);
        }
    while (!stack.empty()) {
        int n = stack.back();
        stack.pop_back();
        for (int m : successors[n])
            if (!reached[m]) {
                reached[m] = 1;
                stack.push_back(m);
            }
    }
    return reached;
}

NodeFlags SeesHit(const Adjacency& seenBy, const NodeFlags& enterable, const NodeFlags& hit) {
    const size_t n = seenBy.NodeCount();
    NodeFlags marked(n, 0);
    // Nodes whose watchers are to be marked: enterable hits, then every
    // enterable node once it is marked.
    NodeFlags passes(n, 0);
    std::vector<int> stack;
    for (size_t y = 0; y < n; ++y)
        if (enterable[y] && hit[y]) {
            passes[y] = 1;
            stack.push_back(static_cast<int>(y));
        }
    while (!stack.empty()) {
        int y = stack.back();
        stack.pop_back();
        for (int x : seenBy[y]) {
            marked[x] = 1;
            if (enterable[x] && !passes[x]) {
                passes[x] = 1;
                stack.push_back(x);
            }
        }
    }
    return marked;
}

}  // namespace classify
