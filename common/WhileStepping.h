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
#include <string>
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

// Waits the same way for work under way on another thread; raises what it
// raised.
template <class Result>
Result AwaitStepping(IProgress& progress, std::future<Result>& work) {
    AwaitStepping(progress,
                  [&work](std::chrono::milliseconds wait) { return work.wait_for(wait) == std::future_status::ready; });
    return work.get();
}

// Runs work on another thread and waits for it the same way; raises what
// work raised. work must not touch what the caller's steps touch.
template <class Work>
void WhileStepping(IProgress& progress, Work&& work) {
    auto done = std::async(std::launch::async, std::forward<Work>(work));
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
