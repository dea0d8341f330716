#include "platform/diagram/LayoutLayers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <tuple>

#include "platform/diagram/DiagramLayout.h"
#include "platform/diagram/LayoutAlign.h"
#include "platform/diagram/LayoutCrossings.h"
#include "platform/diagram/LayoutTracks.h"

namespace platform::diagram::layout {

namespace {

// Dummies allowed per box and link, on average.
constexpr long long kDummiesPerElement = 20;
// Dummies of the links left out of the ordering, routed after it, as a
// multiple of that budget.
constexpr long long kRoutedPerOrdered = 10;
// Space between a link's line and its labels beside it, and between two
// labels of one link stacked across the row of labels.
constexpr double kLabelGap = 3;
constexpr double kLabelStack = 4;
// Room between a row's labels and the row's edges, where other links'
// lines arrive from their boxes: twice as far from a label as its own line
// beside it, so that each label reads as its own line's.
constexpr double kLabelPad = 6;
// Least distance between the ends of links on one side of a box, and where
// one of them has an arrowhead, wide enough that two heads stay apart.
constexpr double kPortSpacing = 6;
constexpr double kArrowPortSpacing = 12;
// An end with an arrowhead runs straight into its box for this long at
// least, so that the heads of neighbouring ends point the same way.
constexpr double kArrowStub = 8;
// A wrapped layer takes at most this many rows. The links to a row pass
// between the boxes of every row before it, one line more between two
// boxes for each row: a layer of thousands of leaves (a routine every
// program calls) would otherwise take hundreds of rows, its lines weaving
// through all of them, and lay out in time growing with the square of
// its boxes.
constexpr int kMaxWrapRows = 20;
// A link from a box to itself is a loop beyond the box's far side along
// its layer, each further loop reaching further; their labels stand beyond
// the outermost one.
constexpr double kLoopReach = 16;
constexpr double kLoopStep = 12;

bool HasLabels(const LinkLabels& l) {
    return l.captionAlong > 0 || l.fromAlong > 0 || l.toAlong > 0;
}

class Engine {
public:
    explicit Engine(const LayerInput& in)
        : m_in(in), m_real(static_cast<int>(in.along.size())), m_along(in.along), m_across(in.across) {}

    // The layers ordered from the first start: their crossings (the links
    // left out of the ordering among them), enough to tell which of several
    // layerings crosses least. A quick start stops its sweeps early; Finish
    // then takes them up again.
    long long Start(bool quick = false) {
        MeasureLoops();
        CompressLayers();
        WrapWideLayers();
        BuildProperGraph();
        m_started = true;
        Check();
        const long long crossings = m_ordering.Start(Graph(), quick);
        if (m_leftOut.empty()) return crossings;
        Engine routed(*this);
        routed.RouteLeftOut();
        return routed.Crossings();
    }

    // The other starts, sifting, the links left out, placement and routes.
    Placement Finish() {
        if (!m_started) Start();
        Check();
        m_ordering.Finish(Graph(), m_real, m_in.edges.size());
        Check();
        RouteLeftOut();
        SizeForPorts();
        const long long crossings = Crossings();
        Check();
        PlaceAlong();
        Check();
        Placement p = Output();
        p.crossings = crossings;
        return p;
    }

private:
    void Check() const {
        if (m_in.stop && m_in.stop()) throw LayoutStopped();
    }
    bool IsDummy(int v) const { return v >= m_real; }
    // A box stands centred on its anchor; a dummy's line runs at its anchor
    // with its labels (if any) beside it, toward the end of the layer.
    double Lo(int v) const { return IsDummy(v) ? 0.0 : m_along[v] / 2; }
    double Hi(int v) const { return IsDummy(v) ? m_extent[v - m_real] : m_along[v] / 2 + m_loopRoom[v]; }
    double Gap(int a, int b) const {
        int dummies = IsDummy(a) + IsDummy(b);
        const double gap = dummies == 0 ? kBoxGap : dummies == 1 ? kBoxGap / 2 : kBoxGap / 4;
        // The next line stands more than twice as far from a dummy's labels
        // as its own line does, so that they read as its own.
        return IsDummy(a) && m_extent[a - m_real] > 0 ? std::max(gap, kLabelPad + 1) : gap;
    }
    // Distance between the anchors of two neighbours in a row.
    double Separation(int a, int b) const { return Hi(a) + Gap(a, b) + Lo(b); }
    const LinkLabels* Labels(int e) const {
        return m_in.labels.empty() || !HasLabels(m_in.labels[e]) ? nullptr : &m_in.labels[e];
    }
    bool Arrow(int e, bool toEnd) const {
        const unsigned char a = m_in.arrows.empty() ? static_cast<unsigned char>(kArrowTo) : m_in.arrows[e];
        return (a & (toEnd ? kArrowTo : kArrowFrom)) != 0;
    }
    // The side of a box (0 toward the first layer, 1 away from it) where a
    // link leaves it for the node next; as an index, 2 * box + side.
    int SideOf(int box, int next) const { return 2 * box + (m_layer[next] > m_layer[box] ? 1 : 0); }

