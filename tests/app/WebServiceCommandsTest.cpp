#include <gtest/gtest.h>

#include <deque>

#include "app/WebServiceCommands.h"
#include "app/WebTreeDrop.h"
#include "services/WebServices.h"
#include "tests/app/WebTreeFixture.h"

namespace {

using app::DropResult;
using app::WebTreeNode;
using common::Icon;
using webtreetest::Count;

// Answers the input box from a queue (nothing = Cancel) and records the questions.
struct ScriptedInput {
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> prompts, titles, defaults;
    app::InputBox Box() {
        return [this](const std::string& prompt, const std::string& title, const std::string& def) {
            prompts.push_back(prompt);
            titles.push_back(title);
            defaults.push_back(def);
            auto a = answers.empty() ? std::optional<std::string>() : answers.front();
            if (!answers.empty()) answers.pop_front();
            return a;
        };
    }
};

// Records the icons of the messages too.
struct IconPrompt : testsupport::ScriptedPrompt {
    std::vector<Icon> icons;
    common::Answer Ask(const std::string& text, const std::string& title, common::Buttons buttons,
                       Icon icon) override {
        icons.push_back(icon);
        return ScriptedPrompt::Ask(text, title, buttons, icon);
    }
};

class WebServiceCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { db = webtreetest::NewWorkspaceDatabase(); }
    std::optional<std::string> Create(std::optional<std::string> answer) {
        input.answers = {std::move(answer)};
        return app::CreateNamedWebService(*db, input.Box(), prompt, "Quarvel");
    }
    int64_t Services() { return Count(*db, "SELECT COUNT(*) FROM wsWebServices"); }

    std::unique_ptr<platform::db::Database> db;
    ScriptedInput input;
    IconPrompt prompt;
};

TEST_F(WebServiceCommandsTest, NamesWithQuotesAndNonAsciiLettersAreStoredAsTyped) {
    const auto wsid = Create("O'Brien's Bestellübersicht – 注文");
    ASSERT_TRUE(wsid);
    EXPECT_EQ(input.prompts, std::vector<std::string>{"Please enter a name for your new Web Service."});
    EXPECT_EQ(input.titles, std::vector<std::string>{"New Web Service"});
    EXPECT_EQ(input.defaults, std::vector<std::string>{""});
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_EQ(db->Scalar("SELECT Name FROM wsWebServices WHERE WSID = ?1", {std::stoll(*wsid)}).AsText(),
              "O'Brien's Bestellübersicht – 注文");
    // Blanks around the name are not part of it.
    ASSERT_TRUE(Create("  Order 'Entry'  "));
    EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM wsWebServices WHERE Name = ?1", {"Order 'Entry'"}), 1);
}

TEST_F(WebServiceCommandsTest, TakenNamesInAnyLetterCaseAreRefused) {
    ASSERT_TRUE(Create("Order Entry"));
    ASSERT_TRUE(Create("Überweisung"));
    for (const char* taken : {"ORDER ENTRY", "order entry", " Order Entry", "ÜBERWEISUNG", "überweisung"}) {
        SCOPED_TRACE(taken);
        prompt.asked.clear();
        prompt.icons.clear();
        EXPECT_FALSE(Create(taken));
        ASSERT_EQ(prompt.asked.size(), 1u);
        EXPECT_EQ(prompt.asked[0], "A web service with this name already exists.\r\nPlease use a different name.");
        EXPECT_EQ(prompt.titles[prompt.titles.size() - 1], "Quarvel");
        EXPECT_EQ(prompt.icons[0], Icon::Exclamation);
    }
    EXPECT_EQ(Services(), 2);
    EXPECT_TRUE(app::IsWebServiceNameTaken(*db, "ORDER entry"));
    EXPECT_FALSE(app::IsWebServiceNameTaken(*db, "Order Entries"));
}

TEST_F(WebServiceCommandsTest, InvalidEmptyAndCancelledNames) {
    for (const char* bad : {"Say \"hi\"", "a/b", "what?", "   "}) {
        SCOPED_TRACE(bad);
        prompt.asked.clear();
        prompt.icons.clear();
        EXPECT_FALSE(Create(bad));
        ASSERT_EQ(prompt.asked.size(), 1u);
        EXPECT_EQ(prompt.asked[0], "Invalid characters. Please try again.");
        EXPECT_EQ(prompt.icons[0], Icon::Critical);
        EXPECT_EQ(input.prompts.size(), 1u) << "the name is not asked again";
        input.prompts.clear();
    }
    prompt.asked.clear();
    EXPECT_FALSE(Create(""));
    EXPECT_FALSE(Create(std::nullopt));
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_EQ(Services(), 0);
}

