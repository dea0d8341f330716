// A workspace build or report run that stops dead at a chosen step, for
// the crash tests.
//
// usage: qa_crash_child WORKSPACE.hxp APPDIR open|refresh|reports|aside STOP
//   STOP  "never"; "step:<name>" at a build step of workspace/WorkspaceDatabase.h
//         or a report step of reports/AsideRemoval.h; "progress:<caption>:<n>"
//         at the n-th step of that progress bar; "caption:<start>:<n>" at the
//         n-th step whose caption starts so; "hold:<name>" waits at that build
//         step instead, and "hold:loaded" once the open or refresh has loaded
//
// The process ends with _exit(kStopped) where it stops: no destructor runs,
// no database is closed, as after a kill. Where it holds, it writes "held"
// and a line end to its output and waits until its input ends (or a kill),
// then ends in the same way. "refresh" opens the workspace first (never
// stopping) and stops in the refresh; "reports" opens it and stops in a
// report run. Exits 0 when the load or run finished, 1 when it failed.
// "aside" opens it, sets the report set aside as an analysis window does,
// and ends the program normally while the set is being deleted (the
// deleting thread held at its first file until then).

#include <QGuiApplication>
#include <QSettings>

#include <unistd.h>

#include <condition_variable>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <string_view>

#include "common/Globals.h"
#include "common/Prompt.h"
#include "common/ResModule.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/AsideRemoval.h"
#include "reports/OutputTree.h"
#include "reports/ReportPaths.h"
#include "reports/ReportRun.h"
#include "session/WorkspaceLoad.h"
#include "tests/crash/CrashSteps.h"
#include "workspace/WorkspaceDatabase.h"

namespace {

std::string g_step;   // the build step to stop at, when STOP names one
bool g_hold = false;  // wait there instead of stopping at once

// Says so, then waits for the parent to close this one's input or kill it.
[[noreturn]] void Hold() {
    std::cout << crashtest::kHeld << std::endl;
    char c;
    while (::read(STDIN_FILENO, &c, 1) > 0) {
    }
    ::_exit(crashtest::kStopped);
}

void StopAtStep(const char* step) {
    if (g_step != step) return;
    if (g_hold) Hold();
    ::_exit(crashtest::kStopped);
}

class StoppingProgress : public common::IProgress {
public:
    std::string caption;   // the progress bar to stop in; empty: none
    std::string stepStart; // or the start of the step captions to count
    long at = 0;           // its step to stop at (1-based)

    void StartProgress(const std::string& action, long, bool) override {
        m_inCaption = action == caption;
        if (stepStart.empty()) m_steps = 0;
    }
    void StartStep(const std::string& action) override {
        const bool counted = stepStart.empty() ? m_inCaption : !action.empty() && action.rfind(stepStart, 0) == 0;
        if (counted && ++m_steps == at) ::_exit(crashtest::kStopped);
    }
    void FinishStep(long) override {}
    void FinishProgress() override { m_inCaption = false; }
    bool Cancelled() const override { return false; }
    void Action(const std::string&) override {}

private:
    bool m_inCaption = false;
    long m_steps = 0;
};

std::mutex g_exitMutex;
std::condition_variable g_exitChanged;
bool g_exiting = false;

void HoldUntilExit(const char* step) {
    if (std::string_view(step) != mdlReports::kStepRemoving) return;
    std::unique_lock lock(g_exitMutex);
    g_exitChanged.wait(lock, [] { return g_exiting; });
}

void BeginExit() {
    {
        std::lock_guard lock(g_exitMutex);
        g_exiting = true;
    }
    g_exitChanged.notify_all();
}

class SilentPrompt : public common::IPrompt {
public:
    common::Answer Ask(const std::string& text, const std::string&, common::Buttons, common::Icon) override {
        std::cerr << text << "\n";
        return common::Answer::OK;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: qa_crash_child WORKSPACE.hxp APPDIR open|refresh|reports STOP\n";
        return 2;
    }
    // The parent test runs with HOME and the settings redirected; so does
    // this. The report run paints its diagrams without a screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setOrganizationName("QuarvelAnalyzer");
    QCoreApplication::setApplicationName("QuarvelAnalyzer");
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, qEnvironmentVariable("HOME") + "/settings");
    ResModule::SetLanguage(ResModule::Language::English);
    Globals::g_AppPath = argv[2];

    const std::string mode = argv[3];
    const std::string stop = argv[4];
    StoppingProgress progress;
    SilentPrompt prompt;
    if (mode == "refresh" || mode == "reports" || mode == "aside") {
        common::NullProgress quiet;
        if (session::OpenWorkspace(argv[1], {}, quiet, prompt).status != session::WorkspaceView::Status::Loaded)
            return 1;
    }
    if (stop.rfind("step:", 0) == 0 || stop.rfind("hold:", 0) == 0) {
        g_hold = stop[0] == 'h';
        g_step = stop.substr(5);
        workspace::SetBuildStepHook(StopAtStep);
        mdlReports::SetReportStepHook(StopAtStep);
    } else if (stop.rfind("progress:", 0) == 0 || stop.rfind("caption:", 0) == 0) {
        const size_t kind = stop.find(':'), colon = stop.rfind(':');
        (stop[0] == 'p' ? progress.caption : progress.stepStart) = stop.substr(kind + 1, colon - kind - 1);
        progress.at = std::stol(stop.substr(colon + 1));
    }
    if (mode == "aside") {
        mdlReports::SetReportStepHook(HoldUntilExit);
        mdlReports::PrepareOutputTree(mdlReports::g_ReportPaths);
        mdlReports::RemoveSetAside(mdlReports::g_ReportPaths);
        // Registered after the deleting thread's start, so it runs before
        // that thread is stopped at the program's end.
        std::atexit(BeginExit);
        session::CloseWorkspace();
        return 0;
    }
    if (mode == "reports") {
        const mdlReports::ReportRun run{*Globals::g_Database, *Globals::g_Workbench, Globals::g_WorkspaceFolder,
                                        mdlReports::g_ReportPaths, progress, prompt, {}};
        const bool incomplete = mdlReports::GenerateReports(run).incomplete;
        session::CloseWorkspace();
        return incomplete ? 1 : 0;
    }
    const session::WorkspaceView view = mode == "refresh" ? session::RefreshWorkspace({}, progress, prompt)
                                                          : session::OpenWorkspace(argv[1], {}, progress, prompt);
    const bool loaded = view.status == session::WorkspaceView::Status::Loaded;
    if (loaded && g_hold && g_step == "loaded") Hold();
    session::CloseWorkspace();
    return loaded ? 0 : 1;
}
