#pragma once
// The folders of a report set, rebuilt from nothing before pages are written.

#include "reports/ReportPaths.h"

namespace mdlReports {

// Makes <workspace folder>/Output when it is missing, otherwise sets the
// earlier report root aside with everything in it (one rename, see
// AsideRemoval.h; its deletion is left to the caller's RemoveSetAside);
// then creates the root, copies the template images folder to
// <root>/images and creates the folders diagrams, inventory, client, server
// and special. Each step after the root's is ignored when it fails, so one
// locked file does not stop the rest. Returns whether the root was made
// anew, so the caller can stop before writing into nothing, or into an
// earlier tree that could not be set aside.
bool PrepareOutputTree(const ReportPaths& paths);

// PrepareOutputTree, and the earlier tree deleted before it returns (for
// callers without a window to keep responsive).
bool RebuildOutputTree(const ReportPaths& paths);

}  // namespace mdlReports
