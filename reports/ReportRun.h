#pragma once
// The report run: the whole HTML report set of a workspace in one pass. It
// rebuilds the output tree, writes the screens, programs, diagram, data
// stores and sixteen category pages under one cancellable progress of 27
// steps, then the CRUD overlap, COMMAREA size and validation rules pages
// under progress levels of their own, records each step's result in the
// index page, and ends with the report note, the index page and the offer
// to open it, or, when a folder of the set is no longer at its path, with
// where its pages went instead.
//
// A cancel ends the run after the current step (after the current program
// among the diagrams); an analysis that was cancelled ends it too. The pages
// of every step that finished are kept whole: a step that has pages written
// on other threads ends with the last of them.
// The index page is written as soon as the tree exists, saying the set is
// incomplete, and again at the end, saying whether the run was. A failure
// on the way ends the run the same way and is then raised to the caller.
// The earlier report set is moved aside at once and deleted on another
// thread; the run waits for it at its end unless it was cancelled.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "reports/ReportPaths.h"

namespace common {
class IProgress;
class IPrompt;
}  // namespace common
namespace platform::db {
class Database;
}
namespace platform::workbench {
class WorkbenchSession;
}

namespace mdlReports {

// Shows a document (the report's index page) in the desktop's viewer.
using DocumentOpener = std::function<void(const std::filesystem::path&)>;

struct ReportRun {
    platform::db::Database& db;
    platform::workbench::WorkbenchSession& session;
    // The open workspace's folder; empty when none is open, and then the run
    // does nothing at all.
    std::filesystem::path workspaceFolder;
    const ReportPaths& paths;
    common::IProgress& progress;
    // Message 502 for an ill-formed page and the closing question 501.
    common::IPrompt& prompt;
    // Called with the index page when the analyst wants to see the report.
    DocumentOpener opener;
    // The CRUD comparison's restriction (the Options' flag).
    bool restrict = false;
    // Between the whole and the fractional part of a size in bytes.
    std::string decimalSeparator = ".";
    // Threads that write the diagram images and pages: 0 the machine's cores.
    int threads = 0;
};

struct ReportRunResult {
    // The index page was written (false only when no workspace is open).
    bool indexWritten = false;
    // Cancelled, or an analysis gave "0": the note says so.
    bool incomplete = true;
    // A folder of the set (its root or one below) was renamed or replaced
    // while the run wrote, so its path no longer leads to what the run
    // wrote: the analyst was told where the pages went instead of being
    // offered the index.
    bool displaced = false;
    // Programs the COMMAREA and validation analyses had to skip, each line headed by the
    // analysis ("COMMAREA Size: ...").
    std::vector<std::string> skipped;
};

// The whole report set (see above). Raises ReportError, before anything is
// written, for a workspace open for viewing only or whose folder was moved
// or replaced since the window's claim (RefuseUnlessWritable),
// and when the report root
// cannot be made (before any page is written) and, after the index page has
// been written incomplete, whatever ended a page writer. IllFormedPage has
// already been shown to the analyst.
ReportRunResult GenerateReports(const ReportRun& run);

// The number of queues the index lists: the workspace records none.
int CountQueues();

}  // namespace mdlReports
