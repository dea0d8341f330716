#pragma once
// What the message editor reads besides its own settings: the workspace
// database, the repository name of a program and a program's code model.
// The open workspace gives all three; tests give their own.

#include <functional>
#include <string>

#include "platform/db/Database.h"
#include "services/MessageEditorSession.h"

namespace services::ui {

struct MessageEditorSources {
    platform::db::Database* db = nullptr;
    // The repository's "Name" of the program with that Ents ID; raises for a
    // program the repository does not know.
    std::function<std::string(const std::string& programId)> programName;
    // The program's code model; raises when it cannot be built.
    services::CodeModelOpener openModel;
};

// The open workspace's database and workbench session (Globals::g_Database,
// Globals::g_Workbench); every field empty when no workspace is open.
MessageEditorSources WorkspaceSources();

}  // namespace services::ui
