#include "workspace/WorkspaceLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/ResModule.h"
#include "workspace/WorkspaceDatabase.h"

namespace fs = std::filesystem;

namespace workspace {

namespace {

// The remedies never say to remove a lock file that a live window could be
// holding: only a link or something other than a file, which no version of
// the tool ever locks, is for the user to remove.
Globals::ViewOnlyReason LockFileUnusable(const fs::path& file, const std::string& why, const std::string& remedy) {
    return {"The workspace's lock file " + file.string() + " " + why, remedy};
}

const char kRemoveIt[] = "To work in the workspace, remove that file and open the workspace again.";

Globals::ViewOnlyReason OpenElsewhere(const fs::path& workspaceFolder) {
    constexpr int kApplicationTitle = 1006;
    return {"The workspace " + workspaceFolder.filename().string() + " is open in another window of " +
                ResModule::LoadResString(kApplicationTitle),
            "To work in it here, close it there and open it again here."};
}

std::string Because(const char* what, int error) { return std::string(what) + " (" + std::strerror(error) + ")"; }

ClaimFault g_fault = nullptr;

// The errno a test plants for this call, else 0.
int Planted(const char* call, const fs::path& folder) { return g_fault ? g_fault(call, folder) : 0; }

// The errors of a file system that cannot lock a folder at all (a network
// disk): there the lock file carries the claim alone.
bool CannotLockFolders(int error) {
    return error == EBADF || error == ENOLCK || error == EOPNOTSUPP || error == EINVAL || error == ENOSYS;
}

enum class FolderLock { Locked, Unlockable, HeldElsewhere, Refused };

// The folder opened into folderFd and locked. Unlockable: open, but its
// file system cannot lock a folder. Refused (error set): it cannot be
// opened or locked otherwise, and then holds no descriptor.
FolderLock LockFolder(const fs::path& workspaceFolder, int& folderFd, int& error) {
    error = Planted("open", workspaceFolder);
    folderFd = error ? -1 : ::open(workspaceFolder.c_str(), O_RDONLY | O_DIRECTORY | O_NOCTTY | O_CLOEXEC);
    if (folderFd < 0) {
        if (!error) error = errno;
        return FolderLock::Refused;
    }
    error = Planted("flock", workspaceFolder);
    if (!error && ::flock(folderFd, LOCK_EX | LOCK_NB) == 0) return FolderLock::Locked;
    if (!error) error = errno;
    if (CannotLockFolders(error)) return FolderLock::Unlockable;
    ::close(folderFd);
    folderFd = -1;
    return error == EWOULDBLOCK ? FolderLock::HeldElsewhere : FolderLock::Refused;
}

Globals::ViewOnlyReason FolderRefused(const fs::path& workspaceFolder, int error) {
    if (error == EACCES || error == EPERM)
        return {"The workspace folder " + workspaceFolder.string() + " " +
                    Because("cannot be opened by this account to lock it", error),
                "To work in the workspace, let this account read its folder and open the workspace again."};
    return {"The workspace folder " + workspaceFolder.string() + " " + Because("cannot be locked", error),
            "To work in the workspace, open it again once the disk answers; if this goes on, keep the workspace "
            "on a disk that can lock folders."};
}

// What the workspace's boundary says once its folder was moved or replaced.
std::string FolderMovedReason(const fs::path& workspaceFolder) {
    return "the workspace folder " + workspaceFolder.string() + " was moved or replaced while the workspace was open";
}

}  // namespace

WorkspaceLock::~WorkspaceLock() {
    ::close(m_fileFd);
    ::close(m_folderFd);
}

common::WriteBoundary WorkspaceLock::Boundary() const {
    const int fd = ::openat(m_folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return common::WriteBoundary::Closed(m_folder, "the workspace folder " + m_folder.string() + " " +
                                                           Because("cannot be opened again", errno));
    return common::WriteBoundary::Held(m_folder, fd, FolderMovedReason(m_folder));
}

void SetClaimFault(ClaimFault fault) { g_fault = fault; }

WorkspaceClaim ClaimWorkspace(const fs::path& workspaceFolder) {
    WorkspaceClaim claim;
    std::error_code ec;
    fs::create_directories(workspaceFolder, ec);
    if (ec) {
        claim.viewOnly = {"The workspace folder " + workspaceFolder.string() + " cannot be made (" + ec.message() + ")",
                          "To work in the workspace, make its folder and open the workspace again."};
        return claim;
    }
    if ((claim.viewOnly = ReadOnlyReason(workspaceFolder))) return claim;

    // The folder first: a window that holds it is found even when its lock
    // file was removed, and this one then makes no new lock file. A folder
    // that cannot be locked for any other reason than its disk leaves the
    // claim to nothing: the lock file alone is what a user may remove.
    int folderFd = -1, error = 0;
    std::string note;
    switch (LockFolder(workspaceFolder, folderFd, error)) {
    case FolderLock::HeldElsewhere: claim.viewOnly = OpenElsewhere(workspaceFolder); return claim;
    case FolderLock::Refused: claim.viewOnly = FolderRefused(workspaceFolder, error); return claim;
    case FolderLock::Unlockable:
        note = "The disk of the workspace folder " + workspaceFolder.string() +
                     " cannot lock a folder, so only its lock file " + kLockFileName +
                     " keeps other windows from writing in it: leave that file where it is while the workspace "
                     "is open.";
        break;
    case FolderLock::Locked: break;
    }
    const auto refuse = [&](Globals::ViewOnlyReason why) {
        ::close(folderFd);
        claim.viewOnly = std::move(why);
        return std::move(claim);
    };

    const fs::path file = workspaceFolder / kLockFileName;
    // A name that is replaced between the open and the lock leaves a lock on
    // a file nobody else finds: try again on what the name leads to now.
    for (int attempt = 0; attempt < 3; ++attempt) {
        // In the folder held; reading is enough to lock; no link is
        // followed; a pipe planted here does not keep the open waiting.
        const int fd = ::openat(folderFd, kLockFileName,
                                O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == ELOOP) return refuse(LockFileUnusable(file, "is a link, which is not followed", kRemoveIt));
            return refuse(LockFileUnusable(file, Because("cannot be opened", errno),
                                           "To work in the workspace, let this account read that file and open "
                                           "the workspace again."));
        }
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd);
            return refuse(LockFileUnusable(file, "is not a file", kRemoveIt));
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int fileError = errno;
            ::close(fd);
            // Held by a window of an earlier version, or on a disk where the
            // folder cannot be locked.
            if (fileError == EWOULDBLOCK) return refuse(OpenElsewhere(workspaceFolder));
            return refuse(LockFileUnusable(file, Because("cannot be locked", fileError),
                                           "To work in the workspace, keep it on a disk whose file system can "
                                           "lock files."));
        }
        struct stat named {};
        if (::fstatat(folderFd, kLockFileName, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == opened.st_dev &&
            named.st_ino == opened.st_ino) {
            claim.lock = std::make_unique<WorkspaceLock>(workspaceFolder, folderFd, fd, std::move(note));
            return claim;
        }
        ::close(fd);
    }
    return refuse(LockFileUnusable(file, "keeps being replaced",
                                   "To work in the workspace, open it again once nothing replaces that file."));
}

}  // namespace workspace
