#include "platform/diagram/LayoutTrackRules.h"

#include <algorithm>
#include <cmath>

namespace platform::diagram::layout {

namespace {

double Lo(const GapRun& r) { return std::min(r.upper, r.lower); }
double Hi(const GapRun& r) { return std::max(r.upper, r.lower); }

// The largest value over a range of places, each place holding one value
// or none (-1).
class MaxTree {
public:
    explicit MaxTree(int size) : m_size(size), m_max(2 * static_cast<std::size_t>(size), -1) {}
    void Set(int at, int value) {
        std::size_t k = static_cast<std::size_t>(at + m_size);
        for (m_max[k] = value; k > 1; k /= 2) m_max[k / 2] = std::max(m_max[k], m_max[k ^ 1]);
    }
    // Over places from .. to - 1.
    int Max(int from, int to) const {
        int best = -1;
        for (std::size_t lo = static_cast<std::size_t>(from + m_size), hi = static_cast<std::size_t>(to + m_size);
             lo < hi; lo /= 2, hi /= 2) {
            if (lo & 1) best = std::max(best, m_max[lo++]);
            if (hi & 1) best = std::max(best, m_max[--hi]);
        }
        return best;
    }

private:
    int m_size;
    std::vector<int> m_max;
};

bool Has(const std::vector<int>& start, const std::vector<int>& list, int a, int b) {
    return std::find(list.begin() + start[a], list.begin() + start[a + 1], b) != list.begin() + start[a + 1];
}

}  // namespace

TurnRuleSet::TurnRuleSet(const std::vector<GapRun>& runs, const Jogs& jogs, const IgnoredEnds& ignored)
    : m_runs(runs), m_jogs(jogs), m_ignored(ignored) {}

// Of two overlapping runs i and j, the one that must turn first (nearer
// the upper level), or -1 where either may; pin is set where the order
// keeps a straight piece of one off the other's (their ends meet), and not
// their crossings as they were. Where each leaves the upper level where
// the other arrives at the lower one, no order keeps both apart: -2.
int TurnRuleSet::FirstToTurn(int i, int j, bool& pin) const {
    const GapRun &a = m_runs[i], &b = m_runs[j];
    // A jog ends at least kJogClearance from every end.
    auto meet = [&](int up, int low) {
        return !m_jogs.upper[up] && !m_jogs.lower[low] &&
               std::abs(m_runs[up].upper - m_runs[low].lower) < kTrackClearance;
    };
    const bool iOverJ = meet(i, j), jOverI = meet(j, i);
    pin = iOverJ != jOverI;
    if (pin) return iOverJ ? i : j;
    if (iOverJ) return -2;
    // Runs the same way that do not cross: the one ahead turns first.
    const bool right = a.lower > a.upper;
    if (right != (b.lower > b.upper) || (a.upper - b.upper) * (a.lower - b.lower) < 0) return -1;
    const bool iAhead = a.upper != b.upper ? (a.upper > b.upper) == right : (a.lower > b.lower) == right;
    return iAhead ? i : j;
}

// The rule between two turning runs, i before j by their left ends, that
// overlap along the gap (pin as above); false for none. Ends that meet
// twice are listed in meetingTwice instead, unless ignored: once ignored,
// the nearer ends keep apart by a rule of meeting ends (which gives way in
// turn where it closes a ring no jog cuts).
bool TurnRuleSet::PairRule(int i, int j, Rule& rule, std::vector<std::pair<int, int>>* meetingTwice) const {
    bool pin = false;
    const int first = FirstToTurn(i, j, pin);
    if (first >= 0) {
        rule = {first, first == i ? j : i, pin};
        return !(pin && m_ignored.count({rule.first, rule.second}));
    }
    if (first == -1) return false;
    // Of ends that meet twice, the run whose upper end lies nearer the
    // other's lower end: where no jog parts them, it turns first, so the
    // closer ends keep apart.
    const bool iNearer =
        std::abs(m_runs[i].upper - m_runs[j].lower) <= std::abs(m_runs[j].upper - m_runs[i].lower);
    rule = {iNearer ? i : j, iNearer ? j : i, true};
    const auto given = m_ignored.find({rule.first, rule.second});
    if (given == m_ignored.end()) {
        if (meetingTwice) meetingTwice->emplace_back(rule.first, rule.second);
        return false;
    }
    return given->second == 1;
}

// Whether turning runs i and j, i before j by their left ends, overlap
// along the gap.
bool TurnRuleSet::Overlap(int i, int j) const { return Hi(m_runs[i]) + kTrackClearance > Lo(m_runs[j]); }

void TurnRuleSet::SortItems() {
    TurnRules& r = m_rules;
    const int n = static_cast<int>(m_runs.size());
    r.items.clear();
    for (int i = 0; i < n; ++i)
        if (std::abs(m_runs[i].upper - m_runs[i].lower) >= kStraight) r.items.push_back(i);
    std::sort(r.items.begin(), r.items.end(), [&](int a, int b) {
        return Lo(m_runs[a]) != Lo(m_runs[b]) ? Lo(m_runs[a]) < Lo(m_runs[b]) : a < b;
    });
    r.place.assign(n, -1);
    for (int k = 0; k < static_cast<int>(r.items.size()); ++k) r.place[r.items[k]] = k;
}

void TurnRuleSet::Build() {
    TurnRules& r = m_rules;
    const int n = static_cast<int>(m_runs.size());
    SortItems();
    m_kept.clear();
    r.meetingTwice.clear();

    // The pairs whose ends meet, by the later one's place and then the
    // earlier one's, as a sweep along the gap meets them.
    std::vector<std::pair<double, int>> lowers;
    for (int i : r.items)
        if (!m_jogs.lower[i]) lowers.emplace_back(m_runs[i].lower, i);
    std::sort(lowers.begin(), lowers.end());
    std::vector<std::pair<int, int>> meeting;  // later, earlier
    for (int up : r.items) {
        if (m_jogs.upper[up]) continue;
        const double x = m_runs[up].upper;
        for (auto at = std::lower_bound(lowers.begin(), lowers.end(), std::pair{x - 2 * kTrackClearance, -1});
             at != lowers.end() && at->first <= x + 2 * kTrackClearance; ++at) {
            const int low = at->second;
            if (low != up && std::abs(x - at->first) < kTrackClearance)
                meeting.push_back(r.place[up] > r.place[low] ? std::pair{up, low} : std::pair{low, up});
        }
    }
    std::sort(meeting.begin(), meeting.end(), [&](const auto& a, const auto& b) {
        return r.place[a.first] != r.place[b.first] ? r.place[a.first] < r.place[b.first]
                                                    : r.place[a.second] < r.place[b.second];
    });
    meeting.erase(std::unique(meeting.begin(), meeting.end()), meeting.end());
    std::vector<int> partnerStart(n + 1, 0), partners(2 * meeting.size());
    for (auto [j, i] : meeting) ++partnerStart[i + 1], ++partnerStart[j + 1];
    for (int v = 0; v < n; ++v) partnerStart[v + 1] += partnerStart[v];
    std::vector<int> fill(partnerStart.begin(), partnerStart.end() - 1);
    for (auto [j, i] : meeting) {
        partners[fill[i]++] = j;
        partners[fill[j]++] = i;
        Rule rule{};
        if (PairRule(i, j, rule, &r.meetingTwice)) m_kept.push_back(rule);
    }
    for (bool right : {true, false}) FindAheadRules(right, partnerStart, partners);
    Index();
}

// Of the turning runs one way, each run ahead of another that it overlaps
// without crossing turns first, where their ends do not meet. Seen as
// points (where they leave, where they arrive; the left-going mirrored),
// the runs behind a run a that it must turn before lie in a band: earlier
// by that order, arriving no later than a and late enough to overlap it.
// Of these, a keeps a rule only to those no other of them stands between
// (later in the order and arriving no earlier): where c stands between a
// and b, a turns before c and c before b, so a's rule to b is implied.
// Where the ends of c and b meet, there is no rule from c to b, and a
// keeps its rule to b unless another stands between.
void TurnRuleSet::FindAheadRules(bool right, const std::vector<int>& partnerStart, const std::vector<int>& partners) {
    std::vector<int> byRank;
    for (int v : m_rules.items)
        if ((m_runs[v].lower > m_runs[v].upper) == right) byRank.push_back(v);
    const int k = static_cast<int>(byRank.size());
    if (k < 2) return;
    const double sign = right ? 1 : -1;
    auto x = [&](int v) { return sign * m_runs[v].upper; };
    auto y = [&](int v) { return sign * m_runs[v].lower; };
    // Of two runs that leave and arrive at the same places, the later
    // listed is ahead going right, the earlier going left.
    std::sort(byRank.begin(), byRank.end(), [&](int a, int b) {
        if (x(a) != x(b)) return x(a) < x(b);
        if (y(a) != y(b)) return y(a) < y(b);
        return right ? a < b : a > b;
    });
    std::vector<int> byY(byRank);
    std::stable_sort(byY.begin(), byY.end(), [&](int a, int b) { return y(a) < y(b); });
    std::vector<double> ys;
    for (int v : byY) ys.push_back(y(v));
    const int n = static_cast<int>(m_runs.size());
    std::vector<int> rank(n, -1), yPlace(n, -1);
    for (int r = 0; r < k; ++r) rank[byRank[r]] = r, yPlace[byY[r]] = r;
    // Whether b, behind a, reaches far enough to overlap it.
    auto overlaps = [&](int a, int b) {
        return right ? m_runs[b].lower + kTrackClearance > m_runs[a].upper
                     : m_runs[a].upper + kTrackClearance > m_runs[b].lower;
    };
    auto meet = [&](int a, int b) { return Has(partnerStart, partners, a, b); };
    MaxTree tree(k);
    std::vector<int> between, hidden;
    for (int r = 0; r < k; ++r) {
        const int a = byRank[r];
        // The band: runs arriving no later than a and late enough.
        const int to = static_cast<int>(std::upper_bound(ys.begin(), ys.end(), y(a)) - ys.begin());
        int from = static_cast<int>(
            std::partition_point(byY.begin(), byY.begin() + to, [&](int b) { return !overlaps(a, b); }) - byY.begin());
        // Runs whose ends meet a's have no such rule with it.
        hidden.clear();
        for (int e = partnerStart[a]; e < partnerStart[a + 1]; ++e) {
            const int b = partners[e];
            if (rank[b] >= 0 && rank[b] < r) {
                tree.Set(yPlace[b], -1);
                hidden.push_back(b);
            }
        }
        between.clear();
        for (int best; from < to && (best = tree.Max(from, to)) >= 0;) {
            const int b = byRank[best];
            between.push_back(b);
            m_kept.push_back({a, b, false});
            from = static_cast<int>(std::upper_bound(ys.begin() + from, ys.begin() + to, y(b)) - ys.begin());
        }
        const std::size_t found = between.size();
        for (std::size_t c = 0; c < found; ++c)
            for (int e = partnerStart[between[c]]; e < partnerStart[between[c] + 1]; ++e) {
                const int b = partners[e];
                if (rank[b] < 0 || rank[b] >= rank[between[c]] || y(b) > y(between[c]) || !overlaps(a, b) ||
                    meet(a, b) || std::find(between.begin(), between.end(), b) != between.end())
                    continue;
                bool implied = false;
                for (std::size_t d = 0; d < found && !implied; ++d)
                    implied = rank[between[d]] > rank[b] && y(between[d]) >= y(b) && !meet(between[d], b);
                if (implied) continue;
                between.push_back(b);
                m_kept.push_back({a, b, false});
            }
        for (int b : hidden) tree.Set(yPlace[b], rank[b]);
        tree.Set(yPlace[a], r);
    }
}

// A move changes only the rules of the run moved; the rules it implied
// between the runs before it and after it are kept as they are.
void TurnRuleSet::Moved(int m) {
    TurnRules& r = m_rules;
    std::vector<int>&before = m_before, &after = m_after;
    before.clear();
    after.clear();
    for (const Rule& x : m_kept)
        if (!x.pin && x.second == m)
            before.push_back(x.first);
        else if (!x.pin && x.first == m)
            after.push_back(x.second);
    std::erase_if(m_kept, [m](const Rule& x) { return x.first == m || x.second == m; });
    std::erase_if(r.meetingTwice, [m](const auto& p) { return p.first == m || p.second == m; });

    // Its place among the items.
    if (r.place[m] >= 0) r.items.erase(r.items.begin() + r.place[m]);
    auto ahead = [&](int a, int b) { return Lo(m_runs[a]) != Lo(m_runs[b]) ? Lo(m_runs[a]) < Lo(m_runs[b]) : a < b; };
    if (std::abs(m_runs[m].upper - m_runs[m].lower) >= kStraight)
        r.items.insert(std::upper_bound(r.items.begin(), r.items.end(), m, ahead), m);
    std::fill(r.place.begin(), r.place.end(), -1);
    for (int k = 0; k < static_cast<int>(r.items.size()); ++k) r.place[r.items[k]] = k;

    // Every rule of its own, none left out.
    if (r.place[m] >= 0)
        for (int u : r.items) {
            if (Lo(m_runs[u]) >= Hi(m_runs[m]) + kTrackClearance) break;
            const int i = r.place[u] < r.place[m] ? u : m, j = i == u ? m : u;
            Rule rule{};
            if (u != m && Overlap(i, j) && PairRule(i, j, rule, &r.meetingTwice)) m_kept.push_back(rule);
        }
    // The rules from a run before it to a run after it, where they overlap:
    // a rule left out may follow from them. Where their ends meet there is
    // no such rule, and the rules are built again.
    std::vector<char>& listed = m_listed;
    listed.assign(m_runs.size(), 0);
    for (int a : before) {
        for (int e = r.start[a]; e < r.start[a + 1]; ++e) listed[r.after[e]] = 1;
        for (int b : after) {
            const int i = r.place[a] < r.place[b] ? a : b, j = i == a ? b : a;
            if (b == a || listed[b] || !Overlap(i, j)) continue;
            bool pin = false;
            if (FirstToTurn(i, j, pin) < 0 || pin) {
                Build();
                return;
            }
            m_kept.push_back({a, b, false});
            listed[b] = 1;
        }
        for (int e = r.start[a]; e < r.start[a + 1]; ++e) listed[r.after[e]] = 0;
        for (int b : after) listed[b] = 0;
    }
    std::sort(r.meetingTwice.begin(), r.meetingTwice.end(), [&](const auto& a, const auto& b) {
        const auto [aLo, aHi] = std::minmax(r.place[a.first], r.place[a.second]);
        const auto [bLo, bHi] = std::minmax(r.place[b.first], r.place[b.second]);
        return aHi != bHi ? aHi < bHi : aLo < bLo;
    });
    Index();
}

// The kept rules as lists by run.
void TurnRuleSet::Index() {
    TurnRules& r = m_rules;
    const int n = static_cast<int>(m_runs.size());
    const int rules = static_cast<int>(m_kept.size());
    r.start.assign(n + 2, 0);
    r.backStart.assign(n + 2, 0);
    for (const Rule& x : m_kept) ++r.start[x.first + 2], ++r.backStart[x.second + 2];
    for (int v = 0; v < n; ++v) r.start[v + 2] += r.start[v + 1], r.backStart[v + 2] += r.backStart[v + 1];
    r.after.resize(rules);
    r.pin.resize(rules);
    r.before.resize(rules);
    r.backPin.resize(rules);
    for (const Rule& x : m_kept) {
        const int e = r.start[x.first + 1]++, b = r.backStart[x.second + 1]++;
        r.after[e] = x.second;
        r.pin[e] = x.pin;
        r.before[b] = x.first;
        r.backPin[b] = x.pin;
    }
    r.start.pop_back();
    r.backStart.pop_back();
}

void TurnRuleSet::Save() {
    // Copied into the space of the last save: nothing is allocated once the
    // lists are as long as they get.
    m_savedKept = m_kept;
    m_savedRules = m_rules;
}

void TurnRuleSet::Restore() {
    std::swap(m_kept, m_savedKept);
    std::swap(m_rules, m_savedRules);
}

int TurnRuleSet::FirstRunBefore(int v, const std::vector<char>& skip, bool& pin) const {
    const TurnRules& r = m_rules;
    for (int u : r.items) {
        if (Lo(m_runs[u]) >= Hi(m_runs[v]) + kTrackClearance) break;
        if (u == v || skip[u]) continue;
        const int i = r.place[u] < r.place[v] ? u : v, j = i == u ? v : u;
        Rule rule{};
        if (Overlap(i, j) && PairRule(i, j, rule, nullptr) && rule.first == u) {
            pin = rule.pin;
            return u;
        }
    }
    return -1;
}

}  // namespace platform::diagram::layout
