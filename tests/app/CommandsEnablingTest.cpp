// Which commands are available before and after a workspace load, with and
// without the services of the Tools commands, inside and outside a busy
// bracket, and while a single window holds its command.
#include <gtest/gtest.h>

#include <QMenu>
#include <QWidget>

#include <memory>
#include <string>

#include "app/CommandsEnabling.h"
#include "app/CommandsTools.h"
#include "app/InstallCommands.h"
#include "tests/app/AppTestSupport.h"

using namespace apptest;

namespace {

class Enabling : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetLayout();
        w = NewMainWindow();
        w->SetPrompt(&prompt);
        app::InstallCommands(*w);
    }
    void TearDown() override { ForgetLayout(); }

    bool On(const char* name) const { return w->Command(name)->isEnabled(); }
    bool ButtonOn(const char* key) const { return w->Buttons(key)->isEnabled(); }

    // Every Tools service, doing nothing.
    static app::ToolServices AllServices() {
        app::ToolServices s;
        s.showScreenFlow = [] {};
        s.getCRUDReport = [](platform::ui::IMainWindow&) { return app::CrudOutcome::NoSimilarPairs; };
        s.crudComparisonWindow = [](QWidget* owner) { return new QWidget(owner, Qt::Window); };
        s.newIssuesWindow = [](QWidget* owner) { return new QWidget(owner, Qt::Window); };
        s.resolveCOMMAREASize = [](QWidget*, platform::ui::IMainWindow&) { return false; };
        s.resolveValidationRules = [](QWidget*, platform::ui::IMainWindow&) { return false; };
        s.generateReports = [](platform::ui::IMainWindow&) {};
        return s;
    }

    std::unique_ptr<frmMain> w;
    testsupport::ScriptedPrompt prompt;
};

const char* const kToolCommands[] = {"mnuToolsScreenFlow", "mnuToolsCRUD", "mnuToolsCOMMAREA", "mnuToolsValidation",
                                     "mnuToolsGenerateReports"};
const char* const kToolButtons[] = {"Screens", "CRUDOverlap", "Commarea", "Validation", "GenerateReports"};

}  // namespace

TEST_F(Enabling, BeforeALoadOnlyTheCommandsThatNeedNoWorkspaceWork) {
    EXPECT_FALSE(app::WorkspaceCommandsEnabled(*w));
    EXPECT_FALSE(w->mnuTools->menuAction()->isEnabled());
    EXPECT_FALSE(On("mnuFileRefreshWorkspace"));
    EXPECT_FALSE(On("mnuToolsEnterClientInformation"));
    for (const char* name : kToolCommands) EXPECT_FALSE(On(name)) << name;
    // The toolbar buttons cannot start a Tools command either.
    for (const char* key : kToolButtons) EXPECT_FALSE(ButtonOn(key)) << key;
    EXPECT_FALSE(ButtonOn("Refresh"));

    EXPECT_TRUE(On("mnuFileOpenWorkspace"));
    EXPECT_TRUE(ButtonOn("OpenWorkspace"));
    EXPECT_TRUE(On("mnuHelpWindow"));
    EXPECT_TRUE(On("mnuHelpAbout"));
    EXPECT_TRUE(On("mnuFileClose"));
    for (QAction* pane : w->mnuPane) EXPECT_TRUE(pane->isEnabled());
    // Parameters is connected but stays out of sight (and so out of reach),
    // with Missing and Returns.
    EXPECT_FALSE(w->mnuViewParameters->isVisible());
    EXPECT_FALSE(w->mnuViewMissing->isVisible());
    EXPECT_FALSE(w->mnuViewReturns->isVisible());
}

