#include "views/FlowContextDrawing.h"

#include <atomic>
#include <chrono>
#include <filesystem>

#include "common/WhileStepping.h"
#include "platform/diagram/DiagramLayout.h"

namespace views {

namespace {

using platform::diagram::DiagramModel;

// A drawing this large, in questions put to the database or in boxes,
// shows its progress and takes Cancel: a smaller one is done before the
// window would miss a beat, and a progress strip that came and went at
// once would only flicker. Questions: about two for each box a walk adds.
constexpr int kShownQuestions = 1000;
constexpr std::size_t kShownBoxes = 500;

}  // namespace

std::optional<std::vector<FlowContextSide>> LayOutFlowContext(FlowContextSource& source, const std::string& programId,
                                                              const std::vector<int>& modes, int depth,
                                                              common::IProgress& progress,
                                                              const FlowContextCaptions& captions) {
    std::optional<common::ProgressScope> level;
    auto open = [&] {
        if (!level) level.emplace(progress, captions.level, 1, true);
    };
    auto cancelled = [&] { return level && progress.Cancelled(); };

    // The walks, the window's events running between their questions once
    // they are many.
    std::vector<FlowContextSide> sides;
    int questions = 0;
    source.StopWhen([&] {
        if (++questions == kShownQuestions) {
            open();
            progress.StartStep(captions.reading);
        } else if (questions > kShownQuestions) {
            progress.StartStep("");
        }
        return cancelled();
    });
    struct Unhook {
        FlowContextSource& source;
        ~Unhook() { source.StopWhen({}); }
    } unhook{source};
    std::size_t boxes = 0;
    for (int mode : modes) {
        DiagramModel model;
        std::filesystem::path noImage;
        Globals::BuildFlowContext(model, source, mode, programId, noImage, depth, false);
        if (cancelled()) return std::nullopt;
        FlowContextSide& side = sides.emplace_back();
        side.mode = mode;
        boxes += model.ShapeCount();
        if (model.ShapeCount() > 0) side.built.emplace(model);
    }

    // The layout works on models of its own, which nothing else touches
    // until it is done.
    std::atomic<bool> stop{false};
    auto work = common::StartAside([&sides, &stop] {
        for (FlowContextSide& side : sides) {
            if (!side.built) continue;
            side.laid = std::make_unique<DiagramModel>();
            side.built->Unpack(*side.laid);
            platform::diagram::AutoLayout(*side.laid, [&stop] { return stop.load(); });
        }
    });
    // Whatever ends the wait, the layout stops before its models go (the
    // work, going out of scope after this, waits for it).
    struct Stopping {
        std::atomic<bool>& stop;
        ~Stopping() { stop = true; }
    } stopping{stop};
    auto done = [&work](std::chrono::milliseconds wait) { return work.DoneWithin(wait); };
    if (level || boxes >= kShownBoxes) {
        open();
        if (!common::AwaitShown(progress, captions.layingOut, done)) {
            // The layout stops at its next step; the window's events run
            // until it has.
            stop = true;
            common::AwaitStepping(progress, done);
            try {
                work.Take();
            } catch (const platform::diagram::LayoutStopped&) {
            }
            return std::nullopt;
        }
        progress.FinishStep(1);
    } else {
        common::AwaitStepping(progress, done);
    }
    work.Take();  // raises what the layout raised
    return sides;
}

void TakeSide(const FlowContextSide& side, DiagramModel& into) {
    if (!side.built || !side.laid) return;
    side.built->Unpack(into);
    platform::diagram::TakeLayout(*side.laid, into);
}

}  // namespace views
