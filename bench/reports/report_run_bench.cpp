// The whole report run (Tools > Generate Reports) on a large workspace,
// headless: its time against a floor, the time of each phase, the peak
// memory, how long the window would wait for its events, and how soon a
// cancel ends the run.
//
//   report_run_bench [programs | workspace.hxp] [--models=K] [--threads=N] [--cancels=C] [--dir=DIR] [--keep]
//
// Without a workspace file, generates a repository of the given number of
// programs (default 5,000) with the benchmarks' generator, listings
// included and a code model for every K-th COBOL program (default 1: all),
// and opens it (import and classification, timed apart). Then:
//  1. The run writes the report set into <workspace folder>/Output/
//     QuarvelReports, as the command does: wall time per phase (from the
//     step captions the run reports), in all, the processor time, the peak
//     resident memory during the run, how many files it wrote, and how
//     often the diagram step's bar moved and the longest it stood still.
//  2. The floor, measured in the same process on the tree the run wrote:
//     every page's bytes written once more into a fresh folder and every
//     image encoded once more (with the run's JPEG encoder and quality), on
//     as many threads as the run's images. Reading the run's files and
//     decoding its images are left out: each thread adds up its own
//     encoding and writing, and the floor is the busiest thread's sum, the
//     less of two passes. The run's time is printed as a multiple of it.
//  3. The run again over that set, topped up to 50,000 files, as the main
//     window runs it: the window's events run only when the run reports a
//     step, so the longest time between two steps (or from the start to the
//     first, the preparation of the tree, or from the last to the end) is
//     the longest the window waits.
//  4. C runs (default 4; 0 skips 3 and 4) cancelled at random moments of
//     the first run's length, then one cancelled at a random moment of each
//     of the run's waits (the last diagram pages, the last comparison pages,
//     the sync of the tree, and the deletion of an earlier set topped up to
//     200,000 files): the delay from the cancel to the run's end, and the
//     longest the window waited in each of these runs.
// With QA_BENCH_WAITS set, every wait of the window over 0.1 s is printed
// with the phase and the step caption before it.
// --threads is handed to the diagram pages (default: the machine's cores).
// --dir puts the workspace and its report tree in DIR (default: the
// system's temporary folder); --keep keeps them.

#include <QGuiApplication>
#include <QImage>
#include <QThread>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "bench/PrintingPrompt.h"
#include "bench/generator/SyntheticRepository.h"
#include "common/Globals.h"
#include "common/Progress.h"
#include "common/Prompt.h"
#include "common/ResModule.h"
#include "platform/db/Database.h"
#include "platform/diagram/DiagramPainter.h"
#include "platform/diagram/JpegEncode.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/AsideRemoval.h"
#include "reports/CrudPages.h"
#include "reports/DiagramPages.h"
#include "reports/OutputTree.h"
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


// Marks the start of each phase by the captions the run reports, and the
// gaps between the steps, where the main window lets its events run. Says
// Cancelled from cancelAt on, or from cancelAfter seconds into the phase
// cancelIn.
class PhaseProgress : public common::NullProgress {
public:
    struct Mark {
        std::string phase;
        Clock::time_point at;
        double residentMb = 0;   // at its start
    };
    std::vector<Mark> marks;
    std::optional<Clock::time_point> cancelAt;
    std::string cancelIn;
    double cancelAfter = 0;
    double firstWait = -1;     // from the start to the first step: the tree's preparation
    double longestWait = 0;
    std::string longestIn;     // the phase where it began

