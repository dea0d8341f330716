#pragma once
// The CRUD commands of the main window: Tools > CRUD Overlap with its
// toolbar button (the analysis, then the overlap window) and the node
// command "&CRUD Signature" of the Summary tree's programs.

#include "app/CommandsTools.h"

namespace platform::ui {
class IMainWindow;
}

namespace app {

// frmMain.GetCRUDReport: reruns the CRUD overlap analysis on the open
// workspace under the window's progress; how it ended.
CrudOutcome GetCRUDReport(platform::ui::IMainWindow& w);

void InstallCrudCommands(platform::ui::IMainWindow& w);

}  // namespace app
