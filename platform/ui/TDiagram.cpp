#include "platform/ui/TDiagram.h"

#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPathStroker>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "platform/diagram/DiagramLayout.h"
#include "platform/ui/DiagramExporter.h"

namespace platform::ui {

namespace dg = platform::diagram;

namespace {

constexpr int kViewMargin = 10;    // screen pixels around the drawing
constexpr double kLinkHitTolerance = 4;  // screen pixels either side of a link

int ShiftState(Qt::KeyboardModifiers m) {
    int s = 0;
    if (m & Qt::ShiftModifier) s |= 1;
    if (m & Qt::ControlModifier) s |= 2;
    if (m & Qt::AltModifier) s |= 4;
    return s;
}

// The key codes the diagram windows compare against; 0 for a key they
// cannot name.
int VirtualKey(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Menu: return 93;
    default: return 0;
    }
}

int ButtonCode(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

}  // namespace

// ---- collections ----------------------------------------------------------

TDiagramShape* TDiagramShapes::Add(const std::string& text, double left, double top, double width,
                                   double height, const std::string& key) {
    return Add(text, left, top, width, height, std::nullopt, std::nullopt, key);
}

TDiagramShape* TDiagramShapes::Add(const std::string& text, double left, double top, double width,
                                   double height, std::optional<dg::Colour> fillColor,
                                   std::optional<dg::Colour> textColor, const std::string& key) {
    dg::Shape& s = m_owner.m_model.AddShape(text, left, top, width, height, key);
    if (fillColor) s.fillColor = *fillColor;
    if (textColor) s.textColor = *textColor;
    m_owner.ModelChanged();
    return &s;
}

TDiagramShape* TDiagramShapes::Item(const std::string& key) const {
    return key.empty() ? nullptr : m_owner.m_model.FindShape(key);
}

int TDiagramShapes::Count() const { return static_cast<int>(m_owner.m_model.ShapeCount()); }

TDiagramLink* TDiagramLinks::Add(TDiagramShape* from, TDiagramShape* to, const std::string& text,
                                 const std::string& key, const std::string& fromLabel, bool fromArrow,
                                 const std::string& toLabel, bool toArrow) {
    if (!from || !to) throw std::invalid_argument("A link needs a box at each end.");
    dg::Link& l = m_owner.m_model.AddLink(*from, *to, text, key, fromLabel, fromArrow, toLabel, toArrow);
    m_owner.ModelChanged();
    return &l;
}

TDiagramLink* TDiagramLinks::Item(const std::string& key) const {
    return key.empty() ? nullptr : m_owner.m_model.FindLink(key);
}

int TDiagramLinks::Count() const { return static_cast<int>(m_owner.m_model.LinkCount()); }

// ---- the control ------------------------------------------------------------

TDiagram::TDiagram(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
    // The analyst scrolled (bar, wheel or page keys): the view is theirs.
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
        connect(bar, &QScrollBar::actionTriggered, this, [this] { m_centred = nullptr; });
}

TDiagram::~TDiagram() = default;

void TDiagram::Clear() {
    m_selected = nullptr;
    m_centred = nullptr;
    m_model.Clear();
    ModelChanged();
}

void TDiagram::Redraw(bool on) {
    m_redraw = on;
    if (on) {
        m_dirty = true;
        Refresh();
    }
}

void TDiagram::AutoLayout() {
    dg::AutoLayout(m_model);
    ModelChanged();
    if (m_redraw) Refresh();
}

void TDiagram::FinishLayout() {
    m_dirty = true;
    EnsureGeometry();
    UpdateScrollBars();
    m_centred = nullptr;
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

void TDiagram::SetZoom(int percent) {
    SetZoomAround(percent, QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
}

void TDiagram::SetZoomAround(int percent, QPointF anchor) {
    percent = std::clamp(percent, kMinZoom, kMaxZoom);
    if (percent == m_zoom) return;
    m_centred = nullptr;
    // Keep the point under the anchor where it is on the screen.
    QPointF modelPoint = ToModel(anchor);
    m_zoom = percent;
    UpdateScrollBars();
    QPointF now = ToViewport(modelPoint);
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + static_cast<int>(std::lround(now.x() - anchor.x())));
    verticalScrollBar()->setValue(verticalScrollBar()->value() + static_cast<int>(std::lround(now.y() - anchor.y())));
    viewport()->update();
    emit ZoomChanged();
}

double TDiagram::DrawingWidth() const { return dg::DrawingWidth(m_model); }

void TDiagram::CloseDiagram() { Clear(); }

bool TDiagram::ExportImage(const std::filesystem::path& file) {
    try {
        DiagramExporter::Instance().ExportImage(*this, file);
        return true;
    } catch (const ExportFailed&) {
        return false;
    }
}

void TDiagram::ModelChanged() {
    m_dirty = true;
    if (!m_redraw || m_refreshPosted) return;
    m_refreshPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refreshPosted = false;
            if (m_redraw) Refresh();
        },
        Qt::QueuedConnection);
}

