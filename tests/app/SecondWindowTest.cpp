// Two windows of the tool on one workspace: this test's main window and a
// child process (tests/crash/child) that holds the workspace, at rest and
// in the middle of a refresh, until it is killed. The second window only
// views: every command that writes is refused with one plain message, and
// the holder's database, comparison file and report set stay as they were.
// A killed holder leaves the workspace free. The holder's claim outlives a
// user deleting its lock file, a refresh, and a folder this window cannot
// open to lock it. The analyses refuse by themselves. A dialog that opens
// where a refusal was due fails the test at once instead of waiting for an
// answer.

#include <unistd.h>

#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTimer>
#include <QUrl>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <utility>

#include "app/ReportCommands.h"
#include "common/Globals.h"
#include "app/WebTreeEvents.h"
#include "app/dialogs/frmClientInfo.h"
#include "reports/AnalysisRun.h"
#include "reports/CommareaAnalysis.h"
#include "reports/CrudComparison.h"
#include "reports/ReportBuilder.h"
#include "reports/ReportError.h"
#include "reports/ReportPaths.h"
#include "reports/ValidationAnalysis.h"
#include "reports/ui/frmIssues.h"
#include "services/NodeCommands.h"
#include "services/ui/frmMessages.h"
#include "tests/app/WorkspaceSampleFixture.h"
#include "tests/crash/HoldingChild.h"
#include "views/ui/frmDesc.h"
#include "workspace/WorkspaceDatabase.h"
#include "workspace/WorkspaceLock.h"

namespace {

using apptest::WorkspaceSampleTest;
using common::Answer;
namespace fs = std::filesystem;

std::string Bytes(const fs::path& file) {
    return (std::ostringstream() << std::ifstream(file, std::ios::binary).rdbuf()).str();
}

// Every file below folder with its size and time: a run that wrote the
// same files again would give them new times.
std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> Files(const fs::path& folder) {
    std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> files;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file())
            files[e.path().lexically_relative(folder).string()] = {e.file_size(), e.last_write_time()};
    return files;
}

// SQLite's own words, which say neither what happened nor what to do.
bool CarriesSqliteText(const std::string& message) {
    for (const char* words : {"database is locked", "disk I/O error", "readonly database", "unable to open",
                              "not an error", "file is not a database"})
        if (message.find(words) != std::string::npos) return true;
    return false;
}

class SecondWindowTest : public WorkspaceSampleTest {
protected:
    void SetUp() override {
        WorkspaceSampleTest::SetUp();
        app::InstallReportCommands(*main, [](const QUrl&) { return true; });
        // A modal dialog would wait for an answer nobody gives: it goes to
        // onDialog when one is expected, else it fails the test and is shut.
        QObject::connect(&dialogWatch, &QTimer::timeout, [this] {
            QWidget* dialog = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->windowModality() != Qt::NonModal) dialog = w;
            if (!dialog) return;
            if (onDialog) {
                std::exchange(onDialog, {})(dialog);
            } else {
                ADD_FAILURE() << "a dialog opened: " << dialog->objectName().toStdString();
            }
            if (auto* d = qobject_cast<QDialog*>(dialog)) d->reject();
            else dialog->close();
        });
        dialogWatch.start(20);
    }
    void TearDown() override {
        dialogWatch.stop();
        holder.reset();
        WorkspaceSampleTest::TearDown();
    }

    // The child holds the workspace at point of the mode's load.
    void Hold(const std::string& mode, const std::string& point) {
        holder.reset();
        holder = std::make_unique<crashtest::HoldingChild>(QA_CRASH_CHILD, sample, testsupport::AppDir(), mode, point);
        ASSERT_TRUE(holder->Holding()) << mode << " did not reach " << point;
    }
    // Opens the sample in this window; every message it shows is plain.
    void OpenSample() {
        prompt.asked.clear();
        Open(sample);
        for (const std::string& message : prompt.asked) EXPECT_FALSE(CarriesSqliteText(message)) << message;
    }
    std::string Log() const { return main->LogBox()->toPlainText().toStdString(); }
    bool Writable() const {
        return Globals::g_Database && !Globals::g_Database->IsMemoryCopy() && !Globals::g_ViewOnly;
    }

    std::unique_ptr<crashtest::HoldingChild> holder;
    QTimer dialogWatch;
    std::function<void(QWidget*)> onDialog;
};

const char kOtherWindow[] = "The workspace OrderEntry is open in another window of Quarvel Analyzer";

