#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/db/Database.h"
#include "services/ServiceTables.h"
#include "services/WebOperations.h"
#include "services/WebServices.h"
#include "tests/support/TestSupport.h"

namespace {

using platform::db::Database;

// A workspace database with the shared tables and the tool's own tables.
std::unique_ptr<Database> WorkspaceDb() {
    auto db = Database::InMemory();
    std::ifstream in(testsupport::SourceDir() / "resources/sql/01_workspace.sql");
    std::stringstream sql;
    sql << in.rdbuf();
    db->ExecuteScript(sql.str());
    Globals::CreateUseCaseTables(*db, false);
    Globals::CreateWebServiceTables(*db, false);
    return db;
}

class WebStoresTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = WorkspaceDb();
        for (const char* name : {"PAYROLL", "O'NEIL \"ORDERS\"", "INVOICE"})
            db->Execute("INSERT INTO Ents (ID, EntName, Name, BusName) VALUES (?1, 'PROGRAM', ?2, ?2)",
                        {std::string("PROGRAM#") + name[0], name});
    }
    int64_t AddOperation(const std::string& name, int64_t foreignId, int nature) {
        db->Execute("INSERT INTO ucUseCases (Name, ForeignID, Nature) VALUES (?1, ?2, ?3)", {name, foreignId, nature});
        return db->LastInsertId();
    }
    int64_t Count(const std::string& sql, const platform::db::Params& params = {}) {
        return db->Scalar(sql, params).AsInt();
    }
    std::vector<std::string> Keys(const common::Tree& tree) {
        std::vector<std::string> keys;
        for (const auto& n : tree.Nodes()) keys.push_back(n.key);
        return keys;
    }

    std::unique_ptr<Database> db;
    common::Tree tree;
};

TEST_F(WebStoresTest, OperationsTreeShowsEntityOperationsInTableOrder) {
    Globals::LoadWebOperationsTree(tree, *db);
    EXPECT_TRUE(tree.Empty());

    const int64_t onInvoice = AddOperation("INVOICE", 3, 1);
    const int64_t onMissing = AddOperation("GONE", 99, 1);
    const int64_t onOrders = AddOperation("old name", 2, 1);
    AddOperation("A process", 2, 2);
    const int64_t onOrdersAgain = AddOperation("again", 2, 1);

    Globals::LoadWebOperationsTree(tree, *db);
    ASSERT_EQ(Keys(tree), (std::vector<std::string>{"Key" + std::to_string(onInvoice), "Key" + std::to_string(onOrders),
                                                     "Key" + std::to_string(onOrdersAgain)}));
    const auto* orders = tree.Find("Key" + std::to_string(onOrders));
    EXPECT_EQ(orders->text, "O'NEIL \"ORDERS\"");   // the entity's BusName, not the operation's name
    EXPECT_EQ(orders->tag, "2");
    EXPECT_EQ(orders->image, "ACloseProcess");
    EXPECT_TRUE(orders->parentKey.empty());
    EXPECT_EQ(tree.Find("Key" + std::to_string(onOrdersAgain))->text, orders->text);
    // The operation whose entity is gone stays in the table.
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucUseCases WHERE UCID = ?1", {onMissing}), 1);

    const auto first = Keys(tree);
    Globals::LoadWebOperationsTree(tree, *db);
    EXPECT_EQ(Keys(tree), first);
}

TEST_F(WebStoresTest, ProcessOperationsFollowTheirProcesses) {
    db->Execute("INSERT INTO pcaProcesses (Name) VALUES ('Ship \"fast\" O''Neil')");
    const int64_t proc = db->LastInsertId();
    Globals::LoadWebOperationsTree(tree, *db);
    EXPECT_TRUE(tree.Empty());   // process operations are not shown
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucUseCases WHERE Nature = 2 AND ForeignID = ?1 AND Name = ?2",
                    {proc, "Ship \"fast\" O'Neil"}),
              1);
    Globals::SyncProcessUseCases(*db);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucUseCases WHERE Nature = 2"), 1);

    // A renamed process gets a second operation; the older one stays while
    // its process exists.
    db->Execute("UPDATE pcaProcesses SET Name = 'Ship slow' WHERE ProcID = ?1", {proc});
    Globals::SyncProcessUseCases(*db);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucUseCases WHERE Nature = 2 AND ForeignID = ?1", {proc}), 2);

    db->Execute("DELETE FROM pcaProcesses");
    Globals::SyncProcessUseCases(*db);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucUseCases WHERE Nature = 2"), 0);
}

