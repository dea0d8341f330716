#include "reports/BackgroundJobs.h"

#include <QThread>
#include <QThreadPool>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>

#include "common/Progress.h"
#include "common/WhileStepping.h"
#include "reports/ReportError.h"

namespace mdlReports {

namespace {

// Jobs waiting per thread: enough to keep every thread busy while the
// calling thread prepares the next ones.
constexpr std::size_t kQueuedPerThread = 2;

// How much nicer than the caller the threads behind it are: beside a
// thread of the caller's priority such a thread gets about a tenth of a
// shared core, so the run's own work goes first, without the run yielding
// wholly to every other program on the machine.
constexpr int kBehindNiceness = 10;

// The calling thread's niceness, as the system counts it (-20 to 19).
int OwnNiceness() {
    errno = 0;
    const int niceness = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    return errno == 0 ? niceness : 0;
}

// The calling thread made kBehindNiceness nicer than the caller that
// owns its pool, whatever niceness the whole process was started with. The
// threads of a pool are its own and end with it, so the change never
// reaches other work. Failing, the thread merely keeps its priority.
void YieldToOtherThreads(int callerNiceness) {
    thread_local bool lowered = false;
    if (lowered) return;
    lowered = true;
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), std::min(19, callerNiceness + kBehindNiceness));
}

std::unique_ptr<QThreadPool> MakePool(int threads) {
    auto pool = std::make_unique<QThreadPool>();
    pool->setMaxThreadCount(threads);
    return pool;
}

}  // namespace

BackgroundJobs::BackgroundJobs(int threads, Share share) : m_share(share), m_callerNiceness(OwnNiceness()) {
    m_threads = threads > 0 ? threads : std::max(1, QThread::idealThreadCount());
    if (m_threads > 1) m_pool = MakePool(m_threads);
}

BackgroundJobs::~BackgroundJobs() {
    m_stepping = nullptr;
    Abandon();
    // Joins the threads.
    m_hurried.reset();
    m_pool.reset();
}

void BackgroundJobs::Run(const std::function<void()>& job) {
    try {
        job();
    } catch (const std::exception& e) {
        std::lock_guard lock(m_mutex);
        if (!m_failure) m_failure = e.what();
        m_failed = true;
    }
}

// Each submitted job starts one of these on a pool; it takes the oldest
// job waiting, if there still is one for its kind of thread.
void BackgroundJobs::RunNext(bool behind) {
    // Once hurried, the thousands of tasks still queued on the threads of
    // low priority end here, without the lock: one of them preempted while
    // holding it would keep the caller (the window's thread) waiting for as
    // long as a busy machine leaves such a thread without a processor.
    if (behind && m_isHurried) return;
    if (behind) YieldToOtherThreads(m_callerNiceness);
    std::function<void()> job;
    {
        std::lock_guard lock(m_mutex);
        // Once hurried, the jobs are left to the threads of normal priority,
        // which were started one for each.
        if (m_queue.empty() || (behind && m_hurried)) return;
        job = std::move(m_queue.front());
        m_queue.pop_front();
    }
    Run(job);
    job = nullptr;   // what it held goes before the next job is let in
    {
        std::lock_guard lock(m_mutex);
        ++m_ran;
        --m_inFlight;
    }
    m_done.notify_all();
}

void BackgroundJobs::Start(QThreadPool& pool, bool behind) {
    pool.start([this, behind] { RunNext(behind); });
}

bool BackgroundJobs::InFlightWithin(std::size_t jobs, std::chrono::milliseconds wait) {
    std::unique_lock lock(m_mutex);
    return m_done.wait_for(lock, wait, [&] { return m_inFlight <= jobs; });
}

void BackgroundJobs::WaitForInFlight(std::size_t jobs) {
    common::NullProgress unseen;
    common::AwaitStepping(m_stepping ? *m_stepping : unseen,
                          [&](std::chrono::milliseconds wait) { return InFlightWithin(jobs, wait); });
}

void BackgroundJobs::Submit(std::function<void()> job) {
    RaiseFailure();
    if (!m_pool) {
        Run(job);
        {
            std::lock_guard lock(m_mutex);
            ++m_ran;
        }
        RaiseFailure();
        return;
    }
    if (m_share == Share::Paced) WaitForInFlight(kQueuedPerThread * static_cast<std::size_t>(m_threads) - 1);
    QThreadPool* pool = nullptr;
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(job));
        ++m_inFlight;
        pool = m_hurried ? m_hurried.get() : m_pool.get();
    }
    Start(*pool, pool == m_pool.get() && m_share == Share::Behind);
}

void BackgroundJobs::Hurry() {
    if (!m_pool || m_share != Share::Behind) return;
    std::size_t waiting = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_hurried) return;
        m_hurried = MakePool(m_threads);
        m_isHurried = true;
        waiting = m_queue.size();
    }
    // The threads of lower priority finish the jobs they have begun and
    // take no more.
    for (std::size_t i = 0; i < waiting; ++i) Start(*m_hurried, false);
}

void BackgroundJobs::RaiseFailure() {
    if (!m_failed) return;
    std::lock_guard lock(m_mutex);
    if (m_failure) throw ReportError(*m_failure);
}

void BackgroundJobs::Finish() {
    WaitForInFlight(0);
    RaiseFailure();
}

bool BackgroundJobs::FinishWithin(std::chrono::milliseconds wait) {
    if (!InFlightWithin(0, wait)) return false;
    RaiseFailure();
    return true;
}

void BackgroundJobs::Abandon() {
    {
        std::lock_guard lock(m_mutex);
        m_inFlight -= m_queue.size();
        m_queue.clear();
    }
    WaitForInFlight(0);
    std::lock_guard lock(m_mutex);
    m_failure.reset();
    m_failed = false;
}

std::size_t BackgroundJobs::Ran() const {
    std::lock_guard lock(m_mutex);
    return m_ran;
}

}  // namespace mdlReports
