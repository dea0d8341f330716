#include "reports/ProgramModel.h"

#include <filesystem>
#include <system_error>

#include "platform/db/Database.h"
#include "platform/workbench/WorkbenchError.h"

namespace mdlReports {

namespace fs = std::filesystem;
namespace wb = platform::workbench;

namespace {

// The entity that carries a program's model, found as the workbench names
// it: the program's "Sid" leads to an entity with a "Vornic". state is Open
// when one is named (the model itself is not looked at).
struct ModelCarrier {
    ProgramModel::State state = ProgramModel::State::NoModel;
    std::string reason;
    wb::RepositoryEntity entity;
};

ModelCarrier FindCarrier(const wb::EntityStore& store, std::string_view programId) {
    ModelCarrier out;
    wb::RepositoryEntity program;
    try {
        program = store.Item(programId);
    } catch (const wb::WorkbenchError&) {
        out.state = ProgramModel::State::NotInRepository;
        return out;
    }
    const std::string sid = program.GetAttribute("Sid");
    if (sid.empty()) return out;
    try {
        out.entity = store.Item(sid);
    } catch (const wb::WorkbenchError&) {
        out.state = ProgramModel::State::Broken;
        out.reason = "its \"Sid\" " + sid + " names no entity of the repository";
        return out;
    }
    if (!out.entity.GetAttribute("Vornic").empty()) out.state = ProgramModel::State::Open;
    return out;
}

}  // namespace

bool AnyProgramHasCodeModel(platform::db::Database& db, const wb::EntityStore& store) {
    auto programs = db.Prepare("SELECT ID FROM Ents WHERE EntName = 'PROGRAM' AND Stub = 0 ORDER BY SerialID");
    while (programs.Step()) {
        const ProgramModel::State state = FindCarrier(store, programs.Text(0)).state;
        if (state == ProgramModel::State::Open || state == ProgramModel::State::Broken) return true;
    }
    return false;
}

ProgramModel ProgramModel::Open(const wb::EntityStore& store, const wb::ModelLoader& loader,
                                std::string_view programId) {
    ProgramModel out;
    ModelCarrier found = FindCarrier(store, programId);
    if (found.state != State::Open) {
        out.m_state = found.state;
        out.m_reason = std::move(found.reason);
        return out;
    }
    const wb::RepositoryEntity& carrier = found.entity;
    try {
        auto [file, key] = loader.LookupSid(carrier.GetId());
        std::error_code ec;
        if (!fs::is_regular_file(file, ec)) {
            out.m_state = State::Broken;
            out.m_reason = "the model file " + file + " is missing";
            return out;
        }
        out.m_model.emplace(wb::CodeModelFactory().CreateCodeModel(store, file, key));
        out.m_state = State::Open;
    } catch (const wb::WorkbenchError& e) {
        out.Close();
        out.m_state = State::Broken;
        out.m_reason = e.what();
    } catch (const platform::db::DbError& e) {
        out.Close();
        out.m_state = State::Broken;
        out.m_reason = e.what();
    }
    return out;
}

ProgramModel& ProgramModel::operator=(ProgramModel&& other) noexcept {
    if (this != &other) {
        Close();
        m_state = other.m_state;
        m_reason = std::move(other.m_reason);
        m_model = std::move(other.m_model);
        other.m_model.reset();
    }
    return *this;
}

ProgramModel::~ProgramModel() { Close(); }

void ProgramModel::Close() noexcept {
    if (!m_model) return;
    try {
        m_model->Close();
    } catch (...) {
        // Closing releases the connection whatever SQLite answers.
    }
    m_model.reset();
}

std::optional<std::string> ReadProgramModel(const wb::EntityStore& store, const wb::ModelLoader& loader,
                                            std::string_view programId,
                                            const std::function<void(wb::CodeModel&)>& read) {
    ProgramModel model = ProgramModel::Open(store, loader, programId);
    if (model.GetState() == ProgramModel::State::Broken) return model.Reason();
    if (model.GetState() != ProgramModel::State::Open) return std::nullopt;
    try {
        read(model.Model());
    } catch (const wb::WorkbenchError& e) {
        return e.what();
    } catch (const platform::db::DbError& e) {
        return e.what();
    }
    return std::nullopt;
}

std::string SkippedProgramLine(const std::string& name, const std::string& id, const std::string& reason) {
    return "Program " + name + " (" + id + ") skipped: " + reason;
}

}  // namespace mdlReports
