#pragma once
// Which run turns before which across one gap (the rules LayoutTracks.h
// describes), for the track assignment. Two runs the same way that do not
// cross and overlap along the gap give a rule; in a fan of n such runs
// nearly every pair does, so a rule that a chain of others already implies
// (a before c because a before b and b before c) may be left out: what the
// tracks depend on, which run may go when and how long the chains are,
// stays the same, in time and memory near the number of runs. A jog moves
// one run, and only the rules near it are looked at again.

#include <map>
#include <utility>
#include <vector>

#include "platform/diagram/LayoutTracks.h"

namespace platform::diagram::layout {

// A run whose ends lie closer than this goes straight across.
constexpr double kStraight = 0.5;

// Which runs jog out of their upper ends, and which into their lower ends
// (their ends there no longer meet any other).
struct Jogs {
    std::vector<char> upper, lower;
};

// Pairs of runs (first, second) whose rule of meeting ends no jog could
// satisfy, and how often: such a rule is left out, and of ends that meet
// twice, left out once the nearer pair keeps its ends apart.
using IgnoredEnds = std::map<std::pair<int, int>, int>;

// The rules among the runs that turn: for each run the runs that must turn
// after it (after[start[i]] .. after[start[i + 1] - 1]; pin[k] set where
// that rule only keeps ends apart), and the same backward.
struct TurnRules {
    std::vector<int> items;                         // the runs that turn, by their left ends
    std::vector<int> place;                         // each run's index among the items, or -1
    std::vector<std::pair<int, int>> meetingTwice;  // runs whose ends meet twice, in the items' order
    std::vector<int> start, after, backStart, before;
    std::vector<char> pin, backPin;
};

// The rules of runs as they go, kept up to date as they move. Every rule
// left out follows from rules kept between runs the same way.
class TurnRuleSet {
public:
    TurnRuleSet(const std::vector<GapRun>& runs, const Jogs& jogs, const IgnoredEnds& ignored);

    // From the runs as they are.
    void Build();
    // After one run's way or jogs changed (the others as they were).
    void Moved(int run);
    const TurnRules& Rules() const { return m_rules; }

    // Keeps the rules as they stand, to go back to after a move that is
    // undone (the runs and jogs going back first).
    void Save();
    void Restore();

    // Of the runs that must turn before v (every rule counted, also those
    // left out), the first by left ends that skip does not mark, and
    // whether that rule only keeps ends apart; -1 for none.
    int FirstRunBefore(int v, const std::vector<char>& skip, bool& pin) const;

    struct Rule {
        int first, second;
        bool pin;
    };

private:
    int FirstToTurn(int i, int j, bool& pin) const;
    bool PairRule(int i, int j, Rule& rule, std::vector<std::pair<int, int>>* meetingTwice) const;
    bool Overlap(int i, int j) const;
    void SortItems();
    void FindAheadRules(bool right, const std::vector<int>& partnerStart, const std::vector<int>& partners);
    void Index();

    const std::vector<GapRun>& m_runs;
    const Jogs& m_jogs;
    const IgnoredEnds& m_ignored;
    std::vector<Rule> m_kept, m_savedKept;
    TurnRules m_rules, m_savedRules;
    // Working space of Moved.
    std::vector<int> m_before, m_after;
    std::vector<char> m_listed;
};

}  // namespace platform::diagram::layout
