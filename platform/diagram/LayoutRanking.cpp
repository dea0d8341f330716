#include "platform/diagram/LayoutRanking.h"

#include <algorithm>
#include <functional>
#include <queue>

namespace platform::diagram::layout {

namespace {

// How many tree links with a negative cut value are looked at before the
// most negative of them leaves the tree.
constexpr int kLeaveCandidates = 30;
// The exchanges stop once they have visited this many nodes and links per
// node and link of the graph: a large, dense graph keeps a layering that is
// good if not the shortest, instead of taking seconds.
constexpr long long kWorkPerElement = 400;

class Simplex {
public:
    Simplex(int nodes, const std::vector<std::pair<int, int>>& edges, std::vector<int>& layer)
        : m_n(nodes), m_m(static_cast<int>(edges.size())), m_edges(edges), m_layer(layer) {
        m_incStart.assign(m_n + 1, 0);
        for (const auto& [u, v] : m_edges) {
            ++m_incStart[u + 1];
            ++m_incStart[v + 1];
        }
        for (int v = 0; v < m_n; ++v) m_incStart[v + 1] += m_incStart[v];
        m_inc.resize(2 * m_m);
        std::vector<int> fill(m_incStart.begin(), m_incStart.end() - 1);
        for (int e = 0; e < m_m; ++e) {
            m_inc[fill[m_edges[e].first]++] = e;
            m_inc[fill[m_edges[e].second]++] = e;
        }
    }

    int Run(int maxIterations) {
        if (m_n < 2 || m_m == 0 || !TightTree()) return 0;
        NumberAll();
        CutValues();
        int iterations = 0;
        const long long budget = kWorkPerElement * (static_cast<long long>(m_n) + m_m);
        for (; iterations < maxIterations && m_work < budget; ++iterations) {
            int f = LeavingEdge();
            if (f < 0) break;
            int e = EnteringEdge(f);
            if (e < 0) break;
            Exchange(f, e);
        }
        int low = *std::min_element(m_layer.begin(), m_layer.end());
        for (int& l : m_layer) l -= low;
        return iterations;
    }

private:
    int Tail(int e) const { return m_edges[e].first; }
    int Head(int e) const { return m_edges[e].second; }
    int Other(int e, int v) const { return Tail(e) == v ? Head(e) : Tail(e); }
    int Slack(int e) const { return m_layer[Head(e)] - m_layer[Tail(e)] - 1; }
    bool InSubtree(int w, int v) const { return m_low[v] <= m_lim[w] && m_lim[w] <= m_lim[v]; }

    // A spanning tree of tight links (slack 0). Grown from node 0 along
    // tight links; when it stops, the tree moves as a whole by the least
    // slack of a link leaving it, which makes that link tight. The tree's
    // layers are kept relative to a common shift, and the links at its
    // border wait in two heaps keyed so that the shift does not alter
    // their order: O(E log E) in all.
    bool TightTree() {
        m_tree.assign(m_m, 0);
        std::vector<char> in(m_n, 0);
        std::vector<int> base(m_n, 0);
        long long shift = 0;
        using Entry = std::pair<long long, int>;
        std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> outward, inward;
        std::vector<int> stack;
        int count = 0;
        auto layerOf = [&](int v) { return in[v] ? base[v] + shift : static_cast<long long>(m_layer[v]); };
        auto join = [&](int v) {
            in[v] = 1;
            base[v] = static_cast<int>(m_layer[v] - shift);
            ++count;
            stack.push_back(v);
            while (!stack.empty()) {
                int x = stack.back();
                stack.pop_back();
                for (int k = m_incStart[x]; k < m_incStart[x + 1]; ++k) {
                    int e = m_inc[k];
                    int w = Other(e, x);
                    if (in[w]) continue;
                    long long slack = layerOf(Head(e)) - layerOf(Tail(e)) - 1;
                    if (slack == 0) {
                        m_tree[e] = 1;
                        in[w] = 1;
                        base[w] = static_cast<int>(m_layer[w] - shift);
                        ++count;
                        stack.push_back(w);
                    } else if (Tail(e) == x) {
                        outward.push({static_cast<long long>(m_layer[w]) - base[x] - 1, e});
                    } else {
                        inward.push({static_cast<long long>(base[x]) - m_layer[w] - 1, e});
                    }
                }
            }
        };
        auto stale = [&](auto& heap) {
            while (!heap.empty() && in[Tail(heap.top().second)] && in[Head(heap.top().second)]) heap.pop();
        };
        join(0);
        while (count < m_n) {
            stale(outward);
            stale(inward);
            if (outward.empty() && inward.empty()) return false;  // not connected: nothing to improve on
            long long outSlack = outward.empty() ? -1 : outward.top().first - shift;
            long long inSlack = inward.empty() ? -1 : inward.top().first + shift;
            int e;
            if (inSlack < 0 || (outSlack >= 0 && outSlack <= inSlack)) {
                e = outward.top().second;
                shift += outSlack;  // the tree moves down onto the link's lower end
            } else {
                e = inward.top().second;
                shift -= inSlack;  // the tree moves up under the link's upper end
            }
            m_tree[e] = 1;
            join(in[Tail(e)] ? Head(e) : Tail(e));
        }
        for (int v = 0; v < m_n; ++v) m_layer[v] = static_cast<int>(base[v] + shift);
        return true;
    }

