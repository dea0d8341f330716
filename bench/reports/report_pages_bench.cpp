// The inventory, category and diagram pages of a large workspace, written
// headless as the report run writes them.
//
//   report_pages_bench [programs | workspace.hxp] [--threads=N] [--sequential] [--dir=DIR] [--keep=DIR]
//
// Without a workspace file, generates a repository of the given number of
// programs (default 5,000) with the benchmarks' generator, listings
// included, and opens it (import and classification, timed apart). Then,
// into a fresh report tree, each kind of page is written once and timed:
//   screens:     the inventory and one page per screen (listing into Fields,
//                the drawn screen);
//   programs:    the summary, which also makes the list of diagram pages;
//   data stores: the inventory;
//   categories:  the sixteen category pages;
//   diagrams:    one page per listed program: both sides built, laid out
//                and exported (with previews where wide), images painted
//                and encoded on N threads (default: the machine's cores).
// --sequential also writes the diagram pages with one thread, prints that
// time and whether every file came out byte for byte the same.
// --dir puts the generated workspace and the report tree in DIR (default:
// the system's temporary folder): where creating a file is slow, as on a
// busy ext4 volume, the thousands of files written weigh; on tmpfs they
// show the work of the writers alone.
// --keep writes the report tree under DIR and keeps it.

#include <QGuiApplication>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "bench/generator/SyntheticRepository.h"
#include "common/Globals.h"
#include "common/Progress.h"
#include "common/Prompt.h"
#include "common/ResModule.h"
#include "platform/workbench/WorkbenchSession.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/DataStoresPage.h"
#include "reports/DiagramPages.h"
#include "reports/ListPage.h"
#include "reports/OutputTree.h"
#include "reports/ProgramPages.h"
#include "reports/ReportIndex.h"
#include "reports/ScreenPages.h"
#include "session/WorkspaceLoad.h"

namespace fs = std::filesystem;
using namespace mdlReports;

namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double CpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Wall time, and processor time of the calling thread and of the whole
// process: on a busy machine the processor times say more than the wall.
struct Stopwatch {
    Clock::time_point wall = Clock::now();
    double thread = CpuSeconds(RUSAGE_THREAD);
    double process = CpuSeconds(RUSAGE_SELF);
    std::string Text() const {
        char text[96];
        std::snprintf(text, sizeof text, "%8.2f s  (cpu: this thread %6.2f s, all %6.2f s)", Seconds(wall),
                      CpuSeconds(RUSAGE_THREAD) - thread, CpuSeconds(RUSAGE_SELF) - process);
        return text;
    }
};

// Answers every question with its first button and says so.
class PrintingPrompt : public common::IPrompt {
public:
    common::Answer Ask(const std::string& text, const std::string& title, common::Buttons, common::Icon) override {
        std::fprintf(stderr, "question: %s: %s\n", title.c_str(), text.c_str());
        return common::Answer::OK;
    }
};

