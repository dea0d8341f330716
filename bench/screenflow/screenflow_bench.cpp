// Screen interaction plot speed on a synthetic workspace, headless.
//
//   screenflow_bench [applications] [screens per application] [runs]
//                                             (default: 200 10 5)
//
// The repository generator's applications of 50 programs each hold 15
// screen programs; with 10 screens per application (one a stub) the
// default gives 2,000 screens and 3,000 screen programs. The repository is
// imported into a copy of the template and ANALYZEd, as the workspace load
// leaves it. Printed, each the fastest of the runs:
//   table: GenerateScreenFlowTable (sfScreenRels and its scratch tables,
//          one transaction);
//   draw:  the rows read, the boxes and links added, the layout (the boxes
//          sized to their captions and placed), without and with stub
//          screens;
//   total: table and draw together, the time the plot's opening takes
//          before anything is painted.

#include <unistd.h>

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>

#include "bench/generator/GeneratedWorkspace.h"
#include "bench/generator/SyntheticRepository.h"
#include "common/Progress.h"
#include "platform/db/Database.h"
#include "platform/diagram/DiagramLayout.h"
#include "platform/diagram/DiagramModel.h"
#include "platform/workbench/RepositoryValues.h"
#include "platform/workbench/WorkbenchSession.h"
#include "views/ScreenFlowPlot.h"
#include "views/ScreenFlowTable.h"
#include "workspace/RepositoryImport.h"

namespace fs = std::filesystem;
using platform::db::Database;

namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double Fastest(int runs, const std::function<void()>& run) {
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        run();
        best = std::min(best, Seconds(start));
    }
    return best;
}

long long Count(Database& db, const char* sql) { return static_cast<long long>(db.Scalar(sql).AsInt()); }

}  // namespace

int main(int argc, char** argv) {
    // The layout measures captions with the fonts of Qt Gui.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int apps = argc > 1 ? std::atoi(argv[1]) : 200;
    const int screensPerApp = argc > 2 ? std::atoi(argv[2]) : 10;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    if (apps <= 0 || screensPerApp < 2) {
        std::fprintf(stderr, "usage: screenflow_bench [applications] [screens per application >= 2] [runs]\n");
        return 2;
    }
    const fs::path work = fs::temp_directory_path() / ("screenflow_bench_" + std::to_string(::getpid()));
    fs::create_directories(work);

    bench::generator::Options options;
    options.programs = apps * 50;
    options.screensPerApp = screensPerApp;
    auto opened = bench::generator::GenerateAndImportWorkspace(options, work);
    if (!opened.db) return 1;
    opened.session->Close();
    auto& db = opened.db;
    db->Execute("ANALYZE");

    std::printf("workspace: %d programs, %lld screens (%lld stubs), %lld screen programs, %lld transfers\n",
                opened.generated.programs, Count(*db, "SELECT COUNT(*) FROM Ents WHERE EntName = 'MAP'"),
                Count(*db, "SELECT COUNT(*) FROM Ents WHERE EntName = 'MAP' AND Stub <> 0"),
                Count(*db,
                      "SELECT COUNT(DISTINCT Id1) FROM Rels WHERE RelName = 'converse' AND EntName2 = 'MAP'"),
                Count(*db, "SELECT COUNT(*) FROM Rels WHERE RelName = 'Xctls'"));

    const double table = Fastest(runs, [&] { Globals::GenerateScreenFlowTable(*db); });
    std::printf("table: %lld rows of sfScreenRels in %.3f s\n", Count(*db, "SELECT COUNT(*) FROM sfScreenRels"),
                table);

    for (const bool stubs : {false, true}) {
        size_t boxes = 0, links = 0;
        const double draw = Fastest(runs, [&] {
            platform::diagram::DiagramModel model;
            for (const auto& row : views::ReadScreenFlow(*db, stubs)) views::AddScreenFlowRow(model, row);
            platform::diagram::AutoLayout(model);
            boxes = model.ShapeCount();
            links = model.LinkCount();
        });
        std::printf("draw %s stub screens: %zu boxes, %zu links in %.3f s; total with the table %.3f s\n",
                    stubs ? "with" : "without", boxes, links, draw, table + draw);
    }
    db.reset();
    fs::remove_all(work);
    return 0;
}
