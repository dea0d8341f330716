#include "reports/OutputTree.h"

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "common/WriteBoundary.h"
#include "common/Progress.h"
#include "common/WhileStepping.h"
#include "reports/AsideRemoval.h"
#include "reports/ReportError.h"

namespace mdlReports {

namespace fs = std::filesystem;

namespace {

// Bytes the system has yet to write to its disks: its dirty pages and
// those under writeback. None when it does not say.
std::optional<double> UnwrittenBytes() {
    std::ifstream meminfo("/proc/meminfo");
    double kilobytes = 0;
    int found = 0;
    for (std::string line; std::getline(meminfo, line);) {
        for (const char* field : {"Dirty:", "Writeback:"}) {
            if (line.rfind(field, 0) != 0) continue;
            kilobytes += std::strtod(line.c_str() + std::strlen(field), nullptr);
            ++found;
        }
    }
    if (found != 2) return std::nullopt;
    return kilobytes * 1024;
}

// What the syncing thread tells the waiting one.
struct SyncState {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int error = 0;
};

// The template's images copied below to, a file that cannot be copied left
// out. Copies of the templates, made again by every run: they are not
// synced one by one.
void CopyImages(const common::WriteBoundary& output, const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (!fs::is_directory(from, ec)) return;
    const common::WriteBoundary::DeferredSync copies(output, to);
    output.MakeFolders(to);
    for (fs::recursive_directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path copy = to / it->path().lexically_relative(from);
        try {
            if (it->is_directory(ec)) {
                output.MakeFolders(copy);
            } else if (it->is_regular_file(ec)) {
                std::ifstream in(it->path(), std::ios::binary);
                const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
                if (in || in.eof()) output.Replace(copy, bytes);
            }
        } catch (const std::exception&) {
        }
    }
}

}  // namespace

bool PrepareOutputTree(const common::WriteBoundary& output, const ReportPaths& paths) {
    // Made when missing, in the workspace folder output comes from; a root
    // that is not there needs no setting aside.
    if (!output.MakeFolders(paths.g_ReportRoot.parent_path())) return false;
    SetAside(output, paths, paths.g_ReportRoot);

    // Only a root made here is written into: one that could not be set
    // aside may hold links planted among its folders and pages.
    if (output.MakeFolder(paths.g_ReportRoot) != 0) return false;
    CopyImages(output, paths.g_TemplateImagesFolder, paths.g_ReportRoot / "images");
    output.MakeFolder(paths.g_DiagramsFolder);
    for (const char* name : {"inventory", "client", "server", "special"}) output.MakeFolder(paths.g_ReportRoot / name);
    try {
        output.Hold(paths.g_ReportRoot);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool PrepareOutputTree(const ReportPaths& paths) { return PrepareOutputTree(OutputFolderBoundary(paths), paths); }

bool RebuildOutputTree(const ReportPaths& paths) {
    const common::WriteBoundary output = OutputFolderBoundary(paths);
    const bool made = PrepareOutputTree(output, paths);
    RemoveSetAside(output, paths);
    common::NullProgress waiting;
    WaitForRemovals(waiting);
    return made;
}

bool SyncOutputTree(const common::WriteBoundary& output, const ReportPaths& paths, common::IProgress& progress) {
    std::shared_ptr<const common::HeldFolder> root;
    try {
        root = output.Hold(paths.g_ReportRoot);
    } catch (const std::exception& e) {
        throw ReportError("The reports cannot be written to the disk: " + std::string(e.what()));
    }
    auto state = std::make_shared<SyncState>();
    // Left to itself after a cancel: it holds nothing but its own state and
    // the root's descriptor.
    std::thread([state, root] {
        const int error = common::SyncFileSystem(root->fd);
        std::lock_guard lock(state->mutex);
        state->finished = true;
        state->error = error;
        state->done.notify_all();
    }).detach();

    const std::optional<double> before = UnwrittenBytes();
    const bool synced = common::AwaitShare(
        progress, kSyncingTree,
        [&](std::chrono::milliseconds wait) {
            std::unique_lock lock(state->mutex);
            return state->done.wait_for(lock, wait, [&] { return state->finished; });
        },
        [&] {
            const std::optional<double> now = UnwrittenBytes();
            return before && now && *before > 0 ? 1.0 - *now / *before : 0.0;
        });
    if (!synced) return false;
    if (state->error != 0)
        throw ReportError("The reports cannot be written to the disk: " + std::string(std::strerror(state->error)));
    return true;
}

}  // namespace mdlReports