std::map<std::string, std::string> Files(const fs::path& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) {
        std::ifstream in(e.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        out[e.path().filename().string()] = bytes.str();
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    int programs = 5000;
    fs::path workspaceFile;
    fs::path keep;
    fs::path base = fs::temp_directory_path();
    int threads = 0;
    bool sequential = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--threads=", 0) == 0) threads = std::atoi(arg.c_str() + 10);
        else if (arg == "--sequential") sequential = true;
        else if (arg.rfind("--keep=", 0) == 0) keep = arg.substr(7);
        else if (arg.rfind("--dir=", 0) == 0) base = arg.substr(6);
        else if (arg.size() > 4 && arg.substr(arg.size() - 4) == ".hxp") workspaceFile = arg;
        else if (std::atoi(arg.c_str()) > 0) programs = std::atoi(arg.c_str());
        else {
            std::fprintf(stderr, "usage: %s [programs | workspace.hxp] [--threads=N] [--sequential] [--dir=DIR] [--keep=DIR]\n",
                         argv[0]);
            return 2;
        }
    }

    ResModule::SetLanguage(ResModule::Language::English);
    Globals::g_AppPath = QA_APP_DIR;
    const fs::path scratch = base / ("report_pages_bench." + std::to_string(::getpid()));
    fs::create_directories(scratch);
    if (workspaceFile.empty()) {
        bench::generator::Options options;
        options.programs = programs;
        options.name = "Pages";
        const auto t = Clock::now();
        const auto summary = bench::generator::GenerateRepository(scratch, options);
        workspaceFile = summary.workspaceFile;
        std::printf("generated:   %d programs, %d screens, %d stores in %.2f s\n", summary.programs, summary.screens,
                    summary.stores, Seconds(t));
    }

    PrintingPrompt prompt;
    common::NullProgress quiet;
    auto t = Clock::now();
    const auto view = session::OpenWorkspace(workspaceFile, {}, quiet, prompt);
    if (view.status != session::WorkspaceView::Status::Loaded) {
        std::fprintf(stderr, "the workspace did not open: %s\n", view.error.c_str());
        return 1;
    }
    std::printf("opened:      %.2f s (import and classification)\n", Seconds(t));

    const fs::path workspaceFolder = fs::path(workspaceFile).replace_extension();
    const ReportPaths paths = ComputeReportPaths(QA_APP_DIR, keep.empty() ? scratch / "out" : keep);
    fs::create_directories(paths.g_ReportRoot.parent_path().parent_path());
    if (!RebuildOutputTree(paths)) {
        std::fprintf(stderr, "cannot make the report tree under %s\n", paths.g_ReportRoot.c_str());
        return 1;
    }
    ReportBuilder builder;
    ReportContext ctx{*Globals::g_Database, Globals::g_Workbench->GetEntityStore(), workspaceFolder, paths,
                      builder, quiet, prompt, OutputFolderBoundary(paths)};
    g_StubsPresent = false;

    const Stopwatch all;
    auto timed = [](const char* what, const std::string& result, const Stopwatch& since) {
        std::printf("%-12s %s  %s\n", what, since.Text().c_str(), result.c_str());
    };
    Stopwatch w;
    timed("screens:", GenerateScreensReport(ctx), w);
    w = Stopwatch();
    timed("programs:", GenerateProgramsReport(ctx), w);
    w = Stopwatch();
    timed("data stores:", std::to_string(GenerateDataStoresReport(ctx)), w);
    w = Stopwatch();
    int64_t listed = 0;
    for (const CategoryPage& category : kCategoryPages) {
        const CategoryLegend legend = LegendOf(category.code);
        listed += std::stoll(GenerateCategoryReport(ctx, category.code, legend.caption, paths.*category.page,
                                                    LegendImage(legend.image)));
    }
    timed("categories:", std::to_string(listed) + " programs on 16 pages", w);

    const DiagramList list = g_DiagramList;
    const int used = DiagramPageWriter(ctx, threads).Threads();
    w = Stopwatch();
    GenerateDiagramPages(ctx, list, threads);
    timed("diagrams:", std::to_string(list.size()) + " pages, " + std::to_string(used) + " thread(s)", w);
    timed("all pages:", "", all);

    if (sequential) {
        const auto threaded = Files(paths.g_DiagramsFolder);
        fs::remove_all(paths.g_DiagramsFolder);
        fs::create_directory(paths.g_DiagramsFolder);
        w = Stopwatch();
        GenerateDiagramPages(ctx, list, 1);
        timed("1 thread:", Files(paths.g_DiagramsFolder) == threaded ? "files identical" : "files DIFFERENT", w);
    }

    session::CloseWorkspace();
    fs::remove_all(scratch);
    if (!keep.empty()) std::printf("report tree: %s\n", paths.g_ReportRoot.c_str());
    return 0;
}