TEST_F(WebStoresTest, DeletingAnEntityOperationRemovesItsMembershipsOnly) {
    const int64_t onPayroll = AddOperation("PAYROLL", 1, 1);
    const int64_t onInvoice = AddOperation("INVOICE", 3, 1);
    const std::string a = Globals::AddWebService("Billing", *db);
    const std::string b = Globals::AddWebService("Audit", *db);
    Globals::AddUseCaseToWebService(a, "Key" + std::to_string(onPayroll), *db);
    Globals::AddUseCaseToWebService(b, "Key" + std::to_string(onPayroll), *db);
    Globals::AddUseCaseToWebService(b, "Key" + std::to_string(onInvoice), *db);

    Globals::DeleteEntityUseCase("abc", *db);
    Globals::DeleteEntityUseCase("", *db);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucUseCases"), 2);

    Globals::DeleteEntityUseCase("1", *db);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucUseCases WHERE ForeignID = 1"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM wsWS_UC WHERE UCID = ?1", {onPayroll}), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM wsWS_UC WHERE UCID = ?1", {onInvoice}), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM wsWebServices"), 2);
}

TEST_F(WebStoresTest, DeletingAProcessOperationUsesTheProcessIdThroughout) {
    // Operation numbers and process numbers differ, so a mix-up would show.
    AddOperation("filler", 1, 1);
    AddOperation("filler 2", 3, 1);
    db->Execute("INSERT INTO pcaProcesses (Name) VALUES ('Order flow')");
    const int64_t proc = db->LastInsertId();
    db->Execute("INSERT INTO pcaProcesses (Name) VALUES ('Other flow')");
    const int64_t other = db->LastInsertId();
    Globals::SyncProcessUseCases(*db);
    const int64_t ucid = Count("SELECT UCID FROM ucUseCases WHERE Nature = 2 AND ForeignID = ?1", {proc});
    ASSERT_NE(ucid, proc);
    const std::string ws = Globals::AddWebService("Flows", *db);
    Globals::AddUseCaseToWebService(ws, std::to_string(ucid), *db);
    db->Execute("INSERT INTO pcaElements (Name, ParentID, ProcID, SerialID) VALUES ('root', -1, ?1, 1)", {proc});
    const int64_t element = db->LastInsertId();
    db->Execute("INSERT INTO pcaElements (Name, ParentID, ProcID, SerialID) VALUES ('keep', -1, ?1, 1)", {other});
    db->Execute("INSERT INTO ucMessages (ElementSID, XMLText, Nature) VALUES (?1, 'process', 1)", {element});
    // An entity operation's document stored under the same number stays.
    db->Execute("INSERT INTO ucMessages (ElementSID, XMLText, Nature) VALUES (?1, 'entity', 2)", {element});

    Globals::DeleteProcessUseCase(std::to_string(ucid + 1000), *db);   // no such process
    EXPECT_EQ(Count("SELECT COUNT(*) FROM pcaProcesses"), 2);

    Globals::DeleteProcessUseCase(std::to_string(proc), *db);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucUseCases WHERE UCID = ?1", {ucid}), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM wsWS_UC"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM pcaProcesses WHERE ProcID = ?1", {proc}), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM pcaElements WHERE ProcID = ?1", {proc}), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucMessages"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM pcaElements WHERE ProcID = ?1", {other}), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucUseCases WHERE Nature = 2 AND ForeignID = ?1", {other}), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucUseCases WHERE Nature = 1"), 2);
}

TEST_F(WebStoresTest, ServiceNamesAreUniqueWithoutLetterCase) {
    const std::string wsid = Globals::AddWebService("O'Neil \"Billing\"", *db);
    ASSERT_FALSE(wsid.empty());
    EXPECT_EQ(Count("SELECT WSID FROM wsWebServices WHERE Name = ?1", {"O'Neil \"Billing\""}), std::stoll(wsid));
    EXPECT_EQ(Globals::AddWebService("O'Neil \"Billing\"", *db), "");
    EXPECT_EQ(Globals::AddWebService("o'neil \"BILLING\"", *db), "");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM wsWebServices"), 1);
    EXPECT_NE(Globals::AddWebService("Shipping", *db), "");
}

