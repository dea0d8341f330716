#include "common/Globals.h"

namespace Globals {

std::filesystem::path g_WorkspaceFolder;
common::WriteBoundary g_WorkspaceBoundary = common::WriteBoundary::Closed({}, "no workspace is open");
std::filesystem::path g_AppPath;
bool g_WorkspaceOpen = false;
bool g_StubScrn = false;
bool g_Restrict = false;

}  // namespace Globals
