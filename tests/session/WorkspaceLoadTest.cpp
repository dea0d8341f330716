#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/workbench/RepositoryBuilder.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/ReportPaths.h"
#include "services/NodeCommands.h"
#include "services/NodeMenu.h"
#include "services/WebServices.h"
#include "session/WorkspaceLoad.h"
#include "session/WorkspaceOpenDialog.h"
#include "session/WorkspaceSession.h"
#include "tests/support/TestSupport.h"
#include "views/ContextLayouts.h"
#include "workspace/WorkspaceDatabase.h"
#include "workspace/WorkspaceLock.h"

namespace {

namespace fs = std::filesystem;
using common::Answer;
using testsupport::RecordingProgress;
using testsupport::ScriptedPrompt;
using testsupport::TempDir;
using session::WorkspaceView;
using Status = WorkspaceView::Status;

const char* const kIncomplete = " * Repository was not loaded completely!!!";

// Fails the load where the classification starts, as a crash there would.
class FailingClassification : public RecordingProgress {
public:
    void StartProgress(const std::string& action, long total, bool withCancel) override {
        if (action == "Classify objects") throw std::runtime_error("Disk I/O error while classifying");
        RecordingProgress::StartProgress(action, total, withCancel);
    }
};

// A small workspace: two screens (one without source), a program and a table.
void MakeWorkspace(const fs::path& file, const std::string& project) {
    auto b = platform::workbench::RepositoryBuilder::CreateWorkspace(file, project);
    b->AddEntity("FOLDER", project);
    b->AddEntity("MAP", "MENU01", {{"Source", "maps/MENU01.bms"}});
    b->AddEntity("MAP", "NOSRC", {{"Source", ""}});
    b->AddEntity("PROGRAM", "PAYROLL", {{"Language", "COBOL"}});
    b->AddEntity("TABLE", "CUSTOMER");
    b->Finish();
}

std::vector<std::string> Listing(const common::Tree& tree) {
    std::vector<std::string> out;
    for (const auto& n : tree.Nodes()) out.push_back(n.parentKey + " / " + n.key + " / " + n.text + " / " + n.image);
    return out;
}

class WorkspaceLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResModule::SetLanguage(ResModule::Language::English);
        Globals::g_AppPath = testsupport::AppDir();
        shop = dir / "Shop.hxp";
        MakeWorkspace(shop, "Order Entry");
    }
    void TearDown() override { session::CloseWorkspace(); }

    WorkspaceView Open(const fs::path& file) { return session::OpenWorkspace(file, {}, progress, prompt); }
    int64_t Count(const std::string& sql) { return Globals::g_Database->Scalar(sql).AsInt(); }
    // "&Description" Tag of the program, as the Summary menu leaves it.
    std::string PayrollTag() {
        return services::JoinTag("PAYROLL",
                                 Globals::g_Database->Scalar("SELECT ID FROM Ents WHERE Name = 'PAYROLL'").AsText());
    }
    std::string StoredStatus() {
        auto db = platform::db::Database::Open(dir / "Shop" / "QuarvelAnalyzer.mdb");
        return db->Scalar("SELECT StatusVal FROM Status WHERE StatusType = 'ErrorMessage'").AsText();
    }
    void ExpectNothingOpen() {
        EXPECT_FALSE(Globals::g_Database);
        EXPECT_FALSE(Globals::g_Workbench);
        EXPECT_FALSE(Globals::g_WorkspaceOpen);
        EXPECT_FALSE(Globals::g_ContextLayouts);
        EXPECT_EQ(Globals::g_ModelLoader.GetSession(), nullptr);
        EXPECT_TRUE(Globals::g_WorkspaceFolder.empty()) << Globals::g_WorkspaceFolder;
    }

    TempDir dir;
    fs::path shop;
    RecordingProgress progress;
    ScriptedPrompt prompt;
};

