#pragma once
// A diagram as plain data: boxes (shapes) and links, each found again by a
// text key. No Qt here: builders fill a model headless (the flow context,
// the report's diagram pages), the layout turns it into positions, the
// painter draws it, and the window's TDiagram wraps one.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform::diagram {

// Colours as the callers hold them: red + 256 x green + 65536 x blue.
using Colour = std::uint32_t;
constexpr Colour Rgb(int r, int g, int b) {
    return static_cast<Colour>(r & 0xFF) | (static_cast<Colour>(g & 0xFF) << 8) |
           (static_cast<Colour>(b & 0xFF) << 16);
}
constexpr int Red(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int Green(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int Blue(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

// Line styles of a box border.
enum LineStyle : int { kLineSolid = 0, kLineDashed = 2 };

// A box. Geometry is in pixels at zoom 100; Add places a box where it is
// told (callers add at 0, 0 and leave the rest to the layout).
struct Shape {
    std::string key;
    std::string text;
    std::string hint;
    std::string tag;
    double left = 0, top = 0, width = 0, height = 0;
    Colour fillColor = Rgb(255, 255, 255);
    Colour lineColor = Rgb(0, 0, 0);
    Colour textColor = Rgb(0, 0, 0);
    int lineStyle = kLineSolid;
    // The two emphasis switches of a flow context's centre box: a bold
    // caption and a heavy border.
    bool boldText = false;
    bool heavyBorder = false;
    // Where a centred layout puts the box: kSideBefore on the centre's
    // client side (its callers and their screens, left of it), kSideAfter
    // on its data side (right of it), kSideAuto by its links alone.
    int side = 0;
};

enum Side : int { kSideBefore = -1, kSideAuto = 0, kSideAfter = 1 };

struct Point {
    double x = 0, y = 0;
    bool operator==(const Point&) const = default;
};
struct Rect {
    double left = 0, top = 0, width = 0, height = 0;
    bool Empty() const { return width <= 0 || height <= 0; }
};

// A link between two boxes of the same model (from may equal to).
struct Link {
    std::string key;
    Shape* from = nullptr;
    Shape* to = nullptr;
    std::string text;
    std::string fromLabel;
    std::string toLabel;
    bool fromArrow = false;
    bool toArrow = true;
    Colour color = Rgb(0, 0, 0);
    // Where the layout routed the link: its line from the from box's border
    // to the to box's border, and the places of its caption and end labels
    // (empty where it has none). No points until a layout routes it, or
    // when the boxes were placed by hand: the painter then draws the link
    // straight.
    std::vector<Point> route;
    Rect textRect, fromRect, toRect;
};

// A second box under a key the model holds already.
class DuplicateKey : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class DiagramModel {
public:
    DiagramModel() = default;
    DiagramModel(const DiagramModel&) = delete;
    DiagramModel& operator=(const DiagramModel&) = delete;

    void Clear();

    // Adds a box; a non-empty key that exists already throws DuplicateKey.
    // Keys compare exactly (case matters).
    Shape& AddShape(const std::string& text, double left, double top, double width, double height,
                    const std::string& key);
    // Adds a link; a non-empty key that exists already throws DuplicateKey,
    // while any number of links may have an empty key (they are not found
    // by key). from and to must be boxes of this model.
    Link& AddLink(Shape& from, Shape& to, const std::string& text, const std::string& key,
                  const std::string& fromLabel = {}, bool fromArrow = false,
                  const std::string& toLabel = {}, bool toArrow = true);

    // nullptr when no box or link has the key ("none").
    Shape* FindShape(const std::string& key);
    const Shape* FindShape(const std::string& key) const;
    Link* FindLink(const std::string& key);
    const Link* FindLink(const std::string& key) const;

    // In insertion order; the pointers stay valid until Clear.
    const std::vector<std::unique_ptr<Shape>>& Shapes() const { return m_shapes; }
    const std::vector<std::unique_ptr<Link>>& Links() const { return m_links; }
    std::size_t ShapeCount() const { return m_shapes.size(); }
    std::size_t LinkCount() const { return m_links.size(); }
    // Position of a box in Shapes(), or -1 when it is not of this model.
    int IndexOf(const Shape& s) const;
    // Changes at every Clear: a box remembered from an earlier generation
    // is gone even when a new box took its address.
    std::uint64_t Generation() const { return m_generation; }

private:
    std::vector<std::unique_ptr<Shape>> m_shapes;
    std::vector<std::unique_ptr<Link>> m_links;
    std::unordered_map<std::string, Shape*> m_shapeByKey;
    std::unordered_map<std::string, Link*> m_linkByKey;
    std::unordered_map<const Shape*, int> m_index;
    std::uint64_t m_generation = 0;
};

}  // namespace platform::diagram
