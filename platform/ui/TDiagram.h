#pragma once
// The diagram control: boxes (shapes) and links found again by text keys,
// drawn through the diagram painter, with zoom, selection, activation by
// double-click or Enter and the key and mouse events the diagram windows
// handle. The drawing is a platform::diagram::DiagramModel; boxes and links
// are the model's Shape and Link records, whose fields are the properties.

#include <QAbstractScrollArea>
#include <QPointer>
#include <QRectF>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/diagram/DiagramModel.h"
#include "platform/diagram/DiagramPainter.h"

namespace platform::ui {

using TDiagramShape = platform::diagram::Shape;
using TDiagramLink = platform::diagram::Link;

class TDiagram;

// The boxes of a diagram by key.
class TDiagramShapes {
public:
    // Adds a box and returns it. A key the diagram holds already throws
    // platform::diagram::DuplicateKey and adds nothing; an empty key is
    // allowed but cannot be found again.
    TDiagramShape* Add(const std::string& text, double left, double top, double width, double height,
                       const std::string& key = {});
    // The same with colours; an absent colour keeps the default (white fill,
    // black text).
    TDiagramShape* Add(const std::string& text, double left, double top, double width, double height,
                       std::optional<platform::diagram::Colour> fillColor,
                       std::optional<platform::diagram::Colour> textColor, const std::string& key);
    // The box with the key, or nullptr ("none").
    TDiagramShape* Item(const std::string& key) const;
    bool Exists(const std::string& key) const { return Item(key) != nullptr; }
    int Count() const;

private:
    friend class TDiagram;
    explicit TDiagramShapes(TDiagram& owner) : m_owner(owner) {}
    TDiagram& m_owner;
};

// The links of a diagram by key.
class TDiagramLinks {
public:
    // Adds a link from one box of this diagram to another (or to itself) and
    // returns it; an arrowhead is drawn at each end whose arrow is set. A
    // non-empty key the diagram holds already throws DuplicateKey; any
    // number of links may have an empty key. A box that is null or of
    // another diagram throws std::invalid_argument.
    TDiagramLink* Add(TDiagramShape* from, TDiagramShape* to, const std::string& text,
                      const std::string& key = {}, const std::string& fromLabel = {},
                      bool fromArrow = false, const std::string& toLabel = {}, bool toArrow = true);
    // The link with the key, or nullptr ("none").
    TDiagramLink* Item(const std::string& key) const;
    bool Exists(const std::string& key) const { return Item(key) != nullptr; }
    int Count() const;

private:
    friend class TDiagram;
    explicit TDiagramLinks(TDiagram& owner) : m_owner(owner) {}
    TDiagram& m_owner;
};

class TDiagram : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kMinZoom = 10;
    static constexpr int kMaxZoom = 400;
    static constexpr int kZoomStep = 10;

    explicit TDiagram(QWidget* parent = nullptr);
    ~TDiagram() override;

    platform::diagram::DiagramModel& Model() { return m_model; }
    const platform::diagram::DiagramModel& Model() const { return m_model; }
    TDiagramShapes& Shapes() { return m_shapes; }
    TDiagramLinks& Links() { return m_links; }

    // Removes every box and link.
    void Clear();
    // False suspends painting while a drawing is built; true rebuilds the
    // view from the model (bounds, scroll range) and repaints. Call
    // Redraw(true) after changing the geometry of boxes directly.
    void Redraw(bool on);
    bool IsRedrawOn() const { return m_redraw; }
    // Sizes every box to its caption and arranges all boxes.
    void AutoLayout();
    // The finishing call after AutoLayout: fits the scroll range to the
    // drawing and shows its top-left corner.
    void FinishLayout();

    // Zoom in whole percent, kept within kMinZoom..kMaxZoom.
    int Zoom() const { return m_zoom; }
    void SetZoom(int percent);
    // The drawing's width for the preview rule (platform::diagram::DrawingWidth).
    double DrawingWidth() const;
    // The size the control needs to show the whole drawing at the current
    // zoom without scrolling, frame included.
    QSize DrawingSize();

