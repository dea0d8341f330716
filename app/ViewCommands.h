#pragma once
// The node commands that open an entity's views: "View &Flow Context" and
// "View &Source". Connecting them makes the Summary tree's and the web
// trees' menus offer them.

namespace platform::ui {
class IMainWindow;
}

namespace app {

// "View &Flow Context": the flow context window of the node's program,
// owned by the main window.
void mnuNCFlowContext_Click(platform::ui::IMainWindow& w);
// "View &Source": the source viewer for the node's entity.
void mnuNCViewSource_Click(platform::ui::IMainWindow& w);

void InstallEntityViewCommands(platform::ui::IMainWindow& w);

}  // namespace app
