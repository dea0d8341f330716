#pragma once
// Shared by the crash tests and their child process (child/CrashChild.cpp).

#include <filesystem>
#include <string>
#include <vector>

#include "platform/db/Database.h"

namespace crashtest {

// The exit code of a child that stopped itself at the chosen step.
constexpr int kStopped = 77;
// The line a child writes where it holds.
constexpr const char* kHeld = "held";

// Writes a workspace of the given number of programs (each with an entry,
// a call, a table and a screen) with its repository; the same arguments
// always give the same repository.
void MakeWorkspace(const std::filesystem::path& workspaceFile, int programs);

// What a build put into the database, in an order that does not depend on
// how the rows were written: Ents with their classification, then Rels.
std::vector<std::string> BuildContent(platform::db::Database& db);

// The temporary copies a build left in the workspace folder.
std::vector<std::string> LeftoverCopies(const std::filesystem::path& workspaceFolder);

}  // namespace crashtest
