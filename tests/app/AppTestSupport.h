#pragma once
// Shared by the main window tests: a fresh main window over the build's
// application folder, with no layout left by an earlier test.

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>

#include <memory>

#include "app/frmMain.h"
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

// Shown at a known size, with the splitter's sizes in place.
inline void ShowAt(frmMain& w, int width = 1000, int height = 700) {
    w.resize(width, height);
    w.show();
    // The first sizes of the panes go in after the first paint.
    Settle(150);
}

}  // namespace apptest