    // Loops and their labels: the room they take beyond each box.
    void MeasureLoops() {
        m_loopRoom.assign(m_real, 0);
        m_loopStack.assign(m_real, 0);
        m_loops.assign(m_real, {});
        for (int e = 0; e < static_cast<int>(m_in.edges.size()); ++e)
            if (m_in.edges[e].first == m_in.edges[e].second) m_loops[m_in.edges[e].first].push_back(e);
        for (int v = 0; v < m_real; ++v) {
            if (m_loops[v].empty()) continue;
            // Their labels stacked across the layer just beyond the
            // outermost loop, each beside the loop's line, kept off the
            // level's edges where other lines arrive.
            double widest = 0, stack = 0;
            for (int e : m_loops[v]) {
                const LinkLabels* l = Labels(e);
                if (!l) continue;
                for (auto [along, across] : {std::pair{l->fromAlong, l->fromAcross}, {l->captionAlong, l->captionAcross},
                                             {l->toAlong, l->toAcross}})
                    if (along > 0) {
                        widest = std::max(widest, along);
                        stack += across + (stack > 0 ? kLabelStack : 0);
                    }
            }
            const int loops = static_cast<int>(m_loops[v].size());
            m_loopRoom[v] = LoopReach(loops - 1) + (widest > 0 ? kLabelGap + widest : 0);
            // The loops' ends stand apart on the box's side, room for an
            // arrowhead each.
            m_across[v] = std::max(m_across[v], 2 * LoopSpread(loops - 1) + 2);
            m_loopStack[v] = stack > 0 ? stack + 2 * kLabelPad : 0;
        }
    }
    static double LoopReach(int k) { return kLoopReach + kLoopStep * k; }
    // How far the ends of a box's k-th loop stand from the middle of its side.
    static double LoopSpread(int k) { return 4 + kArrowPortSpacing * k; }

    // Layers made consecutive.
    void CompressLayers() {
        std::vector<int> values(m_in.layer);
        std::sort(values.begin(), values.end());
        values.erase(std::unique(values.begin(), values.end()), values.end());
        m_boxLayer.resize(m_real);
        for (int v = 0; v < m_real; ++v)
            m_boxLayer[v] = static_cast<int>(std::lower_bound(values.begin(), values.end(), m_in.layer[v]) - values.begin());
        m_layers = static_cast<int>(values.size());
        auto pivot = std::lower_bound(values.begin(), values.end(), m_in.pivotLayer);
        m_pivot = m_in.pivotLayer >= 0 && pivot != values.end() && *pivot == m_in.pivotLayer
                      ? static_cast<int>(pivot - values.begin())
                      : -1;
    }

    // A layer wider than the limit at the end of the flow moves its boxes
    // that hang from one neighbour (leaves) into further layers of their
    // own beyond it: their links pass the rows before them as ordinary long
    // links, between the boxes. The number of rows is the one that brings
    // the component nearest the page shape. Wrapping a layer that links
    // onward would cost crossings; such a component keeps its width, and
    // the page shape comes from packing the components.
    void WrapWideLayers() {
        if (m_in.wrapLimit <= 0 || m_layers == 0) return;
        std::vector<char> before(m_real, 0), after(m_real, 0), flat(m_real, 0);
        std::vector<int> neighbour(m_real, -1);  // the one neighbour of a leaf; -2 for two or more
        for (auto [a, b] : m_in.edges) {
            if (a == b) continue;
            for (auto [v, w] : {std::pair{a, b}, {b, a}}) neighbour[v] = neighbour[v] == -1 || neighbour[v] == w ? w : -2;
            const int la = m_boxLayer[a], lb = m_boxLayer[b];
            if (la == lb) flat[a] = flat[b] = 1;
            if (la < lb) after[a] = before[b] = 1;
            if (la > lb) after[b] = before[a] = 1;
        }
        std::vector<std::vector<int>> members(m_layers);
        for (int v = 0; v < m_real; ++v) members[m_boxLayer[v]].push_back(v);
        std::vector<double> width(m_layers, 0), thick(m_layers, 0);
        double depth = 0;
        for (int l = 0; l < m_layers; ++l) {
            for (int v : members[l]) {
                width[l] += m_in.along[v] + (width[l] > 0 ? kBoxGap : 0);
                thick[l] = std::max(thick[l], m_across[v]);
            }
            depth += thick[l] + (l > 0 ? m_in.layerGap : 0);
        }
        // (layer, row) of every box; rows toward the first layer count down.
        std::vector<std::pair<int, int>> place(m_real);
        for (int v = 0; v < m_real; ++v) place[v] = {m_boxLayer[v], 0};
        bool wrapped = false;
        std::vector<char> wrappedLayer(m_layers, 0);
        for (int l = 0; l < m_layers; ++l) {
            if (width[l] <= m_in.wrapLimit) continue;
            const bool towardFirst = m_pivot >= 0 && l < m_pivot;
            if (l == m_pivot) continue;
            // Only where it costs no crossing: the layer ends the flow (no
            // box of it links onward or inside it) and the boxes moved hang
            // from one neighbour each, so their lines fan out from it.
            std::vector<int> movable;
            double fixed = 0;
            bool ends = true;
            for (int v : members[l]) {
                ends = ends && !flat[v] && !(towardFirst ? before[v] : after[v]);
                if (neighbour[v] >= 0)
                    movable.push_back(v);
                else
                    fixed += m_in.along[v] + (fixed > 0 ? kBoxGap : 0);
            }
            const int m = static_cast<int>(movable.size());
            if (!ends || m < 2) continue;
            double others = 0;
            for (int k = 0; k < m_layers; ++k)
                if (k != l) others = std::max(others, width[k]);
            int bestRows = 1;
            double bestScore = 1e300;
            // Row r takes every rows-th box from the r-th on, so that the
            // links to the rows beyond pass between its boxes.
            std::vector<double> rowWidth;
            for (int rows = 1; rows <= std::min(m, kMaxWrapRows); ++rows) {
                rowWidth.assign(rows, 0);
                rowWidth[0] = fixed;
                for (int i = 0; i < m; ++i) {
                    double& w = rowWidth[i % rows];
                    w += m_in.along[movable[i]] + (w > 0 ? kBoxGap : 0);
                }
                // The links to a row pass every row before it.
                for (int r = rows - 2, beyond = 0; r >= 0; --r) {
                    beyond += (m - (r + 1) + rows - 1) / rows;
                    rowWidth[r] += (kBoxGap / 4) * beyond;
                }
                const double widest = std::max(others, *std::max_element(rowWidth.begin(), rowWidth.end()));
                // The fanning lines turn on tracks of their own before the
                // first row, about one for each of a quarter of them.
                const double deep = depth + (rows - 1) * (thick[l] + m_in.layerGap) + kTrackPitch * m / 4;
                const double score = std::abs(std::log(widest / deep / m_in.pageRatio));
                if (score < bestScore) {
                    bestScore = score;
                    bestRows = rows;
                }
            }
            if (bestRows == 1) continue;
            for (int i = 0; i < m; ++i) place[movable[i]].second = towardFirst ? -(i % bestRows) : i % bestRows;
            depth += (bestRows - 1) * (thick[l] + m_in.layerGap);
            wrapped = true;
            wrappedLayer[l] = 1;
        }
        if (!wrapped) return;
        std::vector<std::pair<int, int>> values(place);
        std::sort(values.begin(), values.end());
        values.erase(std::unique(values.begin(), values.end()), values.end());
        const int pivotBefore = m_pivot;
        for (int v = 0; v < m_real; ++v)
            m_boxLayer[v] = static_cast<int>(std::lower_bound(values.begin(), values.end(), place[v]) - values.begin());
        if (pivotBefore >= 0)
            m_pivot = static_cast<int>(std::lower_bound(values.begin(), values.end(), std::pair{pivotBefore, 0}) - values.begin());
        m_layers = static_cast<int>(values.size());
        m_wrapRow.assign(m_layers, 0);
        for (int k = 0; k < m_layers; ++k) m_wrapRow[k] = wrappedLayer[values[k].first];
    }

