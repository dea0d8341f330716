#pragma once
// The tool's own tables of web service definition. They are not part of the
// template: these routines make sure they exist in the database they are
// given, each time a caller is about to use them. Existence is read from the
// database's catalogue, so calling a routine twice changes nothing.

#include "platform/db/Database.h"

namespace Globals {

// pcaProcesses, then pcaElements: created when missing; emptied when they
// exist and clear is true.
void CreateProcessTables(platform::db::Database& db, bool clear);

// CreateProcessTables(db, clear), then ucUseCases, ucMessages and Messages
// the same way.
void CreateUseCaseTables(platform::db::Database& db, bool clear);

// CreateProcessTables(db, recreate), then wsWebServices and wsWS_UC: created
// when missing; when recreate is true an existing table is dropped and made
// again, losing its rows and restarting the WSID counter.
void CreateWebServiceTables(platform::db::Database& db, bool recreate);

}  // namespace Globals