TEST_F(Enabling, ALoadWithoutToolServicesOpensOnlyTheWorkspaceCommands) {
    app::EnableWorkspaceCommands(*w, true);
    EXPECT_TRUE(app::WorkspaceCommandsEnabled(*w));
    EXPECT_TRUE(w->mnuTools->menuAction()->isEnabled());
    EXPECT_TRUE(On("mnuFileRefreshWorkspace"));
    EXPECT_TRUE(ButtonOn("Refresh"));
    EXPECT_TRUE(On("mnuToolsEnterClientInformation"));
    // The plot, CRUD Overlap, the two analyses and the reports come with
    // their own services.
    for (const char* name : kToolCommands) EXPECT_TRUE(On(name)) << name;
    for (const char* key : kToolButtons) EXPECT_TRUE(ButtonOn(key)) << key;
    for (const char* name : {"mnuFileOpenWorkspace", "mnuHelpWindow", "mnuHelpAbout", "mnuFileClose"})
        EXPECT_TRUE(On(name)) << name;
    EXPECT_TRUE(ButtonOn("OpenWorkspace"));
    for (QAction* pane : w->mnuPane) EXPECT_TRUE(pane->isEnabled());

    app::EnableWorkspaceCommands(*w, false);
    EXPECT_FALSE(w->mnuTools->menuAction()->isEnabled());
    EXPECT_FALSE(On("mnuFileRefreshWorkspace"));
    EXPECT_FALSE(On("mnuToolsEnterClientInformation"));
}

TEST_F(Enabling, ToolCommandsFollowTheWorkspaceOnceTheirServicesAreConnected) {
    app::InstallToolCommands(*w, AllServices());
    // Connected, but no workspace yet: menu items and buttons stay off.
    for (const char* name : kToolCommands) EXPECT_FALSE(On(name)) << name;

    app::EnableWorkspaceCommands(*w, true);
    for (const char* name : kToolCommands) EXPECT_TRUE(On(name)) << name;
    for (const char* key : kToolButtons) EXPECT_TRUE(ButtonOn(key)) << key;

    // Closing the workspace takes every one of them away again, buttons too.
    app::EnableWorkspaceCommands(*w, false);
    for (const char* name : kToolCommands) EXPECT_FALSE(On(name)) << name;
    for (const char* key : kToolButtons) EXPECT_FALSE(ButtonOn(key)) << key;
}

TEST_F(Enabling, EachToolNeedsItsWholeService) {
    // On a main window not given the program's own services.
    auto bare = NewMainWindow();
    const auto on = [&bare](const char* name) { return bare->Command(name)->isEnabled(); };
    app::EnableWorkspaceCommands(*bare, true);
    app::ToolServices part;
    part.newIssuesWindow = [](QWidget* owner) { return new QWidget(owner, Qt::Window); };
    part.getCRUDReport = [](platform::ui::IMainWindow&) { return app::CrudOutcome::Found; };
    app::InstallToolCommands(*bare, part);
    // A window factory without its analysis, a computation without its window.
    EXPECT_FALSE(on("mnuToolsCOMMAREA"));
    EXPECT_FALSE(on("mnuToolsValidation"));
    EXPECT_FALSE(on("mnuToolsCRUD"));
    EXPECT_FALSE(on("mnuToolsScreenFlow"));

    // A later subsystem adds its part; what was given before is kept.
    app::ToolServices more;
    more.resolveCOMMAREASize = [](QWidget*, platform::ui::IMainWindow&) { return false; };
    app::InstallToolCommands(*bare, more);
    EXPECT_TRUE(on("mnuToolsCOMMAREA"));
    EXPECT_FALSE(on("mnuToolsValidation"));
}

TEST_F(Enabling, ALoadInsideABusyBracketTakesEffectWhenTheBracketCloses) {
    app::InstallToolCommands(*w, AllServices());
    w->DisableControls();
    app::EnableWorkspaceCommands(*w, true);
    // Nothing may be chosen while the load runs.
    EXPECT_FALSE(w->mnuTools->menuAction()->isEnabled());
    EXPECT_FALSE(On("mnuToolsGenerateReports"));
    w->EnableControls();
    EXPECT_TRUE(w->mnuTools->menuAction()->isEnabled());
    EXPECT_TRUE(On("mnuToolsGenerateReports"));
    EXPECT_TRUE(On("mnuToolsEnterClientInformation"));

    // A close inside a bracket is not undone by the bracket's end.
    w->DisableControls();
    app::EnableWorkspaceCommands(*w, false);
    w->EnableControls();
    EXPECT_FALSE(w->mnuTools->menuAction()->isEnabled());
    EXPECT_FALSE(On("mnuToolsGenerateReports"));
    EXPECT_FALSE(ButtonOn("GenerateReports"));
}

