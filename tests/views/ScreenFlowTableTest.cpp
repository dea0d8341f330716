// The screen-flow table on small workspaces written as scripts: which
// screen-to-screen links conversations and transfers give, the mended
// transfer directions, large SerialIDs, the rebuild and its failure.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "tests/classify/WorkspaceDb.h"
#include "views/LinkDirection.h"
#include "views/ScreenFlowTable.h"

namespace {

using ::testing::ElementsAreArray;

// A workspace from lines of a small script; names say the kind: P... a
// program, S... a screen (MAP), D... a data port. Entities get SerialIDs in
// the order they first appear, from `first` on.
//   "P1 : S1 S2"   P1 converses with S1 and S2 (RelNameFull "Sends")
//   "P1 > P2"      P1 transfers control to P2
class Workspace {
public:
    explicit Workspace(int64_t first = 1) : m_next(first) {}

    void Run(const std::vector<std::string>& script) {
        for (const std::string& line : script) {
            std::istringstream in(line);
            std::string from, op, to;
            in >> from >> op;
            const std::string source = Id(from);
            if (op == ">") {
                in >> to;
                Rel(source, Id(to), "Xctls", "Starts");
            } else {
                while (in >> to) Rel(source, Id(to), "converse", "Sends");
            }
        }
    }

    std::string Id(const std::string& name) {
        auto it = m_ids.find(name);
        if (it != m_ids.end()) return it->second;
        const char* kind = name[0] == 'P' ? "PROGRAM" : name[0] == 'S' ? "MAP" : "DATAPORT";
        const std::string id = std::string(kind) + "#" + std::to_string(m_next);
        db->Execute("INSERT INTO Ents (SerialID, ID, EntName, Name, BusName) VALUES (?1, ?2, ?3, ?4, ?4)",
                    {m_next++, id, kind, name});
        return m_ids[name] = id;
    }

    void Rel(const std::string& id1, const std::string& id2, const char* relName, const char* full) {
        auto kind = [](const std::string& id) { return id.substr(0, id.find('#')); };
        db->Execute("INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) VALUES (?, ?, ?, ?, ?, ?)",
                    {id1, id2, kind(id1), kind(id2), relName, full});
    }

    // sfScreenRels as "<left node>-<right node> <left program>/<right
    // program> <1 one-way, 2 two-way>", sorted.
    std::vector<std::string> Rows() {
        auto rs = db->OpenRecordset(
            "SELECT L.Name, R.Name, LP.Name, RP.Name, SR.TwoWay FROM sfScreenRels SR "
            "LEFT JOIN Ents L ON L.SerialID = SR.LScrID LEFT JOIN Ents R ON R.SerialID = SR.RScrID "
            "LEFT JOIN Ents LP ON LP.SerialID = SR.LProgID LEFT JOIN Ents RP ON RP.SerialID = SR.RProgID");
        std::vector<std::string> out;
        for (; !rs.IsEOF(); rs.MoveNext())
            out.push_back(rs.Field(size_t{0}).AsText() + "-" + rs.Field(1).AsText() + " " + rs.Field(2).AsText() +
                          "/" + rs.Field(3).AsText() + " " + (rs.Field(4).AsInt() == -1 ? "2" : "1"));
        std::sort(out.begin(), out.end());
        return out;
    }

    bool Exists(const char* table) { return db->TableExists(table); }

