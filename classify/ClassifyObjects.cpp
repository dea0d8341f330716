#include "classify/ClassifyObjects.h"

#include "classify/BuildSummaryTree.h"
#include "classify/ClassifyPrograms.h"
#include "common/Progress.h"
#include "platform/db/Database.h"

namespace classify {

common::Tree ClassifyObjects(platform::db::Database& db, common::IProgress& progress) {
    {
        // The scope closes the progress even when the classification fails,
        // so the window never keeps a stale progress strip.
        common::ProgressScope scope(progress, "Classify objects", 1, true);
        progress.StartStep("");
        {
            // The one step reads and writes every program: the window's
            // events get through during its statements.
            platform::db::ProgressPump pump(db, progress);
            mdlReports::ClassifyPrograms(db);
        }
        progress.FinishStep(1);
    }
    return BuildSummaryTree(db, progress);
}

}  // namespace classify
