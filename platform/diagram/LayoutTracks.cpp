#include "platform/diagram/LayoutTracks.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <map>
#include <queue>
#include <set>
#include <tuple>
#include <utility>

namespace platform::diagram::layout {

namespace {

// A run whose ends lie closer than this goes straight across.
constexpr double kStraight = 0.5;
// Where a jog ends, its line goes on this far at least from any other end,
// as far as lines on neighbouring tracks keep apart.
constexpr double kJogClearance = kTrackPitch;
// Further than any drawing reaches: a jog that may go past its run's
// other end looks this far for room.
constexpr double kFar = 1e7;
// Jogs tried to shorten chains of rules, at most, per run of a gap; and
// how many jogs in a row that found room but saved no track end the search
// (each costs placing every run again).
constexpr int kJogTriesPerRun = 4;
constexpr int kJogsRejectedInARow = 16;

// Which runs jog out of their upper ends, and which into their lower ends.
struct Jogs {
    std::vector<char> upper, lower;
};

// Of two overlapping runs i and j, the one that must turn first (nearer
// the upper level), or -1 where either may; pin is set where the order
// keeps a straight piece of one off the other's (their ends meet), and not
// their crossings as they were. Where each leaves the upper level where
// the other arrives at the lower one, no order keeps both apart: -2.
int FirstToTurn(const std::vector<GapRun>& runs, const Jogs& jogs, int i, int j, bool& pin) {
    const GapRun &a = runs[i], &b = runs[j];
    // A jog ends at least kJogClearance from every end.
    auto meet = [&](int up, int low) {
        return !jogs.upper[up] && !jogs.lower[low] && std::abs(runs[up].upper - runs[low].lower) < kTrackClearance;
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

double Lo(const GapRun& r) { return std::min(r.upper, r.lower); }
double Hi(const GapRun& r) { return std::max(r.upper, r.lower); }

// Which run turns before which, among the runs that turn: for each run the
// runs that must turn after it (after[start[i]] .. after[start[i + 1] - 1],
// pin[k] set where that rule only keeps ends apart), and the same backward.
struct Rules {
    std::vector<int> items;                         // the runs that turn, by their left ends
    std::vector<std::pair<int, int>> meetingTwice;  // runs whose ends meet twice
    std::vector<int> start, after, backStart, before;
    std::vector<char> pin, backPin;
};

// Two runs that overlap along the gap where a rule orders them or their
// ends meet twice: i stands before j by their left ends, first is the run
// that must turn first (-2 for ends that meet twice).
struct Overlap {
    int i, j, first;
    bool pin;
    // Of ends that meet twice, the run whose upper end lies nearer the
    // other's lower end: where no jog parts them, it turns first, so the
    // closer ends keep apart.
    int nearer = -1;
};

// The overlaps of every two runs that turn, in the order of a sweep along
// the gap (by j's place among the items, then i's). A jog moves one run's
// end; Refresh then looks again at that run's overlaps only, the others'
// staying as they were.
struct Overlaps {
    std::vector<int> items;  // the runs that turn, by their left ends
    std::vector<Overlap> list;

    void Sweep(const std::vector<GapRun>& runs, const Jogs& jogs) {
        SortItems(runs);
        list.clear();
        // The sweep keeps the runs reaching the next run's left end.
        std::vector<int> active;
        for (int j : items) {
            std::erase_if(active, [&](int i) { return Hi(runs[i]) + kTrackClearance <= Lo(runs[j]); });
            for (int i : active) Look(runs, jogs, i, j, list);
            active.push_back(j);
        }
    }

    void Refresh(const std::vector<GapRun>& runs, const Jogs& jogs, int moved) {
        SortItems(runs);
        const int n = static_cast<int>(runs.size());
        std::vector<int> place(n, -1);
        for (int k = 0; k < static_cast<int>(items.size()); ++k) place[items[k]] = k;
        std::vector<Overlap> mine;
        if (place[moved] >= 0)
            for (int other : items) {
                if (other == moved) continue;
                const int i = place[moved] < place[other] ? moved : other, j = i == moved ? other : moved;
                if (Hi(runs[i]) + kTrackClearance > Lo(runs[j])) Look(runs, jogs, i, j, mine);
            }
        auto sweepOrder = [&](const Overlap& a, const Overlap& b) {
            return place[a.j] != place[b.j] ? place[a.j] < place[b.j] : place[a.i] < place[b.i];
        };
        std::sort(mine.begin(), mine.end(), sweepOrder);
        std::erase_if(list, [&](const Overlap& o) { return o.i == moved || o.j == moved; });
        std::vector<Overlap> merged;
        merged.reserve(list.size() + mine.size());
        std::merge(list.begin(), list.end(), mine.begin(), mine.end(), std::back_inserter(merged), sweepOrder);
        list = std::move(merged);
    }

private:
    void SortItems(const std::vector<GapRun>& runs) {
        items.clear();
        for (int i = 0; i < static_cast<int>(runs.size()); ++i)
            if (std::abs(runs[i].upper - runs[i].lower) >= kStraight) items.push_back(i);
        std::sort(items.begin(), items.end(),
                  [&](int a, int b) { return Lo(runs[a]) != Lo(runs[b]) ? Lo(runs[a]) < Lo(runs[b]) : a < b; });
    }
    static void Look(const std::vector<GapRun>& runs, const Jogs& jogs, int i, int j, std::vector<Overlap>& out) {
        bool pin = false;
        const int first = FirstToTurn(runs, jogs, i, j, pin);
        if (first >= 0) out.push_back({i, j, first, pin});
        if (first == -2) {
            const bool iNearer = std::abs(runs[i].upper - runs[j].lower) <= std::abs(runs[j].upper - runs[i].lower);
            out.push_back({i, j, first, pin, iNearer ? i : j});
        }
    }
};

// The rules of the overlaps, leaving out those kept only for ends that
// meet where no jog could part them (ignored: how often no jog could).
// Ends that meet twice where no jog parts them keep the nearer ends apart
// by a rule of meeting ends, which gives way in turn where it closes a
// ring no jog cuts.
Rules BuildRules(const Overlaps& overlaps, int n, const std::map<std::pair<int, int>, int>& ignored) {
    Rules r;
    r.items = overlaps.items;
    struct Rule {
        int first, second;
        bool pin;
    };
    std::vector<Rule> rules;
    for (const Overlap& o : overlaps.list) {
        const int second = o.first == o.i ? o.j : o.i;
        if (o.first >= 0 && !(o.pin && ignored.count({o.first, second}))) rules.push_back({o.first, second, o.pin});
        if (o.first != -2) continue;
        const std::pair<int, int> ends{o.nearer, o.nearer == o.i ? o.j : o.i};
        const auto given = ignored.find(ends);
        if (given == ignored.end())
            r.meetingTwice.push_back(ends);
        else if (given->second == 1)
            rules.push_back({ends.first, ends.second, true});
    }
    r.start.assign(n + 1, 0);
    r.backStart.assign(n + 1, 0);
    for (const Rule& x : rules) ++r.start[x.first + 1], ++r.backStart[x.second + 1];
    for (int v = 0; v < n; ++v) r.start[v + 1] += r.start[v], r.backStart[v + 1] += r.backStart[v];
    r.after.resize(rules.size());
    r.before.resize(rules.size());
    r.pin.resize(rules.size());
    r.backPin.resize(rules.size());
    std::vector<int> fill(r.start.begin(), r.start.end() - 1), back(r.backStart.begin(), r.backStart.end() - 1);
    for (const Rule& x : rules) {
        r.pin[fill[x.first]] = x.pin;
        r.after[fill[x.first]++] = x.second;
        r.backPin[back[x.second]] = x.pin;
        r.before[back[x.second]++] = x.first;
    }
    return r;
}

// Where runs may jog: of two whose ends meet twice, or of a ring of rules
// (found as a walk back from a run that the rules leave waiting), each
// pair of runs (first, second) where the first must turn before the second
// because its upper end meets the second's lower end; none where there is
// no ring.
std::vector<std::pair<int, int>> PlacesToJog(const Rules& r, int n) {
    if (!r.meetingTwice.empty()) return r.meetingTwice;
    std::vector<int> waiting(n, 0);
    for (int v = 0; v < n; ++v) waiting[v] = r.backStart[v + 1] - r.backStart[v];
    std::vector<int> free;
    for (int i : r.items)
        if (waiting[i] == 0) free.push_back(i);
    std::vector<char> done(n, 0);
    for (std::size_t k = 0; k < free.size(); ++k) {
        done[free[k]] = 1;
        for (int e = r.start[free[k]]; e < r.start[free[k] + 1]; ++e)
            if (--waiting[r.after[e]] == 0) free.push_back(r.after[e]);
    }
    if (free.size() == r.items.size()) return {};
    int v = -1;
    for (int i : r.items)
        if (!done[i]) {
            v = i;
            break;
        }
    // Every run left waits for another one left: walking back from one
    // of them comes round to a run seen before.
    std::vector<int> seen(n, -1), walk;
    std::vector<char> pinTo;  // whether the rule from the next run of the walk to this one is of meeting ends
    while (seen[v] < 0) {
        seen[v] = static_cast<int>(walk.size());
        walk.push_back(v);
        int e = r.backStart[v];
        while (e < r.backStart[v + 1] && done[r.before[e]]) ++e;
        if (e == r.backStart[v + 1]) return {};
        pinTo.push_back(r.backPin[e]);
        v = r.before[e];
    }
    std::vector<std::pair<int, int>> places;
    for (std::size_t k = static_cast<std::size_t>(seen[v]); k < walk.size(); ++k)
        if (pinTo[k]) places.emplace_back(k + 1 < walk.size() ? walk[k + 1] : v, walk[k]);
    return places;
}

// Where a jog from a run's end x on its way toward "toward" ends: at the
// first place past x (and past the ends that meet it there) where no other
// run begins or ends within kJogClearance; NaN where there is none. A jog
// out of an upper end runs above every track, so it may pass the lower
// ends of other runs (their straight pieces start below it) but not an
// upper one, nor the run's own other end; one into a lower end the other
// way round. It ends in the middle of the room it finds, or at most reach
// into it, and no nearer than past.
double JogPoint(const std::vector<double>& passable, const std::vector<double>& blocking, double x, double toward,
                double reach = INFINITY, double past = 0) {
    const bool right = toward > x;
    auto ahead = [&](double e) { return right ? e - x : x - e; };
    double limit = ahead(toward), from = past;
    for (double e : blocking)
        if (ahead(e) >= kTrackClearance)
            limit = std::min(limit, ahead(e));
        else if (ahead(e) > 0)
            from = std::max(from, ahead(e));
    std::vector<double> stops{limit};
    for (double e : passable) {
        const double d = ahead(e);
        if (d > 0 && d < kTrackClearance) from = std::max(from, d);
        if (d > 0 && d < limit) stops.push_back(d);
    }
    std::sort(stops.begin(), stops.end());
    for (double stop : stops) {
        if (stop <= from) continue;
        if (stop - from < 2 * kJogClearance) {
            from = stop;
            continue;
        }
        const double at = from + std::min((stop - from) / 2, reach);
        return right ? x + at : x - at;
    }
    return std::nan("");
}

// A jog of a run along one of the tracks kept for jogs.
struct Jog {
    int run;
    double from, to;
    int track = 0;
};

// Tracks for jogs, each on the first where it keeps clear of the others;
// returns how many.
int PlaceJogs(std::vector<Jog>& jogs) {
    auto lo = [](const Jog& j) { return std::min(j.from, j.to); };
    std::sort(jogs.begin(), jogs.end(), [&](const Jog& a, const Jog& b) { return lo(a) < lo(b); });
    std::vector<double> reach;  // of each track, its rightmost end
    for (Jog& j : jogs) {
        std::size_t t = 0;
        while (t < reach.size() && reach[t] + kTrackClearance > lo(j)) ++t;
        if (t == reach.size()) reach.push_back(0);
        reach[t] = std::max(j.from, j.to);
        j.track = static_cast<int>(t);
    }
    return static_cast<int>(reach.size());
}

// Of each run that turns, the longest chain of rules from it on (itself
// counted): how many tracks the runs that must turn after it need below
// its own; or, looking back, the longest chain up to it. Runs of a ring
// left get what the runs beyond the ring give.
std::vector<int> Chains(const Rules& r, int n, bool after) {
    const std::vector<int>&start = after ? r.start : r.backStart, &back = after ? r.backStart : r.start;
    const std::vector<int>& backList = after ? r.before : r.after;
    std::vector<int> chain(n, 1), waiting(n, 0), done;
    for (int v = 0; v < n; ++v) waiting[v] = start[v + 1] - start[v];
    for (int i : r.items)
        if (waiting[i] == 0) done.push_back(i);
    for (std::size_t k = 0; k < done.size(); ++k)
        for (int e = back[done[k]]; e < back[done[k] + 1]; ++e) {
            const int u = backList[e];
            chain[u] = std::max(chain[u], chain[done[k]] + 1);
            if (--waiting[u] == 0) done.push_back(u);
        }
    return chain;
}

// Tracks for the runs that turn, every rule kept, each on the first track
// at or past the ones it follows where nothing overlaps it. Among the runs
// free to go, the one with the longest chain of runs after it goes first
// (then the leftmost): a long chain placed late would find the tracks near
// the upper level taken along its way and push every run after it further
// down, where the others could as well have gone below it. A ring left is
// cut at its leftmost run where only ends then meet. Returns the number of
// tracks.
int PlaceOnTracks(const std::vector<GapRun>& runs, const Rules& r, std::vector<int>& track) {
    const int n = static_cast<int>(runs.size());
    std::vector<int> waiting(n, 0), crossWaiting(n, 0);
    for (int v = 0; v < n; ++v)
        for (int e = r.backStart[v]; e < r.backStart[v + 1]; ++e) ++waiting[v], crossWaiting[v] += !r.backPin[e];
    const std::vector<int> chain = Chains(r, n, true);
    using Ready = std::tuple<int, double, int>;  // the chain after it (negated), its left end, the run
    std::priority_queue<Ready, std::vector<Ready>, std::greater<>> ready;
    for (int i : r.items)
        if (waiting[i] == 0) ready.push({-chain[i], Lo(runs[i]), i});
    std::vector<int> least(n, 0);
    std::vector<std::map<double, double>> used;  // of each track: its runs' ends, lo -> hi
    std::size_t placed = 0;
    while (placed < r.items.size()) {
        int i = -1;
        if (!ready.empty()) {
            i = std::get<2>(ready.top());
            ready.pop();
            if (track[i] >= 0) continue;
        } else {
            for (int k : r.items)
                if (track[k] < 0 && (i < 0 || (crossWaiting[k] == 0 && crossWaiting[i] > 0))) i = k;
        }
        const double from = Lo(runs[i]) - kTrackClearance, to = Hi(runs[i]) + kTrackClearance;
        int t = least[i];
        for (;; ++t) {
            if (t == static_cast<int>(used.size())) used.emplace_back();
            const auto& taken = used[t];
            auto after = taken.lower_bound(from);
            if (after != taken.end() && after->first < to) continue;
            if (after != taken.begin() && std::prev(after)->second > from) continue;
            break;
        }
        track[i] = t;
        used[t].emplace(Lo(runs[i]), Hi(runs[i]));
        ++placed;
        for (int e = r.start[i]; e < r.start[i + 1]; ++e) {
            const int s = r.after[e];
            least[s] = std::max(least[s], t + 1);
            crossWaiting[s] -= !r.pin[e];
            if (--waiting[s] == 0 && track[s] < 0) ready.push({-chain[s], Lo(runs[s]), s});
        }
    }
    return static_cast<int>(used.size());
}

// A staircase of runs the same way, each ahead of the one before it,
// needs a track for every run, each turning before the one behind. A run
// of the longest chain of such rules that jogs out of its upper end past
// the lower end of the run behind it (or into its lower end from before
// the upper end of the run ahead) no longer overlaps that run and leaves
// the chain; the jogs of a staircase share one track. Each jog is kept
// only where it saves a track in all, and closes no ring of rules. A jog
// passes no end of a run whose line stays clear of this one's, nor of a
// run that jogs; it may pass the end of a run whose line crosses this
// one's anyway, crossing that run's straight piece there instead of
// further on.
void JogOutOfChains(const std::vector<GapRun>& runs, std::vector<GapRun>& going, Jogs& jogs, Overlaps& overlaps,
                    Rules& rules, const std::map<std::pair<int, int>, int>& ignored,
                    const std::function<int()>& allTracks) {
    const int n = static_cast<int>(runs.size());
    int best = allTracks();
    std::vector<double> blocking, passable;
    // The ends on each level, sorted along it, each with its run and
    // whether a jog ends there.
    struct End {
        double x;
        int run;
        bool jogEnd;
    };
    std::vector<End> upperEnds, lowerEnds;
    for (int q = 0; q < n; ++q) {
        upperEnds.push_back({runs[q].upper, q, false});
        lowerEnds.push_back({runs[q].lower, q, false});
        if (jogs.upper[q]) upperEnds.push_back({going[q].upper, q, true});
        if (jogs.lower[q]) lowerEnds.push_back({going[q].lower, q, true});
    }
    auto byX = [](const End& a, const End& b) { return a.x < b.x; };
    std::sort(upperEnds.begin(), upperEnds.end(), byX);
    std::sort(lowerEnds.begin(), lowerEnds.end(), byX);
    // Where a jog found no room it finds none later either: later jogs
    // only add ends in the way.
    std::set<std::tuple<int, int, bool>> noRoom;
    int tries = 0, evaluated = 0;
    for (bool saved = true; saved && tries < kJogTriesPerRun * n && evaluated < kJogsRejectedInARow;) {
        saved = false;
        const std::vector<int> after = Chains(rules, n, true), before = Chains(rules, n, false);
        int longest = 0;
        for (int i : rules.items) longest = std::max(longest, after[i]);
        std::vector<std::pair<int, int>> critical;
        for (int u : rules.items)
            for (int e = rules.start[u]; e < rules.start[u + 1]; ++e)
                if (!rules.pin[e] && before[u] + after[rules.after[e]] == longest)
                    critical.emplace_back(u, rules.after[e]);
        for (const auto& [u, v] : critical)
            for (bool upper : {true, false}) {
                const int moving = upper ? u : v;
                if (tries >= kJogTriesPerRun * n || evaluated >= kJogsRejectedInARow || jogs.upper[moving] ||
                    jogs.lower[moving] || noRoom.count({u, v, upper}))
                    continue;
                ++tries;
                const double from = upper ? runs[u].upper : runs[v].lower;
                const double toward = upper ? going[u].lower : going[v].upper;
                const double past = std::abs((upper ? going[v].lower : going[u].upper) - from);
                // Only the ends between the jog's start and the first end
                // it may not pass matter: walk out to it along the sorted
                // ends of the jog's side, and take the other side's ends up
                // to there.
                const std::vector<End>& side = upper ? upperEnds : lowerEnds;
                const std::vector<End>& other = upper ? lowerEnds : upperEnds;
                const bool right = toward > from;
                const double reach = std::abs(toward - from);
                auto walk = [&](const std::vector<End>& ends, auto&& take) {
                    auto at = std::lower_bound(ends.begin(), ends.end(), from,
                                               [](const End& e, double x) { return e.x < x; });
                    if (right) {
                        for (; at != ends.end() && at->x - from <= reach; ++at)
                            if (!take(*at, at->x - from)) break;
                    } else {
                        while (at != ends.begin()) {
                            --at;
                            if (from - at->x > reach || !take(*at, from - at->x)) break;
                        }
                    }
                };
                blocking.clear();
                passable.clear();
                double limit = reach;
                walk(side, [&](const End& e, double d) {
                    if (e.run == moving || d <= 0) return true;
                    const bool jogged = e.jogEnd || jogs.upper[e.run] || jogs.lower[e.run];
                    const bool crosses =
                        (runs[e.run].upper - runs[moving].upper) * (runs[e.run].lower - runs[moving].lower) < 0;
                    if (!jogged && crosses) {
                        passable.push_back(e.x);
                        return true;
                    }
                    blocking.push_back(e.x);
                    if (d < kTrackClearance) return true;
                    limit = d;
                    return false;
                });
                walk(other, [&](const End& e, double d) {
                    if (d > limit) return false;
                    passable.push_back(e.x);
                    return true;
                });
                const double to = JogPoint(passable, blocking, from, toward, INFINITY, past);
                if (std::isnan(to)) {
                    noRoom.insert({u, v, upper});
                    continue;
                }
                const GapRun kept = going[moving];
                Rules keptRules = rules;
                (upper ? going[moving].upper : going[moving].lower) = to;
                (upper ? jogs.upper : jogs.lower)[moving] = 1;
                overlaps.Refresh(going, jogs, moving);
                rules = BuildRules(overlaps, n, ignored);
                if (PlacesToJog(rules, n).empty()) {
                    const int total = allTracks();
                    ++evaluated;
                    if (total < best) {
                        evaluated = 0;
                        best = total;
                        auto& ends = upper ? upperEnds : lowerEnds;
                        const End added{to, moving, true};
                        ends.insert(std::upper_bound(ends.begin(), ends.end(), added, byX), added);
                        saved = true;
                        continue;
                    }
                }
                going[moving] = kept;
                (upper ? jogs.upper : jogs.lower)[moving] = 0;
                overlaps.Refresh(going, jogs, moving);
                rules = std::move(keptRules);
            }
    }
}

}  // namespace

int AssignTracks(const std::vector<GapRun>& runs, std::vector<RunTrack>& way) {
    const int n = static_cast<int>(runs.size());
    way.assign(n, {});
    std::vector<double> uppers, lowers;
    for (const GapRun& r : runs) uppers.push_back(r.upper), lowers.push_back(r.lower);
    // Rings of rules are cut by jogs, one at a time, while there is room:
    // out of the upper end of a run whose end meets another's, or else into
    // that other's lower end.
    std::vector<GapRun> going(runs);
    Jogs jogs{std::vector<char>(n, 0), std::vector<char>(n, 0)};
    std::map<std::pair<int, int>, int> ignored;
    Overlaps overlaps;
    overlaps.Sweep(going, jogs);
    Rules rules = BuildRules(overlaps, n, ignored);
    const std::vector<double> none;
    std::vector<double> all;
    for (int cut = 0; cut < 2 * n; ++cut) {
        const auto places = PlacesToJog(rules, n);
        bool cutOne = false;
        int moved = -1;
        // Where no jog keeps every crossing as it was, one that passes
        // other ends (and may cross their lines) still keeps the lines
        // apart; and where there is no room short of the run's other end,
        // one that goes on past it, the run coming back along its track.
        for (int mode = 0; mode < 3 && !cutOne; ++mode) {
            const bool strict = mode == 0;
            if (mode == 1) {
                all = uppers;
                all.insert(all.end(), lowers.begin(), lowers.end());
            }
            // Past the other end the jog ends as soon as it is clear.
            const double reach = mode < 2 ? INFINITY : kJogClearance;
            auto beyond = [&](double from, double to) { return mode < 2 ? to : to + (to > from ? kFar : -kFar); };
            for (auto [first, second] : places) {
                double to = std::nan("");
                if (!jogs.upper[first] &&
                    !std::isnan(to = JogPoint(strict ? lowers : all, strict ? uppers : none, runs[first].upper,
                                              beyond(runs[first].upper, going[first].lower), reach))) {
                    jogs.upper[first] = 1;
                    going[first].upper = to;
                    moved = first;
                    uppers.push_back(to);
                } else if (!jogs.lower[second] &&
                           !std::isnan(to = JogPoint(strict ? uppers : all, strict ? lowers : none, runs[second].lower,
                                                     beyond(runs[second].lower, going[second].upper), reach))) {
                    jogs.lower[second] = 1;
                    going[second].lower = to;
                    moved = second;
                    lowers.push_back(to);
                } else {
                    continue;
                }
                cutOne = true;
                break;
            }
        }
        // A ring no jog can cut keeps its ends close (though apart).
        if (!cutOne && places.empty()) break;
        if (!cutOne)
            for (const auto& place : places) ++ignored[place];
        if (moved >= 0) overlaps.Refresh(going, jogs, moved);
        rules = BuildRules(overlaps, n, ignored);
    }
    // The jogs on tracks of their own, out of upper ends before the others
    // and into lower ends after them.
    std::vector<Jog> up, down;
    auto listJogs = [&] {
        up.clear();
        down.clear();
        for (int v = 0; v < n; ++v) {
            if (jogs.upper[v]) up.push_back({v, runs[v].upper, going[v].upper});
            if (jogs.lower[v]) down.push_back({v, going[v].lower, runs[v].lower});
        }
    };
    std::vector<int> track(n, -1);
    auto allTracks = [&] {
        std::fill(track.begin(), track.end(), -1);
        listJogs();
        return PlaceOnTracks(going, rules, track) + PlaceJogs(up) + PlaceJogs(down);
    };
    JogOutOfChains(runs, going, jogs, overlaps, rules, ignored, allTracks);
    std::fill(track.begin(), track.end(), -1);
    const int tracks = PlaceOnTracks(going, rules, track);
    listJogs();
    const int upTracks = PlaceJogs(up), downTracks = PlaceJogs(down);
    for (const Jog& j : up) way[j.run].jogTrack = j.track, way[j.run].jogTo = j.to;
    for (const Jog& j : down) way[j.run].lowJogTrack = upTracks + tracks + j.track, way[j.run].lowJogFrom = j.from;
    for (int v = 0; v < n; ++v)
        if (track[v] >= 0) way[v].track = upTracks + track[v];
    return upTracks + tracks + downTracks;
}

std::pair<double, double> TrackTurn(double from, double to, int tracks, int t) {
    const double pitch = (to - from) / std::max(1, tracks);
    // Neighbouring tracks' turns stay a pitch apart: where runs on them go
    // side by side, their pieces along the gap keep that much room.
    const double clear = std::min(kTrackPitch, pitch) / 2;
    return {from + t * pitch + clear, from + (t + 1) * pitch - clear};
}

}  // namespace platform::diagram::layout