TEST_F(WebServiceCommandsTest, AlterCriteriaStoresTheAnswerAndCancelKeepsIt) {
    db->Execute("INSERT INTO pcaElements (ElementID, Name, ProcID, Criteria) VALUES (4, 'S1', 1, 'PF3 \"back\"')");
    input.answers = {std::string("ENTER 'o''k'")};
    EXPECT_TRUE(app::AlterCriteria(*db, "4", input.Box()));
    EXPECT_EQ(input.titles.back(), "New Criteria");
    EXPECT_EQ(input.prompts.back(), "Enter new criteria by which Screen may be reached from previous Screen.");
    EXPECT_EQ(input.defaults.back(), "PF3 \"back\"");
    EXPECT_EQ(db->Scalar("SELECT Criteria FROM pcaElements WHERE ElementID = 4").AsText(), "ENTER 'o''k'");

    input.answers = {std::nullopt};
    EXPECT_FALSE(app::AlterCriteria(*db, "4", input.Box()));
    EXPECT_EQ(db->Scalar("SELECT Criteria FROM pcaElements WHERE ElementID = 4").AsText(), "ENTER 'o''k'");

    input.answers = {std::string()};
    EXPECT_TRUE(app::AlterCriteria(*db, "4", input.Box()));
    EXPECT_EQ(db->Scalar("SELECT Criteria FROM pcaElements WHERE ElementID = 4").AsText(), "");

    // An element that is not there, or a Tag that is no number, asks nothing.
    const size_t asked = input.prompts.size();
    EXPECT_FALSE(app::AlterCriteria(*db, "5", input.Box()));
    EXPECT_FALSE(app::AlterCriteria(*db, "4 OR 1=1", input.Box()));
    EXPECT_EQ(input.prompts.size(), asked);
}

class WebTreeDropTest : public WebServiceCommandsTest {
protected:
    void SetUp() override {
        WebServiceCommandsTest::SetUp();
        const int64_t serial = webtreetest::AddProgram(*db, "PROGRAM#1", "ORDPROG", "Order");
        db->Execute("INSERT INTO ucUseCases (Name, ForeignID, Nature) VALUES ('Order', ?1, 1)", {serial});
        ucid = db->LastInsertId();
        wsid = Globals::AddWebService("Sales", *db);
    }
    DropResult Drop(const WebTreeNode* target, std::optional<std::string> answer = std::nullopt) {
        input.answers = {std::move(answer)};
        return app::DropOperationOnServices(*db, app::DroppedOperation{"Key" + std::to_string(ucid), "ACloseProcess"},
                                            target, input.Box(), prompt, "Quarvel");
    }
    int64_t Members(const std::string& ws) {
        return Count(*db, "SELECT COUNT(*) FROM wsWS_UC WHERE WSID = ?1 AND UCID = ?2", {std::stoll(ws), ucid});
    }
    int64_t ucid = 0;
    std::string wsid;
};

TEST_F(WebTreeDropTest, OnAServiceOrAMemberJoinsThatServiceOnce) {
    WebTreeNode service{"Key" + wsid, "Sales", wsid, "Key" + wsid, wsid};
    EXPECT_EQ(Drop(&service), DropResult::Reload);
    EXPECT_EQ(Members(wsid), 1);
    WebTreeNode member{wsid + "n" + std::to_string(ucid), "Order", wsid + "n" + std::to_string(ucid),
                       "Key" + wsid, wsid};
    EXPECT_EQ(Drop(&member), DropResult::Reload);
    EXPECT_EQ(Members(wsid), 1);
    EXPECT_TRUE(input.prompts.empty());
}

TEST_F(WebTreeDropTest, OnEmptySpaceNamesANewService) {
    EXPECT_EQ(Drop(nullptr, std::string("Bestellung 'Nord'")), DropResult::Reload);
    const std::string created = db->Scalar("SELECT WSID FROM wsWebServices WHERE Name = ?1", {"Bestellung 'Nord'"}).AsText();
    ASSERT_FALSE(created.empty());
    EXPECT_EQ(Members(created), 1);
    EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM wsWS_UC"), 1);

    // Cancel, a taken name (other case) and an invalid one store nothing and ask for no reload.
    EXPECT_EQ(Drop(nullptr, std::nullopt), DropResult::Cancelled);
    EXPECT_EQ(Drop(nullptr, std::string("SALES")), DropResult::Cancelled);
    EXPECT_EQ(Drop(nullptr, std::string("a|b")), DropResult::Cancelled);
    EXPECT_EQ(prompt.asked, (std::vector<std::string>{
                                "A web service with this name already exists.\r\nPlease use a different name.",
                                "Invalid characters. Please try again."}));
    EXPECT_EQ(Services(), 2);
    EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM wsWS_UC"), 1);
}

TEST_F(WebTreeDropTest, ForeignTextAndOtherNodesAddNothing) {
    WebTreeNode service{"Key" + wsid, "Sales", wsid, "Key" + wsid, wsid};
    EXPECT_EQ(app::DropOperationOnServices(*db, std::nullopt, &service, input.Box(), prompt, "Quarvel"),
              DropResult::Ignored);
    EXPECT_EQ(app::DropOperationOnServices(*db, app::DroppedOperation{"Key" + std::to_string(ucid), "AWebService"},
                                           &service, input.Box(), prompt, "Quarvel"),
              DropResult::Reload);
    EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM wsWS_UC"), 0);
}

}  // namespace