    void Start() { m_lastStep = Clock::now(); }
    void End() { Step(); }
    void StartProgress(const std::string& action, long, bool) override {
        if (action == "Screens") Begin("screens");
        else if (action == "Categorizing CRUD operations") Begin("CRUD analysis");
        else if (action == kReadingPairs) Begin("CRUD pages");
        else if (action == "Compute I/O size") Begin("COMMAREA size");
        else if (action == "Find validations" || (action.empty() && m_phase == "COMMAREA size")) Begin("validation rules");
        else if (action == "Queues") Begin("queues");
        else if (action == kSyncingTree) Begin("sync");
        else if (action == kRemovingEarlierReports) Begin("earlier set");
    }
    void StartStep(const std::string& action) override {
        Step();
        if (!action.empty()) m_caption = action;
        if (action == "Programs") Begin("programs");
        else if (action.rfind("Diagram for ", 0) == 0) Begin("diagrams");
        else if (action == kWritingDiagrams) Begin("last diagrams");
        else if (action == "Data Stores") Begin("data stores");
        else if (action == "Client Facing") Begin("categories");
        else if (action == kWritingComparisons) Begin("last comparisons");
    }
    bool Cancelled() const override { return cancelAt && Clock::now() >= *cancelAt; }
    // The bar moves: how long it stood still before, in the diagram step.
    void FinishStep(long) override {
        const auto now = Clock::now();
        if (m_phase == "diagrams" || m_phase == "last diagrams") {
            if (m_barMoved) longestStill = std::max(longestStill, std::chrono::duration<double>(now - *m_barMoved).count());
            ++diagramMoves;
        }
        m_barMoved = now;
    }
    double longestStill = 0;   // the longest the diagram step's bar stood still, in seconds
    long diagramMoves = 0;     // how often it moved

private:
    void Begin(const std::string& phase) {
        if (phase == m_phase) return;
        m_phase = phase;
        marks.push_back({phase, Clock::now(), MemoryMb("VmRSS:")});
        if (phase == cancelIn)
            cancelAt = marks.back().at +
                       std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(cancelAfter));
    }
    void Step() {
        const auto now = Clock::now();
        const double wait = std::chrono::duration<double>(now - m_lastStep).count();
        if (firstWait < 0) firstWait = wait;
        if (wait > longestWait) {
            longestWait = wait;
            longestIn = (m_phase.empty() ? "preparation" : m_phase) + ", after \"" + m_caption + "\"";
        }
        if (std::getenv("QA_BENCH_WAITS") && wait > 0.1)
            std::printf("  wait %.3f s in %s after \"%s\"\n", wait, m_phase.c_str(), m_caption.c_str());
        m_lastStep = now;
    }
    std::string m_phase;
    std::string m_caption;   // the last step caption shown
    std::optional<Clock::time_point> m_barMoved;
    Clock::time_point m_lastStep;
};

size_t FilesBelow(const fs::path& root) {
    size_t n = 0;
    for (const auto& e : fs::recursive_directory_iterator(root)) n += e.is_regular_file();
    return n;
}

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The floor of a run that wrote tree (see above), its files written below
// into. Returns the busiest thread's seconds.
double Floor(const fs::path& tree, const fs::path& into, int threads, double& megabytes) {
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(tree))
        if (e.is_regular_file()) files.push_back(e.path());
    for (const auto& e : fs::recursive_directory_iterator(tree))
        if (e.is_directory()) fs::create_directories(into / e.path().lexically_relative(tree));
    std::atomic<size_t> next{0};
    std::atomic<uint64_t> bytes{0};
    std::vector<double> busy(static_cast<size_t>(threads), 0.0);
    std::atomic<double> encodingSum{0}, writingSum{0};
    auto work = [&](size_t thread) {
        for (size_t i = next++; i < files.size(); i = next++) {
            const fs::path& file = files[i];
            std::string text;
            std::optional<QImage> image;
            if (file.extension() == ".jpg")
                image = QImage(QString::fromStdString(file.string()));
            else
                text = ReadAll(file);
            auto start = Clock::now();
            if (image) {
                text = platform::diagram::EncodeJpeg(*image, platform::diagram::kJpegQuality).value_or(std::string());
                const double encoding = Seconds(start);
                busy[thread] += encoding;
                encodingSum += encoding;
                start = Clock::now();
            }
            std::ofstream(into / file.lexically_relative(tree), std::ios::binary)
                .write(text.data(), static_cast<std::streamsize>(text.size()));
            const double writing = Seconds(start);
            busy[thread] += writing;
            writingSum += writing;
            bytes += text.size();
        }
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(work, static_cast<size_t>(t));
    for (std::thread& t : pool) t.join();
    megabytes = static_cast<double>(bytes) / 1e6;
    std::printf("            floor: %.2f s encoding, %.2f s writing, over all threads\n", encodingSum.load(),
                writingSum.load());
    return *std::max_element(busy.begin(), busy.end());
}

