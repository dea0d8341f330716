#pragma once
// The node commands of the use-case wizard and the stored processes: "Start
// Web Operation &Here" (its item is never shown) and "Show D&iagram" on a
// process or element node of the Web Operations tree.

namespace platform::ui {
class IMainWindow;
}

namespace app {

// A new use-case wizard on the entity of the "&Description" item's Tag.
void mnuNCScrnWebSvc_Click(platform::ui::IMainWindow& w);
// A new process diagram for the id of the item's Tag.
void mnuNCProcDiagram_Click(platform::ui::IMainWindow& w);

void InstallWizardCommands(platform::ui::IMainWindow& w);

}  // namespace app
