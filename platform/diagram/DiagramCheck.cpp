#include "platform/diagram/DiagramCheck.h"

#include <QPolygonF>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

#include "platform/diagram/DiagramPainter.h"

namespace platform::diagram {

namespace {

// Edges that touch, and rounding, are no fault.
constexpr double kTolerance = 0.5;
constexpr std::size_t kExamples = 10;
// Cells of the grid that finds the boxes, lines and labels near a place.
constexpr double kCell = 128;
// Two lines run on top of each other where they stay this close, nearly
// parallel, for this long: at zoom 100 the eye no longer tells them apart.
constexpr double kOnTopDistance = 1;
constexpr double kOnTopLength = 10;
constexpr double kOnTopSine = 0.05;  // about 3 degrees
// Lines closer than this (centre to centre) for this long leave less than
// kLeastWhite of white between them.
constexpr double kCloseDistance = kLeastWhite + 1 - kTolerance;
constexpr double kCloseLength = 10;
// A label's nearest other line stands at least this many times as far as
// its own.
constexpr double kOwnLineLead = 2;
// Arrowheads that share more than this area (square pixels) merge.
constexpr double kMergedArea = 1;

bool Overlap(const QRectF& a, const QRectF& b) {
    return a.left() + kTolerance < b.right() && b.left() + kTolerance < a.right() &&
           a.top() + kTolerance < b.bottom() && b.top() + kTolerance < a.bottom();
}

// The part of the segment p-q inside r shrunk by inset, as parameters
// t0 <= t1 of the segment; false when none is.
bool Clip(QPointF p, QPointF q, const QRectF& r, double inset, double& t0, double& t1) {
    const double x0 = r.left() + inset, x1 = r.right() - inset;
    const double y0 = r.top() + inset, y1 = r.bottom() - inset;
    if (x0 > x1 || y0 > y1) return false;
    const double dx = q.x() - p.x(), dy = q.y() - p.y();
    t0 = 0;
    t1 = 1;
    // Keeps the part of the segment where step * t <= room.
    auto clip = [&](double step, double room) {
        if (std::abs(step) < 1e-12) return room >= 0;
        const double t = room / step;
        if (step < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        return t0 <= t1;
    };
    return clip(-dx, p.x() - x0) && clip(dx, x1 - p.x()) && clip(-dy, p.y() - y0) && clip(dy, y1 - p.y());
}

// Whether the segment p-q runs inside r (by more than the tolerance):
// the segment clipped to the shrunk rectangle keeps some length.
bool Enters(QPointF p, QPointF q, const QRectF& r) {
    double t0 = 0, t1 = 0;
    return Clip(p, q, r, kTolerance, t0, t1) && (t1 - t0) * std::hypot(q.x() - p.x(), q.y() - p.y()) > 1e-6;
}

double Cross(QPointF o, QPointF a, QPointF b) {
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
}

double PointToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF d = b - a;
    const double len2 = d.x() * d.x() + d.y() * d.y();
    const double t = len2 < 1e-12 ? 0 : std::clamp(QPointF::dotProduct(p - a, d) / len2, 0.0, 1.0);
    const QPointF n = a + d * t - p;
    return std::hypot(n.x(), n.y());
}

double PointToRect(QPointF p, const QRectF& r) {
    const double dx = std::max({r.left() - p.x(), 0.0, p.x() - r.right()});
    const double dy = std::max({r.top() - p.y(), 0.0, p.y() - r.bottom()});
    return std::hypot(dx, dy);
}

// The least distance between the segment a-b and the rectangle (0 where
// the segment meets it).
double SegmentToRect(QPointF a, QPointF b, const QRectF& r) {
    double t0 = 0, t1 = 0;
    if (Clip(a, b, r, 0, t0, t1)) return 0;
    double d = std::min(PointToRect(a, r), PointToRect(b, r));
    for (QPointF c : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()}) d = std::min(d, PointToSegment(c, a, b));
    return d;
}

// How long a stretch of a-b runs within distance of the segment c-d. The
// distance to a segment is convex along a line, so the stretch is one
// interval around the nearest point: found by ternary search, then its two
// ends by bisection.
double StretchWithin(QPointF a, QPointF b, QPointF c, QPointF d, double distance) {
    auto at = [&](double t) { return PointToSegment(a + (b - a) * t, c, d); };
    double lo = 0, hi = 1;
    for (int i = 0; i < 60; ++i) {
        const double m1 = lo + (hi - lo) / 3, m2 = hi - (hi - lo) / 3;
        if (at(m1) <= at(m2))
            hi = m2;
        else
            lo = m1;
    }
    const double best = (lo + hi) / 2;
    if (at(best) > distance) return 0;
    auto edge = [&](double inside, double outside) {
        if (at(outside) <= distance) return outside;
        for (int i = 0; i < 50; ++i) {
            const double m = (inside + outside) / 2;
            (at(m) <= distance ? inside : outside) = m;
        }
        return inside;
    };
    return (edge(best, 1) - edge(best, 0)) * std::hypot(b.x() - a.x(), b.y() - a.y());
}

double Area(const QPolygonF& p) {
    double twice = 0;
    for (int i = 0; i < p.size(); ++i) {
        const QPointF& a = p[i];
        const QPointF& b = p[(i + 1) % p.size()];
        twice += a.x() * b.y() - b.x() * a.y();
    }
    return std::abs(twice) / 2;
}

// Finds the rectangles (of boxes, segments, arrowheads) near an area.
class RectGrid {
public:
    explicit RectGrid(const std::vector<QRectF>& rects) : m_seen(rects.size(), 0) {
        for (std::size_t i = 0; i < rects.size(); ++i)
            ForCells(rects[i], [&](std::int64_t cell) { m_cells[cell].push_back(static_cast<int>(i)); });
    }
    // Calls visit once for every rectangle whose cells meet the area.
    template <typename Visit>
    void Near(const QRectF& area, Visit visit) {
        ++m_stamp;
        ForCells(area, [&](std::int64_t cell) {
            auto it = m_cells.find(cell);
            if (it == m_cells.end()) return;
            for (int b : it->second)
                if (m_seen[b] != m_stamp) {
                    m_seen[b] = m_stamp;
                    visit(b);
                }
        });
    }

private:
    template <typename Each>
    static void ForCells(const QRectF& r, Each each) {
        const auto x0 = static_cast<std::int64_t>(std::floor(r.left() / kCell));
        const auto x1 = static_cast<std::int64_t>(std::floor(r.right() / kCell));
        const auto y0 = static_cast<std::int64_t>(std::floor(r.top() / kCell));
        const auto y1 = static_cast<std::int64_t>(std::floor(r.bottom() / kCell));
        for (auto x = x0; x <= x1; ++x)
            for (auto y = y0; y <= y1; ++y) each(x * 4'000'003 + y);
    }
    std::unordered_map<std::int64_t, std::vector<int>> m_cells;
    std::vector<unsigned> m_seen;
    unsigned m_stamp = 0;
};

std::string Name(const Shape& s) { return s.key.empty() ? s.text : s.key; }

std::string At(QPointF p) {
    return " at " + std::to_string(std::lround(p.x())) + ", " + std::to_string(std::lround(p.y()));
}

std::uint64_t PairKey(std::size_t a, std::size_t b) {
    return (static_cast<std::uint64_t>(std::min(a, b)) << 32) | static_cast<std::uint64_t>(std::max(a, b));
}

struct Segment {
    QPointF p, q;
    int link;
};

}  // namespace

