// The progress strip with its nesting counter, and the Cancel button with
// its confirmation.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <stdexcept>

#include "tests/app/AppTestSupport.h"

using namespace apptest;
using common::Answer;

namespace {

class Progress : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetLayout();
        w = NewMainWindow();
        w->SetPrompt(&prompt);
    }
    bool StripShown() const { return !w->pictProgress->isHidden() && !w->pbProgress->isHidden(); }

    std::unique_ptr<frmMain> w;
    testsupport::ScriptedPrompt prompt;
};

}  // namespace

TEST_F(Progress, NestedLevelsGrowTheBarAndOnlyTheOutermostCloses) {
    EXPECT_FALSE(StripShown());
    w->StartProgress("Importing", 0, true);
    EXPECT_TRUE(StripShown());
    EXPECT_FALSE(w->cmdCancel->isHidden());
    EXPECT_EQ(w->lblProgress->text(), "Importing");
    EXPECT_EQ(w->pbProgress->minimum(), 0);
    EXPECT_EQ(w->pbProgress->maximum(), 1);
    EXPECT_EQ(w->pbProgress->value(), 0);

    w->StartProgress("Inner", 0, false);
    EXPECT_EQ(w->pbProgress->maximum(), 2);
    w->StartProgress("Inner 2", 10, false);
    EXPECT_EQ(w->pbProgress->maximum(), 12);
    // Inner levels keep the caption and the Cancel button.
    EXPECT_EQ(w->lblProgress->text(), "Importing");
    EXPECT_FALSE(w->cmdCancel->isHidden());
    EXPECT_EQ(w->ProgressLevel(), 3);

    w->FinishProgress();
    w->FinishProgress();
    EXPECT_TRUE(StripShown());
    EXPECT_EQ(w->lblProgress->text(), "Importing");
    w->FinishProgress();
    EXPECT_FALSE(StripShown());
    EXPECT_TRUE(w->cmdCancel->isHidden());
    EXPECT_EQ(w->lblProgress->text(), "");
    EXPECT_EQ(w->ProgressLevel(), 0);
}

TEST_F(Progress, StepsAdvanceTheBarAndCaption) {
    w->StartProgress("Classifying", 3, false);
    EXPECT_TRUE(w->cmdCancel->isHidden());
    w->StartStep("Program A");
    EXPECT_EQ(w->lblProgress->text(), "Program A");
    w->FinishStep(1);
    w->StartStep("");  // an empty caption keeps the last one
    EXPECT_EQ(w->lblProgress->text(), "Program A");
    w->FinishStep(2);
    EXPECT_EQ(w->pbProgress->value(), 3);
    w->FinishStep(5);  // beyond the maximum: ignored
    EXPECT_EQ(w->pbProgress->value(), 3);
    w->FinishProgress();
    // An unbalanced close changes nothing; the next level is outermost again.
    w->FinishProgress();
    EXPECT_EQ(w->ProgressLevel(), 0);
    w->StartProgress("Again", 4, true);
    EXPECT_TRUE(StripShown());
    EXPECT_EQ(w->pbProgress->maximum(), 4);
    EXPECT_EQ(w->pbProgress->value(), 0);
    w->FinishProgress();
}

TEST_F(Progress, CancelAsksWithTheActionCaptionThenTheLabelThenPlain) {
    w->DisableControls();
    w->StartProgress("Importing", 10, true);

    // No action caption: the label names the operation.
    prompt.answers = {Answer::No};
    w->cmdCancel->click();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0], "Do you wish to cancel Importing\nand all subsequent operations?");
    EXPECT_EQ(prompt.titles[0], "Quarvel Analyzer");
    // No changes nothing.
    EXPECT_FALSE(w->Cancelled());
    EXPECT_TRUE(w->cmdCancel->isEnabled());

    w->Action("Generating reports");
    prompt.answers = {Answer::No};
    w->cmdCancel_Click();
    EXPECT_EQ(prompt.asked.back(), "Do you wish to cancel Generating reports\nand all subsequent operations?");

    // Yes greys the button; Cancelled holds until the next bracket.
    prompt.answers = {Answer::Yes};
    w->cmdCancel_Click();
    EXPECT_TRUE(w->Cancelled());
    EXPECT_FALSE(w->cmdCancel->isEnabled());
    EXPECT_FALSE(w->cmdCancel->isHidden());
    w->FinishProgress();
    w->EnableControls();
    EXPECT_TRUE(w->Cancelled());
    w->DisableControls();
    EXPECT_FALSE(w->Cancelled());
    EXPECT_TRUE(w->cmdCancel->isEnabled());

    // A later operation without its own caption is named by the earlier one.
    w->StartProgress("Second run", 1, true);
    prompt.answers = {Answer::No};
    w->cmdCancel_Click();
    EXPECT_EQ(prompt.asked.back(), "Do you wish to cancel Generating reports\nand all subsequent operations?");
    w->FinishProgress();
    w->EnableControls();
}

TEST_F(Progress, CancelWithoutAnyCaptionAsksPlainly) {
    w->DisableControls();
    w->StartProgress("", 1, true);
    prompt.answers = {Answer::Yes};
    w->cmdCancel_Click();
    EXPECT_EQ(prompt.asked.back(), "Do you wish to cancel?");
    EXPECT_TRUE(w->Cancelled());
    w->FinishProgress();
    w->EnableControls();
}

TEST_F(Progress, CancelPressedWhileAnOperationRunsStopsItAtItsNextStep) {
    ShowAt(*w);
    w->DisableControls();
    common::ProgressScope scope(*w, "Importing", 100, true);
    prompt.answers = {Answer::Yes};
    // The click waits in the event queue until the operation yields.
    QTimer::singleShot(0, w->cmdCancel, [this] { w->cmdCancel->click(); });
    int steps = 0;
    for (int i = 0; i < 100 && !w->Cancelled(); ++i) {
        w->StartStep("Entity " + std::to_string(i));
        w->FinishStep(1);
        ++steps;
    }
    EXPECT_TRUE(w->Cancelled());
    EXPECT_LT(steps, 100);
    EXPECT_EQ(prompt.asked.size(), 1u);
    w->EnableControls();
}

TEST_F(Progress, ScopeClosesTheStripWhenAnOperationFails) {
    try {
        common::ProgressScope outer(*w, "Outer", 2, true);
        common::ProgressScope inner(*w, "Inner", 2, false);
        throw std::runtime_error("database is locked");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(w->ProgressLevel(), 0);
    EXPECT_FALSE(StripShown());
}
