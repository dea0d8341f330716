#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "services/NodeMenu.h"

namespace {

using services::JoinTag;
using services::NodeMenu;
using services::NodeMenuItem;
using services::SplitTag;
using services::SummaryNodeRef;
using Items = std::vector<NodeMenuItem>;

// Repository languages by entity key; a key that is absent is unknown.
services::LanguageLookup Languages(std::map<std::string, std::string> languages) {
    return [languages](const std::string& key) -> std::optional<std::string> {
        auto it = languages.find(key);
        if (it == languages.end()) return std::nullopt;
        return it->second;
    };
}

const services::LanguageLookup kRepo = Languages({{"PROGRAM#1", "COBOL"},
                                                  {"PROGRAM#2", "rpg"},
                                                  {"PROGRAM#3", "ASSEMBLER"},
                                                  {"PROGRAM#4", ""}});

TEST(NodeMenuTest, CreationStatesAndResetLeaveOnlyDeleteAndItsSeparator) {
    NodeMenu menu;
    EXPECT_FALSE(menu[NodeMenuItem::ScrnWebSvc].visible);
    EXPECT_FALSE(menu[NodeMenuItem::DeleteNode].visible);
    EXPECT_TRUE(menu[NodeMenuItem::ViewSource].visible);
    EXPECT_FALSE(menu[NodeMenuItem::ViewSource].enabled);

    menu[NodeMenuItem::Description].tag = JoinTag("A", "MAP#1");
    menu[NodeMenuItem::ScrnWebSvc].enabled = false;
    menu.Reset();
    EXPECT_EQ(menu.ShownItems(), (Items{NodeMenuItem::DeleteNode, NodeMenuItem::Sep2}));
    EXPECT_TRUE(menu[NodeMenuItem::DeleteNode].enabled);
    EXPECT_TRUE(menu[NodeMenuItem::Sep2].enabled);
    for (NodeMenuItem item : NodeMenu::Items()) {
        if (item == NodeMenuItem::DeleteNode || item == NodeMenuItem::Sep2 || item == NodeMenuItem::ScrnWebSvc)
            continue;
        EXPECT_FALSE(menu[item].enabled) << NodeMenu::ObjectName(item);
    }
    // The wizard item is left alone, and no Tag changes.
    EXPECT_FALSE(menu[NodeMenuItem::ScrnWebSvc].enabled);
    EXPECT_EQ(menu[NodeMenuItem::Description].tag, JoinTag("A", "MAP#1"));
}

TEST(NodeMenuTest, NamesAndCaptionsFollowMenuOrder) {
    ASSERT_EQ(NodeMenu::Items().size(), 17u);
    EXPECT_STREQ(NodeMenu::ObjectName(NodeMenu::Items().front()), "mnuNCFlowContext");
    EXPECT_STREQ(NodeMenu::ObjectName(NodeMenu::Items().back()), "mnuNCDescription");
    EXPECT_STREQ(NodeMenu::Caption(NodeMenuItem::DeleteNode), "D&elete Node");
    EXPECT_TRUE(NodeMenu::IsSeparator(NodeMenuItem::Sep3));
    EXPECT_FALSE(NodeMenu::IsSeparator(NodeMenuItem::Key));
    EXPECT_EQ(NodeMenu::FromObjectName("MNUNCKEY"), NodeMenuItem::Key);
    EXPECT_FALSE(NodeMenu::FromObjectName("mnuNCNothing"));
}

TEST(NodeMenuTest, TagsSplitAtTheFirstNulOnly) {
    const std::string tag = JoinTag("O'Brien's Shop", std::string("MAP#1\0x", 7));
    auto fields = SplitTag(tag);
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->first, "O'Brien's Shop");
    EXPECT_EQ(fields->second, std::string("MAP#1\0x", 7));
    EXPECT_EQ(SplitTag(JoinTag("", ""))->second, "");
    EXPECT_FALSE(SplitTag("UC1 12"));
}

TEST(NodeMenuTest, SummaryNodesWithoutEntityGetNoMenu) {
    NodeMenu menu;
    EXPECT_FALSE(services::ShowSummaryNodeMenu(menu, nullptr, 2, kRepo));
    EXPECT_EQ(menu.ShownItems(), (Items{NodeMenuItem::DeleteNode, NodeMenuItem::Sep2}));
    const SummaryNodeRef group{"Screens", "12 Screens", ""};
    const SummaryNodeRef branch{"Client Branch", "7 Client Branch*", ""};
    EXPECT_FALSE(services::ShowSummaryNodeMenu(menu, &group, 2, kRepo));
    EXPECT_FALSE(services::ShowSummaryNodeMenu(menu, &branch, 2, kRepo));
}

