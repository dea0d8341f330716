// The CRUD overlap analysis against a plain reading of its definition (the
// CRUD set of every program, every pair compared), on random small
// workspaces, and its edge cases: threshold, cap, cancel, failure, files.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "common/AsciiCase.h"
#include "platform/xml/XmlDocument.h"
#include "reports/CrudAnalysis.h"
#include "reports/CrudComparison.h"
#include "tests/reports/CrudWorkspace.h"

using crudtest::CrudWorkspace;
using mdlReports::GetCRUDReport;
using platform::db::Value;
namespace fs = std::filesystem;

namespace {

struct PairRow {
    int64_t p1, p2, raw, cap;
    bool operator==(const PairRow&) const = default;
};
struct FilePair {
    std::string program1, p1Id, program2, p2Id;
    double level;
    std::string cap;
    bool operator==(const FilePair&) const = default;
};
std::ostream& operator<<(std::ostream& os, const PairRow& r) {
    return os << r.p1 << "-" << r.p2 << " " << r.raw << "/" << r.cap;
}

// The first character of a text, as bytes of UTF-8.
std::string FirstChar(const std::string& s) {
    if (s.empty()) return {};
    const auto lead = static_cast<unsigned char>(s[0]);
    const size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return s.substr(0, n);
}

// Every program's CRUDs read straight from Rels and Ents, every pair of
// programs compared: the definition, with no cleverness.
struct Expected {
    std::vector<PairRow> pairs;
    std::vector<FilePair> similar;
};
Expected Brute(platform::db::Database& db, bool restrict) {
    struct Ent { int64_t serial; std::string id, name; bool kept; };
    std::vector<Ent> ents;
    for (auto rs = db.OpenRecordset("SELECT * FROM Ents ORDER BY SerialID"); !rs.IsEOF(); rs.MoveNext()) {
        const bool kept = !restrict || (rs.Int("ScreenDist") == 1 && rs.Int("DownstreamAccess") != 0 &&
                                        rs.Int("UpstreamAccess") == 0);
        if (!rs.Field("ID").IsNull()) ents.push_back({rs.Int("SerialID"), rs.Text("ID"), rs.Text("Name"), kept});
    }
    std::map<int64_t, std::set<std::string>> cruds;
    std::map<int64_t, const Ent*> bySerial;
    for (auto rs = db.OpenRecordset("SELECT * FROM Rels"); !rs.IsEOF(); rs.MoveNext()) {
        if (rs.Field("Id2").IsNull() || !common::AsciiEqualNoCase(rs.Text("RelName"), "access")) continue;
        const std::string kind = FirstChar(rs.Text("RelNameFull"));
        if (kind.empty()) continue;
        for (const Ent& e : ents) {
            if (!e.kept || !common::AsciiEqualNoCase(e.id, rs.Text("Id1"))) continue;
            cruds[e.serial].insert(common::AsciiFold(rs.Text("Id2")) + '\0' + kind);
            bySerial[e.serial] = &e;
        }
    }
    Expected out;
    for (auto a = cruds.begin(); a != cruds.end(); ++a) {
        for (auto b = std::next(a); b != cruds.end(); ++b) {
            int64_t shared = 0;
            for (const auto& c : a->second) shared += b->second.count(c);
            if (shared == 0) continue;
            const auto cap = static_cast<int64_t>(a->second.size() + b->second.size());
            out.pairs.push_back({a->first, b->first, shared, cap});
            const double level = static_cast<double>(shared) / static_cast<double>(cap);
            if (level > 0.1) {
                const Ent& p = *bySerial[a->first];
                const Ent& q = *bySerial[b->first];
                out.similar.push_back({p.name, p.id, q.name, q.id, level, std::to_string(cap)});
            }
        }
    }
    return out;
}

std::vector<PairRow> TablePairs(platform::db::Database& db) {
    std::vector<PairRow> rows;
    for (auto rs = db.OpenRecordset("SELECT * FROM ProgCRUDProg ORDER BY Prog1, Prog2"); !rs.IsEOF(); rs.MoveNext())
        rows.push_back({rs.Int("Prog1"), rs.Int("Prog2"), static_cast<int64_t>(rs.Field("RawSameness").AsReal()),
                        rs.Int("SamenessCap")});
    return rows;
}

std::vector<FilePair> FilePairs(const fs::path& file) {
    auto doc = platform::xml::Document::Load(file);
    EXPECT_EQ(doc.DocumentElement().Name(), "Pairs");
    std::vector<FilePair> pairs;
    for (const auto& e : doc.DocumentElement().ChildElements()) {
        EXPECT_EQ(e.Name(), "Pair");
        std::vector<std::string> order;
        for (const auto& a : e.Attributes()) order.push_back(a.first);
        EXPECT_EQ(order, (std::vector<std::string>{"Program1", "P1ID", "Program2", "P2ID", "Level", "Cap"}));
        pairs.push_back({e.GetAttribute("Program1"), e.GetAttribute("P1ID"), e.GetAttribute("Program2"),
                         e.GetAttribute("P2ID"), std::stod(e.GetAttribute("Level")), e.GetAttribute("Cap")});
    }
    return pairs;
}

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteStale(const fs::path& file) { std::ofstream(file) << "<Pairs><Pair Program1=\"OLD\"/></Pairs>"; }

// The files a write left beside the comparison file (a planted link is not one).
std::vector<std::string> Temporaries(const fs::path& dir) {
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        if (!e.is_symlink() && name.rfind(mdlReports::kCrudComparisonFileName, 0) == 0 &&
            name != mdlReports::kCrudComparisonFileName)
            left.push_back(name);
    }
    return left;
}

