// The use-case wizard without its window: the screen-pair table built from
// small scripted workspaces (the question before a rebuild, large SerialIDs,
// a failed rebuild), and the wizard tree's commit, expansion and pruning on a
// scripted screen graph.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "common/Prompt.h"
#include "tests/classify/WorkspaceDb.h"
#include "tests/support/TestSupport.h"
#include "views/UseCaseTable.h"
#include "views/WizardTree.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using views::Successor;

// A workspace from script lines: "P1 : S1 D1" P1 converses with S1 (a MAP)
// and D1 (not a screen); "P1 > P2" P1 transfers control to P2. Entities get
// SerialIDs in the order they first appear, from `first` on.
class Workspace {
public:
    explicit Workspace(int64_t first = 1) : m_next(first) {}

    void Run(const std::vector<std::string>& script) {
        for (const std::string& line : script) {
            std::istringstream in(line);
            std::string from, op, to;
            in >> from >> op;
            const std::string source = Id(from);
            while (in >> to) Rel(source, Id(to), op == ">" ? "Xctls" : "converse");
        }
    }

    std::string Id(const std::string& name) {
        if (auto it = m_ids.find(name); it != m_ids.end()) return it->second;
        const char* kind = name[0] == 'P' ? "PROGRAM" : name[0] == 'S' ? "MAP" : "DATAPORT";
        const std::string id = std::string(kind) + "#" + std::to_string(m_next);
        db->Execute("INSERT INTO Ents (SerialID, ID, EntName, Name, BusName) VALUES (?1, ?2, ?3, ?4, ?4)",
                    {m_next++, id, kind, name});
        return m_ids[name] = id;
    }

    void Rel(const std::string& id1, const std::string& id2, const char* relName) {
        auto kind = [](const std::string& id) { return id.substr(0, id.find('#')); };
        db->Execute("INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName) VALUES (?, ?, ?, ?, ?)",
                    {id1, id2, kind(id1), kind(id2), relName});
    }

    // UseCaseTable as "<left screen>><right screen> <left program>/<right program>", sorted.
    std::vector<std::string> Rows() {
        auto rs = db->OpenRecordset(
            "SELECT L.Name, R.Name, LP.Name, RP.Name FROM UseCaseTable T "
            "LEFT JOIN Ents L ON L.SerialID = T.LScrID LEFT JOIN Ents R ON R.SerialID = T.RScrID "
            "LEFT JOIN Ents LP ON LP.SerialID = T.LProgID LEFT JOIN Ents RP ON RP.SerialID = T.RProgID");
        std::vector<std::string> out;
        for (; !rs.IsEOF(); rs.MoveNext())
            out.push_back(rs.Field(size_t{0}).AsText() + ">" + rs.Field(1).AsText() + " " + rs.Field(2).AsText() + "/" +
                          rs.Field(3).AsText());
        std::sort(out.begin(), out.end());
        return out;
    }

    bool Build(testsupport::ScriptedPrompt& prompt) {
        return Globals::BuildUseCaseScreenTable(*db, Globals::kUseCaseTableName, prompt);
    }

    std::unique_ptr<platform::db::Database> db = classifytest::NewWorkspaceDb();

private:
    int64_t m_next;
    std::map<std::string, std::string> m_ids;
};

