#pragma once
// Tracks of the links that cross one gap between two levels of a layered
// drawing. A link runs straight out of the upper level, turns along the
// gap on its track, and runs straight into the lower level: lines that
// cross the gap side by side then never run on top of one another,
// however long and shallow a straight line between their ends would be.
//
// Runs that overlap along the gap get different tracks, by rules of which
// turns first (nearer the upper level): of two that run the same way
// without crossing, the one ahead (otherwise they would cross twice); of
// two whose ends meet (one leaves the upper level where the other arrives
// at the lower one), the one leaving, so that their straight pieces do
// not meet.
//
// Jogs settle what the rules cannot. A run jogs out of its upper end along
// a track of its own above the others, to a point clear of the other ends,
// and goes on from there; or into its lower end along one below them. Its
// jogged end meets no other. Where the rules close a ring (each run
// turning before the next), or two runs' ends meet at both levels, a run
// of the ring jogs: one that passes no other end where there is room, else
// one that passes other ends (its line may then cross theirs), else one
// that goes on past the run's own other end to the first place clear of
// every end, the run coming back along its track; where none has room,
// the rule of the ring is dropped, and of ends meeting twice the nearer
// pair keeps apart. Then a run of a longest chain of rules (a staircase of
// runs the same way, each turning before the one behind) jogs out of its
// upper end past the lower end of the run behind it, or into its lower end
// from before the upper end of the run ahead, where that saves a track in
// all and closes no ring; the jogs of a staircase share a track. Such a
// jog passes no end of a run whose line stays clear of its own, nor of a
// run that jogs, but may pass the end of one whose line crosses its own
// anyway.
//
// Last, the runs go on tracks, the one with the longest chain of rules
// after it first, each on the first track past those of the runs it must
// follow where nothing overlaps it. Runs cross where their straight lines
// would, but where a ring could only be cut by a jog past other ends.

#include <utility>
#include <vector>

namespace platform::diagram::layout {

// Where a link leaves the upper level and where it meets the lower level,
// along the levels.
struct GapRun {
    double upper = 0, lower = 0;
};

// A run's way across: its track (-1 for a run that goes straight across
// and needs none); where it jogs out of its upper end first, the jog's
// track and the point along the levels where the jog ends and the run goes
// on; where it jogs into its lower end last, the point where the run
// leaves its track for the jog, and the jog's track.
struct RunTrack {
    int track = -1;
    int jogTrack = -1;
    double jogTo = 0;
    int lowJogTrack = -1;
    double lowJogFrom = 0;
};

// Room across a gap for each of its tracks: lines on neighbouring tracks
// keep three pixels of white between them (with less the eye takes them
// for one, or has to look twice).
constexpr double kTrackPitch = 4;
// Runs closer than this along the levels count as meeting: their straight
// pieces would leave less white between them than neighbouring tracks do.
constexpr double kTrackClearance = kTrackPitch;

// The way of every run across the gap, tracks numbered from 0 nearest the
// upper level (the jogs out of upper ends first, those into lower ends
// last); returns the number of tracks.
int AssignTracks(const std::vector<GapRun>& runs, std::vector<RunTrack>& way);

// Where a run on track t turns, across a gap whose tracks (at least
// kTrackPitch each) share the room from "from" to "to": from its upper
// level to the first distance, from one end to the other between them,
// then on to its lower level.
std::pair<double, double> TrackTurn(double from, double to, int tracks, int t);

}  // namespace platform::diagram::layout