// Two programs with `shared` CRUDs in common and own1, own2 of their own.
void MakePair(CrudWorkspace& ws, int shared, int own1, int own2) {
    ws.Program("PROGRAM#1", "ONE");
    ws.Program("PROGRAM#2", "TWO");
    int store = 0;
    auto next = [&] {
        const std::string id = "TABLE#" + std::to_string(++store);
        ws.Store(id, "T" + std::to_string(store));
        return id;
    };
    for (int i = 0; i < shared; ++i) {
        const std::string s = next();
        ws.Access("PROGRAM#1", s, "Reads");
        ws.Access("PROGRAM#2", s, "Reads");
    }
    for (int i = 0; i < own1; ++i) ws.Access("PROGRAM#1", next(), "Updates");
    for (int i = 0; i < own2; ++i) ws.Access("PROGRAM#2", next(), "Deletes");
}

}  // namespace

TEST(CrudAnalysis, AgreesWithEveryPairComparedOnRandomWorkspaces) {
    const char* kinds[] = {"Reads", "Writes", "Inserts", "Updates", "Deletes", "reads", "Ärger", "R", "", nullptr};
    const char* names[] = {"ORDERS", "O'Neil & \"Co\" <x>", "tab\there", "line\nbreak", "ORDERS", "Zähler"};
    testsupport::TempDir dir, outside;
    const fs::path file = mdlReports::CrudComparisonPath(dir.Path());
    // A link planted where a temporary might be looked for is never written through.
    std::ofstream(outside / "victim.txt") << "keep me";
    fs::create_symlink(outside / "victim.txt", file.string() + ".saving");
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        CrudWorkspace ws;
        // The last few are larger and sparse, so that a program's partners
        // are few among many later programs.
        const bool large = seed > 295;
        const int programs = large ? 300 : pick(11), stores = large ? 400 : 1 + pick(6);
        const bool restrict = pick(4) == 0;
        auto caseOf = [&](std::string id) { return pick(3) == 0 ? common::AsciiFold(id) : id; };
        for (int p = 1; p <= programs; ++p) {
            const std::string id = "PROGRAM#" + std::to_string(p);
            const int copies = pick(8) == 0 ? 2 : 1;   // the same id twice in Ents
            for (int c = 0; c < copies; ++c) {
                ws.Program(c ? common::AsciiFold(id) : id, names[pick(6)] + std::to_string(p));
                ws.db->Execute("UPDATE Ents SET ScreenDist = ?1, DownstreamAccess = ?2, UpstreamAccess = ?3 "
                               "WHERE SerialID = ?4",
                               {pick(2), -pick(2), -pick(2), ws.db->LastInsertId()});
            }
        }
        for (int s = 1; s <= stores; ++s) ws.Store("TABLE#" + std::to_string(s), "T" + std::to_string(s));
        for (int p = 1; p <= programs + 1; ++p) {   // the last program is not in Ents
            for (int n = pick(5); n > 0; --n) {
                const char* kind = kinds[pick(10)];
                ws.Access(caseOf("PROGRAM#" + std::to_string(p)), caseOf("TABLE#" + std::to_string(1 + pick(stores))),
                          kind ? Value(kind) : Value(), pick(10) == 0 ? "ACCESS" : pick(10) == 0 ? "Calls" : "access");
            }
        }
        WriteStale(file);
        testsupport::RecordingProgress progress;
        const auto result = GetCRUDReport(*ws.db, common::WriteBoundary(dir.Path()), progress, restrict);
        const Expected expected = Brute(*ws.db, restrict);

        EXPECT_FALSE(result.cancelled);
        EXPECT_EQ(progress.level, 0);
        EXPECT_EQ(TablePairs(*ws.db), expected.pairs);
        EXPECT_EQ(result.fileWritten, !expected.pairs.empty());
        ASSERT_EQ(fs::exists(file), !expected.pairs.empty());
        if (result.fileWritten) {
            EXPECT_EQ(FilePairs(file), expected.similar);
        }
        EXPECT_EQ(Temporaries(dir.Path()), std::vector<std::string>{});
        EXPECT_FALSE(fs::is_symlink(fs::symlink_status(file)));
    }
    EXPECT_EQ(ReadAll(outside / "victim.txt"), "keep me");
}

