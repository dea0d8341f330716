#pragma once
// The folders of a report set, rebuilt from nothing before pages are written.

#include "reports/ReportPaths.h"

namespace mdlReports {

// Makes <workspace folder>/Output when it is missing, otherwise deletes the
// report root with everything in it (read-only files and folders too; a
// link inside is removed, never followed); then creates the root, copies
// the template images folder to <root>/images and creates the folders
// diagrams, inventory, client, server and special. Each step's failure is
// ignored on its own, so one locked file does not stop the rest. Returns
// whether the report root exists afterwards, so the caller can stop before
// writing into nothing.
bool RebuildOutputTree(const ReportPaths& paths);

}  // namespace mdlReports
