// The Summary tree built from Ents: groups, counts, stub marks, branch
// totals, pruning, node keys, images and tags.

#include <gtest/gtest.h>

#include "classify/BuildSummaryTree.h"
#include "tests/classify/WorkspaceDb.h"

namespace classifytest {
namespace {

using common::Tree;
using common::TreeNode;

class SummaryTreeTest : public ::testing::Test {
protected:
    std::unique_ptr<platform::db::Database> db = NewWorkspaceDb();
    int next = 1;

    std::string Prog(const std::string& name, int code, bool stub = false) {
        std::string id = (stub ? "STUBPROG#" : "PROGRAM#") + std::to_string(next++);
        AddEnt(*db, id, "PROGRAM", name, stub, "PROGRAM", code);
        return id;
    }

    static std::vector<std::string> Texts(const std::vector<const TreeNode*>& nodes) {
        std::vector<std::string> out;
        for (auto* n : nodes) out.push_back(n->text);
        return out;
    }
};

TEST_F(SummaryTreeTest, EmptyDatabaseGivesEmptyTree) {
    EXPECT_TRUE(classify::BuildSummaryTree(*db).Empty());
}

TEST_F(SummaryTreeTest, FullTreeInItsFixedOrderWithCountsAndTotals) {
    AddEnt(*db, "MAP#1", "MAP", "ORDMAP");
    AddEnt(*db, "TABLE#1", "store", "ORDERS", false, "TABLE");
    for (int code : {33, 60, 11, 1, 90, 20, 3, 10, 2, 4, 21, 22, 23, 30, 31, 32}) Prog("P" + std::to_string(code), code);
    Tree tree = classify::BuildSummaryTree(*db);

    EXPECT_EQ(Texts(tree.Children("")), (std::vector<std::string>{"1 Screens", "7 Client Branch", "8 Server Branch",
                                                                  "1 No Category", "1 Data Stores"}));
    EXPECT_EQ(Texts(tree.Children("Client Branch")),
              (std::vector<std::string>{"1 Batch", "1 Client Facing", "1 Client Facing Called", "1 Client Facing Data",
                                        "1 Client Facing Called Data", "1 Transitional", "1 Transitional Called"}));
    EXPECT_EQ(Texts(tree.Children("Server Branch")),
              (std::vector<std::string>{"1 Frontier Data Access", "1 Frontier Data Logic", "1 Frontier Logic Only",
                                        "1 Frontier Irregular", "1 Server Data Access", "1 Server Data Logic",
                                        "1 Server Logic Only", "1 Server Irregular"}));
    const TreeNode* branch = tree.Find("Client Branch");
    ASSERT_NE(branch, nullptr);
    EXPECT_EQ(branch->image, "Client Branch");
    EXPECT_EQ(branch->parentKey, "");
    const TreeNode* group = tree.Find("Transitional Called");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->image, "Transitional Called");
    EXPECT_EQ(group->parentKey, "Client Branch");
    // Every node comes after its parent, so a view can append them in order.
    for (size_t i = 0; i < tree.Nodes().size(); ++i) {
        const auto& n = tree.Nodes()[i];
        if (n.parentKey.empty()) continue;
        auto parent = std::find_if(tree.Nodes().begin(), tree.Nodes().begin() + static_cast<long>(i),
                                   [&](const TreeNode& p) { return p.key == n.parentKey; });
        EXPECT_NE(parent, tree.Nodes().begin() + static_cast<long>(i)) << n.key;
    }
}

TEST_F(SummaryTreeTest, OnlyBatchProgramsShowOneClientGroupAndNoServerBranch) {
    AddEnt(*db, "MAP#1", "MAP", "M1");
    Prog("B1", 90);
    Prog("B2", 90);
    Tree tree = classify::BuildSummaryTree(*db);
    EXPECT_EQ(Texts(tree.Children("")), (std::vector<std::string>{"1 Screens", "2 Client Branch"}));
    EXPECT_EQ(Texts(tree.Children("Client Branch")), (std::vector<std::string>{"2 Batch"}));
    EXPECT_EQ(tree.Find("Server Branch"), nullptr);
    EXPECT_EQ(tree.Find("Data Stores"), nullptr);
}

TEST_F(SummaryTreeTest, StubMarksOnGroupsAndASingleOneOnTheBranch) {
    Prog("BATCHA", 90);
    Prog("BATCHB", 90, true);
    for (auto n : {"CF1", "CF2", "CF3"}) Prog(n, 1);
    Prog("CFC", 2, true);
    Prog("CFC2", 2, true);
    Tree tree = classify::BuildSummaryTree(*db);
    EXPECT_EQ(Texts(tree.Children("Client Branch")),
              (std::vector<std::string>{"2 Batch*", "3 Client Facing", "2 Client Facing Called*"}));
    EXPECT_EQ(tree.Find("Client Branch")->text, "7 Client Branch*");
}

TEST_F(SummaryTreeTest, EntityNodesOrderImagesAndTags) {
    AddEnt(*db, "MAP#2", "MAP", "ZETA");
    AddEnt(*db, "MAP#1", "MAP", "ALPHA", true);
    AddEnt(*db, "MAP#3", "MAP", "BETA");
    const std::string stubProg = Prog("LOST", 90, true);
    const std::string prog = Prog("KEPT", 90);
    AddEnt(*db, "HISEGMENT#1", "store", "SEG", false, "HISEGMENT");

    Tree tree = classify::BuildSummaryTree(*db);
    auto screens = tree.Children("Screens");
    ASSERT_EQ(screens.size(), 3u);
    // Entities that are not stubs first, each part by name.
    EXPECT_EQ(screens[0]->key, "MAP#3");
    EXPECT_EQ(screens[1]->key, "MAP#2");
    EXPECT_EQ(screens[2]->key, "MAP#1");
    EXPECT_EQ(screens[0]->text, "BETA");
    EXPECT_EQ(screens[0]->image, "Screens");
    EXPECT_EQ(screens[0]->tag, "MAP");
    EXPECT_EQ(screens[2]->image, "Missing");
    EXPECT_EQ(screens[2]->tag, "STUBMAP");
    EXPECT_EQ(tree.Find("Screens")->text, "3 Screens*");

    EXPECT_EQ(tree.Find(stubProg)->image, "Missing");
    EXPECT_EQ(tree.Find(stubProg)->tag, "PROGRAM");
    EXPECT_EQ(tree.Find(prog)->image, "Batch");
    EXPECT_EQ(tree.Find("HISEGMENT#1")->tag, "HISEGMENT");
    EXPECT_EQ(tree.Find("HISEGMENT#1")->image, "Data Stores");
    EXPECT_EQ(tree.Find("HISEGMENT#1")->parentKey, "Data Stores");
}

TEST_F(SummaryTreeTest, EntitiesOutsideEveryGroupAreLeftOut) {
    for (int code : {0, 40, 50, 5, 70, 80}) Prog("P" + std::to_string(code), code);
    AddEnt(*db, "MAP#1", "MAP", "CLASSIFIED", false, "MAP", 1);
    AddEnt(*db, "TABLE#1", "store", "CODED", false, "TABLE", 90);
    AddEnt(*db, "TRANSACTION#1", "TRANSACTION", "TX01");
    EXPECT_TRUE(classify::BuildSummaryTree(*db).Empty());
}

TEST_F(SummaryTreeTest, RepeatedIdIsShownOnceAndCountedOnce) {
    AddEnt(*db, "PROGRAM#1", "PROGRAM", "A", false, "PROGRAM", 1);
    AddEnt(*db, "program#1", "PROGRAM", "A2", true, "PROGRAM", 1);  // same id to the database
    AddEnt(*db, "PROGRAM#1", "PROGRAM", "A3", false, "PROGRAM", 2);
    AddEnt(*db, "PROGRAM#2", "PROGRAM", "B", false, "PROGRAM", 2);
    Tree tree = classify::BuildSummaryTree(*db);
    ASSERT_NE(tree.Find("Client Facing"), nullptr);
    ASSERT_NE(tree.Find("Client Facing Called"), nullptr);
    EXPECT_EQ(tree.Find("Client Facing")->text, "1 Client Facing");
    EXPECT_EQ(tree.Find("Client Facing Called")->text, "1 Client Facing Called");
    EXPECT_EQ(tree.Find("Client Branch")->text, "2 Client Branch");
    EXPECT_EQ(tree.Find("PROGRAM#1")->text, "A");
}

TEST_F(SummaryTreeTest, EmptyBusNameShowsTheName) {
    AddEnt(*db, "MAP#1", "MAP", "ORDMAP");
    db->Execute("UPDATE Ents SET BusName = NULL");
    EXPECT_EQ(classify::BuildSummaryTree(*db).Find("MAP#1")->text, "ORDMAP");
}

TEST_F(SummaryTreeTest, GroupUnderFrontierNodeAddsToItAndToItsBranch) {
    // The totals also serve groups nested one level deeper, under a node
    // whose text ends with "Frontier" or "Server".
    Prog("F1", 20, true);
    Prog("F2", 20);
    Prog("F3", 21);
    Tree tree;
    ASSERT_TRUE(tree.TryAdd({"Server Branch", "", "Server Branch", "Server Branch", ""}));
    ASSERT_TRUE(tree.TryAdd({"Frontier", "Server Branch", "Frontier", "Frontier", ""}));
    EXPECT_EQ(mdlReports::AddCategoryNodes(tree, *db, 20, "PROGRAM", "Frontier"), 2);
    EXPECT_EQ(tree.Find("Frontier")->text, "2 Frontier*");
    EXPECT_EQ(tree.Find("Server Branch")->text, "2 Server Branch*");
    EXPECT_EQ(mdlReports::AddCategoryNodes(tree, *db, 21, "PROGRAM", "Frontier"), 1);
    EXPECT_EQ(tree.Find("Frontier")->text, "3 Frontier*");
    EXPECT_EQ(tree.Find("Server Branch")->text, "3 Server Branch*");
    // A parent without a branch word keeps its text.
    ASSERT_TRUE(tree.TryAdd({"Other", "", "Other", "Other", ""}));
    EXPECT_EQ(mdlReports::AddCategoryNodes(tree, *db, 90, "PROGRAM", "Other"), 0);
    EXPECT_EQ(tree.Find("Other")->text, "Other");
}

TEST(SummaryTreeModel, KeysIgnoreCaseRepeatsAreRefusedRemoveTakesTheSubtree) {
    Tree tree;
    EXPECT_TRUE(tree.TryAdd({"A", "", "a", "", ""}));
    EXPECT_TRUE(tree.TryAdd({"B#1", "A", "b", "", ""}));
    EXPECT_TRUE(tree.TryAdd({"C#1", "b#1", "c", "", ""}));
    EXPECT_TRUE(tree.TryAdd({"D", "", "d", "", ""}));
    EXPECT_FALSE(tree.TryAdd({"a", "", "again", "", ""}));
    EXPECT_FALSE(tree.TryAdd({"E", "nowhere", "e", "", ""}));
    EXPECT_FALSE(tree.TryAdd({"", "", "no key", "", ""}));
    EXPECT_EQ(tree.Find("c#1")->text, "c");
    tree.Remove("a");
    ASSERT_EQ(tree.Count(), 1u);
    EXPECT_EQ(tree.Nodes()[0].key, "D");
    EXPECT_EQ(tree.Find("C#1"), nullptr);
    tree.Remove("absent");
    EXPECT_EQ(tree.Count(), 1u);
}

}  // namespace
}  // namespace classifytest
