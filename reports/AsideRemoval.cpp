#include "reports/AsideRemoval.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <string>
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

void Removed() { Step(kStepRemoving); }

// A folder set aside: its name in the Output folder, held open.
struct Aside {
    std::shared_ptr<const common::HeldFolder> output;
    std::string name;
    std::string key;   // the folder's path, known once
};

// The one thread that deletes what was set aside, in the order handed in.
class Remover {
public:
    static Remover& Instance() {
        static Remover remover;
        return remover;
    }

    void Add(Aside folder) {
        std::lock_guard lock(m_mutex);
        if (!m_known.insert(folder.key).second) return;
        m_queue.push_back(std::move(folder));
        m_arrived = true;
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
            const Aside folder = m_queue.front();
            lock.unlock();
            // Everything handed in is counted before more is deleted, also
            // what comes while a folder is being deleted: counted only after
            // it, a second removal would find the bar already at its end.
            CountArrivals();
            common::RemoveTreeAt(folder.output->fd, folder.name, m_stop, m_removed, [] {
                Removed();
                Remover& remover = Instance();
                if (remover.m_arrived) remover.CountArrivals();
            });
            lock.lock();
            m_queue.pop_front();
            --m_counted;
            m_known.erase(folder.key);
            if (m_known.empty()) {
                m_total = 0;
                m_removed = 0;
                m_idle.notify_all();
            }
        }
    }

    // Adds the folders handed in and not yet counted to m_total. Called on
    // the thread only, without the lock.
    void CountArrivals() {
        std::deque<Aside> uncounted;
        {
            std::lock_guard lock(m_mutex);
            m_arrived = false;
            uncounted.assign(m_queue.begin() + static_cast<std::ptrdiff_t>(m_counted), m_queue.end());
            m_counted = m_queue.size();
        }
        for (const Aside& more : uncounted) m_total += common::CountTreeAt(more.output->fd, more.name);
    }

    std::mutex m_mutex;
    std::condition_variable m_work, m_idle;
    std::deque<Aside> m_queue;
    std::set<std::string> m_known;   // queued or being deleted
    std::size_t m_counted = 0;    // of the queue, those counted into m_total
    std::atomic<std::size_t> m_total{0};     // files and folders handed in
    std::atomic<std::size_t> m_removed{0};   // of them, done
    std::atomic<bool> m_arrived{false};      // the queue has folders not counted yet
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

bool SetAside(const common::WriteBoundary& output, const ReportPaths& paths, const fs::path& folder) {
    Step(kStepSettingAside);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path aside = paths.g_ReportRoot.parent_path() / (AsidePrefix(paths) + RandomSuffix());
        // Never onto a name that is taken, an empty folder's either.
        const int error = output.Rename(folder, aside);
        if (error == 0 || error == ENOENT) return true;
        if (error != EEXIST) break;
    }
    return output.RemoveAll(folder);
}

void RemoveSetAside(const common::WriteBoundary& output, const ReportPaths& paths) {
    const std::string prefix = AsidePrefix(paths);
    std::shared_ptr<const common::HeldFolder> held;
    try {
        held = output.Hold(paths.g_ReportRoot.parent_path());
    } catch (const std::exception&) {
        return;   // no Output folder, nothing set aside
    }
    for (const std::string& name : common::FolderNames(held->fd))
        if (name.rfind(prefix, 0) == 0)
            Remover::Instance().Add({held, name, (paths.g_ReportRoot.parent_path() / name).string()});
}

void RemoveSetAside(const ReportPaths& paths) { RemoveSetAside(OutputFolderBoundary(paths), paths); }

void Discard(const common::WriteBoundary& output, const ReportPaths& paths, const fs::path& folder) {
    SetAside(output, paths, folder);
    RemoveSetAside(output, paths);
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
