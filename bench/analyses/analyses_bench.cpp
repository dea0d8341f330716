// The COMMAREA size and validation rules analyses on a large workspace,
// headless and in the main window.
//
//   analyses_bench [programs | workspace.hxp] [--models=K] [--threads=N] [--dir=DIR]
//                  [--report-set=DIR] [--copy-set] [--runs=R]
//
// Without a workspace file, generates a repository of the given number of
// programs (default 20,000) in which every K-th COBOL program has a code
// model (default 1: all of them), and opens it (import and classification,
// timed apart). Then each analysis runs once into a fresh report tree, and
// its time, the processor time of all threads and the peak resident memory
// during the run are printed with what it found: the programs it measured
// or searched, the rows it wrote, the programs it had to skip. --threads is
// handed to the analyses (the threads that read the code models; default:
// the machine's cores).
//
// Then the commands as the analyst meets them: the workspace opened in the
// main window (offscreen unless QT_QPA_PLATFORM says otherwise), a report
// set in its report root, and Tools > COMMAREA Size and Tools > Validation
// Rules chosen, each R times (default 1). Printed per command: the time
// from the command until its window has painted its rows, and the longest
// time the window's events waited meanwhile (a timer due every 5 ms notes
// how late it fires), with the progress caption shown when that wait
// ended; the worst of the runs. The report set is --report-set, hard-linked
// into the report root before each run (untimed, the disk synced and the
// earlier deletion finished; --copy-set copies its files instead, so that
// deleting them frees their blocks as deleting a real set does); without
// the folder there, a headless report run makes it there first. Without --report-set the set lies beside the
// generated workspace and goes with it. With QA_BENCH_WAITS set, every wait
// over 0.1 s is printed with its caption.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "app/WorkspaceCommands.h"
#include "app/frmMain.h"
#include "bench/MainWindow.h"
#include "bench/WindowApplication.h"
#include "bench/generator/SyntheticRepository.h"
#include "common/Globals.h"
#include "common/Progress.h"
#include "common/Prompt.h"
#include "common/ResModule.h"
#include "platform/db/Database.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/AsideRemoval.h"
#include "reports/CommareaAnalysis.h"
#include "reports/OutputTree.h"
#include "reports/ReportBuilder.h"
#include "reports/ReportRun.h"
#include "reports/ValidationAnalysis.h"
#include "reports/ui/PageRowsView.h"
#include "reports/ui/frmIssues.h"
#include "session/WorkspaceLoad.h"

namespace fs = std::filesystem;
using namespace mdlReports;

namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

class PrintingPrompt : public common::IPrompt {
public:
    common::Answer Ask(const std::string& text, const std::string& title, common::Buttons, common::Icon) override {
        std::fprintf(stderr, "question: %s: %s\n", title.c_str(), text.c_str());
        return common::Answer::OK;
    }
};

// Resident memory, current (VmRSS) or peak since the last reset (VmHWM), in MB.
double MemoryMb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stod(line.substr(std::string(field).size())) / 1024.0;
    return 0;
}
// Processor time of the whole process (every thread), user and system.
double CpuSeconds() {
    rusage use{};
    ::getrusage(RUSAGE_SELF, &use);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(use.ru_utime) + seconds(use.ru_stime);
}

bool ResetPeak() { return static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5"); }

int64_t Count(const char* sql) { return Globals::g_Database->Scalar(sql).AsInt(); }

// How long the window's events wait: a timer due every 5 ms notes how late
// it fires, and what the progress strip said when the longest wait ended.
class EventWaits {
public:
    explicit EventWaits(QLabel& caption) : m_caption(caption) {
        m_ticks.setInterval(5);
        QObject::connect(&m_ticks, &QTimer::timeout, [this] { Turn(); });
    }
    void Start() {
        m_last = Clock::now();
        m_longestMs = 0;
        m_longestCaption.clear();
        m_ticks.start();
    }
    void Stop() {
        Turn();
        m_ticks.stop();
    }
    double LongestMs() const { return m_longestMs; }
    const std::string& LongestCaption() const { return m_longestCaption; }

private:
    void Turn() {
        const auto now = Clock::now();
        const double waited = std::chrono::duration<double, std::milli>(now - m_last).count();
        m_last = now;
        const std::string caption = m_caption.text().toStdString();
        if (waited > m_longestMs) {
            m_longestMs = waited;
            m_longestCaption = caption;
        }
        if (waited > 100 && std::getenv("QA_BENCH_WAITS"))
            std::printf("            wait %6.0f ms, then \"%s\"\n", waited, caption.c_str());
    }

    QLabel& m_caption;
    QTimer m_ticks;
    Clock::time_point m_last;
    double m_longestMs = 0;
    std::string m_longestCaption;
};

// Notes the first paint of a widget.
class FirstPaint : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return QObject::eventFilter(watched, event);
    }
};

