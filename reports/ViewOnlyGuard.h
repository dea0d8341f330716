#pragma once
// The routines that write a workspace (its tables, the comparison file, the
// report tree) refuse a database copied into memory: that is how a
// workspace open for viewing only is read, while another window holds it
// or its folder cannot be written, and what would be written beside the
// copy belongs to that other window. They refuse whoever calls them, not
// only through the window's commands.

#include <string>

namespace platform::db { class Database; }

namespace mdlReports {

// Raises ReportError, "<command> was refused: ...", for a database that is a
// copy in memory (Database::IsMemoryCopy).
void RefuseViewOnlyDatabase(const platform::db::Database& db, const std::string& command);

}  // namespace mdlReports
