#pragma once
// Where the workbench is installed; the session's Bin folder is below it.

#include <filesystem>

namespace WindowSettings {

// The folder that holds the running executable (the application folder):
// the tool ships the workbench's Bin and Data folders beside itself.
std::filesystem::path GetInstallFolder();

}  // namespace WindowSettings
