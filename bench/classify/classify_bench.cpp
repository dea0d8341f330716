// Classification speed on a large synthetic workspace database.
//
//   classify_bench [programs] [seed]
//
// 1. When built with the repository generator: generates a repository of
//    that many programs (default 20,000), imports it into a copy of the
//    template as the workspace load does, and classifies the result.
// 2. Fills Ents and Rels directly with a layered online application of that
//    size (about ten relationships per program: 200,000 at the default)
//    and classifies that.
// Each part prints its times (fill or import, classification, Summary
// tree, and the Summary tree once more on a reopened database, as the
// workspace load builds it) and how the codes came out.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "classify/BuildSummaryTree.h"
#include "classify/ClassifyPrograms.h"
#include "platform/db/Database.h"

#ifdef QA_WITH_IMPORT
#include "bench/generator/GeneratedWorkspace.h"
#include "bench/generator/SyntheticRepository.h"
#include "common/Progress.h"
#include "platform/workbench/RepositoryValues.h"
#include "platform/workbench/WorkbenchSession.h"
#include "workspace/RepositoryImport.h"
#endif

namespace fs = std::filesystem;
using platform::db::Database;

namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::unique_ptr<Database> NewDatabase(const fs::path& file) {
    fs::remove(file);
    auto db = Database::Create(file);
    std::vector<fs::path> scripts;
    for (const auto& e : fs::directory_iterator(QA_SQL_DIR))
        if (e.path().extension() == ".sql") scripts.push_back(e.path());
    std::sort(scripts.begin(), scripts.end());
    for (const auto& s : scripts) {
        std::ifstream in(s);
        std::stringstream text;
        text << in.rdbuf();
        db->ExecuteScript(text.str());
    }
    return db;
}

// A legacy online application in layers: screen programs that transfer to
// one another, transfer programs between them, a frontier layer they call,
// servers below that reach the data, shared utilities, and a batch part
// that shares servers and stores with the online part.
class Portfolio {
public:
    Portfolio(Database& db, int programs, unsigned seed) : m_db(db), m_rng(seed), m_programs(programs) {}

