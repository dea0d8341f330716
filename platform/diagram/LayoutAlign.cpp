#include "platform/diagram/LayoutAlign.h"

#include <algorithm>
#include <array>
#include <limits>

namespace platform::diagram::layout {

namespace {

// Passes of single-node moves after the balanced placement.
constexpr int kRefinePasses = 2;

// Flags, one per entry of up.list (a node's link to a neighbour in the
// level before), for links that cross a straight run of a long link (a
// link between two dummies): such a link never decides an alignment, so
// the long link keeps its straight run.
std::vector<char> Conflicts(const std::vector<std::vector<int>>& order, const std::vector<int>& pos, NeighbourLists up,
                            const std::vector<char>& dummy) {
    std::vector<char> marked(up.list.size(), 0);
    auto innerUpper = [&](int v) {
        if (!dummy[v]) return -1;
        for (int k = up.start[v]; k < up.start[v + 1]; ++k)
            if (dummy[up.list[k]]) return up.list[k];
        return -1;
    };
    for (std::size_t l = 1; l < order.size(); ++l) {
        const auto& lower = order[l];
        const int last = static_cast<int>(order[l - 1].size()) - 1;
        int k0 = 0;
        std::size_t scan = 0;
        for (std::size_t l1 = 0; l1 < lower.size(); ++l1) {
            const int inner = innerUpper(lower[l1]);
            if (l1 + 1 != lower.size() && inner < 0) continue;
            const int k1 = inner >= 0 ? pos[inner] : last;
            for (; scan <= l1; ++scan) {
                const int v = lower[scan];
                for (int k = up.start[v]; k < up.start[v + 1]; ++k)
                    if (pos[up.list[k]] < k0 || pos[up.list[k]] > k1) marked[k] = 1;
            }
            k0 = k1;
        }
    }
    return marked;
}

bool Marked(const std::vector<char>& marked, NeighbourLists up, int upper, int lower) {
    for (int k = up.start[lower]; k < up.start[lower + 1]; ++k)
        if (up.list[k] == upper && marked[k]) return true;
    return false;
}

// One of the four placements: levels taken from the first (or the last),
// each level from its first node (or its last). Returns anchors in the
// level's own direction (negated when taken from the last node).
std::vector<double> Place(const std::vector<std::vector<int>>& order, NeighbourLists up, NeighbourLists down,
                          const std::vector<char>& marked, const std::vector<char>& lone,
                          const std::function<double(int, int)>& separation, bool fromTop, bool fromLeft) {
    const int count = static_cast<int>(up.start.size()) - 1;
    const int levels = static_cast<int>(order.size());
    auto level = [&](int i) -> const std::vector<int>& { return order[fromTop ? i : levels - 1 - i]; };
    auto at = [&](const std::vector<int>& nodes, int i) {
        return nodes[fromLeft ? i : static_cast<int>(nodes.size()) - 1 - i];
    };
    // Place along the walk's direction.
    std::vector<int> pos(count, 0);
    for (const auto& nodes : order)
        for (int i = 0; i < static_cast<int>(nodes.size()); ++i)
            pos[nodes[i]] = fromLeft ? i : static_cast<int>(nodes.size()) - 1 - i;
    const NeighbourLists& before = fromTop ? up : down;

    // Vertical alignment: blocks of nodes, each joined to a median
    // neighbour in the level before unless that crosses an alignment made
    // earlier in the level or a straight run of a long link.
    std::vector<int> root(count), align(count);
    for (int v = 0; v < count; ++v) root[v] = align[v] = v;
    std::vector<int> nb;
    for (int l = 1; l < levels; ++l) {
        const auto& nodes = level(l);
        int reached = -1;
        for (int i = 0; i < static_cast<int>(nodes.size()); ++i) {
            const int v = at(nodes, i);
            nb.assign(before.list.begin() + before.start[v], before.list.begin() + before.start[v + 1]);
            if (nb.empty() || lone[v]) continue;
            std::sort(nb.begin(), nb.end(), [&](int a, int b) { return pos[a] < pos[b]; });
            const int d = static_cast<int>(nb.size());
            for (int m : {(d - 1) / 2, d / 2}) {
                const int u = nb[m];
                if (align[v] != v || lone[u] || pos[u] <= reached) continue;
                if (fromTop ? Marked(marked, up, u, v) : Marked(marked, up, v, u)) continue;
                align[u] = v;
                root[v] = root[u];
                align[v] = root[v];
                reached = pos[u];
            }
        }
    }

    // Horizontal compaction: every block stands after the blocks of the
    // nodes just before its own, by the separation they need. Blocks go as
    // near the start as they may (in an order where those blocks come
    // first), then back toward the blocks after them as far as those let.
    std::vector<int> prevStart(count + 1, 0), nextStart(count + 1, 0);
    std::vector<std::pair<int, int>> pairs;  // (block before, block after)
    std::vector<double> gaps;
    for (int l = 0; l < levels; ++l) {
        const auto& nodes = level(l);
        for (int i = 1; i < static_cast<int>(nodes.size()); ++i) {
            const int a = at(nodes, i - 1), b = at(nodes, i);
            pairs.emplace_back(root[a], root[b]);
            gaps.push_back(fromLeft ? separation(a, b) : separation(b, a));
            ++prevStart[root[b] + 1];
            ++nextStart[root[a] + 1];
        }
    }
    for (int v = 0; v < count; ++v) {
        prevStart[v + 1] += prevStart[v];
        nextStart[v + 1] += nextStart[v];
    }
    std::vector<int> prevList(pairs.size()), nextList(pairs.size());
    {
        std::vector<int> pf(prevStart.begin(), prevStart.end() - 1), nf(nextStart.begin(), nextStart.end() - 1);
        for (int e = 0; e < static_cast<int>(pairs.size()); ++e) {
            prevList[pf[pairs[e].second]++] = e;
            nextList[nf[pairs[e].first]++] = e;
        }
    }
    std::vector<int> waiting(count, 0), topo;
    for (int v = 0; v < count; ++v)
        if (root[v] == v && (waiting[v] = prevStart[v + 1] - prevStart[v]) == 0) topo.push_back(v);
    for (std::size_t i = 0; i < topo.size(); ++i)
        for (int k = nextStart[topo[i]]; k < nextStart[topo[i] + 1]; ++k)
            if (--waiting[pairs[nextList[k]].second] == 0) topo.push_back(pairs[nextList[k]].second);
    std::vector<double> x(count, 0);
    for (int b : topo)
        for (int k = prevStart[b]; k < prevStart[b + 1]; ++k) {
            const int e = prevList[k];
            x[b] = std::max(x[b], x[pairs[e].first] + gaps[e]);
        }
    for (auto it = topo.rbegin(); it != topo.rend(); ++it) {
        const int b = *it;
        double least = std::numeric_limits<double>::infinity();
        for (int k = nextStart[b]; k < nextStart[b + 1]; ++k) {
            const int e = nextList[k];
            least = std::min(least, x[pairs[e].second] - gaps[e]);
        }
        if (least != std::numeric_limits<double>::infinity()) x[b] = std::max(x[b], least);
    }
    std::vector<double> anchor(count);
    for (int v = 0; v < count; ++v) anchor[v] = fromLeft ? x[root[v]] : -x[root[v]];
    return anchor;
}

// Moves single nodes toward the weighted median of their neighbours, as
// far as the nodes beside them allow: a local step on the total link
// length (long links' straight runs weigh most, so they stay straight).
void Refine(std::vector<double>& x, const std::vector<std::vector<int>>& order, NeighbourLists up,
            NeighbourLists down, const std::vector<char>& dummy, const std::function<double(int, int)>& separation,
            int passes) {
    std::vector<std::pair<double, double>> pulls;
    for (int pass = 0; pass < passes; ++pass)
        for (const auto& level : order)
            for (std::size_t i = 0; i < level.size(); ++i) {
                const int v = level[i];
                pulls.clear();
                double total = 0;
                for (const NeighbourLists* nb : {&up, &down})
                    for (int k = nb->start[v]; k < nb->start[v + 1]; ++k) {
                        const int w = nb->list[k];
                        const double weight = dummy[v] && dummy[w] ? 8 : dummy[v] || dummy[w] ? 2 : 1;
                        pulls.emplace_back(x[w], weight);
                        total += weight;
                    }
                if (pulls.empty()) continue;
                std::sort(pulls.begin(), pulls.end());
                double below = 0, lo = pulls.front().first, hi = pulls.back().first;
                for (std::size_t k = 0; k < pulls.size(); ++k) {
                    below += pulls[k].second;
                    if (2 * below >= total) {
                        lo = pulls[k].first;
                        hi = 2 * below > total || k + 1 == pulls.size() ? lo : pulls[k + 1].first;
                        break;
                    }
                }
                double want = std::clamp(x[v], lo, hi);
                const double least = i > 0 ? x[level[i - 1]] + separation(level[i - 1], v) : -1e300;
                const double most = i + 1 < level.size() ? x[level[i + 1]] - separation(v, level[i + 1]) : 1e300;
                x[v] = std::clamp(want, least, std::max(least, most));
            }
}

}  // namespace

std::vector<double> AlignedPositions(const std::vector<std::vector<int>>& order, NeighbourLists up,
                                     NeighbourLists down, const std::vector<char>& dummy, const std::vector<char>& lone,
                                     const std::function<double(int, int)>& separation) {
    const int count = static_cast<int>(dummy.size());
    std::vector<int> pos(count, 0);
    for (const auto& level : order)
        for (int i = 0; i < static_cast<int>(level.size()); ++i) pos[level[i]] = i;
    const auto marked = Conflicts(order, pos, up, dummy);
    std::array<std::vector<double>, 4> xs;
    std::array<double, 4> lo{}, hi{};
    int narrowest = 0;
    for (int k = 0; k < 4; ++k) {
        xs[k] = Place(order, up, down, marked, lone, separation, k < 2, k % 2 == 0);
        lo[k] = count ? *std::min_element(xs[k].begin(), xs[k].end()) : 0;
        hi[k] = count ? *std::max_element(xs[k].begin(), xs[k].end()) : 0;
        if (hi[k] - lo[k] < hi[narrowest] - lo[narrowest]) narrowest = k;
    }
    // Each placement moved to the narrowest one's left side (those made
    // from the left) or right side; every node then takes the mean of its
    // two middle places, which keeps every separation.
    for (int k = 0; k < 4; ++k) {
        const double shift = k % 2 == 0 ? lo[narrowest] - lo[k] : hi[narrowest] - hi[k];
        for (double& v : xs[k]) v += shift;
    }
    std::vector<double> result(count);
    for (int v = 0; v < count; ++v) {
        std::array<double, 4> p{xs[0][v], xs[1][v], xs[2][v], xs[3][v]};
        std::sort(p.begin(), p.end());
        result[v] = (p[1] + p[2]) / 2;
    }
    Refine(result, order, up, down, dummy, separation, kRefinePasses);
    return result;
}

}  // namespace platform::diagram::layout