    // The proper graph: the layers of boxes at odd ranks, a row of labels
    // before each of them at even ranks (used only where a label or a link
    // between two boxes of one layer needs it), and every link a chain
    // through one dummy per rank it passes, so that each edge joins two
    // consecutive ranks. A link's caption rides on its dummy in the row of
    // labels nearest its middle, an end label on the one nearest its end;
    // a link inside one layer turns round a dummy in the row before it.
    void BuildProperGraph() {
        const int ranks = 2 * m_layers + 1;
        std::vector<char> active(ranks, 0);
        for (int l = 0; l < m_layers; ++l) active[2 * l + 1] = 1;
        const int edges = static_cast<int>(m_in.edges.size());
        m_route.assign(edges, {});
        for (int e = 0; e < edges; ++e) {
            auto [f, t] = m_in.edges[e];
            if (f == t) continue;
            const int lf = m_boxLayer[f], lt = m_boxLayer[t];
            EdgeRoute& r = m_route[e];
            if (lf == lt) {
                r.captionRank = r.fromRank = r.toRank = 2 * lf;
                active[2 * lf] = 1;
                continue;
            }
            const LinkLabels* labels = Labels(e);
            if (!labels) continue;
            const int lo = std::min(lf, lt), hi = std::max(lf, lt);
            r.fromRank = lf < lt ? 2 * lo + 2 : 2 * hi;
            r.toRank = lf < lt ? 2 * hi : 2 * lo + 2;
            r.captionRank = m_in.captionNearFrom ? r.fromRank : 2 * (lo + (hi - lo + 1) / 2);
            if (labels->captionAlong > 0) active[r.captionRank] = 1;
            if (labels->fromAlong > 0) active[r.fromRank] = 1;
            if (labels->toAlong > 0) active[r.toRank] = 1;
        }
        std::vector<int>& levelOf = m_levelOf;
        levelOf.assign(ranks, -1);
        std::vector<int>& rankOfLevel = m_rankOfLevel;
        for (int r = 0; r < ranks; ++r)
            if (active[r]) {
                levelOf[r] = static_cast<int>(rankOfLevel.size());
                rankOfLevel.push_back(r);
            }
        m_levels = static_cast<int>(rankOfLevel.size());
        m_boxLevel.assign(m_levels, 0);
        for (int k = 0; k < m_levels; ++k) m_boxLevel[k] = rankOfLevel[k] % 2;
        m_layer.resize(m_real);
        for (int v = 0; v < m_real; ++v) m_layer[v] = levelOf[2 * m_boxLayer[v] + 1];

        // A deep graph with many links across it would need dummies by the
        // million; past a budget the longest links are left out of the
        // ordering and routed once it is done (RouteLeftOut), and past a
        // second, larger one not routed at all (the painter draws them
        // straight).
        std::vector<int> order;
        long long dummies = 0;
        auto span = [&](int e) {
            auto [f, t] = m_in.edges[e];
            return m_boxLayer[f] == m_boxLayer[t] ? 1 : std::abs(m_layer[f] - m_layer[t]) - 1;
        };
        for (int e = 0; e < edges; ++e)
            if (m_in.edges[e].first != m_in.edges[e].second) {
                order.push_back(e);
                dummies += span(e);
            }
        const long long budget = kDummiesPerElement * (static_cast<long long>(m_real) + static_cast<long long>(order.size()));
        if (dummies > budget) {
            std::stable_sort(order.begin(), order.end(), [&](int x, int y) { return span(x) < span(y); });
            std::size_t keep = 0, route = 0;
            long long used = 0;
            for (; keep < order.size() && used + span(order[keep]) <= budget; ++keep) used += span(order[keep]);
            for (route = keep; route < order.size() && used + span(order[route]) <= kRoutedPerOrdered * budget; ++route)
                used += span(order[route]);
            m_leftOut.assign(order.begin() + static_cast<long>(keep), order.begin() + static_cast<long>(route));
            order.resize(keep);
            std::sort(order.begin(), order.end());
        }

        std::vector<std::pair<int, int>> proper;
        for (int e : order) AddChain(e, proper);
        m_nodes = static_cast<int>(m_layer.size());
        m_edges = std::move(proper);
        m_down = BuildAdjacency(m_nodes, m_edges, true);
        m_up = BuildAdjacency(m_nodes, m_edges, false);
    }