std::string DrawingFaults::Summary() const {
    return std::to_string(labelOverlaps) + " label overlaps, " + std::to_string(linksUnderBoxes) +
           " links under boxes, " + std::to_string(boxOverlaps) + " boxes overlapping, " +
           std::to_string(labelsAstray) + " labels astray, " + std::to_string(linksOnTop) +
           " links on top of each other, " + std::to_string(labelsTight) + " labels tight, " +
           std::to_string(runsClose) + " pairs of lines close; first: " + (examples.empty() ? "" : examples.front());
}

DrawingFaults CheckDrawing(const DiagramModel& model) {
    DrawingFaults faults;
    auto example = [&](std::string text) {
        if (faults.examples.size() < kExamples) faults.examples.push_back(std::move(text));
    };
    const auto& shapes = model.Shapes();
    std::vector<QRectF> boxes;
    for (const auto& s : shapes) boxes.push_back(ShapeRect(*s));
    RectGrid grid(boxes);
    for (std::size_t i = 0; i < boxes.size(); ++i)
        grid.Near(boxes[i], [&](int b) {
            if (static_cast<std::size_t>(b) <= i || !Overlap(boxes[i], boxes[b])) return;
            ++faults.boxOverlaps;
            example("box " + Name(*shapes[i]) + " overlaps box " + Name(*shapes[b]));
        });

    struct Label {
        QRectF rect;
        int link;
        std::string what;
    };
    std::vector<Label> labels;
    std::vector<Segment> segments;
    std::vector<int> firstSegment;  // of each link, and one past the last
    std::vector<std::string> ends;  // of each link, in words
    struct Head {
        QPolygonF shape;
        int link;
    };
    std::vector<Head> heads;
    const auto& links = model.Links();
    const std::vector<LinkSlot> linkSlots = LinkSlots(model);
    for (std::size_t i = 0; i < links.size(); ++i) {
        const Link& l = *links[i];
        const int link = static_cast<int>(i);
        ends.push_back(" (" + Name(*l.from) + " -> " + Name(*l.to) + ")");
        LinkGeometry g = LinkShape(l, linkSlots[i]);
        if (!g.textRect.isNull()) labels.push_back({g.textRect, link, "'" + l.text + "'" + ends.back()});
        if (!g.fromRect.isNull()) labels.push_back({g.fromRect, link, "'" + l.fromLabel + "'" + ends.back()});
        if (!g.toRect.isNull()) labels.push_back({g.toRect, link, "'" + l.toLabel + "'" + ends.back()});
        for (const QPolygonF* head : {&g.fromHead, &g.toHead})
            if (!head->isEmpty()) heads.push_back({*head, link});

        firstSegment.push_back(static_cast<int>(segments.size()));
        const int from = model.IndexOf(*l.from), to = model.IndexOf(*l.to);
        std::vector<char> under(shapes.size(), 0);
        for (const QPolygonF& line : g.path.toSubpathPolygons())
            for (int k = 0; k + 1 < line.size(); ++k) {
                const QPointF p = line[k], q = line[k + 1];
                if (p != q) segments.push_back({p, q, link});
                grid.Near(QRectF(p, q).normalized(), [&](int b) {
                    if (b == from || b == to || under[b] || !Enters(p, q, boxes[b])) return;
                    under[b] = 1;
                    ++faults.linksUnderBoxes;
                    example("link" + ends.back() + " runs under box " + Name(*shapes[b]));
                });
            }
    }
    firstSegment.push_back(static_cast<int>(segments.size()));

    std::sort(labels.begin(), labels.end(), [](const Label& a, const Label& b) { return a.rect.left() < b.rect.left(); });
    for (std::size_t i = 0; i < labels.size(); ++i) {
        for (std::size_t j = i + 1; j < labels.size() && labels[j].rect.left() < labels[i].rect.right(); ++j)
            if (Overlap(labels[i].rect, labels[j].rect)) {
                ++faults.labelOverlaps;
                example("label " + labels[i].what + " overlaps label " + labels[j].what);
            }
        grid.Near(labels[i].rect, [&](int b) {
            if (!Overlap(labels[i].rect, boxes[b])) return;
            ++faults.labelOverlaps;
            example("label " + labels[i].what + " overlaps box " + Name(*shapes[b]));
        });
    }

    std::vector<QRectF> segmentRects;
    segmentRects.reserve(segments.size());
    for (const Segment& s : segments) segmentRects.push_back(QRectF(s.p, s.q).normalized());
    RectGrid lines(segmentRects);

    // A label belongs, to the eye, to the line nearest it. The loops of one
    // box nest, their labels beyond the outermost: those stand by the box's
    // loops, not each by its own.
    auto loopOf = [&](int link) { return links[link]->from == links[link]->to ? links[link]->from : nullptr; };
    faults.labels = static_cast<long long>(labels.size());
    for (const Label& label : labels) {
        double own = 1e300;
        for (int k = firstSegment[label.link]; k < firstSegment[label.link + 1]; ++k)
            own = std::min(own, SegmentToRect(segments[k].p, segments[k].q, label.rect));
        if (own == 1e300 || own <= kTolerance) continue;
        // The nearest other line within twice the label's own distance.
        const double reach = kOwnLineLead * own;
        int nearest = -1;
        double other = 1e300;
        lines.Near(label.rect.adjusted(-reach, -reach, reach, reach), [&](int k) {
            const Segment& s = segments[k];
            if (s.link == label.link || (loopOf(s.link) != nullptr && loopOf(s.link) == loopOf(label.link))) return;
            const double d = SegmentToRect(s.p, s.q, label.rect);
            if (d < other) other = d, nearest = s.link;
        });
        if (other + kTolerance >= reach) continue;
        ++faults.labelsTight;
        if (other + kTolerance >= own) {
            example("label " + label.what + At(label.rect.topLeft()) + " stands " + std::to_string(std::lround(other)) +
                    " px from the line of" + ends[nearest] + ", " + std::to_string(std::lround(own)) +
                    " px from its own");
            continue;
        }
        ++faults.labelsAstray;
        example("label " + label.what + At(label.rect.topLeft()) + " stands nearer the line of" + ends[nearest]);
    }

    // Lines that run together, and arrowheads that merge.
    std::unordered_set<std::uint64_t> onTop, close;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Segment& s = segments[i];
        const QPointF u = s.q - s.p;
        const double lu = std::hypot(u.x(), u.y());
        lines.Near(segmentRects[i].adjusted(-kCloseDistance, -kCloseDistance, kCloseDistance, kCloseDistance),
                   [&](int k) {
                       const Segment& t = segments[k];
                       if (static_cast<std::size_t>(k) <= i || t.link == s.link) return;
                       const QPointF v = t.q - t.p;
                       const double lv = std::hypot(v.x(), v.y());
                       if (std::abs(u.x() * v.y() - u.y() * v.x()) > kOnTopSine * lu * lv) return;
                       const std::uint64_t pair = PairKey(s.link, t.link);
                       if (onTop.count(pair)) return;
                       auto stretch = [&](double distance) {
                           return std::max(StretchWithin(s.p, s.q, t.p, t.q, distance),
                                           StretchWithin(t.p, t.q, s.p, s.q, distance));
                       };
                       if (stretch(kOnTopDistance) >= kOnTopLength) {
                           onTop.insert(pair);
                           example("link" + ends[s.link] + " runs on top of link" + ends[t.link] + At(t.p));
                       } else if (!close.count(pair) && stretch(kCloseDistance) >= kCloseLength) {
                           close.insert(pair);
                           example("link" + ends[s.link] + " runs with less than " + std::to_string(std::lround(kLeastWhite)) +
                                   " px of white beside link" + ends[t.link] + At(t.p));
                       }
                   });
    }
    std::vector<QRectF> headRects;
    for (const Head& h : heads) headRects.push_back(h.shape.boundingRect());
    RectGrid headGrid(headRects);
    for (std::size_t i = 0; i < heads.size(); ++i)
        headGrid.Near(headRects[i], [&](int k) {
            if (static_cast<std::size_t>(k) <= i || heads[k].link == heads[i].link) return;
            if (onTop.count(PairKey(heads[i].link, heads[k].link))) return;
            if (Area(heads[i].shape.intersected(heads[k].shape)) <= kMergedArea) return;
            onTop.insert(PairKey(heads[i].link, heads[k].link));
            example("arrowhead of link" + ends[heads[i].link] + " merges with link" + ends[heads[k].link] + "'s" +
                    At(heads[i].shape.first()));
        });
    faults.linksOnTop = static_cast<long long>(onTop.size());
    for (std::uint64_t pair : close) faults.runsClose += onTop.count(pair) == 0;
    return faults;
}