TEST(WorkspaceFolderTest, TrailingExtensionOnly) {
    EXPECT_EQ(session::WorkspaceFolderFor("/data/W/Shop.hxp"), fs::path("/data/W/Shop"));
    EXPECT_EQ(session::WorkspaceFolderFor("/data/W/Shop.HXP"), fs::path("/data/W/Shop"));
    EXPECT_EQ(session::WorkspaceFolderFor("/data/old.hxp.d/Shop.hxp"), fs::path("/data/old.hxp.d/Shop"));
    EXPECT_EQ(session::WorkspaceFolderFor("/data/W/Shop.hxp.hxp"), fs::path("/data/W/Shop.hxp"));
    EXPECT_FALSE(session::WorkspaceFolderFor("/data/W/Shop.hxp.bak"));
    EXPECT_FALSE(session::WorkspaceFolderFor("/data/W/Shop"));
    EXPECT_FALSE(session::WorkspaceFolderFor("/data/W/.hxp"));
    ResModule::SetLanguage(ResModule::Language::English);
    EXPECT_EQ(session::WorkspaceCaption("/data/W/Shop"), "Quarvel Analyzer - Shop");
}

TEST(WorkspaceOpenDialogTest, FilterAndOtherWindowsQuestion) {
    EXPECT_EQ(session::QtFileFilter(session::kOpenWorkspaceFilter), "Halcyra Workspace (*.hxp);;All Files (*.*)");
    EXPECT_EQ(session::QtFileFilter("Maps|*.bms;*.map"), "Maps (*.bms *.map)");

    ScriptedPrompt prompt;
    // Only the screen-flow window open: nothing is asked.
    EXPECT_TRUE(session::MayCloseOtherWindows({}, prompt));
    EXPECT_TRUE(session::MayCloseOtherWindows({"screenflow"}, prompt));
    EXPECT_TRUE(prompt.asked.empty());
    prompt.answers = {Answer::No, Answer::Yes};
    EXPECT_FALSE(session::MayCloseOtherWindows({"ScreenFlow", "MAP#2-Description"}, prompt));
    EXPECT_TRUE(session::MayCloseOtherWindows({""}, prompt));
    ASSERT_EQ(prompt.asked.size(), 2u);
    EXPECT_EQ(prompt.titles[0], "Open Workspace");
    EXPECT_EQ(prompt.asked[0].rfind("You have other forms open for this workspace.\n", 0), 0u);
}

TEST_F(WorkspaceLoadTest, FirstOpenBuildsTheDatabaseFromTheRepository) {
    const WorkspaceView view = Open(shop);
    ASSERT_EQ(view.status, Status::Loaded) << view.error;
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_EQ(view.caption, "Quarvel Analyzer - Shop");
    EXPECT_TRUE(view.workspaceCommandsEnabled);
    EXPECT_EQ(view.logText, "");
    EXPECT_FALSE(view.showLog);
    EXPECT_TRUE(view.previousClosed);
    EXPECT_TRUE(view.webOperations.Empty());
    EXPECT_TRUE(view.webServices.Empty());

    EXPECT_TRUE(fs::exists(dir / "Shop" / "QuarvelAnalyzer.mdb"));
    EXPECT_EQ(Globals::g_WorkspaceFolder, dir / "Shop");
    EXPECT_EQ(session::CurrentWorkspaceFile(), shop);
    EXPECT_TRUE(Globals::g_WorkspaceOpen);
    ASSERT_TRUE(Globals::g_Workbench);
    EXPECT_EQ(Globals::g_Workbench->GetCurrentFolder(), "Order Entry");
    EXPECT_EQ(Globals::g_ModelLoader.GetSession(), Globals::g_Workbench.get());
    ASSERT_TRUE(Globals::g_ContextLayouts);
    EXPECT_EQ(Globals::g_ContextLayouts->Count(), 0u);
    EXPECT_EQ(mdlReports::g_ReportPaths.g_ReportRoot, dir / "Shop" / "Output" / "QuarvelReports");

    EXPECT_EQ(Count("SELECT COUNT(*) FROM Ents"), 4);
    EXPECT_EQ(Count("SELECT SOAType FROM Ents WHERE Name = 'PAYROLL'"), 90);
    EXPECT_TRUE(Globals::g_Database->TableExists("ucUseCases"));
    EXPECT_TRUE(Globals::g_Database->TableExists("wsWS_UC"));
    EXPECT_EQ(workspace::ReadLoadMessage(*Globals::g_Database), "");
    EXPECT_EQ(StoredStatus(), "none");
    ASSERT_TRUE(view.summary.Find("Screens"));
    EXPECT_EQ(view.summary.Find("Screens")->text, "2 Screens*");
    EXPECT_TRUE(view.summary.Find("Batch"));
    EXPECT_TRUE(view.summary.Find("Data Stores"));
}