    // The chain of one link: its dummies and the edges of the proper graph
    // between them.
    void AddChain(int e, std::vector<std::pair<int, int>>& proper) {
        const std::vector<int>& rankOfLevel = m_rankOfLevel;
        auto addDummy = [&](int level, int e, int rank) {
            int d = static_cast<int>(m_layer.size());
            m_layer.push_back(level);
            m_extent.push_back(0);
            m_thick.push_back(0);
            EdgeRoute& r = m_route[e];
            const LinkLabels* labels = Labels(e);
            if (labels) {
                // The labels this dummy carries, stacked across its row.
                double along = 0, across = 0;
                auto take = [&](double a, double c) {
                    if (a <= 0) return;
                    along = std::max(along, a);
                    across += c + (across > 0 ? kLabelStack : 0);
                };
                if (rank == r.fromRank) take(labels->fromAlong, labels->fromAcross);
                if (rank == r.captionRank) take(labels->captionAlong, labels->captionAcross);
                if (rank == r.toRank) take(labels->toAlong, labels->toAcross);
                if (along > 0) {
                    m_extent.back() = kLabelGap + along;
                    m_thick.back() = across + 2 * kLabelPad;
                }
            }
            r.chain.push_back(d);
            return d;
        };
        {
            auto [f, t] = m_in.edges[e];
            EdgeRoute& r = m_route[e];
            r.chain.push_back(f);
            if (m_boxLayer[f] == m_boxLayer[t]) {
                int d = addDummy(m_levelOf[2 * m_boxLayer[f]], e, 2 * m_boxLayer[f]);
                proper.emplace_back(d, f);
                proper.emplace_back(d, t);
            } else {
                const int step = m_layer[t] > m_layer[f] ? 1 : -1;
                int prev = f;
                for (int k = m_layer[f] + step; k != m_layer[t]; k += step) {
                    int d = addDummy(k, e, rankOfLevel[k]);
                    proper.emplace_back(step > 0 ? prev : d, step > 0 ? d : prev);
                    prev = d;
                }
                proper.emplace_back(step > 0 ? prev : t, step > 0 ? t : prev);
            }
            r.chain.push_back(t);
        }
    }

    // The links left out of the ordering get their chains now: each dummy
    // goes into its layer at the place that lies between the link's ends
    // as its layer lies between theirs, so the line runs between boxes
    // like any other; the placement then makes room for it.
    void RouteLeftOut() {
        if (m_leftOut.empty()) return;
        std::vector<std::pair<int, int>> added;
        for (int e : m_leftOut) AddChain(e, added);
        m_nodes = static_cast<int>(m_layer.size());
        m_pos.resize(m_nodes, 0);
        std::vector<std::vector<std::pair<double, int>>> insert(m_levels);
        auto where = [&](int v) { return (m_pos[v] + 0.5) / static_cast<double>(m_order[m_layer[v]].size()); };
        for (int e : m_leftOut) {
            const auto& c = m_route[e].chain;
            const double from = where(c.front()), to = where(c.back());
            for (std::size_t i = 1; i + 1 < c.size(); ++i) {
                const double s = static_cast<double>(i) / static_cast<double>(c.size() - 1);
                insert[m_layer[c[i]]].emplace_back(from + (to - from) * s, c[i]);
            }
        }
        for (int k = 0; k < m_levels; ++k) {
            auto& more = insert[k];
            if (more.empty()) continue;
            std::sort(more.begin(), more.end());
            auto& ord = m_order[k];
            std::vector<int> merged;
            merged.reserve(ord.size() + more.size());
            std::size_t j = 0;
            for (std::size_t i = 0; i < ord.size(); ++i) {
                const double at = (static_cast<double>(i) + 0.5) / static_cast<double>(ord.size());
                for (; j < more.size() && more[j].first < at; ++j) merged.push_back(more[j].second);
                merged.push_back(ord[i]);
            }
            for (; j < more.size(); ++j) merged.push_back(more[j].second);
            ord = std::move(merged);
            for (int i = 0; i < static_cast<int>(ord.size()); ++i) m_pos[ord[i]] = i;
        }
        m_edges.insert(m_edges.end(), added.begin(), added.end());
        m_down = BuildAdjacency(m_nodes, m_edges, true);
        m_up = BuildAdjacency(m_nodes, m_edges, false);
    }

    long long Crossings() { return CountCrossings(Graph()); }
    LayerGraph Graph() { return {m_levels, m_layer, m_edges, m_down, m_up, m_order, m_pos}; }

