#pragma once
// Opening, refreshing and closing a workspace without the window. The load
// opens a workbench session on the workspace file, then either reopens the
// workspace database or builds it from the template (import, then
// classification), makes sure the tool's tables exist and fills the three
// tree models; it sets the program-wide state (common/Globals.h,
// platform/workbench/WorkspaceGlobals.h) and
// returns what the main window must show. Questions and messages go through
// the prompt, progress through the progress sink.
//
// Any failure after the session has opened releases the database and the
// session and reports its message: no workspace stays half open. The Status
// row says the build is incomplete from before the import starts until the
// import and the classification have both completed, so a build that was
// cancelled, failed or crashed reopens marked incomplete.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "common/Progress.h"
#include "common/Prompt.h"
#include "common/Tree.h"
#include "reports/ReportPaths.h"

namespace session {

// The workspace folder of a workspace file: its path less a trailing ".hxp"
// (letter case ignored). A file without that extension has no workspace
// folder and is refused.
std::optional<std::filesystem::path> WorkspaceFolderFor(const std::filesystem::path& workspaceFile);

// The window caption for a workspace folder: the application title, " - ",
// the folder's last name.
std::string WorkspaceCaption(const std::filesystem::path& workspaceFolder);
std::string ApplicationTitle();

struct LoadEnvironment {
    // The window that owns the workbench's dialogs (may be null).
    const void* ownerForm = nullptr;
    // Called once the new workspace's session is open and the previous
    // workspace is closed, before its database is reopened or built, with
    // the new caption: the window empties its trees and Log pane and shows
    // the caption, so nothing of the previous workspace stays on screen
    // during a long build. Not called when the session cannot be opened.
    std::function<void(const std::string& caption)> sessionOpened;
};

// What the main window shows after an open, a refresh or a failed load.
struct WorkspaceView {
    enum class Status {
        Unchanged,   // nothing was closed or opened: the window keeps what it shows
        Loaded,      // a workspace is open: show everything below
        Failed,      // no workspace is open any more: clear the trees, disable the workspace commands
        Fatal,       // a session set-up error was reported: the program ends
    };
    Status status = Status::Unchanged;
    // The previous workspace was closed: the window clears its trees and
    // unloads the screen-flow window.
    bool previousClosed = false;
    std::string caption;
    // Log pane: text, and whether the pane is shown (only for a warning).
    std::string logText;
    bool showLog = false;
    // mnuToolsGenerateReports, mnuToolsEnterClientInformation,
    // mnuFileRefreshWorkspace, the toolbar's "GenerateReports" and "Refresh"
    // and the Tools menu: enabled exactly while a workspace is open.
    bool workspaceCommandsEnabled = false;
    // The message shown for Failed and Fatal.
    std::string error;
    common::Tree summary;
    common::Tree webOperations;
    common::Tree webServices;
    // Where the open workspace's report pages go (Loaded only).
    mdlReports::ReportPaths reportPaths;
};

// File > Open Workspace with the chosen file. A file that is not a
// workspace file or whose session cannot open gives message 511 and
// changes nothing; only then is the current workspace closed and the new one
// loaded. The load claims the workspace (workspace::ClaimWorkspace): a
// workspace whose folder or database cannot be written, or that another
// window holds, is opened for viewing only (Globals::g_ViewOnly), its
// database as a copy in memory, and the Log pane says why; one without a
// database to view is not opened.
WorkspaceView OpenWorkspace(const std::filesystem::path& workspaceFile, const LoadEnvironment& env,
                            common::IProgress& progress, common::IPrompt& prompt);

// The refresh question (513, titled 1007); true for Yes.
bool ConfirmRefresh(common::IPrompt& prompt);
// Whether the open workspace can be rebuilt: not when it is open for
// viewing only or its database or folder cannot be written (any more),
// which a message then says. Asked before the window closes anything for a
// refresh.
bool RefreshPossible(common::IPrompt& prompt);
// File > Refresh Workspace after Yes: closes the workspace, deletes its
// database and builds it again from the repository. The database is deleted
// only once the workspace's session has opened again, so a repository that
// cannot be reached leaves the database as it was. A workspace that may
// not be written (RefreshPossible) is not rebuilt: a message says so and
// nothing changes. The workspace's lock stays held throughout.
WorkspaceView RefreshWorkspace(const LoadEnvironment& env, common::IProgress& progress, common::IPrompt& prompt);

// Releases the session, the database and then the workspace's lock, drops
// the flow-context layouts and empties the workspace folder; every step's
// errors are ignored. The
// window clears its trees and unloads the screen-flow window.
void CloseWorkspace() noexcept;

// The file of the open (or last chosen) workspace.
const std::filesystem::path& CurrentWorkspaceFile();

}  // namespace session
