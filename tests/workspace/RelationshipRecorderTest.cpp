#include <gtest/gtest.h>

#include "tests/workspace/ImportTestSupport.h"
#include "workspace/RelationshipRecorder.h"

using platform::db::Database;
using workspace::EntRef;
using workspace::RelationshipRecorder;

namespace {

class Recorder : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    std::unique_ptr<Database> db = importtest::FreshWorkspaceDb(dir);
    EntRef prog{"PROGRAM#1", "PROGRAM"};
    EntRef table{"TABLE#7", "TABLE"};

    int64_t Count(const std::string& sql, const platform::db::Params& p = {}) { return db->Scalar(sql, p).AsInt(); }
};

}  // namespace

TEST_F(Recorder, DuplicateTestKeepsOneRowPlainAppendKeepsBoth) {
    RelationshipRecorder rec(*db);
    EXPECT_TRUE(rec.AddRelIfNew(prog, table, "ReadsTable"));
    EXPECT_FALSE(rec.AddRelIfNew(prog, table, "ReadsTable"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Rels"), 1);

    rec.AddRel(prog, "TABLE#8", "TABLE", "Reads");
    rec.AddRel(prog, "TABLE#8", "TABLE", "Reads");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Rels WHERE Id2 = ?", {"TABLE#8"}), 2);
    // A row written by the plain append counts for a later duplicate test.
    EXPECT_FALSE(rec.AddRelIfNew(prog, {"TABLE#8", "TABLE"}, "Reads"));

    EXPECT_EQ(importtest::RelsListing(*db),
              (std::vector<std::string>{"PROGRAM#1 | TABLE#7 | PROGRAM | TABLE | access | ReadsTable",
                                        "PROGRAM#1 | TABLE#8 | PROGRAM | TABLE | access | Reads",
                                        "PROGRAM#1 | TABLE#8 | PROGRAM | TABLE | access | Reads"}));
}

TEST_F(Recorder, DuplicateTestIgnoresCaseLikeTheDatabase) {
    RelationshipRecorder rec(*db);
    EXPECT_TRUE(rec.AddRelIfNew(prog, table, "ReadsTable"));
    EXPECT_FALSE(rec.AddRelIfNew({"program#1", "program"}, {"table#7", "Table"}, "READSTABLE"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Rels"), 1);
    // Values that differ only by where a field ends are different rows.
    EXPECT_TRUE(rec.AddRelIfNew({"PROGRAM#1", "PROGRAM"}, {"TABLE#7", "TABLE"}, "ReadsTableX"));
    EXPECT_TRUE(rec.AddRelIfNew({"PROGRAM#", "1PROGRAM"}, {"TABLE#7", "TABLE"}, "ReadsTable"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Rels"), 3);
}

TEST_F(Recorder, SeesRowsAlreadyInTheTable) {
    db->Execute("INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) VALUES (?,?,?,?,?,?)",
                {"PROGRAM#1", "TABLE#7", "PROGRAM", "TABLE", "access", "ReadsTable"});
    RelationshipRecorder rec(*db);
    EXPECT_TRUE(rec.RelExists("PROGRAM#1", "TABLE#7", "PROGRAM", "TABLE", "access", "ReadsTable"));
    EXPECT_FALSE(rec.RelExists("PROGRAM#1", "TABLE#7", "PROGRAM", "TABLE", "access", "Reads"));
    EXPECT_FALSE(rec.AddRelIfNew(prog, table, "ReadsTable"));
}

TEST_F(Recorder, QuotesAndColumnNamesTravelAsValues) {
    RelationshipRecorder rec(*db);
    const EntRef odd{"PROGRAM#2", "PROGRAM"};
    EXPECT_TRUE(rec.AddRelIfNew(odd, {"MAP#1", "MAP"}, "Sends\"' OR 1=1 --"));
    EXPECT_TRUE(rec.AddRelIfNew(odd, {"Id2", "EntName2"}, "RelName"));
    EXPECT_FALSE(rec.AddRelIfNew(odd, {"Id2", "EntName2"}, "RelName"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Rels WHERE RelNameFull = ?", {"Sends\"' OR 1=1 --"}), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Rels WHERE Id2 = ?", {"Id2"}), 1);
}

TEST_F(Recorder, OneStubPerNameAndItsIdNamesItsOwnRow) {
    // A program of the entry's name exists: the stub must still be a row of its own.
    db->Execute("INSERT INTO Ents (ID, EntName, EntNameFull, Name, BusName) VALUES (?,?,?,?,?)",
                {"PROGRAM#9", "PROGRAM", "PROGRAM", "ORDENTRY", "ORDENTRY"});
    RelationshipRecorder rec(*db);
    const EntRef first = rec.StubProgram("ORDENTRY");
    const EntRef again = rec.StubProgram("ordentry");
    EXPECT_EQ(first.id, again.id);
    EXPECT_EQ(first.type, "PROGRAM");

    auto rs = db->OpenRecordset("SELECT SerialID, EntName, EntNameFull, Name, BusName, Stub FROM Ents WHERE ID = ?",
                                {first.id});
    ASSERT_EQ(rs.RecordCount(), 1u);
    EXPECT_EQ(first.id, "STUBPROG#" + std::to_string(rs.Int("SerialID")));
    EXPECT_EQ(rs.Text("EntName"), "PROGRAM");
    EXPECT_EQ(rs.Text("EntNameFull"), "PROGRAM");
    EXPECT_EQ(rs.Text("Name"), "ORDENTRY");
    EXPECT_EQ(rs.Text("BusName"), "ORDENTRY");
    EXPECT_EQ(rs.Int("Stub"), platform::db::kTrue);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Ents WHERE ID LIKE 'STUBPROG#%'"), 1);

    // A recorder opened later finds the same stub in the table.
    RelationshipRecorder later(*db);
    EXPECT_EQ(later.StubProgram("OrdEntry").id, first.id);
}

TEST_F(Recorder, StoreLookupConsidersStoresOnly) {
    db->Execute("INSERT INTO Ents (ID, EntName, EntNameFull, Name, BusName) VALUES (?,?,?,?,?)",
                {"MAP#3", "MAP", "MAP", "CUSTFILE", "CUSTFILE"});
    db->Execute("INSERT INTO Ents (ID, EntName, EntNameFull, Name, BusName) VALUES (?,?,?,?,?)",
                {"TABLE#4", "store", "TABLE", "ORDERS", "ORDERS"});
    RelationshipRecorder rec(*db);

    const EntRef known = rec.StoreByName("orders");
    EXPECT_EQ(known.id, "TABLE#4");
    EXPECT_EQ(known.type, "TABLE");

    const EntRef dummy = rec.StoreByName("CUSTFILE");
    EXPECT_EQ(dummy.type, "DATASTORE");
    EXPECT_EQ(rec.StoreByName("custfile").id, dummy.id);
    auto rs = db->OpenRecordset("SELECT SerialID, EntName, EntNameFull, Name, BusName, Stub FROM Ents WHERE ID = ?",
                                {dummy.id});
    ASSERT_EQ(rs.RecordCount(), 1u);
    EXPECT_EQ(dummy.id, "DUMMYSTORE#" + std::to_string(rs.Int("SerialID")));
    EXPECT_EQ(rs.Text("EntName"), "store");
    EXPECT_EQ(rs.Text("EntNameFull"), "DATASTORE");
    EXPECT_EQ(rs.Text("Name"), "CUSTFILE");
    EXPECT_EQ(rs.Text("BusName"), "CUSTFILE");
    EXPECT_EQ(rs.Int("Stub"), 0);
}
