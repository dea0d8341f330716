// CRUD overlap speed on synthetic workspaces with skewed sharing.
//
//   crud_bench [programs ...]        (default: 1000 5000)
//
// Each size runs in a child process of its own, so that its peak memory is
// its own. The workspace: Ents and Rels written directly into a copy of the
// template, half as many stores as programs; six common stores that each
// program reads (sometimes updates) with a chance of 3 in 4, and 4 to 20
// further accesses per program over the other stores, drawn with a Zipf
// law so that a few stores are shared widely and most by few programs.
// Printed per size:
//   ours:    GetCRUDReport, time and peak resident memory during the run;
//   rerun:   the same again, now that the tables hold the first run's rows;
//   floor:   the run's ProgCRUDProg rows, read into memory and deleted
//            beforehand, inserted again a hundred to a statement in one
//            transaction (as the run starts from an empty table), and
//            its comparison file copied: storing those rows and that file
//            with nothing to compute;
//   literal: (up to 2,000 programs) the pair loop statement by statement: the
//            list of every shared CRUD per pair, its grouping, then per pair
//            a count and an update (values bound, one transaction, no window
//            events: a lower bound for the loop), then the similar pairs
//            through a DOM document; its ProgCRUDProg compared with ours.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/Progress.h"
#include "platform/db/Database.h"
#include "platform/xml/XmlDocument.h"
#include "reports/CrudAnalysis.h"
#include "reports/CrudComparison.h"

namespace fs = std::filesystem;
using platform::db::Database;

namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

constexpr int kCommonStores = 6;
constexpr int kLiteralUpTo = 2000;

void Fill(Database& db, int programs, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const int stores = std::max(50, programs / 2);
    platform::db::Transaction tx(db);
    auto ent = db.Prepare("INSERT INTO Ents (ID, EntName, Name, BusName) VALUES (?1, ?2, ?3, ?3)");
    auto rel = db.Prepare(
        "INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) VALUES (?1, ?2, 'PROGRAM', "
        "'TABLE', 'access', ?3)");
    for (int s = 1; s <= stores; ++s) ent.Run({"TABLE#" + std::to_string(s), "TABLE", "STORE" + std::to_string(s)});
    // Zipf over the stores that are not common.
    std::vector<double> cdf;
    double sum = 0;
    for (int r = 1; r <= stores - kCommonStores; ++r) cdf.push_back(sum += 1.0 / std::pow(r, 1.1));
    const char* kinds[] = {"Reads", "Reads", "Reads", "Reads", "Writes", "Updates", "Updates", "Inserts", "Deletes"};
    for (int p = 1; p <= programs; ++p) {
        const std::string id = "PROGRAM#" + std::to_string(p);
        ent.Run({id, "PROGRAM", "PROG" + std::to_string(p)});
        for (int s = 1; s <= kCommonStores; ++s)
            if (unit(rng) < 0.75)
                rel.Run({id, "TABLE#" + std::to_string(s), unit(rng) < 0.8 ? "Reads" : "Updates"});
        for (int n = 4 + static_cast<int>(rng() % 17); n > 0; --n) {
            const double u = unit(rng) * sum;
            const int rank = static_cast<int>(std::lower_bound(cdf.begin(), cdf.end(), u) - cdf.begin());
            rel.Run({id, "TABLE#" + std::to_string(kCommonStores + 1 + rank), kinds[rng() % 9]});
        }
    }
    tx.Commit();
}