    size_t Fill() {
        const int screens = m_programs / 4, stores = std::max(10, m_programs / 10);
        for (int i = 1; i <= screens; ++i) Ent("MAP#" + std::to_string(i), "MAP", "MAP", "MAP" + std::to_string(i), i % 40 == 0);
        const char* storeTypes[] = {"TABLE", "HISEGMENT", "ADABASFILE", "DATASTORE"};
        for (int i = 1; i <= stores; ++i)
            Ent(StoreId(i), "store", storeTypes[i % 4], "STORE" + std::to_string(i), false);

        // Layer sizes as shares of all programs.
        const int client = m_programs * 25 / 100, transfer = m_programs * 5 / 100, frontier = m_programs * 20 / 100,
                  server = m_programs * 25 / 100, utility = m_programs * 5 / 100;
        const int batch = m_programs - client - transfer - frontier - server - utility;
        int next = 1;
        auto layer = [&](int n) {
            std::vector<int> ids;
            for (int i = 0; i < n; ++i) ids.push_back(next++);
            return ids;
        };
        m_client = layer(client);
        m_transfer = layer(transfer);
        m_frontier = layer(frontier);
        m_server = layer(server);
        m_utility = layer(utility);
        m_batch = layer(batch);
        for (int i = 1; i < next; ++i) Ent(ProgId(i), "PROGRAM", "PROGRAM", "PGM" + std::to_string(i), false);

        for (int p : m_client) {
            for (int k = Pick(3); k >= 0; --k) {  // a few maps, sent and received
                const std::string map = "MAP#" + std::to_string(Pick(screens) + 1);
                Rel(p, map, "MAP", "Sends");
                Rel(p, map, "MAP", "Receives");
            }
            if (Chance(50))
                for (int k = Pick(4); k >= 0; --k) Access(p, stores);
            for (int k = Pick(6); k >= 0; --k) Calls(p, OneOf(m_frontier));
            if (Chance(10)) Calls(p, OneOf(m_transfer));
            if (Chance(50)) Calls(p, OneOf(m_utility));
            for (int k = Pick(5); k >= 0; --k) Xctls(p, Chance(80) ? OneOf(m_client) : OneOf(m_transfer));
            if (Chance(5)) Calls(p, OneOf(m_client));  // a screen program linked to as a subprogram
        }
        for (int p : m_transfer) {
            for (int k = Pick(3); k >= 0; --k) Xctls(p, OneOf(m_client));
            if (Chance(30)) Xctls(p, OneOf(m_transfer));
            for (int k = Pick(3); k > 0; --k) Calls(p, OneOf(m_frontier));
        }
        for (int p : m_frontier) {
            if (Chance(35))
                for (int k = Pick(3); k >= 0; --k) Access(p, stores);
            for (int k = Pick(8); k >= 0; --k) Calls(p, OneOf(m_server));
            if (Chance(50)) Calls(p, OneOf(m_utility));
            if (Pick(1000) < 5) Calls(p, OneOf(m_client));
            if (Chance(5)) Xctls(p, OneOf(m_frontier));
        }
        for (int p : m_server) {
            if (Chance(70))
                for (int k = Pick(12); k >= 0; --k) Access(p, stores);
            // Servers call lower-level servers; now and then one calls back up (a cycle).
            for (int k = Pick(4); k > 0; --k) Calls(p, Chance(2) ? OneOf(m_server) : Below(p, m_server));
            if (Chance(40)) Calls(p, OneOf(m_utility));
            if (Chance(5)) StubCall(p);
        }
        for (int p : m_utility)
            for (int k = Pick(3); k > 0; --k) Calls(p, Below(p, m_utility));
        for (int p : m_batch) {
            for (int k = Pick(12); k >= 0; --k) Access(p, stores);
            for (int k = Pick(8); k >= 0; --k) Calls(p, Chance(60) ? OneOf(m_batch) : OneOf(m_server));
            if (Chance(10)) StubCall(p);
        }
        // Repeats a relationship walk can record twice.
        const size_t unique = m_rels;
        for (size_t i = 0; i < unique / 50; ++i) Rel(OneOf(m_frontier), ProgId(OneOf(m_server)), "PROGRAM", "Calls");
        return m_rels;
    }

private:
    static std::string ProgId(int n) { return "PROGRAM#" + std::to_string(n); }
    static std::string StoreId(int n) { return "TABLE#" + std::to_string(n); }

    void Ent(const std::string& id, const char* kind, const char* full, const std::string& name, bool stub) {
        if (!m_insEnt)
            m_insEnt = std::make_unique<platform::db::Statement>(m_db.Prepare(
                "INSERT INTO Ents (ID, EntName, EntNameFull, Name, BusName, Stub) VALUES (?, ?, ?, ?, ?, ?)"));
        m_insEnt->Run({id, kind, full, name, name, stub});
    }
    void Rel(int from, const std::string& to, const char* toKind, const char* name) {
        if (!m_insRel)
            m_insRel = std::make_unique<platform::db::Statement>(m_db.Prepare(
                "INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) VALUES (?, ?, ?, ?, ?, ?)"));
        std::string rel = name;
        if (rel == "Sends" || rel == "Receives") rel = "converse";
        else if (rel == "Reads" || rel == "Writes" || rel == "Updates") rel = "access";
        m_insRel->Run({ProgId(from), to, "PROGRAM", toKind, rel, name});
        ++m_rels;
    }
    void Rel(int from, const std::string& to, const char* toKind, const std::string& name) { Rel(from, to, toKind, name.c_str()); }
    // One row per kind of access to a store: reads, and often writes or updates too.
    void Access(int p, int stores) {
        const std::string store = StoreId(Pick(stores) + 1);
        Rel(p, store, "TABLE", "Reads");
        if (Chance(50)) Rel(p, store, "TABLE", Chance(50) ? "Writes" : "Updates");
    }
    void Calls(int a, int b) { Rel(a, ProgId(b), "PROGRAM", "Calls"); }
    void Xctls(int a, int b) { Rel(a, ProgId(b), "PROGRAM", "Xctls"); }
    void StubCall(int p) {
        // A called entry the repository has no program for.
        const std::string id = "STUBPROG#" + std::to_string(1000000 + Pick(m_programs / 50 + 1));
        Rel(p, id, "PROGRAM", "Calls");
    }

