#pragma once
// Tracks of the links that cross one gap between two levels of a layered
// drawing. A link runs straight out of the upper level, turns along the
// gap on its track, and runs straight into the lower level: lines that
// cross the gap side by side then never run on top of one another,
// however long and shallow a straight line between their ends would be.
// Runs that overlap along the gap get different tracks; of two that run
// the same way without crossing, the one ahead turns first (otherwise
// they would cross twice), and a run that leaves the upper level where
// another arrives at the lower level turns before that one, so their
// straight pieces do not meet. Where such rules close a ring (each run
// turning before the next), a run of the ring first jogs aside out of its
// upper end, on a track of its own above the others, to a point clear of
// the other ends, and goes on from there (or jogs into its lower end on a
// track below the others). Two runs then cross exactly where their
// straight lines would.

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
