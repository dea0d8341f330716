#include "platform/diagram/LayoutCrossings.h"

#include <algorithm>

#include "platform/diagram/LayoutSort.h"

namespace platform::diagram::layout {

namespace {

// Bounds on the work per component: ordering sweeps (stopping early once a
// few in a row bring nothing) and transposition passes after them.
constexpr int kMaxSweeps = 24;
constexpr int kStaleSweeps = 8;
// Sweeps of a quick start, enough to compare several layerings.
constexpr int kQuickSweeps = 8;
constexpr int kMaxTransposePasses = 8;
// Sifting passes after them, and the pair comparisons they may make, per
// node and link of the proper graph.
constexpr int kMaxSiftPasses = 2;
constexpr long long kSiftWorkPerElement = 200;
// A sparse graph (at most this many links per box) is ordered from a third
// first order too: with few links to pin them, where the boxes start
// decides more.
constexpr std::size_t kSparseLinksPerBox = 2;
// A sweep counts as a gain when it removes more than this share of the
// crossings.
constexpr double kConvergence = 0.995;
// Counting crossings by insertion stops paying once the ends it moved
// come to about what a Fenwick tree would cost per end.
constexpr long long kShiftsPerEnd = 8;
constexpr long long kShiftsFree = 64;
// Two nodes' links toward one side are compared pair by pair up to this
// many pairs, and merged beyond.
constexpr int kPairsCompared = 32;

// Sorts the positions of a node's many neighbours.
void SortMany(int* begin, int* end) {
    if (end - begin > 16) {
        std::sort(begin, end);
        return;
    }
    for (int* i = begin + 1; i < end; ++i)
        for (int* j = i; j > begin && *(j - 1) > *j; --j) std::swap(*(j - 1), *j);
}

// Sorts the few positions of one node's neighbours: most nodes are
// dummies with one neighbour on each side, where a general sort costs more
// than the work. Inline, as it runs for every node of a layer.
inline void SortFew(int* begin, int* end) {
    // Two, three or four (a box's links one way, mostly) by exchanges that
    // do not branch on the values, which a processor cannot foresee.
    auto order = [](int& a, int& b) {
        const int lo = std::min(a, b), hi = std::max(a, b);
        a = lo;
        b = hi;
    };
    switch (end - begin) {
    case 0:
    case 1:
        return;
    case 2:
        order(begin[0], begin[1]);
        return;
    case 3:
        order(begin[0], begin[1]);
        order(begin[1], begin[2]);
        order(begin[0], begin[1]);
        return;
    case 4:
        order(begin[0], begin[1]);
        order(begin[2], begin[3]);
        order(begin[0], begin[2]);
        order(begin[1], begin[3]);
        order(begin[1], begin[2]);
        return;
    default:
        SortMany(begin, end);
    }
}

// The passes over one graph, with their working space; what they keep
// between a start and its finish lives in CrossingReduction::Kept.
class Ordering {
public:
    Ordering(const LayerGraph& graph, CrossingReduction::Kept& kept)
        : m_levels(graph.levels),
          m_nodes(static_cast<int>(graph.layer.size())),
          m_layer(graph.layer),
          m_edges(graph.edges),
          m_down(graph.down),
          m_up(graph.up),
          m_order(graph.order),
          m_pos(graph.pos),
          m_quick(kept.quick),
          m_best(kept.best),
          m_kept(kept.order) {}

    // The crossing reduction from two first orders (depth first and
    // breadth first), in a sparse graph from a third (breadth first from
    // the last layers up): the sweeps end in a local optimum, and a
    // different start often finds a better one. The order with the fewest
    // crossings is kept, the first on a tie, and then sifted.
    void OrderLayers(int boxes, std::size_t links) {
        if (m_quick) {
            m_quick = false;
            m_order = m_kept;
            for (const auto& ord : m_order)
                for (int i = 0; i < static_cast<int>(ord.size()); ++i) m_pos[ord[i]] = i;
            ReduceCrossings();
            const long long c = Crossings();
            if (c < m_best) {
                m_best = c;
                m_kept = m_order;
            }
        }
        const bool sparse = links <= kSparseLinksPerBox * static_cast<std::size_t>(boxes);
        for (int start = 1; start < (sparse ? 3 : 2) && m_best != 0; ++start) OrderFrom(start);
        m_order = std::move(m_kept);
        for (const auto& ord : m_order)
            for (int i = 0; i < static_cast<int>(ord.size()); ++i) m_pos[ord[i]] = i;
        // Sifting moves a node only where that removes crossings: an order
        // without any (a routine's callers side by side) is left as it is,
        // which spares a layer of thousands its pairs.
        if (m_best == 0) return;
        for (int pass = 0; pass < kMaxSiftPasses && SiftPass(); ++pass) {}
    }

