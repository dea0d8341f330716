#include "common/Globals.h"

namespace Globals {

std::unique_ptr<platform::db::Database> g_Database;
std::shared_ptr<platform::workbench::WorkbenchSession> g_Workbench;
std::filesystem::path g_WorkspaceFolder;
std::filesystem::path g_AppPath;
bool g_WorkspaceOpen = false;
bool g_StubScrn = false;
bool g_Restrict = false;

}  // namespace Globals
