// Import speed on a large synthetic repository, beside its floor.
//
//   import_bench [programs | workspace.hxp] [--runs=N]
//
// Without a workspace file, generates a repository of the given number of
// programs (default 20,000) with the benchmarks' generator. Then, each timed
// part run N times (default 3) and its fastest run shown, with the user and
// system time of that run beside its wall time (the three parts take turns):
//   import: ImportRepositoryEntities into a fresh copy of the template;
//   floor:  the least work any import can do. On its own connections, with
//           SQLite's C API: the entity lists, the "Source" of every screen
//           and every relation list the import read, each with one prepared
//           statement inside one read transaction; then the very Ents and
//           Rels rows the import wrote, bound in place and inserted into
//           another fresh copy in one transaction.
//   floor through the query layer: the same reads through the repository
//           interface's relation queries (no transaction), the same rows
//           written through the database layer; the floor this benchmark
//           used to show.

#include <sqlite3.h>
#include <sys/resource.h>
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
#include "platform/workbench/ReadTransaction.h"
#include "platform/workbench/RepositoryQuery.h"
#include "platform/workbench/RepositoryValues.h"
#include "platform/workbench/WorkbenchSession.h"
#include "platform/workbench/WorkspaceFile.h"
#include "workspace/ProgramRelationships.h"
#include "workspace/RelationshipRecorder.h"
#include "workspace/RepositoryImport.h"
#include "workspace/RepositoryReader.h"

namespace fs = std::filesystem;
namespace wb = platform::workbench;
using platform::db::Database;
using platform::db::Value;

namespace {

const char* const kListedTypes[] = {"MAP",      "PROGRAM",  "TABLE",        "HISEGMENT", "ADABASFILE",
                                    "NETRECORD", "DATAAREA", "DMSIIDATASET", "DATASTORE"};

// Wall, user and system seconds of one run.
struct Times {
    double wall = 0, user = 0, system = 0;
};

class Stopwatch {
public:
    Stopwatch() : m_start(std::chrono::steady_clock::now()), m_usage(Usage()) {}
    Times Elapsed() const {
        const rusage now = Usage();
        Times t;
        t.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        t.user = Seconds(now.ru_utime) - Seconds(m_usage.ru_utime);
        t.system = Seconds(now.ru_stime) - Seconds(m_usage.ru_stime);
        return t;
    }

private:
    static rusage Usage() {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return u;
    }
    static double Seconds(const timeval& tv) { return static_cast<double>(tv.tv_sec) + tv.tv_usec / 1e6; }
    std::chrono::steady_clock::time_point m_start;
    rusage m_usage;
};

// One timed run: the whole, and for the floors its reading and writing.
struct Run {
    Times total, read, write;
};

// Keeps the faster of two runs.
void KeepFaster(Run& best, const Run& run) {
    if (run.total.wall < best.total.wall) best = run;
}

fs::path FreshCopy(const fs::path& file) {
    fs::copy_file(fs::path(QA_APP_DIR) / "QuarvelAnalyzer.mdb", file, fs::copy_options::overwrite_existing);
    return file;
}

using Rows = std::vector<std::vector<std::string>>;

// Every column as text; NULL as "" (the import writes none).
Rows ReadRows(Database& db, const std::string& sql) {
    Rows rows;
    auto st = db.Prepare(sql);
    while (st.Step()) {
        std::vector<std::string> row;
        for (int c = 0; c < st.ColumnCount(); ++c) row.push_back(st.Text(c));
        rows.push_back(std::move(row));
    }
    return rows;
}

// ---- the floor, on SQLite's C API ----------------------------------------

[[noreturn]] void Fail(sqlite3* db, const char* what) {
    std::fprintf(stderr, "floor: %s: %s\n", what, sqlite3_errmsg(db));
    std::exit(1);
}

sqlite3* OpenRaw(const fs::path& file, int flags) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.string().c_str(), &db, flags, nullptr) != SQLITE_OK) Fail(db, "open");
    return db;
}

sqlite3_stmt* PrepareRaw(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) Fail(db, sql);
    return st;
}

void Exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(db, sql);
}

struct List {
    std::string type;
    int64_t number;
    bool outgoing;
};

