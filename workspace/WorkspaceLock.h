#pragma once
// One writer per workspace. While a process has a workspace open for
// writing it holds an advisory lock (flock) on the workspace folder itself,
// and one on a file of its own in that folder, QuarvelAnalyzer.lock; the
// system drops both when the process ends, however it ends, a kill
// included.
//
// The folder's lock is the claim: nobody can remove the folder while the
// workspace's files are in it, whereas the lock file looks stale to a user
// who may delete it, and the next window would then lock a new file of
// that name and write beside the first. The lock file is still taken,
// after the folder, for earlier versions of the tool, which know only the
// file, and it carries the claim alone on a file system that cannot lock a
// folder. It is never written, and never removed by the tool. No lock is
// taken on the database file: SQLite keeps its own locks there, which the
// close of any other descriptor of that file would drop.

#include <filesystem>
#include <memory>

#include "platform/workbench/WorkspaceGlobals.h"

namespace workspace {

inline constexpr const char* kLockFileName = "QuarvelAnalyzer.lock";

// A held lock, released when destroyed: the descriptors of the folder (-1
// when its file system cannot lock it) and of the lock file.
class WorkspaceLock {
public:
    WorkspaceLock(int folderFd, int fileFd) : m_folderFd(folderFd), m_fileFd(fileFd) {}
    ~WorkspaceLock();
    WorkspaceLock(const WorkspaceLock&) = delete;
    WorkspaceLock& operator=(const WorkspaceLock&) = delete;

private:
    int m_folderFd;
    int m_fileFd;
};

// Whether this process may change a workspace: when it may, the lock that
// makes it the workspace's one writer; when it may not, why not.
struct WorkspaceClaim {
    std::unique_ptr<WorkspaceLock> lock;
    Globals::ViewOnlyReason viewOnly;
};

// Makes the workspace folder when it is missing (a first build needs it),
// then takes the locks unless the folder or the database cannot be written
// (ReadOnlyReason). The workspace is for viewing only when another process
// holds the folder or the lock file, and when the lock file is a link (not
// followed) or anything else that cannot be locked.
WorkspaceClaim ClaimWorkspace(const std::filesystem::path& workspaceFolder);

}  // namespace workspace