    // The crossing reduction from one first order, kept where it crosses
    // less than those before.
    void OrderFrom(int start) {
        m_breadthFirst = start >= 1;
        m_fromSinks = start == 2;
        InitialOrder();
        ReduceCrossings();
        const long long c = Crossings();
        if (m_best < 0 || c < m_best) {
            m_best = c;
            m_kept = m_order;
        }
    }

    // A depth-first (or breadth-first) walk from the boxes in their order
    // puts connected boxes near each other from the start, which the sweeps
    // then refine. From the sinks, the breadth-first walk starts at the
    // nodes with nothing below them and looks up before down.
    void InitialOrder() {
        m_order.assign(m_levels, {});
        m_pos.assign(m_nodes, 0);
        std::vector<char> seen(m_nodes, 0);
        // A node is placed at the end of its layer when the walk first meets it.
        auto place = [&](int v) {
            seen[v] = 1;
            m_pos[v] = static_cast<int>(m_order[m_layer[v]].size());
            m_order[m_layer[v]].push_back(v);
        };
        if (m_breadthFirst) {
            // Breadth first from the boxes in their order.
            std::vector<int> queue;
            const Adjacency& first = m_fromSinks ? m_up : m_down;
            const Adjacency& second = m_fromSinks ? m_down : m_up;
            // Pass 0 (from the sinks only) takes the nodes with nothing
            // below them as roots, pass 1 any node not yet reached.
            for (int pass = m_fromSinks ? 0 : 1; pass < 2; ++pass)
                for (int root = 0; root < m_nodes; ++root) {
                    if (seen[root] || (pass == 0 && m_down.Degree(root) > 0)) continue;
                    queue.assign(1, root);
                    place(root);
                    for (std::size_t q = 0; q < queue.size(); ++q) {
                        const int v = queue[q];
                        for (const Adjacency* nb : {&first, &second})
                            for (int k = nb->Begin(v); k < nb->End(v); ++k) {
                                const int w = nb->list[k];
                                if (seen[w]) continue;
                                place(w);
                                queue.push_back(w);
                            }
                    }
                }
            return;
        }
        std::vector<std::pair<int, int>> stack;
        auto visit = [&](int v) {
            place(v);
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
        StartCount(static_cast<int>(m_order[l + 1].size()));
        long long crossings = 0;
        for (int u : m_order[l]) {
            const int degree = m_down.Degree(u);
            if (static_cast<int>(m_few.size()) < degree) m_few.resize(degree);
            int* few = m_few.data();
            for (int k = 0; k < degree; ++k) few[k] = m_pos[m_down.list[m_down.Begin(u) + k]];
            SortFew(few, few + degree);
            crossings += AddLinkEnds(few, few + degree);
        }
        return crossings;
    }

    // Counting the crossings between two layers, the links' ends in one
    // (positions below size) added in the order of their ends in the
    // other. While few links cross, the ends added are kept sorted by
    // insertion, which costs as much as the crossings; past a budget of
    // that, a Fenwick tree over the positions takes over.
    void StartCount(int size) {
        m_ends.clear();
        m_countSize = size;
        m_inTree = false;
        m_shifts = 0;
    }

    // Adds the next links' ends, their positions [begin, end); returns how
    // many of the ends added before stand after each: the pairs that cross.
    long long AddLinkEnds(const int* begin, const int* end) {
        long long crossings = 0;
        for (const int* p = begin; p != end; ++p) {
            if (!m_inTree) {
                std::size_t j = m_ends.size();
                m_ends.push_back(*p);
                int* ends = m_ends.data();
                for (; j > 0 && ends[j - 1] > *p; --j) ends[j] = ends[j - 1];
                ends[j] = *p;
                const auto after = static_cast<long long>(m_ends.size() - 1 - j);
                crossings += after;
                m_shifts += after;
                if (m_shifts > kShiftsPerEnd * static_cast<long long>(m_ends.size()) + kShiftsFree) CountInTree();
                continue;
            }
            int* tree = m_tree.data();
            const int size = m_countSize + 1;
            long long atMost = 0;
            for (int k = *p + 1; k > 0; k -= k & -k) atMost += tree[k];
            crossings += m_inserted - atMost;
            for (int k = *p + 1; k < size; k += k & -k) ++tree[k];
            ++m_inserted;
        }
        return crossings;
    }

    // The ends added so far into a Fenwick tree, built in linear time.
    void CountInTree() {
        m_inTree = true;
        m_inserted = static_cast<long long>(m_ends.size());
        const int size = m_countSize + 1;
        m_tree.assign(size, 0);
        for (int e : m_ends) ++m_tree[e + 1];
        for (int k = 1; k < size; ++k)
            if (const int parent = k + (k & -k); parent < size) m_tree[parent] += m_tree[k];
    }

    long long Crossings() {
        long long total = 0;
        for (int l = 0; l + 1 < m_levels; ++l) total += CrossingsBelow(l);
        return total;
    }

    // Reorders layer l by the weighted median of each node's neighbours in
    // the layer above (fromAbove) or below. Nodes without such neighbours
    // keep their slots; ties keep the earlier order, or reverse it.
    void SweepLayer(int l, bool fromAbove, bool reverse = false) {
        const Adjacency& nb = fromAbove ? m_up : m_down;
        auto& ord = m_order[l];
        m_keyed.clear();
        m_slots.clear();
        const int* list = nb.list.data();
        for (int i = 0; i < static_cast<int>(ord.size()); ++i) {
            int v = ord[i];
            const int degree = nb.Degree(v);
            if (degree == 0) continue;
            double key = m_pos[list[nb.Begin(v)]];
            if (degree > 1) {
                // Most nodes are dummies with one neighbour: only the others
                // gather and sort theirs.
                if (static_cast<int>(m_few.size()) < degree) m_few.resize(degree);
                int* few = m_few.data();
                for (int k = 0; k < degree; ++k) few[k] = m_pos[list[nb.Begin(v) + k]];
                SortFew(few, few + degree);
                const int n = degree, rm = n / 2;
                key = few[rm];
                if (n % 2 == 0) {
                    // Between the two middle ones, nearer the side whose
                    // neighbours lie closer together.
                    const double right = few[n - 1] - few[rm], left = few[rm - 1] - few[0];
                    key = left == right ? (few[rm - 1] + few[rm]) / 2.0
                                        : (few[rm - 1] * right + few[rm] * left) / (left + right);
                }
            }
            m_keyed.push_back({key, reverse ? -i : i, v});
            m_slots.push_back(i);
        }
        SortByKey(m_keyed, static_cast<int>(m_order[fromAbove ? l - 1 : l + 1].size()), reverse, m_byKey, m_bucket);
        for (std::size_t k = 0; k < m_keyed.size(); ++k) {
            ord[m_slots[k]] = m_keyed[k].node;
            m_pos[m_keyed[k].node] = m_slots[k];
        }
    }

    // The positions of every node's neighbours above and below, sorted,
    // for the nodes of layer l, and where they stand in m_sorted by the
    // nodes' places (m_at, which moves with the nodes). They hold while
    // only layer l is reordered: its nodes' neighbours all lie in the
    // layers beside it.
    void SortNeighbourPositions(int l) {
        const auto& ord = m_order[l];
        std::size_t size = 0;
        for (int v : ord) size += static_cast<std::size_t>(m_up.Degree(v) + m_down.Degree(v));
        if (m_sorted.size() < size) m_sorted.resize(size);
        if (m_at.size() < ord.size()) m_at.resize(ord.size());
        int* out = m_sorted.data();
        int at = 0;
        auto gather = [&](const Adjacency& nb, int v) {
            const int begin = at;
            for (int k = nb.Begin(v); k < nb.End(v); ++k) out[at++] = m_pos[nb.list[k]];
            if (at - begin > 1) SortFew(out + begin, out + at);
            return begin;
        };
        for (std::size_t i = 0; i < ord.size(); ++i) {
            Neighbours& n = m_at[i];
            n.upAt = gather(m_up, ord[i]);
            n.upDegree = at - n.upAt;
            n.downAt = gather(m_down, ord[i]);
            n.downDegree = at - n.downAt;
        }
    }

    // Crossings among the edges of u and v toward one side (their sorted
    // neighbour positions a and b): uFirst when u stands left of v, vFirst
    // when they are swapped.
    static void PairCrossings(const int* a, int aSize, const int* b, int bSize, long long& uFirst, long long& vFirst) {
        if (aSize == 0 || bSize == 0) return;
        if (aSize == 1 && bSize == 1) {
            uFirst += *b < *a;
            vFirst += *b > *a;
            return;
        }
        // A few links each: every pair compared, without the branches of
        // a merge that a processor cannot foresee.
        if (aSize * bSize <= kPairsCompared) {
            int before = 0, after = 0;
            for (const int* p = a; p != a + aSize; ++p)
                for (const int* q = b; q != b + bSize; ++q) {
                    before += *q < *p;
                    after += *q > *p;
                }
            uFirst += before;
            vFirst += after;
            return;
        }
        int below = 0, atMost = 0;
        for (const int* p = a; p != a + aSize; ++p) {
            while (below < bSize && b[below] < *p) ++below;
            while (atMost < bSize && b[atMost] <= *p) ++atMost;
            uFirst += below;
            vFirst += bSize - atMost;
        }
    }

    // Swaps neighbours in a layer whenever that removes crossings (or, with
    // equalToo, changes nothing but the order); each swap changes only the
    // crossings among the two nodes' own edges, so a pass never makes the
    // total worse. Only the layers marked in pending are looked at (all
    // where it is empty); a layer where nodes were swapped marks itself and
    // its neighbours for the next pass. With total, the crossings of the
    // order after the pass are counted on the way. True when a swap removed
    // crossings.
    bool TransposePass(bool equalToo = false, std::vector<char>* pending = nullptr, long long* total = nullptr) {
        bool improved = false;
        if (total) *total = 0;
        for (int l = 0; l < m_levels; ++l) {
            auto& ord = m_order[l];
            if (pending && !(*pending)[l]) continue;
            if (pending) (*pending)[l] = 0;
            if (ord.size() < 2 && !total) continue;
            SortNeighbourPositions(l);
            const int* sorted = m_sorted.data();
            Neighbours* at = m_at.data();
            bool swapped = false;
            for (int i = 0; i + 1 < static_cast<int>(ord.size()); ++i) {
                int u = ord[i], v = ord[i + 1];
                const Neighbours &a = at[i], &b = at[i + 1];
                long long uFirst = 0, vFirst = 0;
                PairCrossings(sorted + a.upAt, a.upDegree, sorted + b.upAt, b.upDegree, uFirst, vFirst);
                PairCrossings(sorted + a.downAt, a.downDegree, sorted + b.downAt, b.downDegree, uFirst, vFirst);
                if (vFirst < uFirst || (equalToo && vFirst == uFirst && uFirst > 0)) {
                    std::swap(ord[i], ord[i + 1]);
                    std::swap(at[i], at[i + 1]);
                    m_pos[u] = i + 1;
                    m_pos[v] = i;
                    improved = improved || vFirst < uFirst;
                    swapped = true;
                }
            }
            if (swapped && pending)
                for (int k = std::max(0, l - 1); k <= std::min(m_levels - 1, l + 1); ++k) (*pending)[k] = 1;
            // The layer before is settled: the links between the two cross
            // as they will after the pass.
            if (total && l > 0) *total += CrossingsAbove(l);
        }
        return improved;
    }

    // Crossings between layer l - 1 and l, from the sorted positions of the
    // upper neighbours of layer l's nodes (SortNeighbourPositions(l)).
    long long CrossingsAbove(int l) {
        StartCount(static_cast<int>(m_order[l - 1].size()));
        long long crossings = 0;
        for (std::size_t i = 0; i < m_order[l].size(); ++i) {
            const int* at = m_sorted.data() + m_at[i].upAt;
            crossings += AddLinkEnds(at, at + m_at[i].upDegree);
        }
        return crossings;
    }

    // Sweeps down and up the layers, each layer sorted by the weighted
    // median of its neighbours in the layer before, then neighbour swaps
    // that remove crossings. Every other pair of sweeps breaks ties the
    // other way round and lets swaps that change nothing through, so the
    // order can move across a plateau; an order at least as good as the
    // best so far replaces it. Stops after a few sweeps without real gain.
    void ReduceCrossings() {
        long long best = Crossings();
        auto bestOrder = m_order;
        int stale = 0;
        const int sweeps = m_quick ? kQuickSweeps : kMaxSweeps;
        for (int sweep = 0; sweep < sweeps && best > 0 && stale++ < kStaleSweeps; ++sweep) {
            const bool reverse = sweep % 4 < 2;
            if (sweep % 2 == 0)
                for (int l = 1; l < m_levels; ++l) SweepLayer(l, true, reverse);
            else
                for (int l = m_levels - 2; l >= 0; --l) SweepLayer(l, false, reverse);
            long long c = 0;
            TransposePass(!reverse, nullptr, &c);
            if (c <= best) {
                if (static_cast<double>(c) < kConvergence * static_cast<double>(best)) stale = 0;
                best = c;
                bestOrder = m_order;
            }
        }
        m_order = std::move(bestOrder);
        for (const auto& ord : m_order)
            for (int i = 0; i < static_cast<int>(ord.size()); ++i) m_pos[ord[i]] = i;
        std::vector<char> pending(m_levels, 1);
        for (int pass = 0; pass < kMaxTransposePasses && TransposePass(false, &pending); ++pass) {}
    }

    // Sifting: each node of a layer, the most linked first, moves to the
    // place in its layer where its links cross the fewest others, counted
    // toward both neighbouring layers. Where the median sweeps look at one
    // side at a time and the swaps at one neighbour, this weighs a node
    // against its whole layer; it never makes the total worse. Layers
    // past a budget of pair comparisons are left as they are. True when a
    // move removed crossings.
    bool SiftPass() {
        bool improved = false;
        std::vector<int> nodes;
        long long work = 0;
        const long long budget =
            kSiftWorkPerElement * (static_cast<long long>(m_nodes) + static_cast<long long>(m_edges.size()));
        for (int l = 0; l < m_levels; ++l) {
            auto& ord = m_order[l];
            const int n = static_cast<int>(ord.size());
            if (n < 2) continue;
            long long degrees = 0;
            for (int v : ord) degrees += m_up.Degree(v) + m_down.Degree(v);
            const long long cost = static_cast<long long>(n) * (degrees + n);
            if (work + cost > budget) continue;
            work += cost;
            SortNeighbourPositions(l);
            const int* sorted = m_sorted.data();
            Neighbours* slot = m_at.data();
            const int above = l > 0 ? static_cast<int>(m_order[l - 1].size()) : 0;
            const int below = l + 1 < m_levels ? static_cast<int>(m_order[l + 1].size()) : 0;
            nodes.assign(ord.begin(), ord.end());
            std::stable_sort(nodes.begin(), nodes.end(), [&](int a, int b) {
                return m_up.Degree(a) + m_down.Degree(a) > m_up.Degree(b) + m_down.Degree(b);
            });
            for (int v : nodes) {
                const int at = m_pos[v];
                const int upDegree = slot[at].upDegree, downDegree = slot[at].downDegree;
                const int *vUp = sorted + slot[at].upAt, *vDown = sorted + slot[at].downAt;
                // Where v and w cross more with v before w than with w
                // before v, by how many: the sum over their links of those
                // that cross only one way round.
                //
                // With a link each way at most (most nodes are dummies),
                // v's neighbours' positions are compared with w's directly.
                auto direct = [&](const Neighbours& w) {
                    long long more = 0;
                    if (upDegree > 0)
                        for (const int *q = sorted + w.upAt, *end = q + w.upDegree; q != end; ++q)
                            more += (*vUp > *q) - (*vUp < *q);
                    if (downDegree > 0)
                        for (const int *q = sorted + w.downAt, *end = q + w.downDegree; q != end; ++q)
                            more += (*vDown > *q) - (*vDown < *q);
                    return more;
                };
                // Otherwise, of every position in the layers beside, how
                // many of v's neighbours there stand before it: then the
                // crossings of v's links with another node's are a few
                // look-ups.
                auto count = [&](std::vector<int>& less, int size, const int* at, int degree) {
                    less.assign(size + 1, 0);
                    for (const int* p = at; p != at + degree; ++p) ++less[*p + 1];
                    for (int q = 1; q <= size; ++q) less[q] += less[q - 1];
                };
                const bool few = upDegree <= 1 && downDegree <= 1;
                if (!few) {
                    count(m_lessUp, above, vUp, upDegree);
                    count(m_lessDown, below, vDown, downDegree);
                }
                const int* lessUp = m_lessUp.data();
                const int* lessDown = m_lessDown.data();
                auto looked = [&](const Neighbours& w) {
                    long long more = 0;
                    for (const int *q = sorted + w.upAt, *end = q + w.upDegree; q != end; ++q)
                        more += upDegree - lessUp[*q + 1] - lessUp[*q];
                    for (const int *q = sorted + w.downAt, *end = q + w.downDegree; q != end; ++q)
                        more += downDegree - lessDown[*q + 1] - lessDown[*q];
                    return more;
                };
                // The place for v with the fewest crossings (the first
                // found on a tie, looking left first): moving left past w
                // puts v before it, moving right puts it after.
                auto bestPlace = [&](auto more) {
                    long long change = 0, best = 0;
                    int bestAt = at;
                    for (int j = at - 1; j >= 0; --j) {
                        change += more(slot[j]);
                        if (change < best) best = change, bestAt = j;
                    }
                    change = 0;
                    for (int j = at + 1; j < n; ++j) {
                        change -= more(slot[j]);
                        if (change < best) best = change, bestAt = j;
                    }
                    return bestAt;
                };
                const int bestAt = few ? bestPlace(direct) : bestPlace(looked);
                if (bestAt == at) continue;
                improved = true;
                if (bestAt < at) {
                    std::rotate(ord.begin() + bestAt, ord.begin() + at, ord.begin() + at + 1);
                    std::rotate(slot + bestAt, slot + at, slot + at + 1);
                } else {
                    std::rotate(ord.begin() + at, ord.begin() + at + 1, ord.begin() + bestAt + 1);
                    std::rotate(slot + at, slot + at + 1, slot + bestAt + 1);
                }
                for (int k = std::min(at, bestAt); k <= std::max(at, bestAt); ++k) m_pos[ord[k]] = k;
            }
        }
        return improved;
    }

private:
    const int m_levels;
    const int m_nodes;
    const std::vector<int>& m_layer;
    const std::vector<std::pair<int, int>>& m_edges;
    const Adjacency& m_down;
    const Adjacency& m_up;
    std::vector<std::vector<int>>& m_order;
    std::vector<int>& m_pos;
    bool& m_quick;
    long long& m_best;
    std::vector<std::vector<int>>& m_kept;
    bool m_breadthFirst = false;
    bool m_fromSinks = false;
    // Scratch space reused by the passes.
    std::vector<int> m_tree, m_ends;  // see StartCount
    int m_countSize = 0;
    bool m_inTree = false;
    long long m_shifts = 0, m_inserted = 0;
    std::vector<int> m_slots, m_few;
    // Where a node's sorted neighbour positions stand in m_sorted, and how
    // many there are, above and below.
    struct Neighbours {
        int upAt, upDegree, downAt, downDegree;
    };
    std::vector<int> m_sorted;       // see SortNeighbourPositions
    std::vector<Neighbours> m_at;    // by place in the layer
    std::vector<int> m_lessUp, m_lessDown;        // see SiftPass
    std::vector<KeyedNode> m_keyed, m_byKey;      // see SweepLayer
    std::vector<int> m_bucket;
};

}  // namespace

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

long long CrossingReduction::Start(const LayerGraph& graph, bool quick) {
    m_kept.quick = quick;
    Ordering(graph, m_kept).OrderFrom(0);
    return m_kept.best;
}

void CrossingReduction::Finish(const LayerGraph& graph, int boxes, std::size_t links) {
    Ordering(graph, m_kept).OrderLayers(boxes, links);
}

long long CountCrossings(const LayerGraph& graph) {
    CrossingReduction::Kept none;
    return Ordering(graph, none).Crossings();
}

}  // namespace platform::diagram::layout