// Reads what the import reads; returns the rows seen, so nothing is skipped.
size_t FloorRead(const fs::path& repository, const std::vector<List>& lists) {
    sqlite3* db = OpenRaw(repository, SQLITE_OPEN_READONLY);
    Exec(db, "BEGIN");
    size_t rows = 0;
    int64_t sum = 0;
    sqlite3_stmt* entities = PrepareRaw(
        db, "SELECT e.Number, e.Name FROM Entities e WHERE e.TypeId = (SELECT TypeId FROM EntityTypes WHERE Name = ?) "
            "ORDER BY e.Number");
    sqlite3_stmt* source = PrepareRaw(db, "SELECT Value FROM Attributes WHERE Number = ? AND Name = 'Source'");
    for (const char* type : kListedTypes) {
        const bool screens = std::string(type) == "MAP";
        sqlite3_bind_text(entities, 1, type, -1, SQLITE_STATIC);
        while (sqlite3_step(entities) == SQLITE_ROW) {
            const int64_t number = sqlite3_column_int64(entities, 0);
            sum += sqlite3_column_bytes(entities, 1);
            ++rows;
            if (!screens) continue;
            sqlite3_bind_int64(source, 1, number);
            while (sqlite3_step(source) == SQLITE_ROW) sum += sqlite3_column_bytes(source, 0);
            sqlite3_reset(source);
        }
        sqlite3_reset(entities);
    }
    sqlite3_stmt* out = PrepareRaw(db, "SELECT r.RelTypeId, e.Number, e.TypeId FROM Relations r "
                                       "JOIN Entities e ON e.Number = r.Target WHERE r.Source = ? ORDER BY r.RelId");
    sqlite3_stmt* in = PrepareRaw(db, "SELECT r.RelTypeId, e.Number, e.TypeId FROM Relations r "
                                      "JOIN Entities e ON e.Number = r.Source WHERE r.Target = ? ORDER BY r.RelId");
    for (const List& list : lists) {
        sqlite3_stmt* st = list.outgoing ? out : in;
        sqlite3_bind_int64(st, 1, list.number);
        while (sqlite3_step(st) == SQLITE_ROW) {
            sum += sqlite3_column_int64(st, 0) + sqlite3_column_int64(st, 1) + sqlite3_column_int64(st, 2);
            ++rows;
        }
        sqlite3_reset(st);
    }
    for (sqlite3_stmt* st : {entities, source, out, in}) sqlite3_finalize(st);
    Exec(db, "COMMIT");
    sqlite3_close_v2(db);
    return sum == -1 ? 0 : rows;   // sum keeps the reads from being dropped
}