    // The ends of the routed links on each side of each box: (edge, 0 for
    // its from end or 1 for its to end), by 2 * box + side.
    std::vector<std::vector<std::pair<int, int>>> EndsBySide() const {
        std::vector<std::vector<std::pair<int, int>>> ends(2 * m_real);
        for (int e = 0; e < static_cast<int>(m_route.size()); ++e) {
            const auto& c = m_route[e].chain;
            if (c.size() < 2) continue;
            ends[SideOf(c.front(), c[1])].emplace_back(e, 0);
            ends[SideOf(c.back(), c[c.size() - 2])].emplace_back(e, 1);
        }
        return ends;
    }
    // The room one end takes on its box's side: an arrowhead's width and
    // some white, or less for a plain line.
    double Slot(const std::pair<int, int>& end) const {
        return Arrow(end.first, end.second == 1) ? kArrowPortSpacing : kPortSpacing;
    }
    double Room(const std::vector<std::pair<int, int>>& ends) const {
        double room = 0;
        for (const auto& end : ends) room += Slot(end);
        return room;
    }

    // A box with more ends on one side than fit there apart grows along
    // its layer, by the room those ends take and no more: many links
    // between two boxes (one per relationship) then run apart, each to an
    // arrowhead of its own.
    void SizeForPorts() {
        const auto ends = EndsBySide();
        for (int s = 0; s < 2 * m_real; ++s) m_along[s / 2] = std::max(m_along[s / 2], Room(ends[s]));
    }

    // Along the layers: long links straight through their dummies, each
    // box over or under a median neighbour (see LayoutAlign.h).
    void PlaceAlong() {
        std::vector<char> dummy(m_nodes, 0), lone(m_nodes, 0);
        for (int v = m_real; v < m_nodes; ++v) dummy[v] = 1;
        // The rows of a wrapped layer stand packed side by side with their
        // links fanning out between them: aligning their boxes would spread
        // the rows as wide as the layer was. The lines passing a row on to
        // the rows beyond run straight down between its boxes.
        if (!m_wrapRow.empty())
            for (int v = 0; v < m_real; ++v) lone[v] = m_wrapRow[RankOf(m_layer[v]) / 2];
        m_centre = AlignedPositions(m_order, {m_up.start, m_up.list}, {m_down.start, m_down.list}, dummy, lone,
                                    [this](int a, int b) { return Separation(a, b); });
    }

    // Ports: the ends on one side of a box, in the order of the neighbours
    // they lead to, spread evenly around its middle; at least their
    // spacing apart (SizeForPorts made room for that). Sets port (by 2 *
    // edge + end) and, of every side, whether an arrowhead ends there.
    void PlacePorts(std::vector<double>& port, std::vector<char>& arrowSide) const {
        const int edges = static_cast<int>(m_route.size());
        const std::vector<std::vector<std::pair<int, int>>> ends = EndsBySide();
        port.assign(2 * edges, 0);
        arrowSide.assign(2 * m_real, 0);
        for (int s = 0; s < 2 * m_real; ++s) {
            std::vector<std::pair<int, int>> list = ends[s];
            auto next = [&](const std::pair<int, int>& end) {
                const auto& c = m_route[end.first].chain;
                return m_centre[end.second == 0 ? c[1] : c[c.size() - 2]];
            };
            std::sort(list.begin(), list.end(), [&](const auto& a, const auto& b) {
                const double x = next(a), y = next(b);
                return x != y ? x < y : a < b;
            });
            // Each end in the middle of its slot, the slots side by side
            // around the middle of the side and spread out, while the side
            // has room, by a share of an end's slot more.
            const int box = s / 2;
            const double n = static_cast<double>(list.size()), width = m_along[box], room = Room(list);
            const double scale = room > 0 ? std::min(width / room, std::max(width / (room + room / n), 1.0)) : 1;
            double at = -room / 2;
            for (const auto& end : list) {
                port[2 * end.first + end.second] = m_centre[box] + (at + Slot(end) / 2) * scale;
                at += Slot(end);
            }
            for (const auto& [e, end] : list) arrowSide[s] = arrowSide[s] || Arrow(e, end == 1);
        }
    }

    // Every link's runs across the gaps between consecutive levels (one per
    // pair of neighbours in its chain, from runStart[e] on) and their ways
    // across; returns the tracks each gap (gap k lies after level k) needs.
    std::vector<int> TrackRuns(const std::vector<double>& port, std::vector<int>& runStart,
                               std::vector<RunTrack>& runWay) const {
        const int edges = static_cast<int>(m_route.size());
        runStart.assign(edges + 1, 0);
        for (int e = 0; e < edges; ++e)
            runStart[e + 1] = runStart[e] + std::max(0, static_cast<int>(m_route[e].chain.size()) - 1);
        runWay.assign(runStart[edges], {});
        std::vector<std::vector<GapRun>> runs(std::max(0, m_levels - 1));
        std::vector<std::vector<int>> which(runs.size());
        for (int e = 0; e < edges; ++e) {
            const auto& c = m_route[e].chain;
            for (std::size_t i = 0; i + 1 < c.size(); ++i) {
                const double a = i == 0 ? port[2 * e] : m_centre[c[i]];
                const double b = i + 2 == c.size() ? port[2 * e + 1] : m_centre[c[i + 1]];
                const bool down = m_layer[c[i]] < m_layer[c[i + 1]];
                const int gap = std::min(m_layer[c[i]], m_layer[c[i + 1]]);
                runs[gap].push_back(down ? GapRun{a, b} : GapRun{b, a});
                which[gap].push_back(runStart[e] + static_cast<int>(i));
            }
        }
        std::vector<int> tracks(runs.size(), 0);
        std::vector<RunTrack> way;
        for (std::size_t k = 0; k < runs.size(); ++k) {
            Check();
            tracks[k] = AssignTracks(runs[k], way);
            for (std::size_t r = 0; r < way.size(); ++r) runWay[which[k][r]] = way[r];
        }
        return tracks;
    }

