#include "platform/diagram/DiagramLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <numeric>
#include <set>
#include <vector>

#include "platform/diagram/DiagramPainter.h"
#include "platform/diagram/LayoutLayers.h"
#include "platform/diagram/LayoutRanking.h"

namespace platform::diagram {

namespace {

using layout::kBoxGap;
using layout::kLayerGap;
// Columns of a left-to-right diagram stand further apart than rows.
constexpr double kColumnGap = 60;
// Room kept between a row of link labels and the boxes beside it: rows (top
// to bottom) need more for the line to reach its label, columns less.
constexpr double kRowLabelMargin = 24;
constexpr double kColumnLabelMargin = 16;

// Below this a layer is never wrapped, so ordinary diagrams keep one row
// per layer; above it the limit follows the component's area.
constexpr double kMinWrap = 2000;
// Space between the packed components.
constexpr double kComponentGap = 40;
constexpr double kPageRatio = 4.0 / 3.0;
// The other way of turning cycles round is tried only while its layering's
// links are at most this many times as long.
constexpr long long kLongerLayering = 10;
// They are tried in components of at most this many links per box: in
// denser ones they rarely cross less, and their many more dummies cost
// several times the time.
constexpr std::size_t kOtherLayeringsLinksPerBox = 4;
// Bound on the exchanges of the layering's network simplex; it usually
// ends long before.
constexpr int kSimplexIterationsPerBox = 4;

std::uint64_t PairKey(int a, int b, int n) {
    return static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(n) + static_cast<std::uint64_t>(b);
}

// The pairs of boxes met so far (by PairKey), in one flat table with room
// for more than twice the pairs inserted, at most expected: the layout
// looks every link up once or twice, where a set of nodes would allocate
// one for each.
class PairSet {
public:
    explicit PairSet(std::size_t expected) {
        std::size_t size = 16;
        for (m_shift = 60; size < 2 * expected + 2; --m_shift) size *= 2;
        m_slots.assign(size, kEmpty);
    }

    // False where the pair was met before.
    bool Insert(std::uint64_t key) {
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t k = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> m_shift);; k = (k + 1) & mask) {
            if (m_slots[k] == key) return false;
            if (m_slots[k] == kEmpty) {
                m_slots[k] = key;
                return true;
            }
        }
    }

private:
    static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};
    std::vector<std::uint64_t> m_slots;
    int m_shift = 60;  // the hash's top bits make a slot
};

// One connected component with its own indices 0..size-1 (in the model's
// order) and its links as out- and in-lists.
struct Component {
    std::vector<int> boxes;
    std::vector<std::vector<int>> out, in;
    std::vector<std::pair<int, int>> links;
    // Every link between two different boxes as drawn: (model's link
    // index, from box, to box), repeats included.
    struct Drawn {
        int link, from, to;
    };
    std::vector<Drawn> drawn;
    int centre = -1;
    // Result, relative to the component's top-left corner, and each box's
    // extent inside its layer (grown where its links' ends need room).
    std::vector<double> left, top, alongSize, acrossSize;
    double width = 0, height = 0;
    std::vector<layout::Route> routes;  // one per drawn link, in along / across
    bool leftToRight = false;
};

// Strongly connected parts (Tarjan, without recursion): part[v] for each
// box; parts are numbered so that every link between two parts goes from a
// higher number to a lower one.
std::vector<int> StrongParts(const std::vector<std::vector<int>>& out) {
    const int n = static_cast<int>(out.size());
    std::vector<int> index(n, -1), low(n, 0), part(n, -1), stack;
    std::vector<std::pair<int, std::size_t>> calls;
    int next = 0, parts = 0;
    for (int root = 0; root < n; ++root) {
        if (index[root] >= 0) continue;
        calls.emplace_back(root, 0);
        index[root] = low[root] = next++;
        stack.push_back(root);
        while (!calls.empty()) {
            auto [v, i] = calls.back();
            if (i < out[v].size()) {
                ++calls.back().second;
                int w = out[v][i];
                if (index[w] < 0) {
                    index[w] = low[w] = next++;
                    stack.push_back(w);
                    calls.emplace_back(w, 0);
                } else if (part[w] < 0) {
                    low[v] = std::min(low[v], index[w]);
                }
                continue;
            }
            calls.pop_back();
            if (!calls.empty()) low[calls.back().first] = std::min(low[calls.back().first], low[v]);
            if (low[v] == index[v]) {
                int w;
                do {
                    w = stack.back();
                    stack.pop_back();
                    part[w] = parts;
                } while (w != v);
                ++parts;
            }
        }
    }
    return part;
}

