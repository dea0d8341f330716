#include "common/WhileStepping.h"

#include <algorithm>
#include <cmath>

namespace common {

bool AwaitStepping(IProgress& progress, const DoneWithin& done, const std::function<bool()>& stop) {
    for (;;) {
        if (stop && stop()) return false;
        if (done(kWaitSlice)) return true;
        progress.StartStep("");
    }
}

bool AwaitShown(IProgress& progress, const std::string& caption, const DoneWithin& done,
                const std::function<void()>& moved) {
    // The caption goes up at once: the wait may be long.
    progress.StartStep(caption);
    const bool finished = AwaitStepping(progress, done, [&] {
        if (moved) moved();
        return progress.Cancelled();
    });
    if (finished && moved) moved();
    return finished;
}

bool AwaitShare(IProgress& progress, const std::string& caption, const DoneWithin& done,
                const std::function<double()>& share) {
    constexpr long kSteps = 100;
    ProgressScope level(progress, caption, kSteps, true);
    long shown = 0;
    const auto showUpTo = [&](double part) {
        for (const long due = std::lround(std::clamp(part, 0.0, 1.0) * kSteps); shown < due; ++shown)
            progress.FinishStep(1);
    };
    if (!AwaitShown(progress, caption, done, [&] { showUpTo(share()); })) return false;
    showUpTo(1.0);
    return true;
}

}  // namespace common
