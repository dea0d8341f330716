#pragma once
// Opening a workbench session on a workspace file: the installation's
// folders, the option files, the repository and the project folder, in the
// order the workbench expects them. A session that opens is handed back to
// the caller, which decides when it replaces the current one.

#include <filesystem>
#include <memory>
#include <string>

#include "platform/workbench/CodeModel.h"
#include "platform/workbench/WorkbenchSession.h"

namespace Globals {

// The program-wide model loader: its session is the open workspace's, none
// between workspaces.
extern platform::workbench::ModelLoader g_ModelLoader;

}  // namespace Globals

namespace session {

struct SessionResult {
    enum class Kind {
        Open,          // session holds the open repository with its project folder selected
        CannotOpen,    // the repository or the project folder cannot be opened (message 511)
        SetupError,    // an error while the session was being set up (message, then the program ends)
    };
    Kind kind = Kind::CannotOpen;
    std::shared_ptr<platform::workbench::WorkbenchSession> session;   // Open only
    std::string error;         // SetupError: the error's description
    std::string errorSource;   // SetupError: where it came from
};

// The workspace's project folder: the Folder of the Project element when the
// repository has it, else the project key, else the repository's first
// folder, else the folder the key selects.
// ownerForm: the window that owns the workbench's dialogs (may be null).
SessionResult OpenWorkspaceSession(const std::filesystem::path& workspaceFile, const std::filesystem::path& appPath,
                                   const void* ownerForm);

// Makes sure the user's option file exists and gives the session its user options.
void LoadUserOptions(platform::workbench::WorkbenchSession& session);

// Releases a session: repository closed, session ended; errors ignored.
void ReleaseSession(platform::workbench::WorkbenchSession& session) noexcept;

}  // namespace session
