#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/db/Database.h"
#include "reports/ClientInfo.h"
#include "tests/support/TestSupport.h"

using platform::db::Database;
using platform::db::DbError;

namespace {

std::unique_ptr<Database> WorkspaceDb() {
    auto db = Database::InMemory();
    std::ifstream in(testsupport::SourceDir() / "resources/sql/01_workspace.sql");
    std::stringstream sql;
    sql << in.rdbuf();
    db->ExecuteScript(sql.str());
    return db;
}

int64_t RowCount(Database& db) { return db.Scalar("SELECT COUNT(*) FROM Settings").AsInt(); }

}  // namespace

TEST(ClientInfo, EmptyTableReadsEmptyNames) {
    auto db = WorkspaceDb();
    EXPECT_EQ(mdlReports::GetClientName(*db), "");
    EXPECT_EQ(mdlReports::GetApplicationName(*db), "");
}

TEST(ClientInfo, RoundTripKeepsQuotesAndNonAscii) {
    auto db = WorkspaceDb();
    const std::string client = "O'Brien \"Holdings\" & Söhne";
    const std::string app = "受注システム; DROP TABLE Settings; --";
    mdlReports::SaveClientInfo(*db, client, app);
    EXPECT_EQ(mdlReports::GetClientName(*db), client);
    EXPECT_EQ(mdlReports::GetApplicationName(*db), app);
    EXPECT_EQ(RowCount(*db), 1);

    mdlReports::SaveClientInfo(*db, "Second", "Other");
    EXPECT_EQ(RowCount(*db), 1);
    EXPECT_EQ(mdlReports::GetClientName(*db), "Second");
    EXPECT_EQ(mdlReports::GetApplicationName(*db), "Other");
}

TEST(ClientInfo, EmptyNamesStillStoreOneRow) {
    auto db = WorkspaceDb();
    mdlReports::SaveClientInfo(*db, "", "");
    EXPECT_EQ(RowCount(*db), 1);
    EXPECT_EQ(mdlReports::GetClientName(*db), "");
    EXPECT_EQ(mdlReports::GetApplicationName(*db), "");
}

TEST(ClientInfo, NullValuesReadAsEmpty) {
    auto db = WorkspaceDb();
    db->Execute("INSERT INTO Settings (CLIENT, Application) VALUES (NULL, 'App')");
    EXPECT_EQ(mdlReports::GetClientName(*db), "");
    EXPECT_EQ(mdlReports::GetApplicationName(*db), "App");
}

TEST(ClientInfo, FailedInsertKeepsTheOldNames) {
    auto db = WorkspaceDb();
    mdlReports::SaveClientInfo(*db, "Old client", "Old app");
    db->ExecuteScript("CREATE TRIGGER refuse BEFORE INSERT ON Settings BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    EXPECT_THROW(mdlReports::SaveClientInfo(*db, "New client", "New app"), DbError);
    EXPECT_EQ(RowCount(*db), 1);
    EXPECT_EQ(mdlReports::GetClientName(*db), "Old client");
    EXPECT_EQ(mdlReports::GetApplicationName(*db), "Old app");
    EXPECT_FALSE(db->InTransaction());
}

TEST(ClientInfo, SavesInsideACallersTransaction) {
    auto db = WorkspaceDb();
    db->Begin();
    mdlReports::SaveClientInfo(*db, "C", "A");
    EXPECT_TRUE(db->InTransaction());
    db->Commit();
    EXPECT_EQ(mdlReports::GetClientName(*db), "C");
}

TEST(ClientInfo, MissingTableRaises) {
    auto db = Database::InMemory();
    EXPECT_THROW(mdlReports::GetClientName(*db), DbError);
    EXPECT_THROW(mdlReports::SaveClientInfo(*db, "a", "b"), DbError);
}
