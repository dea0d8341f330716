#include "session/WorkspaceSession.h"

#include "platform/db/Database.h"
#include "platform/ui/core/WindowSettingsStore.h"
#include "platform/workbench/RepositoryValues.h"
#include "platform/workbench/WorkspaceFile.h"

namespace Globals {

platform::workbench::ModelLoader g_ModelLoader;

}  // namespace Globals

namespace session {

namespace wb = platform::workbench;
namespace fs = std::filesystem;

namespace {

std::string ErrorSource(const std::exception& e) {
    if (dynamic_cast<const wb::WorkbenchError*>(&e)) return "Workbench";
    if (dynamic_cast<const platform::db::DbError*>(&e)) return "Database";
    return "QuarvelAnalyzer";
}

// The project folder named in the workspace file; empty when it names none.
std::string ProjectFolderName(const fs::path& workspaceFile) {
    wb::WorkspaceFileReader reader;
    reader.Load(workspaceFile);   // errors here belong to the set-up
    try {
        return reader.GetElement("Project").GetList("Folder").GetText();
    } catch (...) {
        return {};
    }
}

bool SelectProjectFolder(wb::WorkbenchSession& session, const std::string& name, const std::string& projectKey) {
    wb::EntityStore store = session.GetEntityStore();
    if (store.EntityExists("FOLDER", name)) return session.SelectFolder(name);
    if (store.EntityExists("FOLDER", projectKey)) return session.SelectFolder(projectKey);
    bool selected = false;
    try {
        wb::EntityList folders = store.GetEntities("FOLDER", "", "");
        if (!folders.AtEnd()) selected = session.SelectFolder(folders.Current().GetAttribute("Name"));
    } catch (...) {
        selected = false;
    }
    return selected || session.SelectFolderByKey(projectKey);
}

}  // namespace

void LoadUserOptions(wb::WorkbenchSession& session) {
    const fs::path userFile = fs::path(session.GetFolder(wb::kFolderUserConfig)) / "Options" / "Options.User.xml";
    const fs::path defaultFile = fs::path(session.GetFolder(wb::kFolderDefaults)) / "Options.User.xml";
    wb::OptionsFactory& factory = session.GetOptionsFactory();
    factory.CopyOptionsFile(defaultFile, userFile, true);
    auto options = factory.LoadOptions("OptionsUser", defaultFile);
    session.SetUserOptions(options);
    options->SetFilePath(userFile);
    options->SetFolder(session.GetFolder(wb::kFolderUserData));
    options->SetResource(wb::OptionsStore().LoadResource("Options.User.xrc"));
}

void ReleaseSession(wb::WorkbenchSession& session) noexcept {
    try {
        session.CloseRepository();
    } catch (...) {
    }
    try {
        session.Close();
    } catch (...) {
    }
}

SessionResult OpenWorkspaceSession(const fs::path& workspaceFile, const fs::path& appPath, const void* ownerForm) {
    SessionResult result;
    auto session = std::make_shared<wb::WorkbenchSession>();
    session->SetBinFolder(WindowSettings::GetInstallFolder() / "Bin");
    // Relative paths of the workbench resolve against the application folder.
    std::error_code ec;
    fs::current_path(appPath, ec);

    std::pair<std::string, std::string> values;
    std::string projectFolder;
    try {
        const fs::path data = session->GetFolder(wb::kFolderWorkbenchData);
        session->GetMainDataSettings().SetDatabasePath(data / "MainData.mdb");
        auto global = session->GetOptionsFactory().LoadOptions("OptionsGlobal", data / "Options.Global.xml");
        session->SetGlobalOptions(global);
        global->SetResource(wb::OptionsStore().LoadResource("Options.Global.xrc"));
        LoadUserOptions(*session);

        session->SetOwnerForm(ownerForm);
        values = FileNameUtility::GetRepositoryValues(workspaceFile.string());
        if (!session->OpenRepository(values.first, values.second)) return result;   // CannotOpen
        projectFolder = ProjectFolderName(workspaceFile);
    } catch (const std::exception& e) {
        ReleaseSession(*session);
        result.kind = SessionResult::Kind::SetupError;
        result.error = e.what();
        result.errorSource = ErrorSource(e);
        return result;
    }

    // Errors of the folder selection go to the caller.
    if (!SelectProjectFolder(*session, projectFolder, values.second)) {
        ReleaseSession(*session);
        return result;   // CannotOpen
    }
    result.kind = SessionResult::Kind::Open;
    result.session = std::move(session);
    return result;
}

}  // namespace session
