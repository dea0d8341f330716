#include "platform/ui/core/WindowSettingsStore.h"

#include <QCoreApplication>
#include <QSettings>
#include <QString>

#include "common/Globals.h"

namespace WindowSettings {

namespace {
QString ToQ(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// QSettings reads "/" as the group separator and would store a backslash
// inside a key name, so sub-sections are turned into groups.
std::string GroupPath(std::string s) {
    for (auto& c : s)
        if (c == '\\') c = '/';
    return s;
}
}  // namespace

std::string SettingKey(const std::string& appName, const std::string& section, const std::string& key) {
    std::string k = GroupPath(appName) + "/" + GroupPath(section) + "/" + GroupPath(key);
    // Empty parts would make "//", which QSettings folds away silently.
    std::string out;
    for (char c : k)
        if (!(c == '/' && !out.empty() && out.back() == '/')) out.push_back(c);
    while (!out.empty() && out.back() == '/') out.pop_back();
    if (!out.empty() && out.front() == '/') out.erase(0, 1);
    return out;
}

std::string GetSetting(const std::string& appName, const std::string& section, const std::string& key,
                       const std::string& def) {
    QSettings settings;
    const QVariant v = settings.value(ToQ(SettingKey(appName, section, key)));
    if (!v.isValid()) return def;
    return v.toString().toStdString();
}

void SaveSetting(const std::string& appName, const std::string& section, const std::string& key,
                 const std::string& value) {
    QSettings settings;
    settings.setValue(ToQ(SettingKey(appName, section, key)), ToQ(value));
    settings.sync();
}

std::filesystem::path GetInstallFolder() {
    const std::string stored = GetSetting("QuarvelAnalyzer", "Settings", "InstallFolder", "");
    if (!stored.empty()) return std::filesystem::path(stored);
    if (!Globals::g_AppPath.empty()) return Globals::g_AppPath;
    if (QCoreApplication::instance())
        return std::filesystem::path(QCoreApplication::applicationDirPath().toStdString());
    return std::filesystem::current_path();
}

}  // namespace WindowSettings
