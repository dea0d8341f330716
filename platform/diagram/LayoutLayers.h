#pragma once
// The layered engine under LayeredLayout, for one connected component whose
// boxes have their layers already: long edges get dummy positions, each
// layer is ordered to reduce crossings, over-wide layers are wrapped into
// several rows, and the boxes are placed near their neighbours without
// overlapping. Axes are abstract so the same code serves rows (top to
// bottom) and columns (left to right): "along" runs inside a layer,
// "across" from one layer to the next.

#include <utility>
#include <vector>

namespace platform::diagram::layout {

// Space between neighbours inside a layer, and the usual space between
// consecutive layers.
constexpr double kBoxGap = 20;
constexpr double kLayerGap = 40;

struct LayerInput {
    std::vector<double> along;   // extent of each box inside its layer
    std::vector<double> across;  // extent of each box along the flow
    std::vector<int> layer;      // 0 is the first layer; gaps are allowed
    // Links as pairs of box indices; direction does not matter (the layers
    // say it), pairs inside one layer take no part, repeats count once.
    std::vector<std::pair<int, int>> edges;
    // A layer whose boxes need more room than this along the layer is
    // spread over several rows.
    double wrapLimit = 0;
    double layerGap = kLayerGap;
};

struct Placement {
    std::vector<double> along;   // offset of each box's near side, >= 0
    std::vector<double> across;  // offset of its side toward the first layer, >= 0
    double alongExtent = 0, acrossExtent = 0;
};

Placement PlaceLayers(const LayerInput& in);

}  // namespace platform::diagram::layout
