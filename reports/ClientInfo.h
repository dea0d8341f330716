#pragma once
// The client and application names that every report page prints. They
// live in the one-row table Settings of the workspace database.

#include <string>

namespace platform::db { class Database; }

namespace mdlReports {

// CLIENT of the first Settings row; "" when the table has no row or the value is null.
std::string GetClientName(platform::db::Database& db);
// Application of the first Settings row; "" likewise.
std::string GetApplicationName(platform::db::Database& db);
// Replaces every Settings row by one row holding the two names. Runs as one
// unit: when the insert fails the old row stays and the error is raised.
void SaveClientInfo(platform::db::Database& db, const std::string& client, const std::string& application);

}  // namespace mdlReports
