#pragma once
// A check of a drawing as the painter makes it: labels (link captions and
// end labels) that overlap one another or a box, links whose line runs
// under a box other than its two ends, boxes that overlap, labels that
// stand nearer another link's line than their own (a reader takes a label
// for the line it stands by), and links drawn on top of each other (lines
// that run together, or arrowheads that merge, so that neither can be
// followed). Reads the painter's own geometry of every link, so what it
// checks is what is drawn. Two more counts are of drawings that read
// poorly though nothing hides: labels whose nearest other line is less
// than twice as far as their own (to the eye they belong to neither), and
// parallel lines with less than a few pixels of white between them.

#include <string>
#include <vector>

#include "platform/diagram/DiagramModel.h"

namespace platform::diagram {

// White between two neighbouring parallel lines (a pixel wide each) that
// a reader tells apart at zoom 100 without looking twice.
constexpr double kLeastWhite = 3;

struct DrawingFaults {
    long long labelOverlaps = 0;    // pairs of labels, and label and box, that overlap
    long long linksUnderBoxes = 0;  // pairs of a link and a box it runs under
    long long boxOverlaps = 0;      // pairs of boxes that overlap
    // Labels nearer another link's line than their own (a box's loops,
    // nested, count as one line).
    long long labelsAstray = 0;
    long long linksOnTop = 0;       // pairs of links drawn on top of each other
    // Labels whose nearest other line is not at least twice as far as
    // their own (those astray among them).
    long long labelsTight = 0;
    // Pairs of links, not on top of each other, whose lines run side by
    // side with less than kLeastWhite pixels of white between them.
    long long runsClose = 0;
    long long labels = 0;           // labels drawn, astray or not
    // The first few faults in words, for a failing test's message.
    std::vector<std::string> examples;
    bool None() const {
        return labelOverlaps == 0 && linksUnderBoxes == 0 && boxOverlaps == 0 && labelsAstray == 0 && linksOnTop == 0 &&
               labelsTight == 0 && runsClose == 0;
    }
    // Every count and the first fault, for a failing test's message.
    std::string Summary() const;
};

DrawingFaults CheckDrawing(const DiagramModel& model);

// A link's line as drawn, with the boxes it joins (indices into the model's
// boxes, or any numbers that name them).
struct DrawnLine {
    int from = -1, to = -1;
    std::vector<Point> points;
};
// Pairs of lines that properly cross at least once. With sharedBoxes false
// the pairs that join a common box are left out (where lines meet at a
// box's border, as another layout's lines do, they do not cross).
long long CrossingPairs(const std::vector<DrawnLine>& lines, bool sharedBoxes);
// The model's links as drawn (curves flattened), in the order of its links.
std::vector<DrawnLine> DrawnLines(const DiagramModel& model);

}  // namespace platform::diagram
