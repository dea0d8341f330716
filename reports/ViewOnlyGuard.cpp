#include "reports/ViewOnlyGuard.h"

#include "common/WriteBoundary.h"
#include "platform/db/Database.h"
#include "reports/ReportError.h"

namespace mdlReports {

void RefuseUnlessWritable(const platform::db::Database& db, const common::WriteBoundary& workspace,
                          const std::string& command) {
    std::string why = workspace.Refusal();
    if (why.empty() && db.IsMemoryCopy()) why = "the workspace is open for viewing only here";
    if (!why.empty()) throw ReportError(command + " was refused: " + why + ", so nothing in it was changed.");
}

}  // namespace mdlReports