TEST_F(SecondWindowTest, ASecondWindowOnlyViewsAndRefusesEveryWriteUntilTheHolderIsKilled) {
    const fs::path folder = dir / "OrderEntry";
    const fs::path database = workspace::DatabasePath(folder);
    const fs::path comparison = folder / mdlReports::kCrudComparisonFileName;

    // While this window is the only one it writes: a comparison file and a
    // complete report set.
    OpenSample();
    ASSERT_TRUE(Writable()) << Log();
    const std::string program = Globals::g_Database->Scalar("SELECT ID FROM Ents WHERE Name = 'ORDENTR'").AsText();
    ASSERT_EQ(services::SetAsWebOperation(*Globals::g_Database, services::JoinTag("ORDENTR", program)),
              services::SetWebOperationResult::Added);
    main->mnuToolsCRUD->trigger();
    prompt.answers = {Answer::No};
    main->mnuToolsGenerateReports->trigger();
    const fs::path reports = mdlReports::g_ReportPaths.g_ReportRoot;
    ASSERT_TRUE(fs::exists(comparison));
    ASSERT_TRUE(fs::exists(mdlReports::g_ReportPaths.g_IndexPagePath));
    app::UnloadWindows(app::OtherWindows(*main));
    app::CloseWorkspace(*main);

    // Another window holds it: this one opens it for viewing and says why.
    Hold("open", "loaded");
    const std::string databaseBefore = Bytes(database), comparisonBefore = Bytes(comparison);
    const auto reportsBefore = Files(reports);
    ASSERT_GT(reportsBefore.size(), 100u);
    OpenSample();
    ASSERT_TRUE(Globals::g_Database);
    EXPECT_TRUE(Globals::g_Database->IsMemoryCopy());
    EXPECT_NE(Log().find(std::string(kOtherWindow) + ", so the workspace is open for viewing only"),
              std::string::npos)
        << Log();
    EXPECT_GT(main->trSummary->topLevelItemCount(), 0);

    // Every command that writes: one message each, before anything is
    // touched. The windows that only store at their OK open to be read.
    QTreeWidgetItem* operation = main->trWebOperations->topLevelItem(0);
    ASSERT_TRUE(operation);
    const auto prepareMenu = [&] { app::WebTreeEventsOf(*main)->ShowWebOperationNodeMenu(operation, 1, {}); };
    const auto trigger = [&](QAction* action) {
        return [&, action] {
            prepareMenu();
            action->setEnabled(true);
            action->trigger();
        };
    };
    const std::vector<std::pair<std::string, std::function<void()>>> writing = {
        {"Generate Reports", trigger(main->mnuToolsGenerateReports)},
        {"CRUD Overlap", trigger(main->mnuToolsCRUD)},
        {"COMMAREA Size", trigger(main->mnuToolsCOMMAREA)},
        {"Validation Rules", trigger(main->mnuToolsValidation)},
        {"New Web Service", trigger(main->mnuNCNewWebService)},
        {"Set as Web Operation", trigger(main->mnuNCSetWebSvc)},
        {"Delete Node", trigger(main->mnuNCDeleteNode)},
        {"Refresh Workspace", trigger(main->mnuFileRefreshWorkspace)},
        {"Adding a web operation to a web service",
         [&] {
             QMimeData dragged;
             dragged.setText(QString::fromStdString(app::NodeKey(operation)));
             EXPECT_FALSE(app::WebTreeEventsOf(*main)->DropOnServices(&dragged, nullptr));
         }},
        {"Storing the description",
         [&] {
             trigger(main->mnuNCDescription)();
             auto* editor = main->findChild<views::ui::frmDesc*>();
             ASSERT_TRUE(editor && editor->isVisible());
             editor->txtDescription->setPlainText("Changed here");
             editor->cmdOK_Click();
             EXPECT_TRUE(editor->isVisible()) << "the text typed is kept";
             editor->cmdCancel_Click();
         }},
        {"Storing the client information",
         [&] {
             bool shown = false;
             onDialog = [&](QWidget* dialog) {
                 auto* info = qobject_cast<dialogs::frmClientInfo*>(dialog);
                 ASSERT_TRUE(info);
                 shown = true;
                 info->txtClient->setText("Changed here");
                 info->cmdOK_Click();
                 EXPECT_TRUE(info->isVisible()) << "the names typed are kept";
             };
             trigger(main->mnuToolsEnterClientInformation)();
             EXPECT_TRUE(shown);
         }},
    };
    for (const auto& [name, run] : writing) {
        SCOPED_TRACE(name);
        prompt.asked.clear();
        prompt.answers = {Answer::Yes};   // the refresh question, were it asked
        run();
        EXPECT_EQ(prompt.asked, std::vector<std::string>{name + " was refused: nothing in the workspace was "
                                                                "changed.\n" +
                                                         kOtherWindow +
                                                         ", so the workspace can only be viewed here. To work in "
                                                         "it here, close it there and open it again here."});
        EXPECT_TRUE(Globals::g_Database);
    }
    // The message editor shows the definitions and refuses each store.
    prompt.asked.clear();
    trigger(main->mnuNCDefineMessages)();
    auto* messages = main->findChild<services::ui::frmMessages*>();
    ASSERT_TRUE(messages && messages->isVisible()) << ::testing::PrintToString(prompt.asked);
    messages->mnuActionsInput_Click();
    messages->mnuActionsOutput_Click();
    messages->mnuActionsClearAll_Click();
    ASSERT_EQ(prompt.asked.size(), 3u);
    EXPECT_EQ(prompt.asked[0].rfind("Set As Input was refused", 0), 0u) << prompt.asked[0];
    EXPECT_EQ(prompt.asked[1].rfind("Set As Output was refused", 0), 0u) << prompt.asked[1];
    EXPECT_EQ(prompt.asked[2].rfind("Clear All Messages was refused", 0), 0u) << prompt.asked[2];
    messages->close();
    EXPECT_TRUE(Bytes(database) == databaseBefore) << "the holder's database changed";
    EXPECT_TRUE(Bytes(comparison) == comparisonBefore) << "the holder's comparison file changed";
    EXPECT_TRUE(Files(reports) == reportsBefore) << "the holder's report set changed";
    app::CloseWorkspace(*main);

    // A user deletes the lock file while the holder has the workspace: the
    // holder still holds it, and this window makes no lock file of its own.
    const fs::path lockFile = folder / workspace::kLockFileName;
    ASSERT_TRUE(fs::remove(lockFile));
    OpenSample();
    ASSERT_TRUE(Globals::g_Database);
    EXPECT_FALSE(Writable());
    EXPECT_NE(Log().find(kOtherWindow), std::string::npos) << Log();
    EXPECT_FALSE(fs::exists(lockFile));
    prompt.asked.clear();
    main->mnuToolsCRUD->trigger();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].rfind("CRUD Overlap was refused", 0), 0u) << prompt.asked[0];
    EXPECT_TRUE(Bytes(comparison) == comparisonBefore) << "the holder's comparison file changed";
    app::CloseWorkspace(*main);

    // A holder killed outright frees the workspace for this window.
    EXPECT_TRUE(holder->Kill());
    OpenSample();
    EXPECT_TRUE(Writable()) << Log();
    EXPECT_EQ(Log().find("viewing"), std::string::npos) << Log();
    EXPECT_TRUE(fs::exists(lockFile));
    app::CloseWorkspace(*main);

    // The holder has deleted the database for a refresh and not yet put the
    // new one in place: there is nothing to view, and nothing is built here.
    Hold("refresh", workspace::kStepTemplateCopied);
    OpenSample();
    EXPECT_FALSE(Globals::g_Database);
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0], std::string(kOtherWindow) +
                                   ": it has no workspace database to view yet. To work in it here, close it there "
                                   "and open it again here.");
    EXPECT_FALSE(fs::exists(database));

    // The new database is in place, marked incomplete until the build ends.
    Hold("refresh", workspace::kStepCopyRenamed);
    OpenSample();
    ASSERT_TRUE(Globals::g_Database);
    EXPECT_TRUE(Globals::g_Database->IsMemoryCopy());
    EXPECT_EQ(Log().rfind(workspace::IncompleteLoadMessage() + "\n" + kOtherWindow, 0), 0u) << Log();
    app::CloseWorkspace(*main);

    // Killed there, the holder leaves a database that reopens as incomplete
    // here, with write access, and a refresh here completes it.
    EXPECT_TRUE(holder->Kill());
    OpenSample();
    EXPECT_TRUE(Writable());
    EXPECT_EQ(Log(), workspace::IncompleteLoadMessage());
    prompt.answers = {Answer::Yes};
    main->mnuFileRefreshWorkspace->trigger();
    EXPECT_TRUE(Writable());
    EXPECT_EQ(Log(), "");
    EXPECT_TRUE(Files(reports) == reportsBefore) << "the report set outlives the rebuilds";
}