void TDiagram::Refresh() {
    EnsureGeometry();
    UpdateScrollBars();
    viewport()->update();
}

void TDiagram::EnsureGeometry() {
    if (!m_dirty) return;
    // The model may have been rebuilt behind the control's back; a
    // selection it no longer holds must not be followed.
    m_selected = SelectedShape();
    m_bounds = dg::DrawingBounds(m_model);
    m_slots = dg::LinkSlots(m_model);
    m_dirty = false;
}

QSize TDiagram::DrawingSize() {
    EnsureGeometry();
    const double z = m_zoom / 100.0;
    const QMargins frame = contentsMargins();
    return QSize(static_cast<int>(std::ceil(m_bounds.width() * z)) + 2 * kViewMargin + frame.left() + frame.right(),
                 static_cast<int>(std::ceil(m_bounds.height() * z)) + 2 * kViewMargin + frame.top() + frame.bottom());
}

void TDiagram::UpdateScrollBars() {
    EnsureGeometry();
    double z = m_zoom / 100.0;
    int contentW = static_cast<int>(std::ceil(m_bounds.width() * z)) + 2 * kViewMargin;
    int contentH = static_cast<int>(std::ceil(m_bounds.height() * z)) + 2 * kViewMargin;
    QSize view = viewport()->size();
    // Scroll bars shown while the control was smaller take room from the
    // viewport; a drawing that fits once they are gone needs none, and
    // would otherwise keep both, each because of the other.
    const QSize whole = maximumViewportSize();
    if (contentW <= whole.width() && contentH <= whole.height()) view = whole;
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setPageStep(view.height());
    horizontalScrollBar()->setRange(0, std::max(0, contentW - view.width()));
    verticalScrollBar()->setRange(0, std::max(0, contentH - view.height()));
}

QPointF TDiagram::ToModel(QPointF p) {
    EnsureGeometry();
    double z = m_zoom / 100.0;
    QPointF content(p.x() + horizontalScrollBar()->value() - kViewMargin,
                    p.y() + verticalScrollBar()->value() - kViewMargin);
    return content / z + m_bounds.topLeft();
}

QPointF TDiagram::ToViewport(QPointF m) {
    EnsureGeometry();
    double z = m_zoom / 100.0;
    QPointF content = (m - m_bounds.topLeft()) * z;
    return QPointF(content.x() + kViewMargin - horizontalScrollBar()->value(),
                   content.y() + kViewMargin - verticalScrollBar()->value());
}

TDiagramShape* TDiagram::ShapeAt(QPoint viewportPos) {
    QPointF m = ToModel(viewportPos);
    const auto& shapes = m_model.Shapes();
    // Boxes painted later lie on top.
    for (auto it = shapes.rbegin(); it != shapes.rend(); ++it)
        if (dg::ShapeRect(**it).contains(m)) return it->get();
    return nullptr;
}

TDiagramLink* TDiagram::LinkAt(QPoint viewportPos) {
    QPointF m = ToModel(viewportPos);
    double tol = kLinkHitTolerance * 100.0 / m_zoom;
    QPainterPathStroker stroker;
    stroker.setWidth(2 * tol);
    const auto& links = m_model.Links();
    for (std::size_t i = links.size(); i-- > 0;) {
        QPainterPath path = dg::LinkPath(*links[i], m_slots[i]);
        if (!path.controlPointRect().adjusted(-tol, -tol, tol, tol).contains(m)) continue;
        if (stroker.createStroke(path).contains(m)) return links[i].get();
    }
    return nullptr;
}

void TDiagram::Select(TDiagramShape* shape) {
    if (shape == m_selected) return;
    m_selected = shape;
    m_selectedGeneration = m_model.Generation();
    if (shape) EnsureVisible(*shape);
    viewport()->update();
}

