#include "reports/AsideRemoval.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <random>
#include <set>
#include <system_error>
#include <thread>
#include <vector>

#include "common/Progress.h"
#include "common/WhileStepping.h"

namespace mdlReports {

namespace fs = std::filesystem;

namespace {

std::atomic<ReportStepHook> g_hook{nullptr};

void Step(const char* step) {
    if (ReportStepHook hook = g_hook.load()) hook(step);
}

// How many files and folders RemoveTree deletes from path: path itself and
// everything below it, no link followed.
std::size_t CountTree(const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path, ec))) return 0;
    std::size_t entries = 1;
    for (fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec))
        ++entries;
    return entries;
}

// Deletes path with everything below it, read-only files and folders too;
// a link is removed, never followed. Gives up on what cannot be deleted and
// stops early when stop is set (the rest waits for the next sweep).
void RemoveTree(const fs::path& path, const std::atomic<bool>& stop, std::atomic<std::size_t>& removed) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (ec || !fs::exists(status)) return;
    if (fs::is_directory(status)) {
        // A folder without write permission would keep its content; files
        // need none to be deleted.
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        // Read whole before deleting, so the listing does not shift under it.
        std::vector<fs::path> entries;
        for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
            entries.push_back(it->path());
        for (const fs::path& entry : entries) {
            if (stop) return;
            RemoveTree(entry, stop, removed);
        }
    }
    if (fs::remove(path, ec)) Step(kStepRemoving);
    // What could not be deleted counts too: the share is of the work done.
    ++removed;
}

// The one thread that deletes what was set aside, in the order handed in.
class Remover {
public:
    static Remover& Instance() {
        static Remover remover;
        return remover;
    }

    void Add(const fs::path& folder) {
        std::lock_guard lock(m_mutex);
        if (!m_known.insert(folder).second) return;
        m_queue.push_back(folder);
        if (!m_thread.joinable()) m_thread = std::thread([this] { Loop(); });
        m_work.notify_one();
    }

    // True once nothing is left, within the time given.
    bool WaitIdle(std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        return m_idle.wait_for(lock, timeout, [this] { return m_known.empty(); });
    }

    // The part deleted of what was handed in since the thread was last idle.
    double Share() const {
        const std::size_t total = m_total;
        return total == 0 ? 0.0 : static_cast<double>(m_removed) / static_cast<double>(total);
    }

    // At the end of the process the rest is left for the next sweep.
    ~Remover() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_work.notify_one();
        if (m_thread.joinable()) m_thread.join();
    }

private:
    Remover() = default;

    void Loop() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_work.wait(lock, [this] { return m_stop || !m_queue.empty(); });
            if (m_stop) return;
            // Everything handed in is counted before anything is deleted, so
            // the share of it done only grows.
            std::deque<fs::path> uncounted(m_queue.begin() + static_cast<std::ptrdiff_t>(m_counted), m_queue.end());
            m_counted = m_queue.size();
            const fs::path folder = m_queue.front();
            lock.unlock();
            for (const fs::path& more : uncounted) m_total += CountTree(more);
            RemoveTree(folder, m_stop, m_removed);
            lock.lock();
            m_queue.pop_front();
            --m_counted;
            m_known.erase(folder);
            if (m_known.empty()) {
                m_total = 0;
                m_removed = 0;
                m_idle.notify_all();
            }
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_work, m_idle;
    std::deque<fs::path> m_queue;
    std::set<fs::path> m_known;   // queued or being deleted
    std::size_t m_counted = 0;    // of the queue, those counted into m_total
    std::atomic<std::size_t> m_total{0};     // files and folders handed in
    std::atomic<std::size_t> m_removed{0};   // of them, done
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

std::string RandomSuffix() {
    static std::atomic<unsigned> counter{0};
    static std::random_device random;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "%d-%08x", static_cast<int>(::getpid()), random() ^ ++counter);
    return suffix;
}

}  // namespace

std::string AsidePrefix(const ReportPaths& paths) { return paths.g_ReportRoot.filename().string() + ".removing-"; }

bool SetAside(const ReportPaths& paths, const fs::path& folder) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(folder, ec))) return true;
    const fs::path output = paths.g_ReportRoot.parent_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path aside = output / (AsidePrefix(paths) + RandomSuffix());
        // An empty folder of that name would be replaced: only a fuller one
        // sends the next try.
        if (fs::exists(fs::symlink_status(aside, ec))) continue;
        if (::rename(folder.c_str(), aside.c_str()) == 0) return true;
        if (errno != EEXIST && errno != ENOTEMPTY) break;
    }
    const std::atomic<bool> never{false};
    std::atomic<std::size_t> removed{0};
    RemoveTree(folder, never, removed);
    return !fs::exists(fs::symlink_status(folder, ec));
}

void RemoveSetAside(const ReportPaths& paths) {
    const std::string prefix = AsidePrefix(paths);
    std::error_code ec;
    for (fs::directory_iterator it(paths.g_ReportRoot.parent_path(), ec), end; !ec && it != end; it.increment(ec))
        if (it->path().filename().string().rfind(prefix, 0) == 0) Remover::Instance().Add(it->path());
}

void Discard(const ReportPaths& paths, const fs::path& folder) {
    SetAside(paths, folder);
    RemoveSetAside(paths);
}

bool WaitForRemovals(common::IProgress& progress) {
    using namespace std::chrono_literals;
    Remover& remover = Remover::Instance();
    if (remover.WaitIdle(0ms)) return true;
    if (progress.Cancelled()) return false;
    return common::AwaitShare(
        progress, kRemovingEarlierReports, [&remover](std::chrono::milliseconds wait) { return remover.WaitIdle(wait); },
        [&remover] { return remover.Share(); });
}

void SetReportStepHook(ReportStepHook hook) { g_hook = hook; }

}  // namespace mdlReports
