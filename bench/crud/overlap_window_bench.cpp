// The CRUD overlap window opened on a large comparison file: how long it
// takes to open and how much memory it takes.
//
//   overlap_window_bench FILE [MB]
//
// With MB, FILE is first written: a comparison file of about that many
// megabytes, every pair a distinct pair of programs named as a generated
// workspace names them (about 110 bytes a pair). Then the window is opened
// on FILE (offscreen unless QT_QPA_PLATFORM says otherwise) and the time to
// open it, the rows it lists and the peak resident memory are printed.
// Settings and home go to a throw-away folder, as in the tests.

#include <QTreeWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/WindowApplication.h"
#include "common/Globals.h"
#include "common/ResModule.h"
#include "reports/ui/frmCRUDComp.h"

namespace fs = std::filesystem;

namespace {

double PeakMb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

void WriteComparisonFile(const fs::path& file, double megabytes) {
    const auto bytes = static_cast<std::uintmax_t>(megabytes * 1024 * 1024);
    std::ofstream out(file, std::ios::binary);
    out << "<Pairs>\n";
    std::uintmax_t written = 8;
    char line[256];
    for (long p = 1; written < bytes; ++p) {
        for (long q = p + 1; q <= p + 200 && written < bytes; ++q) {
            const int n = std::snprintf(line, sizeof line,
                                        "<Pair Program1=\"PGM%05ld\" P1ID=\"PROGRAM#%ld\" Program2=\"PGM%05ld\" "
                                        "P2ID=\"PROGRAM#%ld\" Level=\"0.25\" Cap=\"%ld\"/>\n",
                                        p, p, q, q, 8 + q % 17);
            out.write(line, n);
            written += static_cast<std::uintmax_t>(n);
        }
    }
    out << "</Pairs>\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: overlap_window_bench FILE [MB]\n");
        return 2;
    }
    const fs::path file = argv[1];
    if (argc > 2) WriteComparisonFile(file, std::atof(argv[2]));

    bench::WindowApplication app(argc, argv);
    ResModule::SetLanguage(ResModule::Language::English);
    Globals::g_AppPath = QA_APP_DIR;

    std::error_code ec;
    const double before = PeakMb();
    const auto start = std::chrono::steady_clock::now();
    auto* window = new reports::ui::frmCRUDComp(nullptr, file);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("file %.0f MB: window open in %.2f s, %d rows listed, peak %.0f MB (%.0f MB before)\n",
                static_cast<double>(fs::file_size(file, ec)) / (1024.0 * 1024.0), seconds,
                window->lvCRUDComp->topLevelItemCount(), PeakMb(), before);
    delete window;
    return 0;
}