void TDiagram::SelectByTab(bool forward) {
    const auto& shapes = m_model.Shapes();
    int n = static_cast<int>(shapes.size());
    int at = m_selected ? m_model.IndexOf(*m_selected) : -1;
    int next = at < 0 ? (forward ? 0 : n - 1) : (at + (forward ? 1 : n - 1)) % n;
    Select(shapes[next].get());
}

void TDiagram::SelectToward(int key) {
    const auto& shapes = m_model.Shapes();
    if (!m_selected) {
        Select(shapes.front().get());
        return;
    }
    QPointF from = dg::ShapeRect(*m_selected).center();
    TDiagramShape* best = nullptr;
    double bestScore = std::numeric_limits<double>::max();
    for (const auto& s : shapes) {
        if (s.get() == m_selected) continue;
        QPointF d = dg::ShapeRect(*s).center() - from;
        double along = 0, across = 0;
        switch (key) {
        case Qt::Key_Left: along = -d.x(); across = d.y(); break;
        case Qt::Key_Right: along = d.x(); across = d.y(); break;
        case Qt::Key_Up: along = -d.y(); across = d.x(); break;
        default: along = d.y(); across = d.x(); break;
        }
        if (along < 0.5) continue;
        // Boxes straight ahead win over nearer ones far to the side.
        double score = along + 2 * std::abs(across);
        if (score < bestScore) {
            bestScore = score;
            best = s.get();
        }
    }
    if (best) Select(best);
}

QPoint TDiagram::MenuPoint(const TDiagramShape& shape) {
    EnsureVisible(shape);
    const QPoint centre = ToViewport(dg::ShapeRect(shape).center()).toPoint();
    const QRect view = viewport()->rect();
    return viewport()->mapToGlobal(QPoint(std::clamp(centre.x(), view.left(), view.right()),
                                          std::clamp(centre.y(), view.top(), view.bottom())));
}

void TDiagram::CentreOn(const TDiagramShape& shape) {
    m_centred = &shape;
    m_centredGeneration = m_model.Generation();
    ScrollToMiddle(shape);
}

QRectF TDiagram::ViewRect(const TDiagramShape& shape) {
    return QRectF(ToViewport(dg::ShapeRect(shape).topLeft()), ToViewport(dg::ShapeRect(shape).bottomRight()));
}

void TDiagram::ScrollToMiddle(const TDiagramShape& shape) {
    UpdateScrollBars();
    const QPointF at = ToViewport(dg::ShapeRect(shape).center());
    // The scroll bars keep their values within the drawing.
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() +
                                    static_cast<int>(std::lround(at.x() - viewport()->width() / 2.0)));
    verticalScrollBar()->setValue(verticalScrollBar()->value() +
                                  static_cast<int>(std::lround(at.y() - viewport()->height() / 2.0)));
    viewport()->update();
}

void TDiagram::EnsureVisible(const TDiagramShape& shape) {
    QRectF r = dg::ShapeRect(shape);
    QPointF tl = ToViewport(r.topLeft()), br = ToViewport(r.bottomRight());
    QSize view = viewport()->size();
    auto adjust = [this](QScrollBar* bar, double low, double high, int extent) {
        if (high <= extent && low >= 0) return;
        m_centred = nullptr;
        if (high > extent) bar->setValue(bar->value() + static_cast<int>(std::ceil(high - extent)) + kViewMargin);
        if (low < 0) bar->setValue(bar->value() + static_cast<int>(std::floor(low)) - kViewMargin);
    };
    adjust(horizontalScrollBar(), tl.x(), br.x(), view.width());
    adjust(verticalScrollBar(), tl.y(), br.y(), view.height());
}

// ---- events ---------------------------------------------------------------

