#pragma once
// Shared by the main window tests: a fresh main window over the build's
// application folder, with no layout left by an earlier test.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>

#include <memory>

#include "app/frmMain.h"
#include "platform/ui/TSplitter.h"
#include "tests/support/TestSupport.h"

namespace apptest {

// Lets queued events and short timers run for about ms milliseconds.
inline void Settle(int ms = 30) {
    QElapsedTimer t;
    t.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    } while (t.elapsed() < ms);
}

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
    QElapsedTimer t;
    t.start();
    while ((!w.splMain->SizesSettled() || t.elapsed() < 150) && t.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    if (!w.splMain->SizesSettled()) ADD_FAILURE() << "the panes' first sizes were not in place after 20 s";
}

}  // namespace apptest
