#pragma once
// Per-user settings: the text settings of platform/ui/core plus the saved
// position, size and state of windows.

#include <string>

#include "platform/ui/core/WindowSettingsStore.h"

class QWidget;

namespace WindowSettings {

// Gives the window the placement saved under (appKey, section), if any; a
// placement that would put the window off every screen is not used.
void RestorePlacement(QWidget* window, const std::string& appKey, const std::string& section);
// Saves the window's placement under (appKey, section).
void SavePlacement(QWidget* window, const std::string& appKey, const std::string& section);

}  // namespace WindowSettings
