// The drawing check on drawings made by hand, each with one fault of one
// kind the check counts (and some without any, just short of one): each
// kind is seen, and seen alone.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/diagram/DiagramCheck.h"

namespace {

using namespace platform::diagram;

// A link along the given points, with a caption where asked.
Link& Routed(DiagramModel& m, Shape& from, Shape& to, std::vector<Point> route, const std::string& text = {},
             Rect caption = {}) {
    Link& l = m.AddLink(from, to, text, "");
    l.route = std::move(route);
    l.textRect = caption;
    return l;
}

// Boxes A over B and C over D, 20 px apart side by side; A -> B straight
// down at x 40 with its caption beside the line.
struct Drawing {
    DiagramModel m;
    Shape& a = m.AddShape("A", 0, 0, 80, 30, "A");
    Shape& b = m.AddShape("B", 0, 100, 80, 30, "B");
    Shape& c = m.AddShape("C", 100, 0, 80, 30, "C");
    Shape& d = m.AddShape("D", 100, 100, 80, 30, "D");
    Link& ab = Routed(m, a, b, {{40, 30}, {40, 100}}, "Calls", {43, 58, 40, 14});
};

struct Case {
    const char* name;
    std::function<void(Drawing&)> plant;
    long long labelOverlaps, linksUnderBoxes, boxOverlaps, labelsAstray, linksOnTop;
    long long labelsTight = 0, runsClose = 0;
};

TEST(DiagramCheck, CountsEachKindOfFaultInAPlantedDrawing) {
    const std::vector<Case> cases = {
        {"clean: a second link with its caption beside it",
         [](Drawing& g) { Routed(g.m, g.c, g.d, {{110, 30}, {110, 100}}, "Reads", {113, 58, 40, 14}); }, 0, 0, 0, 0,
         0},
        // The second caption starts right of the first one's left edge.
        {"label over label",
         [](Drawing& g) { Routed(g.m, g.c, g.d, {{110, 30}, {110, 100}}, "Reads", {75, 60, 32, 14}); }, 1, 0, 0, 0,
         0},
        {"label over box", [](Drawing& g) { g.ab.textRect = {43, 90, 40, 14}; }, 1, 0, 0, 0, 0},
        {"link under box",
         [](Drawing& g) {
             g.ab.textRect = {43, 80, 40, 14};
             g.m.AddShape("E", 20, 45, 40, 20, "E");
         },
         0, 1, 0, 0, 0},
        {"boxes overlap", [](Drawing& g) { g.m.AddShape("E", 40, 110, 50, 30, "E"); }, 0, 0, 1, 0, 0},
        // 2 px from the caption's right edge, which stands 3 px from its own
        // line.
        {"caption nearer another line",
         [](Drawing& g) { Routed(g.m, g.c, g.d, {{110, 30}, {85, 40}, {85, 90}, {110, 100}}); }, 0, 0, 0, 1, 0, 1},
        // 5 px from the caption's right edge: nearer its own line, but not
        // by half, so it belongs to neither; 6 px is twice as far.
        {"caption tight between two lines",
         [](Drawing& g) { Routed(g.m, g.c, g.d, {{110, 30}, {88, 40}, {88, 90}, {110, 100}}); }, 0, 0, 0, 0, 0, 1},
        {"caption twice as far from the next line as from its own",
         [](Drawing& g) { Routed(g.m, g.c, g.d, {{110, 30}, {89, 40}, {89, 90}, {110, 100}}); }, 0, 0, 0, 0, 0},
        // 3 px apart the lines leave 2 px of white; 4 px apart, 3.
        {"lines with too little white between them",
         [](Drawing& g) { Routed(g.m, g.c, g.d, {{110, 30}, {37, 40}, {37, 90}, {110, 100}}); }, 0, 0, 0, 0, 0, 0, 1},
        {"lines with just enough white between them",
         [](Drawing& g) { Routed(g.m, g.c, g.d, {{110, 30}, {36, 40}, {36, 90}, {110, 100}}); }, 0, 0, 0, 0, 0},
        // The caption then stands by both lines.
        {"lines on top of each other",
         [](Drawing& g) { Routed(g.m, g.a, g.b, {{40.5, 30}, {40.5, 100}}); }, 0, 0, 0, 0, 1, 1},
        // 4 px apart at B: the lines stay apart, their arrowheads merge.
        {"arrowheads merged",
         [](Drawing& g) { Routed(g.m, g.c, g.b, {{110, 30}, {110, 80}, {44, 92}, {44, 100}}); }, 0, 0, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Drawing g;
        c.plant(g);
        const DrawingFaults f = CheckDrawing(g.m);
        EXPECT_EQ(f.labelOverlaps, c.labelOverlaps);
        EXPECT_EQ(f.linksUnderBoxes, c.linksUnderBoxes);
        EXPECT_EQ(f.boxOverlaps, c.boxOverlaps);
        EXPECT_EQ(f.labelsAstray, c.labelsAstray);
        EXPECT_EQ(f.linksOnTop, c.linksOnTop);
        EXPECT_EQ(f.labelsTight, c.labelsTight);
        EXPECT_EQ(f.runsClose, c.runsClose);
        EXPECT_EQ(f.None(), c.labelOverlaps + c.linksUnderBoxes + c.boxOverlaps + c.labelsAstray + c.linksOnTop +
                                    c.labelsTight + c.runsClose ==
                                0);
        long long captions = 0;
        for (const auto& l : g.m.Links()) captions += !l->text.empty();
        EXPECT_EQ(f.labels, captions);
        if (!f.None()) {
            EXPECT_FALSE(f.examples.empty());
        }
    }
}

// Crossings of lines as drawn: a pair once however often it crosses; pairs
// that meet at a box only where asked.
TEST(DiagramCheck, CountsPairsOfCrossingLines) {
    std::vector<DrawnLine> lines = {
        {0, 1, {{0, 0}, {100, 100}}},
        {2, 3, {{0, 100}, {100, 0}}},               // crosses the first
        {0, 3, {{0, 50}, {100, 50}, {100, 60}, {0, 60}}},  // crosses both, each twice; joins box 0 and 3
        {4, 5, {{200, 0}, {300, 0}}},               // crosses none
    };
    EXPECT_EQ(CrossingPairs(lines, true), 3);
    EXPECT_EQ(CrossingPairs(lines, false), 1);
}

}  // namespace
