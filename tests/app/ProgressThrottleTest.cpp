// The progress strip under tens of thousands of steps: events (and with
// them repaints and the Cancel button) run at the first step and then every
// few tens of milliseconds, not at every step, and Cancel is still seen.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "tests/app/AppTestSupport.h"

using namespace apptest;

namespace {

// Counts the passes of the event loop: each delivery posts the next event,
// which only the following pass delivers.
class LoopCounter : public QObject {
public:
    static constexpr QEvent::Type kTick = static_cast<QEvent::Type>(QEvent::User + 251);
    int passes = 0;
    void Start() { QCoreApplication::postEvent(this, new QEvent(kTick)); }
    bool event(QEvent* e) override {
        if (e->type() != kTick) return QObject::event(e);
        ++passes;
        Start();
        return true;
    }
};

void BusyFor(qint64 nanoseconds) {
    QElapsedTimer t;
    t.start();
    while (t.nsecsElapsed() < nanoseconds) {
    }
}

class ProgressThrottle : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetLayout();
        w = NewMainWindow();
        w->SetPrompt(&prompt);
        ShowAt(*w);
    }
    std::unique_ptr<frmMain> w;
    testsupport::ScriptedPrompt prompt;
};

}  // namespace

TEST_F(ProgressThrottle, ManyStepsRunTheEventLoopOnlyEveryFewTensOfMilliseconds) {
    constexpr int kSteps = 30000;
    LoopCounter loop;
    QElapsedTimer elapsed;
    {
        common::ProgressScope scope(*w, "Collecting programs", kSteps, true);
        loop.Start();
        elapsed.start();
        for (int i = 0; i < kSteps; ++i) {
            w->StartStep("");
            w->FinishStep(1);
        }
    }
    const qint64 ms = elapsed.elapsed();
    // The first step pumps at once; after that one pass per period at most.
    EXPECT_GE(loop.passes, 1);
    EXPECT_LE(loop.passes, ms / frmMain::kProgressPumpMs + 2) << ms << " ms";
    // Closed: the bar holds the last value and repaints normally again.
    EXPECT_EQ(w->pbProgress->value(), kSteps);
    EXPECT_TRUE(w->pbProgress->updatesEnabled());
}

TEST_F(ProgressThrottle, CancelPressedInTheMiddleOfALongRunStopsItAtThatStep) {
    w->DisableControls();
    common::ProgressScope scope(*w, "Importing", 100000, true);
    prompt.answers = {common::Answer::Yes};
    int steps = 0, stepsAtClick = -1;
    // Pressed well after the first step, while the run is busy: the press
    // is due only once the first step has let the events through, however
    // late a loaded machine runs it.
    const auto pressLater = [&] {
        QTimer::singleShot(3 * frmMain::kProgressPumpMs, w->cmdCancel, [&] {
            stepsAtClick = steps;
            w->cmdCancel->click();
        });
    };
    for (int i = 0; i < 100000 && !w->Cancelled(); ++i) {
        w->StartStep("");
        if (i == 0) pressLater();
        BusyFor(100000);   // a tenth of a millisecond of work per entity
        w->FinishStep(1);
        ++steps;
    }
    EXPECT_TRUE(w->Cancelled());
    EXPECT_GT(stepsAtClick, 0);
    // The step that ran the click was the last one.
    EXPECT_EQ(steps, stepsAtClick + 1);
    EXPECT_EQ(prompt.asked.size(), 1u);
    w->EnableControls();
}
