#pragma once
// Automatic layout: a function from a model's boxes and links to box
// positions. Deterministic (the same model gives the same coordinates) and
// free of overlaps. Behind one interface so another engine can be added.

#include <exception>
#include <functional>

#include "platform/diagram/DiagramModel.h"

namespace platform::diagram {

class ILayoutEngine {
public:
    virtual ~ILayoutEngine() = default;
    // Sets left and top of every box of the model; widths and heights are
    // taken as they are, or grown where the box's link ends need room.
    virtual void Layout(DiagramModel& model) = 0;
};

// Layered layout: only links inside a cycle are turned round (a greedy
// order, insertion order breaking ties), layers of least total link length
// (network simplex, bounded), callers above or before callees, crossings
// reduced by median sweeps with neighbour swaps and then sifting (each box
// to its best place in its layer) from two first orders (three in a sparse
// graph; in a component with cycles and few links, also for three
// depth-first ways of turning them round, keeping the fewest crossings),
// each connected component laid out apart and the components packed
// toward a 4:3 page, the far ends of a very wide layer moved into layers
// of their own. Every link is routed: from a port on its box's side (the
// ends on one side spread apart, the box growing along its layer where
// they need the room), between the boxes of the layers it passes, turning
// across each gap between layers on a track of its own so that no two
// lines run on top of one another, with its
// caption and end labels in a row of labels between two layers (a
// self-link loops beside its box with its labels beyond the loop), so that
// no label covers another or a box, each label stands nearer its own line
// than any other, and no line runs under a box it does not join. A model
// whose one centre box carries both emphasis switches is laid out around
// it, left to right: upstream boxes (and their screens) in columns to its
// left, downstream boxes in columns to its right, each at least as far out
// as its distance and beyond the boxes of its side it is linked with from
// nearer the centre, so that no link joins two boxes of one column; a
// link's caption stands next to its from box; a box's side hint decides
// where the links alone cannot.
class LayeredLayout : public ILayoutEngine {
public:
    LayeredLayout() = default;
    // stop is asked between the steps of the layout; once it answers true
    // the layout ends with LayoutStopped.
    explicit LayeredLayout(std::function<bool()> stop) : m_stop(std::move(stop)) {}
    void Layout(DiagramModel& model) override;

private:
    std::function<bool()> m_stop;
};

// A layout told to stop; the model is left half laid out.
class LayoutStopped : public std::exception {
public:
    const char* what() const noexcept override { return "The layout was stopped"; }
};

// Sizes every box to its text (see DiagramPainter's TextBoxSize, never
// smaller than the size it was given) and lays the model out with the
// layered layout, stopping as LayeredLayout does. What TDiagram::AutoLayout
// and the headless builders call.
void AutoLayout(DiagramModel& model, const std::function<bool()>& stop = {});

// Gives into, a model equal to laid (the same boxes and links in the same
// order) but not laid out, every box's place and size and every link's
// route and label places of laid: a layout made on another thread lands in
// the model a window shows.
void TakeLayout(const DiagramModel& laid, DiagramModel& into);

}  // namespace platform::diagram
