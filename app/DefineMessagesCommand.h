#pragma once
// "Define &Messages" of the Web Operations tree's node menu.

#include <string>
#include <vector>

namespace platform::ui {
class IMainWindow;
}
namespace services::ui {
class frmMessages;
}

namespace app {

// Opens the message editor over the main window for the open workspace.
// itemTag: the menu item's Tag as the operations menu left it (nature code
// "1" or "2", NUL, the operation's SerialID); operationTags: the Tags of
// every node of trWebOperations, in node order, from which the editor's
// program list is made. Returns the editor, or nullptr when none opened (no
// workspace, no such entity, or message 512 shown through the main window).
services::ui::frmMessages* ShowDefineMessages(platform::ui::IMainWindow& main, const std::string& itemTag,
                                              const std::vector<std::string>& operationTags);

}  // namespace app
