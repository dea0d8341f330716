#include "common/Globals.h"

namespace Globals {

std::filesystem::path g_WorkspaceFolder;
std::filesystem::path g_AppPath;
bool g_WorkspaceOpen = false;
bool g_StubScrn = false;
bool g_Restrict = false;

}  // namespace Globals
