// Tracks of the runs across one gap, on random gaps shaped as the layout
// makes them (the ends on one level at least 5 px apart, many of the lower
// ones straight below an upper one): drawn on their tracks, the runs cross
// exactly where straight lines between their ends would, and no two run on
// top of each other or with less than 3 px of white between them, however
// little room the gap gives them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "platform/diagram/DiagramCheck.h"
#include "platform/diagram/LayoutTracks.h"

namespace {

using namespace platform::diagram;
using layout::GapRun;

// Positions of one level's ends, left to right, at least 5 px apart; with
// others given, some of them taken over.
std::vector<double> Level(std::mt19937& rng, int count, const std::vector<double>& others) {
    std::vector<double> at;
    double x = static_cast<double>(rng() % 50);
    while (static_cast<int>(at.size()) < count) {
        x += 5 + static_cast<double>(rng() % 60) * (rng() % 4 == 0 ? 4.0 : 0.25);
        if (!others.empty() && rng() % 3 == 0) {
            auto it = std::lower_bound(others.begin(), others.end(), x);
            if (it != others.end()) x = std::max(x, *it);
        }
        at.push_back(x);
    }
    return at;
}

// The runs drawn on their tracks across a gap of the given room, each as a
// link between two small boxes beyond the levels; the lines as drawn.
std::vector<DrawnLine> DrawGap(const std::vector<GapRun>& runs, const std::vector<layout::RunTrack>& way, int tracks,
                               double room, DiagramModel& model) {
    std::vector<DrawnLine> lines;
    for (int i = 0; i < static_cast<int>(runs.size()); ++i) {
        const GapRun& r = runs[i];
        const layout::RunTrack& w = way[i];
        std::vector<Point> points{{r.upper, -10}};
        double from = r.upper;
        auto turn = [&](int t, double to) {
            EXPECT_LT(t, tracks);
            const auto [upper, lower] = layout::TrackTurn(0, room, tracks, t);
            points.push_back({from, upper});
            points.push_back({to, lower});
            from = to;
        };
        if (w.jogTrack >= 0) {
            EXPECT_LT(w.jogTrack, w.track);
            turn(w.jogTrack, w.jogTo);
        }
        if (w.track >= 0) {
            turn(w.track, w.lowJogTrack >= 0 ? w.lowJogFrom : r.lower);
        } else {
            EXPECT_NEAR(r.upper, r.lower, 0.5);
        }
        if (w.lowJogTrack >= 0) {
            EXPECT_GT(w.lowJogTrack, w.track);
            turn(w.lowJogTrack, r.lower);
        }
        points.push_back({r.lower, room + 10});
        Shape& a = model.AddShape("", r.upper - 2, -14, 4, 4, "u" + std::to_string(i));
        Shape& b = model.AddShape("", r.lower - 2, room + 10, 4, 4, "l" + std::to_string(i));
        model.AddLink(a, b, "", "", {}, false, {}, false).route = points;
        lines.push_back({2 * i, 2 * i + 1, points});
    }
    return lines;
}

TEST(LayoutTracks, RunsCrossWhereStraightLinesWouldAndNeverRunTogether) {
    std::mt19937 rng(3);
    for (int round = 0; round < 150; ++round) {
        const int n = 2 + static_cast<int>(rng() % 40);
        std::vector<double> upper = Level(rng, n, {});
        std::vector<double> lower = Level(rng, n, upper);
        std::shuffle(lower.begin(), lower.end(), rng);
        std::vector<GapRun> runs;
        for (int i = 0; i < n; ++i) runs.push_back({upper[i], lower[i]});
        std::vector<layout::RunTrack> way;
        const int tracks = layout::AssignTracks(runs, way);
        ASSERT_EQ(way.size(), runs.size());
        // The least room the layout gives the tracks, and a roomy gap.
        for (double room : {layout::kTrackPitch * tracks, 60.0 + 2 * tracks}) {
            SCOPED_TRACE("round " + std::to_string(round) + ", room " + std::to_string(room));
            DiagramModel model;
            const std::vector<DrawnLine> lines = DrawGap(runs, way, tracks, room, model);
            const DrawingFaults faults = CheckDrawing(model);
            EXPECT_EQ(faults.linksOnTop, 0) << faults.Summary();
            EXPECT_EQ(faults.runsClose, 0) << faults.Summary();
            for (int i = 0; i < n; ++i)
                for (int j = i + 1; j < n; ++j) {
                    const bool straight = (runs[i].upper - runs[j].upper) * (runs[i].lower - runs[j].lower) < 0;
                    ASSERT_EQ(CrossingPairs({lines[i], lines[j]}, true), straight ? 1 : 0)
                        << runs[i].upper << " -> " << runs[i].lower << " on track " << way[i].track << ", "
                        << runs[j].upper << " -> " << runs[j].lower << " on track " << way[j].track;
                }
        }
    }
}

// A staircase of runs the same way, each overlapping the next along the
// gap: on one track each, every run would turn before the one behind it.
// Runs that jog out of their upper ends past the end of the run behind
// share a few tracks instead, and the lines still neither cross nor come
// close, both ways round.
TEST(LayoutTracks, AStaircaseOfRunsSharesAFewTracks) {
    for (bool right : {true, false}) {
        SCOPED_TRACE(right ? "runs to the right" : "runs to the left");
        std::vector<GapRun> runs;
        for (int k = 0; k < 12; ++k) {
            const double upper = 100 + 60 * k, lower = upper + 100;
            runs.push_back(right ? GapRun{upper, lower} : GapRun{2000 - upper, 2000 - lower});
        }
        std::vector<layout::RunTrack> way;
        const int tracks = layout::AssignTracks(runs, way);
        EXPECT_LE(tracks, 3);
        for (double room : {layout::kTrackPitch * tracks, 60.0 + 2 * tracks}) {
            DiagramModel model;
            const std::vector<DrawnLine> lines = DrawGap(runs, way, tracks, room, model);
            const DrawingFaults faults = CheckDrawing(model);
            EXPECT_EQ(faults.linksOnTop + faults.runsClose, 0) << faults.Summary();
            EXPECT_EQ(CrossingPairs(lines, true), 0);
        }
    }
}

// Two runs whose ends meet at both levels, one pair exactly and the other
// 3 px apart, with other links' ends packed between them so that neither
// may jog aside short of its other end: one of them jogs on past its other
// end to the first place clear of every end and comes back along its
// track, so neither pair of ends leaves two lines close together,
// whichever of the two is listed first.
TEST(LayoutTracks, EndsMeetingTwiceWithNoRoomBetweenThemJogPastTheOtherEnd) {
    for (bool nearerFirst : {true, false}) {
        const GapRun nearer{226, 251}, other{248, 226};
        std::vector<GapRun> runs{nearerFirst ? nearer : other, nearerFirst ? other : nearer};
        const std::vector<double> straight{221.0, 231.0, 236.0, 241.0, 256.0};
        for (double x : straight) runs.push_back({x, x});
        std::vector<layout::RunTrack> way;
        const int tracks = layout::AssignTracks(runs, way);
        SCOPED_TRACE(nearerFirst ? "nearer listed first" : "other listed first");
        int jogs = 0;
        for (const layout::RunTrack& w : way) {
            for (double end : {w.jogTrack >= 0 ? w.jogTo : NAN, w.lowJogTrack >= 0 ? w.lowJogFrom : NAN}) {
                if (std::isnan(end)) continue;
                ++jogs;
                EXPECT_TRUE(end >= 256 + layout::kTrackClearance || end <= 221 - layout::kTrackClearance) << end;
            }
        }
        EXPECT_EQ(jogs, 1);
        for (double room : {layout::kTrackPitch * tracks, 60.0 + 2 * tracks}) {
            DiagramModel model;
            DrawGap(runs, way, tracks, room, model);
            const DrawingFaults faults = CheckDrawing(model);
            EXPECT_EQ(faults.linksOnTop + faults.runsClose, 0) << faults.Summary();
        }
    }
}

}  // namespace
