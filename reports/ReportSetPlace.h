#pragma once
// Whether the report set is where its paths say at the end of a run. The
// run writes into the folders its boundary holds, so a folder renamed, or
// swapped for another or a link, while the run wrote keeps getting its
// pages where it went: the path then leads to something else, which the
// run must neither call its set nor open.

#include <filesystem>

#include "common/WriteBoundary.h"
#include "reports/ReportPaths.h"

namespace mdlReports {

struct ReportSetPlace {
    // The first of the set's folders (the root first) that its path no
    // longer leads to, without following a link at the path; empty when
    // every folder is in place.
    std::filesystem::path moved;
    // Where the folder written into is now, as the system names it; empty
    // when that cannot be told (it was deleted).
    std::filesystem::path nowAt;

    bool InPlace() const { return moved.empty(); }
};

// The folders of the set written through output, compared by device and
// inode with what their paths lead to now.
ReportSetPlace LocateReportSet(const common::WriteBoundary& output, const ReportPaths& paths);

}  // namespace mdlReports
