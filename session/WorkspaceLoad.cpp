#include "session/WorkspaceLoad.h"

#include <stdexcept>
#include <system_error>

#include "classify/BuildSummaryTree.h"
#include "classify/ClassifyObjects.h"
#include "common/Collection.h"
#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/ReportPaths.h"
#include "services/ServiceTables.h"
#include "services/WebOperations.h"
#include "services/WebServices.h"
#include "session/WorkspaceSession.h"
#include "views/ContextLayouts.h"
#include "workspace/RepositoryImport.h"
#include "workspace/WorkspaceDatabase.h"

namespace session {

namespace fs = std::filesystem;
using common::Icon;
using View = WorkspaceView;

namespace {

constexpr int kIncompleteMessage = 510;
constexpr int kCannotOpenMessage = 511;
constexpr int kRefreshQuestion = 513;
constexpr int kRefreshTitle = 1007;
constexpr int kApplicationTitle = 1006;

fs::path g_WorkspaceFile;

std::string ReadOnlyText(const fs::path& folder) {
    return "The workspace folder " + folder.string() + " is read-only: ";
}

View Unchanged() { return View{}; }

// Nothing is open any more; the message has been shown.
View Closed(std::string message) {
    View view;
    view.status = View::Status::Failed;
    view.previousClosed = true;
    view.caption = ApplicationTitle();
    view.error = std::move(message);
    return view;
}

View Failure(const std::string& message, common::IPrompt& prompt) {
    CloseWorkspace();
    prompt.Message(message, ApplicationTitle(), Icon::Critical);
    return Closed(message);
}

View CannotOpen(common::IPrompt& prompt) {
    const std::string message = ResModule::LoadResString(kCannotOpenMessage);
    prompt.Message(message, ApplicationTitle(), Icon::Critical);
    return Closed(message);
}

View SetupError(const SessionResult& opened, common::IPrompt& prompt) {
    CloseWorkspace();
    prompt.Message(opened.error, ApplicationTitle() + " - " + opened.errorSource, Icon::Critical);
    View view = Closed(opened.error);
    view.status = View::Status::Fatal;
    return view;
}

// Reopens the database as the last build and the analyst's work left it.
// It opens no progress level; the Summary tree's steps let the window's
// events through while a large tree is read.
std::string ReopenDatabase(View& view, common::IProgress& progress) {
    auto& db = *(Globals::g_Database = workspace::OpenWorkspaceDatabase(Globals::g_WorkspaceFolder));
    view.summary = classify::BuildSummaryTree(db, progress);
    Globals::CreateUseCaseTables(db, false);
    Globals::CreateWebServiceTables(db, false);
    Globals::LoadWebOperationsTree(view.webOperations, db);
    Globals::LoadWebServicesTree(view.webServices, db);
    return workspace::ReadLoadMessage(db);
}

// Builds the database afresh from the template and the repository.
std::string BuildDatabase(View& view, platform::workbench::WorkbenchSession& session, common::IProgress& progress) {
    auto& db = *(Globals::g_Database = workspace::CreateWorkspaceDatabase(Globals::g_AppPath, Globals::g_WorkspaceFolder));
    // The copy comes marked incomplete and keeps the mark until the load's
    // last status write, so a build that stops anywhere reopens with the warning.
    const std::string incomplete = ResModule::LoadResString(kIncompleteMessage);
    platform::workbench::EntityStore store = session.GetEntityStore();
    const workspace::ImportResult imported = workspace::ImportRepositoryEntities(db, store, progress);
    if (!imported.error.empty()) throw std::runtime_error(imported.error);
    view.summary = classify::ClassifyObjects(db, progress);
    // The statistics and the tables are committed at once: on a busy disk
    // each commit of its own kept the window waiting.
    platform::db::Transaction tx(db);
    {
        // Statistics let SQLite pick the ID index for "ID = ? AND EntName = ?";
        // without them it scans every program through the (EntName, SOAType)
        // index. A long statement of its own at 100,000 programs.
        platform::db::ProgressPump pump(db, progress);
        db.ExecuteScript("ANALYZE");
    }
    Globals::CreateUseCaseTables(db, false);
    Globals::CreateWebServiceTables(db, false);
    tx.Commit();
    // A fresh database has no web operations or services: the web trees stay empty.
    return imported.done ? std::string() : incomplete;
}

// The load once the session is open: it becomes the workspace's session,
// then the database is reopened or built.
View LoadWithSession(std::shared_ptr<platform::workbench::WorkbenchSession> session, bool refresh,
                     const LoadEnvironment& env, common::IProgress& progress, common::IPrompt& prompt) {
    Globals::g_Workbench = session;
    Globals::g_ModelLoader.SetSession(session.get());
    Globals::g_WorkspaceOpen = true;

    View view;
    view.previousClosed = true;
    try {
        view.caption = WorkspaceCaption(Globals::g_WorkspaceFolder);
        if (env.sessionOpened) env.sessionOpened(view.caption);
        const bool reopen = !refresh && workspace::DatabaseExists(Globals::g_WorkspaceFolder);
        const std::string message = reopen ? ReopenDatabase(view, progress) : BuildDatabase(view, *session, progress);
        view.reportPaths = mdlReports::InitReportPaths();
        workspace::WriteLoadMessage(*Globals::g_Database, message);
        view.logText = message;
        view.showLog = !message.empty();
        if (Globals::g_Database->IsMemoryCopy()) {
            view.logText += (message.empty() ? "" : "\n") + ReadOnlyText(Globals::g_WorkspaceFolder) +
                            "the workspace is open for viewing, and changes made to it cannot be saved.";
            view.showLog = true;
        }
        view.workspaceCommandsEnabled = true;
        Globals::g_ContextLayouts = std::make_unique<common::Collection<std::string>>();
        view.status = View::Status::Loaded;
        return view;
    } catch (const std::exception& e) {
        return Failure(e.what(), prompt);
    }
}

}  // namespace

std::optional<fs::path> WorkspaceFolderFor(const fs::path& workspaceFile) {
    const std::string file = workspaceFile.string();
    constexpr std::string_view ext = ".hxp";
    if (file.size() <= ext.size() || common::FoldKey(file.substr(file.size() - ext.size())) != ext)
        return std::nullopt;
    fs::path folder = file.substr(0, file.size() - ext.size());
    // "W/.hxp" names no workspace: there is no name to give its folder.
    if (folder.filename().empty()) return std::nullopt;
    return folder;
}

std::string ApplicationTitle() { return ResModule::LoadResString(kApplicationTitle); }

std::string WorkspaceCaption(const fs::path& workspaceFolder) {
    return ApplicationTitle() + " - " + workspaceFolder.filename().string();
}

const fs::path& CurrentWorkspaceFile() { return g_WorkspaceFile; }

View OpenWorkspace(const fs::path& chosenFile, const LoadEnvironment& env, common::IProgress& progress,
                   common::IPrompt& prompt) {
    // The session makes the application folder the working folder, so a
    // relative name must be resolved against the caller's working folder first.
    std::error_code ec;
    fs::path workspaceFile = fs::absolute(chosenFile, ec);
    if (ec) workspaceFile = chosenFile;
    const auto folder = WorkspaceFolderFor(workspaceFile);
    if (!folder) {
        prompt.Message(ResModule::LoadResString(kCannotOpenMessage), ApplicationTitle(), Icon::Critical);
        return Unchanged();
    }
    // The new session opens before the current workspace is closed, so a
    // workspace that cannot be opened leaves the current one as it was.
    SessionResult opened;
    try {
        opened = OpenWorkspaceSession(workspaceFile, Globals::g_AppPath, env.ownerForm);
    } catch (const std::exception& e) {
        prompt.Message(e.what(), ApplicationTitle(), Icon::Critical);
        return Unchanged();
    }
    switch (opened.kind) {
    case SessionResult::Kind::CannotOpen:
        prompt.Message(ResModule::LoadResString(kCannotOpenMessage), ApplicationTitle(), Icon::Critical);
        return Unchanged();
    case SessionResult::Kind::SetupError:
        return SetupError(opened, prompt);
    case SessionResult::Kind::Open:
        break;
    }
    CloseWorkspace();
    Globals::g_WorkspaceFolder = *folder;
    g_WorkspaceFile = workspaceFile;
    return LoadWithSession(std::move(opened.session), false, env, progress, prompt);
}

bool ConfirmRefresh(common::IPrompt& prompt) {
    return prompt.Ask(ResModule::LoadResString(kRefreshQuestion), ResModule::LoadResString(kRefreshTitle),
                      common::Buttons::YesNo, Icon::Question) == common::Answer::Yes;
}

bool RefreshPossible(common::IPrompt& prompt) {
    // A rebuild writes a new database: where it cannot, the workspace stays
    // open as it is.
    if (g_WorkspaceFile.empty()) return true;   // nothing open: the refresh does nothing
    const fs::path folder = WorkspaceFolderFor(g_WorkspaceFile).value_or(fs::path());
    if (!workspace::DatabaseIsReadOnly(folder)) return true;
    prompt.Message(ReadOnlyText(folder) + "the workspace cannot be rebuilt, and stays open as it is.",
                   ApplicationTitle(), Icon::Exclamation);
    return false;
}

View RefreshWorkspace(const LoadEnvironment& env, common::IProgress& progress, common::IPrompt& prompt) {
    if (g_WorkspaceFile.empty() || !RefreshPossible(prompt)) return Unchanged();
    CloseWorkspace();
    SessionResult opened;
    try {
        opened = OpenWorkspaceSession(g_WorkspaceFile, Globals::g_AppPath, env.ownerForm);
    } catch (const std::exception& e) {
        return Failure(e.what(), prompt);
    }
    switch (opened.kind) {
    case SessionResult::Kind::CannotOpen:
        return CannotOpen(prompt);
    case SessionResult::Kind::SetupError:
        return SetupError(opened, prompt);
    case SessionResult::Kind::Open:
        break;
    }
    // Only a repository that opened can rebuild the database: until then the
    // analyst's work stays on disk. The template is copied over a database
    // that could not be deleted.
    Globals::g_WorkspaceFolder = WorkspaceFolderFor(g_WorkspaceFile).value_or(fs::path());
    workspace::DeleteWorkspaceDatabase(Globals::g_WorkspaceFolder);
    return LoadWithSession(std::move(opened.session), true, env, progress, prompt);
}

void CloseWorkspace() noexcept {
    if (Globals::g_Workbench) ReleaseSession(*Globals::g_Workbench);
    Globals::g_Workbench.reset();
    Globals::g_ModelLoader.SetSession(nullptr);
    Globals::g_WorkspaceOpen = false;
    if (Globals::g_Database) {
        try {
            Globals::g_Database->Close();
        } catch (...) {
        }
        Globals::g_Database.reset();
    }
    Globals::g_ContextLayouts.reset();
    Globals::g_WorkspaceFolder.clear();
}

}  // namespace session