TEST_F(WebStoresTest, MembershipKeysAndDuplicates) {
    const int64_t uc = AddOperation("PAYROLL", 1, 1);
    const std::string a = Globals::AddWebService("A", *db);
    const std::string b = Globals::AddWebService("B", *db);
    const std::string id = std::to_string(uc);
    for (const std::string& key : {"Key" + id, "p" + id, id, "pKey" + id})
        Globals::AddUseCaseToWebService(a, key, *db);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM wsWS_UC"), 1);
    // The prefixes are the tree's own spelling, letter case included.
    Globals::AddUseCaseToWebService(a, "key" + id, *db);
    Globals::AddUseCaseToWebService("x", id, *db);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM wsWS_UC"), 1);
    Globals::AddUseCaseToWebService(b, "Key" + id, *db);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM wsWS_UC"), 2);

    Globals::RemoveUseCaseFromWebService(b, "p" + id, *db);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM wsWS_UC WHERE WSID = ?1", {std::stoll(b)}), 0);
    Globals::DeleteUseCaseLinks("p" + id, *db);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM wsWS_UC"), 0);
}

TEST_F(WebStoresTest, ServicesTreeShowsServicesWithTheirMembers) {
    Globals::LoadWebServicesTree(tree, *db);
    EXPECT_TRUE(tree.Empty());

    const int64_t payroll = AddOperation("Pay people", 1, 1);
    const int64_t invoice = AddOperation("Send invoices", 3, 1);
    const std::string billing = Globals::AddWebService("Billing", *db);
    const std::string empty = Globals::AddWebService("Empty", *db);
    Globals::AddUseCaseToWebService(billing, "Key" + std::to_string(invoice), *db);
    Globals::AddUseCaseToWebService(billing, "Key" + std::to_string(payroll), *db);
    Globals::AddUseCaseToWebService(billing, "Key999", *db);   // names no operation: not shown
    Globals::AddUseCaseToWebService(empty, "Key" + std::to_string(payroll), *db);
    Globals::RemoveUseCaseFromWebService(empty, std::to_string(payroll), *db);

    Globals::LoadWebServicesTree(tree, *db);
    const std::string inv = billing + "n" + std::to_string(invoice);
    const std::string pay = billing + "n" + std::to_string(payroll);
    ASSERT_EQ(Keys(tree), (std::vector<std::string>{"Key" + billing, inv, pay, "Key" + empty}));
    const auto* service = tree.Find("Key" + billing);
    EXPECT_EQ(service->text, "Billing");
    EXPECT_EQ(service->tag, billing);
    EXPECT_EQ(service->image, "AWebService");
    EXPECT_TRUE(service->expanded);
    const auto* member = tree.Find(inv);
    EXPECT_EQ(member->parentKey, "Key" + billing);
    EXPECT_EQ(member->text, "Send invoices");   // the operation's own name
    EXPECT_EQ(member->tag, inv);
    EXPECT_EQ(member->image, "ACloseProcess");
    EXPECT_TRUE(tree.Children("Key" + empty).empty());
    EXPECT_TRUE(tree.Find("Key" + empty)->expanded);

    // A service goes with its memberships; its operations stay.
    Globals::DeleteWebService(billing, *db);
    Globals::LoadWebServicesTree(tree, *db);
    EXPECT_EQ(Keys(tree), std::vector<std::string>{"Key" + empty});
    EXPECT_EQ(Count("SELECT COUNT(*) FROM wsWS_UC"), 0);
    Globals::LoadWebOperationsTree(tree, *db);
    EXPECT_EQ(tree.Count(), 2u);
}

TEST_F(WebStoresTest, AMembershipStoredTwiceIsShownOnce) {
    const int64_t uc = AddOperation("Pay", 1, 1);
    const std::string ws = Globals::AddWebService("S", *db);
    for (int i = 0; i < 2; ++i)
        db->Execute("INSERT INTO wsWS_UC (WSID, UCID) VALUES (?1, ?2)", {std::stoll(ws), uc});
    Globals::LoadWebServicesTree(tree, *db);
    EXPECT_EQ(tree.Count(), 2u);
}

TEST(TreeModelTest, KeysAreUniqueAndParentsMustExist) {
    common::Tree tree;
    tree.Add("", "Key1", "one", "AWebService", "1");
    tree.Add("Key1", "1n5", "five", "ACloseProcess", "1n5");
    EXPECT_THROW(tree.Add("", "Key1", "again", "x"), std::invalid_argument);
    EXPECT_THROW(tree.Add("Key9", "9n1", "orphan", "x"), std::invalid_argument);
    EXPECT_THROW(tree.Add("", "", "no key", "x"), std::invalid_argument);
    EXPECT_EQ(tree.Count(), 2u);
    EXPECT_EQ(tree.RootKey("1n5"), "Key1");
    EXPECT_EQ(tree.RootKey("Key1"), "Key1");
    EXPECT_EQ(tree.RootKey("none"), "");
    tree.Clear();
    EXPECT_FALSE(tree.Find("Key1"));
    tree.Add("", "Key1", "one", "AWebService");
    EXPECT_EQ(tree.Count(), 1u);
}

}  // namespace