// Puts the kept report set in the report root (hard links, or copies of
// its files), after the earlier deletion has ended, and lets the disk settle.
void PlaceReportSet(const fs::path& kept, const ReportPaths& paths, bool copies) {
    common::NullProgress quiet;
    WaitForRemovals(quiet);
    fs::remove_all(paths.g_ReportRoot);
    fs::copy(kept, paths.g_ReportRoot,
             copies ? fs::copy_options::recursive : fs::copy_options::recursive | fs::copy_options::create_hard_links);
    ::sync();
}

size_t FilesBelow(const fs::path& folder) {
    size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file()) ++files;
    return files;
}

struct WindowRun {
    double showSeconds = 0;
    double longestWaitMs = 0;
    std::string longestCaption;
    bool shown = false;
};

// Chooses the command and waits until the window it opens has painted its rows.
WindowRun RunCommand(frmMain& window, QAction& command) {
    std::set<QWidget*> before;
    for (QWidget* w : QApplication::topLevelWidgets()) before.insert(w);
    EventWaits waits(*window.lblProgress);
    WindowRun run;
    const auto start = Clock::now();
    waits.Start();
    command.trigger();
    reports::ui::frmIssues* issues = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* x = qobject_cast<reports::ui::frmIssues*>(w); x && !before.count(w) && x->isVisible()) issues = x;
    if (issues) {
        FirstPaint paint;
        issues->tblRows->viewport()->installEventFilter(&paint);
        const auto limit = Clock::now() + std::chrono::seconds(60);
        while (!paint.painted && Clock::now() < limit) QApplication::processEvents(QEventLoop::AllEvents, 5);
        issues->tblRows->viewport()->removeEventFilter(&paint);
        run.shown = paint.painted;
    }
    run.showSeconds = Seconds(start);
    waits.Stop();
    run.longestWaitMs = waits.LongestMs();
    run.longestCaption = waits.LongestCaption();
    if (issues) issues->close();
    QApplication::processEvents();
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    int programs = 20000;
    int models = 1;
    int threads = 0;
    int runs = 1;
    fs::path workspaceFile;
    fs::path base = fs::temp_directory_path();
    fs::path reportSet;
    bool copySet = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--models=", 0) == 0)
            models = std::atoi(arg.c_str() + 9);
        else if (arg.rfind("--threads=", 0) == 0)
            threads = std::atoi(arg.c_str() + 10);
        else if (arg.rfind("--dir=", 0) == 0)
            base = arg.substr(6);
        else if (arg.rfind("--report-set=", 0) == 0)
            reportSet = fs::absolute(arg.substr(13));
        else if (arg == "--copy-set")
            copySet = true;
        else if (arg.rfind("--runs=", 0) == 0 && std::atoi(arg.c_str() + 7) > 0)
            runs = std::atoi(arg.c_str() + 7);
        else if (arg.size() > 4 && arg.substr(arg.size() - 4) == ".hxp")
            workspaceFile = fs::absolute(arg);
        else if (std::atoi(arg.c_str()) > 0)
            programs = std::atoi(arg.c_str());
        else {
            std::fprintf(stderr,
                         "usage: %s [programs | workspace.hxp] [--models=K] [--threads=N] [--dir=DIR] "
                         "[--report-set=DIR] [--copy-set] [--runs=R]\n",
                         argv[0]);
            return 2;
        }
    }

    bench::WindowApplication application(argc, argv);
    ResModule::SetLanguage(ResModule::Language::English);
    Globals::g_AppPath = QA_APP_DIR;
    const fs::path scratch = base / ("analyses_bench." + std::to_string(::getpid()));
    fs::create_directories(scratch);
    if (workspaceFile.empty()) {
        bench::generator::Options options;
        options.programs = programs;
        options.name = "Analyses";
        options.writeFiles = false;
        options.modelEvery = models;
        const auto t = Clock::now();
        const auto summary = bench::generator::GenerateRepository(scratch, options);
        workspaceFile = summary.workspaceFile;
        std::printf("generated:  %d programs, %d code models in %.2f s\n", summary.programs, summary.models,
                    Seconds(t));
    }

    PrintingPrompt prompt;
    common::NullProgress quiet;
    auto t = Clock::now();
    const auto view = session::OpenWorkspace(workspaceFile, {}, quiet, prompt);
    if (view.status != session::WorkspaceView::Status::Loaded) {
        std::fprintf(stderr, "the workspace did not open: %s\n", view.error.c_str());
        return 1;
    }
    std::printf("opened:     %.2f s (import and classification)\n", Seconds(t));

    const ReportPaths paths = ComputeReportPaths(QA_APP_DIR, scratch / "out");
    fs::create_directories(paths.g_ReportRoot.parent_path());
    if (!RebuildOutputTree(paths)) {
        std::fprintf(stderr, "cannot make the report tree under %s\n", paths.g_ReportRoot.c_str());
        return 1;
    }
    ReportBuilder builder;
    const AnalysisRun run{*Globals::g_Database, *Globals::g_Workbench, paths, builder, quiet, prompt,
                          OutputFolderBoundary(paths), ".", threads};

    auto measure = [](const char* what, auto&& analysis, auto&& found) {
        const double before = MemoryMb("VmRSS:");
        const bool reset = ResetPeak();
        const auto start = Clock::now();
        const double cpu = CpuSeconds();
        const AnalysisResult result = analysis();
        const double seconds = Seconds(start);
        const double peak = MemoryMb("VmHWM:");
        std::printf("%-11s %6.2f s (cpu %.2f s)   peak %.0f MB%s (%.0f MB before)   result %s, %zu skipped\n", what,
                    seconds, CpuSeconds() - cpu, peak,
                    reset ? "" : " since start", before, result.text.c_str(), result.skipped.size());
        found();
    };
    measure(
        "COMMAREA:", [&] { return GetCOMMAREASizeReport(run); },
        [] {
            std::printf(
                "            %lld programs, %lld with items, %lld Commarea rows\n",
                static_cast<long long>(Count("SELECT COUNT(*) FROM Ents WHERE EntName = 'PROGRAM' AND Stub = 0")),
                static_cast<long long>(Count("SELECT COUNT(DISTINCT ID) FROM Commarea")),
                static_cast<long long>(Count("SELECT COUNT(*) FROM Commarea")));
        });
    measure(
        "validation:", [&] { return GetValidationRulesReport(run); },
        [] {
            std::printf(
                "            %lld programs searched, %lld with ports; %lld Ports, %lld Subdecls, %lld Conds rows\n",
                static_cast<long long>(Count("SELECT COUNT(*) FROM Ents WHERE EntName = 'PROGRAM' AND Stub = 0 "
                                             "AND SOAType IN (20, 21, 22, 30, 31, 32)")),
                static_cast<long long>(Count("SELECT COUNT(DISTINCT ProgID) FROM Ports")),
                static_cast<long long>(Count("SELECT COUNT(*) FROM Ports")),
                static_cast<long long>(Count("SELECT COUNT(*) FROM Subdecls")),
                static_cast<long long>(Count("SELECT COUNT(*) FROM Conds")));
        });

    session::CloseWorkspace();

    // The commands in the main window, with a report set to replace.
    frmMain window(QA_APP_DIR);
    bench::ShowMainWindow(window, prompt, workspaceFile);
    window.mnuFileOpenWorkspace->trigger();
    if (!Globals::g_Database) {
        std::fprintf(stderr, "the window did not open the workspace\n");
        return 1;
    }
    if (reportSet.empty()) reportSet = scratch / "report-set";
    if (!fs::exists(reportSet)) {
        t = Clock::now();
        const ReportRun reports{*Globals::g_Database, *Globals::g_Workbench, Globals::g_WorkspaceFolder,
                                g_ReportPaths, quiet, prompt, {}, false, ".", threads};
        GenerateReports(reports);
        fs::create_directories(reportSet.parent_path());
        fs::rename(g_ReportPaths.g_ReportRoot, reportSet);
        std::printf("report set: %.2f s (a headless report run, kept in %s)\n", Seconds(t), reportSet.c_str());
    }
    std::printf("window, with a report set of %zu files (%s) in the report root; the worst of %d run%s:\n",
                FilesBelow(reportSet), copySet ? "copies" : "hard links", runs, runs == 1 ? "" : "s");
    for (QAction* command : {window.mnuToolsCOMMAREA, window.mnuToolsValidation}) {
        WindowRun worst;
        for (int i = 0; i < runs; ++i) {
            PlaceReportSet(reportSet, g_ReportPaths, copySet);
            const WindowRun run = RunCommand(window, *command);
            if (!run.shown) std::printf("            the window did not show its rows\n");
            worst.showSeconds = std::max(worst.showSeconds, run.showSeconds);
            if (run.longestWaitMs > worst.longestWaitMs) {
                worst.longestWaitMs = run.longestWaitMs;
                worst.longestCaption = run.longestCaption;
            }
        }
        std::printf("%-22s shown in %6.2f s, longest wait %5.0f ms (then \"%s\")\n",
                    command->text().remove('&').toStdString().c_str(), worst.showSeconds, worst.longestWaitMs,
                    worst.longestCaption.c_str());
    }
    WaitForRemovals(quiet);
    app::CloseWorkspace(window);
    app::SetWorkspaceFileChooser({});
    window.close();
    fs::remove_all(scratch);
    return 0;
}
