#pragma once
// Fills Ents and Rels of a freshly copied workspace database from the
// workbench repository: all screens, all programs (each followed at once by
// the collection of its relationships) and the data stores of seven store
// types, one progress bar per kind, cancellable between entities.
//
// Runs without a window: the caller passes the database, the repository's
// entity store and the progress sink. The repository is read inside one
// read transaction and the rows are written in one transaction; a cancel, an
// error and the end all commit what was written, so the database always
// reopens cleanly.

#include <string>

#include "common/Progress.h"
#include "platform/db/Database.h"

namespace platform::workbench {
class EntityStore;
class WorkbenchSession;
}  // namespace platform::workbench

namespace workspace {

// The store types, in the order they are imported.
extern const char* const kStoreTypes[7];

struct ImportResult {
    // True only when every kind was read to its end.
    bool done = true;
    bool cancelled = false;
    // The failure that ended the import early; empty when none.
    std::string error;
};

ImportResult ImportRepositoryEntities(platform::db::Database& db, platform::workbench::EntityStore& store,
                                      common::IProgress& progress);
ImportResult ImportRepositoryEntities(platform::db::Database& db, platform::workbench::WorkbenchSession& session,
                                      common::IProgress& progress);

}  // namespace workspace
