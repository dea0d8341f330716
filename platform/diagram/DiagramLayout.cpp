#include "platform/diagram/DiagramLayout.h"

#include <algorithm>
#include <vector>

namespace platform::diagram {

namespace {

constexpr double kLayerGap = 30;
constexpr double kBoxGap = 20;

}  // namespace

void LayeredLayout::Layout(DiagramModel& model) {
    const auto& shapes = model.Shapes();
    const int n = static_cast<int>(shapes.size());
    if (n == 0) return;

    std::vector<std::vector<int>> out(n);
    for (const auto& l : model.Links()) {
        int a = model.IndexOf(*l->from), b = model.IndexOf(*l->to);
        if (a < 0 || b < 0 || a == b) continue;
        out[a].push_back(b);
    }

    // Cycles broken by a depth-first search from the boxes in insertion
    // order: an edge into a box still on the stack is a back edge and is
    // dropped for the layering.
    std::vector<int> state(n, 0);  // 0 new, 1 on stack, 2 done
    std::vector<std::vector<int>> fwd(n);
    std::vector<int> order;  // reverse topological order of the acyclic graph
    for (int root = 0; root < n; ++root) {
        if (state[root]) continue;
        std::vector<std::pair<int, std::size_t>> stack{{root, 0}};
        state[root] = 1;
        while (!stack.empty()) {
            auto& [v, i] = stack.back();
            if (i < out[v].size()) {
                int w = out[v][i++];
                if (state[w] == 1) continue;
                fwd[v].push_back(w);
                if (state[w] == 0) {
                    state[w] = 1;
                    stack.push_back({w, 0});
                }
            } else {
                state[v] = 2;
                order.push_back(v);
                stack.pop_back();
            }
        }
    }

    // Longest path from the sources.
    std::vector<int> layer(n, 0);
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        for (int w : fwd[*it]) layer[w] = std::max(layer[w], layer[*it] + 1);

    int layers = *std::max_element(layer.begin(), layer.end()) + 1;
    std::vector<double> rowHeight(layers, 0);
    for (int v = 0; v < n; ++v) rowHeight[layer[v]] = std::max(rowHeight[layer[v]], shapes[v]->height);
    std::vector<double> rowTop(layers, 0);
    for (int k = 1; k < layers; ++k) rowTop[k] = rowTop[k - 1] + rowHeight[k - 1] + kLayerGap;
    std::vector<double> x(layers, 0);
    for (int v = 0; v < n; ++v) {
        Shape& s = *shapes[v];
        s.left = x[layer[v]];
        s.top = rowTop[layer[v]];
        x[layer[v]] += s.width + kBoxGap;
    }
}

}  // namespace platform::diagram
