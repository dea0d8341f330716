// The CRUD overlap window opened on a large comparison file: how long it
// takes to open, how long the window's events wait meanwhile and how much
// memory it takes.
//
//   overlap_window_bench FILE [MB [KIND [--before-root]]]
//
// With MB, FILE is first written: a comparison file of about that many
// megabytes. KIND says what fills it:
//   pairs         every pair a distinct pair of programs named as a
//                 generated workspace names them (about 110 bytes a pair);
//                 the default
//   one-pair      the same pair over and over
//   comments      one pair, then comments ("<!-- note 123 -->") to the
//                 size, then another pair
//   instructions  the same with processing instructions ("<?note 123?>")
//   cdata, text, blanks   the same with CDATA sections, text between
//                 comments, or one run of white space
// --before-root puts the filling (comments, instructions or blanks) before
// the root instead of between its children. Then the window is made and its list loaded on
// FILE (offscreen unless QT_QPA_PLATFORM says otherwise), the progress
// letting the events run at each step as the main window's does, and
// printed: the time until the list is loaded, the longest time the
// window's events waited meanwhile (a timer due every 5 ms notes how late
// it fires; the floor is 250 ms), the rows it lists and the peak resident
// memory, and what the window says of the file above its list. Settings
// and home go to a throw-away folder, as in the tests.

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/WindowApplication.h"
#include "common/Globals.h"
#include "common/Progress.h"
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

using Clock = std::chrono::steady_clock;

void WritePairs(std::ofstream& out, std::uintmax_t bytes, bool onePair) {
    std::uintmax_t written = 0;
    char line[256];
    for (long p = 1; written < bytes; ++p) {
        for (long q = p + 1; q <= p + 200 && written < bytes; ++q) {
            const long one = onePair ? 1 : p, two = onePair ? 2 : q;
            const int n = std::snprintf(line, sizeof line,
                                        "<Pair Program1=\"PGM%05ld\" P1ID=\"PROGRAM#%ld\" Program2=\"PGM%05ld\" "
                                        "P2ID=\"PROGRAM#%ld\" Level=\"0.25\" Cap=\"%ld\"/>\n",
                                        one, one, two, two, 8 + two % 17);
            out.write(line, n);
            written += static_cast<std::uintmax_t>(n);
        }
    }
}

// Nodes that are no pair, to about bytes: what a damaged or planted file
// may hold between the pairs.
void WriteFilling(std::ofstream& out, std::uintmax_t bytes, const std::string& kind) {
    if (kind == "blanks") {
        const std::string blanks(1 << 16, ' ');
        for (std::uintmax_t written = 0; written < bytes; written += blanks.size()) out << blanks;
        return;
    }
    const char* format = kind == "comments"       ? "<!-- note %ld -->\n"
                         : kind == "instructions" ? "<?note %ld?>\n"
                         : kind == "cdata"        ? "<![CDATA[note %ld]]>\n"
                                                  : "note %ld<!---->\n";
    char line[64];
    std::uintmax_t written = 0;
    for (long n = 0; written < bytes; ++n) {
        const int length = std::snprintf(line, sizeof line, format, n);
        out.write(line, length);
        written += static_cast<std::uintmax_t>(length);
    }
}

void WriteComparisonFile(const fs::path& file, double megabytes, const std::string& kind, bool beforeRoot) {
    const auto bytes = static_cast<std::uintmax_t>(megabytes * 1024 * 1024);
    std::ofstream out(file, std::ios::binary);
    if (kind == "pairs" || kind == "one-pair") {
        out << "<Pairs>\n";
        WritePairs(out, bytes, kind == "one-pair");
    } else {
        if (beforeRoot) WriteFilling(out, bytes, kind);
        out << "<Pairs>\n";
        WritePairs(out, 1, false);
        if (!beforeRoot) WriteFilling(out, bytes, kind);
        out << "<Pair Program1=\"LAST1\" P1ID=\"PROGRAM#1\" Program2=\"LAST2\" P2ID=\"PROGRAM#2\" Level=\"0.5\" "
               "Cap=\"9\"/>\n";
    }
    out << "</Pairs>\n";
}

// The main window's progress as far as the events go: each step lets them run.
class EventProgress : public common::NullProgress {
public:
    void StartStep(const std::string&) override { QApplication::processEvents(); }
};

// The longest time between two turns of a timer due every 5 ms.
class EventWaits {
public:
    EventWaits() {
        m_ticks.setInterval(5);
        QObject::connect(&m_ticks, &QTimer::timeout, [this] { Turn(); });
        m_last = Clock::now();
        m_ticks.start();
    }
    double LongestMs() {
        Turn();
        return m_longestMs;
    }

private:
    void Turn() {
        const auto now = Clock::now();
        m_longestMs = std::max(m_longestMs, std::chrono::duration<double, std::milli>(now - m_last).count());
        m_last = now;
    }
    QTimer m_ticks;
    Clock::time_point m_last;
    double m_longestMs = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: overlap_window_bench FILE [MB [KIND [--before-root]]]\n");
        return 2;
    }
    const fs::path file = argv[1];
    if (argc > 2) {
        const std::string kind = argc > 3 ? argv[3] : "pairs";
        WriteComparisonFile(file, std::atof(argv[2]), kind, argc > 4 && std::string(argv[4]) == "--before-root");
    }

    bench::WindowApplication app(argc, argv);
    ResModule::SetLanguage(ResModule::Language::English);
    Globals::g_AppPath = QA_APP_DIR;

    std::error_code ec;
    const double before = PeakMb();
    EventProgress progress;
    EventWaits waits;
    const auto start = Clock::now();
    auto* window = new reports::ui::frmCRUDComp(nullptr, file);
    window->Load(progress);
    const double loadingWait = waits.LongestMs();
    window->show();
    QApplication::processEvents();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("file %.0f MB: window open in %.2f s, longest wait %.0f ms (floor 250 ms; %.0f ms while loading), "
                "%d rows listed, peak %.0f MB (%.0f MB before)\n",
                static_cast<double>(fs::file_size(file, ec)) / (1024.0 * 1024.0), seconds, waits.LongestMs(), loadingWait,
                window->lvCRUDComp->topLevelItemCount(), PeakMb(), before);
    // What the window says of the file, above the list.
    for (const QLabel* label : {window->lblDamaged, window->lblMore})
        if (label->isVisible()) std::printf("  %s\n", label->text().toUtf8().constData());
    delete window;
    return 0;
}
