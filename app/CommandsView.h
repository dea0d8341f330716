#pragma once
// The View menu's own command: Parameters (its item stays hidden, as do
// Missing and Returns, which have no command). The pane items are the main
// window's.

namespace platform::ui {
class IMainWindow;
}

namespace app {

void InstallViewCommands(platform::ui::IMainWindow& w);

}  // namespace app
