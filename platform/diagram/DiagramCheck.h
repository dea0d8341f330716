#pragma once
// A check of a drawing as the painter makes it: labels (link captions and
// end labels) that overlap one another or a box, and links whose line runs
// under a box other than its two ends. Reads the painter's own geometry of
// every link, so what it checks is what is drawn.

#include <string>
#include <vector>

#include "platform/diagram/DiagramModel.h"

namespace platform::diagram {

struct DrawingFaults {
    long long labelOverlaps = 0;    // pairs of labels, and label and box, that overlap
    long long linksUnderBoxes = 0;  // pairs of a link and a box it runs under
    // The first few faults in words, for a failing test's message.
    std::vector<std::string> examples;
    bool None() const { return labelOverlaps == 0 && linksUnderBoxes == 0; }
};

DrawingFaults CheckDrawing(const DiagramModel& model);

}  // namespace platform::diagram
