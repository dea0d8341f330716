#pragma once
// Tools > Screen Interaction Plot and the toolbar button "Screens": the plot
// window of views/ui, with the command held from the moment it is chosen
// until the window is hidden or unloaded.

namespace platform::ui {
class IMainWindow;
}

namespace app {

// Opens the plot owned by the main window, or brings it back as drawn.
void OpenScreenFlow(platform::ui::IMainWindow& w);

void InstallScreenFlowCommands(platform::ui::IMainWindow& w);

}  // namespace app

namespace Globals {

// OpenScreenFlow on the program's main window; nothing without one.
void ShowScreenFlow();

}  // namespace Globals
