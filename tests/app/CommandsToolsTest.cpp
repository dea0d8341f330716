// The Tools commands on the shell side: busy bracket, messages, the single
// CRUD comparison window, the analysis windows, report generation and the
// client information, each over stand-in services.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "app/CommandsEnabling.h"
#include "app/CommandsTools.h"
#include "app/InstallCommands.h"
#include "app/dialogs/frmClientInfo.h"
#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/ClientInfo.h"
#include "tests/app/AppTestSupport.h"

using namespace apptest;
using app::CrudOutcome;
using app::CrudReaction;
using platform::ui::IMainWindow;

TEST(CrudDecision, OnlyAFinishedRunWithoutPairsReportsNoIssues) {
    EXPECT_EQ(app::CrudOutcomeOf(true, false), CrudOutcome::Found);
    EXPECT_EQ(app::CrudOutcomeOf(false, false), CrudOutcome::NoSimilarPairs);
    EXPECT_EQ(app::CrudOutcomeOf(false, true), CrudOutcome::Cancelled);
    // A file written before the cancel took hold is no result either.
    EXPECT_EQ(app::CrudOutcomeOf(true, true), CrudOutcome::Cancelled);

    EXPECT_EQ(app::CrudReactionTo(CrudOutcome::Found), CrudReaction::ShowComparison);
    EXPECT_EQ(app::CrudReactionTo(CrudOutcome::NoSimilarPairs), CrudReaction::ReportNoIssues);
    EXPECT_EQ(app::CrudReactionTo(CrudOutcome::Cancelled), CrudReaction::Nothing);
}

namespace {

// Stand-ins for the services, recording how they were called.
struct FakeTools {
    CrudOutcome crudOutcome = CrudOutcome::Found;
    bool throwInCrud = false;
    bool resolves = true;
    bool throwInReports = false;
    int crudRuns = 0;
    int crudWindowsMade = 0;
    int screenFlows = 0;
    int reportRuns = 0;
    std::vector<bool> busyInService;   // IsBusy() seen by each long service
    std::vector<QString> captionsAtResolve;
    std::vector<QPointer<QWidget>> issuesWindows;
    QPointer<QWidget> crudWindow;

    app::ToolServices Services() {
        app::ToolServices s;
        s.showScreenFlow = [this] {
            ++screenFlows;
            busyInService.push_back(Globals::g_MainForm->IsBusy());
        };
        s.getCRUDReport = [this](IMainWindow& w) {
            ++crudRuns;
            busyInService.push_back(w.IsBusy());
            if (throwInCrud) throw std::runtime_error("disk full");
            return crudOutcome;
        };
        s.crudComparisonWindow = [this](QWidget* owner) {
            ++crudWindowsMade;
            crudWindow = new QWidget(owner, Qt::Window);
            return crudWindow.data();
        };
        s.newIssuesWindow = [this](QWidget* owner) {
            auto* window = new QWidget(owner, Qt::Window);
            issuesWindows.emplace_back(window);
            return window;
        };
        auto resolve = [this](QWidget* window, IMainWindow& w) {
            busyInService.push_back(w.IsBusy());
            captionsAtResolve.push_back(window->windowTitle());
            return resolves;
        };
        s.resolveCOMMAREASize = resolve;
        s.resolveValidationRules = resolve;
        s.generateReports = [this](IMainWindow& w) {
            ++reportRuns;
            busyInService.push_back(w.IsBusy());
            if (throwInReports) throw std::runtime_error("template missing");
        };
        return s;
    }
};

class Tools : public ::testing::Test {
protected:
    void SetUp() override {
        ResModule::SetLanguage(ResModule::Language::English);
        ForgetLayout();
        w = NewMainWindow();
        w->SetPrompt(&prompt);
        app::InstallCommands(*w);
        app::InstallToolCommands(*w, fake.Services());
        app::EnableWorkspaceCommands(*w, true);
    }
    void TearDown() override {
        w.reset();
        Globals::g_Database.reset();
        ForgetLayout();
    }

    bool On(const char* name) const { return w->Command(name)->isEnabled(); }

