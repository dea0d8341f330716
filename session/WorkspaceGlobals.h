#pragma once
// The platform objects of the open workspace: its database and its
// workbench session. Opened by the workspace load, released by the
// workspace close. Core routines take both as parameters; only window code
// and the load itself read these globals.

#include <memory>

#include "platform/db/Database.h"

namespace platform::workbench { class WorkbenchSession; }

namespace Globals {

extern std::unique_ptr<platform::db::Database> g_Database;
extern std::shared_ptr<platform::workbench::WorkbenchSession> g_Workbench;

}  // namespace Globals
