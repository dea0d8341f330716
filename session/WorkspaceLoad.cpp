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
#include "workspace/WorkspaceLock.h"

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
// Held from the open of a workspace that may be written to its close, and
// through a refresh: no other window opens it for writing meanwhile.
std::unique_ptr<workspace::WorkspaceLock> g_Lock;

// What the Log pane says about a workspace open for viewing only.
std::string ViewOnlyText(const Globals::ViewOnlyReason& viewOnly) {
    return viewOnly.reason + ", so the workspace is open for viewing only: commands that would change it are " +
           "refused. " + viewOnly.remedy;
}

// What nothing is written through while no workspace is open.
common::WriteBoundary NoWorkspace() { return common::WriteBoundary::Closed({}, "no workspace is open"); }

// Decides, unless a refresh kept the lock, whether this process is the
// workspace's writer or may only view it; every write of the workspace
// then goes through the folder the lock holds, and a window that views
// holds none.
void ClaimWorkspace() {
    if (!g_Lock) {
        workspace::WorkspaceClaim claim = workspace::ClaimWorkspace(Globals::g_WorkspaceFolder);
        g_Lock = std::move(claim.lock);
        Globals::g_ViewOnly = std::move(claim.viewOnly);
    }
    Globals::g_WorkspaceBoundary =
        g_Lock ? g_Lock->Boundary()
               : common::WriteBoundary::Closed(Globals::g_WorkspaceFolder, "the workspace is open for viewing only here");
}

View Unchanged() { return View{}; }

void RefuseRefresh(const Globals::ViewOnlyReason& why, common::IPrompt& prompt) {
    prompt.Message(Globals::ViewOnlyRefusal(why, ResModule::LoadResString(kRefreshTitle)), ApplicationTitle(),
                   Icon::Exclamation);
}

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
    auto& db = *(Globals::g_Database =
                     workspace::OpenWorkspaceDatabase(Globals::g_WorkspaceBoundary, bool(Globals::g_ViewOnly)));
    view.summary = classify::BuildSummaryTree(db, progress);
    Globals::CreateUseCaseTables(db, false);
    Globals::CreateWebServiceTables(db, false);
    Globals::LoadWebOperationsTree(view.webOperations, db);
    Globals::LoadWebServicesTree(view.webServices, db);
    return workspace::ReadLoadMessage(db);
}

// Builds the database afresh from the template and the repository.
std::string BuildDatabase(View& view, platform::workbench::WorkbenchSession& session, common::IProgress& progress) {
    auto& db =
        *(Globals::g_Database = workspace::CreateWorkspaceDatabase(Globals::g_AppPath, Globals::g_WorkspaceBoundary));
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
        ClaimWorkspace();
        const bool reopen = !refresh && workspace::DatabaseExists(Globals::g_WorkspaceFolder);
        // A workspace open for viewing is never built: another window may be building it.
        if (Globals::g_ViewOnly && !reopen)
            throw std::runtime_error(Globals::g_ViewOnly.reason + ": it has no workspace database to view yet. " +
                                     Globals::g_ViewOnly.remedy);
        const std::string message = reopen ? ReopenDatabase(view, progress) : BuildDatabase(view, *session, progress);
        view.reportPaths = mdlReports::InitReportPaths();
        workspace::WriteLoadMessage(*Globals::g_Database, message);
        view.logText = message;
        view.showLog = !message.empty();
        const std::string claimed = Globals::g_ViewOnly ? ViewOnlyText(Globals::g_ViewOnly) : g_Lock->Note();
        if (!claimed.empty()) {
            view.logText += (message.empty() ? "" : "\n") + claimed;
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
    // A rebuild writes a new database: where it may not, the workspace stays
    // open as it is.
    if (g_WorkspaceFile.empty()) return true;   // nothing open: the refresh does nothing
    // The folder or the file may have become read-only since the open, or
    // the folder may be another by now.
    Globals::ViewOnlyReason why = Globals::g_ViewOnly;
    if (!why && Globals::g_WorkspaceOpen) {
        if (const std::string moved = Globals::g_WorkspaceBoundary.Moved(); !moved.empty()) {
            prompt.Message(Globals::MovedRefusal(moved, ResModule::LoadResString(kRefreshTitle)), ApplicationTitle(),
                           Icon::Exclamation);
            return false;
        }
    }
    if (!why) why = workspace::ReadOnlyReason(WorkspaceFolderFor(g_WorkspaceFile).value_or(fs::path()));
    if (!why) return true;
    RefuseRefresh(why, prompt);
    return false;
}

View RefreshWorkspace(const LoadEnvironment& env, common::IProgress& progress, common::IPrompt& prompt) {
    if (g_WorkspaceFile.empty() || !RefreshPossible(prompt)) return Unchanged();
    // The rebuild deletes the database: only while this process holds the
    // workspace's lock, which it keeps through the close below.
    std::unique_ptr<workspace::WorkspaceLock> lock = std::move(g_Lock);
    if (!lock) {
        workspace::WorkspaceClaim claim =
            workspace::ClaimWorkspace(WorkspaceFolderFor(g_WorkspaceFile).value_or(fs::path()));
        if (claim.viewOnly) {
            RefuseRefresh(claim.viewOnly, prompt);
            return Unchanged();
        }
        lock = std::move(claim.lock);
    }
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
    g_Lock = std::move(lock);
    workspace::DeleteWorkspaceDatabase(g_Lock->Boundary());
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
    // Released only once the database is closed.
    Globals::g_WorkspaceBoundary = NoWorkspace();
    mdlReports::g_ReportPaths.workspace = NoWorkspace();
    g_Lock.reset();
    Globals::g_ViewOnly = {};
    Globals::g_ContextLayouts.reset();
    Globals::g_WorkspaceFolder.clear();
}

}  // namespace session