TEST_F(WorkspaceLoadTest, SecondOpenReopensWithoutAddingRowsAndShowsTheWebTrees) {
    const WorkspaceView first = Open(shop);
    ASSERT_EQ(first.status, Status::Loaded) << first.error;
    const int64_t ents = Count("SELECT COUNT(*) FROM Ents");
    const int64_t rels = Count("SELECT COUNT(*) FROM Rels");
    auto& db = *Globals::g_Database;
    ASSERT_EQ(services::SetAsWebOperation(db, PayrollTag()),
              services::SetWebOperationResult::Added);
    const std::string wsid = Globals::AddWebService("Payroll Service", db);
    Globals::AddUseCaseToWebService(wsid, "1", db);
    Globals::g_ContextLayouts->Add("layout", "PROGRAM#4-FlowContext");

    const WorkspaceView second = Open(shop);
    ASSERT_EQ(second.status, Status::Loaded) << second.error;
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Ents"), ents);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Rels"), rels);
    EXPECT_EQ(Listing(second.summary), Listing(first.summary));
    EXPECT_FALSE(second.showLog);
    ASSERT_EQ(second.webOperations.Count(), 1u);
    EXPECT_EQ(second.webOperations.Nodes()[0].text, "PAYROLL");
    EXPECT_EQ(second.webServices.Count(), 2u);
    EXPECT_EQ(Globals::g_ContextLayouts->Count(), 0u);
}

TEST_F(WorkspaceLoadTest, CancelledImportIsReportedAgainAfterReopenUntilARefreshCompletes) {
    progress.cancelAfterSteps = 1;
    const WorkspaceView cancelled = Open(shop);
    ASSERT_EQ(cancelled.status, Status::Loaded) << cancelled.error;
    EXPECT_EQ(cancelled.logText, kIncomplete);
    EXPECT_TRUE(cancelled.showLog);
    EXPECT_TRUE(cancelled.workspaceCommandsEnabled);
    EXPECT_LT(Count("SELECT COUNT(*) FROM Ents"), 4);
    EXPECT_EQ(StoredStatus(), kIncomplete);

    RecordingProgress calm;
    const WorkspaceView reopened = session::OpenWorkspace(shop, {}, calm, prompt);
    ASSERT_EQ(reopened.status, Status::Loaded);
    EXPECT_EQ(reopened.logText, kIncomplete);
    EXPECT_TRUE(reopened.showLog);

    const WorkspaceView refreshed = session::RefreshWorkspace({}, calm, prompt);
    ASSERT_EQ(refreshed.status, Status::Loaded) << refreshed.error;
    EXPECT_EQ(refreshed.logText, "");
    EXPECT_FALSE(refreshed.showLog);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Ents"), 4);
    EXPECT_EQ(StoredStatus(), "none");
}

TEST_F(WorkspaceLoadTest, RefreshAsksFirstAndRebuildsFromScratch) {
    ASSERT_EQ(Open(shop).status, Status::Loaded);
    ASSERT_EQ(services::SetAsWebOperation(*Globals::g_Database, PayrollTag()), services::SetWebOperationResult::Added);

    prompt.answers = {Answer::No};
    EXPECT_FALSE(session::ConfirmRefresh(prompt));
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0],
              "Are you sure you want to refresh your session from repository?\n"
              "This operation will erase all changes you've made to this workspace\n"
              "and will close all currently opened Quarvel Analyzer windows.");
    EXPECT_EQ(prompt.titles[0], "Refresh Workspace");
    prompt.answers = {Answer::Yes};
    EXPECT_TRUE(session::ConfirmRefresh(prompt));

    const WorkspaceView view = session::RefreshWorkspace({}, progress, prompt);
    ASSERT_EQ(view.status, Status::Loaded) << view.error;
    EXPECT_TRUE(view.previousClosed);
    EXPECT_EQ(Globals::g_WorkspaceFolder, dir / "Shop");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Ents"), 4);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ucUseCases"), 0);
    EXPECT_TRUE(view.webOperations.Empty());
}

