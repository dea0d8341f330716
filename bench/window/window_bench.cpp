// Opening a large synthetic workspace in the real main window, beside the
// same open without a window.
//
//   window_bench [programs] [--runs=N]
//
// Generates a repository of the given number of programs (default 20,000),
// then times, each N times (default 3) with the fastest run shown:
//   build, headless:  session::OpenWorkspace with no database yet (import,
//                     classification, Summary tree), progress to nowhere;
//   build, window:    File > Open Workspace in a shown main window (offscreen
//                     unless QT_QPA_PLATFORM says otherwise): the same load
//                     reporting to the window's progress strip, then the
//                     trees filled;
//   reopen, headless and window: the same with the database kept.
// Beside each wall time, the user and system time of the same run, and the
// peak resident memory during it (the high-water mark set back to the
// resident size before each run). Last, the longest time the window's
// events waited during any window run: a timer due every 5 ms notes how
// late it fires.
// Settings and home go to a throw-away folder, as in the tests.

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QTreeWidget>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <tuple>

#include "app/WorkspaceCommands.h"
#include "app/frmMain.h"
#include "bench/MainWindow.h"
#include "bench/ProcessFigures.h"
#include "bench/WindowApplication.h"
#include "bench/generator/SyntheticRepository.h"
#include "common/Globals.h"
#include "common/Progress.h"
#include "common/ResModule.h"
#include "session/WorkspaceLoad.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Answers every question with Yes or OK, and says so when it is asked one:
// a load that asks has met something the benchmark does not expect.
class AnsweringPrompt : public common::IPrompt {
public:
    common::Answer Ask(const std::string& text, const std::string&, common::Buttons buttons, common::Icon) override {
        std::fprintf(stderr, "asked: %s\n", text.c_str());
        return buttons == common::Buttons::YesNo || buttons == common::Buttons::YesNoCancel ? common::Answer::Yes
                                                                                            : common::Answer::OK;
    }
};

using bench::PeakMemoryMb;
using bench::ResetPeakMemory;
double CpuSeconds() { return bench::ProcessCpuSeconds(); }

// One way of opening: what runs untimed before it, and the timed open.
struct Way {
    std::function<void()> before, open;
    double best = 0;   // wall seconds of the fastest run
    double cpu = 0;    // user and system seconds of that run
    double peakMb = 0; // peak resident memory of that run
    double longestWaitMs = 0;  // of every run
};

// Runs the ways in turn, runs times over, so that a busy moment of the
// machine does not fall on one way alone; keeps each way's fastest run.
void TimeInTurn(int runs, std::initializer_list<Way*> ways) {
    Clock::time_point lastTurn;
    double longestWaitMs = 0;
    auto turn = [&] {
        const auto now = Clock::now();
        longestWaitMs = std::max(longestWaitMs, std::chrono::duration<double, std::milli>(now - lastTurn).count());
        lastTurn = now;
    };
    QTimer ticks;
    ticks.setInterval(5);
    QObject::connect(&ticks, &QTimer::timeout, turn);
    for (int i = 0; i < runs; ++i) {
        for (Way* way : ways) {
            way->before();
            ResetPeakMemory();
            const double cpu = CpuSeconds();
            const auto start = Clock::now();
            lastTurn = start;
            longestWaitMs = 0;
            ticks.start();
            way->open();
            turn();
            ticks.stop();
            way->longestWaitMs = std::max(way->longestWaitMs, longestWaitMs);
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            if (i == 0 || seconds < way->best) {
                way->best = seconds;
                way->cpu = CpuSeconds() - cpu;
                way->peakMb = PeakMemoryMb();
            }
        }
    }
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "window_bench: %s\n", what.c_str());
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    int programs = 20000, runs = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--runs=", 0) == 0 && a.size() > 7 && a.find_first_not_of("0123456789", 7) == std::string::npos)
            runs = std::max(1, std::stoi(a.substr(7)));
        else if (!a.empty() && a.size() < 9 && a.find_first_not_of("0123456789") == std::string::npos)
            programs = std::max(1, std::stoi(a));
        else {
            std::fprintf(stderr, "usage: window_bench [programs] [--runs=N]\n");
            return 2;
        }
    }
    bench::WindowApplication app(argc, argv);
    ResModule::SetLanguage(ResModule::Language::English);
    Globals::g_AppPath = QA_APP_DIR;

    const fs::path work = fs::path(app.Home().toStdString()) / "work";
    bench::generator::Options options;
    options.programs = programs;
    options.writeFiles = false;   // opening reads the repository only
    const auto generated = bench::generator::GenerateRepository(work, options);
    const fs::path hxp = generated.workspaceFile;
    const fs::path database = work / options.name / "QuarvelAnalyzer.mdb";
    std::printf("generated %d programs (%lld entities, %lld relations) in %.2f s\n", generated.programs,
                static_cast<long long>(generated.entities), static_cast<long long>(generated.relations),
                generated.seconds);

    AnsweringPrompt prompt;
    common::NullProgress nowhere;
    frmMain window(QA_APP_DIR);
    bench::ShowMainWindow(window, prompt, hxp);
    QApplication::processEvents();

    auto headlessOpen = [&] {
        const auto view = session::OpenWorkspace(hxp, {}, nowhere, prompt);
        if (view.status != session::WorkspaceView::Status::Loaded) Fail("the headless open failed: " + view.error);
    };
    auto windowOpen = [&] {
        window.mnuFileOpenWorkspace->trigger();
        if (window.trSummary->topLevelItemCount() == 0) Fail("the window shows no Summary tree after the open");
    };
    // Every open starts with nothing open; a build also without the database.
    auto closed = [&](bool keepDatabase) {
        return [&, keepDatabase] {
            app::CloseWorkspace(window);
            if (!keepDatabase) fs::remove(database);
            QApplication::processEvents();
        };
    };
    Way headlessBuild{closed(false), headlessOpen}, windowBuild{closed(false), windowOpen};
    Way headlessReopen{closed(true), headlessOpen}, windowReopen{closed(true), windowOpen};
    TimeInTurn(runs, {&headlessBuild, &windowBuild});
    TimeInTurn(runs, {&headlessReopen, &windowReopen});
    app::CloseWorkspace(window);
    app::SetWorkspaceFileChooser({});

    std::printf("fastest of %d runs each      headless     window    window / headless   (user + system)   peak memory   window's longest wait\n", runs);
    for (const auto& [caption, headless, shown] :
         {std::tuple{"build (import, classify)", &headlessBuild, &windowBuild},
          std::tuple{"reopen                  ", &headlessReopen, &windowReopen}})
        std::printf("%s  %8.3f s %8.3f s %8.2f x   (%.3f s, %.3f s: %.2f x)   %.0f MB, %.0f MB   %.0f ms\n", caption,
                    headless->best, shown->best, shown->best / headless->best, headless->cpu, shown->cpu,
                    shown->cpu / headless->cpu, headless->peakMb, shown->peakMb, shown->longestWaitMs);
    window.close();
    return 0;
}