    // Post-order numbers of the tree: v's subtree holds the nodes w with
    // low[v] <= lim[w] <= lim[v]. Numbers the subtree of v (entered by its
    // link parent) from low on; returns the next free number.
    int Number(int v, int parent, int low) {
        m_parent[v] = parent;
        m_low[v] = low;
        std::vector<Frame>& stack = m_frames;
        stack.clear();
        stack.push_back({v, 0});
        int next = low;
        while (!stack.empty()) {
            Frame& top = stack.back();
            int x = top.v;
            if (top.k < static_cast<int>(m_treeAdj[x].size())) {
                int e = m_treeAdj[x][top.k++];
                if (e == m_parent[x]) continue;
                int w = Other(e, x);
                m_parent[w] = e;
                m_low[w] = next;
                stack.push_back({w, 0});
                continue;
            }
            m_post[next] = x;
            m_lim[x] = next++;
            ++m_work;
            stack.pop_back();
        }
        return next;
    }

    void NumberAll() {
        m_treeAdj.assign(m_n, {});
        for (int e = 0; e < m_m; ++e)
            if (m_tree[e]) {
                m_treeAdj[Tail(e)].push_back(e);
                m_treeAdj[Head(e)].push_back(e);
            }
        m_low.assign(m_n, 0);
        m_lim.assign(m_n, 0);
        m_parent.assign(m_n, -1);
        m_post.resize(m_n);
        Number(0, -1, 0);
    }

    // Cut value of a tree link: the links from its tail's side to its
    // head's side, less those going the other way. Children before parents,
    // each from its own links and its child links' cut values.
    void CutValues() {
        m_cut.assign(m_m, 0);
        for (int v : m_post) {
            int f = m_parent[v];
            if (f < 0) continue;
            bool childIsTail = Tail(f) == v;
            int sum = 0;
            for (int k = m_incStart[v]; k < m_incStart[v + 1]; ++k) {
                int e = m_inc[k];
                int w = Other(e, v);
                bool outside = !InSubtree(w, v);
                int value;
                if (outside) {
                    value = 1;
                } else {
                    value = (m_tree[e] ? m_cut[e] : 0) - 1;
                }
                int d = childIsTail ? (Head(e) == v ? 1 : -1) : (Tail(e) == v ? 1 : -1);
                if (outside) d = -d;
                sum += d < 0 ? -value : value;
            }
            m_cut[f] = sum;
        }
    }

    int LeavingEdge() {
        int best = -1, seen = 0, looked = 0;
        // From the cursor round to it again, without a division per link.
        for (int e = m_cursor; looked < m_m;) {
            ++looked;
            if (m_tree[e] && m_cut[e] < 0) {
                if (best < 0 || m_cut[e] < m_cut[best]) best = e;
                if (++seen >= kLeaveCandidates) break;
            }
            if (++e == m_m) e = 0;
        }
        m_work += looked;
        if (best >= 0) m_cursor = best + 1 == m_m ? 0 : best + 1;
        return best;
    }

