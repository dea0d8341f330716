// Opening the flow context of a hub (one program that n others call) in the
// real main window, as the node menu's Flow Context does, while a ping due
// every 5 ms notes how long the window's events wait.
//
//   context_window_bench [callers ...] [--programs N]
//
// A generated workspace of --programs programs (default 200) is opened in
// the main window; for each size (default 2,000, 4,000, 8,000 and 16,000)
// a hub with that many callers is added to its database and its flow
// context opened, then its window closed. Each line: the wall time of the
// open, the process's CPU time (user and system, every thread), the peak
// resident memory, and the window's longest wait, until it has painted
// what it shows, and how many waits were over 250 ms. Then the largest hub once more, cancelled as soon as the
// progress strip shows its layout: the time until the window's events are
// free again, and whether any flow context window or drawing is left.
// Home and settings go to a throw-away folder, as in the tests.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/WorkspaceCommands.h"
#include "app/frmMain.h"
#include "bench/MainWindow.h"
#include "bench/ProcessFigures.h"
#include "bench/WindowApplication.h"
#include "bench/generator/SyntheticRepository.h"
#include "bench/layout/HubContext.h"
#include "bench/window/PingClock.h"
#include "common/Globals.h"
#include "common/Prompt.h"
#include "common/ResModule.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "views/ui/frmContext.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Answers Yes to every question (the Cancel button's confirmation among
// them).
class AnsweringPrompt : public common::IPrompt {
public:
    common::Answer Ask(const std::string&, const std::string&, common::Buttons buttons, common::Icon) override {
        return buttons == common::Buttons::YesNo || buttons == common::Buttons::YesNoCancel ? common::Answer::Yes
                                                                                            : common::Answer::OK;
    }
};

using bench::PeakMemoryMb;
using bench::ResetPeakMemory;
double CpuSeconds() { return bench::ProcessCpuSeconds(); }

int ContextWindows() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += qobject_cast<views::ui::frmContext*>(w) != nullptr;
    return n;
}

void CloseContextWindows() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* context = qobject_cast<views::ui::frmContext*>(w)) context->close();
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "context_window_bench: %s\n", what.c_str());
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    int programs = 200;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--programs" && i + 1 < argc) {
            programs = std::max(1, std::atoi(argv[++i]));
        } else if (!a.empty() && a.find_first_not_of("0123456789") == std::string::npos && a.size() < 8) {
            sizes.push_back(std::max(1, std::atoi(a.c_str())));
        } else {
            std::fprintf(stderr, "usage: context_window_bench [callers ...] [--programs N]\n");
            return 2;
        }
    }
    if (sizes.empty()) sizes = {2000, 4000, 8000, 16000};
    bench::WindowApplication app(argc, argv);
    ResModule::SetLanguage(ResModule::Language::English);
    Globals::g_AppPath = QA_APP_DIR;

    const fs::path work = fs::path(app.Home().toStdString()) / "work";
    bench::generator::Options options;
    options.programs = programs;
    options.writeFiles = false;
    const auto generated = bench::generator::GenerateRepository(work, options);

    AnsweringPrompt prompt;
    frmMain window(QA_APP_DIR);
    bench::ShowMainWindow(window, prompt, generated.workspaceFile);
    QApplication::processEvents();
    window.mnuFileOpenWorkspace->trigger();
    if (!Globals::g_Database) Fail("the workspace did not open");

    std::printf("a hub's flow context opened in the main window (ping every 5 ms)\n");
    std::printf("%8s %9s %9s %9s %12s %10s\n", "callers", "wall s", "cpu s", "peak MB", "longest ms", "over 250");
    auto open = [&](int callers, bool cancel) {
        const std::string prefix = "H" + std::to_string(callers) + (cancel ? "C" : "");
        const std::string hub = bench::layout::AddHubProgram(*Globals::g_Database, callers, prefix);
        bench::PingClock clock(std::chrono::milliseconds(5));
        // The Cancel button, pressed as soon as the strip shows a layout.
        QTimer press;
        bool pressed = false;
        Clock::time_point pressedAt;
        if (cancel) {
            press.setInterval(1);
            QObject::connect(&press, &QTimer::timeout, [&] {
                if (pressed || !window.cmdCancel->isVisible() || !window.cmdCancel->isEnabled() ||
                    window.lblProgress->text().indexOf("Laying out") < 0)
                    return;
                pressed = true;
                pressedAt = Clock::now();
                window.cmdCancel->click();
            });
            press.start();
        }
        ResetPeakMemory();
        const double cpu = CpuSeconds();
        const auto start = Clock::now();
        clock.Start();
        Globals::ShowFlowContext(hub, prefix, window.SummaryTree(), &window, true);
        const auto end = Clock::now();
        // And the loop's next turns, where the window paints what it shows.
        for (const long pings = clock.All().pings + 2; clock.All().pings < pings;)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        clock.Stop();
        press.stop();
        const double wall = std::chrono::duration<double>(end - start).count();
        std::printf("%8d %9.3f %9.3f %9.0f %12.0f %10ld", callers, wall, CpuSeconds() - cpu, PeakMemoryMb(),
                    clock.All().longestMs, clock.All().late);
        if (cancel) {
            const double after = pressed ? std::chrono::duration<double>(end - pressedAt).count() : -1;
            std::printf("   cancelled: %s, %.3f s from Cancel to the window's events free, %d flow context windows",
                        pressed ? "yes" : "no (the strip never showed the layout)", after, ContextWindows());
        }
        std::printf("\n");
        std::fflush(stdout);
        CloseContextWindows();
    };
    for (int callers : sizes) open(callers, false);
    open(*std::max_element(sizes.begin(), sizes.end()), true);

    app::CloseWorkspace(window);
    app::SetWorkspaceFileChooser({});
    window.close();
    return 0;
}
