#pragma once
// A program's code model as the COMMAREA and validation analyses open it: the program's
// repository entity, the entity its "Sid" names, that entity's model file
// ("Vornic") and the code model built from it. A program without a model is
// not an error; a model that is named but missing, empty or damaged is, and
// the analyses skip that one program and say why instead of ending the run.
// The model (and with it its database) is closed when the value goes.

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

class ProgramModel {
public:
    enum class State {
        Open,             // Model() is the program's code model
        NotInRepository,  // the repository has no entity of that id (a stub, a stale row)
        NoModel,          // the program names no model file (no "Sid" or no "Vornic")
        Broken,           // a model is named but cannot be used; Reason() says why
    };

    // Never raises for a problem of this one program's model; errors of the
    // repository as a whole (a closed session) still raise.
    static ProgramModel Open(const platform::workbench::EntityStore& store,
                             const platform::workbench::ModelLoader& loader, std::string_view programId);

    ProgramModel(ProgramModel&&) noexcept = default;
    ProgramModel& operator=(ProgramModel&&) noexcept;
    ~ProgramModel();

    State GetState() const { return m_state; }
    const std::string& Reason() const { return m_reason; }
    // Only in state Open.
    platform::workbench::CodeModel& Model() { return *m_model; }

private:
    ProgramModel() = default;
    void Close() noexcept;

    State m_state = State::NoModel;
    std::string m_reason;
    std::optional<platform::workbench::CodeModel> m_model;
};

// Opens the program's model and hands it to read; the model is closed again
// before this returns. What comes back is why the program is skipped, if it
// is: a model that is named but cannot be used, or one that read raised
// WorkbenchError or DbError for. A program without a model is neither read
// nor skipped.
std::optional<std::string> ReadProgramModel(const platform::workbench::EntityStore& store,
                                            const platform::workbench::ModelLoader& loader, std::string_view programId,
                                            const std::function<void(platform::workbench::CodeModel&)>& read);

// Whether any program of the workspace (stubs aside) names a code model,
// usable or not; without one the analyses have nothing to list.
bool AnyProgramHasCodeModel(platform::db::Database& db, const platform::workbench::EntityStore& store);

// The Log pane's line for a program that was skipped.
std::string SkippedProgramLine(const std::string& name, const std::string& id, const std::string& reason);

}  // namespace mdlReports