TEST(UseCaseTable, PairsEveryScreenOfACallerWithEveryScreenOfItsCallee) {
    struct Case {
        const char* name;
        std::vector<std::string> script;
        std::vector<std::string> rows;
    } cases[] = {
        {"several screens on both sides",
         {"P1 : S1 S2", "P2 : S3 S4", "P1 > P2"},
         {"S1>S3 P1/P2", "S1>S4 P1/P2", "S2>S3 P1/P2", "S2>S4 P1/P2"}},
        // P1 has the higher SerialID: its transfer still counts.
        {"a transfer from the higher SerialID", {"P9 : S9", "P1 : S1", "P1 > P9"}, {"S1>S9 P1/P9"}},
        {"a program transferring to itself",
         {"P1 : S1 S2", "P1 > P1"},
         {"S1>S1 P1/P1", "S1>S2 P1/P1", "S2>S1 P1/P1", "S2>S2 P1/P1"}},
        {"uses of things other than screens", {"P1 : S1 D1", "P2 : D2 S2", "P1 > P2"}, {"S1>S2 P1/P2"}},
        {"a repeated transfer gives one row", {"P1 : S1", "P2 : S2", "P1 > P2", "P1 > P2"}, {"S1>S2 P1/P2"}},
        {"a caller without screens", {"P1 : D1", "P2 : S2", "P1 > P2"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Workspace ws;
        ws.Run(c.script);
        testsupport::ScriptedPrompt prompt;
        EXPECT_TRUE(ws.Build(prompt));
        EXPECT_TRUE(prompt.asked.empty());  // a first build asks nothing
        EXPECT_THAT(ws.Rows(), ElementsAreArray(c.rows));
        EXPECT_FALSE(ws.db->TableExists("UseCaseTabletmp1"));
        EXPECT_FALSE(ws.db->TableExists("UseCaseTabletmp2"));
    }
}

TEST(UseCaseTable, ALaterStartAsksNoKeepsTheRowsYesRebuildsThem) {
    Workspace ws;
    ws.Run({"P1 : S1", "P2 : S2", "P3 : S3", "P1 > P2"});
    testsupport::ScriptedPrompt prompt;
    ASSERT_TRUE(ws.Build(prompt));
    ws.Run({"P2 > P3"});

    prompt.answers = {common::Answer::No};
    EXPECT_FALSE(ws.Build(prompt));
    EXPECT_THAT(prompt.asked, ElementsAre("Generate new Screen Flow plot?"));
    EXPECT_THAT(prompt.titles, ElementsAre("Generate Screen Flow"));
    EXPECT_THAT(ws.Rows(), ElementsAre("S1>S2 P1/P2"));

    prompt.answers = {common::Answer::Yes};
    EXPECT_TRUE(ws.Build(prompt));
    EXPECT_THAT(ws.Rows(), ElementsAre("S1>S2 P1/P2", "S2>S3 P2/P3"));
}

TEST(UseCaseTable, LargeSerialIdsAndAFailedRebuildThatKeepsTheTable) {
    // Beyond 16 and 31 bits.
    Workspace ws(5'000'000'000);
    ws.Run({"P1 : S1", "P2 : S2", "P1 > P2"});
    testsupport::ScriptedPrompt prompt;
    ASSERT_TRUE(ws.Build(prompt));
    EXPECT_THAT(ws.Rows(), ElementsAre("S1>S2 P1/P2"));
    const int64_t s1 = ws.db->Scalar("SELECT SerialID FROM Ents WHERE Name = 'S1'").AsInt();
    EXPECT_THAT(views::ReadSuccessors(*ws.db, Globals::kUseCaseTableName, std::to_string(s1)),
                ElementsAre(Successor{s1 + 2, "S2"}));

    // The second scratch table cannot be made: nothing of the rebuild stays.
    ws.Run({"P2 > P1"});
    ws.db->Execute("CREATE VIEW UseCaseTabletmp2 AS SELECT 1 AS X");
    EXPECT_THROW(ws.Build(prompt), std::exception);
    EXPECT_THAT(ws.Rows(), ElementsAre("S1>S2 P1/P2"));
    EXPECT_FALSE(ws.db->TableExists("UseCaseTabletmp1"));
}

// A screen graph for the tree: successors by the Tag of the node expanded.
class WizardTree : public ::testing::Test {
protected:
    void SetUp() override {
        graph = {{"1", {{2, "B"}, {3, "C"}}}, {"2", {{1, "A"}, {4, "D"}}}, {"4", {{5, "E"}}}, {"5", {{6, "F"}}}};
        common::TreeNode root{"n1", {}, "A", views::kImageExpand, "1"};
        root.foreColour = views::kExpandMarked;
        tree.Add(root);
        Commit();
    }
    void Commit() { Globals::CommitWizardPath(tree, criteria, successors); }
    void Mark(const std::string& key, int32_t state) { tree.Find(key)->foreColour = state; }
    std::vector<std::string> Keys() const {
        std::vector<std::string> out;
        for (const auto& n : tree.Nodes()) out.push_back(n.key);
        return out;
    }
    // "<key> <text> <colour> <image>" per node, in order.
    std::vector<std::string> Rows() const {
        std::vector<std::string> out;
        for (const auto& n : tree.Nodes())
            out.push_back(n.key + " " + n.text + " " + std::to_string(views::NodeColour(n)) + " " + n.image);
        return out;
    }

    std::map<std::string, std::vector<Successor>> graph;
    views::SuccessorSource successors = [this](const std::string& tag) {
        auto it = graph.find(tag);
        return it == graph.end() ? std::vector<Successor>{} : it->second;
    };
    common::Tree tree;
    views::Criteria criteria;
};

TEST_F(WizardTree, TheStartLabelsTheRootAndListsItsSuccessors) {
    EXPECT_THAT(Rows(), ElementsAre("n1 A (Root) 4342338 AScreen", "n2n1 B 0 AScreen", "n3n1 C 0 AScreen"));
    EXPECT_TRUE(tree.Find("n1")->expanded);
    EXPECT_EQ(criteria.Item("n1"), "Root");

    // Walking on from B: A again is a loop (red), C (new, no children) goes.
    Mark("n2n1", views::kExpandMarked);
    Commit();
    EXPECT_THAT(Rows(), ElementsAre("n1 A (Root) 4342338 AScreen", "n2n1 B ([Enter] key) 4342338 AScreen",
                                    "n1n2n1 A 255 ACloseProcess", "n4n2n1 D 0 AScreen"));
    EXPECT_EQ(criteria.Item("n2n1"), "[Enter] key");

    // Next with nothing marked changes nothing.
    const auto before = Rows();
    Commit();
    EXPECT_EQ(Rows(), before);
    EXPECT_EQ(criteria.Count(), 2u);
}

TEST_F(WizardTree, ACommitSweepsTheAlternativesBesideTheCommittedNode) {
    struct Case {
        int32_t mark;
        int32_t sibling;
        bool siblingHasChild;
        bool siblingStays;
    } cases[] = {
        {views::kExpandMarked, views::kNewNode, false, false},
        {views::kExpandMarked, views::kSetAside, false, false},
        {views::kExpandMarked, views::kLoopNode, false, true},
        {views::kExpandMarked, views::kExpandedNode, false, true},
        {views::kEndMarked, views::kLoopNode, false, false},
        {views::kEndMarked, views::kNewNode, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mark << " beside " << c.sibling
                                        << (c.siblingHasChild ? " with child" : ""));
        tree.Clear();
        criteria.Clear();
        SetUp();
        Mark("n2n1", c.mark);
        Mark("n3n1", c.sibling);
        if (c.siblingHasChild) tree.Add("n3n1", "n9n3n1", "I", "AScreen", "9");
        Commit();
        EXPECT_EQ(tree.Find("n3n1") != nullptr, c.siblingStays);
        // An end mark labels without expanding.
        EXPECT_EQ(tree.Children("n2n1").empty(), c.mark == views::kEndMarked);
    }
}

TEST_F(WizardTree, AnEndMarkStaysAndIsLabelledAgainByEveryCommit) {
    Mark("n3n1", views::kEndMarked);
    Commit();
    Commit();
    EXPECT_EQ(tree.Find("n3n1")->text, "C ([Enter] key) ([Enter] key)");
    EXPECT_EQ(criteria.Count(), 2u);
}

TEST_F(WizardTree, DropMarksRemoveTheParentAndPruneUpward) {
    // A drop mark on the root itself has nothing to drop.
    Mark("n1", views::kDropMarked);
    Commit();
    EXPECT_THAT(Keys(), ElementsAre("n1", "n2n1", "n3n1"));

    // A chain A > B > D > E with C beside B: a drop on E removes its parent
    // D and prunes B (childless now), while A keeps C.
    Mark("n1", views::kExpandedNode);
    Mark("n2n1", views::kExpandMarked);
    Mark("n3n1", views::kExpandedNode);
    Commit();
    Globals::RemoveNode(tree, "n1n2n1");
    Mark("n4n2n1", views::kExpandMarked);
    Commit();
    Mark("n5n4n2n1", views::kDropMarked);
    Commit();
    EXPECT_THAT(Keys(), ElementsAre("n1", "n3n1"));

    // A drop-marked child of the root takes the root with it.
    Mark("n3n1", views::kDropMarked);
    Commit();
    EXPECT_TRUE(tree.Empty());
}

TEST_F(WizardTree, PruningAndReExpansionKeepWhatHasChildren) {
    // A kept child (with a child of its own) is among the successors again.
    tree.Add("n2n1", "n4n2n1", "D", "AScreen", "4");
    Globals::ExpandScreenNode(tree, "n1", successors);
    EXPECT_THAT(Keys(), ElementsAre("n1", "n2n1", "n4n2n1", "n3n1"));

    // A > B > D with C beside B: pruning D removes D and B, not A.
    Globals::PruneChildlessAncestors(tree, "n4n2n1");
    EXPECT_THAT(Keys(), ElementsAre("n1", "n3n1"));
    Globals::PruneChildlessAncestors(tree, "n3n1");
    EXPECT_TRUE(tree.Empty());
}

TEST_F(WizardTree, KeysStayShortTwentyLevelsDown) {
    // A chain of screens with long SerialIDs, walked node by node.
    constexpr int64_t kBase = 1'000'000'000'000;
    graph.clear();
    for (int64_t i = 0; i < 25; ++i) graph[std::to_string(kBase + i)] = {{kBase + i + 1, "S"}};
    tree.Clear();
    common::TreeNode root{"n" + std::to_string(kBase), {}, "S", views::kImageExpand, std::to_string(kBase)};
    root.foreColour = views::kExpandMarked;
    tree.Add(root);
    Commit();
    for (int level = 1; level < 20; ++level) {
        Mark(tree.Nodes().back().key, views::kExpandMarked);
        Commit();
    }
    EXPECT_EQ(tree.Count(), 21u);
    EXPECT_LT(tree.Nodes().back().key.size(), 1024u);
    EXPECT_EQ(tree.RootKey(tree.Nodes().back().key), root.key);
}

}  // namespace
