// Open, reopen, refresh and close on workspaces a desktop tool meets in the
// field: names with quotes, markup characters and non-ASCII letters, very
// long names, empty repositories, repeated commands and damaged databases.

#include <gtest/gtest.h>

#include <fstream>

#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/db/Database.h"
#include "platform/workbench/RepositoryBuilder.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "services/NodeCommands.h"
#include "services/NodeMenu.h"
#include "session/WorkspaceLoad.h"
#include "session/WorkspaceSession.h"
#include "tests/support/TestSupport.h"
#include "workspace/WorkspaceDatabase.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RecordingProgress;
using testsupport::ScriptedPrompt;
using testsupport::TempDir;
using session::WorkspaceView;
using Status = WorkspaceView::Status;

// With a dot: only ".hxp" ends the name of the workspace and of its folder.
const std::string kOddName = "Dépôt O'Neil & \"Co\" <#1> Ærø.v2";

std::vector<std::string> Listing(const common::Tree& tree) {
    std::vector<std::string> out;
    for (const auto& n : tree.Nodes()) out.push_back(n.parentKey + " / " + n.key + " / " + n.text + " / " + n.image);
    return out;
}

class WorkspaceLoadOddInputsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResModule::SetLanguage(ResModule::Language::English);
        Globals::g_AppPath = testsupport::AppDir();
    }
    void TearDown() override { session::CloseWorkspace(); }

    WorkspaceView Open(const fs::path& file) { return session::OpenWorkspace(file, {}, progress, prompt); }
    WorkspaceView Refresh() { return session::RefreshWorkspace({}, progress, prompt); }
    int64_t Count(const std::string& sql) { return Globals::g_Database->Scalar(sql).AsInt(); }

    TempDir dir;
    RecordingProgress progress;
    ScriptedPrompt prompt;
};

