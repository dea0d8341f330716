// A child process builds a workspace and dies at a chosen step (as a kill
// would leave it: no destructor, no database closed). Reopening never shows
// a build as complete that did not finish, and a refresh then gives exactly
// what a clean build gives. A report run that dies never leaves a report set
// that claims to be complete.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <gmock/gmock.h>

#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/AsideRemoval.h"
#include "reports/ReportPaths.h"
#include "session/WorkspaceLoad.h"
#include "tests/crash/CrashSteps.h"
#include "tests/reports/ReportLinks.h"
#include "tests/support/TestSupport.h"
#include "workspace/WorkspaceDatabase.h"

namespace fs = std::filesystem;
using session::WorkspaceView;
using Status = WorkspaceView::Status;

namespace {

constexpr int kPrograms = 900;

// Runs the child and returns its exit code (-signal when a signal ended it).
int RunChild(const fs::path& workspace, const std::string& mode, const std::string& stop) {
    const std::string file = workspace.string(), app = testsupport::AppDir().string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const char* args[] = {QA_CRASH_CHILD, file.c_str(), app.c_str(), mode.c_str(), stop.c_str(), nullptr};
        ::execv(QA_CRASH_CHILD, const_cast<char* const*>(args));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

class CrashTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ResModule::SetLanguage(ResModule::Language::English);
        Globals::g_AppPath = testsupport::AppDir();
        s_reference = new testsupport::TempDir;
        crashtest::MakeWorkspace(*s_reference / "Crash.hxp", kPrograms);
        testsupport::RecordingProgress progress;
        testsupport::ScriptedPrompt prompt;
        const WorkspaceView view = session::OpenWorkspace(*s_reference / "Crash.hxp", {}, progress, prompt);
        ASSERT_EQ(view.status, Status::Loaded) << view.error;
        ASSERT_EQ(view.logText, "");
        s_content = crashtest::BuildContent(*Globals::g_Database);
        session::CloseWorkspace();
    }
    static void TearDownTestSuite() {
        delete s_reference;
        s_reference = nullptr;
    }
    void SetUp() override {
        ResModule::SetLanguage(ResModule::Language::English);
        Globals::g_AppPath = testsupport::AppDir();
        workspace = dir / "Crash.hxp";
        crashtest::MakeWorkspace(workspace, kPrograms);
    }
    void TearDown() override { session::CloseWorkspace(); }

    // After the child stopped: the reopen warns unless a build finished, and
    // a refresh gives the clean build's content, leaving no temporary copy.
    void ExpectRecovery(bool databaseFromUnfinishedBuild) {
        const bool existed = workspace::DatabaseExists(dir / "Crash");
        if (databaseFromUnfinishedBuild) {
            EXPECT_TRUE(existed);
        }
        WorkspaceView view = session::OpenWorkspace(workspace, {}, progress, prompt);
        ASSERT_EQ(view.status, Status::Loaded) << view.error;
        if (existed && databaseFromUnfinishedBuild) {
            EXPECT_EQ(view.logText, workspace::IncompleteLoadMessage());
            EXPECT_TRUE(view.showLog);
        } else {
            EXPECT_EQ(view.logText, "") << "a build that finished is complete";
        }
        view = session::RefreshWorkspace({}, progress, prompt);
        ASSERT_EQ(view.status, Status::Loaded) << view.error;
        EXPECT_EQ(view.logText, "");
        EXPECT_TRUE(crashtest::BuildContent(*Globals::g_Database) == s_content) << "content differs from a clean build";
        session::CloseWorkspace();
        EXPECT_EQ(crashtest::LeftoverCopies(dir / "Crash"), std::vector<std::string>{});
    }

    testsupport::TempDir dir;
    fs::path workspace;
    testsupport::RecordingProgress progress;
    testsupport::ScriptedPrompt prompt;
    static testsupport::TempDir* s_reference;
    static std::vector<std::string> s_content;
};

testsupport::TempDir* CrashTest::s_reference = nullptr;
std::vector<std::string> CrashTest::s_content;

struct Stop {
    const char* mode;
    std::string at;
    // Whether a database the stopped build made can be on disk: false where
    // the stop comes before the copy became the workspace database.
    bool leavesDatabase;
};

}  // namespace