    std::unique_ptr<platform::db::Database> db = classifytest::NewWorkspaceDb();

private:
    int64_t m_next;
    std::map<std::string, std::string> m_ids;
};

struct TableCase {
    const char* name;
    int64_t firstSerial;
    std::vector<std::string> script;
    std::vector<std::string> rows;
};

void PrintTo(const TableCase& c, std::ostream* os) { *os << c.name; }

class ScreenFlowTableCase : public ::testing::TestWithParam<TableCase> {};

TEST_P(ScreenFlowTableCase, GivesTheLinksAndLeavesNoScratchTable) {
    const TableCase& c = GetParam();
    Workspace ws(c.firstSerial);
    ws.Run(c.script);
    Globals::GenerateScreenFlowTable(*ws.db);
    EXPECT_THAT(ws.Rows(), ElementsAreArray(c.rows));
    EXPECT_FALSE(ws.Exists("tmpXCtlSummary"));
    EXPECT_FALSE(ws.Exists("tmpLS"));
    EXPECT_TRUE(ws.Exists("tmpScreenCount0"));
    EXPECT_TRUE(ws.Exists("tmpScreenCount"));
    EXPECT_FALSE(ws.db->InTransaction());
}

const TableCase kTableCases[] = {
    {"MutualTransferIsOneTwoWayRow", 1, {"P1 : S1", "P2 : S2", "P1 > P2", "P2 > P1"}, {"S1-S2 P1/P2 2"}},
    {"TransferFromLowerToHigher", 1, {"P1 : S1", "P2 : S2", "P1 > P2"}, {"S1-S2 P1/P2 1"}},
    // Recorded only from the higher SerialID to the lower: the caller on the left.
    {"TransferFromHigherToLowerKeepsItsCallerLeft", 1, {"P1 : S1", "P2 : S2", "P2 > P1"}, {"S2-S1 P2/P1 1"}},
    {"ProgramWithoutScreensTakesNoPart", 1, {"P1 : S1", "P2", "P1 > P2", "P2 > P1", "P3 : S3", "P2 > P3"}, {}},
    {"ThreeScreensToOneScreenGivesOnePlusThree",
     1,
     {"P1 : S1 S2 S3", "P2 : S4", "P1 > P2"},
     {"P1-S1 P1/P1 2", "P1-S2 P1/P1 2", "P1-S3 P1/P1 2", "P1-S4 P1/P2 1"}},
    {"OneScreenToSeveralScreensEndsAtTheProgramNode",
     1,
     {"P1 : S1", "P2 : S2 S3", "P2 > P1"},
     {"P2-S1 P2/P1 1", "P2-S2 P2/P2 2", "P2-S3 P2/P2 2"}},
    {"TwoProgramsOnOneScreenGiveASelfLink", 1, {"P1 : S1", "P2 : S1", "P1 > P2"}, {"S1-S1 P1/P2 1"}},
    {"TwoProgramPairsBetweenTheSameScreensGiveTwoRows",
     1,
     {"P1 : S1", "P2 : S2", "P3 : S1", "P4 : S2", "P1 > P2", "P3 > P4"},
     {"S1-S2 P1/P2 1", "S1-S2 P3/P4 1"}},
    // What a program converses with that is no screen map is neither a
    // screen nor a node.
    {"ConversationsWithOtherThingsAreNoScreens",
     1,
     {"P1 : S1 D1", "P2 : S2 D2", "P3 : S3 S4 D3", "P1 > P2", "P2 > P3"},
     {"P3-S3 P3/P3 2", "P3-S4 P3/P3 2", "S1-S2 P1/P2 1", "S2-P3 P2/P3 1"}},
    {"RepeatedRelationshipsCountOnce",
     1,
     {"P1 : S1 S1", "P2 : S2", "P1 > P2", "P1 > P2", "P2 > P1", "P2 > P1"},
     {"S1-S2 P1/P2 2"}},
    {"TransferToItselfLeadsNowhere", 1, {"P1 : S1", "P1 > P1"}, {}},
    {"SerialIdsBeyondSixteenBits",
     40000,
     {"P1 : S1", "P2 : S2 S3", "P1 > P2", "P2 > P1"},
     {"P2-S2 P2/P2 2", "P2-S3 P2/P2 2", "S1-P2 P1/P2 2"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, ScreenFlowTableCase, ::testing::ValuesIn(kTableCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ScreenFlowTable, RebuildGivesTheSameRowsNumberedAfreshWithDirectionsReset) {
    Workspace ws;
    ws.Run({"P1 : S1 S2", "P2 : S3", "P3 : S4", "P1 > P2", "P2 > P3", "P3 > P2"});
    Globals::GenerateScreenFlowTable(*ws.db);
    const auto first = ws.Rows();
    views::KeepLinkDirection(*ws.db, 1);
    views::SwapLinkDirection(*ws.db, 2, 10, 20, 30, 40);

    Globals::GenerateScreenFlowTable(*ws.db);
    EXPECT_EQ(ws.Rows(), first);
    EXPECT_EQ(ws.db->Scalar("SELECT COUNT(*) FROM sfScreenRels WHERE Directed <> 0").AsInt(), 0);
    EXPECT_EQ(ws.db->Scalar("SELECT MIN(sfRelID) FROM sfScreenRels").AsInt(), 1);
    EXPECT_EQ(ws.db->Scalar("SELECT MAX(sfRelID) FROM sfScreenRels").AsInt(), static_cast<int64_t>(first.size()));
}

TEST(ScreenFlowTable, FailedRebuildLeavesThePreviousTable) {
    Workspace ws;
    ws.Run({"P1 : S1", "P2 : S2", "P1 > P2"});
    Globals::GenerateScreenFlowTable(*ws.db);
    views::KeepLinkDirection(*ws.db, 1);
    const auto before = ws.Rows();

    // New links that would replace the old ones, and a view in the way of
    // a scratch table, so the build fails halfway.
    ws.Run({"P3 : S3", "P2 > P3"});
    ws.db->Execute("CREATE VIEW tmpLS AS SELECT 1 AS X");
    EXPECT_THROW(Globals::GenerateScreenFlowTable(*ws.db), platform::db::DbError);

    EXPECT_FALSE(ws.db->InTransaction());
    EXPECT_EQ(ws.Rows(), before);
    EXPECT_EQ(ws.db->Scalar("SELECT Directed FROM sfScreenRels WHERE sfRelID = 1").AsInt(), -1);
    EXPECT_FALSE(ws.Exists("tmpXCtlSummary"));
    EXPECT_EQ(ws.db->Scalar("SELECT COUNT(*) FROM tmpScreenCount").AsInt(), 2);
}

}  // namespace
