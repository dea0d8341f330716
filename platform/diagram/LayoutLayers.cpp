#include "platform/diagram/LayoutLayers.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>

namespace platform::diagram::layout {

namespace {

// Bounds on the work per component: ordering sweeps (stopping early once a
// few in a row bring nothing), transposition passes after them, and
// placement passes.
constexpr int kMaxSweeps = 24;
constexpr int kStaleSweeps = 4;
constexpr int kMaxTransposePasses = 8;
constexpr int kPlacementPasses = 6;
// Dummies allowed per box and link, on average.
constexpr long long kDummiesPerElement = 20;

// Adjacency in one flat array: the neighbours of v are
// list[start[v]] .. list[start[v + 1] - 1].
struct Adjacency {
    std::vector<int> start, list;
    int Begin(int v) const { return start[v]; }
    int End(int v) const { return start[v + 1]; }
    int Degree(int v) const { return start[v + 1] - start[v]; }
};

Adjacency BuildAdjacency(int nodes, const std::vector<std::pair<int, int>>& edges, bool byFirst) {
    Adjacency a;
    a.start.assign(nodes + 1, 0);
    for (const auto& [u, v] : edges) ++a.start[(byFirst ? u : v) + 1];
    for (int v = 0; v < nodes; ++v) a.start[v + 1] += a.start[v];
    a.list.resize(edges.size());
    std::vector<int> fill(a.start.begin(), a.start.end() - 1);
    for (const auto& [u, v] : edges) {
        if (byFirst)
            a.list[fill[u]++] = v;
        else
            a.list[fill[v]++] = u;
    }
    return a;
}

class Engine {
public:
    explicit Engine(const LayerInput& in) : m_in(in), m_real(static_cast<int>(in.along.size())) {}

    Placement Run() {
        BuildProperGraph();
        InitialOrder();
        ReduceCrossings();
        WrapRows();
        PlaceAlong();
        return Output();
    }

private:
    bool IsDummy(int v) const { return v >= m_real; }
    double Along(int v) const { return IsDummy(v) ? 0.0 : m_in.along[v]; }
    double Gap(int a, int b) const {
        int dummies = IsDummy(a) + IsDummy(b);
        return dummies == 0 ? kBoxGap : dummies == 1 ? kBoxGap / 2 : kBoxGap / 4;
    }
    // Distance between the centres of two neighbours in a row.
    double Separation(int a, int b) const { return Along(a) / 2 + Gap(a, b) + Along(b) / 2; }

    // Layers made consecutive; every link between layers k and k + j (j > 1)
    // becomes a chain through one dummy per layer in between, so each edge
    // of the proper graph joins two consecutive layers.
    void BuildProperGraph() {
        std::vector<int> values(m_in.layer);
        std::sort(values.begin(), values.end());
        values.erase(std::unique(values.begin(), values.end()), values.end());
        m_layer.resize(m_real);
        for (int v = 0; v < m_real; ++v)
            m_layer[v] = static_cast<int>(std::lower_bound(values.begin(), values.end(), m_in.layer[v]) - values.begin());
        m_layers = static_cast<int>(values.size());

        std::unordered_set<std::uint64_t> seen;
        std::vector<std::pair<int, int>> links;
        long long dummies = 0;
        for (auto [a, b] : m_in.edges) {
            if (a == b || m_layer[a] == m_layer[b]) continue;
            if (m_layer[a] > m_layer[b]) std::swap(a, b);
            if (!seen.insert(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(m_real) + b).second) continue;
            links.emplace_back(a, b);
            dummies += m_layer[b] - m_layer[a] - 1;
        }
        // A deep graph with many links across it would need dummies by the
        // million; past a budget the longest links are left out of the
        // ordering (they are still drawn, just not routed around).
        const long long budget = kDummiesPerElement * (static_cast<long long>(m_real) + static_cast<long long>(links.size()));
        if (dummies > budget) {
            auto span = [&](const std::pair<int, int>& e) { return m_layer[e.second] - m_layer[e.first]; };
            std::stable_sort(links.begin(), links.end(),
                             [&](const auto& x, const auto& y) { return span(x) < span(y); });
            std::size_t keep = 0;
            for (long long used = 0; keep < links.size() && used + span(links[keep]) - 1 <= budget; ++keep)
                used += span(links[keep]) - 1;
            links.resize(keep);
        }
        std::vector<std::pair<int, int>> edges;
        for (auto [a, b] : links) {
            int prev = a;
            for (int l = m_layer[a] + 1; l < m_layer[b]; ++l) {
                int d = static_cast<int>(m_layer.size());
                m_layer.push_back(l);
                edges.emplace_back(prev, d);
                prev = d;
            }
            edges.emplace_back(prev, b);
        }
        m_nodes = static_cast<int>(m_layer.size());
        m_edges = std::move(edges);
        m_down = BuildAdjacency(m_nodes, m_edges, true);
        m_up = BuildAdjacency(m_nodes, m_edges, false);
    }

