#pragma once
// The repository file: an SQLite database with entity types, entities,
// their attributes, relation types with their two role names, and relations
// indexed from both ends. docs/REPOSITORY_FORMAT.md describes it in full.

#include <filesystem>
#include <memory>

#include "platform/db/Database.h"

namespace platform::workbench {

// Written to RepositoryInfo.FormatVersion; a file without it is not a repository.
constexpr int kRepositoryFormatVersion = 1;

// The tables and indexes of an empty repository.
extern const char* const kRepositorySchemaSql;

// Opens an existing repository; raises WorkbenchError naming the file when
// it is missing, not a database, or not a repository of this format.
std::unique_ptr<db::Database> OpenRepositoryFile(const std::filesystem::path& file);

}  // namespace platform::workbench
