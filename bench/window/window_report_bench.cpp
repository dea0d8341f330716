// How long the main window leaves its events waiting through Tools >
// Generate Reports, phase by phase, beside an idle window of the tool.
//
//   window_report_bench [programs | workspace.hxp] [--runs=N] [--ping=MS]
//
// Opens the workspace in a shown main window (offscreen unless
// QT_QPA_PLATFORM says otherwise); without a workspace file, first
// generates one of the given number of programs (default 20,000), listings
// and a code model for every COBOL program included, into the throw-away
// home. Then starts the control: this program again, in its own process,
// showing an idle main window with no workspace. Both windows are pinged
// as a window manager pings them: a ping is due every MS milliseconds
// (default 50) and answered when the window's event loop next runs. The
// report run is then run N times (default 1) through the window's command.
// Printed, for every phase of the run (named by the progress caption when
// the window last answered, "Diagram for X" and the like folded into one)
// and for the whole run: the pings, the longest wait and the share of
// waits over 250 ms; and the same for the control over the same time,
// under the same load. Last, whether the window's longest wait is within
// 250 ms of the control's and its share over 250 ms at most twice the
// control's.
//
//   window_report_bench --idle-control [--ping=MS]
//
// The control: says "ready" once it is shown and pinged, and prints its
// tally when its standard input closes.
//
// With QA_BENCH_WAITS set, every time the window stays away from its events
// over 250 ms is printed as it ends, with the phase and its start and end on
// the monotonic clock (the clock of `perf record -k CLOCK_MONOTONIC`).

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QSocketNotifier>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "app/StartUp.h"
#include "app/WorkspaceCommands.h"
#include "app/frmMain.h"
#include "bench/MainWindow.h"
#include "bench/PrintingPrompt.h"
#include "bench/WindowApplication.h"
#include "bench/generator/SyntheticRepository.h"
#include "bench/window/PingClock.h"
#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/workbench/WorkspaceGlobals.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;


// A caption with what names one item folded away, so that a phase is one
// line however many programs it goes through.
std::string PhaseOf(const std::string& caption) {
    if (caption.empty()) return "(no caption)";
    const auto forAt = caption.find(" for ");
    if (forAt != std::string::npos) return caption.substr(0, forAt) + " for ...";
    const auto last = caption.find_last_not_of("0123456789");
    if (last != std::string::npos && last + 1 < caption.size() && caption[last] == ' ')
        return caption.substr(0, last) + " ...";
    return caption;
}

void PrintLine(const std::string& phase, const bench::PingClock::Tally& t) {
    std::printf("  %-40s %8.2f s %7ld %9.0f ms %8.2f %%\n", phase.c_str(), t.seconds, t.pings, t.longestMs,
                100 * t.LateShare());
}

// The idle window: pinged until its standard input closes.
int RunControl(std::chrono::milliseconds every) {
    bench::PrintingPrompt prompt;
    frmMain window(QA_APP_DIR);
    bench::ShowMainWindow(window, prompt, {});
    QApplication::processEvents();
    bench::PingClock clock(every);
    clock.Start();
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) QApplication::quit();
    });
    std::printf("ready\n");
    std::fflush(stdout);
    QApplication::exec();
    clock.Stop();
    const auto& all = clock.All();
    std::printf("%ld %ld %.3f %.3f\n", all.pings, all.late, all.longestMs, all.seconds);
    return 0;
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "window_report_bench: %s\n", what.c_str());
    std::exit(1);
}

