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

Globals::ViewOnlyReason LockFileUnusable(const fs::path& file, const std::string& why) {
    return {"The workspace's lock file " + file.string() + " " + why,
            "To work in the workspace, remove that file and open the workspace again."};
}

Globals::ViewOnlyReason OpenElsewhere(const fs::path& workspaceFolder) {
    constexpr int kApplicationTitle = 1006;
    return {"The workspace " + workspaceFolder.filename().string() + " is open in another window of " +
                ResModule::LoadResString(kApplicationTitle),
            "To work in it here, close it there and open it again here."};
}

}  // namespace

WorkspaceLock::~WorkspaceLock() { ::close(m_fd); }

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

    const fs::path file = workspaceFolder / kLockFileName;
    // A name that is replaced between the open and the lock leaves a lock on
    // a file nobody else finds: try again on what the name leads to now.
    for (int attempt = 0; attempt < 3; ++attempt) {
        // Reading is enough to lock; no link is followed; a pipe planted here
        // does not keep the open waiting.
        const int fd = ::open(file.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
        if (fd < 0) {
            claim.viewOnly = errno == ELOOP ? LockFileUnusable(file, "is a link, which is not followed")
                                            : LockFileUnusable(file, std::string("cannot be opened (") +
                                                                         std::strerror(errno) + ")");
            return claim;
        }
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd);
            claim.viewOnly = LockFileUnusable(file, "is not a file");
            return claim;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            claim.viewOnly = error == EWOULDBLOCK ? OpenElsewhere(workspaceFolder)
                                                  : LockFileUnusable(file, std::string("cannot be locked (") +
                                                                               std::strerror(error) + ")");
            return claim;
        }
        struct stat named {};
        if (::lstat(file.c_str(), &named) == 0 && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
            claim.lock = std::make_unique<WorkspaceLock>(fd);
            return claim;
        }
        ::close(fd);
    }
    claim.viewOnly = LockFileUnusable(file, "keeps being replaced");
    return claim;
}

}  // namespace workspace