    FakeTools fake;
    std::unique_ptr<frmMain> w;
    testsupport::ScriptedPrompt prompt;
};

std::unique_ptr<platform::db::Database> WorkspaceDb() {
    auto db = platform::db::Database::InMemory();
    std::ifstream in(testsupport::SourceDir() / "resources/sql/01_workspace.sql");
    std::stringstream sql;
    sql << in.rdbuf();
    db->ExecuteScript(sql.str());
    return db;
}

}  // namespace

TEST_F(Tools, CrudOverlapFoundShowsTheComparisonAndHoldsTheCommandUntilItCloses) {
    w->mnuToolsCRUD->trigger();
    EXPECT_EQ(fake.crudRuns, 1);
    EXPECT_EQ(fake.busyInService, std::vector<bool>{true});
    EXPECT_FALSE(w->IsBusy());
    EXPECT_TRUE(prompt.asked.empty());
    ASSERT_TRUE(fake.crudWindow);
    QWidget* first = fake.crudWindow;
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->parentWidget(), w.get());
    EXPECT_EQ(first->property("Tag").toString(), "CRUDComp");
    EXPECT_EQ(app::FindTaggedWindow("crudcomp"), first);

    // Neither the menu item nor the toolbar button (any letter case) runs it now.
    EXPECT_FALSE(On("mnuToolsCRUD"));
    EXPECT_FALSE(w->Buttons("CRUDOverlap")->isEnabled());
    w->tbButtons_ButtonClick("crudoverlap");
    w->mnuToolsCRUD->trigger();
    EXPECT_EQ(fake.crudRuns, 1);

    // Closed: both work again, and a new run recomputes and shows a new window.
    first->close();
    Await([&] { return !fake.crudWindow; }, "the window to go when it closed");
    EXPECT_TRUE(On("mnuToolsCRUD"));
    w->tbButtons_ButtonClick("CRUDOVERLAP");
    EXPECT_EQ(fake.crudRuns, 2);
    EXPECT_EQ(fake.crudWindowsMade, 2);
    ASSERT_TRUE(fake.crudWindow);
    EXPECT_TRUE(fake.crudWindow->isVisible());
    EXPECT_FALSE(On("mnuToolsCRUD"));
}

TEST_F(Tools, CrudOverlapWithoutPairsSaysSoAndCancelledSaysNothing) {
    fake.crudOutcome = CrudOutcome::NoSimilarPairs;
    w->mnuToolsCRUD->trigger();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0], "No CRUD issues found.");
    EXPECT_EQ(prompt.titles[0], "CRUD Issues");
    EXPECT_EQ(fake.crudWindowsMade, 0);
    EXPECT_FALSE(w->IsBusy());
    EXPECT_TRUE(On("mnuToolsCRUD"));

    fake.crudOutcome = CrudOutcome::Cancelled;
    w->mnuToolsCRUD->trigger();
    EXPECT_EQ(fake.crudRuns, 2);
    EXPECT_EQ(prompt.asked.size(), 1u);   // nothing new said
    EXPECT_EQ(fake.crudWindowsMade, 0);
    EXPECT_FALSE(w->IsBusy());
    EXPECT_TRUE(On("mnuToolsCRUD"));
}

TEST_F(Tools, CrudOverlapRaisesAComparisonWindowThatIsAlreadyThere) {
    auto* open = new QWidget(w.get(), Qt::Window);
    open->setProperty("Tag", "CRUDComp");
    open->showMinimized();
    open->hide();
    w->mnuToolsCRUD->trigger();
    EXPECT_EQ(fake.crudRuns, 1);
    EXPECT_EQ(fake.crudWindowsMade, 0);
    EXPECT_TRUE(open->isVisible());
    EXPECT_FALSE(open->isMinimized());
    EXPECT_FALSE(On("mnuToolsCRUD"));
    delete open;
    EXPECT_TRUE(On("mnuToolsCRUD"));
}

TEST_F(Tools, AFailingCrudComputationIsReportedAndLeavesTheWindowUsable) {
    fake.throwInCrud = true;
    w->mnuToolsCRUD->trigger();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].find("disk full"), std::string::npos);
    EXPECT_EQ(prompt.asked[0].find("No CRUD issues"), std::string::npos);
    EXPECT_EQ(fake.crudWindowsMade, 0);
    EXPECT_FALSE(w->IsBusy());
    EXPECT_TRUE(On("mnuToolsCRUD"));
    EXPECT_TRUE(w->mnuFileClose->isEnabled());
}