TEST_F(CrashTest, AKilledBuildNeverReopensAsCompleteAndRefreshRecovers) {
    const std::vector<Stop> stops = {
        {"open", std::string("step:") + workspace::kStepTemplateCopied, false},
        {"open", std::string("step:") + workspace::kStepCopyMarked, false},
        {"open", std::string("step:") + workspace::kStepCopyRenamed, true},
        {"open", "progress:Collecting screens:10", true},
        // In the middle of the import, with rows written.
        {"open", "progress:Collecting programs:700", true},
        {"open", "progress:Collecting data stores:5", true},
        {"open", "progress:Classify objects:1", true},
        {"open", std::string("step:") + workspace::kStepStatusWrite, true},
        // The refresh has deleted the database the open built.
        {"refresh", std::string("step:") + workspace::kStepCopyMarked, false},
        {"refresh", std::string("step:") + workspace::kStepCopyRenamed, true},
        {"refresh", "progress:Collecting programs:600", true},
        {"refresh", std::string("step:") + workspace::kStepStatusWrite, true},
    };
    for (const Stop& stop : stops) {
        SCOPED_TRACE(std::string(stop.mode) + " " + stop.at);
        fs::remove_all(dir / "Crash" / workspace::kDatabaseFileName);
        ASSERT_EQ(RunChild(workspace, stop.mode, stop.at), crashtest::kStopped) << "the child did not reach the step";
        if (stop.at.find("step:template") == 0 || stop.at.find("step:copy-marked") == 0) {
            EXPECT_FALSE(crashtest::LeftoverCopies(dir / "Crash").empty()) << "the stop left its temporary copy";
        }
        ExpectRecovery(stop.leavesDatabase);
    }
}

TEST_F(CrashTest, ABuildThatFinishesIsComplete) {
    ASSERT_EQ(RunChild(workspace, "open", "never"), 0);
    ExpectRecovery(false);
}

// Killed while the earlier set is deleted, after the first pages, inside
// the diagrams, inside the CRUD pages and before the final index: the tree
// always has an index, and it says the set is incomplete unless every link
// and image resolves. A program that ends normally while a set it put aside
// is deleted ends cleanly. The next run leaves nothing of either behind.
TEST(ReportCrashTest, AKilledRunLeavesAnIndexThatNeverClaimsTooMuchAndTheNextRunClearsUp) {
    ResModule::SetLanguage(ResModule::Language::English);
    testsupport::TempDir dir;
    const fs::path workspace = testsupport::CopyBuiltSample(dir.Path());
    const mdlReports::ReportPaths paths = mdlReports::ComputeReportPaths(testsupport::AppDir(), dir / "OrderEntry");
    const auto incomplete = [&] {
        return reporttest::ReadText(paths.g_IndexPagePath).find("Generation of reports was incomplete") !=
               std::string::npos;
    };
    ASSERT_EQ(RunChild(workspace, "reports", "never"), 0) << "a complete set to delete";
    for (const std::string& stop : {std::string("step:") + mdlReports::kStepRemoving, std::string("caption:Programs:1"),
                                   std::string("caption:Diagram for :3"), std::string("caption:CRUD for :3"),
                                   std::string("progress:Queues:1")}) {
        SCOPED_TRACE(stop);
        ASSERT_EQ(RunChild(workspace, "reports", stop), crashtest::kStopped) << "the child did not reach the point";
        ASSERT_TRUE(fs::exists(paths.g_IndexPagePath));
        EXPECT_TRUE(incomplete() || reporttest::BrokenReferences(paths.g_ReportRoot).empty());
    }

    ASSERT_EQ(RunChild(workspace, "aside", "never"), 0);
    ASSERT_EQ(RunChild(workspace, "reports", "never"), 0);
    EXPECT_FALSE(incomplete());
    EXPECT_THAT(reporttest::BrokenReferences(paths.g_ReportRoot), ::testing::IsEmpty());
    std::vector<std::string> left;
    const fs::path output = paths.g_ReportRoot.parent_path();
    for (const auto& e : fs::recursive_directory_iterator(output))
        if (e.path().filename().string().find(".saving-") != std::string::npos || e.path().parent_path() == output)
            left.push_back(e.path().lexically_relative(output).string());
    EXPECT_THAT(left, ::testing::ElementsAre("QuarvelReports"));
}
