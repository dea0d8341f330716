#include "platform/workbench/WorkspaceGlobals.h"

#include "platform/workbench/WorkbenchSession.h"

namespace Globals {

std::unique_ptr<platform::db::Database> g_Database;
std::shared_ptr<platform::workbench::WorkbenchSession> g_Workbench;

}  // namespace Globals
