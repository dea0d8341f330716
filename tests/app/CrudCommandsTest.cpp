// Tools > CRUD Overlap and the node command "&CRUD Signature" on the real
// main window with the OrderEntry sample.

#include <QTreeWidget>

#include "app/CommandsEnabling.h"
#include "app/CommandsTools.h"
#include "app/NodeMenuCommands.h"
#include "reports/CrudComparison.h"
#include "reports/ui/frmCRUDComp.h"
#include "reports/ui/frmCRUDSig.h"
#include "tests/app/WorkspaceSampleFixture.h"

namespace {

using apptest::WorkspaceSampleTest;

class CrudCommandsTest : public WorkspaceSampleTest {
protected:
    void SetUp() override {
        WorkspaceSampleTest::SetUp();
        apptest::ShowAt(*main);
        Open(sample);
        ASSERT_TRUE(Globals::g_Database);
    }
    QAction* Crud() { return main->Command("mnuToolsCRUD"); }
    reports::ui::frmCRUDComp* Comparison() {
        return qobject_cast<reports::ui::frmCRUDComp*>(app::FindTaggedWindow(app::kCrudComparisonTag));
    }
};

TEST_F(CrudCommandsTest, OverlapListsThePairsAndHoldsTheCommandWhileItsWindowIsOpen) {
    ASSERT_TRUE(Crud()->isEnabled());
    Crud()->trigger();
    reports::ui::frmCRUDComp* window = Comparison();
    ASSERT_TRUE(window) << (prompt.asked.empty() ? "" : prompt.asked.back());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Owner, main.get());
    const auto rows = mdlReports::ReadCRUDComparison(mdlReports::CrudComparisonPath(Globals::g_WorkspaceFolder));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(window->lvCRUDComp->topLevelItemCount(), static_cast<int>(rows.size()));
    EXPECT_FALSE(Crud()->isEnabled());

    window->close();
    apptest::Await([&] { return !Comparison(); }, "the window to go");
    EXPECT_TRUE(Crud()->isEnabled());
    // A new run shows a new window.
    Crud()->trigger();
    EXPECT_TRUE(Comparison());
}

TEST_F(CrudCommandsTest, WithoutSharedCrudsTheAnalystIsToldAndNoWindowOpens) {
    Globals::g_Database->Execute("DELETE FROM Rels WHERE RelName = 'access'");
    Crud()->trigger();
    EXPECT_FALSE(Comparison());
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0], "No CRUD issues found.");
    EXPECT_EQ(prompt.titles[0], "CRUD Issues");
    EXPECT_TRUE(Crud()->isEnabled());
}

TEST_F(CrudCommandsTest, SummaryProgramsOfferTheirSignature) {
    const std::string id = Globals::g_Database->Scalar(
        "SELECT Rels.Id1 FROM Rels INNER JOIN Ents ON Rels.Id1 = Ents.ID WHERE RelName = 'access' "
        "GROUP BY Rels.Id1 ORDER BY COUNT(*) DESC LIMIT 1").AsText();
    QTreeWidgetItem* node = Summary(id);
    ASSERT_TRUE(node) << id;
    app::ShowSummaryNodeMenu(*main, node, 1, {});   // a left click prepares the menu without showing it
    EXPECT_TRUE(main->mnuNCCRUDSig->isVisible());
    main->mnuNCCRUDSig->trigger();
    reports::ui::frmCRUDSig* window = reports::ui::FindCRUDSignatureWindow(id);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), node->text(0) + " - CRUD Signature");
    EXPECT_EQ(window->Owner, main.get());
    EXPECT_GT(window->lstCRUD->topLevelItemCount(), 0);
}

}  // namespace