// Leaves a hot journal beside the database, as a writer killed in the
// middle of a change does.
void InterruptAChange(const fs::path& database) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        auto db = platform::db::Database::Open(database);
        // A small cache writes the journal before the commit.
        db->ExecuteScript(
            "PRAGMA cache_size = 1; BEGIN; CREATE TABLE Unfinished (x); "
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
            "INSERT INTO Unfinished SELECT randomblob(4000) FROM n; UPDATE Status SET StatusVal = 'half';");
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
}

// A workspace that may not be written opens for viewing: its database as a
// copy in memory, the Log pane saying why and naming what cannot be
// written, every write refused before anything changes, a refresh
// included. Read-only here means without a write bit, as root reads it.
TEST_F(WorkspaceLoadTest, AWorkspaceThatCannotBeWrittenOpensForViewingOnly) {
    ASSERT_EQ(Open(shop).status, Status::Loaded);
    session::CloseWorkspace();
    const fs::path folder = dir / "Shop", file = workspace::DatabasePath(folder);
    const auto bytes = [&] { return (std::ostringstream() << std::ifstream(file, std::ios::binary).rdbuf()).str(); };
    const std::string before = bytes();
    const auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    const auto viewOnly = [](const std::string& what) {
        return what + ", so the workspace is open for viewing only: commands that would change it are refused. ";
    };

    struct Case {
        std::vector<fs::path> readOnly;
        std::string log;
    };
    const std::vector<Case> cases = {
        {{file, folder},
         viewOnly("The workspace folder " + folder.string() + " is read-only") +
             "To work in the workspace, make the folder writable and open the workspace again."},
        {{file},
         viewOnly("The workspace database " + file.string() + " is read-only") +
             "To work in the workspace, make the file writable and open the workspace again."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.log);
        for (const fs::path& p : c.readOnly) fs::permissions(p, writable, fs::perm_options::remove);
        prompt.asked.clear();
        const WorkspaceView view = Open(shop);
        EXPECT_EQ(view.status, Status::Loaded) << view.error;
        EXPECT_TRUE(view.showLog);
        EXPECT_EQ(view.logText, c.log);
        EXPECT_FALSE(view.summary.Empty());
        ASSERT_TRUE(Globals::g_Database);
        EXPECT_TRUE(Globals::g_Database->IsMemoryCopy());
        EXPECT_TRUE(Globals::RefuseWhileViewOnly(prompt, "Generate Reports"));
        EXPECT_EQ(session::RefreshWorkspace({}, progress, prompt).status, Status::Unchanged);
        ASSERT_EQ(prompt.asked.size(), 2u);
        const std::string refused = " was refused: nothing in the workspace was changed.\n";
        EXPECT_EQ(prompt.asked[0].rfind("Generate Reports" + refused, 0), 0u);
        EXPECT_EQ(prompt.asked[1].rfind("Refresh Workspace" + refused, 0), 0u);
        EXPECT_NE(prompt.asked[1].find(c.readOnly.back().string() + " is read-only"), std::string::npos);
        EXPECT_TRUE(Globals::g_WorkspaceOpen);
        session::CloseWorkspace();
        EXPECT_FALSE(Globals::g_ViewOnly);
        for (const fs::path& p : c.readOnly) fs::permissions(p, fs::perms::owner_write, fs::perm_options::add);
        EXPECT_TRUE(bytes() == before) << "nothing reached the file";
    }

    // A link planted where the lock file goes is not followed: the
    // workspace cannot be locked, so it is only viewed.
    const fs::path lock = folder / workspace::kLockFileName, outside = dir / "elsewhere";
    fs::remove(lock);
    fs::create_symlink(outside, lock);
    WorkspaceView view = Open(shop);
    EXPECT_EQ(view.logText,
              viewOnly("The workspace's lock file " + lock.string() + " is a link, which is not followed") +
                  "To work in the workspace, remove that file and open the workspace again.");
    EXPECT_FALSE(fs::exists(outside));
    session::CloseWorkspace();
    fs::remove(lock);

    // An earlier version of the tool locks the lock file alone: while one
    // holds the workspace, this window only views it too.
    {
        const int earlier = ::open(lock.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
        ASSERT_GE(earlier, 0);
        ASSERT_EQ(::flock(earlier, LOCK_EX | LOCK_NB), 0);
        view = Open(shop);
        EXPECT_EQ(view.logText, viewOnly("The workspace Shop is open in another window of Quarvel Analyzer") +
                                    "To work in it here, close it there and open it again here.");
        session::CloseWorkspace();
        ::close(earlier);
    }

    // A writer killed in the middle of a change, in a folder that cannot be
    // written: said as what it is, and recovered by the next open that may write.
    InterruptAChange(file);
    ASSERT_TRUE(fs::exists(fs::path(file.string() + "-journal")));
    fs::permissions(folder, writable, fs::perm_options::remove);
    prompt.asked.clear();
    view = Open(shop);
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(view.status, Status::Failed);
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0], "The workspace was interrupted while being written: its database " + file.string() +
                                   " still holds the unfinished change, which only a window that may write it can "
                                   "undo. Open the workspace once with write access to its folder and database to "
                                   "recover it.");

    // The same found by a window that views only because another held the
    // workspace, which ended before this one read it: this one may write,
    // so it is told to open the workspace again, not to get write access.
    {
        const workspace::WorkspaceClaim other = workspace::ClaimWorkspace(folder);
        ASSERT_TRUE(other.lock);
        prompt.asked.clear();
        view = Open(shop);
        EXPECT_EQ(view.status, Status::Failed);
        ASSERT_EQ(prompt.asked.size(), 1u);
        EXPECT_EQ(prompt.asked[0], "The workspace was interrupted while being written: its database " +
                                       file.string() +
                                       " still holds the unfinished change, which only a window that may write it "
                                       "can undo. Open the workspace again to recover it.");
    }
    view = Open(shop);
    ASSERT_EQ(view.status, Status::Loaded) << view.error;
    EXPECT_EQ(view.logText, "");
    EXPECT_FALSE(Globals::g_Database->TableExists("Unfinished"));
}