    int Pick(int n) { return static_cast<int>(m_rng() % static_cast<unsigned>(n)); }
    bool Chance(int percent) { return Pick(100) < percent; }
    int OneOf(const std::vector<int>& v) { return v[Pick(static_cast<int>(v.size()))]; }
    // A program of the same layer further down (layers hold consecutive numbers).
    int Below(int p, const std::vector<int>& layer) {
        const int last = layer.back();
        return p >= last ? last : p + 1 + Pick(std::min(200, last - p));
    }

    Database& m_db;
    std::mt19937 m_rng;
    int m_programs;
    size_t m_rels = 0;
    std::unique_ptr<platform::db::Statement> m_insEnt, m_insRel;
    std::vector<int> m_client, m_transfer, m_frontier, m_server, m_utility, m_batch;
};

// Classifies and builds the tree, printing the figures after the fill's.
void ClassifyAndReport(std::unique_ptr<Database>& handle, const char* fillCaption, double fillSeconds) {
    Database& db = *handle;
    auto t0 = Clock::now();
    const auto counts = mdlReports::ClassifyPrograms(db);
    const double classify = Seconds(t0);

    t0 = Clock::now();
    const auto tree = classify::BuildSummaryTree(db);
    const double summary = Seconds(t0);

    const auto programs = db.Scalar("SELECT COUNT(*) FROM Ents WHERE EntName = 'PROGRAM'").AsInt();
    const auto rels = db.Scalar("SELECT COUNT(*) FROM Rels").AsInt();
    std::printf("  workspace: %lld programs, %lld relationships\n", static_cast<long long>(programs),
                static_cast<long long>(rels));
    std::printf("  %-14s %8.3f s\n", fillCaption, fillSeconds);
    std::printf("  classification %8.3f s  (%zu online, %zu batch)\n", classify, counts.online, counts.batch);
    std::printf("  summary tree   %8.3f s  (%zu nodes)\n", summary, tree.Count());
    std::printf("  codes:");
    auto rs = db.OpenRecordset("SELECT SOAType, COUNT(*) AS N FROM Ents WHERE EntName = 'PROGRAM' GROUP BY SOAType");
    for (; !rs.IsEOF(); rs.MoveNext())
        std::printf(" %lld:%lld", static_cast<long long>(rs.Int("SOAType")), static_cast<long long>(rs.Int("N")));
    std::printf("\n");

    // The tree again as a reopen builds it: statistics in place (the load
    // runs ANALYZE once a build is complete), a fresh connection.
    db.ExecuteScript("ANALYZE");
    const auto file = db.Path();
    handle.reset();
    t0 = Clock::now();
    handle = Database::Open(file);
    const auto reopened = classify::BuildSummaryTree(*handle);
    std::printf("  summary tree after reopen %8.3f s  (%zu nodes)\n", Seconds(t0), reopened.Count());
}

#ifdef QA_WITH_IMPORT
int ImportedRepository(int programs, const fs::path& work) {
    bench::generator::Options options;
    options.programs = programs;
    auto opened = bench::generator::GenerateAndImportWorkspace(options, work);
    if (!opened.db) return 1;
    auto& session = *opened.session;
    auto& db = opened.db;
    const double import = opened.importSeconds;
    std::printf("generated repository, imported (generation %.2f s):\n", opened.generated.seconds);
    ClassifyAndReport(db, "import", import);
    session.Close();
    return 0;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    const int programs = argc > 1 ? std::atoi(argv[1]) : 20000;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 7;
    const fs::path work = fs::temp_directory_path() / ("classify_bench_" + std::to_string(::getpid()));
    fs::create_directories(work);

#ifdef QA_WITH_IMPORT
    if (int rc = ImportedRepository(programs, work)) return rc;
#endif

    const fs::path file = work / "direct.mdb";
    auto db = NewDatabase(file);
    auto t0 = Clock::now();
    {
        platform::db::Transaction tx(*db);
        Portfolio(*db, programs, seed).Fill();
        tx.Commit();
    }
    const double fill = Seconds(t0);
    db.reset();
    db = Database::Open(file);  // classify a database as the load finds it
    std::printf("layered application written directly (seed %u):\n", seed);
    ClassifyAndReport(db, "fill", fill);
    db.reset();

    std::error_code ec;
    fs::remove_all(work, ec);
    return 0;
}
