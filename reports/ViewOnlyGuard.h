#pragma once
// The routines that write a workspace (its tables, the comparison file, the
// report tree) refuse by themselves, whoever calls them, not only through
// the window's commands: a window that only views the workspace holds no
// claim on it, so the boundary it would write through refuses (another
// window holds the workspace, or its folder cannot be written), and its
// database is a copy in memory; a window whose workspace folder was moved
// or replaced since its claim writes nothing more either.

#include <string>

namespace common { class WriteBoundary; }
namespace platform::db { class Database; }

namespace mdlReports {

// Raises ReportError, "<command> was refused: ...", before anything is
// touched, when nothing may be written through workspace (the boundary the
// routine writes the workspace through: WriteBoundary::Refusal) or db is a
// copy in memory (Database::IsMemoryCopy).
void RefuseUnlessWritable(const platform::db::Database& db, const common::WriteBoundary& workspace,
                          const std::string& command);

}  // namespace mdlReports
