// The rules of which run turns first across a gap, as the track assignment
// keeps them: on random gaps (ends shared, ends meeting, runs both ways,
// some straight), and after runs move as jogs move them, every rule kept
// is a rule between two runs, and every rule between two runs follows from
// the kept ones. Undoing a move gives the rules back as they were.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/diagram/LayoutTrackRules.h"

namespace {

using namespace platform::diagram::layout;

// Positions of one level's ends: some shared, some within the clearance
// of one before, many within the clearance of the other level's (ends
// that meet), the rest apart.
std::vector<double> Ends(std::mt19937& rng, int count, const std::vector<double>& others) {
    std::vector<double> at;
    double x = 0;
    for (int k = 0; k < count; ++k) {
        const unsigned kind = rng() % 10;
        if (kind == 0 && !at.empty()) {
            at.push_back(at[rng() % at.size()]);
            continue;
        }
        if (kind <= 4 && !others.empty()) {
            at.push_back(others[rng() % others.size()] + static_cast<double>(rng() % 7) - 3);
            continue;
        }
        x += kind == 5 ? 2 : 5 + static_cast<double>(rng() % 40);
        at.push_back(x);
    }
    return at;
}

// Whether w follows from v along the rules (each run from itself).
std::vector<std::vector<char>> Reach(int n, const std::vector<std::vector<int>>& after) {
    std::vector<std::vector<char>> reach(n, std::vector<char>(n, 0));
    for (int v = 0; v < n; ++v) {
        std::vector<int> stack{v};
        reach[v][v] = 1;
        while (!stack.empty()) {
            const int x = stack.back();
            stack.pop_back();
            for (int w : after[x])
                if (!reach[v][w]) reach[v][w] = 1, stack.push_back(w);
        }
    }
    return reach;
}

// Every rule, one pair at a time, against the kept ones.
void ExpectTheSameRules(const TurnRuleSet& set, int n, const std::string& where) {
    SCOPED_TRACE(where);
    const TurnRules& r = set.Rules();
    std::vector<std::vector<int>> every(n), kept(n);
    // 0 none, 1 a rule of runs ahead, 2 one of meeting ends.
    std::vector<std::vector<char>> rule(n, std::vector<char>(n, 0));
    for (int v : r.items) {
        std::vector<char> found(n, 0);
        bool pin = false;
        for (int u; (u = set.FirstRunBefore(v, found, pin)) >= 0;) {
            found[u] = 1;
            every[u].push_back(v);
            rule[u][v] = pin ? 2 : 1;
        }
    }
    for (int u = 0; u < n; ++u)
        for (int e = r.start[u]; e < r.start[u + 1]; ++e) {
            const int v = r.after[e];
            ASSERT_EQ(std::count(kept[u].begin(), kept[u].end(), v), 0) << "a rule kept twice: " << u << ", " << v;
            kept[u].push_back(v);
            ASSERT_NE(rule[u][v], 0) << "a rule kept from " << u << " to " << v << " that is none";
            ASSERT_EQ(rule[u][v] == 2, r.pin[e] != 0) << "a rule from " << u << " to " << v << " of another kind";
        }
    const auto all = Reach(n, every), implied = Reach(n, kept);
    for (int u = 0; u < n; ++u)
        for (int v = 0; v < n; ++v)
            ASSERT_EQ(implied[u][v], all[u][v]) << "from " << u << " to " << v;
}

// Three runs to the right, each ahead of the next: a, c, and b, whose
// lower end meets c's upper one. With that rule of meeting ends given up
// (and a jogging out of its upper end), c does not turn before b, so a's
// rule to b, though c stands between them, is not implied and stays.
TEST(LayoutTrackRules, ARuleStaysWhereTheRunBetweenHasNoneToTheOther) {
    std::vector<GapRun> runs{{200, 400}, {198, 300}, {100, 199}};
    Jogs jogs{{1, 0, 0}, {0, 0, 0}};
    IgnoredEnds ignored{{{1, 2}, 1}};
    TurnRuleSet set(runs, jogs, ignored);
    set.Build();
    ExpectTheSameRules(set, 3, "built");
    EXPECT_EQ(set.Rules().start[1] - set.Rules().start[0], 2);  // a's, to c and to b
}

TEST(LayoutTrackRules, KeptRulesImplyEveryRuleAsRunsMoveAndUndoGivesThemBack) {
    std::mt19937 rng(11);
    for (int round = 0; round < 200; ++round) {
        const int n = 2 + static_cast<int>(rng() % 45);
        const std::vector<double> upper = Ends(rng, n, {});
        std::vector<double> lower = Ends(rng, n, upper);
        std::shuffle(lower.begin(), lower.end(), rng);
        std::vector<GapRun> runs;
        for (int i = 0; i < n; ++i) runs.push_back({upper[i], rng() % 8 == 0 ? upper[i] : lower[i]});
        Jogs jogs{std::vector<char>(n, 0), std::vector<char>(n, 0)};
        IgnoredEnds ignored;
        TurnRuleSet set(runs, jogs, ignored);
        set.Build();
        const std::string trace = "round " + std::to_string(round);
        ExpectTheSameRules(set, n, trace + ", built");
        // Some rules of meeting ends given up, as where no jog cut a ring.
        for (int v = 0; v < n; ++v) {
            std::vector<char> found(n, 0);
            bool pin = false;
            for (int u; (u = set.FirstRunBefore(v, found, pin)) >= 0;) {
                found[u] = 1;
                if (pin && rng() % 3 == 0) ignored[{u, v}] = 1 + static_cast<int>(rng() % 2);
            }
        }
        set.Build();
        ExpectTheSameRules(set, n, trace + ", built with rules given up");
        for (int move = 0; move < 6; ++move) {
            const int m = static_cast<int>(rng() % n);
            const bool up = rng() % 2 == 0;
            if ((up ? jogs.upper : jogs.lower)[m]) continue;
            const GapRun was = runs[m];
            const TurnRules before = set.Rules();
            set.Save();
            (up ? runs[m].upper : runs[m].lower) += static_cast<double>(rng() % 200) - 100;
            (up ? jogs.upper : jogs.lower)[m] = 1;
            set.Moved(m);
            ExpectTheSameRules(set, n, trace + ", run " + std::to_string(m) + " moved");
            if (rng() % 2 == 0) continue;  // kept, as a jog that saves a track
            runs[m] = was;
            (up ? jogs.upper : jogs.lower)[m] = 0;
            set.Restore();
            EXPECT_EQ(set.Rules().after, before.after);
            EXPECT_EQ(set.Rules().start, before.start);
            EXPECT_EQ(set.Rules().items, before.items);
            EXPECT_EQ(set.Rules().meetingTwice, before.meetingTwice);
        }
    }
}

}  // namespace
