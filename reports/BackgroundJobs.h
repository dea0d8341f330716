#pragma once
// Work a page writer hands to other threads: writing files, and painting
// and encoding images, which wait on the disk or the processor while the
// calling thread goes on with the database and the next page. Jobs may run
// in any order; each must touch only what it was given. They are begun in
// the order they came.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class QThreadPool;

namespace common { class IProgress; }

namespace mdlReports {

class BackgroundJobs {
public:
    enum class Share {
        // A few jobs per thread are queued; Submit waits beyond that, so the
        // caller keeps pace with the threads.
        Paced,
        // Submit never waits and the threads run at a lower priority than
        // the caller's: the jobs take only the processor time the rest of
        // the process leaves, while the caller goes on with work of its own.
        // What the queued jobs hold is the caller's to keep small.
        Behind,
    };

    // threads: 0 takes the machine's cores; 1 runs every job at once on the
    // calling thread.
    explicit BackgroundJobs(int threads = 0, Share share = Share::Paced);
    // Drops the jobs not yet begun and waits for those under way.
    ~BackgroundJobs();
    BackgroundJobs(const BackgroundJobs&) = delete;
    BackgroundJobs& operator=(const BackgroundJobs&) = delete;

    // For jobs submitted from the window's thread: while Submit, Finish or
    // Abandon wait, the window's events run on empty progress steps, every
    // few tens of milliseconds. Not from the destructor.
    void StepWhileWaiting(common::IProgress& progress) { m_stepping = &progress; }

    // Runs the job, on another thread when there are several. A job that
    // throws is a failure: the first one is raised as ReportError by the
    // next Submit or by Finish. When paced, waits while a few jobs per
    // thread are queued, so that what the queued jobs hold stays small.
    void Submit(std::function<void()> job);
    // Jobs behind the caller are now awaited: the rest, and those submitted
    // later, are run by threads of the caller's priority (they are started
    // from the caller's thread and inherit it), so that a busy machine does
    // not leave them only its spare time. Nothing for paced jobs.
    void Hurry();
    // Waits until every job has run; raises the first failure.
    void Finish();
    // Waits at most for the time given; true when every job has run, then
    // raises the first failure as Finish does.
    bool FinishWithin(std::chrono::milliseconds wait);
    // Drops the jobs not yet begun and waits for those under way; failures
    // are forgotten. No job runs after it returns.
    void Abandon();

    int Threads() const { return m_threads; }
    // How many jobs have run so far, failed ones included.
    std::size_t Ran() const;

private:
    void Run(const std::function<void()>& job);
    void RunNext(bool behind);
    void Start(QThreadPool& pool, bool behind);
    void RaiseFailure();
    // Whether no more than jobs are in flight, waiting at most for the time
    // given; woken as each job ends.
    bool InFlightWithin(std::size_t jobs, std::chrono::milliseconds wait);
    // Waits until no more than jobs are in flight, stepping when asked to.
    void WaitForInFlight(std::size_t jobs);

    int m_threads = 1;
    Share m_share = Share::Paced;
    int m_callerNiceness = 0;   // of the thread that made the jobs: the threads behind it are nicer still
    std::unique_ptr<QThreadPool> m_pool;
    std::unique_ptr<QThreadPool> m_hurried;   // after Hurry: the threads of the caller's priority
    std::atomic<bool> m_isHurried{false};     // m_hurried is set, read without the lock
    common::IProgress* m_stepping = nullptr;
    mutable std::mutex m_mutex;
    std::condition_variable m_done;
    std::deque<std::function<void()>> m_queue;   // submitted, not yet begun
    std::size_t m_inFlight = 0;                  // submitted and not yet done
    std::size_t m_ran = 0;
    std::atomic<bool> m_failed{false};           // m_failure is set
    std::optional<std::string> m_failure;
};

}  // namespace mdlReports
