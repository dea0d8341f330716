#include <gtest/gtest.h>

#include "app/WebTreeMenus.h"
#include "tests/app/WebTreeFixture.h"

namespace {

using app::WebTreeNode;
using services::JoinTag;
using services::NodeMenu;
using services::NodeMenuItem;
using Items = std::vector<NodeMenuItem>;

class WebTreeMenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = webtreetest::NewWorkspaceDatabase();
        serial = webtreetest::AddProgram(*db, "PROGRAM#7", "ORDPROG", "Order \"O'Neil\" Entry");
    }
    std::unique_ptr<platform::db::Database> db;
    int64_t serial = 0;
    NodeMenu menu;
};

TEST_F(WebTreeMenusTest, EntityOperationOffersViewsMessagesAndDelete) {
    const std::string s = std::to_string(serial);
    WebTreeNode node{"Key3", "Order \"O'Neil\" Entry", s, "Key3", s};
    auto prep = app::ShowWebOperationNodeMenu(menu, *db, &node, 2);
    EXPECT_TRUE(prep.popup);
    EXPECT_EQ(menu.ShownItems(), (Items{NodeMenuItem::FlowContext, NodeMenuItem::Sep1, NodeMenuItem::DefineMessages,
                                        NodeMenuItem::ViewSource, NodeMenuItem::CRUDSig, NodeMenuItem::DeleteNode,
                                        NodeMenuItem::Sep2, NodeMenuItem::Description}));
    EXPECT_EQ(prep.deleteTag, JoinTag("UC1", s));
    EXPECT_EQ(menu[NodeMenuItem::DeleteNode].tag, JoinTag("UC1", s));
    EXPECT_EQ(menu[NodeMenuItem::DefineMessages].tag, JoinTag("2", s));
    for (NodeMenuItem item : {NodeMenuItem::ViewSource, NodeMenuItem::CRUDSig, NodeMenuItem::Description,
                              NodeMenuItem::FlowContext}) {
        EXPECT_EQ(menu[item].tag, JoinTag("Order \"O'Neil\" Entry", "PROGRAM#7"));
        EXPECT_TRUE(menu[item].enabled);
    }

    // A left button prepares the same menu without popping it up.
    EXPECT_FALSE(app::ShowWebOperationNodeMenu(menu, *db, &node, 1).popup);
    EXPECT_EQ(menu[NodeMenuItem::DeleteNode].tag, JoinTag("UC1", s));

    // A Tag holding the entity key instead of its SerialID finds it too
    // (a key beginning with "p" or "e" would name a process node).
    db->Execute("INSERT INTO Ents (ID, EntName, Name, BusName) VALUES ('MAP#2', 'MAP', 'M01', 'Menu')");
    const std::string mapSerial = std::to_string(db->LastInsertId());
    node.tag = "map#2";
    EXPECT_EQ(app::ShowWebOperationNodeMenu(menu, *db, &node, 2).deleteTag, JoinTag("UC1", mapSerial));
    EXPECT_EQ(menu[NodeMenuItem::Description].tag, JoinTag(node.text, "MAP#2"));
}

TEST_F(WebTreeMenusTest, NoMenuForEmptySpaceOrAMissingEntityAndNoTagLeftToDelete) {
    const std::string s = std::to_string(serial);
    WebTreeNode node{"Key3", "Order", s, "Key3", s};
    app::ShowWebOperationNodeMenu(menu, *db, &node, 2);
    ASSERT_FALSE(menu[NodeMenuItem::DeleteNode].tag.empty());

    auto prep = app::ShowWebOperationNodeMenu(menu, *db, nullptr, 2);
    EXPECT_FALSE(prep.popup);
    EXPECT_FALSE(prep.deleteTag);
    EXPECT_EQ(menu[NodeMenuItem::DeleteNode].tag, "");

    app::ShowWebOperationNodeMenu(menu, *db, &node, 2);
    WebTreeNode gone{"Key4", "Gone", "999", "Key4", "999"};
    prep = app::ShowWebOperationNodeMenu(menu, *db, &gone, 2);
    EXPECT_FALSE(prep.popup);
    EXPECT_FALSE(prep.deleteTag);
    EXPECT_EQ(menu[NodeMenuItem::DeleteNode].tag, "");

    // An operation node without a Tag is given "-1", which names no entity.
    WebTreeNode untagged{"Key5", "Odd", "", "Key5", ""};
    prep = app::ShowWebOperationNodeMenu(menu, *db, &untagged, 2);
    EXPECT_EQ(prep.newNodeTag, "-1");
    EXPECT_FALSE(prep.popup);
}

