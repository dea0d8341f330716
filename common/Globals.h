#pragma once
// Program-wide plain state of the open workspace. Set by the workspace load,
// cleared by the workspace close. The database and the workbench session of
// the open workspace are declared in platform/workbench/WorkspaceGlobals.h.

#include <filesystem>

#include "common/Collection.h"
#include "common/SqlText.h"

namespace Globals {

extern std::filesystem::path g_WorkspaceFolder;
extern std::filesystem::path g_AppPath;
extern bool g_WorkspaceOpen;
// Whether the screen interaction plot draws stub screens.
extern bool g_StubScrn;
// Whether the CRUD comparison narrows the programs it considers.
extern bool g_Restrict;

}  // namespace Globals
