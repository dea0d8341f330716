#include "reports/BackgroundJobs.h"

#include <QThread>
#include <QThreadPool>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <exception>

#include "reports/ReportError.h"

namespace mdlReports {

namespace {

// Jobs waiting per thread: enough to keep every thread busy while the
// calling thread prepares the next ones.
constexpr std::size_t kQueuedPerThread = 2;

// The calling thread's niceness raised: beside a thread of normal
// priority it gets about a tenth of a shared core, so the run's own work
// goes first, without the run yielding wholly to every other program on
// the machine. The threads of a pool are its own and end with it, so the
// change never reaches other work. Failing, the thread merely keeps its
// priority.
void YieldToOtherThreads() {
    thread_local bool lowered = false;
    if (lowered) return;
    lowered = true;
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
}

}  // namespace

BackgroundJobs::BackgroundJobs(int threads, Share share) : m_share(share) {
    m_threads = threads > 0 ? threads : std::max(1, QThread::idealThreadCount());
    if (m_threads > 1) {
        m_pool = std::make_unique<QThreadPool>();
        m_pool->setMaxThreadCount(m_threads);
    }
}

BackgroundJobs::~BackgroundJobs() {
    Abandon();
    m_pool.reset();   // joins the threads
}

void BackgroundJobs::Run(const std::function<void()>& job) {
    {
        std::lock_guard lock(m_mutex);
        if (m_abandon) return;
    }
    try {
        job();
    } catch (const std::exception& e) {
        std::lock_guard lock(m_mutex);
        if (!m_failure) m_failure = e.what();
    }
}

void BackgroundJobs::Submit(std::function<void()> job) {
    RaiseFailure();
    if (!m_pool) {
        Run(job);
        RaiseFailure();
        return;
    }
    {
        std::unique_lock lock(m_mutex);
        if (m_share == Share::Paced)
            m_done.wait(lock,
                        [this] { return m_inFlight < kQueuedPerThread * static_cast<std::size_t>(m_threads); });
        ++m_inFlight;
    }
    m_pool->start([this, job = std::move(job)]() mutable {
        if (m_share == Share::Behind) YieldToOtherThreads();
        Run(job);
        job = nullptr;   // what it held goes before the next job is let in
        std::lock_guard lock(m_mutex);
        --m_inFlight;
        m_done.notify_all();
    });
}

void BackgroundJobs::RaiseFailure() {
    std::lock_guard lock(m_mutex);
    if (m_failure) throw ReportError(*m_failure);
}

void BackgroundJobs::Finish() {
    {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [this] { return m_inFlight == 0; });
    }
    RaiseFailure();
}

bool BackgroundJobs::FinishWithin(std::chrono::milliseconds wait) {
    {
        std::unique_lock lock(m_mutex);
        if (!m_done.wait_for(lock, wait, [this] { return m_inFlight == 0; })) return false;
    }
    RaiseFailure();
    return true;
}

void BackgroundJobs::Abandon() {
    std::unique_lock lock(m_mutex);
    m_abandon = true;
    m_done.wait(lock, [this] { return m_inFlight == 0; });
    m_abandon = false;
    m_failure.reset();
}

}  // namespace mdlReports
