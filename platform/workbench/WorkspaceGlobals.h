#pragma once
// The platform objects of the open workspace: its database and its
// workbench session. Only the workspace load (session/) opens and releases
// them; they are declared down here so that the window code of every
// subsystem can read them without depending on the load. Core routines take
// both as parameters and never read these globals.

#include <memory>

#include "platform/db/Database.h"

namespace platform::workbench { class WorkbenchSession; }

namespace Globals {

extern std::unique_ptr<platform::db::Database> g_Database;
extern std::shared_ptr<platform::workbench::WorkbenchSession> g_Workbench;

}  // namespace Globals
