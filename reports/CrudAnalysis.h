#pragma once
// The CRUD overlap analysis. A CRUD is one data store with one kind of
// access, the first character of an "access" relationship's full name. The
// analysis lists the CRUDs of the workspace (CRUDs), links each program to
// the CRUDs it performs (ProgCRUD), rates every pair of programs sharing a
// CRUD by the shared count against the pair's total CRUD links
// (ProgCRUDProg: RawSameness / SamenessCap, above 0 and at most 0.5) and
// writes the pairs rated above 0.1 to the comparison file.
//
// The pairs are counted in memory (from each CRUD to the programs that
// perform it), so the work grows with the shared CRUDs of the pairs rather
// than with a query per pair.

#include <cstddef>
#include <filesystem>

namespace common {
class IProgress;
class WriteBoundary;
}  // namespace common
namespace platform::db { class Database; }

namespace mdlReports {

// Pairs rated above this are similar.
inline constexpr double kSimilarityThreshold = 0.1;

struct CrudAnalysisResult {
    // The comparison file now holds this run's pairs.
    bool fileWritten = false;
    // The user cancelled; nothing this run left behind is a result.
    bool cancelled = false;
    // Pairs sharing at least one CRUD (rows of ProgCRUDProg).
    size_t sharingPairs = 0;
    // Pairs written to the file.
    size_t similarPairs = 0;
};

// Rebuilds CRUDs, ProgCRUD and ProgCRUDProg and writes the comparison file
// of the workspace folder through workspace (the folder as the window's
// claim holds it), under a progress level of 13 steps that can be
// cancelled. restrict keeps only the programs with ScreenDist 1, downstream
// and without upstream access. When no two programs share a CRUD the file
// of an earlier run is removed, so it is never taken for this run's result;
// a cancel keeps the earlier file. A workspace open for viewing only, or
// whose folder was moved or replaced since the claim, is refused before
// anything is touched (RefuseUnlessWritable). Database and file errors are
// raised; the tables then keep what they held before the run.
CrudAnalysisResult GetCRUDReport(platform::db::Database& db, const common::WriteBoundary& workspace,
                                 common::IProgress& progress, bool restrict);

}  // namespace mdlReports