// A greedy order of the boxes of one strongly connected part that few of
// its links run against: a box with nothing left to call goes last, one
// that nothing left calls goes first, otherwise the box whose outgoing
// links most outnumber its incoming ones goes first; ties go to the box
// added first. Sets rank[v] for the part's boxes; outDeg, inDeg and gone
// are scratch space of the component's size.
void GreedyOrder(const std::vector<int>& members, const std::vector<std::vector<int>>& out,
                 const std::vector<std::vector<int>>& in, const std::vector<int>& part, std::vector<int>& outDeg,
                 std::vector<int>& inDeg, std::vector<char>& gone, std::vector<int>& rank) {
    const int p = part[members.front()];
    // Boxes by (incoming - outgoing, box): the first one gains most.
    std::set<std::pair<int, int>> byGain;
    std::deque<int> sinks, sources;
    for (int v : members) {
        outDeg[v] = inDeg[v] = 0;
        for (int w : out[v]) outDeg[v] += part[w] == p;
        for (int w : in[v]) inDeg[v] += part[w] == p;
        byGain.insert({inDeg[v] - outDeg[v], v});
    }
    auto lower = [&](int w, int& degree, std::deque<int>& emptied) {
        byGain.erase({inDeg[w] - outDeg[w], w});
        if (--degree == 0) emptied.push_back(w);
        byGain.insert({inDeg[w] - outDeg[w], w});
    };
    std::vector<int> front, back;
    auto take = [&](int v, std::vector<int>& side) {
        gone[v] = 1;
        side.push_back(v);
        byGain.erase({inDeg[v] - outDeg[v], v});
        for (int w : out[v])
            if (part[w] == p && !gone[w]) lower(w, inDeg[w], sources);
        for (int w : in[v])
            if (part[w] == p && !gone[w]) lower(w, outDeg[w], sinks);
    };
    while (!byGain.empty()) {
        if (!sinks.empty()) {
            int v = sinks.front();
            sinks.pop_front();
            if (!gone[v]) take(v, back);
        } else if (!sources.empty()) {
            int v = sources.front();
            sources.pop_front();
            if (!gone[v]) take(v, front);
        } else {
            take(byGain.begin()->second, front);
        }
    }
    int r = 0;
    for (int v : front) rank[v] = r++;
    for (auto it = back.rbegin(); it != back.rend(); ++it) rank[*it] = r++;
}

// Another order of a strongly connected part: the reverse of the order in
// which a depth-first walk from its first box finishes the boxes, so that
// only the links back up the walk run against it.
void DepthFirstOrder(const std::vector<int>& members, const std::vector<std::vector<int>>& out,
                     const std::vector<int>& part, std::vector<char>& gone, std::vector<int>& rank) {
    const int p = part[members.front()];
    std::vector<int> finished;
    std::vector<std::pair<int, std::size_t>> stack;
    for (int root : members) {
        if (gone[root]) continue;
        gone[root] = 1;
        stack.emplace_back(root, 0);
        while (!stack.empty()) {
            auto& [v, i] = stack.back();
            if (i < out[v].size()) {
                const int w = out[v][i++];
                if (part[w] == p && !gone[w]) {
                    gone[w] = 1;
                    stack.emplace_back(w, 0);
                }
                continue;
            }
            finished.push_back(v);
            stack.pop_back();
        }
    }
    int r = 0;
    for (auto it = finished.rbegin(); it != finished.rend(); ++it) rank[*it] = r++;
}

