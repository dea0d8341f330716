#pragma once
// Shared by the main window tests: a fresh main window over the build's
// application folder, with no layout left by an earlier test.

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QWindow>

#include <memory>

#include "app/frmMain.h"
#include "platform/ui/TSplitter.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"

namespace apptest {

inline const char* kLayoutKey = "QuarvelAnalyzer/Settings/MainSplitter";

inline void ForgetLayout() { QSettings().remove(kLayoutKey); }

inline QString SavedLayout() { return QSettings().value(kLayoutKey).toString(); }

inline std::unique_ptr<frmMain> NewMainWindow() {
    return std::make_unique<frmMain>(testsupport::AppDir());
}

// Shown at a known size, with the splitter's sizes in place and the panes
// that start hidden hidden. The first sizes go in after the first paint, in
// rounds of timers: on a busy machine that takes longer than any fixed wait.
inline void ShowAt(frmMain& w, int width = 1000, int height = 700) {
    w.resize(width, height);
    w.show();
    if (!testsupport::RunEventsUntil([&w] {
            return w.windowHandle() && w.windowHandle()->isExposed() && w.splMain->SizesSettled();
        }))
        ADD_FAILURE() << "the panes' first sizes were not in place";
}

// Runs the window's events until done() holds; a failure of the test when
// it never does.
template <class Done>
void Await(Done done, const char* what) {
    EXPECT_TRUE(testsupport::RunEventsUntil(done)) << "still waiting for " << what;
}

}  // namespace apptest
