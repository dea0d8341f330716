// A level shown in hundredths on a bar that counts whole steps: what the
// window is told, so that the bar moves within a step, never back, and
// stands after every step where a bar of whole steps would.

#include <gmock/gmock.h>

#include "common/StepShareBar.h"
#include "tests/support/TestSupport.h"

namespace {

using ::testing::ElementsAre;

TEST(StepShareBar, TheLevelAskedForMovesWithinItsStepsAndTheOthersPassThrough) {
    testsupport::RecordingProgress window;
    common::StepShareBar bar(window);
    bar.PartsForNextLevel();
    bar.StartProgress("Run", 3, true);
    bar.FinishStep(1);
    bar.StepShare(0.25);
    bar.StepShare(0.1);   // never back
    bar.StepShare(1.0);   // never the whole step
    bar.FinishStep(1);
    // A level inside counts as it comes, its shares for the window to show.
    bar.StartProgress("Inner", 4, false);
    bar.FinishStep(1);
    bar.StepShare(0.5);
    bar.FinishProgress();
    bar.FinishStep(1);
    bar.FinishProgress();
    EXPECT_THAT(window.calls, ElementsAre("StartProgress(Run,3,T)", "StartProgress(,297,T)", "FinishStep(100)",
                                          "FinishStep(25)", "FinishStep(74)", "FinishStep(1)",
                                          "StartProgress(Inner,4,F)", "FinishStep(1)", "FinishProgress",
                                          "FinishStep(100)", "FinishProgress", "FinishProgress"));
    EXPECT_THAT(window.shares, ElementsAre(std::pair<long, double>{201, 0.5}));
    EXPECT_EQ(window.level, 0);

    // Only the level asked for: the next one counts whole steps again.
    window = {};
    bar.StartProgress("Queues", 1, true);
    bar.StepShare(0.5);
    bar.FinishStep(1);
    bar.FinishProgress();
    EXPECT_THAT(window.calls, ElementsAre("StartProgress(Queues,1,T)", "FinishStep(1)", "FinishProgress"));
    EXPECT_EQ(window.shares.size(), 1u);
}

}  // namespace