TEST_F(WorkspaceLoadOddInputsTest, OddNamesSurviveOpenReopenAndRefresh) {
    const fs::path folder = dir / ("Folder " + kOddName);
    fs::create_directories(folder);
    const fs::path file = folder / (kOddName + ".hxp");
    auto b = platform::workbench::RepositoryBuilder::CreateWorkspace(file, kOddName);
    b->AddEntity("FOLDER", kOddName);
    b->AddEntity("PROGRAM", "PAY'ROLL \"X\" <&>", {{"Language", "COBOL"}});
    b->AddEntity("TABLE", "CUST'OMER");
    b->Finish();

    const WorkspaceView first = Open(file);
    ASSERT_EQ(first.status, Status::Loaded) << first.error;
    EXPECT_EQ(first.caption, "Quarvel Analyzer - " + kOddName);
    EXPECT_EQ(Globals::g_WorkspaceFolder, folder / kOddName);
    EXPECT_TRUE(fs::exists(folder / kOddName / "QuarvelAnalyzer.mdb"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Ents"), 2);
    bool named = false;
    for (const auto& n : first.summary.Nodes()) named = named || n.text == "PAY'ROLL \"X\" <&>";
    EXPECT_TRUE(named);

    const WorkspaceView again = Open(file);
    ASSERT_EQ(again.status, Status::Loaded) << again.error;
    EXPECT_EQ(Listing(again.summary), Listing(first.summary));

    const WorkspaceView refreshed = Refresh();
    ASSERT_EQ(refreshed.status, Status::Loaded) << refreshed.error;
    EXPECT_EQ(Listing(refreshed.summary), Listing(first.summary));
    EXPECT_TRUE(prompt.asked.empty()) << prompt.asked.front();
}

TEST_F(WorkspaceLoadOddInputsTest, EmptyRepositoryAndRepeatedCommands) {
    const fs::path file = dir / "Empty.hxp";
    auto b = platform::workbench::RepositoryBuilder::CreateWorkspace(file, "Empty");
    b->AddEntity("FOLDER", "Empty");
    b->Finish();

    for (int i = 0; i < 3; ++i) {
        const WorkspaceView view = i == 2 ? Refresh() : Open(file);
        ASSERT_EQ(view.status, Status::Loaded) << view.error;
        EXPECT_TRUE(view.summary.Empty());
        EXPECT_FALSE(view.showLog) << view.logText;
    }
    session::CloseWorkspace();
    session::CloseWorkspace();
    // Nothing is open: a refresh has nothing to rebuild but must not crash.
    const WorkspaceView view = Refresh();
    EXPECT_NE(view.status, Status::Fatal);
    EXPECT_TRUE(prompt.asked.empty()) << prompt.asked.front();
}

TEST_F(WorkspaceLoadOddInputsTest, VeryLongWorkspaceName) {
    const std::string name(200, 'L');
    const fs::path file = dir / (name + ".hxp");
    auto b = platform::workbench::RepositoryBuilder::CreateWorkspace(file, name);
    b->AddEntity("FOLDER", name);
    b->AddEntity("PROGRAM", "P1");
    b->Finish();
    const WorkspaceView view = Open(file);
    ASSERT_EQ(view.status, Status::Loaded) << view.error;
    EXPECT_EQ(view.caption, "Quarvel Analyzer - " + name);
    EXPECT_EQ(Refresh().status, Status::Loaded);
}

TEST_F(WorkspaceLoadOddInputsTest, EmptyDatabaseFileIsReportedAndNothingStaysOpen) {
    const fs::path file = dir / "Shop.hxp";
    auto b = platform::workbench::RepositoryBuilder::CreateWorkspace(file, "Shop");
    b->AddEntity("FOLDER", "Shop");
    b->AddEntity("PROGRAM", "P1");
    b->Finish();
    fs::create_directories(dir / "Shop");
    std::ofstream(dir / "Shop" / "QuarvelAnalyzer.mdb");   // zero bytes

    const WorkspaceView view = Open(file);
    EXPECT_EQ(view.status, Status::Failed);
    EXPECT_FALSE(view.error.empty());
    EXPECT_FALSE(Globals::g_Database);
    EXPECT_FALSE(Globals::g_WorkspaceOpen);
}

}  // namespace

namespace {

TEST_F(WorkspaceLoadOddInputsTest, RelativeWorkspacePathIsTheWorkingFoldersFile) {
    auto b = platform::workbench::RepositoryBuilder::CreateWorkspace(dir / "Rel.hxp", "Rel");
    b->AddEntity("FOLDER", "Rel");
    b->AddEntity("PROGRAM", "P1");
    b->Finish();
    const fs::path before = fs::current_path();
    fs::current_path(dir.Path());
    const WorkspaceView view = Open("Rel.hxp");
    fs::current_path(before);
    ASSERT_EQ(view.status, Status::Loaded) << view.error;
    EXPECT_TRUE(fs::exists(dir / "Rel" / "QuarvelAnalyzer.mdb"));
    EXPECT_FALSE(fs::exists(Globals::g_AppPath / "Rel"));
    // The refresh finds the same workspace whatever the working folder is now.
    const WorkspaceView refreshed = Refresh();
    ASSERT_EQ(refreshed.status, Status::Loaded) << refreshed.error;
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Ents"), 1);
}

}  // namespace

namespace {

void MakeSmall(const fs::path& file, const std::string& program) {
    auto b = platform::workbench::RepositoryBuilder::CreateWorkspace(file, "Project");
    b->AddEntity("FOLDER", "Project");
    b->AddEntity("PROGRAM", program, {{"Language", "COBOL"}});
    b->Finish();
}

TEST_F(WorkspaceLoadOddInputsTest, SwitchingWorkspacesLeavesOnlyTheNewOneOpenAndRefreshRebuildsIt) {
    MakeSmall(dir / "A.hxp", "APGM");
    MakeSmall(dir / "B.hxp", "BPGM");
    ASSERT_EQ(Open(dir / "A.hxp").status, Status::Loaded);
    const WorkspaceView b = Open(dir / "B.hxp");
    ASSERT_EQ(b.status, Status::Loaded) << b.error;
    EXPECT_EQ(b.caption, "Quarvel Analyzer - B");
    ASSERT_TRUE(Globals::g_Workbench && Globals::g_Workbench->IsRepositoryOpen());
    EXPECT_EQ(Globals::g_ModelLoader.GetSession(), Globals::g_Workbench.get());
    EXPECT_TRUE(Globals::g_Workbench->GetEntityStore().EntityExists("PROGRAM", "BPGM"));
    EXPECT_FALSE(Globals::g_Workbench->GetEntityStore().EntityExists("PROGRAM", "APGM"));
    const std::string id = Globals::g_Database->Scalar("SELECT ID FROM Ents WHERE Name = 'BPGM'").AsText();
    EXPECT_EQ(services::RepositoryLanguages(Globals::g_Workbench.get())(id), "COBOL");

    const WorkspaceView refreshed = Refresh();
    ASSERT_EQ(refreshed.status, Status::Loaded) << refreshed.error;
    EXPECT_EQ(refreshed.caption, "Quarvel Analyzer - B");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Ents WHERE Name = 'BPGM'"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Ents WHERE Name = 'APGM'"), 0);
}

}  // namespace