// How cycles are turned round: greedily, or as a depth-first walk meets
// them, from the boxes in their order or from the ones that call more than
// they are called first, inside each strongly connected part; or as one
// walk over the whole component meets them, which enters each part where
// the links from outside first lead it, not at the part's first box.
enum class TurnCycles { kGreedy, kDepthFirst, kDepthFirstFromCallers, kDepthFirstWhole };

// Layers for an ordinary diagram, callers first. Only links inside a cycle
// are turned round: inside each strongly connected part the boxes get an
// order (see GreedyOrder, DepthFirstOrder) and the links against it are
// reversed; links between parts keep their direction. The longest path
// from the sources gives a first layering, which the network simplex then
// turns into one of least total link length (short links, fewer dummies).
std::vector<int> FlowLayers(const Component& c, TurnCycles how, bool* cyclic = nullptr) {
    const int n = static_cast<int>(c.boxes.size());
    std::vector<int> part = StrongParts(c.out);
    std::vector<std::vector<int>> members(*std::max_element(part.begin(), part.end()) + 1);
    for (int v = 0; v < n; ++v) members[part[v]].push_back(v);
    std::vector<int> rank(n, 0), outDeg(n, 0), inDeg(n, 0);
    std::vector<char> gone(n, 0);
    if (how == TurnCycles::kDepthFirstWhole) {
        // The finishing order of one walk orders every part as a walk
        // entering it there would.
        std::vector<int> all(n);
        std::iota(all.begin(), all.end(), 0);
        DepthFirstOrder(all, c.out, std::vector<int>(n, 0), gone, rank);
    }
    for (const auto& m : members)
        if (m.size() > 1) {
            if (cyclic) *cyclic = true;
            if (how == TurnCycles::kDepthFirstWhole) {
                continue;
            } else if (how == TurnCycles::kGreedy) {
                GreedyOrder(m, c.out, c.in, part, outDeg, inDeg, gone, rank);
            } else if (how == TurnCycles::kDepthFirst) {
                DepthFirstOrder(m, c.out, part, gone, rank);
            } else {
                std::vector<int> callersFirst(m);
                auto balance = [&](int v) {
                    return static_cast<long>(c.in[v].size()) - static_cast<long>(c.out[v].size());
                };
                std::stable_sort(callersFirst.begin(), callersFirst.end(),
                                 [&](int a, int b) { return balance(a) < balance(b); });
                DepthFirstOrder(callersFirst, c.out, part, gone, rank);
            }
        }

    std::vector<std::vector<int>> down(n), up(n);
    PairSet seen(c.links.size());
    auto addEdge = [&](int a, int b) {
        if (seen.Insert(PairKey(a, b, n))) {
            down[a].push_back(b);
            up[b].push_back(a);
        }
    };
    for (int v = 0; v < n; ++v)
        for (int w : c.out[v]) {
            if (part[v] == part[w] && rank[w] < rank[v])
                addEdge(w, v);
            else
                addEdge(v, w);
        }
    // Parts in decreasing number, boxes of a part by rank: a topological
    // order of the turned graph.
    std::vector<int> topo(n);
    std::iota(topo.begin(), topo.end(), 0);
    std::sort(topo.begin(), topo.end(), [&](int a, int b) {
        return part[a] != part[b] ? part[a] > part[b] : rank[a] < rank[b];
    });
    std::vector<int> layer(n, 0);
    for (int v : topo)
        for (int w : down[v]) layer[w] = std::max(layer[w], layer[v] + 1);

    std::vector<std::pair<int, int>> dag;
    for (int v = 0; v < n; ++v)
        for (int w : down[v]) dag.emplace_back(v, w);
    layout::MinimiseLinkLength(n, dag, layer, kSimplexIterationsPerBox * n + 100);
    int low = *std::min_element(layer.begin(), layer.end());
    for (int& l : layer) l -= low;
    return layer;
}

std::vector<int> Distances(const std::vector<std::vector<int>>& next, int from) {
    std::vector<int> dist(next.size(), -1);
    std::deque<int> queue{from};
    dist[from] = 0;
    while (!queue.empty()) {
        int v = queue.front();
        queue.pop_front();
        for (int w : next[v])
            if (dist[w] < 0) {
                dist[w] = dist[v] + 1;
                queue.push_back(w);
            }
    }
    return dist;
}