int Usage() {
    std::fprintf(stderr, "usage: window_report_bench [programs | workspace.hxp] [--runs=N] [--ping=MS]\n"
                         "       window_report_bench --idle-control [--ping=MS]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int programs = 20000, runs = 1, pingMs = 50;
    bool control = false;
    fs::path workspace;
    auto number = [](const std::string& text) {
        return !text.empty() && text.size() < 9 && text.find_first_not_of("0123456789") == std::string::npos
                   ? std::atoi(text.c_str())
                   : 0;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--idle-control") control = true;
        else if (a.rfind("--runs=", 0) == 0 && number(a.substr(7)) > 0) runs = number(a.substr(7));
        else if (a.rfind("--ping=", 0) == 0 && number(a.substr(7)) > 0) pingMs = number(a.substr(7));
        else if (a.size() > 4 && a.substr(a.size() - 4) == ".hxp") workspace = a;
        else if (number(a) > 0) programs = number(a);
        else return Usage();
    }
    bench::WindowApplication app(argc, argv);
    ResModule::SetLanguage(ResModule::Language::English);
    Globals::g_AppPath = QA_APP_DIR;
    const std::chrono::milliseconds every(pingMs);
    if (control) return RunControl(every);

    if (workspace.empty()) {
        bench::generator::Options options;
        options.programs = programs;
        options.name = "Reports";
        options.modelEvery = 1;
        const auto generated = bench::generator::GenerateRepository(fs::path(app.Home().toStdString()) / "work", options);
        workspace = generated.workspaceFile;
        std::printf("generated %d programs in %.2f s\n", generated.programs, generated.seconds);
    }

    bench::PrintingPrompt prompt;
    frmMain window(QA_APP_DIR);
    bench::ShowMainWindow(window, prompt, workspace);
    QApplication::processEvents();
    auto start = Clock::now();
    window.mnuFileOpenWorkspace->trigger();
    if (!Globals::g_Database) Fail("the workspace did not open: " + workspace.string());
    std::printf("opened %s in %.2f s\n", workspace.c_str(), std::chrono::duration<double>(Clock::now() - start).count());

    QProcess idle;
    idle.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    idle.start(QCoreApplication::applicationFilePath(), {"--idle-control", "--ping=" + QString::number(pingMs)});
    while (!idle.canReadLine())
        if (!idle.waitForReadyRead(30000)) Fail("the idle control did not start");
    idle.readLine();

    bench::PingClock clock(every, [&window] { return PhaseOf(window.lblProgress->text().toStdString()); });
    if (std::getenv("QA_BENCH_WAITS"))
        clock.onAway = [](Clock::time_point from, Clock::time_point to, const std::string& phase) {
            const auto at = [](Clock::time_point t) { return std::chrono::duration<double>(t.time_since_epoch()).count(); };
            std::printf("  away %4.0f ms in %s, %.3f to %.3f\n", 1000 * (at(to) - at(from)), phase.c_str(), at(from),
                        at(to));
        };
    clock.Start();
    start = Clock::now();
    for (int run = 0; run < runs; ++run) window.mnuToolsGenerateReports->trigger();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    clock.Stop();

    idle.closeWriteChannel();
    if (!idle.waitForFinished(30000)) Fail("the idle control did not end");
    std::istringstream tally(idle.readAllStandardOutput().toStdString());
    bench::PingClock::Tally controlTally;
    tally >> controlTally.pings >> controlTally.late >> controlTally.longestMs >> controlTally.seconds;
    if (!tally) Fail("the idle control told nothing");

    std::printf("%d report run%s in the window: %.2f s; a ping due every %d ms\n", runs, runs == 1 ? "" : "s",
                seconds, pingMs);
    std::printf("  %-40s %10s %7s %12s %10s\n", "phase (caption when the window last answered)", "time", "pings",
                "longest", "over 250 ms");
    for (const auto& [phase, t] : clock.Phases()) PrintLine(phase, t);
    PrintLine("the whole run", clock.All());
    PrintLine("idle window beside it (control)", controlTally);
    const auto& all = clock.All();
    const bool longestOk = all.longestMs <= controlTally.longestMs + bench::PingClock::kLateMs;
    const bool shareOk = all.LateShare() <= 2 * controlTally.LateShare();
    std::printf("longest wait %s 250 ms of the control's; share over 250 ms %s twice the control's\n",
                longestOk ? "within" : "NOT within", shareOk ? "at most" : "MORE than");
    app::CloseWorkspace(window);
    app::SetWorkspaceFileChooser({});
    window.close();
    return 0;
}