    // The room a dummy's labels keep above and below them in their row:
    // the pad only on a side where another link's line turns along the gap
    // there near the labels; elsewhere the lines beside them in the row are
    // kept far enough along, and the pad would only make the row thicker.
    void LabelPads(const std::vector<double>& port, const std::vector<int>& runStart,
                   const std::vector<RunTrack>& runWay) {
        const int dummies = m_nodes - m_real;
        m_padAbove.assign(dummies, 0);
        m_padBelow.assign(dummies, 0);
        struct Turn {
            int edge;
            double lo, hi;
        };
        std::vector<std::vector<Turn>> turns(std::max(0, m_levels - 1));  // by gap
        const int edges = static_cast<int>(m_route.size());
        for (int e = 0; e < edges; ++e) {
            const auto& c = m_route[e].chain;
            for (std::size_t i = 0; i + 1 < c.size(); ++i) {
                const RunTrack& way = runWay[runStart[e] + static_cast<int>(i)];
                if (way.track < 0) continue;
                const double a = i == 0 ? port[2 * e] : m_centre[c[i]];
                const double b = i + 2 == c.size() ? port[2 * e + 1] : m_centre[c[i + 1]];
                double lo = std::min(a, b), hi = std::max(a, b);
                if (way.jogTrack >= 0) lo = std::min(lo, way.jogTo), hi = std::max(hi, way.jogTo);
                if (way.lowJogTrack >= 0) lo = std::min(lo, way.lowJogFrom), hi = std::max(hi, way.lowJogFrom);
                turns[std::min(m_layer[c[i]], m_layer[c[i + 1]])].push_back({e, lo, hi});
            }
        }
        // Each gap's turns by their near ends, each with the furthest far
        // end among it and those before it, and the furthest of another
        // link's: whether another link turns along (lo, hi) is then a
        // search.
        struct Reach {
            double hi = -INFINITY;
            int edge = -1;
            double otherHi = -INFINITY;
        };
        std::vector<std::vector<Reach>> reach(turns.size());
        for (std::size_t gap = 0; gap < turns.size(); ++gap) {
            auto& list = turns[gap];
            std::sort(list.begin(), list.end(), [](const Turn& a, const Turn& b) { return a.lo < b.lo; });
            Reach r;
            for (const Turn& t : list) {
                if (t.edge == r.edge) {
                    r.hi = std::max(r.hi, t.hi);
                } else if (t.hi > r.hi) {
                    r.otherHi = r.hi;
                    r.hi = t.hi;
                    r.edge = t.edge;
                } else {
                    r.otherHi = std::max(r.otherHi, t.hi);
                }
                reach[gap].push_back(r);
            }
        }
        auto near = [&](int gap, int e, double lo, double hi) {
            if (gap < 0 || gap >= static_cast<int>(turns.size())) return false;
            const auto& list = turns[gap];
            const auto before = std::lower_bound(list.begin(), list.end(), hi,
                                                 [](const Turn& t, double x) { return t.lo < x; });
            if (before == list.begin()) return false;
            const Reach& r = reach[gap][before - list.begin() - 1];
            return (r.edge != e ? r.hi : r.otherHi) > lo;
        };
        for (int e = 0; e < edges; ++e)
            for (int d : m_route[e].chain) {
                if (d < m_real || m_extent[d - m_real] <= 0) continue;
                const int i = d - m_real, k = m_layer[d];
                const double lo = m_centre[d] - kLabelPad - 1, hi = m_centre[d] + m_extent[i] + kLabelPad + 1;
                m_padAbove[i] = near(k - 1, e, lo, hi) ? kLabelPad : 0;
                m_padBelow[i] = near(k, e, lo, hi) ? kLabelPad : 0;
            }
    }
    double PaddedThick(int i) const {
        return m_extent[i] > 0 ? m_thick[i] - 2 * kLabelPad + m_padAbove[i] + m_padBelow[i] : 0;
    }