std::vector<DrawnLine> DrawnLines(const DiagramModel& model) {
    const auto& links = model.Links();
    const std::vector<LinkSlot> linkSlots = LinkSlots(model);
    std::vector<DrawnLine> lines;
    lines.reserve(links.size());
    for (std::size_t i = 0; i < links.size(); ++i) {
        const Link& l = *links[i];
        DrawnLine line{model.IndexOf(*l.from), model.IndexOf(*l.to), {}};
        for (const QPolygonF& part : LinkPath(l, linkSlots[i]).toSubpathPolygons())
            for (const QPointF& p : part) line.points.push_back({p.x(), p.y()});
        lines.push_back(std::move(line));
    }
    return lines;
}

long long CrossingPairs(const std::vector<DrawnLine>& lines, bool sharedBoxes) {
    struct Piece {
        int line;
        QPointF p, q;
        double minX, maxX, minY, maxY;
    };
    std::vector<Piece> pieces;
    for (int k = 0; k < static_cast<int>(lines.size()); ++k) {
        const DrawnLine& d = lines[k];
        if (d.from == d.to) continue;
        for (std::size_t i = 1; i < d.points.size(); ++i) {
            const QPointF p(d.points[i - 1].x, d.points[i - 1].y), q(d.points[i].x, d.points[i].y);
            pieces.push_back({k, p, q, std::min(p.x(), q.x()), std::max(p.x(), q.x()), std::min(p.y(), q.y()),
                              std::max(p.y(), q.y())});
        }
    }
    // Swept by their left ends: a pair is tested only where their x ranges
    // overlap.
    std::sort(pieces.begin(), pieces.end(), [](const Piece& s, const Piece& t) { return s.minX < t.minX; });
    std::unordered_set<std::uint64_t> pairs;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const Piece& s = pieces[i];
        for (std::size_t j = i + 1; j < pieces.size() && pieces[j].minX <= s.maxX; ++j) {
            const Piece& t = pieces[j];
            if (t.maxY < s.minY || t.minY > s.maxY || s.line == t.line) continue;
            const DrawnLine &x = lines[s.line], &y = lines[t.line];
            if (!sharedBoxes && (x.from == y.from || x.from == y.to || x.to == y.from || x.to == y.to)) continue;
            const double d1 = Cross(s.p, s.q, t.p), d2 = Cross(s.p, s.q, t.q), d3 = Cross(t.p, t.q, s.p),
                         d4 = Cross(t.p, t.q, s.q);
            if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
                pairs.insert(PairKey(static_cast<std::size_t>(s.line), static_cast<std::size_t>(t.line)));
        }
    }
    return static_cast<long long>(pairs.size());
}

}  // namespace platform::diagram