namespace {

TEST_F(WorkspaceLoadOddInputsTest, RefreshWhoseRepositoryCannotOpenKeepsTheAnalystsWork) {
    const fs::path file = dir / "Shop.hxp";
    MakeSmall(file, "PAYROLL");
    ASSERT_EQ(Open(file).status, Status::Loaded);
    const std::string id = Globals::g_Database->Scalar("SELECT ID FROM Ents WHERE Name = 'PAYROLL'").AsText();
    ASSERT_EQ(services::SetAsWebOperation(*Globals::g_Database, services::JoinTag("PAYROLL", id)),
              services::SetWebOperationResult::Added);

    // The repository is away (a network folder offline, say): nothing can be rebuilt.
    const fs::path repository = dir / "Shop" / "Repository.db";
    ASSERT_TRUE(fs::exists(repository));
    fs::rename(repository, dir / "Repository.away");
    const WorkspaceView view = Refresh();
    EXPECT_EQ(view.status, Status::Failed);
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0], "Cannot open workspace.");
    EXPECT_FALSE(Globals::g_Database);
    ASSERT_TRUE(fs::exists(dir / "Shop" / "QuarvelAnalyzer.mdb"));

    // Once it is back, the workspace reopens with the web operation still there.
    fs::rename(dir / "Repository.away", repository);
    const WorkspaceView reopened = Open(file);
    ASSERT_EQ(reopened.status, Status::Loaded) << reopened.error;
    EXPECT_EQ(reopened.webOperations.Count(), 1u);
}

}  // namespace

namespace {

TEST_F(WorkspaceLoadOddInputsTest, OpeningTheOpenWorkspaceAgainKeepsAWorkingSession) {
    const fs::path file = dir / "Shop.hxp";
    MakeSmall(file, "PAYROLL");
    ASSERT_EQ(Open(file).status, Status::Loaded);
    ASSERT_EQ(Open(file).status, Status::Loaded);
    ASSERT_TRUE(Globals::g_Workbench && Globals::g_Workbench->IsRepositoryOpen());
    EXPECT_TRUE(Globals::g_Workbench->GetEntityStore().EntityExists("PROGRAM", "PAYROLL"));
    const std::string id = Globals::g_Database->Scalar("SELECT ID FROM Ents WHERE Name = 'PAYROLL'").AsText();
    EXPECT_EQ(services::RepositoryLanguages(Globals::g_Workbench.get())(id), "COBOL");
}

}  // namespace

