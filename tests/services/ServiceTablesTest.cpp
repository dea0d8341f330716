#include <gtest/gtest.h>

#include "platform/db/Database.h"
#include "services/ServiceTables.h"

using platform::db::Database;
using platform::db::DbError;

namespace {

const char* const kAllTables[] = {"pcaProcesses", "pcaElements", "ucUseCases", "ucMessages",
                                  "Messages", "wsWebServices", "wsWS_UC"};

// The catalogue's text of every table and trigger, to see that nothing changed.
std::string Schema(Database& db) {
    std::string s;
    auto rs = db.OpenRecordset("SELECT name, sql FROM sqlite_master ORDER BY name");
    for (; !rs.IsEOF(); rs.MoveNext()) s += rs.Text("name") + ": " + rs.Text("sql") + "\n";
    return s;
}

int64_t Count(Database& db, const std::string& table) {
    return db.Scalar("SELECT count(*) FROM " + table).AsInt();
}

void FillOneRowEach(Database& db) {
    db.ExecuteScript(
        "INSERT INTO pcaProcesses (Name) VALUES ('P');"
        "INSERT INTO pcaElements (Name, ParentID, ProcID, SerialID, Criteria) VALUES ('E', -1, 1, 5, '');"
        "INSERT INTO ucUseCases (Name, ForeignID, Nature) VALUES ('U', 5, 1);"
        "INSERT INTO ucMessages (ElementSID, XMLText, Nature) VALUES (5, '<definitions/>', 2);"
        "INSERT INTO Messages (sKey, sProgID, sProgName, sVNID, sName, bInput) VALUES ('k', 'PROGRAM#1', 'P', 'v', 'n', -1);"
        "INSERT INTO wsWebServices (Name) VALUES ('S');"
        "INSERT INTO wsWS_UC (WSID, UCID) VALUES (1, 1);");
}

}  // namespace

TEST(ServiceTables, LoadCreatesAllSevenWithTheirColumnsAndIsIdempotent) {
    auto db = Database::InMemory();
    Globals::CreateUseCaseTables(*db, false);
    Globals::CreateWebServiceTables(*db, false);
    for (auto t : kAllTables) EXPECT_TRUE(db->TableExists(t)) << t;
    EXPECT_EQ(db->ColumnNames("pcaElements"),
              (std::vector<std::string>{"ElementID", "Name", "ParentID", "ProcID", "SerialID", "Criteria"}));
    EXPECT_EQ(db->ColumnNames("ucUseCases"), (std::vector<std::string>{"UCID", "Name", "ForeignID", "Nature"}));
    EXPECT_EQ(db->ColumnNames("ucMessages"), (std::vector<std::string>{"MsgID", "ElementSID", "XMLText", "Nature"}));
    EXPECT_EQ(db->ColumnNames("Messages"),
              (std::vector<std::string>{"sKey", "sProgID", "sProgName", "sVNID", "sName", "bInput"}));
    EXPECT_EQ(db->ColumnNames("wsWebServices"), (std::vector<std::string>{"WSID", "Name"}));
    EXPECT_EQ(db->ColumnNames("wsWS_UC"), (std::vector<std::string>{"WSID", "UCID"}));

    FillOneRowEach(*db);
    const std::string before = Schema(*db);
    for (int i = 0; i < 2; ++i) {
        Globals::CreateUseCaseTables(*db, false);
        Globals::CreateWebServiceTables(*db, false);
        Globals::CreateProcessTables(*db, false);
    }
    EXPECT_EQ(Schema(*db), before);
    for (auto t : kAllTables) EXPECT_EQ(Count(*db, t), 1) << t;
}

TEST(ServiceTables, TablesAlreadyPresentStayWithTheirRows) {
    auto db = Database::InMemory();
    // Present, in a shape of their own: an empty table counts as present too.
    db->ExecuteScript(
        "CREATE TABLE ucUseCases (UCID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT, ForeignID INTEGER, "
        "Nature INTEGER, Extra TEXT);"
        "INSERT INTO ucUseCases (Name, ForeignID, Nature, Extra) VALUES ('Kept', 3, 1, 'x');"
        "CREATE TABLE wsWebServices (WSID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT, Extra TEXT);"
        "CREATE TABLE PCAELEMENTS (ElementID INTEGER, Name TEXT, ParentID INTEGER, ProcID INTEGER, "
        "SerialID INTEGER, Criteria TEXT, Extra TEXT);");
    Globals::CreateUseCaseTables(*db, false);
    Globals::CreateWebServiceTables(*db, false);
    EXPECT_EQ(db->Scalar("SELECT Extra FROM ucUseCases WHERE Name = 'Kept'").AsText(), "x");
    EXPECT_EQ(db->ColumnNames("wsWebServices").back(), "Extra");
    EXPECT_EQ(db->ColumnNames("pcaElements").back(), "Extra");   // the catalogue ignores case
    EXPECT_TRUE(db->TableExists("pcaProcesses"));
}