bool TDiagram::event(QEvent* e) {
    // Tab walks the boxes instead of leaving the control; Ctrl+Tab leaves it.
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        bool tab = k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab;
        if (tab && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && m_model.ShapeCount() > 0) {
            SelectByTab(k->key() == Qt::Key_Tab && !(k->modifiers() & Qt::ShiftModifier));
            return true;
        }
        if (tab && (k->modifiers() & Qt::ControlModifier)) {
            focusNextPrevChild(k->key() == Qt::Key_Tab && !(k->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

bool TDiagram::viewportEvent(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        TDiagramShape* s = ShapeAt(help->pos());
        if (s && !s->hint.empty())
            QToolTip::showText(help->globalPos(), QString::fromStdString(s->hint), viewport());
        else
            QToolTip::hideText();
        return true;
    }
    return QAbstractScrollArea::viewportEvent(e);
}

void TDiagram::paintEvent(QPaintEvent* e) {
    if (!m_redraw) return;
    EnsureGeometry();
    QPainter p(viewport());
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    double z = m_zoom / 100.0;
    p.translate(kViewMargin - horizontalScrollBar()->value(), kViewMargin - verticalScrollBar()->value());
    p.scale(z, z);
    p.translate(-m_bounds.topLeft());
    QRectF exposed = p.transform().inverted().mapRect(QRectF(e->rect()));
    const auto& links = m_model.Links();
    for (std::size_t i = 0; i < links.size(); ++i)
        dg::PaintLink(p, *links[i], m_slots[i], false);
    for (const auto& s : m_model.Shapes()) {
        // The selection mark and a heavy border stand a few pixels out.
        if (!dg::ShapeRect(*s).adjusted(-8, -8, 8, 8).intersects(exposed)) continue;
        dg::PaintShape(p, *s, s.get() == m_selected);
    }
}

void TDiagram::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    UpdateScrollBars();
    if (m_centred && m_centredGeneration == m_model.Generation() && m_model.IndexOf(*m_centred) >= 0)
        ScrollToMiddle(*m_centred);
}

void TDiagram::scrollContentsBy(int, int) { viewport()->update(); }

void TDiagram::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton || e->button() == Qt::RightButton) {
        Select(ShapeAt(e->position().toPoint()));
        e->accept();
        return;
    }
    QAbstractScrollArea::mousePressEvent(e);
}

void TDiagram::mouseReleaseEvent(QMouseEvent* e) {
    int button = ButtonCode(e->button());
    TDiagramShape* s = button ? ShapeAt(e->position().toPoint()) : nullptr;
    if (s) {
        emit ShapeMouseReleased(s, button);
        return;  // a handler may have cleared the drawing or closed the window
    }
    QAbstractScrollArea::mouseReleaseEvent(e);
}

void TDiagram::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    QPoint at = e->position().toPoint();
    if (TDiagramShape* s = ShapeAt(at)) {
        emit ShapeActivated(s);
        return;
    }
    if (TDiagramLink* l = LinkAt(at)) emit LinkActivated(l);
}

void TDiagram::wheelEvent(QWheelEvent* e) {
    if (!(e->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(e);
        return;
    }
    // One notch (120) is one zoom step; fine-grained wheels add up.
    m_wheelRemainder += e->angleDelta().y();
    int steps = m_wheelRemainder / 120;
    m_wheelRemainder %= 120;
    if (steps != 0) SetZoomAround(m_zoom + steps * kZoomStep, e->position());
    e->accept();
}

void TDiagram::keyPressEvent(QKeyEvent* e) {
    m_selected = SelectedShape();
    int key = e->key();
    if (e->modifiers() & Qt::ControlModifier) {
        switch (key) {
        case Qt::Key_Equal:
        case Qt::Key_Plus: SetZoom(m_zoom + kZoomStep); return;
        case Qt::Key_Minus: SetZoom(m_zoom - kZoomStep); return;
        case Qt::Key_0: SetZoom(100); return;
        default: break;
        }
    }
    bool plain = !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier));
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_selected) {
        emit ShapeActivated(m_selected);
        return;
    }
    if (plain && m_model.ShapeCount() > 0 &&
        (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down)) {
        SelectToward(key);
        return;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

void TDiagram::keyReleaseEvent(QKeyEvent* e) {
    // A held key repeats press and release; the windows want the one real
    // release.
    if (e->isAutoRepeat()) return;
    int code = VirtualKey(e->key());
    if (code) emit KeyReleased(code, ShiftState(e->modifiers()));
}

void TDiagram::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    emit FocusGained();
}

// ---- RedrawScope ------------------------------------------------------------

RedrawScope::RedrawScope(TDiagram& diagram) : m_diagram(&diagram) {
    ++diagram.m_scopeDepth;
    diagram.Redraw(false);
}

RedrawScope::~RedrawScope() {
    if (!m_diagram) return;  // the window went during the build
    if (--m_diagram->m_scopeDepth == 0) m_diagram->Redraw(true);
}

}  // namespace platform::ui
