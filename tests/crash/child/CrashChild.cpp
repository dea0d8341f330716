// A workspace build that stops dead at a chosen step, for the crash tests.
//
// usage: qa_crash_child WORKSPACE.hxp APPDIR open|refresh STOP
//   STOP  "never"; "step:<name>" at a build step of workspace/WorkspaceDatabase.h;
//         "progress:<caption>:<n>" at the n-th step of that progress bar
//
// The process ends with _exit(kStopped) where it stops: no destructor runs,
// no database is closed, as after a kill. "refresh" opens the workspace
// first (never stopping) and stops in the refresh. Exits 0 when the load
// finished, 1 when it failed.

#include <QCoreApplication>
#include <QSettings>

#include <unistd.h>

#include <iostream>
#include <string>

#include "common/Globals.h"
#include "common/Prompt.h"
#include "common/ResModule.h"
#include "session/WorkspaceLoad.h"
#include "tests/crash/CrashSteps.h"
#include "workspace/WorkspaceDatabase.h"

namespace {

std::string g_step;   // the build step to stop at, when STOP names one

void StopAtStep(const char* step) {
    if (g_step == step) ::_exit(crashtest::kStopped);
}

class StoppingProgress : public common::IProgress {
public:
    std::string caption;   // the progress bar to stop in; empty: none
    long at = 0;           // its step to stop at (1-based)

    void StartProgress(const std::string& action, long, bool) override {
        m_inCaption = action == caption;
        m_steps = 0;
    }
    void StartStep(const std::string&) override {
        if (m_inCaption && ++m_steps == at) ::_exit(crashtest::kStopped);
    }
    void FinishStep(long) override {}
    void FinishProgress() override { m_inCaption = false; }
    bool Cancelled() const override { return false; }
    void Action(const std::string&) override {}

private:
    bool m_inCaption = false;
    long m_steps = 0;
};

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
        std::cerr << "usage: qa_crash_child WORKSPACE.hxp APPDIR open|refresh STOP\n";
        return 2;
    }
    // The parent test runs with HOME and the settings redirected; so does this.
    QCoreApplication app(argc, argv);
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
    if (mode == "refresh") {
        common::NullProgress quiet;
        if (session::OpenWorkspace(argv[1], {}, quiet, prompt).status != session::WorkspaceView::Status::Loaded)
            return 1;
    }
    if (stop.rfind("step:", 0) == 0) {
        g_step = stop.substr(5);
        workspace::SetBuildStepHook(StopAtStep);
    } else if (stop.rfind("progress:", 0) == 0) {
        const size_t colon = stop.rfind(':');
        progress.caption = stop.substr(9, colon - 9);
        progress.at = std::stol(stop.substr(colon + 1));
    }
    const session::WorkspaceView view = mode == "refresh" ? session::RefreshWorkspace({}, progress, prompt)
                                                          : session::OpenWorkspace(argv[1], {}, progress, prompt);
    const bool loaded = view.status == session::WorkspaceView::Status::Loaded;
    session::CloseWorkspace();
    return loaded ? 0 : 1;
}