namespace {

TEST_F(WorkspaceLoadOddInputsTest, DamagedWorkspaceFilesAndRepositoriesGive511AndKeepTheOpenOne) {
    fs::create_directories(dir / "Dir.hxp");
    std::ofstream(dir / "Empty.hxp");
    std::ofstream(dir / "Xml.hxp") << "<?xml version=\"1.0\"?><Other/>";
    std::ofstream(dir / "Bin.hxp") << std::string("\x00\x01\x02\xff\xfe", 5);
    MakeSmall(dir / "Good.hxp", "P");
    std::string good;
    {
        std::ifstream in(dir / "Good.hxp");
        good.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::ofstream(dir / "Half.hxp") << good.substr(0, good.size() / 2);
    for (const char* n : {"Garbage", "Blank", "Zero", "NoFolder"}) {
        fs::create_directories(dir / n);
        std::ofstream(dir / (std::string(n) + ".hxp")) << good;
    }
    std::ofstream(dir / "Garbage" / "Repository.db") << std::string(5000, 'x');
    platform::db::Database::Create(dir / "Blank" / "Repository.db")->Execute("CREATE TABLE t(x)");
    std::ofstream(dir / "Zero" / "Repository.db");
    {
        auto b = platform::workbench::RepositoryBuilder::CreateWorkspace(dir / "NoFolder.hxp", "Project");
        b->AddEntity("PROGRAM", "P");
        b->Finish();
    }
    ASSERT_EQ(Open(dir / "Good.hxp").status, Status::Loaded);
    const auto* db = Globals::g_Database.get();
    for (const char* name : {"Dir.hxp", "Empty.hxp", "Xml.hxp", "Bin.hxp", "Half.hxp", "Garbage.hxp", "Blank.hxp",
                             "Zero.hxp", "NoFolder.hxp"}) {
        prompt.asked.clear();
        const WorkspaceView view = Open(dir / name);
        EXPECT_EQ(view.status, Status::Unchanged) << name;
        ASSERT_EQ(prompt.asked.size(), 1u) << name;
        EXPECT_EQ(prompt.asked[0], "Cannot open workspace.") << name;
    }
    EXPECT_EQ(Globals::g_Database.get(), db);
    EXPECT_EQ(session::CurrentWorkspaceFile(), dir / "Good.hxp");
    // A file that is not a repository is left as it was.
    EXPECT_EQ(fs::file_size(dir / "Zero" / "Repository.db"), 0u);
    EXPECT_EQ(platform::db::Database::Open(dir / "Blank" / "Repository.db")
                  ->Scalar("SELECT COUNT(*) FROM sqlite_master").AsInt(), 1);
    for (const char* n : {"Garbage", "Blank", "Zero"}) EXPECT_FALSE(fs::exists(dir / n / "QuarvelAnalyzer.mdb"));
    EXPECT_TRUE(Globals::g_Workbench && Globals::g_Workbench->IsRepositoryOpen());
}

}  // namespace

namespace {

TEST_F(WorkspaceLoadOddInputsTest, PercentQuestionAndStarNamesOpen) {
    for (const std::string name : {"Sale 50%25 a%20b", "what? *all* [x]", "-dash ~tilde $HOME"}) {
        const fs::path file = dir / (name + ".hxp");
        auto b = platform::workbench::RepositoryBuilder::CreateWorkspace(file, "Project");
        b->AddEntity("FOLDER", "Project");
        b->AddEntity("PROGRAM", "P1");
        b->Finish();
        const WorkspaceView view = Open(file);
        ASSERT_EQ(view.status, Status::Loaded) << name << ": " << (prompt.asked.empty() ? "" : prompt.asked[0]);
        EXPECT_EQ(view.caption, "Quarvel Analyzer - " + name);
        EXPECT_TRUE(fs::exists(dir / name / "QuarvelAnalyzer.mdb")) << name;
        EXPECT_EQ(Refresh().status, Status::Loaded) << name;
    }
}

}  // namespace