    // A depth-first walk from the boxes in their order puts connected boxes
    // near each other from the start, which the sweeps then refine.
    void InitialOrder() {
        m_order.assign(m_layers, {});
        m_pos.assign(m_nodes, 0);
        std::vector<char> seen(m_nodes, 0);
        std::vector<std::pair<int, int>> stack;
        auto visit = [&](int v) {
            seen[v] = 1;
            m_pos[v] = static_cast<int>(m_order[m_layer[v]].size());
            m_order[m_layer[v]].push_back(v);
            stack.emplace_back(v, 0);
        };
        for (int root = 0; root < m_nodes; ++root) {
            if (seen[root]) continue;
            visit(root);
            while (!stack.empty()) {
                auto [v, i] = stack.back();
                int downDeg = m_down.Degree(v);
                if (i >= downDeg + m_up.Degree(v)) {
                    stack.pop_back();
                    continue;
                }
                ++stack.back().second;
                int w = i < downDeg ? m_down.list[m_down.Begin(v) + i] : m_up.list[m_up.Begin(v) + i - downDeg];
                if (!seen[w]) visit(w);
            }
        }
    }

    // Crossings between layer l and l + 1: the edges listed by their upper
    // end left to right (lower ends ascending within one upper end); every
    // pair whose lower ends come in the opposite order crosses. Counted
    // with a Fenwick tree over the lower layer.
    long long CrossingsBelow(int l) {
        const auto& lower = m_order[l + 1];
        m_tree.assign(lower.size() + 1, 0);
        long long crossings = 0, inserted = 0;
        for (int u : m_order[l]) {
            m_buf.clear();
            for (int i = m_down.Begin(u); i < m_down.End(u); ++i) m_buf.push_back(m_pos[m_down.list[i]]);
            std::sort(m_buf.begin(), m_buf.end());
            for (int p : m_buf) {
                long long atMost = 0;
                for (int k = p + 1; k > 0; k -= k & -k) atMost += m_tree[k];
                crossings += inserted - atMost;
                for (int k = p + 1; k < static_cast<int>(m_tree.size()); k += k & -k) ++m_tree[k];
                ++inserted;
            }
        }
        return crossings;
    }

    long long Crossings() {
        long long total = 0;
        for (int l = 0; l + 1 < m_layers; ++l) total += CrossingsBelow(l);
        return total;
    }

    // Reorders layer l by the barycentre of each node's neighbours in the
    // layer above (fromAbove) or below. Nodes without such neighbours keep
    // their slots; ties keep the earlier order, so the result is stable.
    void SweepLayer(int l, bool fromAbove) {
        const Adjacency& nb = fromAbove ? m_up : m_down;
        auto& ord = m_order[l];
        m_keyed.clear();
        m_slots.clear();
        for (int i = 0; i < static_cast<int>(ord.size()); ++i) {
            int v = ord[i];
            if (nb.Degree(v) == 0) continue;
            double sum = 0;
            for (int k = nb.Begin(v); k < nb.End(v); ++k) sum += m_pos[nb.list[k]];
            m_keyed.push_back({sum / nb.Degree(v), i, v});
            m_slots.push_back(i);
        }
        std::sort(m_keyed.begin(), m_keyed.end(), [](const Keyed& a, const Keyed& b) {
            return a.key != b.key ? a.key < b.key : a.index < b.index;
        });
        for (std::size_t k = 0; k < m_keyed.size(); ++k) {
            ord[m_slots[k]] = m_keyed[k].node;
            m_pos[m_keyed[k].node] = m_slots[k];
        }
    }