// The holder refreshes, and has deleted its database: between that and the
// new build it keeps its claim, so this window finds nothing to view and
// builds nothing (a claim released and taken again would let it write).
TEST_F(SecondWindowTest, AHolderKeepsItsClaimThroughTheWholeRefresh) {
    Hold("refresh", workspace::kStepDatabaseDeleted);
    OpenSample();
    EXPECT_FALSE(Globals::g_Database);
    EXPECT_EQ(prompt.asked, std::vector<std::string>{std::string(kOtherWindow) +
                                                     ": it has no workspace database to view yet. To work in it "
                                                     "here, close it there and open it again here."});
    EXPECT_FALSE(fs::exists(workspace::DatabasePath(dir / "OrderEntry")));
}

// The analyses that write the report set, called on a workspace this window
// only views, and the issues window that shows their pages: each refuses
// by itself, and the holder's set stays as it was.
class ViewedAnalysesTest : public SecondWindowTest {
protected:
    void SetUp() override {
        SecondWindowTest::SetUp();
        // The holder's report set, written while this window was the only one.
        OpenSample();
        prompt.answers = {Answer::No};
        main->mnuToolsGenerateReports->trigger();
        app::CloseWorkspace(*main);
        Hold("open", "loaded");
        OpenSample();
        ASSERT_TRUE(Globals::g_ViewOnly) << Log();
        reports = mdlReports::g_ReportPaths.g_ReportRoot;
        before = Files(reports);
        ASSERT_GT(before.size(), 100u);
    }
    // What the analysis said, or that it ran.
    std::string Refusal(mdlReports::AnalysisResult (*analysis)(const mdlReports::AnalysisRun&)) {
        mdlReports::ReportBuilder builder;
        common::NullProgress progress;
        const mdlReports::AnalysisRun run{*Globals::g_Database, *Globals::g_Workbench, mdlReports::g_ReportPaths,
                                          builder, progress, prompt,
                                          mdlReports::OutputFolderBoundary(mdlReports::g_ReportPaths)};
        try {
            analysis(run);
        } catch (const mdlReports::ReportError& e) {
            return e.what();
        }
        return "ran";
    }

