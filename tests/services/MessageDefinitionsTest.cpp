#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "services/MessageDefinitions.h"
#include "services/ServiceTables.h"

using platform::db::Database;
using services::DefinitionNode;
using services::MessageDefinitions;
using services::MessageDefKey;

namespace {

class MessageDefs : public ::testing::Test {
protected:
    void SetUp() override {
        db = Database::InMemory();
        Globals::CreateUseCaseTables(*db, false);
    }
    int64_t Rows(const std::string& progId) {
        return db->Scalar("SELECT COUNT(*) FROM Messages WHERE sProgID = ?", {progId}).AsInt();
    }
    std::unique_ptr<Database> db;
    // The top node (no Tag, so no name), a group and its item.
    const std::vector<DefinitionNode> tree{{"10", ""}, {"11", "CUST-REC"}, {"12", "CUST-NO"}};
};

}  // namespace

TEST_F(MessageDefs, KeyJoinsDirectionDeclarationAndProgramWithNul) {
    EXPECT_EQ(MessageDefKey(true, "12", "PROGRAM#1"), std::string("In\0" "12\0" "PROGRAM#1", 15));
    EXPECT_EQ(MessageDefKey(false, "12", "P"), std::string("Out\0" "12\0" "P", 8));
}

TEST_F(MessageDefs, SetAsTwiceChangesNothing) {
    MessageDefinitions defs;
    EXPECT_EQ(defs.SetAs(*db, true, tree, "PROGRAM#1", "ORDPROG"), 3);
    EXPECT_TRUE(defs.Changed());
    defs.SetChanged(false);
    EXPECT_EQ(defs.SetAs(*db, true, tree, "PROGRAM#1", "ORDPROG"), 0);
    EXPECT_FALSE(defs.Changed());
    EXPECT_EQ(Rows("PROGRAM#1"), 3);

    auto rs = db->OpenRecordset("SELECT * FROM Messages ORDER BY sVNID");
    EXPECT_EQ(rs.Text("sKey"), "In\x1F" "10\x1F" "PROGRAM#1");
    EXPECT_EQ(rs.Text("sName"), "");
    EXPECT_EQ(rs.Text("sProgName"), "ORDPROG");
    EXPECT_EQ(rs.Int("bInput"), platform::db::kTrue);
    ASSERT_EQ(defs.Inputs().Count(), 3u);
    EXPECT_EQ(defs.Inputs().Item(3).sName, "CUST-NO");
}

TEST_F(MessageDefs, InputAndOutputGiveTwoRowsPerNode) {
    MessageDefinitions defs;
    defs.SetAs(*db, true, tree, "PROGRAM#1", "ORDPROG");
    defs.SetAs(*db, false, tree, "PROGRAM#1", "ORDPROG");
    EXPECT_EQ(defs.Inputs().Count(), 3u);
    EXPECT_EQ(defs.Outputs().Count(), 3u);
    EXPECT_EQ(db->Scalar("SELECT COUNT(*) FROM Messages WHERE bInput = ?", {platform::db::kFalse}).AsInt(), 3);

    // Reading back gives both collections in stored order.
    MessageDefinitions again;
    again.LoadMessageDefs(*db, "PROGRAM#1");
    ASSERT_EQ(again.Outputs().Count(), 3u);
    EXPECT_EQ(again.Outputs().Item(2).sVNID, "11");
    EXPECT_EQ(again.Outputs().Item(2).sKey, MessageDefKey(false, "11", "PROGRAM#1"));
    EXPECT_FALSE(again.Changed());
    EXPECT_EQ(again.SetAs(*db, false, tree, "PROGRAM#1", "ORDPROG"), 0);
}

TEST_F(MessageDefs, RowAlreadyStoredIsNoError) {
    // A row the table holds but the collection does not (an earlier session).
    MessageDefinitions first;
    first.SetAs(*db, true, tree, "PROGRAM#1", "ORDPROG");
    MessageDefinitions fresh;
    EXPECT_EQ(fresh.SetAs(*db, true, tree, "PROGRAM#1", "ORDPROG"), 3);
    EXPECT_EQ(Rows("PROGRAM#1"), 3);
}

TEST_F(MessageDefs, FailedCommandLeavesTableAndCollectionAsTheyWere) {
    MessageDefinitions defs;
    defs.SetAs(*db, true, {{"1", "A"}}, "P", "PROG");
    db->Execute("CREATE TRIGGER refuse BEFORE INSERT ON Messages WHEN NEW.sVNID = '3' "
                "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    EXPECT_THROW(defs.SetAs(*db, true, {{"2", "B"}, {"3", "C"}}, "P", "PROG"), platform::db::DbError);
    EXPECT_EQ(defs.Inputs().Count(), 1u);
    EXPECT_EQ(Rows("P"), 1);
    EXPECT_FALSE(db->InTransaction());
}

TEST_F(MessageDefs, ClearAllRemovesOnlyThatProgramsRows) {
    MessageDefinitions mine;
    mine.SetAs(*db, true, tree, "PROG'RAM#1", "O'PROG");
    mine.SetAs(*db, false, tree, "PROG'RAM#1", "O'PROG");
    MessageDefinitions other;
    other.SetAs(*db, true, tree, "PROGRAM#2", "OTHER");
    mine.SetChanged(false);

    mine.ClearAll(*db, "PROG'RAM#1");
    EXPECT_TRUE(mine.Changed());
    EXPECT_EQ(mine.Inputs().Count(), 0u);
    EXPECT_EQ(mine.Outputs().Count(), 0u);
    EXPECT_EQ(Rows("PROG'RAM#1"), 0);
    EXPECT_EQ(Rows("PROGRAM#2"), 3);
}

TEST_F(MessageDefs, FailedClearAllKeepsTheDefinitionsItCouldNotRemove) {
    MessageDefinitions defs;
    defs.SetAs(*db, true, tree, "PROGRAM#1", "ORDPROG");
    defs.SetChanged(false);
    db->Execute("CREATE TRIGGER refuse BEFORE DELETE ON Messages BEGIN SELECT RAISE(ABORT, 'refused'); END");
    EXPECT_THROW(defs.ClearAll(*db, "PROGRAM#1"), platform::db::DbError);
    EXPECT_EQ(Rows("PROGRAM#1"), 3);
    EXPECT_EQ(defs.Inputs().Count(), 3u);
    EXPECT_FALSE(defs.Changed());
}