    // Crossings among the edges of u and v toward one side: uFirst when u
    // stands left of v, vFirst when they are swapped.
    void PairCrossings(int u, int v, const Adjacency& nb, long long& uFirst, long long& vFirst) {
        m_a.clear();
        m_b.clear();
        for (int k = nb.Begin(u); k < nb.End(u); ++k) m_a.push_back(m_pos[nb.list[k]]);
        for (int k = nb.Begin(v); k < nb.End(v); ++k) m_b.push_back(m_pos[nb.list[k]]);
        if (m_a.empty() || m_b.empty()) return;
        std::sort(m_a.begin(), m_a.end());
        std::sort(m_b.begin(), m_b.end());
        std::size_t below = 0, atMost = 0;
        for (int a : m_a) {
            while (below < m_b.size() && m_b[below] < a) ++below;
            while (atMost < m_b.size() && m_b[atMost] <= a) ++atMost;
            uFirst += static_cast<long long>(below);
            vFirst += static_cast<long long>(m_b.size() - atMost);
        }
    }

    // Swaps neighbours in a layer whenever that removes crossings; each swap
    // changes only the crossings among the two nodes' own edges, so a pass
    // never makes the total worse.
    bool TransposePass() {
        bool improved = false;
        for (int l = 0; l < m_layers; ++l) {
            auto& ord = m_order[l];
            for (int i = 0; i + 1 < static_cast<int>(ord.size()); ++i) {
                int u = ord[i], v = ord[i + 1];
                long long uFirst = 0, vFirst = 0;
                PairCrossings(u, v, m_up, uFirst, vFirst);
                PairCrossings(u, v, m_down, uFirst, vFirst);
                if (vFirst < uFirst) {
                    std::swap(ord[i], ord[i + 1]);
                    m_pos[u] = i + 1;
                    m_pos[v] = i;
                    improved = true;
                }
            }
        }
        return improved;
    }

    void ReduceCrossings() {
        long long best = Crossings();
        auto bestOrder = m_order;
        int stale = 0;
        for (int sweep = 0; sweep < kMaxSweeps && best > 0 && stale < kStaleSweeps; ++sweep) {
            if (sweep % 2 == 0)
                for (int l = 1; l < m_layers; ++l) SweepLayer(l, true);
            else
                for (int l = m_layers - 2; l >= 0; --l) SweepLayer(l, false);
            TransposePass();
            long long c = Crossings();
            if (c < best) {
                best = c;
                bestOrder = m_order;
                stale = 0;
            } else {
                ++stale;
            }
        }
        m_order = std::move(bestOrder);
        for (const auto& ord : m_order)
            for (int i = 0; i < static_cast<int>(ord.size()); ++i) m_pos[ord[i]] = i;
        for (int pass = 0; pass < kMaxTransposePasses && TransposePass(); ++pass) {
        }
    }

    // A layer that needs more room than the limit continues on further rows
    // of its own, in its order.
    void WrapRows() {
        for (int l = 0; l < m_layers; ++l) {
            m_rows.push_back({l, {}});
            double used = 0;
            for (int v : m_order[l]) {
                auto& row = m_rows.back().nodes;
                if (row.empty()) {
                    used = Along(v);
                } else {
                    double more = Separation(row.back(), v) - Along(row.back()) / 2 + Along(v) / 2;
                    if (m_in.wrapLimit > 0 && used + more > m_in.wrapLimit) {
                        m_rows.push_back({l, {}});
                        used = Along(v);
                    } else {
                        used += more;
                    }
                }
                m_rows.back().nodes.push_back(v);
            }
        }
    }

    static double EdgeWeight(bool dummyA, bool dummyB) {
        // Long edges pulled straight harder than short ones.
        return dummyA && dummyB ? 8 : dummyA || dummyB ? 2 : 1;
    }