// A link between two boxes of one column would turn back through the gap
// before the column, its caption among the captions of the boxes there
// (the centre's, in its first column). As a layered drawing does, such a
// link's outer end (the callee on the data side, the caller on the client
// side) moves one column further out, and what it leads on to with it:
// every link between two boxes of one side binds its end that stands
// further out (by distance; by direction between equals) to a column
// beyond its other end, and each box takes the longest path from the
// centre over those bonds, starting from its distance. A cycle of links
// between boxes of one distance is broken where a depth-first walk meets
// it.
void SpreadOneColumnLinks(const Component& c, std::vector<int>& column) {
    const int n = static_cast<int>(c.boxes.size());
    std::vector<std::vector<int>> outward(n), level(n);  // nearer end -> further end
    std::vector<int> waiting(n, 0);
    for (auto [a, b] : c.links) {
        if (a == c.centre || b == c.centre || (column[a] < 0) != (column[b] < 0)) continue;
        const int oa = std::abs(column[a]), ob = std::abs(column[b]);
        if (oa != ob) {
            const int near = oa < ob ? a : b, far = near == a ? b : a;
            outward[near].push_back(far);
            ++waiting[far];
        } else {
            const int outer = column[a] > 0 ? b : a;
            level[outer == a ? b : a].push_back(outer);
        }
    }
    // One-column links, except those that close a cycle of them: the ones
    // against a depth-first walk's order, which only links back up the walk
    // run against.
    std::vector<int> all(n), order(n);
    std::iota(all.begin(), all.end(), 0);
    std::vector<char> gone(n, 0);
    DepthFirstOrder(all, level, std::vector<int>(n, 0), gone, order);
    for (int v = 0; v < n; ++v)
        for (int w : level[v])
            if (order[v] < order[w]) {
                outward[v].push_back(w);
                ++waiting[w];
            }
    // Longest paths in a topological order; the bonds form no cycle, since
    // those between different distances all lead further from the centre.
    std::vector<int> ready;
    for (int v = 0; v < n; ++v)
        if (waiting[v] == 0) ready.push_back(v);
    for (std::size_t k = 0; k < ready.size(); ++k) {
        const int v = ready[k];
        for (int w : outward[v]) {
            const int further = std::abs(column[v]) + 1;
            if (std::abs(column[w]) < further) column[w] = column[w] < 0 ? -further : further;
            if (--waiting[w] == 0) ready.push_back(w);
        }
    }
}

// Columns around the centre box: what reaches the centre stands left of it
// by its distance, what the centre reaches stands right of it by its depth.
// A box on both sides (a cycle through the centre) goes to the nearer side,
// downstream on a tie as the insertion-order rule would turn the cycle.
// Anything else joins the side of the neighbour it was reached from, one
// column further out: a screen a caller sends to sits with that caller's
// screens, left of the caller. A box whose side hint is set goes to that
// side whatever its links say (the centre's own screens, which it both
// sends to and receives from, stand left of it with its callers). Then no
// link may join two boxes of one column (SpreadOneColumnLinks): a box
// stands at least as far out as its distance, and beyond every box that
// links to it from nearer the centre.
std::vector<int> CentredColumns(const Component& c, const std::vector<int>& side) {
    const int n = static_cast<int>(c.boxes.size());
    std::vector<int> downstream = Distances(c.out, c.centre);
    std::vector<int> upstream = Distances(c.in, c.centre);
    std::vector<int> column(n, 0);
    std::vector<char> placed(n, 0);
    std::deque<int> queue;
    for (int v = 0; v < n; ++v) {
        const int near = downstream[v] > 0 && (upstream[v] < 0 || downstream[v] <= upstream[v]) ? downstream[v]
                                                                                               : upstream[v];
        if (v == c.centre) {
            placed[v] = 1;
        } else if (side[v] != kSideAuto && near > 0) {
            column[v] = side[v] < 0 ? -near : near;
            placed[v] = 1;
        } else if (downstream[v] > 0 && (upstream[v] < 0 || downstream[v] <= upstream[v])) {
            column[v] = downstream[v];
            placed[v] = 1;
        } else if (upstream[v] > 0) {
            column[v] = -upstream[v];
            placed[v] = 1;
        }
        if (placed[v]) queue.push_back(v);
    }
    while (!queue.empty()) {
        int v = queue.front();
        queue.pop_front();
        for (const auto* next : {&c.out[v], &c.in[v]})
            for (int w : *next)
                if (!placed[w]) {
                    const int out = std::abs(column[v]) + 1;
                    const bool before = side[w] != kSideAuto ? side[w] < 0 : column[v] < 0;
                    column[w] = before ? -out : out;
                    placed[w] = 1;
                    queue.push_back(w);
                }
    }
    SpreadOneColumnLinks(c, column);
    int low = *std::min_element(column.begin(), column.end());
    for (int& k : column) k -= low;
    return column;
}