    fs::path reports;
    std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> before;
};

TEST_F(ViewedAnalysesTest, TheAnalysesAndTheIssuesWindowRefuseByThemselves) {
    EXPECT_EQ(Refusal(mdlReports::GetCOMMAREASizeReport),
              "COMMAREA Size was refused: the workspace is open for viewing only here, so nothing in it was "
              "changed.");
    EXPECT_EQ(Refusal(mdlReports::GetValidationRulesReport),
              "Validation Rules was refused: the workspace is open for viewing only here, so nothing in it was "
              "changed.");
    reports::ui::frmIssues issues(main.get());
    EXPECT_TRUE(Files(reports) == before) << "the holder's report set changed";
}

// A folder this account may write and enter but not list (mode 0333),
// whose lock file a user removed while another window holds it: the folder
// cannot be opened to be locked, so this window views it only, says why,
// and makes no lock file (were the lock file to carry the claim alone, this
// window would lock a new one and write beside the holder). Root opens the
// folder whatever its bits: there the open's refusal is planted instead.
TEST_F(SecondWindowTest, AFolderThatCannotBeOpenedToLockItIsOnlyViewed) {
    const fs::path folder = dir / "OrderEntry", lockFile = folder / workspace::kLockFileName;
    Hold("open", "loaded");
    ASSERT_TRUE(fs::remove(lockFile));
    fs::permissions(folder, fs::perms(0333));
    if (::geteuid() == 0)
        workspace::SetClaimFault([](const char* call, const fs::path&) { return std::string(call) == "open" ? EACCES : 0; });
    OpenSample();
    workspace::SetClaimFault(nullptr);
    fs::permissions(folder, fs::perms(0755));
    EXPECT_FALSE(Writable());
    EXPECT_NE(Log().find("The workspace folder " + folder.string() +
                         " cannot be opened by this account to lock it (Permission denied), so the workspace is "
                         "open for viewing only"),
              std::string::npos)
        << Log();
    EXPECT_FALSE(fs::exists(lockFile));
    prompt.asked.clear();
    main->mnuToolsCRUD->trigger();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].rfind("CRUD Overlap was refused", 0), 0u) << prompt.asked[0];
}

}  // namespace
