#include "reports/ProgramModel.h"

#include <system_error>

#include "platform/db/Database.h"
#include "platform/workbench/ReadTransaction.h"
#include "platform/workbench/WorkbenchError.h"

namespace mdlReports {

namespace fs = std::filesystem;
namespace wb = platform::workbench;

ModelLocation LocateProgramModel(const wb::EntityStore& store, std::string_view programId) {
    // As the workbench names it: the program's "Sid" leads to the entity
    // with a "Vornic".
    ModelLocation out;
    wb::RepositoryEntity program;
    try {
        program = store.Item(programId);
    } catch (const wb::WorkbenchError&) {
        out.state = ModelLocation::State::NotInRepository;
        return out;
    }
    const std::string sid = program.GetAttribute("Sid");
    if (sid.empty()) return out;
    wb::RepositoryEntity carrier;
    try {
        carrier = store.Item(sid);
    } catch (const wb::WorkbenchError&) {
        out.state = ModelLocation::State::Broken;
        out.reason = "its \"Sid\" " + sid + " names no entity of the repository";
        return out;
    }
    out.vornic = carrier.GetAttribute("Vornic");
    if (out.vornic.empty()) return out;
    out.state = ModelLocation::State::Named;
    out.carrier = carrier.GetId();
    return out;
}

std::optional<std::string> ReadProgramModel(const ModelLocation& where, const wb::EntityStore& store,
                                            const fs::path& workspaceFolder,
                                            const std::function<void(wb::CodeModel&)>& read) {
    if (where.state == ModelLocation::State::Broken) return where.reason;
    if (where.state != ModelLocation::State::Named) return std::nullopt;
    std::optional<wb::CodeModel> model;
    // The model's file is closed on every way out, a failed read included.
    struct Closer {
        std::optional<wb::CodeModel>& model;
        ~Closer() {
            if (model) model->Close();
        }
    } closer{model};
    try {
        const std::string file = wb::LocateModelFile(workspaceFolder, where.vornic, where.carrier);
        std::error_code ec;
        if (!fs::is_regular_file(file, ec)) return "the model file " + file + " is missing";
        model.emplace(wb::CodeModelFactory().CreateCodeModel(store, file, where.carrier, true));
        read(*model);
    } catch (const wb::WorkbenchError& e) {
        return e.what();
    } catch (const platform::db::DbError& e) {
        return e.what();
    }
    return std::nullopt;
}

bool AnyProgramHasCodeModel(platform::db::Database& db, const wb::EntityStore& store) {
    wb::ReadTransaction repository(store);
    auto programs = db.Prepare("SELECT ID FROM Ents WHERE EntName = 'PROGRAM' AND Stub = 0 ORDER BY SerialID");
    while (programs.Step())
        if (LocateProgramModel(store, programs.Text(0)).NamesModel()) return true;
    return false;
}

std::string SkippedProgramLine(const std::string& name, const std::string& id, const std::string& reason) {
    return "Program " + name + " (" + id + ") skipped: " + reason;
}

}  // namespace mdlReports