    Placement Output() {
        Placement p;
        p.along.assign(m_real, 0);
        p.across.assign(m_real, 0);
        const int edges = static_cast<int>(m_route.size());
        std::vector<double> port;
        std::vector<char> arrowSide;
        PlacePorts(port, arrowSide);
        std::vector<int> runStart;
        std::vector<RunTrack> runWay;
        const std::vector<int> tracks = TrackRuns(port, runStart, runWay);
        LabelPads(port, runStart, runWay);

        // Bands across the flow: each level as thick as its thickest box or
        // stack of labels; two layers of boxes keep the layer gap, a row of
        // labels keeps the label margin from the boxes on either side and
        // makes the two at least a layer gap apart. A gap grows only where
        // its tracks need more room than that between the straight stubs of
        // the arrowheads beside it: the tracks keep lines that cross it far
        // along the layers apart, however shallow they run.
        std::vector<double> top(m_levels, 0), thick(m_levels, 0);
        for (int v = 0; v < m_nodes; ++v)
            thick[m_layer[v]] = std::max(thick[m_layer[v]], IsDummy(v) ? PaddedThick(v - m_real) : std::max(m_across[v], m_loopStack[v]));
        // How far an arrowhead's stub reaches out of its level's band.
        auto beyondBand = [&](int s) {
            const int box = s / 2;
            const double inside = (thick[m_layer[box]] - m_across[box]) / 2;
            return std::max(0.0, (arrowSide[s] ? kArrowStub : 0.0) - inside);
        };
        std::vector<double> fromAbove(m_levels, 0), fromBelow(m_levels, 0);  // by gap, after its level
        for (int s = 0; s < 2 * m_real; ++s) {
            const int k = m_layer[s / 2];
            if (s % 2 == 1)
                fromAbove[k] = std::max(fromAbove[k], beyondBand(s));
            else if (k > 0)
                fromBelow[k - 1] = std::max(fromBelow[k - 1], beyondBand(s));
        }
        double at = 0;
        for (int k = 0; k < m_levels; ++k) {
            if (k > 0) {
                const int labelRow = !m_boxLevel[k] ? k : !m_boxLevel[k - 1] ? k - 1 : -1;
                const double gap = labelRow < 0 ? m_in.layerGap
                                                : std::max(m_in.labelMargin, (m_in.layerGap - thick[labelRow]) / 2);
                at += std::max(gap, fromAbove[k - 1] + fromBelow[k - 1] + kTrackPitch * tracks[k - 1]);
            }
            top[k] = at;
            at += thick[k];
        }
        double minAlong = 0, maxAlong = 0;
        bool first = true;
        for (int v = 0; v < m_nodes; ++v) {
            const double lo = m_centre[v] - Lo(v), hi = m_centre[v] + Hi(v);
            minAlong = first ? lo : std::min(minAlong, lo);
            maxAlong = first ? hi : std::max(maxAlong, hi);
            first = false;
        }
        for (int v = 0; v < m_real; ++v) {
            const int k = m_layer[v];
            p.along[v] = m_centre[v] - Lo(v) - minAlong;
            p.across[v] = top[k] + (thick[k] - m_across[v]) / 2;
        }
        p.alongExtent = maxAlong - minAlong;
        p.acrossExtent = at;
        p.alongSize.assign(m_along.begin(), m_along.end());
        p.acrossSize.assign(m_across.begin(), m_across.end());

        p.routes.resize(edges);
        PlaceLoops(p, minAlong);

        // A run on track t of a gap turns along it between two distances
        // across, its tracks sharing the gap between the stubs.
        auto turn = [&](int gap, int t) {
            return TrackTurn(top[gap] + thick[gap] + fromAbove[gap], top[gap + 1] - fromBelow[gap], tracks[gap], t);
        };
        for (int e = 0; e < edges; ++e) {
            const EdgeRoute& r = m_route[e];
            const auto& c = r.chain;
            if (c.size() < 2) continue;
            auto& pts = p.routes[e].points;
            auto add = [&](double along, double across) {
                along -= minAlong;
                if (pts.empty() || pts.back() != std::pair{along, across}) pts.emplace_back(along, across);
            };
            // A box end on its border, where the line leaves or enters it.
            auto boxSide = [&](int box, int next) {
                return m_layer[next] > m_layer[box] ? p.across[box] + m_across[box] : p.across[box];
            };
            const double first = port[2 * e], last = port[2 * e + 1];
            add(first, boxSide(c.front(), c[1]));
            for (std::size_t i = 0; i + 1 < c.size(); ++i) {
                // The run to the next node: straight out, along its track,
                // straight on.
                const int u = c[i], w = c[i + 1];
                const double a = i == 0 ? first : m_centre[u];
                const double b = i + 2 == c.size() ? last : m_centre[w];
                const RunTrack& way = runWay[runStart[e] + static_cast<int>(i)];
                if (way.track >= 0) {
                    // Turns from its upper end to its lower one, the jog
                    // first where there is one.
                    const bool down = m_layer[u] < m_layer[w];
                    const int gap = std::min(m_layer[u], m_layer[w]);
                    double from = down ? a : b;
                    std::pair<double, double> bends[6];
                    int count = 0;
                    const double lower = down ? b : a;
                    for (const auto& [t, to] : {std::pair{way.jogTrack, way.jogTo},
                                                {way.track, way.lowJogTrack >= 0 ? way.lowJogFrom : lower},
                                                {way.lowJogTrack, lower}}) {
                        if (t < 0) continue;
                        const auto [upper, lower] = turn(gap, t);
                        bends[count++] = {from, upper};
                        bends[count++] = {to, lower};
                        from = to;
                    }
                    for (int k = 0; k < count; ++k) {
                        const auto& [along, across] = bends[down ? k : count - 1 - k];
                        add(along, across);
                    }
                }
                if (i + 2 == c.size()) break;
                // Through the dummy's level, or round it for a link inside
                // one layer.
                const int k = m_layer[w];
                const bool fromAbove = m_layer[u] < k, toBelow = m_layer[c[i + 2]] > k;
                add(b, fromAbove ? top[k] : top[k] + thick[k]);
                if (fromAbove == toBelow) add(b, fromAbove ? top[k] + thick[k] : top[k]);
                if (m_extent[w - m_real] > 0) PlaceLabels(p, e, w, b - minAlong, top[k], thick[k]);
            }
            add(last, boxSide(c.back(), c[c.size() - 2]));
        }
        return p;
    }

