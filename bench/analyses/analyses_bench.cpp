// The COMMAREA size and validation rules analyses on a large workspace.
//
//   analyses_bench [programs | workspace.hxp] [--models=K] [--threads=N] [--dir=DIR]
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

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/generator/SyntheticRepository.h"
#include "common/Globals.h"
#include "common/Progress.h"
#include "common/Prompt.h"
#include "common/ResModule.h"
#include "platform/db/Database.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/CommareaAnalysis.h"
#include "reports/OutputTree.h"
#include "reports/ReportBuilder.h"
#include "reports/ValidationAnalysis.h"
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

}  // namespace

int main(int argc, char** argv) {
    int programs = 20000;
    int models = 1;
    int threads = 0;
    fs::path workspaceFile;
    fs::path base = fs::temp_directory_path();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--models=", 0) == 0)
            models = std::atoi(arg.c_str() + 9);
        else if (arg.rfind("--threads=", 0) == 0)
            threads = std::atoi(arg.c_str() + 10);
        else if (arg.rfind("--dir=", 0) == 0)
            base = arg.substr(6);
        else if (arg.size() > 4 && arg.substr(arg.size() - 4) == ".hxp")
            workspaceFile = arg;
        else if (std::atoi(arg.c_str()) > 0)
            programs = std::atoi(arg.c_str());
        else {
            std::fprintf(stderr, "usage: %s [programs | workspace.hxp] [--models=K] [--threads=N] [--dir=DIR]\n", argv[0]);
            return 2;
        }
    }

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
    const AnalysisRun run{*Globals::g_Database, *Globals::g_Workbench, paths, builder, quiet, prompt, ".", threads};

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
    fs::remove_all(scratch);
    return 0;
}
