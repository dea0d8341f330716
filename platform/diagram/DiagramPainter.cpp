#include "platform/diagram/DiagramPainter.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImageWriter>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>
#include <map>
#include <memory>
#include <new>
#include <numbers>
#include <optional>
#include <string_view>
#include <utility>

#include "common/FileReplace.h"
#include "platform/diagram/JpegEncode.h"
#include "platform/diagram/OpaqueLines.h"
#include "platform/diagram/PixelGrid.h"
#include "platform/diagram/TextMeasure.h"

namespace platform::diagram {

namespace {

constexpr int kFontPixelSize = 12;
constexpr double kPadX = 8;   // text to box border, each side
constexpr double kPadY = 5;
constexpr double kCornerRadius = 3;
constexpr double kLinePen = 1;
constexpr double kHeavyPen = 3;
constexpr double kSelectionPen = 2;
constexpr double kSelectedLinkPen = 4;
constexpr double kParallelSpacing = 16;  // distance between the peaks of parallel links
constexpr double kBendMargin = 8;        // room a bent link keeps from the boxes it passes
constexpr double kArrowLength = 10;
constexpr double kArrowHalfWidth = 4.5;
constexpr double kSelfLoopReach = 22;  // how far the first self-link reaches out of its box
constexpr double kSelfLoopStep = 14;   // and each further one beyond it
constexpr double kEndLabelDistance = 22;  // along the line from its end
constexpr double kEndLabelOffset = 9;     // beside the line
constexpr double kSelectionGap = 4;
const QColor kSelectionColour(0, 120, 215);

QColor ToQColor(Colour c) { return QColor(Red(c), Green(c), Blue(c)); }

QRectF CentredRect(QPointF centre, QSizeF size) {
    return QRectF(centre.x() - size.width() / 2, centre.y() - size.height() / 2, size.width(),
                  size.height());
}

// The point where the ray from the centre of r toward target leaves r.
QPointF ClipToBorder(const QRectF& r, QPointF target) {
    QPointF c = r.center();
    double dx = target.x() - c.x(), dy = target.y() - c.y();
    if (std::abs(dx) < 1e-9 && std::abs(dy) < 1e-9) return c;
    double t = 1e300;
    if (std::abs(dx) > 1e-9) t = std::min(t, (r.width() / 2) / std::abs(dx));
    if (std::abs(dy) > 1e-9) t = std::min(t, (r.height() / 2) / std::abs(dy));
    return QPointF(c.x() + dx * t, c.y() + dy * t);
}

QPointF UnitVector(QPointF v) {
    double len = std::hypot(v.x(), v.y());
    if (len < 1e-9) return QPointF(1, 0);
    return v / len;
}

// An arrowhead whose tip is at tip, pointing along direction.
QPolygonF ArrowHead(QPointF tip, QPointF direction) {
    QPointF u = UnitVector(direction);
    QPointF n(-u.y(), u.x());
    QPointF base = tip - u * kArrowLength;
    return QPolygonF({tip, base + n * kArrowHalfWidth, base - n * kArrowHalfWidth});
}

// A label beside the line at distance along it from one end.
QRectF EndLabelRect(const QPainterPath& path, const std::string& text, bool atStart) {
    double len = path.length();
    double along = std::min(kEndLabelDistance, len / 3);
    double pct = path.percentAtLength(atStart ? along : len - along);
    QPointF at = path.pointAtPercent(pct);
    double angle = path.angleAtPercent(pct) * std::numbers::pi / 180.0;
    // angleAtPercent counts counter-clockwise with y up; the normal below
    // points to the left of the direction of travel on screen.
    QPointF normal(-std::sin(angle), -std::cos(angle));
    QSizeF size = LabelSize(text);
    QPointF centre = at + normal * (kEndLabelOffset + size.height() / 2);
    return CentredRect(centre, size);
}

QRectF ToQRect(const Rect& r) { return r.Empty() ? QRectF() : QRectF(r.left, r.top, r.width, r.height); }

// Without decorations only the line is worked out (hit tests need no more).
// A link the layout routed runs along its route with its labels where the
// layout put them; any other is drawn straight (or curved, see LinkSlot).
LinkGeometry ComputeLink(const Link& l, int index, int count, double bend, bool decorations = true) {
    LinkGeometry g;
    if (!l.from || !l.to) return g;
    count = std::max(count, 1);
    index = std::clamp(index, 0, count - 1);
    QRectF a = ShapeRect(*l.from), b = ShapeRect(*l.to);
    QPointF startDir, endDir;  // directions in which the line leaves its ends
    bool selfLoop = l.from == l.to;
    if (l.route.size() >= 2) {
        const auto& r = l.route;
        g.path.moveTo(r.front().x, r.front().y);
        for (std::size_t i = 1; i < r.size(); ++i) g.path.lineTo(r[i].x, r[i].y);
        if (!decorations) return g;
        startDir = QPointF(r[0].x - r[1].x, r[0].y - r[1].y);
        endDir = QPointF(r.back().x - r[r.size() - 2].x, r.back().y - r[r.size() - 2].y);
        if (l.fromArrow) g.fromHead = ArrowHead(g.path.pointAtPercent(0), startDir);
        if (l.toArrow) g.toHead = ArrowHead(g.path.pointAtPercent(1), endDir);
        if (!l.text.empty()) g.textRect = ToQRect(l.textRect);
        if (!l.fromLabel.empty()) g.fromRect = ToQRect(l.fromRect);
        if (!l.toLabel.empty()) g.toRect = ToQRect(l.toRect);
        return g;
    }
    if (selfLoop) {
        double reach = kSelfLoopReach + kSelfLoopStep * index;
        double cy = a.center().y();
        double d = std::min(a.height() / 4, 8.0);
        QPointF start(a.right(), cy - d), end(a.right(), cy + d);
        QPointF c1(a.right() + reach, cy - d - reach * 0.6), c2(a.right() + reach, cy + d + reach * 0.6);
        g.path.moveTo(start);
        g.path.cubicTo(c1, c2, end);
        startDir = start - c1;
        endDir = end - c2;
    } else {
        // The spread is taken across one orientation of the pair whichever
        // way each link runs, so links in opposite directions do not cover
        // one another.
        QPointF ca = a.center(), cb = b.center();
        bool swap = ca.x() > cb.x() || (ca.x() == cb.x() && ca.y() > cb.y());
        QPointF p0 = swap ? cb : ca, p1 = swap ? ca : cb;
        QPointF u = UnitVector(p1 - p0);
        QPointF n(-u.y(), u.x());
        double offset = (index - (count - 1) / 2.0) * kParallelSpacing + bend;
        if (std::abs(offset) < 1e-9) {
            QPointF start = ClipToBorder(a, cb), end = ClipToBorder(b, ca);
            g.path.moveTo(start);
            g.path.lineTo(end);
            startDir = start - end;
            endDir = end - start;
        } else {
            // A quadratic curve peaks at half its control point's offset.
            QPointF control = (ca + cb) / 2 + n * (2 * offset);
            QPointF start = ClipToBorder(a, control), end = ClipToBorder(b, control);
            g.path.moveTo(start);
            g.path.quadTo(control, end);
            startDir = start - control;
            endDir = end - control;
        }
    }
    if (!decorations) return g;
    if (l.fromArrow) g.fromHead = ArrowHead(g.path.pointAtPercent(0), startDir);
    if (l.toArrow) g.toHead = ArrowHead(g.path.pointAtPercent(1), endDir);
    if (!l.text.empty()) {
        QPointF mid = g.path.pointAtPercent(0.5);
        QSizeF size = LabelSize(l.text);
        if (selfLoop)
            g.textRect = QRectF(mid.x() + 3, mid.y() - size.height() / 2, size.width(), size.height());
        else
            g.textRect = CentredRect(mid, size);
    }
    if (!l.fromLabel.empty()) g.fromRect = EndLabelRect(g.path, l.fromLabel, true);
    if (!l.toLabel.empty()) g.toRect = EndLabelRect(g.path, l.toLabel, false);
    return g;
}

// A link between two boxes of one column (or row) would run straight
// through the boxes between them. The sideways offset that takes its curve
// clear of every box it crosses; 0 for the usual link. Only links whose
// ends overlap across their direction are tested, so the cost stays with
// the few links that need it.
double BendAroundBoxes(const DiagramModel& model, const Link& l) {
    if (!l.from || !l.to || l.from == l.to) return 0;
    QRectF a = ShapeRect(*l.from), b = ShapeRect(*l.to);
    QPointF ca = a.center(), cb = b.center();
    const bool column = std::abs(ca.x() - cb.x()) < (a.width() + b.width()) / 2;
    const bool row = std::abs(ca.y() - cb.y()) < (a.height() + b.height()) / 2;
    if (!column && !row) return 0;
    // The same orientation as the curve's: p0 is the left (or upper) end.
    bool swap = ca.x() > cb.x() || (ca.x() == cb.x() && ca.y() > cb.y());
    QPointF p0 = swap ? cb : ca, p1 = swap ? ca : cb;
    QPointF along = p1 - p0;
    double length = std::hypot(along.x(), along.y());
    if (length < 1e-9) return 0;
    QPointF u = along / length, n(-u.y(), u.x());
    double bend = 0;
    for (const auto& s : model.Shapes()) {
        if (s.get() == l.from || s.get() == l.to) continue;
        QRectF r = ShapeRect(*s).adjusted(-kBendMargin, -kBendMargin, kBendMargin, kBendMargin);
        QPointF c = r.center() - p0;
        double t = (c.x() * u.x() + c.y() * u.y()) / length;
        if (t <= 0 || t >= 1) continue;
        double half = std::abs(n.x()) * r.width() / 2 + std::abs(n.y()) * r.height() / 2;
        double d = c.x() * n.x() + c.y() * n.y();
        if (std::abs(d) >= half) continue;   // the straight line misses it
        // A quadratic curve is displaced 4t(1-t) times its peak at t.
        double k = 4 * std::clamp(t, 0.15, 0.85) * (1 - std::clamp(t, 0.15, 0.85));
        bend = std::max(bend, (half + d) / k);
    }
    return bend;
}

double BorderPen(const Shape& s) { return s.heavyBorder ? kHeavyPen : kLinePen; }

// Where a box's border is drawn: on whole pixels at zoom 100, as links are.
QRectF BorderRect(const Shape& s) { return PixelGrid().Snap(ShapeRect(s), BorderPen(s)); }

// A label breaks between words; only a word wider than the whole width is
// broken inside. Measured against the width a label gets (LabelSize), and
// drawn in the rectangle measured so, the choice is the same both times.
void DrawLabel(QPainter& p, const QRectF& r, const std::string& text) {
    if (r.isNull()) return;
    // A light backing keeps a label readable where it crosses a line.
    p.fillRect(r, QColor(255, 255, 255, 200));
    TextMeasure& measure = TextMeasure::ForThread();
    measure.Draw(p, r, measure.LabelFlags(text, r.width()), text, false);
}

// The link's line and arrowheads in the grid's device, the line on whole
// pixels (a line of straight pieces moves less than a pixel, a curve not at
// all) and the arrowheads moved with its ends, so that they still meet it.
// The labels stay where they were.
LinkGeometry OnPixels(const LinkGeometry& g, const PixelGrid& grid) {
    LinkGeometry drawn = g;
    drawn.path = grid.Snap(g.path, kLinePen);
    if (g.path.isEmpty()) return drawn;
    auto moved = [&](int i) { return QPointF(drawn.path.elementAt(i)) - grid.Map(QPointF(g.path.elementAt(i))); };
    drawn.fromHead = grid.Map(g.fromHead).translated(moved(0));
    drawn.toHead = grid.Map(g.toHead).translated(moved(g.path.elementCount() - 1));
    return drawn;
}

// What a link draws at zoom 100: the layout's geometry on the model's
// pixels. The check and the hit tests read the layout's own.
LinkGeometry DrawnLink(const Link& l, const LinkSlot& slot) {
    return OnPixels(ComputeLink(l, slot.index, slot.count, slot.bend), PixelGrid());
}

// The device pixels that drawing within bounds with a pen width wide may
// touch (antialiasing reaches a pixel further).
QRect Touched(const QRectF& bounds, double width) {
    const double reach = width / 2 + 2;
    return bounds.adjusted(-reach, -reach, reach, reach).toAlignedRect();
}

// A line of straight pieces is drawn one piece at a time: drawn as one
// path, a line one pixel wide leaves the pixel where two pieces meet at
// three quarters of its colour. The pieces' square ends fill the corners.
// Pieces the held lines take are written with them later; any other is
// drawn at once, over what they hold beneath it.
void DrawLine(QPainter& p, const QPainterPath& path, OpaqueLines* held) {
    const double width = p.pen().widthF();
    if (held && !held->Takes(p.pen())) {
        held->Flush(Touched(path.controlPointRect(), width));
        held = nullptr;
    }
    std::vector<QLineF> pieces;
    for (int i = 1; i < path.elementCount(); ++i) {
        const QPainterPath::Element& e = path.elementAt(i);
        if (e.type == QPainterPath::MoveToElement) continue;
        if (e.type != QPainterPath::LineToElement) {
            if (held) held->Flush(Touched(path.controlPointRect(), width));
            p.drawPath(path);
            return;
        }
        pieces.emplace_back(QPointF(path.elementAt(i - 1)), QPointF(e));
    }
    if (!held) {
        p.drawLines(pieces.data(), static_cast<int>(pieces.size()));
        return;
    }
    for (const QLineF& piece : pieces) {
        if (held->Add(piece)) continue;
        held->Flush(Touched(QRectF(piece.p1(), piece.p2()).normalized(), width));
        p.drawLine(piece);
    }
}

// A link's line, arrowheads and labels. At any zoom the line is whole
// pixels wide with its straight pieces on whole pixels. With held lines
// (a whole drawing painted on an image), its straight line may wait in
// them.
void DrawLink(QPainter& p, const Link& l, const LinkGeometry& g, bool selected, OpaqueLines* held = nullptr) {
    if (g.path.isEmpty()) return;
    const QColor colour = ToQColor(l.color);
    {
        const PixelGrid grid(p);
        const LinkGeometry drawn = OnPixels(g, grid);
        const DevicePixels device(p, grid);
        p.setBrush(Qt::NoBrush);
        if (selected) {
            const double width = grid.Pen(kSelectedLinkPen);
            if (held) held->Flush(Touched(drawn.path.controlPointRect(), width));
            p.setPen(QPen(kSelectionColour, width, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(drawn.path);
        }
        p.setPen(QPen(colour, grid.Pen(kLinePen)));
        DrawLine(p, drawn.path, held);
        p.setBrush(colour);
        for (const QPolygonF* head : {&drawn.fromHead, &drawn.toHead}) {
            if (head->isEmpty()) continue;
            if (held) held->Flush(Touched(head->boundingRect(), 1));
            p.drawPolygon(*head);
        }
    }
    if (held) {
        // A caption's glyphs may reach a little past its rectangle: a line
        // of text further is more than they ever do.
        const QTransform toDevice = p.combinedTransform();
        for (const QRectF* r : {&g.textRect, &g.fromRect, &g.toRect})
            if (!r->isNull()) {
                const QRectF around = r->adjusted(-kFontPixelSize, -kFontPixelSize, kFontPixelSize, kFontPixelSize);
                held->Flush(Touched(toDevice.mapRect(around), 1));
            }
    }
    p.setPen(Qt::black);
    DrawLabel(p, g.textRect, l.text);
    DrawLabel(p, g.fromRect, l.fromLabel);
    DrawLabel(p, g.toRect, l.toLabel);
}

// A box with its caption.
void DrawShape(QPainter& p, const Shape& s, bool selected) {
    const PixelGrid grid(p);
    const double width = BorderPen(s);
    const QRectF border = BorderRect(s);
    {
        const DevicePixels device(p, grid);
        QPen pen(ToQColor(s.lineColor), grid.Pen(width));
        if (s.lineStyle == kLineDashed) pen.setStyle(Qt::DashLine);
        p.setPen(pen);
        p.setBrush(ToQColor(s.fillColor));
        p.drawRoundedRect(grid.Snap(border, width), grid.Length(kCornerRadius), grid.Length(kCornerRadius));
    }
    if (!s.text.empty()) {
        p.setPen(ToQColor(s.textColor));
        TextMeasure::ForThread().Draw(p, ShapeRect(s), Qt::AlignCenter, s.text, s.boldText);
    }
    if (selected) {
        const DevicePixels device(p, grid);
        p.setPen(QPen(kSelectionColour, grid.Pen(kSelectionPen)));
        p.setBrush(Qt::NoBrush);
        const double gap = kSelectionGap + width / 2;
        p.drawRect(grid.Snap(border.adjusted(-gap, -gap, gap, gap), kSelectionPen));
    }
}

// Whole pixels, so the image width and the preview rule's width agree.
QRectF WholePixels(const QRectF& bounds) {
    if (bounds.isNull()) return {};
    double left = std::floor(bounds.left()), top = std::floor(bounds.top());
    return QRectF(left, top, std::ceil(bounds.right()) - left, std::ceil(bounds.bottom()) - top);
}

}  // namespace

QFont DiagramFont(bool bold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(kFontPixelSize);
    f.setBold(bold);
    return f;
}

QSizeF TextBoxSize(const std::string& text) {
    TextMeasure& measure = TextMeasure::ForThread();
    QSizeF t = measure.Line(text, true);
    if (t.isEmpty()) t = QSizeF(0, measure.Metrics(true).height());
    return QSizeF(std::ceil(t.width() + 2 * kPadX), std::ceil(t.height() + 2 * kPadY));
}

QSizeF LabelSize(const std::string& text, double maxWidth) {
    if (text.empty()) return {0, 0};
    QSizeF size = TextMeasure::ForThread().Label(text, std::max(maxWidth, 1.0));
    return QSizeF(std::ceil(size.width()), std::ceil(size.height()));
}

std::vector<LinkSlot> LinkSlots(const DiagramModel& model) {
    const auto& links = model.Links();
    std::vector<LinkSlot> linkSlots(links.size());
    std::map<std::pair<const Shape*, const Shape*>, std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < links.size(); ++i) {
        const Shape* a = links[i]->from;
        const Shape* b = links[i]->to;
        if (std::less<const Shape*>()(b, a)) std::swap(a, b);
        groups[{a, b}].push_back(i);
    }
    for (const auto& [pair, members] : groups) {
        for (std::size_t k = 0; k < members.size(); ++k)
            linkSlots[members[k]] = LinkSlot{static_cast<int>(k), static_cast<int>(members.size())};
    }
    for (std::size_t i = 0; i < links.size(); ++i)
        if (links[i]->route.empty()) linkSlots[i].bend = BendAroundBoxes(model, *links[i]);
    return linkSlots;
}

QRectF ShapeRect(const Shape& s) { return QRectF(s.left, s.top, s.width, s.height); }

QPainterPath LinkPath(const Link& l, int index, int count) { return ComputeLink(l, index, count, 0, false).path; }
QPainterPath LinkPath(const Link& l, const LinkSlot& slot) {
    return ComputeLink(l, slot.index, slot.count, slot.bend, false).path;
}
LinkGeometry LinkShape(const Link& l, const LinkSlot& slot) {
    return ComputeLink(l, slot.index, slot.count, slot.bend);
}

DrawingGeometry MeasureDrawing(const DiagramModel& model) {
    DrawingGeometry d;
    const std::vector<LinkSlot> linkSlots = LinkSlots(model);
    const auto& links = model.Links();
    d.links.reserve(links.size());
    for (std::size_t i = 0; i < links.size(); ++i)
        d.links.push_back(DrawnLink(*links[i], linkSlots[i]));

    QRectF bounds;
    auto add = [&bounds](const QRectF& r) {
        if (r.isNull()) return;
        bounds = bounds.isNull() ? r : bounds.united(r);
    };
    for (const auto& s : model.Shapes()) {
        double half = BorderPen(*s) / 2;
        add(BorderRect(*s).adjusted(-half, -half, half, half));
    }
    for (const LinkGeometry& g : d.links) {
        add(g.path.boundingRect().adjusted(-0.5, -0.5, 0.5, 0.5));
        add(g.fromHead.boundingRect());
        add(g.toHead.boundingRect());
        add(g.textRect);
        add(g.fromRect);
        add(g.toRect);
    }
    d.bounds = WholePixels(bounds);
    return d;
}

QRectF DrawingBounds(const DiagramModel& model) { return MeasureDrawing(model).bounds; }

double DrawingWidth(const DiagramModel& model) { return DrawingWidth(MeasureDrawing(model)); }
double DrawingWidth(const DrawingGeometry& drawing) { return drawing.bounds.width() * kTwipsPerPixelX / 100.0; }

void PaintShape(QPainter& p, const Shape& s, bool selected) {
    p.save();
    DrawShape(p, s, selected);
    p.restore();
}

void PaintLink(QPainter& p, const Link& l, int index, int count, bool selected) {
    PaintLink(p, l, LinkSlot{index, count, 0}, selected);
}

void PaintLink(QPainter& p, const Link& l, const LinkSlot& slot, bool selected) {
    const LinkGeometry g = DrawnLink(l, slot);
    if (g.path.isEmpty()) return;
    p.save();
    DrawLink(p, l, g, selected);
    p.restore();
}

void PaintDiagram(QPainter& p, const DiagramModel& model) { PaintDiagram(p, model, MeasureDrawing(model)); }

void PaintDiagram(QPainter& p, const DiagramModel& model, const DrawingGeometry& drawing) {
    const auto& links = model.Links();
    p.save();
    {
        OpaqueLines held(p);
        for (std::size_t i = 0; i < links.size() && i < drawing.links.size(); ++i)
            DrawLink(p, *links[i], drawing.links[i], false, &held);
    }
    for (const auto& s : model.Shapes()) DrawShape(p, *s, false);
    p.restore();
}

QImage RenderImage(const DiagramModel& model, int zoomPercent) {
    return RenderImage(model, MeasureDrawing(model), zoomPercent);
}

namespace {

// The image's size at a zoom, or none where it is past what an image can
// hold (kept out of int overflow before QImage would refuse it).
std::optional<QSize> ImageSize(const DrawingGeometry& drawing, double z) {
    long long w = std::llround(drawing.bounds.width() * z) + 2 * kImageMargin;
    long long h = std::llround(drawing.bounds.height() * z) + 2 * kImageMargin;
    if (w > 1'000'000 || h > 1'000'000) return std::nullopt;
    return QSize(static_cast<int>(w), static_cast<int>(h));
}

void PaintOnWhite(QImage& img, const DiagramModel& model, const DrawingGeometry& drawing, double z) {
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(kImageMargin, kImageMargin);
    p.scale(z, z);
    p.translate(-drawing.bounds.topLeft());
    PaintDiagram(p, model, drawing);
    p.end();
}

// Pictures up to this size are painted into pixels their thread keeps.
constexpr std::size_t kKeptPixelBytes = std::size_t{16} << 20;

// The pixels an exported picture is painted into, kept by each thread from
// one picture to the next: a report run paints thousands, and a fresh
// image each time costs the system a page fault for every 4 KB of it.
// Larger pictures get memory of their own, which goes when they are
// written. The image is valid until the thread's next picture.
QImage ExportPixels(QSize size) {
    const std::size_t bytes = static_cast<std::size_t>(size.width()) * 4 * static_cast<std::size_t>(size.height());
    if (bytes > kKeptPixelBytes) return QImage(size, QImage::Format_RGB32);
    thread_local std::unique_ptr<uchar[]> kept;
    thread_local std::size_t keptBytes = 0;
    if (bytes > keptBytes) {
        kept.reset(new (std::nothrow) uchar[bytes]);
        keptBytes = kept ? bytes : 0;
        if (!kept) return {};
    }
    return QImage(kept.get(), size.width(), size.height(), size.width() * 4, QImage::Format_RGB32);
}

}  // namespace

QImage RenderImage(const DiagramModel& model, const DrawingGeometry& drawing, int zoomPercent) {
    const double z = std::max(zoomPercent, 1) / 100.0;
    const std::optional<QSize> size = ImageSize(drawing, z);
    if (!size) return {};
    QImage img(*size, QImage::Format_RGB32);
    if (!img.isNull()) PaintOnWhite(img, model, drawing, z);
    return img;
}

bool ExportImage(const DiagramModel& model, const std::filesystem::path& file, int zoomPercent) {
    return ExportImage(model, MeasureDrawing(model), file, zoomPercent);
}

std::optional<std::string> EncodeImage(const DiagramModel& model, const DrawingGeometry& drawing,
                                       const std::filesystem::path& file, int zoomPercent) {
    std::string ext = file.extension().string();
    if (!ext.empty()) ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // JPEG unless the extension names another format Qt writes.
    QByteArray format("JPEG");
    if (ext != "jpg" && ext != "jpeg" && !ext.empty() &&
        QImageWriter::supportedImageFormats().contains(QByteArray::fromStdString(ext)))
        format = QByteArray::fromStdString(ext);

    const double z = std::max(zoomPercent, 1) / 100.0;
    const std::optional<QSize> size = ImageSize(drawing, z);
    if (!size) return std::nullopt;
    QImage img = ExportPixels(*size);
    if (img.isNull()) return std::nullopt;
    PaintOnWhite(img, model, drawing, z);
    if (format == "JPEG") return EncodeJpeg(img, kJpegQuality);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, format).write(img)) return std::nullopt;
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool ExportImage(const DiagramModel& model, const DrawingGeometry& drawing, const std::filesystem::path& file,
                 int zoomPercent) {
    // Encoded in memory first: Qt's image writer does not report a write
    // that the disk refused, so the bytes go to the file where every write
    // is checked, beside it and renamed over it (a failure keeps an earlier
    // picture; a missing folder fails without being created).
    const std::optional<std::string> encoded = EncodeImage(model, drawing, file, zoomPercent);
    if (!encoded) return false;
    // The path goes to the file system as its bytes, whatever their encoding.
    try {
        common::ReplaceFileContents(file, *encoded);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

}  // namespace platform::diagram
