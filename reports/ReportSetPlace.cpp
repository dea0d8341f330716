#include "reports/ReportSetPlace.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>

namespace mdlReports {

namespace fs = std::filesystem;

namespace {

// The path of a folder held open, as the system has followed its renames.
fs::path WhereHeld(int fd) {
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    char target[4096];
    const ssize_t n = readlink(link.c_str(), target, sizeof target);
    if (n <= 0 || static_cast<std::size_t>(n) == sizeof target) return {};
    const std::string_view path(target, static_cast<std::size_t>(n));
    constexpr std::string_view kDeleted = " (deleted)";
    if (path.front() != '/' || path.ends_with(kDeleted)) return {};
    return fs::path(path);
}

}  // namespace

ReportSetPlace LocateReportSet(const common::WriteBoundary& output, const ReportPaths& paths) {
    const fs::path& root = paths.g_ReportRoot;
    // The workspace folder moved or replaced since the claim: the set went
    // with it, and the boundary holds nothing more to say where.
    if (!output.Moved().empty()) return {root, {}};
    const fs::path folders[] = {root,
                                root / "images",
                                paths.g_DiagramsFolder,
                                paths.g_ScreensPagePath.parent_path(),
                                paths.g_ScreensFolder,
                                paths.g_ClientFacingPagePath.parent_path(),
                                paths.g_ServerDataAccessPagePath.parent_path(),
                                paths.g_CrudOverlapPagePath.parent_path(),
                                paths.g_CrudSignaturesFolder};
    for (const fs::path& folder : folders) {
        std::shared_ptr<const common::HeldFolder> held;
        try {
            held = output.Hold(folder);
        } catch (const std::exception&) {
            // Never held and not there now (a step that made no folder):
            // nothing of the set was written there.
            continue;
        }
        struct stat written {}, there {};
        if (fstat(held->fd, &written) != 0) continue;
        const bool inPlace = lstat(folder.c_str(), &there) == 0 && S_ISDIR(there.st_mode) &&
                             there.st_dev == written.st_dev && there.st_ino == written.st_ino;
        if (!inPlace) return {folder, WhereHeld(held->fd)};
    }
    return {};
}

}  // namespace mdlReports
