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
//
// The claim also holds the folder open: everything the window writes in
// the workspace goes through that descriptor (Boundary), so a folder
// moved, or replaced by another or by a link, while the workspace is open
// is never written in its place.

#include <filesystem>
#include <memory>
#include <string>

#include "common/WriteBoundary.h"
#include "platform/workbench/WorkspaceGlobals.h"

namespace workspace {

inline constexpr const char* kLockFileName = "QuarvelAnalyzer.lock";

// A held lock, released when destroyed: the descriptors of the folder
// (locked unless its file system cannot lock a folder) and of the lock file.
class WorkspaceLock {
public:
    WorkspaceLock(std::filesystem::path folder, int folderFd, int fileFd, std::string note)
        : m_folder(std::move(folder)), m_folderFd(folderFd), m_fileFd(fileFd), m_note(std::move(note)) {}
    ~WorkspaceLock();
    WorkspaceLock(const WorkspaceLock&) = delete;
    WorkspaceLock& operator=(const WorkspaceLock&) = delete;

    // What the window writes in the workspace goes through: the folder this
    // lock holds (on a descriptor of its own, so the lock goes with this
    // object alone), refused once the workspace's path leads elsewhere.
    common::WriteBoundary Boundary() const;
    // For the Log pane: the lock file alone carries the claim (the folder's
    // disk cannot lock a folder). Empty where the folder is locked.
    const std::string& Note() const { return m_note; }

private:
    std::filesystem::path m_folder;
    int m_folderFd;
    int m_fileFd;
    std::string m_note;
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
// holds the folder or the lock file, when the folder cannot be opened or
// locked (for want of permission, say), and when the lock file is a link
// (not followed) or anything else that cannot be locked. Only a disk that
// cannot lock a folder at all leaves the claim to the lock file, with a
// note that says so (WorkspaceLock::Note).
WorkspaceClaim ClaimWorkspace(const std::filesystem::path& workspaceFolder);

// For the tests of a claim that permission bits cannot show (they do not
// bind root): called before each call the claim makes on the folder
// ("open", "flock"), with the folder; an errno it returns is taken as that
// call's failure.
using ClaimFault = int (*)(const char* call, const std::filesystem::path& folder);
void SetClaimFault(ClaimFault fault);

}  // namespace workspace