TEST_F(WebTreeMenusTest, ProcessAndElementNodes) {
    WebTreeNode process{"P1", "Checkout", "p12", "PROGFLOWTITLE", ""};
    auto prep = app::ShowWebOperationNodeMenu(menu, *db, &process, 2);
    EXPECT_TRUE(prep.popup);
    EXPECT_EQ(menu.ShownItems(), (Items{NodeMenuItem::ProcDiagram, NodeMenuItem::DeleteNode, NodeMenuItem::Sep2}));
    EXPECT_EQ(menu[NodeMenuItem::ProcDiagram].tag, JoinTag("Checkout", "12"));
    EXPECT_EQ(prep.deleteTag, JoinTag("UC2", "12"));

    WebTreeNode element{"E4", "Screen 4", "E4", "progflowtitle", ""};
    prep = app::ShowWebOperationNodeMenu(menu, *db, &element, 2);
    EXPECT_EQ(menu.ShownItems(), (Items{NodeMenuItem::DefineMessages, NodeMenuItem::ProcDiagram,
                                        NodeMenuItem::DeleteNode, NodeMenuItem::Sep2, NodeMenuItem::Key}));
    EXPECT_EQ(menu[NodeMenuItem::DefineMessages].tag, JoinTag("1", "E4"));
    EXPECT_EQ(menu[NodeMenuItem::Key].tag, "4");

    // Under another root the process gets no delete Tag, and none is left over.
    WebTreeNode stray{"P2", "Stray", "p13", "OTHER", ""};
    prep = app::ShowWebOperationNodeMenu(menu, *db, &stray, 2);
    EXPECT_FALSE(prep.deleteTag);
    EXPECT_EQ(menu[NodeMenuItem::DeleteNode].tag, "");
}

TEST_F(WebTreeMenusTest, ServicesTreeMenus) {
    WebTreeNode service{"Key3", "Bestellung \"Süd\"", "3", "Key3", "3"};
    auto prep = app::ShowWebServiceNodeMenu(menu, true, &service, 2);
    EXPECT_TRUE(prep.popup);
    EXPECT_EQ(menu.ShownItems(), (Items{NodeMenuItem::NewWebService, NodeMenuItem::SaveWebService,
                                        NodeMenuItem::Sep3, NodeMenuItem::DeleteNode}));
    EXPECT_EQ(menu[NodeMenuItem::SaveWebService].tag, JoinTag("Bestellung \"Süd\"", "3"));
    EXPECT_EQ(menu[NodeMenuItem::DeleteNode].tag, JoinTag("WS", "3"));

    WebTreeNode member{"3n12", "Order", "3n12", "Key3", "3"};
    prep = app::ShowWebServiceNodeMenu(menu, true, &member, 2);
    EXPECT_EQ(menu.ShownItems(), (Items{NodeMenuItem::NewWebService, NodeMenuItem::Sep3, NodeMenuItem::DeleteNode}));
    EXPECT_EQ(prep.deleteTag, JoinTag("WU", "3n12"));

    prep = app::ShowWebServiceNodeMenu(menu, true, nullptr, 2);
    EXPECT_TRUE(prep.popup);
    EXPECT_EQ(menu.ShownItems(), (Items{NodeMenuItem::NewWebService}));
    EXPECT_FALSE(menu[NodeMenuItem::DeleteNode].enabled);
    EXPECT_FALSE(prep.deleteTag);
    EXPECT_EQ(menu[NodeMenuItem::DeleteNode].tag, "");

    // Without an open workspace: no menu, and no Tag to delete by.
    app::ShowWebServiceNodeMenu(menu, true, &service, 2);
    prep = app::ShowWebServiceNodeMenu(menu, false, &service, 2);
    EXPECT_FALSE(prep.popup);
    EXPECT_FALSE(prep.deleteTag);
    EXPECT_EQ(menu[NodeMenuItem::DeleteNode].tag, "");
}

}  // namespace
