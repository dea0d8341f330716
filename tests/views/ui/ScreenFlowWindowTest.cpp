// The screen interaction plot and its link direction dialogs on the sample:
// one window drawn once and shown again as drawn, the stub switch that waits
// for Refresh, a Refresh that fails or runs inside another, boxes and links
// that open the viewer and the dialogs, and the unload at the workspace close.

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>

#include <set>

#include "platform/diagram/DiagramModel.h"
#include "platform/ui/core/WindowSettingsStore.h"
#include "tests/views/ui/SampleWindowsFixture.h"
#include "views/ScreenFlowPlot.h"
#include "views/ui/frmDefRel.h"
#include "views/ui/frmScreenFlow.h"

namespace {

using views::ui::frmDefRel;
using views::ui::frmScreenFlow;
using viewsuitest::SampleWindows;

class ScreenFlowWindowTest : public SampleWindows {
protected:
    void SetUp() override { Globals::g_StubScrn = false; }
    void TearDown() override {
        if (frmScreenFlow* plot = views::ui::ScreenFlowWindow()) plot->Discard();
        Settle();
        Globals::g_StubScrn = false;
        Globals::g_Database->Execute("DROP VIEW IF EXISTS tmpLS");
        SampleWindows::TearDown();
    }

    static std::set<std::string> Keys(const platform::diagram::DiagramModel& model, bool links) {
        std::set<std::string> keys;
        if (links)
            for (const auto& l : model.Links()) keys.insert(l->key);
        else
            for (const auto& s : model.Shapes()) keys.insert(s->key);
        return keys;
    }

    QWidget owner;
};

TEST_F(ScreenFlowWindowTest, OneWindowDrawnOnceThenShownAgainAsDrawn) {
    int shown = 0;
    auto count = [&shown](QWidget*) { ++shown; };
    QPointer<frmScreenFlow> plot = views::ui::ShowScreenFlow(&owner, count);
    ASSERT_TRUE(plot);
    EXPECT_EQ(plot->Tag(), "ScreenFlow");
    EXPECT_EQ(plot->Owner, &owner);
    EXPECT_TRUE(plot->isVisible());
    EXPECT_EQ(shown, 1);
    // What the headless build draws, stub screens left out.
    platform::diagram::DiagramModel expected;
    views::BuildScreenFlow(expected, *Globals::g_Database, false);
    EXPECT_EQ(Keys(plot->dgmSF->Model(), false), Keys(expected, false));
    EXPECT_EQ(Keys(plot->dgmSF->Model(), true), Keys(expected, true));

    // Closed while the workspace is open: only hidden.
    plot->close();
    Settle();
    ASSERT_TRUE(plot);
    EXPECT_TRUE(plot->isHidden());
    EXPECT_EQ(views::ui::ScreenFlowWindow(), plot.data());

    // Opened again: the same drawing, the table not rebuilt.
    Globals::g_Database->Execute("UPDATE sfScreenRels SET Directed = -1");
    const auto generation = plot->dgmSF->Model().Generation();
    EXPECT_EQ(views::ui::ShowScreenFlow(&owner, count), plot.data());
    EXPECT_TRUE(plot->isVisible());
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(plot->dgmSF->Model().Generation(), generation);
    EXPECT_EQ(Globals::g_Database->Scalar("SELECT COUNT(*) FROM sfScreenRels WHERE Directed = 0").AsInt(), 0);
    EXPECT_EQ(Count<frmScreenFlow>(), 1);

    // The stub switch changes nothing until Refresh.
    plot->mnuStubScrns->trigger();
    EXPECT_TRUE(Globals::g_StubScrn);
    EXPECT_EQ(plot->dgmSF->Model().Generation(), generation);
    plot->mnuRefresh->trigger();
    views::BuildScreenFlow(expected, *Globals::g_Database, true);
    EXPECT_EQ(Keys(plot->dgmSF->Model(), false), Keys(expected, false));
    EXPECT_EQ(Keys(plot->dgmSF->Model(), true), Keys(expected, true));

    // DisableControl keeps only what it disabled itself.
    plot->DisableControl(plot->mnuRefresh);
    plot->DisableControl(plot->mnuRefresh);
    plot->DisableControl(plot->dgmSF);
    EXPECT_FALSE(plot->mnuRefresh->isEnabled());
    EXPECT_FALSE(plot->dgmSF->isEnabled());
    EXPECT_EQ(plot->ToBeEnabled, (QList<QPointer<QObject>>{plot->mnuRefresh, plot->dgmSF}));
}

TEST_F(ScreenFlowWindowTest, RefreshNeverStartsInsideADrawAndOneThatFailsKeepsTheDrawing) {
    QPointer<frmScreenFlow> plot = views::ui::ShowScreenFlow(&owner);
    ASSERT_TRUE(plot);
    testsupport::ScriptedPrompt prompt;
    plot->Prompt = &prompt;
    const auto links = Keys(plot->dgmSF->Model(), true);

    // Runs when the draw first lets events through: neither a second draw
    // nor a second opening starts there.
    bool ran = false, refreshOn = true;
    uint64_t before = 0, after = 0;
    QMetaObject::invokeMethod(
        plot,
        [&] {
            ran = plot->IsDrawing();
            refreshOn = plot->mnuRefresh->isEnabled();
            before = plot->dgmSF->Model().Generation();
            plot->Draw();
            EXPECT_EQ(views::ui::ShowScreenFlow(&owner), plot.data());
            after = plot->dgmSF->Model().Generation();
        },
        Qt::QueuedConnection);
    plot->mnuRefresh->trigger();
    ASSERT_TRUE(ran);
    EXPECT_FALSE(refreshOn);
    EXPECT_EQ(after, before);
    EXPECT_EQ(Keys(plot->dgmSF->Model(), true), links);

    Globals::g_Database->Execute("CREATE VIEW tmpLS AS SELECT 1 AS X");
    plot->mnuRefresh->trigger();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].rfind("The plot could not be drawn:\n", 0), 0u) << prompt.asked[0];
    EXPECT_EQ(Keys(plot->dgmSF->Model(), true), links);
    EXPECT_FALSE(plot->IsDrawing());
    EXPECT_TRUE(plot->mnuRefresh->isEnabled());
}

