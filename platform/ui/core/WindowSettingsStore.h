#pragma once
// Per-user text settings kept with QSettings (organisation and application
// "QuarvelAnalyzer"). Window placements are in platform/ui/WindowSettings.h.

#include <filesystem>
#include <string>

namespace WindowSettings {

// The text stored under (appName, section, key), or def when there is none.
// A section may name sub-sections with backslashes ("Settings\DefineMessages").
std::string GetSetting(const std::string& appName, const std::string& section, const std::string& key,
                       const std::string& def);
// Stores value so that GetSetting with the same three names returns it, also
// in a later run.
void SaveSetting(const std::string& appName, const std::string& section, const std::string& key,
                 const std::string& value);

// The folder of the workbench installation: the text stored under
// ("QuarvelAnalyzer", "Settings", "InstallFolder") when set, otherwise the
// application folder.
std::filesystem::path GetInstallFolder();

// The QSettings key for (appName, section, key): sections joined with "/".
std::string SettingKey(const std::string& appName, const std::string& section, const std::string& key);

}  // namespace WindowSettings
