#pragma once
// The node context menu mnuProgContext on the window side. One node-menu
// model (services::NodeMenu) serves the three trees: a preparation resets
// and fills it, ApplyNodeMenu copies it onto the menu's actions (visibility,
// availability and the Qt property "Tag"), and a command reads its
// argument back with NodeMenuTag. A view item (flow context, source, CRUD
// signature, process diagram, validation details, screen-path wizard) stays
// hidden whatever a preparation offers until its subsystem connects a
// command to it with SetNodeCommand.
//
// The Summary tree's menu comes up on a right click and on Shift+F10; any
// mouse button prepares it (and so sets the Tags the commands read), only
// the right one shows it.

#include <QPoint>

#include <functional>
#include <string>

#include "services/NodeMenu.h"

class QTreeWidgetItem;

namespace platform::ui {
class IMainWindow;
}

namespace app {

// The model shared by the three trees' menus of this main window.
services::NodeMenu& SharedNodeMenu(platform::ui::IMainWindow& w);

// Runs handler when the item is chosen; a view item waiting for its window
// shows from now on. Errors a handler raises are reported in a message box.
// An item whose command changes the workspace (web services, operations,
// messages, a process's criteria) is refused while the workspace is open
// for viewing only (Globals::RefuseWhileViewOnly).
void SetNodeCommand(platform::ui::IMainWindow& w, services::NodeMenuItem item, std::function<void()> handler);
bool HasNodeCommand(platform::ui::IMainWindow& w, services::NodeMenuItem item);
// For an item whose command changes the workspace, while it is open for
// viewing only: says so and returns true. Keys and drops that run such a
// command without the menu ask this too.
bool RefuseWhileViewOnly(platform::ui::IMainWindow& w, services::NodeMenuItem item);

// Copies the shared model onto mnuProgContext's actions. Availability goes
// through the busy bracket's rules (IMainWindow::SetControlEnabled).
void ApplyNodeMenu(platform::ui::IMainWindow& w);
// The Tag an item carries now (as the last preparation left it).
std::string NodeMenuTag(platform::ui::IMainWindow& w, services::NodeMenuItem item);
// Shows mnuProgContext at a screen position, unless it has nothing to show.
// Returns whether it is showing.
bool PopUpNodeMenu(platform::ui::IMainWindow& w, const QPoint& globalPos);

// The Summary tree's menu for a node (none: nullptr) and a button mask
// (1 left, 2 right, 4 middle): prepares the shared model, applies it and
// pops it up at globalPos for the right button. Returns whether it popped up.
bool ShowSummaryNodeMenu(platform::ui::IMainWindow& w, QTreeWidgetItem* node, int button, const QPoint& globalPos);

// The view commands of this window: "&Description" opens the entity's
// description editor or brings its open one back; "&Refocus" scrolls the
// Summary node of its Tag into view. ("D&elete Node" belongs to the web
// service commands, app/WebServiceCommands.h.)
void mnuNCDescription_Click(platform::ui::IMainWindow& w);
void mnuNCRefocus_Click(platform::ui::IMainWindow& w);

// Connects the view commands and the Summary tree's mouse and key events.
void InstallNodeMenuCommands(platform::ui::IMainWindow& w);

}  // namespace app
