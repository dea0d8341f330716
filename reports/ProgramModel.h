#pragma once
// A program's code model as the COMMAREA and validation analyses open it: the program's
// repository entity, the entity its "Sid" names, that entity's model file
// ("Vornic") and the code model built from it. A program without a model is
// not an error; a model that is named but missing, empty or damaged is, and
// the analyses skip that one program and say why instead of ending the run.
//
// Finding the model and reading it are two steps: the repository is one
// connection with statements it reuses, so it is asked only on the thread
// that owns it, while a model is a database file of its own that any thread
// may open and read.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/workbench/CodeModel.h"
#include "platform/workbench/EntityStore.h"

namespace platform::db {
class Database;
}

namespace mdlReports {

// Where the repository says a program's model is.
struct ModelLocation {
    enum class State {
        Named,            // carrier names a model file, vornic; it is not looked at yet
        NotInRepository,  // the repository has no entity of that id (a stub, a stale row)
        NoModel,          // the program names no model file (no "Sid" or no "Vornic")
        Broken,           // the "Sid" leads nowhere; reason says so
    };
    State state = State::NoModel;
    std::string reason;
    std::string carrier;  // the key of the entity that carries the model
    std::string vornic;

    // Whether the program names a code model, usable or not.
    bool NamesModel() const { return state == State::Named || state == State::Broken; }
};

// Reads the repository: the thread that owns it only. Errors of the
// repository as a whole (a closed session) raise.
ModelLocation LocateProgramModel(const platform::workbench::EntityStore& store, std::string_view programId);

// Opens the located model and hands it to read, inside one read transaction
// (read opens none of its own); the model is closed again before this
// returns. What comes back is why the program is skipped, if it
// is: a model that is named but missing, outside the workspace folder or
// unusable, or one that read raised WorkbenchError or DbError for. A program
// without a model is neither read nor skipped. Touches no repository, so a
// worker thread may run it.
std::optional<std::string> ReadProgramModel(const ModelLocation& where, const platform::workbench::EntityStore& store,
                                            const std::filesystem::path& workspaceFolder,
                                            const std::function<void(platform::workbench::CodeModel&)>& read);

// Whether any program of the workspace (stubs aside) names a code model,
// usable or not; without one the analyses have nothing to list.
bool AnyProgramHasCodeModel(platform::db::Database& db, const platform::workbench::EntityStore& store);

// The Log pane's line for a program that was skipped.
std::string SkippedProgramLine(const std::string& name, const std::string& id, const std::string& reason);

}  // namespace mdlReports