TEST(ServiceTables, ClearEmptiesTheFiveAndKeepsTheirDefinitions) {
    auto db = Database::InMemory();
    Globals::CreateUseCaseTables(*db, false);
    Globals::CreateWebServiceTables(*db, false);
    FillOneRowEach(*db);
    const std::string before = Schema(*db);
    Globals::CreateUseCaseTables(*db, true);
    EXPECT_EQ(Schema(*db), before);
    for (auto t : {"pcaProcesses", "pcaElements", "ucUseCases", "ucMessages", "Messages"})
        EXPECT_EQ(Count(*db, t), 0) << t;
    EXPECT_EQ(Count(*db, "wsWebServices"), 1);
    EXPECT_EQ(Count(*db, "wsWS_UC"), 1);
}

TEST(ServiceTables, RecreateDropsTheServiceTablesAndRestartsTheCounter) {
    auto db = Database::InMemory();
    Globals::CreateUseCaseTables(*db, false);
    Globals::CreateWebServiceTables(*db, false);
    FillOneRowEach(*db);
    db->Execute("INSERT INTO wsWebServices (Name) VALUES ('Second')");
    ASSERT_EQ(db->LastInsertId(), 2);

    Globals::CreateWebServiceTables(*db, true);
    EXPECT_EQ(Count(*db, "wsWebServices"), 0);
    EXPECT_EQ(Count(*db, "wsWS_UC"), 0);
    EXPECT_EQ(Count(*db, "pcaProcesses"), 0);
    EXPECT_EQ(Count(*db, "pcaElements"), 0);
    EXPECT_EQ(Count(*db, "ucUseCases"), 1) << "the use case tables are not touched";
    db->Execute("INSERT INTO wsWebServices (Name) VALUES ('Again')");
    EXPECT_EQ(db->LastInsertId(), 1);
}

TEST(ServiceTables, MessagesRefuseARepeatedKeyAndStoreTrueAsMinusOne) {
    auto db = Database::InMemory();
    Globals::CreateUseCaseTables(*db, false);
    auto ins = db->Prepare("INSERT INTO Messages (sKey, sProgID, sName, bInput) VALUES (?, ?, ?, ?)");
    ins.Run({"PROGRAM#1|V1|In", "PROGRAM#1", "O'Brien \"rec\"", true});
    try {
        ins.Run({"PROGRAM#1|V1|In", "PROGRAM#1", "other", false});
        FAIL() << "a repeated key must be refused";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("UNIQUE"), std::string::npos) << e.what();
    }
    EXPECT_THROW(ins.Run({"program#1|v1|in", "PROGRAM#1", "other", false}), DbError) << "keys ignore case";
    ins.Run({"PROGRAM#1|V1|Out", "PROGRAM#1", "out", false});
    db->Execute("INSERT INTO Messages (sKey, bInput) VALUES ('k3', TRUE)");
    db->Execute("INSERT INTO Messages (sKey, bInput) VALUES ('k4', NULL)");
    EXPECT_EQ(Count(*db, "Messages"), 4);
    EXPECT_EQ(db->Scalar("SELECT sName FROM Messages WHERE bInput = -1 AND sKey LIKE '%in'").AsText(),
              "O'Brien \"rec\"");
    EXPECT_EQ(db->Scalar("SELECT bInput FROM Messages WHERE sKey = 'k3'").AsInt(), -1);
    EXPECT_EQ(db->Scalar("SELECT bInput FROM Messages WHERE sKey = 'k4'").AsInt(), 0);
    db->Execute("UPDATE Messages SET bInput = 1 WHERE sKey = 'k4'");
    EXPECT_EQ(db->Scalar("SELECT bInput FROM Messages WHERE sKey = 'k4'").AsInt(), -1);
}

TEST(ServiceTables, FailingCreateGoesToTheCallerFailingDeleteIsIgnored) {
    auto db = Database::InMemory();
    Globals::CreateProcessTables(*db, false);
    db->Execute("INSERT INTO pcaProcesses (Name) VALUES ('P')");
    db->ExecuteScript("PRAGMA query_only = 1");
    EXPECT_NO_THROW(Globals::CreateProcessTables(*db, true));   // the DELETE fails quietly
    EXPECT_EQ(Count(*db, "pcaProcesses"), 1);
    EXPECT_THROW(Globals::CreateUseCaseTables(*db, false), DbError);
    db->ExecuteScript("PRAGMA query_only = 0");
    EXPECT_FALSE(db->TableExists("ucUseCases"));
}
