#include "platform/workbench/RepositoryValues.h"

#include <filesystem>

#include "platform/workbench/WorkspaceFile.h"

namespace FileNameUtility {

std::pair<std::string, std::string> GetRepositoryValues(const std::string& workspaceFile) {
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(workspaceFile, ec);
    if (ec) full = workspaceFile;
    std::filesystem::path folder = platform::workbench::WorkspaceFolderOf(full);
    return {full.string(), folder.filename().string()};
}

}  // namespace FileNameUtility