TEST_F(ScreenFlowWindowTest, BoxesOpenTheViewerAndLinksOneDialogEachUntilTheNextDraw) {
    Globals::g_StubScrn = true;
    frmScreenFlow* plot = views::ui::ShowScreenFlow(&owner);
    ASSERT_TRUE(plot);
    const auto& model = plot->dgmSF->Model();
    auto box = [&](auto pred) {
        for (const auto& s : model.Shapes())
            if (pred(*s)) return s.get();
        return static_cast<platform::diagram::Shape*>(nullptr);
    };
    platform::diagram::Shape* stub = box([](const auto& s) { return s.lineColor == 255; });
    platform::diagram::Shape* program = box([](const auto& s) { return s.text == "ORDMENU"; });
    ASSERT_TRUE(stub && program);
    plot->dgmSF_ShapeActivated(stub);
    EXPECT_EQ(views::ui::SourceViewer(), nullptr);
    plot->dgmSF_ShapeActivated(program);
    ASSERT_TRUE(views::ui::SourceViewer());
    EXPECT_EQ(views::ui::SourceViewer()->Tag().toStdString(), Id("ORDMENU") + "-Source");
    EXPECT_EQ(views::ui::SourceViewer()->Owner, plot);

    // A two-way link from the program to one of its screens, twice: one
    // dialog, with the program in the left screen's role.
    platform::diagram::Link* link = nullptr;
    for (const auto& l : model.Links())
        if (l->from == program && !link) link = l.get();
    ASSERT_TRUE(link);
    plot->dgmSF_LinkActivated(link);
    plot->dgmSF_LinkActivated(link);
    ASSERT_EQ(Count<frmDefRel>(), 1);
    frmDefRel* dialog = views::ui::FindRelationshipWindow(QString::fromStdString(link->key + "-Relationship"));
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->Owner, plot);
    EXPECT_TRUE(dialog->isVisible());
    for (QWidget* hidden : std::initializer_list<QWidget*>{dialog->lblInstruct, dialog->cmdP1, dialog->cmdP2,
                                                          dialog->cmdCancel})
        EXPECT_FALSE(hidden->isVisibleTo(dialog)) << hidden->objectName().toStdString();
    const auto& boxes = dialog->dgmDefRel->Model();
    EXPECT_EQ(boxes.ShapeCount(), 4u);
    EXPECT_EQ(boxes.LinkCount(), 3u);
    EXPECT_EQ(boxes.FindShape("LeftScreen")->text, "ORDMENU");
    EXPECT_EQ(boxes.FindShape("LeftScreen")->textColor, platform::diagram::Rgb(0, 255, 0));
    // The dialog is as large as its drawing, whatever size it was given at
    // first, and shows all of it without scrolling.
    EXPECT_EQ(dialog->size(), dialog->dgmDefRel->DrawingSize());
    Settle();
    EXPECT_EQ(dialog->dgmDefRel->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(dialog->dgmDefRel->verticalScrollBar()->maximum(), 0);

    // Another link, another dialog; a redraw numbers the links afresh and
    // closes both.
    plot->dgmSF_LinkActivated(model.Links().front().get() == link ? model.Links().back().get()
                                                                   : model.Links().front().get());
    EXPECT_EQ(Count<frmDefRel>(), 2);
    plot->mnuRefresh->trigger();
    EXPECT_EQ(Count<frmDefRel>(), 0);
}

TEST_F(ScreenFlowWindowTest, WorkspaceCloseUnloadsForGoodAndKeepsPlacementAndSwitch) {
    const QString placement =
        QString::fromStdString(WindowSettings::SettingKey("QuarvelAnalyzer", "Settings\\ScreenFlow", "Placement"));
    QSettings().remove(placement);
    QPointer<frmScreenFlow> plot = views::ui::ShowScreenFlow(&owner);
    ASSERT_TRUE(plot);
    plot->mnuStubScrns->trigger();
    plot->dgmSF_LinkActivated(plot->dgmSF->Model().Links().front().get());
    ASSERT_EQ(Count<frmDefRel>(), 1);
    plot->close();
    EXPECT_FALSE(QSettings().contains(placement));

    // The Options dialog changed the flag meanwhile; the plot's check mark wins.
    Globals::g_StubScrn = false;
    Globals::g_WorkspaceOpen = false;
    plot->close();
    Globals::g_WorkspaceOpen = true;
    Settle();
    EXPECT_TRUE(plot.isNull());
    EXPECT_EQ(views::ui::ScreenFlowWindow(), nullptr);
    EXPECT_EQ(Count<frmDefRel>(), 0);
    EXPECT_TRUE(Globals::g_StubScrn);
    EXPECT_TRUE(QSettings().contains(placement));

    // The next opening draws a new window with the switch as it was left.
    plot = views::ui::ShowScreenFlow(&owner);
    ASSERT_TRUE(plot);
    EXPECT_TRUE(plot->mnuStubScrns->isChecked());
}

}  // namespace
