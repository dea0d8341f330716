#include "reports/ViewOnlyGuard.h"

#include "platform/db/Database.h"
#include "reports/ReportError.h"

namespace mdlReports {

void RefuseViewOnlyDatabase(const platform::db::Database& db, const std::string& command) {
    if (!db.IsMemoryCopy()) return;
    throw ReportError(command + " was refused: the workspace is open for viewing only here, so nothing in it "
                                "was changed.");
}

}  // namespace mdlReports
