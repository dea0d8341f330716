#pragma once
// Start-up: the splash window for two seconds, then the main window.

class frmMain;

namespace Globals {
// Shows the splash; when it closes (its timer, or the user earlier) the main
// window loads and shows.
void Main();
}  // namespace Globals

namespace app {
// Has every thread merge the memory it frees at once. By default the
// allocator defers merging small freed blocks until a larger request of
// whichever thread next uses their arena: for the window's thread, which
// built most of what the report run's workers free, that meant tenths of a
// second of merging inside a repaint. Called first thing in the process.
void MergeFreedMemoryAtOnce();

// Creates the main window with its commands connected and shows it; the
// window deletes itself when closed.
frmMain* ShowMainWindow();
}  // namespace app
