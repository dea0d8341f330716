#pragma once
// Deleting a report tree without making anyone wait for the disk: the tree
// is first renamed out of the way inside the Output folder (one rename, so
// its index goes with it and nothing is ever seen half-deleted under the
// report root), and one thread of the process then deletes what was set
// aside. A folder set aside by a process that died is known by its name
// and removed by the next sweep. Every rename and deletion goes through the
// Output folder's boundary (common::WriteBoundary): no link is followed.

#include <filesystem>
#include <string>

#include "common/WriteBoundary.h"
#include "reports/ReportPaths.h"

namespace common {
class IProgress;
}

namespace mdlReports {

// The start of the name of a folder set aside: "<root name>.removing-".
std::string AsidePrefix(const ReportPaths& paths);

// Renames folder (the report root or a folder of it) to a fresh name with
// AsidePrefix in the Output folder, output's; a missing folder needs
// nothing. When no rename is possible it is deleted in place, here.
// Returns whether folder is gone.
bool SetAside(const common::WriteBoundary& output, const ReportPaths& paths, const std::filesystem::path& folder);

// Hands every folder set aside in the Output folder, this process's and
// those of processes that died, to the removing thread, which deletes it
// through the Output folder held open.
void RemoveSetAside(const common::WriteBoundary& output, const ReportPaths& paths);
// The same through a boundary of its own, for callers that write nothing.
void RemoveSetAside(const ReportPaths& paths);

// SetAside, then RemoveSetAside.
void Discard(const common::WriteBoundary& output, const ReportPaths& paths, const std::filesystem::path& folder);

// Waits until the removing thread has nothing left, under a progress level
// of its own when there is anything to wait for, captioned
// kRemovingEarlierReports, so the window repaints and Cancel can be pressed;
// the bar follows the files and folders deleted. A cancel (also one made
// before the call) stops the wait, not the removal: false then, and the
// rest goes on in the background.
bool WaitForRemovals(common::IProgress& progress);
inline constexpr const char* kRemovingEarlierReports = "Removing the earlier reports";

// Named points for the crash tests: called on the removing thread after
// each file or folder it deleted, and by SetAside before it moves anything.
inline constexpr const char* kStepRemoving = "removing";
inline constexpr const char* kStepSettingAside = "setting-aside";
using ReportStepHook = void (*)(const char* step);
void SetReportStepHook(ReportStepHook hook);

}  // namespace mdlReports
