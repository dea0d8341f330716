#pragma once
// The folders of a report set, rebuilt from nothing before pages are written.

#include "common/WriteBoundary.h"
#include "reports/ReportPaths.h"

namespace common { class IProgress; }

namespace mdlReports {

// Makes <workspace folder>/Output when it is missing, and sets the earlier
// report root aside with everything in it (one rename, see
// AsideRemoval.h; its deletion is left to the caller's RemoveSetAside);
// then creates the root, copies the template images folder to
// <root>/images and creates the folders diagrams, inventory, client, server
// and special. Each step after the root's is ignored when it fails, so one
// locked file does not stop the rest. Returns whether the root was made
// anew, so the caller can stop before writing into nothing, or into an
// earlier tree that could not be set aside. All of it, the Output folder
// included, goes through output, OutputFolderBoundary(paths).
bool PrepareOutputTree(const common::WriteBoundary& output, const ReportPaths& paths);
// The same through a boundary of its own, for callers that write their
// pages through another (the analysis windows).
bool PrepareOutputTree(const ReportPaths& paths);

// PrepareOutputTree, and the earlier tree deleted before it returns (for
// callers without a window to keep responsive).
bool RebuildOutputTree(const ReportPaths& paths);

// Brings the report tree to the disk, so that its index may then say the
// set is complete: the file system is synced on a thread of its own while
// the window shows the wait, captioned kSyncingTree, its bar following the
// pages the system has yet to write. A cancel ends the wait at once, not
// the sync, which goes on by itself and only flushes: false then. Raises
// ReportError when the sync fails. The file system synced is the one the
// root written through output lies on.
bool SyncOutputTree(const common::WriteBoundary& output, const ReportPaths& paths, common::IProgress& progress);

inline constexpr const char* kSyncingTree = "Writing the reports to the disk";

}  // namespace mdlReports
