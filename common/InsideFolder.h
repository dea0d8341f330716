#pragma once
// The one test of whether a path stays inside a folder once links are
// resolved: reads of the workspace folder's files ask it. Writes below a
// folder never follow a link at all (common/WriteBoundary.h).

#include <filesystem>

namespace common {

// Whether file lies inside folder once both are resolved: every symbolic
// link and ".." followed (weakly_canonical), so a link that leads out of the
// folder is outside it however its name reads. The folder itself is not
// inside.
bool InsideFolder(const std::filesystem::path& folder, const std::filesystem::path& file);

// The same for a folder resolved already (weakly_canonical), for callers
// that ask about many files of one folder.
bool InsideResolvedFolder(const std::filesystem::path& resolvedFolder, const std::filesystem::path& file);

}  // namespace common
