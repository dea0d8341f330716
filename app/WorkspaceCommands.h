#pragma once
// File > Open Workspace, File > Refresh Workspace and the workspace close on
// the window side: the questions and the file dialog, the busy bracket
// around the load, and what the window shows afterwards (caption, the
// three trees, the Log pane, the commands that need a workspace). The load
// itself is session/WorkspaceLoad.

#include <QString>

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "session/WorkspaceLoad.h"

class QWidget;

namespace platform::ui {
class IMainWindow;
}

namespace app {

// Picks the workspace file to open; nothing when the analyst cancels.
using WorkspaceFileChooser = std::function<std::optional<std::filesystem::path>(QWidget* owner)>;
// Replaces the Open Workspace dialog (tests, scripted runs); an empty
// chooser brings the dialog back.
void SetWorkspaceFileChooser(WorkspaceFileChooser chooser);
// The Open Workspace dialog: title "Open Workspace", the workspace filter,
// an existing file only.
std::optional<std::filesystem::path> ChooseWorkspaceFileInDialog(QWidget* owner);

// What ends the program after a session set-up error has been shown; by
// default the main window closes and the event loop ends. Replaceable for
// tests; an empty function brings the default back.
void SetProgramEnd(std::function<void(platform::ui::IMainWindow&)> end);

// The windows open besides the main window: every shown window, and hidden
// ones that carry a Tag (the keyed entity windows and single tool windows).
std::vector<QWidget*> OtherWindows(platform::ui::IMainWindow& w);
// Closes and deletes them.
void UnloadWindows(const std::vector<QWidget*>& windows);

// File > Open Workspace: asks before closing other windows, shows the
// dialog, then opens the chosen file.
void mnuFileOpenWorkspace_Click(platform::ui::IMainWindow& w);
// The open once the file is chosen, inside the busy bracket.
void OpenWorkspaceFile(platform::ui::IMainWindow& w, const std::filesystem::path& file);
// File > Refresh Workspace: asks (513, titled 1007); on Yes closes the other
// windows and rebuilds the workspace database from the repository.
void mnuFileRefreshWorkspace_Click(platform::ui::IMainWindow& w);
// Releases the workspace and empties the window: the trees, the
// screen-flow window, the caption and the commands that need a workspace.
// Run when the main window closes.
void CloseWorkspace(platform::ui::IMainWindow& w);

// Shows the outcome of a load on the window; the trees take the view's tree
// models over. The caption ends in " (view only)" while the workspace is
// open for viewing only.
void ApplyWorkspaceView(platform::ui::IMainWindow& w, session::WorkspaceView view);

// Connects Open Workspace, Refresh Workspace and the close, and makes Open
// Workspace available.
void InstallWorkspaceCommands(platform::ui::IMainWindow& w);

}  // namespace app
