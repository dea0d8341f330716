#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>

#include "reports/BackgroundJobs.h"
#include "reports/ReportError.h"

namespace {

using mdlReports::BackgroundJobs;

// Whether done() came true; a minute is far more than it takes.
bool Until(const std::function<bool()>& done) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!done())
        if (std::chrono::steady_clock::now() > giveUp) return false;
        else std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

int Niceness() {
    errno = 0;
    return getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
}

// Jobs queued behind the caller while every thread of low priority is busy
// are taken, once hurried, by threads of the caller's priority, which do
// not wait for the busy ones; what failed is raised once all have run. The
// priorities are the caller's own and ten below it (as far as the system
// goes), also when the whole process runs under nice.
TEST(BackgroundJobs, HurriedJobsBehindTheCallerRunAtNormalPriorityBesideTheBusyThreads) {
    const int own = Niceness();
    const int behind = std::min(19, own + 10);
    std::atomic<bool> release{false};
    std::mutex mutex;
    std::multiset<int> niceness;
    const auto record = [&] {
        std::lock_guard lock(mutex);
        niceness.insert(Niceness());
    };
    BackgroundJobs jobs(2, BackgroundJobs::Share::Behind);
    // The busy threads are let go however the test ends.
    struct Release {
        std::atomic<bool>& release;
        ~Release() { release = true; }
    } atEnd{release};

    for (int i = 0; i < 2; ++i)
        jobs.Submit([&] {
            record();
            while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
    ASSERT_TRUE(Until([&] {
        std::lock_guard lock(mutex);
        return niceness.size() == 2;
    }));
    EXPECT_EQ(niceness, (std::multiset<int>{behind, behind})) << "the caller runs at " << own;

    for (int i = 0; i < 4; ++i) jobs.Submit(record);
    jobs.Submit([] { throw mdlReports::ReportError("cannot write"); });
    jobs.Hurry();
    ASSERT_TRUE(Until([&] { return jobs.Ran() == 5; })) << "the queued jobs waited for the busy threads";
    EXPECT_FALSE(jobs.FinishWithin(std::chrono::milliseconds(0))) << "the first two still hold their threads";
    // (Under nice 19 the busy threads cannot go lower: they count too.)
    EXPECT_EQ(niceness.count(own), own == behind ? 6u : 4u);

    release = true;
    EXPECT_THROW(jobs.Finish(), mdlReports::ReportError);
    EXPECT_EQ(jobs.Ran(), 7u);
}

}  // namespace