TEST(CrudAnalysis, ThresholdAndCap) {
    struct Case {
        int shared, own1, own2;
        bool written;
    } cases[] = {
        {1, 4, 4, false},   // 1 of 10 points: exactly 0.1 is not above it
        {1, 5, 4, false},   // 1 of 11
        {1, 4, 3, true},    // 1 of 9
        {2, 0, 0, true},    // the same two CRUDs and nothing else: 0.5
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.shared) + " shared, " + std::to_string(c.own1 + c.own2) + " own");
        testsupport::TempDir dir;
        CrudWorkspace ws;
        MakePair(ws, c.shared, c.own1, c.own2);
        testsupport::RecordingProgress progress;
        const auto result = GetCRUDReport(*ws.db, common::WriteBoundary(dir.Path()), progress, false);
        // Any shared CRUD makes the run a result, similar pair or not.
        EXPECT_TRUE(result.fileWritten);
        const auto pairs = FilePairs(mdlReports::CrudComparisonPath(dir.Path()));
        ASSERT_EQ(pairs.size(), c.written ? 1u : 0u);
        if (c.shared == 2) {
            EXPECT_EQ(TablePairs(*ws.db), (std::vector<PairRow>{{1, 2, 2, 4}}));
            EXPECT_EQ(pairs[0], (FilePair{"ONE", "PROGRAM#1", "TWO", "PROGRAM#2", 0.5, "4"}));
            // A rerun writes the same file.
            const std::string first = ReadAll(mdlReports::CrudComparisonPath(dir.Path()));
            GetCRUDReport(*ws.db, common::WriteBoundary(dir.Path()), progress, false);
            EXPECT_EQ(ReadAll(mdlReports::CrudComparisonPath(dir.Path())), first);
        }
    }
}

TEST(CrudAnalysis, NoSharedCrudGivesNoResultAndRemovesTheEarlierFile) {
    testsupport::TempDir dir;
    CrudWorkspace ws;
    ws.Program("PROGRAM#1", "READER");
    ws.Program("PROGRAM#2", "WRITER");
    ws.Store("TABLE#1", "ORDERS");
    // Read by one, written by the other: two different CRUDs.
    ws.Access("PROGRAM#1", "TABLE#1", "Reads");
    ws.Access("PROGRAM#2", "TABLE#1", "Writes");
    // A folder given with a trailing separator names the same file.
    const fs::path file = dir / "QuarvelCRUDComp.xml";
    WriteStale(file);
    testsupport::RecordingProgress progress;
    const auto result = GetCRUDReport(*ws.db, common::WriteBoundary(dir.Path() / ""), progress, false);
    EXPECT_FALSE(result.fileWritten);
    EXPECT_FALSE(result.cancelled);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(ws.db->Scalar("SELECT COUNT(*) FROM CRUDs").AsInt(), 2);
    EXPECT_EQ(ws.db->Scalar("SELECT COUNT(*) FROM ProgCRUD").AsInt(), 2);
    EXPECT_EQ(progress.level, 0);
}

// A workspace folder that is itself a link (a workspace kept on another
// disk): the comparison file is written where the link leads, the link
// stays, and nothing lands beside the link, where a boundary one folder too
// wide would have looked for the folder (or written).
TEST(CrudAnalysis, AWorkspaceFolderThatIsALinkGetsItsFileWhereTheLinkLeads) {
    testsupport::TempDir dir, disk;
    const fs::path workspace = dir / "Shop";
    fs::create_directory_symlink(disk.Path(), workspace);
    WriteStale(dir / mdlReports::kCrudComparisonFileName);
    const std::string victim = ReadAll(dir / mdlReports::kCrudComparisonFileName);
    CrudWorkspace ws;
    MakePair(ws, 2, 0, 0);
    testsupport::RecordingProgress progress;
    EXPECT_EQ(GetCRUDReport(*ws.db, common::WriteBoundary(workspace), progress, false).similarPairs, 1u);
    EXPECT_TRUE(fs::is_symlink(workspace));
    EXPECT_EQ(FilePairs(disk / mdlReports::kCrudComparisonFileName).size(), 1u);
    EXPECT_EQ(ReadAll(dir / mdlReports::kCrudComparisonFileName), victim);
}

