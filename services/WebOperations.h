#pragma once
// The web operations (rows of ucUseCases) and the Web Operations tree: one
// root node per operation defined on an entity that is still in Ents, keyed
// "Key" & UCID, showing the entity's BusName, tagged with its SerialID.
// Process operations (nature 2) follow their processes but are not shown.
// Every change is written first, then the tree is rebuilt whole.

#include <string_view>

#include "common/Tree.h"
#include "platform/db/Database.h"

namespace services {

// Image of an operation node (and of a service member node).
inline constexpr const char* kOperationImage = "ACloseProcess";
// Prefix of operation and service node keys.
inline constexpr const char* kNodeKeyPrefix = "Key";

}  // namespace services

namespace Globals {

// Brings process operations in step with the processes, then rebuilds the
// tree from the nature 1 operations, in the order the table holds them.
void LoadWebOperationsTree(common::Tree& tree, platform::db::Database& db);

// Adds a nature 2 operation for every process that has none under its
// current name, and removes those whose process is gone.
void SyncProcessUseCases(platform::db::Database& db);

// Deletes the operation defined on the entity with this SerialID and its
// memberships in web services. A text that is no number deletes nothing.
void DeleteEntityUseCase(std::string_view serialId, platform::db::Database& db);

// Deletes the operation of the process with this ProcID, its memberships,
// the process, its elements and their stored message documents. Nothing is
// deleted when the process has no operation.
void DeleteProcessUseCase(std::string_view procId, platform::db::Database& db);

}  // namespace Globals