TEST(NodeMenuTest, ScreensAndOtherEntities) {
    NodeMenu menu;
    const SummaryNodeRef screen{"MAP#4", "ORDER ENTRY", "MAP"};
    EXPECT_TRUE(services::ShowSummaryNodeMenu(menu, &screen, 2, kRepo));
    EXPECT_EQ(menu.ShownItems(), (Items{NodeMenuItem::ViewSource, NodeMenuItem::Sep2, NodeMenuItem::Description}));
    EXPECT_EQ(menu[NodeMenuItem::ViewSource].tag, JoinTag("ORDER ENTRY", "MAP#4"));
    EXPECT_EQ(menu[NodeMenuItem::Description].tag, JoinTag("ORDER ENTRY", "MAP#4"));

    for (const SummaryNodeRef& other : {SummaryNodeRef{"map#5", "NOSRC", "stubmap"},
                                        SummaryNodeRef{"TABLE#9", "CUSTOMER", "TABLE"},
                                        SummaryNodeRef{"DUMMYSTORE#40", "PORT1", "DATAPORT"},
                                        SummaryNodeRef{"PROGRAM#77", "GHOST", "PROGRAM"}}) {
        EXPECT_TRUE(services::ShowSummaryNodeMenu(menu, &other, 2, kRepo)) << other.key;
        EXPECT_EQ(menu.ShownItems(), Items{NodeMenuItem::Description}) << other.key;
        EXPECT_EQ(menu[NodeMenuItem::Description].tag, JoinTag(other.text, other.key));
        // Hidden, not disabled: the delete item keeps the reset's state.
        EXPECT_TRUE(menu[NodeMenuItem::DeleteNode].enabled);
    }
}

TEST(NodeMenuTest, ProgramsByLanguage) {
    NodeMenu menu;
    const Items withSource{NodeMenuItem::FlowContext, NodeMenuItem::Sep1,  NodeMenuItem::SetWebSvc,
                           NodeMenuItem::ViewSource,  NodeMenuItem::CRUDSig, NodeMenuItem::Sep2,
                           NodeMenuItem::Description};
    const Items withoutSource{NodeMenuItem::FlowContext, NodeMenuItem::Sep1, NodeMenuItem::SetWebSvc,
                              NodeMenuItem::CRUDSig,     NodeMenuItem::Sep2, NodeMenuItem::Description};
    const SummaryNodeRef cobol{"PROGRAM#1", "PAY'ROLL 1", "PROGRAM"};
    const SummaryNodeRef rpg{"program#2", "INV", "PROGRAM"};
    const SummaryNodeRef assembler{"PROGRAM#3", "ASM", "PROGRAM"};
    const SummaryNodeRef noLanguage{"PROGRAM#4", "NOLANG", "PROGRAM"};

    EXPECT_TRUE(services::ShowSummaryNodeMenu(menu, &cobol, 2, kRepo));
    EXPECT_EQ(menu.ShownItems(), withSource);
    for (NodeMenuItem item : {NodeMenuItem::FlowContext, NodeMenuItem::SetWebSvc, NodeMenuItem::ViewSource,
                              NodeMenuItem::CRUDSig, NodeMenuItem::Description})
        EXPECT_EQ(menu[item].tag, JoinTag("PAY'ROLL 1", "PROGRAM#1")) << NodeMenu::ObjectName(item);

    EXPECT_TRUE(services::ShowSummaryNodeMenu(menu, &rpg, 2, Languages({{"program#2", "rpg"}})));
    EXPECT_EQ(menu.ShownItems(), withSource);
    EXPECT_TRUE(services::ShowSummaryNodeMenu(menu, &assembler, 2, kRepo));
    EXPECT_EQ(menu.ShownItems(), withoutSource);
    EXPECT_TRUE(services::ShowSummaryNodeMenu(menu, &noLanguage, 2, kRepo));
    EXPECT_EQ(menu.ShownItems(), withoutSource);
    // The menu's Tags stay from the previous preparation where this one set none.
    EXPECT_EQ(menu[NodeMenuItem::ViewSource].tag, JoinTag("INV", "program#2"));
}

TEST(NodeMenuTest, UnreachableRepositoryMakesAProgramAnOtherEntity) {
    NodeMenu menu;
    const SummaryNodeRef program{"PROGRAM#1", "PAY", "PROGRAM"};
    auto failing = [](const std::string&) -> std::optional<std::string> { throw std::runtime_error("closed"); };
    EXPECT_TRUE(services::ShowSummaryNodeMenu(menu, &program, 2, failing));
    EXPECT_EQ(menu.ShownItems(), Items{NodeMenuItem::Description});
    EXPECT_TRUE(services::ShowSummaryNodeMenu(menu, &program, 2, nullptr));
    EXPECT_EQ(menu.ShownItems(), Items{NodeMenuItem::Description});
}

TEST(NodeMenuTest, LeftClickPreparesWithoutPopupAndLatestPreparationWins) {
    NodeMenu menu;
    const SummaryNodeRef first{"PROGRAM#1", "FIRST", "PROGRAM"};
    const SummaryNodeRef second{"PROGRAM#3", "SECOND", "PROGRAM"};
    EXPECT_TRUE(services::ShowSummaryNodeMenu(menu, &first, 2, kRepo));
    EXPECT_FALSE(services::ShowSummaryNodeMenu(menu, &second, 1, kRepo));
    EXPECT_TRUE(services::ShowSummaryNodeMenu(menu, &second, 3, kRepo));
    EXPECT_EQ(menu[NodeMenuItem::Description].tag, JoinTag("SECOND", "PROGRAM#3"));
    EXPECT_FALSE(menu[NodeMenuItem::DeleteNode].visible);
}

TEST(NodeMenuTest, OnlyShiftF10AsksForTheMenu) {
    EXPECT_TRUE(services::IsContextMenuKey(121, 1));
    EXPECT_FALSE(services::IsContextMenuKey(121, 0));
    EXPECT_FALSE(services::IsContextMenuKey(121, 3));
    EXPECT_FALSE(services::IsContextMenuKey(120, 1));
}

}  // namespace