    // The selected box, or nullptr; a box that left the model (a builder
    // cleared Model() directly) is no longer selected.
    TDiagramShape* SelectedShape() const {
        return m_selected && m_selectedGeneration == m_model.Generation() && m_model.IndexOf(*m_selected) >= 0
                   ? m_selected
                   : nullptr;
    }
    // Called when the window closes: drops the drawing and the selection.
    void CloseDiagram();
    // Writes the drawing at the current zoom to file (a JPEG for ".jpg");
    // false when it cannot be written.
    bool ExportImage(const std::filesystem::path& file);

    // Where a menu opened from the keyboard for a box goes, in global
    // coordinates: the box is scrolled into view and the point is its
    // centre, kept inside the viewport.
    QPoint MenuPoint(const TDiagramShape& shape);
    // Scrolls the box to the middle of the viewport, as far as the drawing
    // reaches: a box picked out after a redraw is shown with what lies
    // around it on every side. It stays there while the control changes
    // size (a window still being laid out, a pane resized) until the
    // analyst scrolls or zooms, or the drawing is redrawn.
    void CentreOn(const TDiagramShape& shape);
    // Where the box stands in the viewport, in its pixels (outside the
    // viewport's rectangle where it is scrolled out of sight).
    QRectF ViewRect(const TDiagramShape& shape);

    // The topmost box or link under a point of the viewport, or nullptr.
    TDiagramShape* ShapeAt(QPoint viewportPos);
    TDiagramLink* LinkAt(QPoint viewportPos);

signals:
    void FocusGained();
    // Double-click on a box, or Enter on the selected box.
    void ShapeActivated(platform::diagram::Shape* shape);
    // Double-click on a link.
    void LinkActivated(platform::diagram::Link* link);
    // A mouse button released over a box: 1 left, 2 right, 4 middle.
    void ShapeMouseReleased(platform::diagram::Shape* shape, int button);
    void ZoomChanged();
    // A key released over the diagram: the key code as the diagram windows
    // know them (F1..F12 112..123, Enter 13, Escape 27, Delete 46, letters
    // 65..90, digits 48..57, arrows 37..40) and the shift state (1 Shift,
    // 2 Ctrl, 4 Alt).
    void KeyReleased(int keyCode, int shift);

protected:
    bool event(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

private:
    friend class TDiagramShapes;
    friend class TDiagramLinks;
    friend class RedrawScope;

    // Something in the model changed: the bounds are recomputed when next
    // needed and, while painting is on, the view refreshes once the current
    // event is done (so adding many boxes costs one refresh).
    void ModelChanged();
    void Refresh();
    void EnsureGeometry();
    void UpdateScrollBars();
    QPointF ToModel(QPointF viewportPos);
    QPointF ToViewport(QPointF modelPos);
    void SetZoomAround(int percent, QPointF viewportAnchor);
    void Select(TDiagramShape* shape);
    void SelectByTab(bool forward);
    void SelectToward(int key);
    void EnsureVisible(const TDiagramShape& shape);
    void ScrollToMiddle(const TDiagramShape& shape);

    platform::diagram::DiagramModel m_model;
    TDiagramShapes m_shapes{*this};
    TDiagramLinks m_links{*this};
    bool m_redraw = true;
    int m_scopeDepth = 0;
    int m_zoom = 100;
    int m_wheelRemainder = 0;
    TDiagramShape* m_selected = nullptr;
    std::uint64_t m_selectedGeneration = 0;
    // The box CentreOn keeps in the middle, while its drawing lasts.
    const TDiagramShape* m_centred = nullptr;
    std::uint64_t m_centredGeneration = 0;
    bool m_dirty = true;
    bool m_refreshPosted = false;
    QRectF m_bounds;
    std::vector<platform::diagram::LinkSlot> m_slots;
};

// Keeps painting off for its lifetime. Scopes nest; when the outermost one
// ends, painting is switched on again and the view rebuilt, whatever
// Redraw(false) calls happened inside and also when an exception leaves the
// scope.
class RedrawScope {
public:
    explicit RedrawScope(TDiagram& diagram);
    ~RedrawScope();
    RedrawScope(const RedrawScope&) = delete;
    RedrawScope& operator=(const RedrawScope&) = delete;

private:
    QPointer<TDiagram> m_diagram;
};

}  // namespace platform::ui
