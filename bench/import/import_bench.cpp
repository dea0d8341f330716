// Import speed on a large synthetic repository, beside its floor.
//
//   import_bench [programs | workspace.hxp]
//
// Without a workspace file, generates a repository of the given number of
// programs (default 20,000) with the benchmarks' generator. Then, in one run:
//   import: ImportRepositoryEntities into a fresh copy of the template;
//   floor:  into another fresh copy, reading the same repository rows (the
//           entity lists and every relation list the import read) through
//           the same relation queries, and inserting the very Ents and Rels
//           rows the import wrote, with prepared statements in one
//           transaction. No import can do less work than that.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/generator/SyntheticRepository.h"
#include "platform/db/Database.h"
#include "platform/workbench/EntityStore.h"
#include "platform/workbench/RepositoryQuery.h"
#include "platform/workbench/RepositoryValues.h"
#include "platform/workbench/WorkbenchSession.h"
#include "workspace/ProgramRelationships.h"
#include "workspace/RelationshipRecorder.h"
#include "workspace/RepositoryImport.h"
#include "workspace/RepositoryReader.h"

namespace fs = std::filesystem;
namespace wb = platform::workbench;
using platform::db::Database;
using platform::db::Value;

namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::unique_ptr<Database> FreshDb(const fs::path& file) {
    fs::copy_file(fs::path(QA_APP_DIR) / "QuarvelAnalyzer.mdb", file, fs::copy_options::overwrite_existing);
    return Database::Open(file);
}

std::vector<std::vector<Value>> ReadRows(Database& db, const std::string& sql) {
    std::vector<std::vector<Value>> rows;
    auto st = db.Prepare(sql);
    while (st.Step()) {
        std::vector<Value> row;
        for (int c = 0; c < st.ColumnCount(); ++c) row.push_back(st.Column(c));
        rows.push_back(std::move(row));
    }
    return rows;
}

