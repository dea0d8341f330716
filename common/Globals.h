#pragma once
// Program-wide plain state of the open workspace. Set by the workspace load,
// cleared by the workspace close. The database and the workbench session of
// the open workspace are declared in platform/workbench/WorkspaceGlobals.h.

#include <filesystem>

#include "common/Collection.h"
#include "common/SqlText.h"
#include "common/WriteBoundary.h"

namespace Globals {

extern std::filesystem::path g_WorkspaceFolder;
// The open workspace's folder as this window's claim holds it: what a
// command writes in the workspace goes through it, never through
// g_WorkspaceFolder's path, and it refuses every write once that path
// leads elsewhere. Closed while no workspace is open for writing here.
extern common::WriteBoundary g_WorkspaceBoundary;
extern std::filesystem::path g_AppPath;
extern bool g_WorkspaceOpen;
// Whether the screen interaction plot draws stub screens.
extern bool g_StubScrn;
// Whether the CRUD comparison narrows the programs it considers.
extern bool g_Restrict;

}  // namespace Globals
