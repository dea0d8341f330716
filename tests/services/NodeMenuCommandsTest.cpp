#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/db/Database.h"
#include "services/NodeCommands.h"
#include "views/Description.h"
#include "services/NodeMenu.h"
#include "services/ServiceTables.h"
#include "services/WebServices.h"
#include "tests/support/TestSupport.h"

namespace {

using platform::db::Database;
using services::JoinTag;
using services::SetWebOperationResult;

class NodeMenuCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = Database::InMemory();
        std::ifstream in(testsupport::SourceDir() / "resources/sql/01_workspace.sql");
        std::stringstream sql;
        sql << in.rdbuf();
        db->ExecuteScript(sql.str());
        Globals::CreateUseCaseTables(*db, false);
        Globals::CreateWebServiceTables(*db, false);
        db->Execute("INSERT INTO Ents (ID, EntName, Name, BusName, Description) "
                    "VALUES ('PROGRAM#1', 'PROGRAM', 'PAY', 'Pay \"O''Neil\"', NULL)");
        db->Execute("INSERT INTO Ents (ID, EntName, Name, BusName, Description) "
                    "VALUES ('MAP#2', 'MAP', 'M01', 'Menu', 'Main menu')");
    }
    int64_t Count(const std::string& sql, const platform::db::Params& params = {}) {
        return db->Scalar(sql, params).AsInt();
    }
    std::unique_ptr<Database> db;
};

TEST_F(NodeMenuCommandsTest, DescriptionOfAnEntityAndStoringIt) {
    auto target = views::FindDescriptionTarget(*db, JoinTag("Pay", "program#1"));
    ASSERT_TRUE(target);
    EXPECT_EQ(target->id, "PROGRAM#1");
    EXPECT_EQ(target->busName, "Pay \"O'Neil\"");
    EXPECT_EQ(target->description, "");   // Null reads as empty
    EXPECT_EQ(views::DescriptionWindowKey(target->id), "PROGRAM#1-Description");
    EXPECT_EQ(views::FindDescriptionTarget(*db, JoinTag("Menu", "MAP#2"))->description, "Main menu");

    EXPECT_TRUE(views::StoreDescription(*db, "PROGRAM#1", "Pays O'Neil's \"staff\""));
    EXPECT_EQ(db->Scalar("SELECT Description FROM Ents WHERE ID = 'PROGRAM#1'").AsText(), "Pays O'Neil's \"staff\"");
    EXPECT_FALSE(views::StoreDescription(*db, "PROGRAM#9", "x"));
}

TEST_F(NodeMenuCommandsTest, UnknownEntitiesAndTagsWithoutNulDoNothing) {
    EXPECT_FALSE(views::FindDescriptionTarget(*db, JoinTag("x", "PROGRAM#9")));
    EXPECT_FALSE(views::FindDescriptionTarget(*db, JoinTag("x", "' OR 1=1 --")));
    EXPECT_FALSE(views::FindDescriptionTarget(*db, "PROGRAM#1"));
    EXPECT_EQ(services::SetAsWebOperation(*db, JoinTag("x", "PROGRAM#9")), SetWebOperationResult::NoEntity);
    EXPECT_EQ(services::SetAsWebOperation(*db, "PROGRAM#1"), SetWebOperationResult::NoEntity);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucUseCases"), 0);
}

TEST_F(NodeMenuCommandsTest, SetAsWebOperationOncePerEntity) {
    // A process operation that happens to carry the same number is no obstacle.
    db->Execute("INSERT INTO ucUseCases (Name, ForeignID, Nature) VALUES ('flow', 1, 2)");
    EXPECT_EQ(services::SetAsWebOperation(*db, JoinTag("Pay", "PROGRAM#1")), SetWebOperationResult::Added);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucUseCases WHERE Nature = 1 AND ForeignID = 1 AND Name = ?1",
                    {"Pay \"O'Neil\""}),
              1);
    EXPECT_EQ(services::SetAsWebOperation(*db, JoinTag("Pay", "PROGRAM#1")), SetWebOperationResult::AlreadyAdded);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucUseCases WHERE Nature = 1"), 1);
}

TEST_F(NodeMenuCommandsTest, DeleteNodeActsByTagCode) {
    db->Execute("INSERT INTO ucUseCases (Name, ForeignID, Nature) VALUES ('Pay', 1, 1)");
    const int64_t pay = db->LastInsertId();
    db->Execute("INSERT INTO ucUseCases (Name, ForeignID, Nature) VALUES ('Menu', 2, 1)");
    const int64_t menu = db->LastInsertId();
    const std::string a = Globals::AddWebService("A", *db);
    const std::string b = Globals::AddWebService("B", *db);
    for (const std::string& ws : {a, b})
        for (int64_t uc : {pay, menu}) Globals::AddUseCaseToWebService(ws, std::to_string(uc), *db);

    EXPECT_FALSE(services::DeleteNodeByTag(*db, JoinTag("XX", a)));
    EXPECT_FALSE(services::DeleteNodeByTag(*db, "WS"));
    EXPECT_FALSE(services::DeleteNodeByTag(*db, JoinTag("WU", "17")));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM wsWS_UC"), 4);

    EXPECT_TRUE(services::DeleteNodeByTag(*db, JoinTag("wu", a + "N" + std::to_string(menu))));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM wsWS_UC WHERE WSID = ?1", {std::stoll(a)}), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM wsWS_UC WHERE WSID = ?1", {std::stoll(b)}), 2);

    EXPECT_TRUE(services::DeleteNodeByTag(*db, JoinTag("Uc1", "1")));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucUseCases WHERE UCID = ?1", {pay}), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM wsWS_UC WHERE UCID = ?1", {pay}), 0);

    EXPECT_TRUE(services::DeleteNodeByTag(*db, JoinTag("WS", b)));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM wsWebServices"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM wsWS_UC"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucUseCases WHERE UCID = ?1", {menu}), 1);
}

}  // namespace