// A folder that cannot be locked: only on a disk that cannot lock a folder
// at all does the lock file carry the claim alone, and then the Log pane
// says so and a second claim meanwhile finds the lock file held; any other
// failure leaves the window viewing only. (The failures are planted: no
// disk here refuses.)
TEST_F(WorkspaceLoadTest, OnlyADiskThatCannotLockFoldersLeavesTheClaimToTheLockFile) {
    static int planted = 0;
    struct Planting {
        Planting() {
            workspace::SetClaimFault([](const char* call, const fs::path&) {
                return std::string(call) == "flock" ? planted : 0;
            });
        }
        ~Planting() { workspace::SetClaimFault(nullptr); }
    } planting;
    const fs::path folder = dir / "Shop";

    planted = EOPNOTSUPP;
    WorkspaceView view = Open(shop);
    ASSERT_EQ(view.status, Status::Loaded) << view.error;
    EXPECT_FALSE(Globals::g_ViewOnly);
    EXPECT_TRUE(view.showLog);
    EXPECT_EQ(view.logText, "The disk of the workspace folder " + folder.string() +
                                " cannot lock a folder, so only its lock file QuarvelAnalyzer.lock keeps other "
                                "windows from writing in it: leave that file where it is while the workspace is "
                                "open.");
    EXPECT_EQ(workspace::ClaimWorkspace(folder).viewOnly.reason,
              "The workspace Shop is open in another window of Quarvel Analyzer");
    session::CloseWorkspace();

    planted = EIO;
    view = Open(shop);
    ASSERT_EQ(view.status, Status::Loaded) << view.error;
    EXPECT_TRUE(Globals::g_ViewOnly);
    EXPECT_EQ(view.logText, "The workspace folder " + folder.string() +
                                " cannot be locked (Input/output error), so the workspace is open for viewing only: "
                                "commands that would change it are refused. To work in the workspace, open it again "
                                "once the disk answers; if this goes on, keep the workspace on a disk that can lock "
                                "folders.");
    session::CloseWorkspace();
}