    // A box's loops beyond its far side along its layer, each further out,
    // their labels stacked beyond the outermost.
    void PlaceLoops(Placement& p, double minAlong) const {
        for (int v = 0; v < m_real; ++v) {
            const double side = m_centre[v] + m_along[v] / 2 - minAlong;
            const double middle = p.across[v] + m_across[v] / 2;
            const int loops = static_cast<int>(m_loops[v].size());
            const double x = side + LoopReach(loops - 1) + kLabelGap;
            const double stack = std::max(0.0, m_loopStack[v] - 2 * kLabelPad);
            double y = middle - stack / 2;
            for (int k = 0; k < loops; ++k) {
                const int e = m_loops[v][k];
                const double reach = side + LoopReach(k);
                const double d = LoopSpread(k);
                // The outermost loop's far side reaches along the whole
                // stack of labels beside it, so that each stands by a line.
                const double far = k + 1 == loops ? std::max(d, stack / 2) : d;
                p.routes[e].points = {{side, middle - d}, {reach, middle - far}, {reach, middle + far}, {side, middle + d}};
                const LinkLabels* l = Labels(e);
                if (!l) continue;
                for (auto [rect, along, across] : {std::tuple{&p.routes[e].fromLabel, l->fromAlong, l->fromAcross},
                                                   {&p.routes[e].caption, l->captionAlong, l->captionAcross},
                                                   {&p.routes[e].toLabel, l->toAlong, l->toAcross}})
                    if (along > 0) {
                        *rect = Rect{x, y, along, across};
                        y += across + kLabelStack;
                    }
            }
        }
    }

    // The labels a link's dummy d carries, beside its line at x, stacked
    // across its row (top, thick) with the upper end's label first.
    void PlaceLabels(Placement& p, int e, int d, double x, double top, double thick) const {
        const EdgeRoute& r = m_route[e];
        const auto& c = r.chain;
        const LinkLabels& l = m_in.labels[e];
        const int rank = RankOf(m_layer[d]);
        const bool fromUpper = m_layer[c.front()] <= m_layer[c.back()];
        struct Item {
            Rect* rect;
            double along, across;
        };
        std::vector<Item> stack;
        auto push = [&](bool here, Rect& rect, double along, double across) {
            if (here && along > 0) stack.push_back({&rect, along, across});
        };
        Route& out = p.routes[e];
        push(rank == r.fromRank && fromUpper, out.fromLabel, l.fromAlong, l.fromAcross);
        push(rank == r.toRank && !fromUpper, out.toLabel, l.toAlong, l.toAcross);
        push(rank == r.captionRank, out.caption, l.captionAlong, l.captionAcross);
        push(rank == r.toRank && fromUpper, out.toLabel, l.toAlong, l.toAcross);
        push(rank == r.fromRank && !fromUpper, out.fromLabel, l.fromAlong, l.fromAcross);
        const int i = d - m_real;
        double y = top + (thick - PaddedThick(i)) / 2 + m_padAbove[i];
        for (const Item& item : stack) {
            *item.rect = Rect{x + kLabelGap, y, item.along, item.across};
            y += item.across + kLabelStack;
        }
    }

    int RankOf(int level) const { return m_rankOfLevel[level]; }

    // A link's nodes from its from box to its to box, and the ranks of its
    // labels (meaningful only where it has them).
    struct EdgeRoute {
        std::vector<int> chain;
        int captionRank = -1, fromRank = -1, toRank = -1;
    };

    const LayerInput& m_in;
    const int m_real;
    std::vector<double> m_along;   // of every box, grown for its ports
    std::vector<double> m_across;  // of every box, grown for its loops' ends
    int m_nodes = 0;
    int m_layers = 0;  // layers of boxes
    int m_levels = 0;  // layers of boxes and rows of labels
    int m_pivot = -1;
    std::vector<int> m_boxLayer;       // layer of every box
    std::vector<char> m_boxLevel;      // whether a level holds boxes
    std::vector<int> m_rankOfLevel, m_levelOf;
    std::vector<int> m_leftOut;  // links routed after the ordering
    std::vector<char> m_wrapRow;       // of every layer of boxes, whether it is a row of a wrapped one (empty: none)
    bool m_started = false;
    CrossingReduction m_ordering;
    std::vector<int> m_layer;          // level of every node, dummies after the boxes
    std::vector<double> m_extent, m_thick;  // of every dummy: its labels' room along and across
    std::vector<double> m_padAbove, m_padBelow;  // of every dummy: room its labels keep across
    std::vector<EdgeRoute> m_route;
    std::vector<std::vector<int>> m_loops;          // of every box, its loops
    std::vector<double> m_loopRoom, m_loopStack;  // their room along, their labels' across
    std::vector<std::pair<int, int>> m_edges;
    Adjacency m_down, m_up;
    std::vector<std::vector<int>> m_order;
    std::vector<int> m_pos;
    std::vector<double> m_centre;
};

}  // namespace

Placement PlaceLayers(const LayerInput& in) {
    if (in.along.empty()) return {};
    return Engine(in).Finish();
}

struct LayeredDrawing::State {
    explicit State(LayerInput input) : in(std::move(input)), engine(in) {}
    LayerInput in;
    Engine engine;
};

LayeredDrawing::LayeredDrawing(LayerInput in) : m_state(std::make_unique<State>(std::move(in))) {}
LayeredDrawing::~LayeredDrawing() = default;
LayeredDrawing::LayeredDrawing(LayeredDrawing&&) noexcept = default;
LayeredDrawing& LayeredDrawing::operator=(LayeredDrawing&&) noexcept = default;

long long LayeredDrawing::Start() { return m_state->in.along.empty() ? 0 : m_state->engine.Start(true); }

Placement LayeredDrawing::Finish() { return m_state->in.along.empty() ? Placement{} : m_state->engine.Finish(); }

}  // namespace platform::diagram::layout