    // Places one row: each node wants the weighted mean of its neighbours'
    // centres in the adjacent layer(s); the row's order and separations are
    // kept, and among placements that keep them the one nearest the wishes
    // (least weighted squares) is taken, by pooling adjacent violators.
    void PlaceRow(const std::vector<int>& row, bool above, bool below) {
        const int n = static_cast<int>(row.size());
        m_blocks.clear();
        double offset = 0;
        for (int i = 0; i < n; ++i) {
            int v = row[i];
            if (i > 0) offset += Separation(row[i - 1], v);
            double sum = 0, weight = 0;
            auto add = [&](const Adjacency& nb) {
                for (int k = nb.Begin(v); k < nb.End(v); ++k) {
                    int w = nb.list[k];
                    double ew = EdgeWeight(IsDummy(v), IsDummy(w));
                    sum += ew * m_centre[w];
                    weight += ew;
                }
            };
            if (above) add(m_up);
            if (below) add(m_down);
            if (weight == 0) {
                // Nothing to follow: stay, but give way to nodes that follow.
                sum = m_centre[v] * 1e-3;
                weight = 1e-3;
            }
            Block b{weight, sum / weight - offset, 1};
            while (!m_blocks.empty() && m_blocks.back().value >= b.value) {
                const Block& top = m_blocks.back();
                b.value = (b.value * b.weight + top.value * top.weight) / (b.weight + top.weight);
                b.weight += top.weight;
                b.count += top.count;
                m_blocks.pop_back();
            }
            m_blocks.push_back(b);
        }
        offset = 0;
        int i = 0;
        for (const Block& b : m_blocks) {
            for (int k = 0; k < b.count; ++k, ++i) {
                if (i > 0) offset += Separation(row[i - 1], row[i]);
                m_centre[row[i]] = b.value + offset;
            }
        }
    }

    void PlaceAlong() {
        m_centre.assign(m_nodes, 0);
        for (const auto& r : m_rows) {
            double c = 0;
            for (std::size_t i = 0; i < r.nodes.size(); ++i) {
                if (i > 0) c += Separation(r.nodes[i - 1], r.nodes[i]);
                m_centre[r.nodes[i]] = c;
            }
        }
        const int rows = static_cast<int>(m_rows.size());
        for (int pass = 0; pass < kPlacementPasses; ++pass) {
            for (int r = 1; r < rows; ++r) PlaceRow(m_rows[r].nodes, true, false);
            for (int r = rows - 2; r >= 0; --r) PlaceRow(m_rows[r].nodes, false, true);
        }
        for (int r = 0; r < rows; ++r) PlaceRow(m_rows[r].nodes, true, true);
    }

    Placement Output() {
        Placement p;
        p.along.assign(m_real, 0);
        p.across.assign(m_real, 0);
        double top = 0, minLeft = 0;
        bool first = true;
        for (const auto& r : m_rows) {
            double thick = 0;
            for (int v : r.nodes)
                if (!IsDummy(v)) thick = std::max(thick, m_in.across[v]);
            for (int v : r.nodes) {
                if (IsDummy(v)) continue;
                p.along[v] = m_centre[v] - m_in.along[v] / 2;
                p.across[v] = top + (thick - m_in.across[v]) / 2;
                minLeft = first ? p.along[v] : std::min(minLeft, p.along[v]);
                first = false;
            }
            top += thick + m_in.layerGap;
        }
        for (int v = 0; v < m_real; ++v) {
            p.along[v] -= minLeft;
            p.alongExtent = std::max(p.alongExtent, p.along[v] + m_in.along[v]);
            p.acrossExtent = std::max(p.acrossExtent, p.across[v] + m_in.across[v]);
        }
        return p;
    }

    struct Keyed {
        double key;
        int index;
        int node;
    };
    struct Block {
        double weight, value;
        int count;
    };
    struct Row {
        int layer;
        std::vector<int> nodes;
    };

    const LayerInput& m_in;
    const int m_real;
    int m_nodes = 0;
    int m_layers = 0;
    std::vector<int> m_layer;  // of every node, dummies after the boxes
    std::vector<std::pair<int, int>> m_edges;
    Adjacency m_down, m_up;
    std::vector<std::vector<int>> m_order;
    std::vector<int> m_pos;
    std::vector<Row> m_rows;
    std::vector<double> m_centre;
    // Scratch space reused by the passes.
    std::vector<long long> m_tree;
    std::vector<int> m_buf, m_a, m_b, m_slots;
    std::vector<Keyed> m_keyed;
    std::vector<Block> m_blocks;
};

}  // namespace

Placement PlaceLayers(const LayerInput& in) {
    if (in.along.empty()) return {};
    return Engine(in).Run();
}

}  // namespace platform::diagram::layout