TEST_F(WorkspaceLoadTest, UnreadableWorkspaceGives511AndKeepsTheOpenOne) {
    ASSERT_EQ(Open(shop).status, Status::Loaded);
    const auto* db = Globals::g_Database.get();
    std::ofstream(dir / "Broken.hxp") << "this is not a workspace";
    std::ofstream(dir / "Shop.txt") << "";

    for (const fs::path& bad : {dir / "Broken.hxp", dir / "Shop.txt", dir / "Missing.hxp"}) {
        prompt.asked.clear();
        const WorkspaceView view = Open(bad);
        EXPECT_EQ(view.status, Status::Unchanged) << bad;
        EXPECT_FALSE(view.previousClosed);
        ASSERT_EQ(prompt.asked.size(), 1u);
        EXPECT_EQ(prompt.asked[0], "Cannot open workspace.");
        EXPECT_EQ(prompt.titles[0], "Quarvel Analyzer");
    }
    EXPECT_EQ(Globals::g_Database.get(), db);
    EXPECT_EQ(Globals::g_WorkspaceFolder, dir / "Shop");
    EXPECT_EQ(session::CurrentWorkspaceFile(), shop);
    EXPECT_TRUE(Globals::g_WorkspaceOpen);
    EXPECT_TRUE(Globals::g_Workbench && Globals::g_Workbench->IsRepositoryOpen());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Ents"), 4);
    EXPECT_FALSE(fs::exists(dir / "Broken"));
}

TEST_F(WorkspaceLoadTest, DatabaseFailureAfterAGoodOpenLeavesNothingOpen) {
    ASSERT_EQ(Open(shop).status, Status::Loaded);
    const fs::path other = dir / "Other.hxp";
    MakeWorkspace(other, "Other");
    fs::create_directories(dir / "Other");
    std::ofstream(dir / "Other" / "QuarvelAnalyzer.mdb") << "garbage, not a database file at all........";

    const WorkspaceView view = Open(other);
    EXPECT_EQ(view.status, Status::Failed);
    EXPECT_TRUE(view.previousClosed);
    EXPECT_FALSE(view.workspaceCommandsEnabled);
    EXPECT_EQ(view.caption, "Quarvel Analyzer");
    EXPECT_TRUE(view.summary.Empty());
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0], view.error);
    EXPECT_FALSE(view.error.empty());
    ExpectNothingOpen();

    // The same workspace opens again once its database is readable.
    fs::remove(dir / "Other" / "QuarvelAnalyzer.mdb");
    EXPECT_EQ(Open(other).status, Status::Loaded);
}

TEST_F(WorkspaceLoadTest, MissingTemplateFailsTheBuild) {
    TempDir emptyApp;
    Globals::g_AppPath = emptyApp.Path();
    const WorkspaceView view = Open(shop);
    Globals::g_AppPath = testsupport::AppDir();
    EXPECT_EQ(view.status, Status::Failed);
    EXPECT_EQ(prompt.asked.size(), 1u);
    ExpectNothingOpen();
}

TEST_F(WorkspaceLoadTest, ABuildThatFailsHalfwayReopensMarkedIncomplete) {
    FailingClassification failing;
    const WorkspaceView view = session::OpenWorkspace(shop, {}, failing, prompt);
    EXPECT_EQ(view.status, Status::Failed);
    EXPECT_EQ(view.error, "Disk I/O error while classifying");
    ExpectNothingOpen();
    EXPECT_EQ(StoredStatus(), kIncomplete);

    const WorkspaceView reopened = Open(shop);
    ASSERT_EQ(reopened.status, Status::Loaded) << reopened.error;
    EXPECT_EQ(reopened.logText, kIncomplete);
}

