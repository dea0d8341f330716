#pragma once
// The layered engine under LayeredLayout, for one connected component whose
// boxes have their layers already: over-wide layers are wrapped by moving
// their outermost boxes into layers of their own, a link's labels get a
// place in a row of labels between two layers of boxes, long links get
// dummy positions, each layer is ordered to reduce crossings, the boxes are
// placed in line with their neighbours (long links straight) without
// overlapping, and every link is routed from a port on its box's side
// through its dummies, turning across each gap on a track of its own (see
// LayoutTracks.h). A box grows inside its layer where the ends of its
// links on one side would otherwise stand too close to tell apart. Axes
// are abstract so the same code serves rows (top to bottom) and columns
// (left to right): "along" runs inside a layer, "across" from one layer to
// the next.

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace platform::diagram::layout {

// Space between neighbours inside a layer, and the usual space between
// consecutive layers.
constexpr double kBoxGap = 20;
constexpr double kLayerGap = 40;

// The sizes of a link's labels (0 by 0 where it has none): its caption and
// the labels at its from and to ends.
struct LinkLabels {
    double captionAlong = 0, captionAcross = 0;
    double fromAlong = 0, fromAcross = 0;
    double toAlong = 0, toAcross = 0;
};

enum : unsigned char { kArrowFrom = 1, kArrowTo = 2 };

struct LayerInput {
    std::vector<double> along;   // extent of each box inside its layer
    std::vector<double> across;  // extent of each box along the flow
    std::vector<int> layer;      // 0 is the first layer; gaps are allowed
    // One pair (from box, to box) per drawn link, repeats included; a link
    // from a box to itself is not routed. Direction does not decide the
    // layers (they are given) but which end is which.
    std::vector<std::pair<int, int>> edges;
    // Empty, or one per edge.
    std::vector<LinkLabels> labels;
    // Empty (an arrowhead at every to end), or one per edge: kArrowFrom,
    // kArrowTo or both. Arrowheads need their ends further apart.
    std::vector<unsigned char> arrows;
    // A caption in the row of labels next to its link's from box, instead
    // of the row nearest the link's middle (around a centre, where the
    // rows next to the centre are its own links').
    bool captionNearFrom = false;
    // A layer whose boxes need more room than this along the layer is
    // spread over several layers (0: never).
    double wrapLimit = 0;
    // The page shape a wrapped layer aims at: along extent / across extent.
    double pageRatio = 4.0 / 3.0;
    // Layers before this one wrap toward the first layer, the others toward
    // the last (-1: all toward the last).
    int pivotLayer = -1;
    double layerGap = kLayerGap;
    // Least space between a row of labels and the boxes beside it.
    double labelMargin = 20;
    // Asked between the steps; true ends the layout with LayoutStopped.
    std::function<bool()> stop;
};

struct Rect {
    double along = 0, across = 0, alongExtent = 0, acrossExtent = 0;
};

// Where one edge runs: points (along, across) from its from box's border
// to its to box's border, and its labels' rectangles (extents 0 for none).
// No points for a link that was not routed.
struct Route {
    std::vector<std::pair<double, double>> points;
    Rect caption, fromLabel, toLabel;
};

struct Placement {
    std::vector<double> along;   // offset of each box's near side, >= 0
    std::vector<double> across;  // offset of its side toward the first layer, >= 0
    // Each box's extent inside its layer and across it: as given, or more
    // where the ends of its links on one side (or of its loops) need more
    // room to stand apart.
    std::vector<double> alongSize, acrossSize;
    double alongExtent = 0, acrossExtent = 0;
    std::vector<Route> routes;  // one per edge
    long long crossings = 0;    // of the routed links, between the layers
};

Placement PlaceLayers(const LayerInput& in);

// PlaceLayers in two steps, to choose among several layerings of one
// component: Start orders the layers from one first order with a few
// sweeps and returns the crossings, a fraction of the work; Finish does
// the rest (the full sweeps, further first orders, sifting, placement,
// routes) on the one chosen.
class LayeredDrawing {
public:
    explicit LayeredDrawing(LayerInput in);
    ~LayeredDrawing();
    LayeredDrawing(LayeredDrawing&&) noexcept;
    LayeredDrawing& operator=(LayeredDrawing&&) noexcept;
    long long Start();
    Placement Finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace platform::diagram::layout
