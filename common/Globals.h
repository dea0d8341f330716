#pragma once
// Program-wide state of the open workspace. Set by the workspace load,
// released by the workspace close. Core routines take the database and the
// session as parameters; only window code reads these globals.

#include <filesystem>
#include <memory>

#include "common/Collection.h"
#include "common/SqlText.h"
#include "platform/db/Database.h"

namespace platform::workbench { class WorkbenchSession; }

namespace Globals {

extern std::unique_ptr<platform::db::Database> g_Database;
extern std::shared_ptr<platform::workbench::WorkbenchSession> g_Workbench;
extern std::filesystem::path g_WorkspaceFolder;
extern std::filesystem::path g_AppPath;
extern bool g_WorkspaceOpen;
// Whether the screen interaction plot draws stub screens.
extern bool g_StubScrn;
// Whether the CRUD comparison narrows the programs it considers.
extern bool g_Restrict;

}  // namespace Globals