// Small files below root until the tree holds files in all.
void TopUp(const fs::path& root, size_t files) {
    const fs::path padding = root / "special" / "padding";
    fs::create_directories(padding);
    for (size_t n = FilesBelow(root); n < files; ++n)
        std::ofstream(padding / (std::to_string(n) + ".html")) << "<html/>\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    int programs = 5000;
    int models = 1;
    int threads = 0;
    int cancels = 4;
    bool keep = false;
    fs::path workspaceFile;
    fs::path base = fs::temp_directory_path();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--models=", 0) == 0) models = std::atoi(arg.c_str() + 9);
        else if (arg.rfind("--threads=", 0) == 0) threads = std::atoi(arg.c_str() + 10);
        else if (arg.rfind("--cancels=", 0) == 0) cancels = std::atoi(arg.c_str() + 10);
        else if (arg.rfind("--dir=", 0) == 0) base = arg.substr(6);
        else if (arg == "--keep") keep = true;
        else if (arg.size() > 4 && arg.substr(arg.size() - 4) == ".hxp") workspaceFile = arg;
        else if (std::atoi(arg.c_str()) > 0) programs = std::atoi(arg.c_str());
        else {
            std::fprintf(stderr, "usage: %s [programs | workspace.hxp] [--models=K] [--threads=N] [--cancels=C] [--dir=DIR] "
                         "[--keep]\n",
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

    bench::PrintingPrompt prompt;
    common::NullProgress quiet;
    auto t = Clock::now();
    const auto view = session::OpenWorkspace(workspaceFile, {}, quiet, prompt);
    if (view.status != session::WorkspaceView::Status::Loaded) {
        std::fprintf(stderr, "the workspace did not open: %s\n", view.error.c_str());
        return 1;
    }
    std::printf("opened:     %.2f s (import and classification)\n", Seconds(t));

    const auto runWith = [&](PhaseProgress& progress) {
        const ReportRun run{*Globals::g_Database, *Globals::g_Workbench, Globals::g_WorkspaceFolder, g_ReportPaths,
                            progress, prompt, {}, false, ".", threads};
        progress.Start();
        ReportRunResult result = GenerateReports(run);
        progress.End();
        return result;
    };

    // What the generator and the open left unwritten must not slow the run
    // down, nor what the run left the floor.
    ::sync();
    PhaseProgress progress;
    const double before = MemoryMb("VmRSS:");
    const bool reset = ResetPeak();
    const double cpu = CpuSeconds();
    const auto start = Clock::now();
    const ReportRunResult result = runWith(progress);
    const auto end = Clock::now();
    const double seconds = Seconds(start);
    const double peak = MemoryMb("VmHWM:");

    for (size_t i = 0; i < progress.marks.size(); ++i) {
        const auto until = i + 1 < progress.marks.size() ? progress.marks[i + 1].at : end;
        std::printf("  %-17s %7.2f s  (%4.0f MB at its start)\n", progress.marks[i].phase.c_str(),
                    std::chrono::duration<double>(until - progress.marks[i].at).count(), progress.marks[i].residentMb);
    }
    std::printf("  the diagram step's bar moved %ld times, standing still %.2f s at most\n", progress.diagramMoves,
                progress.longestStill);
    std::printf("report run: %.2f s (cpu %.2f s), peak %.0f MB%s (%.0f MB before), %s, %zu files, %zu skipped\n",
                seconds, CpuSeconds() - cpu, peak, reset ? "" : " since start", before,
                result.incomplete ? "incomplete" : "complete", FilesBelow(g_ReportPaths.g_ReportRoot),
                result.skipped.size());
    auto count = [](const char* sql) { return static_cast<long long>(Globals::g_Database->Scalar(sql).AsInt()); };
    std::printf("            %lld similar pairs, %lld Commarea rows, %lld Ports rows\n",
                count("SELECT COUNT(*) FROM ProgCRUDProg WHERE CAST(RawSameness AS REAL) / SamenessCap > 0.1"),
                count("SELECT COUNT(*) FROM Commarea"), count("SELECT COUNT(*) FROM Ports"));

    const int floorThreads = threads > 0 ? threads : std::max(1, QThread::idealThreadCount());
    // The disk's pace varies with what else the machine does: the least of
    // two passes, each into a fresh folder.
    double megabytes = 0;
    double floor = 0;
    for (int pass = 0; pass < 2; ++pass) {
        ::sync();
        const double seconds = Floor(g_ReportPaths.g_ReportRoot, scratch / "floor" / std::to_string(pass),
                                     floorThreads, megabytes);
        floor = pass == 0 ? seconds : std::min(floor, seconds);
    }
    std::printf("floor:      %.2f s (%.0f MB written, images encoded, on %d threads): the run takes %.2fx its floor\n",
                floor, megabytes, floorThreads, seconds / floor);

    if (cancels > 0) {
        TopUp(g_ReportPaths.g_ReportRoot, 50000);
        PhaseProgress again;
        const auto t2 = Clock::now();
        runWith(again);
        std::printf("again over 50,000 files: %.2f s; the window waits %.3f s preparing the tree, %.3f s at most "
                    "(in %s)\n",
                    Seconds(t2), again.firstWait, again.longestWait, again.longestIn.c_str());
        std::mt19937 random(20000);
        double worst = 0;
        double longest = again.longestWait;
        // A run cancelled as progress says, and how soon it ended.
        const auto cancelled = [&](PhaseProgress& run, const std::string& when) {
            const auto t = Clock::now();
            runWith(run);
            const auto end = Clock::now();
            longest = std::max(longest, run.longestWait);
            if (!run.cancelAt || *run.cancelAt > end) {
                std::printf("cancel %s: not reached, the run ended first\n", when.c_str());
                return;
            }
            const double delay = std::chrono::duration<double>(end - *run.cancelAt).count();
            const std::string in = run.marks.empty() ? "preparation" : run.marks.back().phase;
            std::printf("cancel %s, at %6.2f s (in %s): the run ended %.3f s later; the window waited %.3f s at most\n",
                        when.c_str(), std::chrono::duration<double>(*run.cancelAt - t).count(), in.c_str(), delay,
                        run.longestWait);
            worst = std::max(worst, delay);
        };
        std::uniform_real_distribution<double> moment(0.02 * seconds, 0.98 * seconds);
        for (int c = 0; c < cancels; ++c) {
            PhaseProgress run;
            run.cancelAt = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(moment(random)));
            cancelled(run, "at random");
        }
        // Each wait of the run, cancelled at a random moment of its length
        // in the runs above.
        const auto lengthOf = [&](const PhaseProgress& measured, const std::string& phase) {
            for (size_t i = 0; i + 1 < measured.marks.size(); ++i)
                if (measured.marks[i].phase == phase)
                    return std::chrono::duration<double>(measured.marks[i + 1].at - measured.marks[i].at).count();
            return 0.0;
        };
        for (const char* phase : {"last diagrams", "last comparisons", "sync", "earlier set"}) {
            PhaseProgress run;
            run.cancelIn = phase;
            const double length = std::max(lengthOf(progress, phase), lengthOf(again, phase));
            run.cancelAfter = std::uniform_real_distribution<double>(0, 0.9 * length)(random);
            // An earlier set that takes a while to delete.
            if (run.cancelIn == "earlier set") TopUp(g_ReportPaths.g_ReportRoot, 200000);
            cancelled(run, std::string("in ") + phase);
        }
        std::printf("cancel delay: %.3f s at most over %d cancels; the window waited %.3f s at most in all these runs\n",
                    worst, cancels + 4, longest);
    }

    const fs::path root = g_ReportPaths.g_ReportRoot;
    // A cancelled run leaves the deletion of what it set aside to the
    // removing thread: it ends before the scratch folder goes, or the two
    // would delete the same files.
    common::NullProgress unseen;
    WaitForRemovals(unseen);
    session::CloseWorkspace();
    std::error_code ec;
    fs::remove_all(scratch / "floor", ec);
    if (keep)
        std::printf("kept:       %s\n", root.c_str());
    else if (fs::remove_all(scratch, ec); ec)
        std::fprintf(stderr, "cannot remove %s: %s\n", scratch.c_str(), ec.message().c_str());
    return 0;
}
