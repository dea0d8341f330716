#pragma once
// The workspace database: one SQLite file per workspace, made by copying the
// template shipped beside the executable and then filled by the import.

#include <filesystem>
#include <memory>
#include <string>

#include "common/WriteBoundary.h"
#include "platform/db/Database.h"
#include "platform/workbench/WorkspaceGlobals.h"

namespace workspace {

inline constexpr const char* kDatabaseFileName = "QuarvelAnalyzer.mdb";
// The StatusType of the row that keeps the last build's warning.
inline constexpr const char* kStatusErrorMessage = "ErrorMessage";

// <workspace folder>/QuarvelAnalyzer.mdb
std::filesystem::path DatabasePath(const std::filesystem::path& workspaceFolder);
// <application folder>/QuarvelAnalyzer.mdb
std::filesystem::path TemplatePath(const std::filesystem::path& appPath);
bool DatabaseExists(const std::filesystem::path& workspaceFolder);

// Whether the workspace's database cannot be written where it lies: the
// file or the folder (where SQLite writes its journal) refuses writing, or
// has no write permission bit at all (which only an administrator would
// write through).
bool DatabaseIsReadOnly(const std::filesystem::path& workspaceFolder);
// Why, when DatabaseIsReadOnly: the folder is named when it cannot be
// written, else the database file. Empty when the database can be written.
Globals::ViewOnlyReason ReadOnlyReason(const std::filesystem::path& workspaceFolder);

// Opens the workspace's existing database unchanged: for writing through
// workspace, the workspace folder as the window's claim holds it
// (Database::OpenIn: its journal stays in that folder, and its commits
// stop once the folder was moved or replaced); for viewing only
// (viewOnly) as a copy in memory (Database::IsMemoryCopy), of which nothing
// is saved. Raises DbError for a missing, unreadable or damaged file, for a
// database that is a link leading out of the workspace folder (never
// followed), and, for viewing, for a database that a writer left in the
// middle of a change: that needs one opening with write access (the
// message says to open it again when this process could write it).
std::unique_ptr<platform::db::Database> OpenWorkspaceDatabase(const common::WriteBoundary& workspace, bool viewOnly);
// The same through the folder by its path, for callers without a window.
std::unique_ptr<platform::db::Database> OpenWorkspaceDatabase(const std::filesystem::path& workspaceFolder,
                                                              bool viewOnly);
// For viewing only when DatabaseIsReadOnly.
std::unique_ptr<platform::db::Database> OpenWorkspaceDatabase(const std::filesystem::path& workspaceFolder);

// Copies the template over the workspace's database and opens the copy,
// every file made, renamed and removed in the folder workspace holds.
// The copy is written to a new temporary file in the workspace folder
// (created by this copy: a link planted at its name is not followed), marked
// incomplete there (IncompleteLoadMessage) and only then renamed into place,
// so a build stopped at any moment (a kill, a full disk) never leaves a
// database that reopens as complete; journal, WAL and shared-memory files
// left by the old database are removed first, so none of them can be
// replayed into the new file. Temporary copies that a killed build left are
// removed. The caller closes any connection to the old database before.
// Raises DbError when the template is missing or not a workspace template,
// when the copy cannot be made or marked, or when workspace refuses writes
// (its folder moved or replaced); the old database is then left as it was.
std::unique_ptr<platform::db::Database> CreateWorkspaceDatabase(const std::filesystem::path& appPath,
                                                                const common::WriteBoundary& workspace);
// The same in the folder by its path, made when missing, for callers
// without a window.
std::unique_ptr<platform::db::Database> CreateWorkspaceDatabase(const std::filesystem::path& appPath,
                                                                const std::filesystem::path& workspaceFolder);

// Deletes the workspace's database and its journal files (the refresh) in
// the folder workspace holds. False when the database file could not be
// deleted (or workspace refuses writes); a missing file is no failure.
bool DeleteWorkspaceDatabase(const common::WriteBoundary& workspace);
bool DeleteWorkspaceDatabase(const std::filesystem::path& workspaceFolder);

// The warning of a build that did not complete (resource 510).
std::string IncompleteLoadMessage();

// The warning of the last build kept in Status ("ErrorMessage"): empty when
// the stored value is "none" (any case). A database without that row, or
// whose Status cannot be read, did not come from a completed build: it gives
// IncompleteLoadMessage.
std::string ReadLoadMessage(platform::db::Database& db);
// Stores the warning, or "none" for an empty one.
void WriteLoadMessage(platform::db::Database& db, const std::string& message);

// The steps of a build at which a crash test stops a child process: the
// hook, when set, is called with the step's name as the build reaches it.
inline constexpr const char* kStepTemplateCopied = "template-copied";   // before the copy is marked
inline constexpr const char* kStepCopyMarked = "copy-marked";           // marked, before the rename
inline constexpr const char* kStepCopyRenamed = "copy-renamed";         // the copy is the database now
inline constexpr const char* kStepStatusWrite = "status-write";         // WriteLoadMessage, before it writes
inline constexpr const char* kStepDatabaseDeleted = "database-deleted"; // DeleteWorkspaceDatabase, once deleted
using BuildStepHook = void (*)(const char* step);
void SetBuildStepHook(BuildStepHook hook);

}  // namespace workspace
