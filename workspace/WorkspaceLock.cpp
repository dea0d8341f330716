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

// The folder's descriptor, locked; -1 when the folder cannot be opened or
// its file system cannot lock a folder (a network disk), where the lock
// file carries the claim alone. False when another process holds it.
bool LockFolder(const fs::path& workspaceFolder, int& folderFd) {
    folderFd = ::open(workspaceFolder.c_str(), O_RDONLY | O_DIRECTORY | O_NOCTTY | O_CLOEXEC);
    if (folderFd < 0) return true;
    if (::flock(folderFd, LOCK_EX | LOCK_NB) == 0) return true;
    const int error = errno;
    ::close(folderFd);
    folderFd = -1;
    return error != EWOULDBLOCK;
}

}  // namespace

WorkspaceLock::~WorkspaceLock() {
    ::close(m_fileFd);
    if (m_folderFd >= 0) ::close(m_folderFd);
}

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
    // file was removed, and this one then makes no new lock file.
    int folderFd = -1;
    if (!LockFolder(workspaceFolder, folderFd)) {
        claim.viewOnly = OpenElsewhere(workspaceFolder);
        return claim;
    }
    const auto refuse = [&](Globals::ViewOnlyReason why) {
        if (folderFd >= 0) ::close(folderFd);
        claim.viewOnly = std::move(why);
        return std::move(claim);
    };

    const fs::path file = workspaceFolder / kLockFileName;
    // A name that is replaced between the open and the lock leaves a lock on
    // a file nobody else finds: try again on what the name leads to now.
    for (int attempt = 0; attempt < 3; ++attempt) {
        // Reading is enough to lock; no link is followed; a pipe planted here
        // does not keep the open waiting.
        const int fd = ::open(file.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
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
            const int error = errno;
            ::close(fd);
            // Held by a window of an earlier version, or on a disk where the
            // folder cannot be locked.
            if (error == EWOULDBLOCK) return refuse(OpenElsewhere(workspaceFolder));
            return refuse(LockFileUnusable(file, Because("cannot be locked", error),
                                           "To work in the workspace, keep it on a disk whose file system can "
                                           "lock files."));
        }
        struct stat named {};
        if (::lstat(file.c_str(), &named) == 0 && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
            claim.lock = std::make_unique<WorkspaceLock>(folderFd, fd);
            return claim;
        }
        ::close(fd);
    }
    return refuse(LockFileUnusable(file, "keeps being replaced",
                                   "To work in the workspace, open it again once nothing replaces that file."));
}

}  // namespace workspace
