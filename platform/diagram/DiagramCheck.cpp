#include "platform/diagram/DiagramCheck.h"

#include <QPolygonF>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "platform/diagram/DiagramPainter.h"

namespace platform::diagram {

namespace {

// Edges that touch, and rounding, are no fault.
constexpr double kTolerance = 0.5;
constexpr std::size_t kExamples = 10;
// Cells of the grid that finds the boxes near a label or a line.
constexpr double kCell = 128;

bool Overlap(const QRectF& a, const QRectF& b) {
    return a.left() + kTolerance < b.right() && b.left() + kTolerance < a.right() &&
           a.top() + kTolerance < b.bottom() && b.top() + kTolerance < a.bottom();
}

// Whether the segment p-q runs inside r (by more than the tolerance):
// the segment clipped to the shrunk rectangle keeps some length.
bool Enters(QPointF p, QPointF q, const QRectF& r) {
    const double x0 = r.left() + kTolerance, x1 = r.right() - kTolerance;
    const double y0 = r.top() + kTolerance, y1 = r.bottom() - kTolerance;
    if (x0 >= x1 || y0 >= y1) return false;
    const double dx = q.x() - p.x(), dy = q.y() - p.y();
    double t0 = 0, t1 = 1;
    // Keeps the part of the segment where step * t <= room.
    auto clip = [&](double step, double room) {
        if (std::abs(step) < 1e-12) return room >= 0;
        const double t = room / step;
        if (step < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        return t0 < t1;
    };
    return clip(-dx, p.x() - x0) && clip(dx, x1 - p.x()) && clip(-dy, p.y() - y0) && clip(dy, y1 - p.y()) &&
           (t1 - t0) * std::hypot(dx, dy) > 1e-6;
}

class BoxGrid {
public:
    explicit BoxGrid(const std::vector<QRectF>& boxes) : m_seen(boxes.size(), 0) {
        for (std::size_t i = 0; i < boxes.size(); ++i)
            ForCells(boxes[i], [&](std::int64_t cell) { m_cells[cell].push_back(static_cast<int>(i)); });
    }
    // Calls visit once for every box whose cells meet the area.
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

}  // namespace

DrawingFaults CheckDrawing(const DiagramModel& model) {
    DrawingFaults faults;
    auto example = [&](std::string text) {
        if (faults.examples.size() < kExamples) faults.examples.push_back(std::move(text));
    };
    const auto& shapes = model.Shapes();
    std::vector<QRectF> boxes;
    for (const auto& s : shapes) boxes.push_back(ShapeRect(*s));
    BoxGrid grid(boxes);

    struct Label {
        QRectF rect;
        std::string what;
    };
    std::vector<Label> labels;
    const auto& links = model.Links();
    const std::vector<LinkSlot> linkSlots = LinkSlots(model);
    for (std::size_t i = 0; i < links.size(); ++i) {
        const Link& l = *links[i];
        const std::string ends = " (" + Name(*l.from) + " -> " + Name(*l.to) + ")";
        LinkGeometry g = LinkShape(l, linkSlots[i]);
        if (!g.textRect.isNull()) labels.push_back({g.textRect, "'" + l.text + "'" + ends});
        if (!g.fromRect.isNull()) labels.push_back({g.fromRect, "'" + l.fromLabel + "'" + ends});
        if (!g.toRect.isNull()) labels.push_back({g.toRect, "'" + l.toLabel + "'" + ends});

        const int from = model.IndexOf(*l.from), to = model.IndexOf(*l.to);
        std::vector<char> under(shapes.size(), 0);
        for (const QPolygonF& line : g.path.toSubpathPolygons())
            for (int k = 0; k + 1 < line.size(); ++k) {
                const QPointF p = line[k], q = line[k + 1];
                grid.Near(QRectF(p, q).normalized(), [&](int b) {
                    if (b == from || b == to || under[b] || !Enters(p, q, boxes[b])) return;
                    under[b] = 1;
                    ++faults.linksUnderBoxes;
                    example("link" + ends + " runs under box " + Name(*shapes[b]));
                });
            }
    }

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
    return faults;
}

}  // namespace platform::diagram