// Peak resident memory since the last reset, in MB.
double PeakMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return static_cast<double>(use.ru_maxrss) / 1024.0;
}
bool ResetPeak() { return static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5"); }

struct FloorTimes { double rows, file; };
FloorTimes Floor(Database& db, const fs::path& folder) {
    constexpr size_t kBatch = 100;
    std::vector<std::array<int64_t, 4>> rows;
    auto read = db.Prepare("SELECT Prog1, Prog2, RawSameness, SamenessCap FROM ProgCRUDProg ORDER BY Prog1, Prog2");
    while (read.Step()) rows.push_back({read.Int(0), read.Int(1), read.Int(2), read.Int(3)});
    auto text = [](size_t n) {
        std::string sql = "INSERT INTO ProgCRUDProg (Prog1, Prog2, RawSameness, SamenessCap) VALUES (?, ?, ?, ?)";
        for (size_t i = 1; i < n; ++i) sql += ", (?, ?, ?, ?)";
        return sql;
    };
    db.Execute("DELETE FROM ProgCRUDProg");
    const auto start = Clock::now();
    {
        platform::db::Transaction tx(db);
        auto full = db.Prepare(text(kBatch));
        for (size_t first = 0; first < rows.size(); first += kBatch) {
            const size_t n = std::min(kBatch, rows.size() - first);
            auto rest = n == kBatch ? platform::db::Statement(std::move(full)) : db.Prepare(text(n));
            for (size_t i = 0; i < n; ++i)
                for (int c = 0; c < 4; ++c) rest.Bind(static_cast<int>(i * 4 + c + 1), rows[first + i][c]);
            rest.Step();
            rest.Reset();
            if (n == kBatch) full = std::move(rest);
        }
        tx.Commit();
    }
    const double rowsSeconds = Seconds(start);
    const auto copied = Clock::now();
    fs::copy_file(mdlReports::CrudComparisonPath(folder), folder / "copy.xml", fs::copy_options::overwrite_existing);
    return {rowsSeconds, Seconds(copied)};
}

// The pair loop as its statements run it.
double Literal(Database& db, const fs::path& folder, bool& same) {
    std::string before;
    auto summary = [&] {
        auto st = db.Prepare("SELECT COUNT(*), SUM(Prog1 * 7 + Prog2 * 13 + RawSameness * 17 + SamenessCap * 19) "
                             "FROM ProgCRUDProg");
        st.Step();
        return st.Text(0) + "/" + st.Text(1);
    };
    before = summary();
    const auto start = Clock::now();
    platform::db::Transaction tx(db);
    db.Execute("DELETE FROM tmpProgCRUDProgPrep");
    db.Execute(
        "INSERT INTO tmpProgCRUDProgPrep (Prog1, Prog2, CRUDID) SELECT DISTINCT P1.ProgSID, P2.ProgSID, P1.CRUDID "
        "FROM ProgCRUD AS P1 INNER JOIN ProgCRUD AS P2 ON P1.CRUDID = P2.CRUDID WHERE P1.ProgSID < P2.ProgSID");
    db.Execute("DELETE FROM ProgCRUDProg");
    db.Execute("INSERT INTO ProgCRUDProg (Prog1, Prog2, RawSameness) SELECT Prog1, Prog2, COUNT(CRUDID) "
               "FROM tmpProgCRUDProgPrep GROUP BY Prog1, Prog2");
    auto pairs = db.Prepare("SELECT DISTINCT Prog1, Prog2 FROM ProgCRUDProg");
    auto count = db.Prepare("SELECT Count(*) AS RecCount FROM ProgCRUD WHERE ((ProgSID = ?1) OR (ProgSID = ?2))");
    auto update = db.Prepare("UPDATE ProgCRUDProg SET SamenessCap = ?1 WHERE Prog1 = ?2 AND Prog2 = ?3");
    while (pairs.Step()) {
        const int64_t p1 = pairs.Int(0), p2 = pairs.Int(1);
        count.Bind(1, p1).Bind(2, p2);
        count.Step();
        const int64_t n = count.Int(0);
        count.Reset();
        update.Run({n, p1, p2});
    }
    platform::xml::Document doc;
    auto root = doc.CreateElement("Pairs");
    doc.SetDocumentElement(root);
    auto similar = db.Prepare(
        "SELECT P1.Name As Program1, P1.Id As P1ID, P2.Name As Program2, P2.Id As P2ID, "
        "PCP.RawSameness / PCP.SamenessCap As SamenessLevel, PCP.SamenessCap AS SameCap "
        "FROM (ProgCRUDProg As PCP INNER JOIN Ents As P1 ON PCP.Prog1 = P1.SerialID) "
        "INNER JOIN Ents As P2 ON PCP.Prog2 = P2.SerialID WHERE PCP.RawSameness / PCP.SamenessCap > 0.1");
    while (similar.Step()) {
        auto pair = root.AppendElement("Pair");
        for (int c = 0; c < 6; ++c) pair.SetAttribute(similar.ColumnName(c), similar.Column(c).AsText());
    }
    doc.Save(folder / "literal.xml", {false, platform::xml::Declaration::Never});
    tx.Commit();
    const double seconds = Seconds(start);
    same = summary() == before;
    return seconds;
}

int RunSize(int programs) {
    const fs::path folder = fs::temp_directory_path() / ("crud_bench_" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path file = folder / "QuarvelAnalyzer.mdb";
    fs::copy_file(fs::path(QA_APP_DIR) / "QuarvelAnalyzer.mdb", file);
    auto db = Database::Open(file);
    auto start = Clock::now();
    Fill(*db, programs, 20240601u + static_cast<unsigned>(programs));
    const double fill = Seconds(start);
    const int64_t rels = db->Scalar("SELECT COUNT(*) FROM Rels").AsInt();

    const double before = PeakMb();
    const bool reset = ResetPeak();
    common::NullProgress progress;
    start = Clock::now();
    const auto result = mdlReports::GetCRUDReport(*db, common::WriteBoundary(folder), progress, false);
    const double ours = Seconds(start);
    const double peak = PeakMb();
    const auto bytes = fs::file_size(mdlReports::CrudComparisonPath(folder));

    std::printf("%d programs, %lld access relationships (fill %.2f s):\n", programs, static_cast<long long>(rels),
                fill);
    std::printf("  pairs sharing a CRUD %zu, similar pairs %zu, comparison file %.1f MB\n", result.sharingPairs,
                result.similarPairs, static_cast<double>(bytes) / 1e6);
    std::printf("  ours     %8.3f s   peak memory %.0f MB%s (%.0f MB before the run)\n", ours, peak,
                reset ? " during the run" : " of the process", before);
    start = Clock::now();
    mdlReports::GetCRUDReport(*db, common::WriteBoundary(folder), progress, false);
    std::printf("  rerun    %8.3f s   (the tables emptied first)\n", Seconds(start));
    const FloorTimes floor = Floor(*db, folder);
    std::printf("  floor    %8.3f s   (nothing computed: ProgCRUDProg rows inserted %.3f s, file copied %.3f s)\n",
                floor.rows + floor.file, floor.rows, floor.file);
    if (programs <= kLiteralUpTo) {
        mdlReports::GetCRUDReport(*db, common::WriteBoundary(folder), progress, false);   // the tables as the run leaves them
        bool same = false;
        const double literal = Literal(*db, folder, same);
        std::printf("  literal  %8.3f s   (%.0f times ours; same ProgCRUDProg: %s)\n", literal, literal / ours,
                    same ? "yes" : "NO");
    }
    std::fflush(stdout);
    db.reset();
    fs::remove_all(folder);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        const int n = std::atoi(argv[i]);
        if (n < 2) {
            std::fprintf(stderr, "usage: crud_bench [programs ...]   (each at least 2)\n");
            return 2;
        }
        sizes.push_back(n);
    }
    if (sizes.empty()) sizes = {1000, 5000};
    for (int n : sizes) {
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) _exit(RunSize(n));
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::fprintf(stderr, "the run of %d programs failed\n", n);
    }
    return 0;
}
