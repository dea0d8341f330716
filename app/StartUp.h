#pragma once
// Start-up: the splash window for two seconds, then the main window.

class frmMain;

namespace Globals {
// Shows the splash; when it closes (its timer, or the user earlier) the main
// window loads and shows.
void Main();
}  // namespace Globals

namespace app {
// Creates the main window with its commands connected and shows it; the
// window deletes itself when closed.
frmMain* ShowMainWindow();
}  // namespace app
