#include "reports/OutputTree.h"

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "common/FileReplace.h"
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

}  // namespace

bool PrepareOutputTree(const ReportPaths& paths) {
    std::error_code ec;
    const fs::path output = paths.g_ReportRoot.parent_path();
    if (!fs::exists(output, ec))
        fs::create_directory(output, ec);
    else
        SetAside(paths, paths.g_ReportRoot);

    // Only a root made here is written into: one that could not be set
    // aside may hold links planted among its folders and pages.
    if (!fs::create_directory(paths.g_ReportRoot, ec)) return false;
    fs::copy(paths.g_TemplateImagesFolder, paths.g_ReportRoot / "images",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    fs::create_directory(paths.g_DiagramsFolder, ec);
    for (const char* folder : {"inventory", "client", "server", "special"})
        fs::create_directory(paths.g_ReportRoot / folder, ec);
    return fs::is_directory(paths.g_ReportRoot, ec);
}

bool RebuildOutputTree(const ReportPaths& paths) {
    const bool made = PrepareOutputTree(paths);
    RemoveSetAside(paths);
    common::NullProgress waiting;
    WaitForRemovals(waiting);
    return made;
}

bool SyncOutputTree(const ReportPaths& paths, common::IProgress& progress) {
    auto state = std::make_shared<SyncState>();
    // Left to itself after a cancel: it holds nothing but its own state.
    std::thread([state, root = paths.g_ReportRoot] {
        const int error = common::SyncFileSystem(root);
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
