#pragma once
// The COMMAREA and validation analyses' commands of the main window: Tools > COMMAREA Size
// and Tools > Validation Rules (with their toolbar buttons) run in a new
// issues window, and the node command "View &Validations Details" opens a
// program's validation details.

namespace platform::ui {
class IMainWindow;
}

namespace app {

void InstallAnalysisCommands(platform::ui::IMainWindow& w);

}  // namespace app
