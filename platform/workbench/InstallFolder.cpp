#include "platform/workbench/InstallFolder.h"

namespace WindowSettings {

std::filesystem::path GetInstallFolder() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && exe.has_parent_path()) return exe.parent_path();
    return std::filesystem::current_path();
}

}  // namespace WindowSettings
