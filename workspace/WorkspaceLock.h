#pragma once
// One writer per workspace. While a process has a workspace open for
// writing it holds an advisory lock (flock) on a file of its own in the
// workspace folder, QuarvelAnalyzer.lock; the system drops the lock when the
// process ends, however it ends, a kill included. The file only names the
// lock: it is never written, and never removed (a process that removed it
// could leave two writers, each locking a file of its own). The lock is not
// taken on the database file: SQLite keeps its own locks there, which the
// close of any other descriptor of that file would drop.

#include <filesystem>
#include <memory>

#include "platform/workbench/WorkspaceGlobals.h"

namespace workspace {

inline constexpr const char* kLockFileName = "QuarvelAnalyzer.lock";

// A held lock, released when destroyed.
class WorkspaceLock {
public:
    explicit WorkspaceLock(int fd) : m_fd(fd) {}
    ~WorkspaceLock();
    WorkspaceLock(const WorkspaceLock&) = delete;
    WorkspaceLock& operator=(const WorkspaceLock&) = delete;

private:
    int m_fd;
};

// Whether this process may change a workspace: when it may, the lock that
// makes it the workspace's one writer; when it may not, why not.
struct WorkspaceClaim {
    std::unique_ptr<WorkspaceLock> lock;
    Globals::ViewOnlyReason viewOnly;
};

// Makes the workspace folder when it is missing (a first build needs it),
// then takes the lock unless the folder or the database cannot be written
// (ReadOnlyReason). The workspace is for viewing only when another process
// holds the lock, and when the lock file is a link (not followed) or
// anything else that cannot be locked.
WorkspaceClaim ClaimWorkspace(const std::filesystem::path& workspaceFolder);

}  // namespace workspace