TEST(CrudAnalysis, ProgressCountsDownThePairsAndAddsUpToThirteenSteps) {
    // 3 pairs: a caption per pair and no step of their own.
    {
        testsupport::TempDir dir;
        CrudWorkspace ws;
        ws.Store("TABLE#1", "ORDERS");
        for (int p = 1; p <= 3; ++p) {
            ws.Program("PROGRAM#" + std::to_string(p), "P" + std::to_string(p));
            ws.Access("PROGRAM#" + std::to_string(p), "TABLE#1", "Reads");
        }
        testsupport::RecordingProgress progress;
        GetCRUDReport(*ws.db, common::WriteBoundary(dir.Path()), progress, false);
        EXPECT_EQ(progress.calls.front(), "StartProgress(Categorizing CRUD operations,13,T)");
        EXPECT_EQ(progress.steps, (std::vector<std::string>{"", "Tracing CRUD operations", "Pair-level info 3",
                                                            "Pair-level info 2", "Pair-level info 1",
                                                            "Finding similar pairs"}));
        EXPECT_EQ(progress.done, 3);
        EXPECT_EQ(progress.calls.back(), "FinishProgress");
    }
    // 20 pairs: one step every 2 pairs, 13 in all.
    {
        testsupport::TempDir dir;
        CrudWorkspace ws;
        ws.Store("TABLE#1", "ORDERS");
        ws.Store("TABLE#2", "ITEMS");
        for (int p = 1; p <= 10; ++p) {
            ws.Program("PROGRAM#" + std::to_string(p), "P" + std::to_string(p));
            ws.Access("PROGRAM#" + std::to_string(p), p <= 5 ? "TABLE#1" : "TABLE#2", "Reads");
        }
        testsupport::RecordingProgress progress;
        GetCRUDReport(*ws.db, common::WriteBoundary(dir.Path()), progress, false);
        EXPECT_EQ(progress.done, 13);
        EXPECT_EQ(progress.steps.size(), 2u + 20u + 1u);
        EXPECT_EQ(progress.level, 0);
    }
}

TEST(CrudAnalysis, CancelIsACancelWhereverItComes) {
    struct Case {
        const char* at;
        bool newFile;   // the run's own file is in place
    } cases[] = {{"Tracing CRUD operations", false}, {"Pair-level info 2", false}, {"Finding similar pairs", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at);
        testsupport::TempDir dir;
        CrudWorkspace ws;
        MakePair(ws, 2, 1, 0);
        ws.Program("PROGRAM#3", "THREE");
        ws.Access("PROGRAM#3", "TABLE#1", "Reads");
        const fs::path file = mdlReports::CrudComparisonPath(dir.Path());
        WriteStale(file);
        testsupport::RecordingProgress progress;
        progress.cancelAtStep = c.at;
        const auto result = GetCRUDReport(*ws.db, common::WriteBoundary(dir.Path()), progress, false);
        EXPECT_TRUE(result.cancelled);
        EXPECT_EQ(progress.level, 0);
        EXPECT_EQ(progress.steps.back(), c.at);   // nothing ran after the cancel was seen
        EXPECT_EQ(ReadAll(file).find("OLD") != std::string::npos, !c.newFile);
        EXPECT_EQ(Temporaries(dir.Path()), std::vector<std::string>{});
    }
}

TEST(CrudAnalysis, AFailureKeepsTheTablesAndTheFileOfTheEarlierRun) {
    testsupport::TempDir dir;
    CrudWorkspace ws;
    MakePair(ws, 2, 0, 0);
    ws.db->Execute("INSERT INTO CRUDs (PortID, CRUDType) VALUES ('EARLIER', 82)");
    ws.db->ExecuteScript(
        "CREATE TRIGGER boom BEFORE INSERT ON ProgCRUDProg BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    const fs::path file = mdlReports::CrudComparisonPath(dir.Path());
    WriteStale(file);
    testsupport::RecordingProgress progress;
    EXPECT_THROW(GetCRUDReport(*ws.db, common::WriteBoundary(dir.Path()), progress, false), platform::db::DbError);
    EXPECT_EQ(progress.level, 0);
    EXPECT_FALSE(ws.db->InTransaction());
    EXPECT_EQ(ws.db->Scalar("SELECT PortID FROM CRUDs").AsText(), "EARLIER");
    EXPECT_NE(ReadAll(file).find("OLD"), std::string::npos);
    EXPECT_EQ(Temporaries(dir.Path()), std::vector<std::string>{});
}