void FloorWrite(const fs::path& file, const Rows& ents, const Rows& rels) {
    sqlite3* db = OpenRaw(file, SQLITE_OPEN_READWRITE);
    Exec(db, "BEGIN");
    auto insert = [db](const char* sql, const Rows& rows) {
        sqlite3_stmt* st = PrepareRaw(db, sql);
        for (const auto& row : rows) {
            for (size_t c = 0; c < row.size(); ++c)
                sqlite3_bind_text(st, static_cast<int>(c + 1), row[c].data(), static_cast<int>(row[c].size()),
                                  SQLITE_STATIC);
            if (sqlite3_step(st) != SQLITE_DONE) Fail(db, sql);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
    };
    insert("INSERT INTO Ents (ID, EntName, EntNameFull, Name, BusName, Stub) VALUES (?, ?, ?, ?, ?, ?)", ents);
    insert("INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) VALUES (?, ?, ?, ?, ?, ?)", rels);
    Exec(db, "COMMIT");
    sqlite3_close_v2(db);
}

// ---- the floor through the query layer ------------------------------------

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

size_t LayerRead(wb::EntityStore& store, const std::vector<List>& lists) {
    size_t rows = 0;
    for (const char* type : kListedTypes)
        for (auto list = store.GetEntities(type, "", "Name"); !list.AtEnd(); list.MoveNext(), ++rows)
            (void)list.Current().GetAttribute(std::string(type) == "MAP" ? "Source" : "Name");
    for (const auto& list : lists) rows += ReadRelationRows(store, list.type, list.number, list.outgoing);
    return rows;
}

void LayerWrite(const fs::path& file, const Rows& ents, const Rows& rels) {
    auto db = Database::Open(file);
    db->Begin();
    auto write = [&](const char* sql, const Rows& rows) {
        auto st = db->Prepare(sql);
        for (const auto& row : rows) st.Run(platform::db::Params(row.begin(), row.end()));
    };
    write("INSERT INTO Ents (ID, EntName, EntNameFull, Name, BusName, Stub) VALUES (?, ?, ?, ?, ?, ?)", ents);
    write("INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) VALUES (?, ?, ?, ?, ?, ?)", rels);
    db->Commit();
}

void Print(const char* caption, const Times& t, const std::string& note = {}) {
    std::printf("%-30s %8.3f s %8.3f s %8.3f s%s\n", caption, t.wall, t.user, t.system, note.c_str());
}

std::string Parts(const Run& r) {
    char text[96];
    std::snprintf(text, sizeof text, "  (reading %.3f s, writing %.3f s)", r.read.wall, r.write.wall);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    std::string arg = "20000";
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--runs=", 0) == 0 && a.size() > 7 && a.find_first_not_of("0123456789", 7) == std::string::npos) {
            runs = std::max(1, std::stoi(a.substr(7)));
        } else if (a.find_first_not_of("0123456789") == std::string::npos ||
                   (a.size() > 4 && a.substr(a.size() - 4) == ".hxp")) {
            arg = a;
        } else {
            std::fprintf(stderr, "usage: import_bench [programs | workspace.hxp] [--runs=N]\n");
            return 2;
        }
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
    wb::WorkspaceFileReader workspaceFile;
    workspaceFile.Load(file);
    const fs::path repository = workspaceFile.RepositoryFile();

    // The import, as the workspace load runs it.
    common::NullProgress progress;
    auto importOnce = [&] {
        auto db = Database::Open(FreshCopy(work / "import.mdb"));
        Stopwatch watch;
        const auto result = workspace::ImportRepositoryEntities(*db, store, progress);
        Run r;
        r.total = watch.Elapsed();
        if (!result.done) {
            std::fprintf(stderr, "import incomplete: %s\n", result.error.c_str());
            std::exit(1);
        }
        return r;
    };

    Run import = importOnce();

    // Untimed: the rows the import wrote and the relation lists it read.
    Rows ents, rels;
    {
        auto db = Database::Open(work / "import.mdb");
        ents = ReadRows(*db, "SELECT ID, EntName, EntNameFull, Name, BusName, Stub FROM Ents ORDER BY SerialID");
        rels = ReadRows(*db, "SELECT Id1, Id2, EntName1, EntName2, RelName, RelNameFull FROM Rels ORDER BY RelID");
    }
    std::vector<List> lists;
    size_t programs = 0, walkLists = 0;
    {
        auto scratch = Database::InMemory();
        scratch->ExecuteScript(
            "CREATE TABLE Ents (SerialID INTEGER PRIMARY KEY AUTOINCREMENT, ID TEXT, EntName TEXT, EntNameFull TEXT,"
            " Name TEXT, BusName TEXT, Stub INTEGER NOT NULL DEFAULT 0);"
            "CREATE TABLE Rels (Id1 TEXT, Id2 TEXT, EntName1 TEXT, EntName2 TEXT, RelName TEXT, RelNameFull TEXT);");
        wb::ReadTransaction read(store);
        workspace::RepositoryReader reader(store);
        workspace::RelationshipRecorder recorder(*scratch);
        workspace::ProgramRelationships walk(reader, recorder);
        for (auto list = store.GetEntities("PROGRAM", "", "Name"); !list.AtEnd(); list.MoveNext(), ++programs) {
            auto program = list.Current();
            lists.push_back({program.GetTypeName(), program.GetNumber(), true});
            walk.CollectRelationships(program);
        }
        for (const auto& [node, outgoing] : reader.KeptLists()) lists.push_back({node.Type(), node.number, outgoing});
        walkLists = reader.QueriesRun();
    }

    size_t floorRows = 0;
    auto floorOnce = [&] {
        const fs::path target = FreshCopy(work / "floor.mdb");
        Run r;
        Stopwatch watch;
        Stopwatch reading;
        floorRows = FloorRead(repository, lists);
        r.read = reading.Elapsed();
        Stopwatch writing;
        FloorWrite(target, ents, rels);
        r.write = writing.Elapsed();
        r.total = watch.Elapsed();
        return r;
    };
    auto layerOnce = [&] {
        const fs::path target = FreshCopy(work / "layer.mdb");
        Run r;
        Stopwatch watch;
        Stopwatch reading;
        (void)LayerRead(store, lists);
        r.read = reading.Elapsed();
        Stopwatch writing;
        LayerWrite(target, ents, rels);
        r.write = writing.Elapsed();
        r.total = watch.Elapsed();
        return r;
    };

    // The three in turn, so that a busy moment of the machine does not fall
    // on one of them alone.
    Run floor = floorOnce(), layer = layerOnce();
    for (int i = 1; i < runs; ++i) {
        KeepFaster(import, importOnce());
        KeepFaster(floor, floorOnce());
        KeepFaster(layer, layerOnce());
    }

    std::printf("programs %zu, Ents rows %zu, Rels rows %zu\n", programs, ents.size(), rels.size());
    std::printf("relation lists read: %zu (import), %zu (floor, %zu rows with the entity lists)\n", walkLists,
                lists.size(), floorRows);
    std::printf("fastest of %d runs each%*s wall       user     system\n", runs, 8, "");
    Print("import", import.total);
    Print("floor", floor.total, Parts(floor));
    Print("floor through the query layer", layer.total, Parts(layer));
    std::printf("ratio %8.2f x the floor (%.2f x the floor through the query layer)\n",
                import.total.wall / floor.total.wall, import.total.wall / layer.total.wall);

    session.Close();
    std::error_code ec;
    fs::remove_all(work, ec);
    return 0;
}