void LayOutComponent(Component& c, const DiagramModel& model, bool leftToRight, const std::function<bool()>& stop) {
    const int n = static_cast<int>(c.boxes.size());
    const auto& shapes = model.Shapes();
    layout::LayerInput in;
    in.stop = stop;
    in.layerGap = leftToRight ? kColumnGap : kLayerGap;
    in.labelMargin = leftToRight ? kColumnLabelMargin : kRowLabelMargin;
    in.along.resize(n);
    in.across.resize(n);
    double area = 0;
    for (int v = 0; v < n; ++v) {
        const Shape& s = *shapes[c.boxes[v]];
        double w = std::max(0.0, s.width), h = std::max(0.0, s.height);
        in.along[v] = leftToRight ? h : w;
        in.across[v] = leftToRight ? w : h;
        area += (in.along[v] + kBoxGap) * (in.across[v] + in.layerGap);
    }
    // Labels measured as the painter draws them.
    bool labelled = false;
    for (const auto& d : c.drawn) {
        const Link& l = *model.Links()[d.link];
        in.edges.emplace_back(d.from, d.to);
        layout::LinkLabels labels;
        // A self-link's labels stand beside its box and fit its row: on one
        // line in a row, broken to the box's width in a column.
        const double wrap = d.from != d.to ? kMaxLabelWidth : leftToRight ? in.across[d.from] : 1e6;
        auto measure = [&](const std::string& text, double& along, double& across) {
            if (text.empty()) return;
            QSizeF size = LabelSize(text, wrap);
            along = leftToRight ? size.height() : size.width();
            across = leftToRight ? size.width() : size.height();
            labelled = true;
        };
        measure(l.text, labels.captionAlong, labels.captionAcross);
        measure(l.fromLabel, labels.fromAlong, labels.fromAcross);
        measure(l.toLabel, labels.toAlong, labels.toAcross);
        in.labels.push_back(labels);
        in.arrows.push_back(static_cast<unsigned char>((l.fromArrow ? layout::kArrowFrom : 0) |
                                                       (l.toArrow ? layout::kArrowTo : 0)));
    }
    if (!labelled) in.labels.clear();
    std::vector<int> side(n);
    for (int v = 0; v < n; ++v) side[v] = shapes[c.boxes[v]]->side;
    bool cyclic = false;
    in.layer = c.centre >= 0 ? CentredColumns(c, side) : FlowLayers(c, TurnCycles::kGreedy, &cyclic);
    if (c.centre >= 0) in.pivotLayer = in.layer[c.centre];
    in.captionNearFrom = c.centre >= 0;
    // Only a very wide layer is wrapped: one wider than a 4:3 page holding
    // the component's area, and wider than twice a 4:3 page as deep as the
    // component's layers already make it.
    const double ratio = leftToRight ? 1 / kPageRatio : kPageRatio;  // along / across
    in.pageRatio = ratio;
    std::vector<double> thickness;
    for (int v = 0; v < n; ++v) {
        if (in.layer[v] >= static_cast<int>(thickness.size())) thickness.resize(in.layer[v] + 1, 0);
        thickness[in.layer[v]] = std::max(thickness[in.layer[v]], in.across[v]);
    }
    double depth = 0;
    for (double t : thickness) depth += t + in.layerGap;
    in.wrapLimit = std::max({leftToRight ? kMinWrap / kPageRatio : kMinWrap, std::sqrt(area * ratio), 2 * depth * ratio});

    layout::Placement p;
    if (cyclic && c.links.size() <= kOtherLayeringsLinksPerBox * c.boxes.size()) {
        // Cycles can be turned round other ways too: as a depth-first walk
        // meets them, inside each part from the boxes in their order or
        // from those that call more than they are called, or over the
        // whole component. Those layerings are tried as well unless their
        // links would be far longer (more dummies, more time, rarely fewer
        // crossings) or they repeat one tried already, each ordered
        // quickly, and the one with the fewest crossings is laid out: where
        // a few boxes are called from everywhere (a call graph's
        // utilities), a walk's deeper layers cross far less.
        auto length = [&](const std::vector<int>& layer) {
            long long total = 0;
            for (auto [a, b] : c.links) total += std::abs(layer[a] - layer[b]);
            return total;
        };
        const long long greedy = length(in.layer);
        layout::LayeredDrawing best(in);
        long long fewest = best.Start();
        std::vector<std::vector<int>> tried{in.layer};
        for (TurnCycles how :
             {TurnCycles::kDepthFirst, TurnCycles::kDepthFirstFromCallers, TurnCycles::kDepthFirstWhole}) {
            in.layer = FlowLayers(c, how);
            if (length(in.layer) > kLongerLayering * greedy ||
                std::find(tried.begin(), tried.end(), in.layer) != tried.end())
                continue;
            tried.push_back(in.layer);
            layout::LayeredDrawing other(in);
            const long long crossings = other.Start();
            if (crossings < fewest) {
                fewest = crossings;
                best = std::move(other);
            }
        }
        p = best.Finish();
    } else {
        p = layout::PlaceLayers(in);
    }
    c.left = leftToRight ? p.across : p.along;
    c.top = leftToRight ? p.along : p.across;
    c.alongSize = std::move(p.alongSize);
    c.acrossSize = std::move(p.acrossSize);
    c.width = leftToRight ? p.acrossExtent : p.alongExtent;
    c.height = leftToRight ? p.alongExtent : p.acrossExtent;
    c.routes = std::move(p.routes);
    c.leftToRight = leftToRight;
}