TEST_F(Enabling, AHeldCommandComesBackWhenItsWindowCloses) {
    app::InstallToolCommands(*w, AllServices());
    app::EnableWorkspaceCommands(*w, true);
    auto* window = new QWidget(w.get(), Qt::Window);
    window->show();
    app::HoldCommandWhileOpen(*w, "mnuToolsCRUD", window);
    EXPECT_TRUE(app::IsCommandHeld(*w, "mnuToolsCRUD"));
    EXPECT_FALSE(On("mnuToolsCRUD"));
    EXPECT_FALSE(ButtonOn("CRUDOverlap"));
    // A reload while the window is open does not free the command.
    app::EnableWorkspaceCommands(*w, true);
    EXPECT_FALSE(On("mnuToolsCRUD"));
    EXPECT_TRUE(On("mnuToolsCOMMAREA"));

    window->close();
    EXPECT_FALSE(app::IsCommandHeld(*w, "mnuToolsCRUD"));
    EXPECT_TRUE(On("mnuToolsCRUD"));
    EXPECT_TRUE(ButtonOn("CRUDOverlap"));

    // Shown and held again, then deleted: free again.
    window->show();
    app::HoldCommandWhileOpen(*w, "mnuToolsCRUD", window);
    EXPECT_FALSE(On("mnuToolsCRUD"));
    delete window;
    EXPECT_TRUE(On("mnuToolsCRUD"));
}

TEST_F(Enabling, AWindowClosingAfterTheWorkspaceClosedLeavesItsCommandOff) {
    app::InstallToolCommands(*w, AllServices());
    app::EnableWorkspaceCommands(*w, true);
    auto* window = new QWidget(w.get(), Qt::Window);
    window->show();
    app::HoldCommandWhileOpen(*w, "mnuToolsCRUD", window);
    app::EnableWorkspaceCommands(*w, false);
    window->close();
    EXPECT_FALSE(On("mnuToolsCRUD"));
    EXPECT_FALSE(ButtonOn("CRUDOverlap"));
}

TEST_F(Enabling, AWindowClosingDuringABracketIsHonouredAtItsEnd) {
    app::InstallToolCommands(*w, AllServices());
    app::EnableWorkspaceCommands(*w, true);
    auto* window = new QWidget(w.get(), Qt::Window);
    window->show();
    app::HoldCommandWhileOpen(*w, "mnuToolsCRUD", window);
    w->DisableControls();
    window->close();
    EXPECT_FALSE(On("mnuToolsCRUD"));
    w->EnableControls();
    EXPECT_TRUE(On("mnuToolsCRUD"));
}

TEST_F(Enabling, MainWindowWithOpenHeldWindowGoesCleanly) {
    app::InstallToolCommands(*w, AllServices());
    app::EnableWorkspaceCommands(*w, true);
    auto* window = new QWidget(w.get(), Qt::Window);
    window->show();
    app::HoldCommandWhileOpen(*w, "mnuToolsCRUD", window);
    // The held window goes with its owner and must not reach back into it.
    w.reset();
    SUCCEED();
}

TEST(EnablingOrder, AHoldAsTheFirstCallStillLetsTheMainWindowGo) {
    ForgetLayout();
    auto w = NewMainWindow();
    // The window exists before anything about commands was kept on the main
    // window, so it goes before that state when the main window is deleted.
    auto* window = new QWidget(w.get(), Qt::Window);
    window->show();
    app::HoldCommandWhileOpen(*w, "mnuToolsCRUD", window);
    EXPECT_FALSE(w->Command("mnuToolsCRUD")->isEnabled());
    w.reset();
    ForgetLayout();
    SUCCEED();
}