// The relation query of the repository interface, rows read field by field.
size_t ReadRelationRows(wb::EntityStore& store, const std::string& type, int64_t number, bool outgoing) {
    wb::RepositoryQuery query = store.CreateQuery();
    query.Clear();
    int status = 0;
    auto projection = query.CreateNode(status, {}, "ID,Type,Name");
    auto relation = query.CreateRelationNode(outgoing ? "*>" : "*<", "Type:Rel", projection);
    query.SetRoot(query.CreateNode(status, type, "", "ID=" + std::to_string(number), relation));
    query.Execute("");
    size_t rows = 0;
    for (; !query.AtEnd(); query.MoveNext(), ++rows) {
        const wb::QueryRow& row = query.Current();
        (void)row.Field("ID").Value().AsInt();
        (void)row.Field("Type").Value().AsText();
        (void)row.Field("Rel").Value().AsText();
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string arg = argc > 1 ? argv[1] : "20000";
    if (arg.find_first_not_of("0123456789") != std::string::npos &&
        !(arg.size() > 4 && arg.substr(arg.size() - 4) == ".hxp")) {
        std::fprintf(stderr, "usage: import_bench [programs | workspace.hxp]\n");
        return 2;
    }
    const fs::path work = fs::temp_directory_path() / ("qa-import-bench-" + std::to_string(::getpid()));
    fs::create_directories(work);
    fs::path hxp;
    if (arg.size() > 4 && arg.substr(arg.size() - 4) == ".hxp") {
        hxp = fs::absolute(arg);
    } else {
        bench::generator::Options options;
        options.programs = std::stoi(arg);
        options.writeFiles = false;   // the import reads the repository only
        const auto generated = bench::generator::GenerateRepository(work / "gen", options);
        hxp = generated.workspaceFile;
        std::printf("generated %d programs (%lld entities, %lld relations) in %.2f s\n", generated.programs,
                    static_cast<long long>(generated.entities), static_cast<long long>(generated.relations),
                    generated.seconds);
    }

    wb::WorkbenchSession session;
    session.SetBinFolder(work / "install" / "Bin");
    auto [file, key] = FileNameUtility::GetRepositoryValues(hxp.string());
    if (!session.OpenRepository(file, key)) {
        std::fprintf(stderr, "cannot open %s: %s\n", hxp.string().c_str(), session.LastError().c_str());
        return 2;
    }
    wb::EntityStore store = session.GetEntityStore();

    // The import, as the workspace load runs it.
    auto importDb = FreshDb(work / "import.mdb");
    common::NullProgress progress;
    auto t = Clock::now();
    const auto result = workspace::ImportRepositoryEntities(*importDb, store, progress);
    const double importSeconds = Seconds(t);
    if (!result.done) {
        std::fprintf(stderr, "import incomplete: %s\n", result.error.c_str());
        return 1;
    }

    // Untimed: the rows the import wrote and the relation lists it read.
    const auto ents = ReadRows(*importDb, "SELECT ID, EntName, EntNameFull, Name, BusName, Stub FROM Ents ORDER BY SerialID");
    const auto rels = ReadRows(*importDb, "SELECT Id1, Id2, EntName1, EntName2, RelName, RelNameFull FROM Rels ORDER BY RelID");
    struct List {
        std::string type;
        int64_t number;
        bool outgoing;
    };
    std::vector<List> lists;
    std::vector<std::pair<std::string, int64_t>> programs;
    size_t walkQueries = 0;
    {
        auto scratch = Database::InMemory();
        scratch->ExecuteScript(
            "CREATE TABLE Ents (SerialID INTEGER PRIMARY KEY AUTOINCREMENT, ID TEXT, EntName TEXT, EntNameFull TEXT,"
            " Name TEXT, BusName TEXT, Stub INTEGER NOT NULL DEFAULT 0);"
            "CREATE TABLE Rels (Id1 TEXT, Id2 TEXT, EntName1 TEXT, EntName2 TEXT, RelName TEXT, RelNameFull TEXT);");
        workspace::RepositoryReader reader(store);
        workspace::RelationshipRecorder recorder(*scratch);
        workspace::ProgramRelationships walk(reader, recorder);
        for (auto list = store.GetEntities("PROGRAM", "", "Name"); !list.AtEnd(); list.MoveNext()) {
            auto program = list.Current();
            programs.emplace_back(program.GetType().GetName(), program.GetNumber());
            walk.CollectRelationships(program);
        }
        for (const auto& [node, outgoing] : reader.KeptLists()) lists.push_back({node.Type(), node.number, outgoing});
        walkQueries = reader.QueriesRun();
    }

    // The floor.
    auto floorDb = FreshDb(work / "floor.mdb");
    t = Clock::now();
    size_t relationRows = 0, entities = 0;
    for (const char* type : {"MAP", "PROGRAM", "TABLE", "HISEGMENT", "ADABASFILE", "NETRECORD", "DATAAREA",
                             "DMSIIDATASET", "DATASTORE"})
        for (auto list = store.GetEntities(type, "", "Name"); !list.AtEnd(); list.MoveNext(), ++entities)
            (void)list.Current().GetAttribute("Name");
    for (const auto& [type, number] : programs) relationRows += ReadRelationRows(store, type, number, true);
    for (const auto& list : lists) relationRows += ReadRelationRows(store, list.type, list.number, list.outgoing);
    const double readSeconds = Seconds(t);
    const auto w = Clock::now();
    floorDb->Begin();
    auto insEnt = floorDb->Prepare("INSERT INTO Ents (ID, EntName, EntNameFull, Name, BusName, Stub) VALUES (?, ?, ?, ?, ?, ?)");
    auto insRel = floorDb->Prepare(
        "INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) VALUES (?, ?, ?, ?, ?, ?)");
    for (const auto& row : ents) insEnt.Run(row);
    for (const auto& row : rels) insRel.Run(row);
    floorDb->Commit();
    const double writeSeconds = Seconds(w);
    const double floorSeconds = Seconds(t);

    std::printf("programs %zu, entities listed %zu, Ents rows %zu, Rels rows %zu\n", programs.size(), entities,
                ents.size(), rels.size());
    std::printf("relation lists read by the floor: %zu (%zu rows); relation queries of the import: %zu\n",
                programs.size() + lists.size(), relationRows, walkQueries);
    std::printf("import  %8.3f s\n", importSeconds);
    std::printf("floor   %8.3f s  (reading %.3f s, writing %.3f s)\n", floorSeconds, readSeconds, writeSeconds);
    std::printf("ratio   %8.2f x the floor\n", importSeconds / floorSeconds);

    session.Close();
    std::error_code ec;
    fs::remove_all(work, ec);
    return 0;
}
