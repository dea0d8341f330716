#pragma once
// What the COMMAREA size and validation rules analyses run on and
// what they hand back. They read the workspace database and the programs'
// code models through the workbench session, write their tables in one
// transaction and their page through the run's report builder, report
// progress and honour Cancel after each program.

#include <string>
#include <vector>

#include "common/Progress.h"
#include "common/WriteBoundary.h"
#include "platform/db/Database.h"
#include "reports/ReportPaths.h"

namespace common {
class IPrompt;
}  // namespace common
namespace platform::workbench {
class WorkbenchSession;
}

namespace mdlReports {

class ReportBuilder;

struct AnalysisRun {
    platform::db::Database& db;
    platform::workbench::WorkbenchSession& session;
    const ReportPaths& paths;
    ReportBuilder& builder;
    common::IProgress& progress;
    // Where an ill-formed page is reported (message 502).
    common::IPrompt& prompt;
    // What the page is written through: the report run's own, or one for
    // the analysis alone (OutputFolderBoundary).
    common::WriteBoundary output;
    // Between the whole and the fractional part of a number on a page: the
    // user's regional setting, which the window side knows.
    std::string decimalSeparator = ".";
    // Threads that read the programs' code models: 0 takes the machine's
    // cores, 1 reads them on the calling thread.
    int threads = 0;
};

struct AnalysisResult {
    // "-1": the page is written; "0": the analyst cancelled (rows written so
    // far stay, no page).
    std::string text;
    // One line per program whose code model is named but could not be used;
    // such a program adds no rows and the run goes on.
    std::vector<std::string> skipped;
    // Whether any program names a code model: without one the page lists
    // nothing, and the window says why.
    bool anyCodeModel = false;

    bool Done() const { return text != "0"; }
};

// Each program in turn as one progress step, step(program) inside it and
// Cancel polled after it. The run's transaction is committed either way, so
// a cancel keeps the rows written so far. False when the analyst cancelled.
template <class Program, class Step>
bool StepThroughPrograms(const AnalysisRun& run, platform::db::Transaction& tx, const std::vector<Program>& programs,
                         Step&& step) {
    for (const Program& program : programs) {
        run.progress.StartStep("");
        step(program);
        run.progress.FinishStep(1);
        if (run.progress.Cancelled()) {
            tx.Commit();
            return false;
        }
    }
    tx.Commit();
    return true;
}

}  // namespace mdlReports
