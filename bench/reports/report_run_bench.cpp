// The whole report run (Tools > Generate Reports) on a large workspace,
// headless: its time, the time of each phase and the peak memory.
//
//   report_run_bench [programs | workspace.hxp] [--models=K] [--threads=N] [--dir=DIR] [--keep]
//
// Without a workspace file, generates a repository of the given number of
// programs (default 5,000) with the benchmarks' generator, listings
// included and a code model for every K-th COBOL program (default 1: all),
// and opens it (import and classification, timed apart). Then the run
// writes the report set into <workspace folder>/Output/QuarvelReports, as
// the command does, and the figures are printed: wall time per phase (from
// the step captions the run reports), in all, the processor time, the
// peak resident memory during the run, and how many files it wrote.
// --threads is handed to the diagram pages (default: the machine's cores).
// --dir puts the workspace and its report tree in DIR (default: the
// system's temporary folder); --keep keeps them.

#include <QGuiApplication>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/generator/SyntheticRepository.h"
#include "common/Globals.h"
#include "common/Progress.h"
#include "common/Prompt.h"
#include "common/ResModule.h"
#include "platform/db/Database.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/ReportRun.h"
#include "session/WorkspaceLoad.h"

namespace fs = std::filesystem;
using namespace mdlReports;

namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Resident memory, current (VmRSS) or peak since the last reset (VmHWM), in MB.
double MemoryMb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stod(line.substr(std::string(field).size())) / 1024.0;
    return 0;
}
bool ResetPeak() { return static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5"); }

// Answers No to the closing question, OK to anything else, and prints it.
class PrintingPrompt : public common::IPrompt {
public:
    common::Answer Ask(const std::string& text, const std::string& title, common::Buttons buttons,
                       common::Icon) override {
        std::fprintf(stderr, "question: %s: %s\n", title.c_str(), text.c_str());
        return buttons == common::Buttons::YesNo ? common::Answer::No : common::Answer::OK;
    }
};

// Marks the start of each phase by the captions the run reports.
class PhaseProgress : public common::NullProgress {
public:
    struct Mark {
        std::string phase;
        Clock::time_point at;
    };
    std::vector<Mark> marks;

    void StartProgress(const std::string& action, long, bool) override {
        if (action == "Screens") Begin("screens");
        else if (action == "Categorizing CRUD operations") Begin("CRUD analysis");
        else if (action.empty() && m_phase == "CRUD analysis") Begin("CRUD pages");
        else if (action == "Compute I/O size") Begin("COMMAREA size");
        else if (action == "Find validations" || (action.empty() && m_phase == "COMMAREA size")) Begin("validation rules");
        else if (action == "Queues") Begin("queues and index");
    }
    void StartStep(const std::string& action) override {
        if (action == "Programs") Begin("programs");
        else if (action.rfind("Diagram for ", 0) == 0) Begin("diagrams");
        else if (action == "Data Stores") Begin("data stores");
        else if (action == "Client Facing") Begin("categories");
    }

private:
    void Begin(const std::string& phase) {
        if (phase == m_phase) return;
        m_phase = phase;
        marks.push_back({phase, Clock::now()});
    }
    std::string m_phase;
};

size_t FilesBelow(const fs::path& root) {
    size_t n = 0;
    for (const auto& e : fs::recursive_directory_iterator(root)) n += e.is_regular_file();
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    int programs = 5000;
    int models = 1;
    int threads = 0;
    bool keep = false;
    fs::path workspaceFile;
    fs::path base = fs::temp_directory_path();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--models=", 0) == 0) models = std::atoi(arg.c_str() + 9);
        else if (arg.rfind("--threads=", 0) == 0) threads = std::atoi(arg.c_str() + 10);
        else if (arg.rfind("--dir=", 0) == 0) base = arg.substr(6);
        else if (arg == "--keep") keep = true;
        else if (arg.size() > 4 && arg.substr(arg.size() - 4) == ".hxp") workspaceFile = arg;
        else if (std::atoi(arg.c_str()) > 0) programs = std::atoi(arg.c_str());
        else {
            std::fprintf(stderr, "usage: %s [programs | workspace.hxp] [--models=K] [--threads=N] [--dir=DIR] [--keep]\n",
                         argv[0]);
            return 2;
        }
    }

    ResModule::SetLanguage(ResModule::Language::English);
    Globals::g_AppPath = QA_APP_DIR;
    const fs::path scratch = base / ("report_run_bench." + std::to_string(::getpid()));
    fs::create_directories(scratch);
    if (workspaceFile.empty()) {
        bench::generator::Options options;
        options.programs = programs;
        options.name = "Reports";
        options.modelEvery = models;
        const auto t = Clock::now();
        const auto summary = bench::generator::GenerateRepository(scratch, options);
        workspaceFile = summary.workspaceFile;
        std::printf("generated:  %d programs, %d screens, %d stores, %d code models in %.2f s\n", summary.programs,
                    summary.screens, summary.stores, summary.models, Seconds(t));
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

    PhaseProgress progress;
    const ReportRun run{*Globals::g_Database, *Globals::g_Workbench, Globals::g_WorkspaceFolder, g_ReportPaths,
                        progress, prompt, {}, false, ".", threads};
    const double before = MemoryMb("VmRSS:");
    const bool reset = ResetPeak();
    const double cpu = CpuSeconds();
    const auto start = Clock::now();
    const ReportRunResult result = GenerateReports(run);
    const auto end = Clock::now();
    const double seconds = Seconds(start);
    const double peak = MemoryMb("VmHWM:");

    for (size_t i = 0; i < progress.marks.size(); ++i) {
        const auto until = i + 1 < progress.marks.size() ? progress.marks[i + 1].at : end;
        std::printf("  %-17s %7.2f s\n", progress.marks[i].phase.c_str(),
                    std::chrono::duration<double>(until - progress.marks[i].at).count());
    }
    std::printf("report run: %.2f s (cpu %.2f s), peak %.0f MB%s (%.0f MB before), %s, %zu files, %zu skipped\n",
                seconds, CpuSeconds() - cpu, peak, reset ? "" : " since start", before,
                result.incomplete ? "incomplete" : "complete", FilesBelow(g_ReportPaths.g_ReportRoot),
                result.skipped.size());
    auto count = [](const char* sql) { return static_cast<long long>(Globals::g_Database->Scalar(sql).AsInt()); };
    std::printf("            %lld similar pairs, %lld Commarea rows, %lld Ports rows\n",
                count("SELECT COUNT(*) FROM ProgCRUDProg WHERE CAST(RawSameness AS REAL) / SamenessCap > 0.1"),
                count("SELECT COUNT(*) FROM Commarea"), count("SELECT COUNT(*) FROM Ports"));

    const fs::path root = g_ReportPaths.g_ReportRoot;
    session::CloseWorkspace();
    if (keep)
        std::printf("kept:       %s\n", root.c_str());
    else
        fs::remove_all(scratch);
    return 0;
}
