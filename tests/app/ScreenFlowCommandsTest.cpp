// Tools > Screen Interaction Plot and the toolbar button "Screens" on the
// sample: held while the plot is on screen, back when it is hidden or its
// first draw fails (which is told), the plot shown again without a redraw,
// and unloaded with the workspace.

#include <QPointer>

#include "tests/app/WorkspaceSampleFixture.h"
#include "views/ui/frmScreenFlow.h"

namespace {

using views::ui::frmScreenFlow;

class ScreenFlowCommandsTest : public apptest::WorkspaceSampleTest {
protected:
    void SetUp() override {
        WorkspaceSampleTest::SetUp();
        Open(sample);
        ASSERT_TRUE(Globals::g_WorkspaceOpen);
    }
    bool CommandOn() const { return main->mnuToolsScreenFlow->isEnabled(); }
};

TEST_F(ScreenFlowCommandsTest, HeldWhileShownAndBackWhenHiddenOrWhenTheFirstDrawFails) {
    ASSERT_EQ(main->Buttons("Screens"), main->mnuToolsScreenFlow);
    Globals::g_Database->Execute("CREATE VIEW tmpLS AS SELECT 1 AS X");
    main->mnuToolsScreenFlow->trigger();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].rfind("Screen Interaction Plot failed:\n", 0), 0u) << prompt.asked[0];
    EXPECT_EQ(views::ui::ScreenFlowWindow(), nullptr);
    EXPECT_TRUE(CommandOn());

    Globals::g_Database->Execute("DROP VIEW tmpLS");
    main->mnuToolsScreenFlow->trigger();
    QPointer<frmScreenFlow> plot = views::ui::ScreenFlowWindow();
    ASSERT_TRUE(plot);
    EXPECT_TRUE(plot->isVisible());
    EXPECT_EQ(plot->Owner, main.get());
    EXPECT_GT(plot->dgmSF->Model().ShapeCount(), 0u);
    EXPECT_FALSE(CommandOn());

    plot->close();
    EXPECT_TRUE(plot && plot->isHidden());
    EXPECT_TRUE(CommandOn());

    // The toolbar button brings the same drawing back.
    const auto generation = plot->dgmSF->Model().Generation();
    main->tbButtons_ButtonClick("Screens");
    EXPECT_EQ(views::ui::ScreenFlowWindow(), plot.data());
    EXPECT_TRUE(plot->isVisible());
    EXPECT_EQ(plot->dgmSF->Model().Generation(), generation);
    EXPECT_FALSE(CommandOn());
    EXPECT_EQ(prompt.asked.size(), 1u);
}

TEST_F(ScreenFlowCommandsTest, WorkspaceCloseUnloadsThePlot) {
    main->mnuToolsScreenFlow->trigger();
    QPointer<frmScreenFlow> plot = views::ui::ScreenFlowWindow();
    ASSERT_TRUE(plot);
    plot->close();   // hidden, still loaded
    ASSERT_TRUE(plot);

    main->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(plot.isNull());
    EXPECT_EQ(views::ui::ScreenFlowWindow(), nullptr);
}

}  // namespace
