#pragma once
// Holds the thread that deletes report sets set aside at its first deleted
// file until released, so a test can tell whether anything waited for the
// deletion: a window that waits would wait for ever, so it is released as
// soon as the wait shows its progress, and the test sees that it did.

#include <condition_variable>
#include <mutex>
#include <string_view>

#include "common/Progress.h"
#include "reports/AsideRemoval.h"

namespace reporttest {

class HeldRemoval {
public:
    // The caption of the level under which a window waits for the deletion.
    static constexpr const char* kWaitCaption = mdlReports::kRemovingEarlierReports;

    HeldRemoval() {
        State& s = Shared();
        std::lock_guard lock(s.mutex);
        s.released = false;
        mdlReports::SetReportStepHook(&Hold);
    }
    ~HeldRemoval() {
        Release();
        // Gone before the test's folder is.
        common::NullProgress quiet;
        mdlReports::WaitForRemovals(quiet);
        mdlReports::SetReportStepHook(nullptr);
    }
    HeldRemoval(const HeldRemoval&) = delete;
    HeldRemoval& operator=(const HeldRemoval&) = delete;

    void Release() {
        State& s = Shared();
        {
            std::lock_guard lock(s.mutex);
            s.released = true;
        }
        s.changed.notify_all();
    }
    bool Released() const {
        State& s = Shared();
        std::lock_guard lock(s.mutex);
        return s.released;
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        bool released = true;
    };
    static State& Shared() {
        static State state;
        return state;
    }
    static void Hold(const char* step) {
        if (std::string_view(step) != mdlReports::kStepRemoving) return;
        State& s = Shared();
        std::unique_lock lock(s.mutex);
        s.changed.wait(lock, [&s] { return s.released; });
    }
};

}  // namespace reporttest