TEST_F(Tools, EachAnalysisRunOpensAFurtherWindowWithItsCaption) {
    w->mnuToolsCOMMAREA->trigger();
    w->tbButtons_ButtonClick("commarea");
    w->mnuToolsValidation->trigger();
    ASSERT_EQ(fake.issuesWindows.size(), 3u);
    EXPECT_EQ(fake.captionsAtResolve, (std::vector<QString>{"COMMAREA Size", "COMMAREA Size", "Validation Rules"}));
    EXPECT_EQ(fake.busyInService, (std::vector<bool>{true, true, true}));
    EXPECT_FALSE(w->IsBusy());
    for (const auto& window : fake.issuesWindows) {
        ASSERT_TRUE(window);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->parentWidget(), w.get());
    }
    // The commands stay available: earlier windows stay open beside new ones.
    EXPECT_TRUE(On("mnuToolsCOMMAREA"));
    EXPECT_TRUE(On("mnuToolsValidation"));
}

TEST_F(Tools, AnAnalysisWithoutAPageShowsNothing) {
    fake.resolves = false;
    w->mnuToolsValidation->trigger();
    ASSERT_EQ(fake.issuesWindows.size(), 1u);
    EXPECT_FALSE(fake.issuesWindows[0]);   // released unseen
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_FALSE(w->IsBusy());
}

TEST_F(Tools, GenerateReportsRunsInsideTheBracketFromMenuAndToolbar) {
    w->mnuToolsGenerateReports->trigger();
    w->tbButtons_ButtonClick("generatereports");
    EXPECT_EQ(fake.reportRuns, 2);
    EXPECT_EQ(fake.busyInService, (std::vector<bool>{true, true}));
    EXPECT_FALSE(w->IsBusy());

    fake.throwInReports = true;
    w->mnuToolsGenerateReports->trigger();
    EXPECT_FALSE(w->IsBusy());
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].find("template missing"), std::string::npos);
    EXPECT_TRUE(On("mnuToolsGenerateReports"));
}

TEST_F(Tools, ScreenInteractionPlotRunsWithoutABracket) {
    w->mnuToolsScreenFlow->trigger();
    w->tbButtons_ButtonClick("SCREENS");
    EXPECT_EQ(fake.screenFlows, 2);
    EXPECT_EQ(fake.busyInService, (std::vector<bool>{false, false}));
}

TEST_F(Tools, NoToolRunsBeforeAWorkspaceIsLoaded) {
    app::EnableWorkspaceCommands(*w, false);
    for (const char* key : {"Screens", "CRUDOverlap", "Commarea", "Validation", "GenerateReports"})
        w->tbButtons_ButtonClick(key);
    EXPECT_EQ(fake.screenFlows + fake.crudRuns + fake.reportRuns, 0);
    EXPECT_TRUE(fake.issuesWindows.empty());
}

TEST_F(Tools, ClientInformationWithoutASettingsTableGivesTheRefreshHint) {
    // No workspace database at all.
    w->mnuToolsEnterClientInformation->trigger();
    // A workspace database that lacks the table.
    Globals::g_Database = platform::db::Database::InMemory();
    w->mnuToolsEnterClientInformation->trigger();
    ASSERT_EQ(prompt.asked.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(prompt.asked[i], "You should refresh the project first!");
        EXPECT_EQ(prompt.titles[i], "Quarvel Analyzer");
    }
}

TEST_F(Tools, ClientInformationOpensModalAndStoresTheNames) {
    Globals::g_Database = WorkspaceDb();
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<dialogs::frmClientInfo*>(QApplication::activeModalWidget());
        if (!dlg) return;
        wasModal = dlg->isModal() && dlg->parentWidget() == w.get();
        dlg->txtClient->setText(QString::fromUtf8("O'Brien & Söhne"));
        dlg->txtApp->setText("Order \"Entry\"");
        dlg->cmdOK->click();
    });
    w->mnuToolsEnterClientInformation->trigger();
    EXPECT_TRUE(wasModal);
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_EQ(mdlReports::GetClientName(*Globals::g_Database), "O'Brien & Söhne");
    EXPECT_EQ(mdlReports::GetApplicationName(*Globals::g_Database), "Order \"Entry\"");
    EXPECT_EQ(Globals::g_Database->Scalar("SELECT COUNT(*) FROM Settings").AsInt(), 1);
}