// A route of the engine placed at (x, y) in the model.
void StoreRoute(Link& l, const layout::Route& r, bool leftToRight, double x, double y) {
    auto point = [&](double along, double across) {
        return leftToRight ? Point{x + across, y + along} : Point{x + along, y + across};
    };
    auto rect = [&](const layout::Rect& b) {
        if (b.alongExtent <= 0) return Rect{};
        Point p = point(b.along, b.across);
        return leftToRight ? Rect{p.x, p.y, b.acrossExtent, b.alongExtent} : Rect{p.x, p.y, b.alongExtent, b.acrossExtent};
    };
    l.route.clear();
    for (auto [along, across] : r.points) l.route.push_back(point(along, across));
    l.textRect = rect(r.caption);
    l.fromRect = rect(r.fromLabel);
    l.toRect = rect(r.toLabel);
}

}  // namespace

void LayeredLayout::Layout(DiagramModel& model) {
    const auto& shapes = model.Shapes();
    const int n = static_cast<int>(shapes.size());
    if (n == 0) return;

    // Links as box indices; self-links say nothing about order, a repeated
    // link nothing new.
    std::vector<std::pair<int, int>> links;
    {
        PairSet seen(model.Links().size());
        for (const auto& l : model.Links()) {
            int a = model.IndexOf(*l->from), b = model.IndexOf(*l->to);
            if (a < 0 || b < 0 || a == b) continue;
            if (seen.Insert(PairKey(a, b, n))) links.emplace_back(a, b);
        }
    }

    // The centre of a flow context: the one box with both emphasis
    // switches. With none or several the diagram is an ordinary one.
    int centre = -1, centres = 0;
    for (int v = 0; v < n; ++v)
        if (shapes[v]->boldText && shapes[v]->heavyBorder) {
            centre = v;
            ++centres;
        }
    if (centres != 1) centre = -1;
    const bool leftToRight = centre >= 0;

    // Connected components, numbered by their first box.
    std::vector<int> parent(n);
    std::iota(parent.begin(), parent.end(), 0);
    auto find = [&](int v) {
        while (parent[v] != v) v = parent[v] = parent[parent[v]];
        return v;
    };
    for (auto [a, b] : links) {
        a = find(a);
        b = find(b);
        if (a != b) parent[std::max(a, b)] = std::min(a, b);
    }
    std::vector<int> componentOf(n), localOf(n), rootComponent(n, -1);
    std::vector<Component> components;
    for (int v = 0; v < n; ++v) {
        int r = find(v);
        if (rootComponent[r] < 0) {
            rootComponent[r] = static_cast<int>(components.size());
            components.emplace_back();
        }
        Component& c = components[rootComponent[r]];
        componentOf[v] = rootComponent[r];
        localOf[v] = static_cast<int>(c.boxes.size());
        if (v == centre) c.centre = localOf[v];
        c.boxes.push_back(v);
    }
    for (auto& c : components) {
        c.out.resize(c.boxes.size());
        c.in.resize(c.boxes.size());
    }
    for (auto [a, b] : links) {
        Component& c = components[componentOf[a]];
        c.out[localOf[a]].push_back(localOf[b]);
        c.in[localOf[b]].push_back(localOf[a]);
        c.links.emplace_back(localOf[a], localOf[b]);
    }
    const auto& modelLinks = model.Links();
    for (std::size_t k = 0; k < modelLinks.size(); ++k) {
        Link& l = *modelLinks[k];
        l.route.clear();
        l.textRect = l.fromRect = l.toRect = Rect{};
        int a = model.IndexOf(*l.from), b = model.IndexOf(*l.to);
        if (a < 0 || b < 0) continue;
        components[componentOf[a]].drawn.push_back({static_cast<int>(k), localOf[a], localOf[b]});
    }
    for (auto& c : components) {
        if (m_stop && m_stop()) throw LayoutStopped();
        LayOutComponent(c, model, leftToRight, m_stop);
    }

    // Shelf packing: the centre's component first, then the tallest; each
    // shelf filled left to right up to a width that makes the whole close
    // to a 4:3 page.
    std::vector<int> order(components.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const Component& x = components[a];
        const Component& y = components[b];
        if ((x.centre >= 0) != (y.centre >= 0)) return x.centre >= 0;
        if (x.height != y.height) return x.height > y.height;
        return x.width > y.width;
    });
    double total = 0, widest = 0;
    for (const auto& c : components) {
        total += (c.width + kComponentGap) * (c.height + kComponentGap);
        widest = std::max(widest, c.width);
    }
    const double shelfWidth = std::max(widest, std::sqrt(total * kPageRatio));
    double x = 0, y = 0, shelfHeight = 0;
    for (int k : order) {
        Component& c = components[k];
        if (x > 0 && x + c.width > shelfWidth) {
            x = 0;
            y += shelfHeight + kComponentGap;
            shelfHeight = 0;
        }
        for (std::size_t v = 0; v < c.boxes.size(); ++v) {
            Shape& s = *shapes[c.boxes[v]];
            s.left = x + c.left[v];
            s.top = y + c.top[v];
            double& along = c.leftToRight ? s.height : s.width;
            double& across = c.leftToRight ? s.width : s.height;
            along = std::max(along, c.alongSize[v]);
            across = std::max(across, c.acrossSize[v]);
        }
        for (std::size_t k = 0; k < c.drawn.size(); ++k)
            StoreRoute(*modelLinks[c.drawn[k].link], c.routes[k], c.leftToRight, x, y);
        x += c.width + kComponentGap;
        shelfHeight = std::max(shelfHeight, c.height);
    }
}

}  // namespace platform::diagram
