#include "platform/diagram/LayoutTracks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <set>
#include <tuple>
#include <utility>

#include "platform/diagram/LayoutTrackRules.h"

namespace platform::diagram::layout {

namespace {

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

double Lo(const GapRun& r) { return std::min(r.upper, r.lower); }
double Hi(const GapRun& r) { return std::max(r.upper, r.lower); }

// Where runs may jog: of two whose ends meet twice, or of a ring of rules
// (found as a walk back from a run that the rules leave waiting), each
// pair of runs (first, second) where the first must turn before the second
// because its upper end meets the second's lower end; none where there is
// no ring.
std::vector<std::pair<int, int>> PlacesToJog(const TurnRuleSet& rules, int n) {
    const TurnRules& r = rules.Rules();
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
    // of them, each time to the first by left ends, comes round to a run
    // seen before.
    std::vector<int> seen(n, -1), walk;
    std::vector<char> pinTo;  // whether the rule from the next run of the walk to this one is of meeting ends
    while (seen[v] < 0) {
        seen[v] = static_cast<int>(walk.size());
        walk.push_back(v);
        bool pin = false;
        const int u = rules.FirstRunBefore(v, done, pin);
        if (u < 0) return {};
        pinTo.push_back(pin);
        v = u;
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

// Working space of Chains: each run's count of rules from it not yet
// looked at, and the runs done, in the order they are done.
struct ChainSpace {
    std::vector<int> waiting, done;
};

// Of each run that turns, the longest chain of rules from it on (itself
// counted): how many tracks the runs that must turn after it need below
// its own; or, looking back, the longest chain up to it. Runs of a ring
// left get what the runs beyond the ring give. Returns whether there is no
// ring.
bool Chains(const TurnRules& r, int n, bool after, std::vector<int>& chain, ChainSpace& space) {
    const std::vector<int>&start = after ? r.start : r.backStart, &back = after ? r.backStart : r.start;
    const std::vector<int>& backList = after ? r.before : r.after;
    chain.assign(n, 1);
    std::vector<int>&waiting = space.waiting, &done = space.done;
    waiting.resize(n);
    done.clear();
    for (int i : r.items)
        if ((waiting[i] = start[i + 1] - start[i]) == 0) done.push_back(i);
    for (std::size_t k = 0; k < done.size(); ++k)
        for (int e = back[done[k]]; e < back[done[k] + 1]; ++e) {
            const int u = backList[e];
            chain[u] = std::max(chain[u], chain[done[k]] + 1);
            if (--waiting[u] == 0) done.push_back(u);
        }
    return done.size() == r.items.size();
}

// Tracks for the runs that turn, every rule kept, each on the first track
// at or past the ones it follows where nothing overlaps it. Among the runs
// free to go, the one with the longest chain of runs after it goes first
// (then the leftmost): a long chain placed late would find the tracks near
// the upper level taken along its way and push every run after it further
// down, where the others could as well have gone below it. A ring left is
// cut at its leftmost run where only ends then meet. Keeps what it needs
// from one placing to the next, as a gap's runs are placed many times.
class TrackPlacer {
public:
    // Returns the number of tracks; or, where the rules close a ring and
    // rings do not go, -1; or as soon as the tracks come to enough, that
    // many.
    int Place(const std::vector<GapRun>& runs, const TurnRules& r, std::vector<int>& track, bool rings = true,
              int enough = std::numeric_limits<int>::max()) {
        const int n = static_cast<int>(runs.size());
        const bool acyclic = Chains(r, n, true, m_chain, m_chainSpace);
        if (!acyclic && !rings) return -1;
        m_waiting.resize(n);
        m_least.assign(n, 0);
        for (int i : r.items) m_waiting[i] = r.backStart[i + 1] - r.backStart[i];
        // Only a ring left asks how many rules of crossing runs a run
        // still waits for.
        if (!acyclic) {
            m_crossWaiting.assign(n, 0);
            for (int i : r.items)
                for (int e = r.backStart[i]; e < r.backStart[i + 1]; ++e) m_crossWaiting[i] += !r.backPin[e];
        }
        // The runs free to go, the longest chain first and then the
        // leftmost (the items' order). Without a ring, a run comes free
        // only once one with a longer chain is placed: the runs of one
        // chain length are sorted once, when their turn comes.
        int level = 0;
        for (auto& ready : m_ready) ready.clear();
        m_ready.resize(r.items.size() + 1);
        auto free = [&](int i) {
            m_ready[m_chain[i]].push_back(r.place[i]);
            if (m_chain[i] >= level) {
                level = m_chain[i];
                // Only a ring left frees a run with a longer chain than
                // one placed.
                std::sort(m_ready[level].begin(), m_ready[level].end(), std::greater<>{});
            }
        };
        for (int i : r.items)
            if (m_waiting[i] == 0) m_ready[m_chain[i]].push_back(r.place[i]);
        for (int c = static_cast<int>(r.items.size()); c > 0 && level == 0; --c)
            if (!m_ready[c].empty()) level = c;
        std::sort(m_ready[level].begin(), m_ready[level].end(), std::greater<>{});
        for (auto& taken : m_used) taken.clear();
        int tracks = 0;
        for (std::size_t placed = 0; placed < r.items.size() && tracks < enough;) {
            int i = -1;
            while (level > 0 && m_ready[level].empty())
                if (--level > 0) std::sort(m_ready[level].begin(), m_ready[level].end(), std::greater<>{});
            if (level > 0) {
                i = r.items[m_ready[level].back()];
                m_ready[level].pop_back();
                if (track[i] >= 0) continue;
            } else {
                for (int k : r.items)
                    if (track[k] < 0 && (i < 0 || (m_crossWaiting[k] == 0 && m_crossWaiting[i] > 0))) i = k;
            }
            const double from = Lo(runs[i]) - kTrackClearance, to = Hi(runs[i]) + kTrackClearance;
            int t = m_least[i];
            std::vector<std::pair<double, double>>::iterator at;
            for (;; ++t) {
                if (t == static_cast<int>(m_used.size())) m_used.emplace_back();
                auto& taken = m_used[t];
                at = std::lower_bound(taken.begin(), taken.end(), from,
                                      [](const std::pair<double, double>& e, double x) { return e.first < x; });
                if (at != taken.end() && at->first < to) continue;
                if (at != taken.begin() && std::prev(at)->second > from) continue;
                break;
            }
            track[i] = t;
            tracks = std::max(tracks, t + 1);
            m_used[t].insert(at, {Lo(runs[i]), Hi(runs[i])});
            ++placed;
            for (int e = r.start[i]; e < r.start[i + 1]; ++e) {
                const int s = r.after[e];
                m_least[s] = std::max(m_least[s], t + 1);
                if (!acyclic) m_crossWaiting[s] -= !r.pin[e];
                if (--m_waiting[s] == 0 && track[s] < 0) free(s);
            }
        }
        return tracks;
    }

private:
    std::vector<int> m_chain, m_waiting, m_crossWaiting, m_least;
    ChainSpace m_chainSpace;
    std::vector<std::vector<int>> m_ready;  // places of the runs free to go, by chain
    // Of each track, its runs' ends (lo, hi) by lo.
    std::vector<std::vector<std::pair<double, double>>> m_used;
};

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
void JogOutOfChains(const std::vector<GapRun>& runs, std::vector<GapRun>& going, Jogs& jogs, TurnRuleSet& ruleSet,
                    const std::function<int(int)>& allTracks) {
    const TurnRules& rules = ruleSet.Rules();
    const int n = static_cast<int>(runs.size());
    int best = allTracks(std::numeric_limits<int>::max());
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
    std::vector<int> after, before;
    ChainSpace space;
    for (bool saved = true; saved && tries < kJogTriesPerRun * n && evaluated < kJogsRejectedInARow;) {
        saved = false;
        Chains(rules, n, true, after, space);
        Chains(rules, n, false, before, space);
        int longest = 0;
        for (int i : rules.items) longest = std::max(longest, after[i]);
        // The rules along a longest chain, by their runs' left ends.
        std::vector<std::pair<int, int>> critical;
        for (int u : rules.items) {
            const std::size_t first = critical.size();
            for (int e = rules.start[u]; e < rules.start[u + 1]; ++e)
                if (!rules.pin[e] && before[u] + after[rules.after[e]] == longest)
                    critical.emplace_back(u, rules.after[e]);
            std::sort(critical.begin() + static_cast<std::ptrdiff_t>(first), critical.end(),
                      [&](const auto& a, const auto& b) { return rules.place[a.second] < rules.place[b.second]; });
        }
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
                ruleSet.Save();
                (upper ? going[moving].upper : going[moving].lower) = to;
                (upper ? jogs.upper : jogs.lower)[moving] = 1;
                ruleSet.Moved(moving);
                // Only a jog that leaves no ring (and no ends meeting
                // twice) is weighed; it saves a track or goes back.
                if (const int total = rules.meetingTwice.empty() ? allTracks(best) : -1; total >= 0) {
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
                ruleSet.Restore();
            }
    }
}

}  // namespace

int AssignTracks(const std::vector<GapRun>& runs, std::vector<RunTrack>& way) {
    const int n = static_cast<int>(runs.size());
    way.assign(n, {});
    // Most gaps of a small drawing have one run that turns, or none: no
    // rule, no ring and no chain, the one run on the first track.
    int turning = 0, last = -1;
    for (int i = 0; i < n && turning < 2; ++i)
        if (std::abs(runs[i].upper - runs[i].lower) >= kStraight) ++turning, last = i;
    if (turning < 2) {
        if (last >= 0) way[last].track = 0;
        return turning;
    }
    std::vector<double> uppers, lowers;
    for (const GapRun& r : runs) uppers.push_back(r.upper), lowers.push_back(r.lower);
    // Rings of rules are cut by jogs, one at a time, while there is room:
    // out of the upper end of a run whose end meets another's, or else into
    // that other's lower end.
    std::vector<GapRun> going(runs);
    Jogs jogs{std::vector<char>(n, 0), std::vector<char>(n, 0)};
    IgnoredEnds ignored;
    TurnRuleSet rules(going, jogs, ignored);
    rules.Build();
    const std::vector<double> none;
    std::vector<double> all;
    for (int cut = 0; cut < 2 * n; ++cut) {
        const auto places = PlacesToJog(rules, n);
        int moved = -1;
        // Where no jog keeps every crossing as it was, one that passes
        // other ends (and may cross their lines) still keeps the lines
        // apart; and where there is no room short of the run's other end,
        // one that goes on past it, the run coming back along its track.
        for (int mode = 0; mode < 3 && moved < 0; ++mode) {
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
                    uppers.push_back(to);
                    moved = first;
                } else if (!jogs.lower[second] &&
                           !std::isnan(to = JogPoint(strict ? uppers : all, strict ? lowers : none, runs[second].lower,
                                                     beyond(runs[second].lower, going[second].upper), reach))) {
                    jogs.lower[second] = 1;
                    going[second].lower = to;
                    lowers.push_back(to);
                    moved = second;
                } else {
                    continue;
                }
                break;
            }
        }
        // A ring no jog can cut keeps its ends close (though apart).
        if (moved < 0 && places.empty()) break;
        if (moved >= 0) {
            rules.Moved(moved);
        } else {
            for (const auto& place : places) ++ignored[place];
            rules.Build();
        }
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
    // All the tracks, with the jogs'; or, where enough is given, -1 for
    // rules that close a ring, or enough once the tracks come to that. The
    // runs' tracks of the last placing under enough are kept: they are
    // those of the jogs the search keeps in the end.
    TrackPlacer placer;
    std::vector<int> kept;
    int keptTracks = 0;
    auto allTracks = [&](int enough) {
        std::fill(track.begin(), track.end(), -1);
        listJogs();
        const int jogTracks = PlaceJogs(up) + PlaceJogs(down);
        const bool limited = enough < std::numeric_limits<int>::max();
        const int tracks = placer.Place(going, rules.Rules(), track, !limited, std::max(0, enough - jogTracks));
        if (tracks < 0) return -1;
        if (tracks + jogTracks < enough) {
            kept = track;
            keptTracks = tracks;
        }
        return std::min(enough, tracks + jogTracks);
    };
    JogOutOfChains(runs, going, jogs, rules, allTracks);
    track = std::move(kept);
    const int tracks = keptTracks;
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
