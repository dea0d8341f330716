#pragma once
// The two values with which a workbench session opens a workspace's
// repository, derived from the workspace file path. Other routines of
// FileNameUtility live in common/FileNameUtility.h.

#include <string>
#include <utility>

namespace FileNameUtility {

// first: the workspace file's full path (the session reads the repository's
// location from it); second: the project key, the workspace's name (the file
// name up to its first ".hxp", letter case ignored).
std::pair<std::string, std::string> GetRepositoryValues(const std::string& workspaceFile);

}  // namespace FileNameUtility
