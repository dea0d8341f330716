#pragma once
// The one way the window's thread waits for work on other threads: in
// slices of a few tens of milliseconds, an empty progress step after each
// slice that ended without the work, where the main window lets its events
// run. Every wait of a long operation goes through AwaitStepping, whether
// it waits on a condition variable, a future or anything else that can
// wait for a given time.

#include <chrono>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>

#include "common/Progress.h"

namespace common {

// How long one slice of a wait lasts: short enough that the window's
// events never wait much longer.
inline constexpr std::chrono::milliseconds kWaitSlice{40};

// Whether the awaited work is done, waiting at most for the time given.
using DoneWithin = std::function<bool(std::chrono::milliseconds wait)>;

// Waits until done(kWaitSlice) says the work is done, an empty step after
// each slice without it. stop, when given, is asked before each slice: true
// ends the wait before the work is done, and the result is then false.
bool AwaitStepping(IProgress& progress, const DoneWithin& done, const std::function<bool()>& stop = {});

// Work started on a thread of its own. Its result is there as soon as the
// work has returned and what it held is destroyed: nothing waits for the
// thread itself to end, which a loaded machine may put off for a long while
// (a future of std::async waits for that end in every wait, holding the
// window's thread). Going out of scope waits for the work, not the thread.
template <class Result>
class AsideWork {
public:
    template <class Work>
    explicit AsideWork(Work work) {
        std::promise<Result> promise;
        m_done = promise.get_future();
        std::thread([promise = std::move(promise), work = std::optional<Work>(std::move(work))]() mutable {
            try {
                if constexpr (std::is_void_v<Result>) {
                    (*work)();
                    work.reset();
                    promise.set_value();
                } else {
                    Result result = (*work)();
                    work.reset();
                    promise.set_value(std::move(result));
                }
            } catch (...) {
                work.reset();
                promise.set_exception(std::current_exception());
            }
        }).detach();
    }
    ~AsideWork() {
        if (m_done.valid()) m_done.wait();
    }
    AsideWork(const AsideWork&) = delete;
    AsideWork& operator=(const AsideWork&) = delete;

    bool DoneWithin(std::chrono::milliseconds wait) const {
        return m_done.wait_for(wait) == std::future_status::ready;
    }
    // The result, or what the work raised; once.
    Result Take() { return m_done.get(); }

private:
    std::future<Result> m_done;
};

// Starts work on a thread of its own (see AsideWork).
template <class Work>
AsideWork<std::invoke_result_t<Work&>> StartAside(Work work) {
    return AsideWork<std::invoke_result_t<Work&>>(std::move(work));
}

// Waits the same way for work started aside; raises what it raised.
template <class Result>
Result AwaitStepping(IProgress& progress, AsideWork<Result>& work) {
    AwaitStepping(progress, [&work](std::chrono::milliseconds wait) { return work.DoneWithin(wait); });
    return work.Take();
}

// Runs work on another thread and waits for it the same way; raises what
// work raised. work must not touch what the caller's steps touch.
template <class Work>
void WhileStepping(IProgress& progress, Work&& work) {
    AsideWork<void> done(std::forward<Work>(work));
    AwaitStepping(progress, done);
}

// A wait the analyst sees and may cancel: a step showing caption first,
// then the slices, after each of which moved() may advance the bar. False
// as soon as the analyst cancels, also before the work is done or looked
// at (the work itself goes on: stopping it is the caller's).
bool AwaitShown(IProgress& progress, const std::string& caption, const DoneWithin& done,
                const std::function<void()>& moved = {});

// The same under a progress level of its own whose bar follows share(),
// the part of the work done, from 0 to 1.
bool AwaitShare(IProgress& progress, const std::string& caption, const DoneWithin& done,
                const std::function<double()>& share);

}  // namespace common
