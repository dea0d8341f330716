// The busy bracket, the commands and the close guard.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <stdexcept>

#include "app/InstallCommands.h"
#include "tests/app/AppTestSupport.h"

using namespace apptest;

namespace {

class Busy : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetLayout();
        w = NewMainWindow();
        w->SetPrompt(&prompt);
    }
    void TearDown() override { ForgetLayout(); }

    // Every command and pane control with its availability.
    std::map<QObject*, bool> Snapshot() const {
        std::map<QObject*, bool> s;
        for (QAction* a : w->findChildren<QAction*>())
            if (!a->isSeparator() && !a->objectName().isEmpty()) s[a] = a->isEnabled();
        for (const auto& [caption, control] : w->cPaneObjs()) s[control] = control->isEnabled();
        return s;
    }

    std::unique_ptr<frmMain> w;
    testsupport::ScriptedPrompt prompt;
};

}  // namespace

TEST_F(Busy, DisablesEverythingAndRestoresExactlyThePriorState) {
    // A mixed state: a workspace loaded, one report command off, one pane
    // control off.
    w->EnableToolsMenu(true);
    w->SetCommandEnabled("mnuToolsGenerateReports", true);
    w->SetCommandEnabled("mnuFileOpenWorkspace", true);
    w->SetCommandEnabled("mnuToolsCRUD", false);
    w->trWebServices->setEnabled(false);
    const auto before = Snapshot();

    w->DisableControls();
    EXPECT_TRUE(w->IsBusy());
    for (const auto& [control, enabled] : Snapshot()) {
        if (auto* a = qobject_cast<QAction*>(control)) {
            EXPECT_FALSE(enabled) << a->objectName().toStdString();
        }
    }
    EXPECT_FALSE(w->trSummary->isEnabled());
    EXPECT_FALSE(w->tbLog->isEnabled());
    EXPECT_FALSE(w->mnuFile->menuAction()->isEnabled());
    EXPECT_TRUE(w->cmdCancel->isEnabled());

    w->EnableControls();
    EXPECT_FALSE(w->IsBusy());
    EXPECT_EQ(Snapshot(), before);
    // The toolbar button disabled before the bracket stays disabled.
    EXPECT_FALSE(w->Buttons("CRUDOverlap")->isEnabled());
    EXPECT_FALSE(w->cmdCancel->isEnabled());
}

TEST_F(Busy, NestedBracketsActOnlyAtTheOutermost) {
    w->EnableToolsMenu(true);
    const auto before = Snapshot();
    w->DisableControls();
    w->DisableControls();
    w->EnableControls();
    EXPECT_TRUE(w->IsBusy());
    EXPECT_FALSE(w->mnuTools->menuAction()->isEnabled());
    w->EnableControls();
    EXPECT_EQ(Snapshot(), before);
    // An extra close is ignored.
    w->EnableControls();
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(Busy, ChangesMadeInsideABracketApplyWhenItEnds) {
    w->SetCommandEnabled("mnuFileRefreshWorkspace", true);
    w->DisableControls();
    // A load inside the bracket enables the Tools menu and closes the
    // refresh command; neither shows while busy.
    w->EnableToolsMenu(true);
    w->SetCommandEnabled("mnuFileRefreshWorkspace", false);
    w->SetCommandEnabled("mnuToolsGenerateReports", true);
    EXPECT_FALSE(w->mnuTools->menuAction()->isEnabled());
    EXPECT_FALSE(w->mnuToolsGenerateReports->isEnabled());
    w->EnableControls();
    EXPECT_TRUE(w->mnuTools->menuAction()->isEnabled());
    EXPECT_TRUE(w->mnuToolsGenerateReports->isEnabled());
    EXPECT_FALSE(w->mnuFileRefreshWorkspace->isEnabled());
    EXPECT_FALSE(w->Buttons("Refresh")->isEnabled());

    // DisableControl inside a bracket is undone by it; outside it sticks.
    w->DisableControls();
    w->DisableControl(w->trSummary);
    w->EnableControls();
    EXPECT_TRUE(w->trSummary->isEnabled());
    w->DisableControl(w->trSummary);
    EXPECT_FALSE(w->trSummary->isEnabled());
}

TEST_F(Busy, ScopeRestoresTheWindowWhenACommandFails) {
    w->EnableToolsMenu(true);
    const auto before = Snapshot();
    try {
        platform::ui::BusyScope busy(*w);
        common::ProgressScope progress(*w, "Reports", 3, true);
        throw std::runtime_error("disk full");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(w->IsBusy());
    EXPECT_EQ(w->ProgressLevel(), 0);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(Busy, CommandsRunTheirHandlersFromMenuAndToolbar) {
    int runs = 0;
    w->SetCommand("mnuToolsCRUD", [&] { ++runs; });
    w->EnableToolsMenu(true);
    w->SetCommandEnabled("mnuToolsCRUD", true);
    w->mnuToolsCRUD->trigger();
    w->tbButtons_ButtonClick("crudoverlap");  // key letter case ignored
    EXPECT_EQ(runs, 2);
    w->tbButtons_ButtonClick("NoSuchKey");
    // A replaced handler runs alone.
    int other = 0;
    w->SetCommand("mnuToolsCRUD", [&] { ++other; });
    w->tbButtons_ButtonClick("CRUDOverlap");
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(other, 1);
    // Nothing runs while the command is unavailable or the window busy.
    w->DisableControls();
    w->tbButtons_ButtonClick("CRUDOverlap");
    w->mnuToolsCRUD->trigger();
    w->EnableControls();
    w->SetCommandEnabled("mnuToolsCRUD", false);
    w->tbButtons_ButtonClick("CRUDOverlap");
    EXPECT_EQ(other, 1);
}

TEST_F(Busy, CloseIsRefusedWhileBusyOrInProgress) {
    ShowAt(*w);
    int closes = 0;
    w->SetCloseWorkspace([&] { ++closes; });

    w->DisableControls();
    EXPECT_FALSE(w->close());
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0], "Cancel the current operation first and then close the application.");
    EXPECT_EQ(prompt.titles[0], "Quarvel Analyzer");
    w->EnableControls();

    // A progress level open outside a bracket counts too.
    w->StartProgress("Loading", 1, false);
    EXPECT_FALSE(w->close());
    EXPECT_EQ(prompt.asked.size(), 2u);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(SavedLayout().isEmpty());
    w->FinishProgress();

    // Idle: the workspace closes, the layout is saved, the window goes.
    EXPECT_TRUE(w->close());
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(SavedLayout().startsWith("QuarvelAnalyzerv1|"));
    EXPECT_EQ(prompt.asked.size(), 2u);
    EXPECT_EQ(Globals::g_MainForm, nullptr);
}

TEST_F(Busy, FileCloseClosesTheWindow) {
    app::InstallCommands(*w);
    ShowAt(*w);
    w->mnuFileClose->trigger();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->AboutText(), "Quarvel Analyzer 1.0");
}

TEST_F(Busy, OperationsAskThroughTheWindowsPrompt) {
    prompt.answers = {common::Answer::No};
    common::IPrompt& asIPrompt = *w;
    EXPECT_EQ(asIPrompt.Ask("Overwrite?", "Save", common::Buttons::YesNo, common::Icon::Question), common::Answer::No);
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.titles[0], "Save");
}
