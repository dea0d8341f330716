#pragma once
// Per-user settings: the text settings of platform/ui/core plus the saved
// position, size and state of windows, and where a window opens.

#include <QPoint>
#include <QRect>

#include <string>
#include <vector>

#include "platform/ui/core/WindowSettingsStore.h"

class QWidget;

namespace WindowSettings {

// Gives the window the placement saved under (appKey, section), if any; a
// placement that would put the window off every screen is not used. When the
// window is first shown it is placed as PlaceWhenShown says, the restored
// placement standing for a position of its own.
void RestorePlacement(QWidget* window, const std::string& appKey, const std::string& section);
// Saves the window's placement under (appKey, section).
void SavePlacement(QWidget* window, const std::string& appKey, const std::string& section);

// Where a window opens, applied once, when it is first shown: a window
// that was given no position (none restored, none set by its opener) is
// centred on its owner (its parent's window, else the main window; the
// screen for the main window itself); every window is then kept on the
// available area of its screen (moved, and shrunk when larger than the
// area); and a window that would open exactly over another open window of
// its own kind is cascaded. Windows that keep no placement call this
// themselves; RestorePlacement calls it for the others. Calling it again
// before the window shows changes nothing; a window already shown is placed
// at once.
void PlaceWhenShown(QWidget* window);

// The geometry rules, on frame rectangles in screen coordinates.
// The frame moved into area, and shrunk to it first when larger.
QRect KeptInside(QRect frame, const QRect& area);
// A frame of the given size centred on owner, kept inside area.
QRect CentredOn(const QSize& size, const QRect& owner, const QRect& area);
// The frame moved down and right by step while its top-left corner is one
// of taken; when a step would take it out of area it starts again at the
// area's top-left corner (and goes on from there), so it always ends inside.
QRect Cascaded(QRect frame, const std::vector<QPoint>& taken, const QRect& area, int step);

}  // namespace WindowSettings