    // The non-tree link of least slack from the head's side of f to its
    // tail's side (the least numbered on a tie). Only the links at the
    // nodes of one side can qualify: those of f's subtree, or those of the
    // rest where that is smaller. The work counts as the subtree's nodes
    // and links either way.
    int EnteringEdge(int f) {
        bool tailSide = m_lim[Tail(f)] < m_lim[Head(f)];  // the subtree is the tail's side
        int root = tailSide ? Tail(f) : Head(f);
        int best = -1;
        auto consider = [&](int e) {
            if (best < 0 || Slack(e) < Slack(best) || (Slack(e) == Slack(best) && e < best)) best = e;
        };
        const bool inside = 2 * (m_lim[root] - m_low[root] + 1) <= m_n;
        const long long visited = ForSide(root, inside, [&](int x) {
            for (int k = m_incStart[x]; k < m_incStart[x + 1]; ++k) {
                const int e = m_inc[k];
                if (m_tree[e]) continue;
                if (inside ? (tailSide ? Head(e) : Tail(e)) == x && !InSubtree(Other(e, x), root)
                           : (tailSide ? Tail(e) : Head(e)) == x && InSubtree(Other(e, x), root))
                    consider(e);
            }
        });
        m_work += inside ? visited : m_n + 2LL * m_m - visited;
        return best;
    }

    // Calls visit for each node of v's subtree (inside) or of the rest,
    // by their numbers; returns their count and that of their links.
    template <typename Visit>
    long long ForSide(int v, bool inside, Visit&& visit) {
        long long visited = 0;
        auto range = [&](int from, int to) {
            for (int k = from; k < to; ++k) {
                const int x = m_post[k];
                visited += 1 + m_incStart[x + 1] - m_incStart[x];
                visit(x);
            }
        };
        if (inside) {
            range(m_low[v], m_lim[v] + 1);
        } else {
            range(0, m_low[v]);
            range(m_lim[v] + 1, m_n);
        }
        return visited;
    }

    // Cut values change only along the tree path that e closes into a
    // cycle (f lies on it): by f's cut value, with a sign by direction.
    // Returns the top of that path.
    int TreeUpdate(int v, int w, int cut, bool dir) {
        while (!InSubtree(w, v)) {
            int e = m_parent[v];
            bool d = v == Tail(e) ? dir : !dir;
            m_cut[e] += d ? cut : -cut;
            v = Other(e, v);
        }
        return v;
    }

    void Exchange(int f, int e) {
        bool tailSide = m_lim[Tail(f)] < m_lim[Head(f)];
        int root = tailSide ? Tail(f) : Head(f);
        int delta = Slack(e);
        if (delta > 0) {
            const int by = tailSide ? -delta : delta;
            m_work += ForSide(root, true, [&](int v) { m_layer[v] += by; });
        }
        int cut = m_cut[f];
        int top = TreeUpdate(Tail(e), Head(e), cut, true);
        TreeUpdate(Head(e), Tail(e), cut, false);
        m_cut[e] = -cut;
        m_cut[f] = 0;
        m_tree[f] = 0;
        m_tree[e] = 1;
        for (int end : {Tail(f), Head(f)}) {
            auto& adj = m_treeAdj[end];
            adj.erase(std::find(adj.begin(), adj.end(), f));
        }
        m_treeAdj[Tail(e)].push_back(e);
        m_treeAdj[Head(e)].push_back(e);
        Number(top, m_parent[top], m_low[top]);
    }

    const int m_n, m_m;
    const std::vector<std::pair<int, int>>& m_edges;
    std::vector<int>& m_layer;
    std::vector<int> m_incStart, m_inc;  // links at each node, by number
    std::vector<char> m_tree;
    std::vector<std::vector<int>> m_treeAdj;  // tree links at each node
    std::vector<int> m_low, m_lim, m_parent, m_cut;
    std::vector<int> m_post;  // the nodes by their post-order numbers
    // Scratch space of the walks.
    struct Frame {
        int v, k;
    };
    std::vector<Frame> m_frames;
    int m_cursor = 0;
    long long m_work = 0;  // nodes and links visited by the exchanges so far
};

}  // namespace

int MinimiseLinkLength(int nodes, const std::vector<std::pair<int, int>>& edges, std::vector<int>& layer,
                       int maxIterations) {
    return Simplex(nodes, edges, layer).Run(maxIterations);
}

}  // namespace platform::diagram::layout
