#pragma once
// Program-wide values of the Parameters and Options dialogs. They live in
// memory for the current run only. g_StubScrn and g_Restrict, which other
// subsystems read, are in common/Globals.h.

#include <string>
#include <vector>

namespace Globals {

// Parameters dialog: the chosen source folder and two lists of names.
extern std::string g_SourceDirectory;
extern std::vector<std::string> g_CutList;   // cutting points
extern std::vector<std::string> g_LibList;   // Natural libraries

// Options dialog flags without readers of their own yet.
extern bool g_Validations;   // find screen field validations (False at start)
extern bool g_Uses;          // find the number of usages (False)
extern bool g_Commarea;      // find communication area lengths (False)
extern bool g_Downstream;    // include downstream CRUD data (True)
extern bool g_Compare;       // cross-compare immediate with subtree CRUD (True)

// What the main window's load sets: empty name lists, g_Restrict False,
// g_Downstream and g_Compare True.
void InitShellOptions();

}  // namespace Globals

namespace dialogs {

// Whether a name may join a list: not blank (after trimming) and not there
// already (names compare exactly). The name as it would be stored is the
// trimmed text.
std::string TrimName(const std::string& text);
bool CanAddName(const std::vector<std::string>& names, const std::string& text);

}  // namespace dialogs
