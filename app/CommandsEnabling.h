#pragma once
// Which menu and toolbar commands are available, decided in one place. The
// workspace load and close report whether a workspace is open; each Tools
// command that runs another subsystem's service says whether that service is
// connected; a command with a single window of its own is held off while
// that window is open. Every change goes through IMainWindow, so a busy
// bracket that is open at the time restores the right state at its end.
// One QAction serves a menu item and its toolbar button, so the toolbar
// follows the menu.

#include <QString>

class QWidget;

namespace platform::ui {
class IMainWindow;
}

namespace app {

// The Tools commands that need a service of their own.
inline constexpr const char* kServiceCommands[] = {"mnuToolsScreenFlow", "mnuToolsCRUD", "mnuToolsCOMMAREA",
                                                   "mnuToolsValidation", "mnuToolsGenerateReports"};

// Called after every workspace load (open: whether a workspace is now open)
// and after a close. With a workspace open: the Tools menu, Refresh
// Workspace and Enter Client Information are available, and each Tools
// command whose service is connected and whose window does not hold it.
// Without one, all of these are unavailable, toolbar buttons included.
void EnableWorkspaceCommands(platform::ui::IMainWindow& w, bool open);
// What the last EnableWorkspaceCommands said (false before the first call).
bool WorkspaceCommandsEnabled(platform::ui::IMainWindow& w);

// Whether the service behind a Tools command is connected; applies at once.
void SetCommandBacked(platform::ui::IMainWindow& w, const QString& name, bool backed);

// Keeps a command unavailable while window is open. When the window closes,
// is hidden or goes, the command is available again as far as the workspace
// and its service allow. Holding again (the same or another window)
// replaces the earlier hold.
void HoldCommandWhileOpen(platform::ui::IMainWindow& w, const QString& name, QWidget* window);
bool IsCommandHeld(platform::ui::IMainWindow& w, const QString& name);

}  // namespace app
