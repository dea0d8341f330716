#pragma once
// Program models read on worker threads a few programs ahead of the
// analysis that uses them. Each program's model is located on the calling
// thread (LocateProgramModel: the repository is not shared between
// threads); the model itself, a database file of its own, is opened, read
// and closed on a worker. Results come back in the order the programs were
// queued, so the calling thread writes rows, steps and skipped lines as it
// would reading one model after the other. What is read ahead stays small:
// a few programs per thread.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "common/Progress.h"
#include "common/WhileStepping.h"
#include "platform/db/Database.h"
#include "reports/BackgroundJobs.h"
#include "reports/ProgramModel.h"

namespace mdlReports {

template <class Result>
class ModelReadAhead {
public:
    // Runs on several workers at once: it may touch only the model it is
    // given. Raising WorkbenchError or DbError skips the program.
    using Read = std::function<Result(platform::workbench::CodeModel&)>;

    struct Outcome {
        Result result{};                     // what read returned; empty when the model was not read
        std::optional<std::string> skipped;  // why the program was skipped, if it was
    };

    // threads: 0 takes the machine's cores; 1 (and an SQLite built without
    // threads) reads each model on the calling thread as it is queued.
    ModelReadAhead(const platform::workbench::EntityStore& store, std::filesystem::path workspaceFolder, int threads,
                   Read read)
        : m_store(store),
          m_folder(std::move(workspaceFolder)),
          m_read(std::move(read)),
          m_jobs(platform::db::Database::ThreadsAllowed() ? threads : 1) {
        m_capacity = m_jobs.Threads() == 1 ? 1 : kAheadPerThread * static_cast<std::size_t>(m_jobs.Threads());
    }
    // Drops the reads not begun (a cancel) and waits for those under way.
    ~ModelReadAhead() { m_jobs.Abandon(); }
    ModelReadAhead(const ModelReadAhead&) = delete;
    ModelReadAhead& operator=(const ModelReadAhead&) = delete;

    // Whether the queue has room for another program.
    bool HasRoom() const { return m_queue.size() < m_capacity; }
    // How many programs are read ahead at most.
    std::size_t Capacity() const { return m_capacity; }

    // Locates the program's model now and reads it on a worker. Returns
    // whether the program names a model, usable or not.
    bool Queue(std::string_view programId) {
        auto job = std::make_shared<Job>();
        job->where = LocateProgramModel(m_store, programId);
        const bool named = job->where.NamesModel();
        m_queue.push_back(job);
        if (job->where.state == ModelLocation::State::Named)
            m_jobs.Submit([this, job] { Run(*job); });
        else
            Run(*job);  // nothing to open: the answer is known now
        return named;
    }

    // Waits for the earliest program queued and not yet taken, reporting
    // an empty step every few tens of milliseconds meanwhile: on a busy
    // machine a worker may take a while, and the window's events run in the
    // steps. A failure other than the model's own raises here.
    Outcome Take(common::IProgress& progress) {
        const std::shared_ptr<Job> job = std::move(m_queue.front());
        m_queue.pop_front();
        common::AwaitStepping(progress, [&](std::chrono::milliseconds wait) {
            std::unique_lock lock(m_mutex);
            return m_done.wait_for(lock, wait, [&] { return job->done; });
        });
        if (job->failure) std::rethrow_exception(job->failure);
        return std::move(job->outcome);
    }

private:
    static constexpr std::size_t kAheadPerThread = 2;

    struct Job {
        ModelLocation where;
        Outcome outcome;
        std::exception_ptr failure;
        bool done = false;
    };

    void Run(Job& job) {
        Outcome outcome;
        std::exception_ptr failure;
        try {
            outcome.skipped = ReadProgramModel(job.where, m_store, m_folder,
                                               [&](platform::workbench::CodeModel& model) { outcome.result = m_read(model); });
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard lock(m_mutex);
        job.outcome = std::move(outcome);
        job.failure = failure;
        job.done = true;
        m_done.notify_all();
    }

    const platform::workbench::EntityStore& m_store;
    const std::filesystem::path m_folder;
    const Read m_read;
    std::size_t m_capacity = 1;
    std::deque<std::shared_ptr<Job>> m_queue;  // the calling thread's alone
    std::mutex m_mutex;
    std::condition_variable m_done;
    BackgroundJobs m_jobs;  // last: no job outlives the members it uses
};

}  // namespace mdlReports
