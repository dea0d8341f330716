#pragma once
// Work a page writer hands to other threads: writing files, and painting
// and encoding images, which wait on the disk or the processor while the
// calling thread goes on with the database and the next page. Jobs may run
// in any order; each must touch only what it was given.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class QThreadPool;

namespace mdlReports {

class BackgroundJobs {
public:
    enum class Share {
        // A few jobs per thread are queued; Submit waits beyond that, so the
        // caller keeps pace with the threads.
        Paced,
        // Submit never waits and the threads run at the lowest priority: the
        // jobs take only the processor time the rest of the process leaves,
        // while the caller goes on with work of its own. What the queued
        // jobs hold is the caller's to keep small.
        Behind,
    };

    // threads: 0 takes the machine's cores; 1 runs every job at once on the
    // calling thread.
    explicit BackgroundJobs(int threads = 0, Share share = Share::Paced);
    // Drops the jobs not yet begun and waits for those under way.
    ~BackgroundJobs();
    BackgroundJobs(const BackgroundJobs&) = delete;
    BackgroundJobs& operator=(const BackgroundJobs&) = delete;

    // Runs the job, on another thread when there are several. A job that
    // throws is a failure: the first one is raised as ReportError by the
    // next Submit or by Finish. When paced, waits while a few jobs per
    // thread are queued, so that what the queued jobs hold stays small.
    void Submit(std::function<void()> job);
    // Waits until every job has run; raises the first failure.
    void Finish();
    // Waits at most for the time given; true when every job has run, then
    // raises the first failure as Finish does.
    bool FinishWithin(std::chrono::milliseconds wait);
    // Drops the jobs not yet begun and waits for those under way; failures
    // are forgotten. No job runs after it returns.
    void Abandon();

    int Threads() const { return m_threads; }

private:
    void Run(const std::function<void()>& job);
    void RaiseFailure();

    int m_threads = 1;
    Share m_share = Share::Paced;
    std::unique_ptr<QThreadPool> m_pool;
    std::mutex m_mutex;
    std::condition_variable m_done;
    std::size_t m_inFlight = 0;   // submitted and not yet done
    bool m_abandon = false;       // jobs not yet begun are skipped
    std::optional<std::string> m_failure;
};

}  // namespace mdlReports