TEST_F(WorkspaceLoadTest, SummaryMenuAsksTheOpenRepositoryForTheLanguage) {
    const WorkspaceView view = Open(shop);
    ASSERT_EQ(view.status, Status::Loaded) << view.error;
    const std::string id = Globals::g_Database->Scalar("SELECT ID FROM Ents WHERE Name = 'PAYROLL'").AsText();
    const auto* node = view.summary.Find(id);
    ASSERT_TRUE(node);
    const services::SummaryNodeRef ref{node->key, node->text, node->tag};
    services::NodeMenu menu;
    const auto languages = services::RepositoryLanguages(Globals::g_Workbench.get());
    EXPECT_EQ(languages(id), "COBOL");
    EXPECT_FALSE(languages("PROGRAM#999"));
    EXPECT_TRUE(services::ShowSummaryNodeMenu(menu, &ref, 2, languages));
    EXPECT_EQ(menu.ShownItems().size(), 7u);
    EXPECT_EQ(menu[services::NodeMenuItem::Description].tag, services::JoinTag("PAYROLL", id));

    // Once the workspace is closed the repository no longer answers.
    session::CloseWorkspace();
    EXPECT_FALSE(services::RepositoryLanguages(Globals::g_Workbench.get())(id));
    EXPECT_TRUE(services::ShowSummaryNodeMenu(menu, &ref, 2, services::RepositoryLanguages(nullptr)));
    EXPECT_EQ(menu.ShownItems(), std::vector<services::NodeMenuItem>{services::NodeMenuItem::Description});
}

// The window empties itself once the new session is open: by then the
// previous workspace is closed and the new one is not built yet; a file
// that cannot be opened never gets that far.
TEST_F(WorkspaceLoadTest, TheWindowHearsOfTheOpenSessionBeforeTheBuild) {
    ASSERT_EQ(Open(shop).status, Status::Loaded);
    const fs::path other = dir / "Other.hxp";
    MakeWorkspace(other, "Other");
    std::vector<std::string> heard;
    session::LoadEnvironment env;
    env.sessionOpened = [&](const std::string& caption) {
        heard.push_back(caption);
        // The previous database is closed, the new one not yet made.
        EXPECT_FALSE(Globals::g_Database);
        EXPECT_FALSE(fs::exists(dir / "Other" / "QuarvelAnalyzer.mdb"));
        EXPECT_EQ(progress.steps.size(), 0u);
        EXPECT_TRUE(Globals::g_WorkspaceOpen);
    };
    std::ofstream(dir / "Broken.hxp") << "this is not a workspace";
    progress.steps.clear();
    EXPECT_EQ(session::OpenWorkspace(dir / "Broken.hxp", env, progress, prompt).status, Status::Unchanged);
    EXPECT_TRUE(heard.empty());

    const WorkspaceView view = session::OpenWorkspace(other, env, progress, prompt);
    ASSERT_EQ(view.status, Status::Loaded) << view.error;
    EXPECT_EQ(heard, std::vector<std::string>{"Quarvel Analyzer - Other"});
    EXPECT_FALSE(progress.steps.empty());

    // A refresh rebuilds under the same caption.
    progress.steps.clear();
    ASSERT_EQ(session::RefreshWorkspace(env, progress, prompt).status, Status::Loaded);
    EXPECT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard.back(), "Quarvel Analyzer - Other");
}

TEST_F(WorkspaceLoadTest, CloseReleasesEverything) {
    ASSERT_EQ(Open(shop).status, Status::Loaded);
    session::CloseWorkspace();
    ExpectNothingOpen();
    session::CloseWorkspace();   // closing twice is harmless
    // Nothing holds the database any more: it can be replaced.
    EXPECT_TRUE(workspace::DeleteWorkspaceDatabase(dir / "Shop"));
}

TEST_F(WorkspaceLoadTest, SetupErrorIsReportedAndEndsTheProgram) {
    ASSERT_EQ(Open(shop).status, Status::Loaded);
    // A file where the user's option folder must be: the user options cannot be made.
    const fs::path config = fs::path(Globals::g_Workbench->GetFolder(platform::workbench::kFolderUserConfig));
    fs::create_directories(config);
    const fs::path options = config / "Options";
    const bool hadFolder = fs::exists(options);
    fs::path saved = config / "Options.saved";
    if (hadFolder) fs::rename(options, saved);
    std::ofstream(options) << "in the way";

    const WorkspaceView view = Open(shop);
    fs::remove(options);
    if (hadFolder) fs::rename(saved, options);

    EXPECT_EQ(view.status, Status::Fatal);
    ASSERT_EQ(prompt.titles.size(), 1u);
    EXPECT_EQ(prompt.titles[0], "Quarvel Analyzer - Workbench");
    EXPECT_EQ(prompt.asked[0], view.error);
    ExpectNothingOpen();
}

}  // namespace
