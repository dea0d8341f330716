// Work on another thread while the window's thread waits in steps: the wait
// ends when the work is done, not when its thread has ended, and what the
// work raised comes back.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>

#include "common/WhileStepping.h"
#include "tests/support/TestSupport.h"

namespace {

// Holds a thread at its end, after its work has returned, until let go or
// a bound has passed (so that a wait for that end fails the test instead of
// hanging it).
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    bool ended = false;   // a thread held here has ended

    void HoldEnd() {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(20), [this] { return open; });
        ended = true;
    }
    void Open() {
        {
            std::lock_guard lock(mutex);
            open = true;
        }
        changed.notify_all();
    }
    bool Ended() {
        std::lock_guard lock(mutex);
        return ended;
    }
};

Gate g_gate;   // outlives any thread it holds

// Destroyed as the thread that made it ends, after the work returned.
struct HeldAtThreadEnd {
    ~HeldAtThreadEnd() { g_gate.HoldEnd(); }
};

TEST(WhileStepping, TheWaitEndsWhenTheWorkIsDoneNotWhenItsThreadHasEnded) {
    testsupport::RecordingProgress progress;
    bool done = false;
    common::WhileStepping(progress, [&] {
        thread_local HeldAtThreadEnd heldAtEnd;
        (void)heldAtEnd;
        done = true;
    });
    EXPECT_TRUE(done);
    EXPECT_FALSE(g_gate.Ended()) << "the wait took until the work's thread had ended";
    g_gate.Open();
}

TEST(WhileStepping, StepsWhileTheWorkRunsAndRaisesWhatItRaised) {
    // The work ends only once the wait has shown a step.
    struct SteppedProgress : testsupport::RecordingProgress {
        std::atomic<bool> stepped{false};
        void StartStep(const std::string& action) override {
            RecordingProgress::StartStep(action);
            stepped = true;
        }
    } progress;
    EXPECT_THROW(common::WhileStepping(progress,
                                       [&] {
                                           while (!progress.stepped) std::this_thread::yield();
                                           throw std::runtime_error("failed aside");
                                       }),
                 std::runtime_error);
    EXPECT_GE(progress.steps.size(), 1u);

    // A result comes back the same way, and leaving early still waits for the work.
    auto answer = common::StartAside([] { return std::string("read"); });
    EXPECT_EQ(common::AwaitStepping(progress, answer), "read");
    std::atomic<bool> finished{false};
    {
        auto dropped = common::StartAside([&] {
            while (!progress.stepped) std::this_thread::yield();
            finished = true;
        });
    }
    EXPECT_TRUE(finished);
}

}  // namespace
