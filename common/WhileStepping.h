#pragma once
// One long call kept from freezing the window: it runs on another thread
// while the calling thread reports empty progress steps, where the main
// window lets its events run.

#include <chrono>
#include <future>
#include <utility>

#include "common/Progress.h"

namespace common {

// Runs work on another thread and reports an empty step every few tens of
// milliseconds until it is done; raises what work raised. work must not
// touch what the caller's steps touch.
// Waits for work under way on another thread the same way; raises what it
// raised.
template <class Result>
Result AwaitStepping(IProgress& progress, std::future<Result>& done) {
    while (done.wait_for(std::chrono::milliseconds(40)) != std::future_status::ready) progress.StartStep("");
    return done.get();
}

template <class Work>
void WhileStepping(IProgress& progress, Work&& work) {
    auto done = std::async(std::launch::async, std::forward<Work>(work));
    AwaitStepping(progress, done);
}

}  // namespace common
