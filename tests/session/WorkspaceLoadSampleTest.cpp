// The OrderEntry sample opened as the analyst opens it: built on the first
// open, reopened unchanged on the second, marked incomplete when the import
// is cancelled.

#include <gtest/gtest.h>

#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "session/WorkspaceLoad.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using session::WorkspaceView;
using Status = WorkspaceView::Status;

std::vector<std::string> Texts(const common::Tree& tree, const std::string& parent) {
    std::vector<std::string> out;
    for (const auto* n : tree.Children(parent)) out.push_back(n->text);
    return out;
}

std::vector<std::string> Listing(const common::Tree& tree) {
    std::vector<std::string> out;
    for (const auto& n : tree.Nodes()) out.push_back(n.parentKey + "/" + n.key + "/" + n.text + "/" + n.tag);
    return out;
}

class WorkspaceLoadSampleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResModule::SetLanguage(ResModule::Language::English);
        Globals::g_AppPath = testsupport::AppDir();
        const fs::path built = testsupport::AppDir().parent_path() / "samples";
        ASSERT_TRUE(fs::exists(built / "OrderEntry.hxp")) << built;
        fs::copy(built / "OrderEntry", dir / "OrderEntry", fs::copy_options::recursive);
        fs::copy_file(built / "OrderEntry.hxp", dir / "OrderEntry.hxp");
    }
    void TearDown() override { session::CloseWorkspace(); }
    WorkspaceView Open(common::IProgress& progress) {
        return session::OpenWorkspace(dir / "OrderEntry.hxp", {}, progress, prompt);
    }
    int64_t Count(const char* sql) { return Globals::g_Database->Scalar(sql).AsInt(); }

    testsupport::TempDir dir;
    testsupport::ScriptedPrompt prompt;
};

TEST_F(WorkspaceLoadSampleTest, OpenBuildsThenReopensTheSameClassifiedApplication) {
    testsupport::RecordingProgress progress;
    const WorkspaceView built = Open(progress);
    ASSERT_EQ(built.status, Status::Loaded) << built.error;
    EXPECT_EQ(built.caption, "Quarvel Analyzer - OrderEntry");
    EXPECT_FALSE(built.showLog);
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_EQ(Texts(built.summary, ""),
              (std::vector<std::string>{"12 Screens*", "16 Client Branch*", "15 Server Branch*", "23 Data Stores"}));
    EXPECT_EQ(Texts(built.summary, "Server Branch").size(), 8u);
    EXPECT_EQ(progress.level, 0);   // every progress level was closed
    const int64_t ents = Count("SELECT COUNT(*) FROM Ents");
    const int64_t rels = Count("SELECT COUNT(*) FROM Rels");
    EXPECT_GT(rels, 0);

    testsupport::RecordingProgress quiet;
    const WorkspaceView reopened = Open(quiet);
    ASSERT_EQ(reopened.status, Status::Loaded) << reopened.error;
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Ents"), ents);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Rels"), rels);
    EXPECT_EQ(Listing(reopened.summary), Listing(built.summary));
    // No import, no classification: no progress level, only steps without
    // caption that let a window's events through.
    EXPECT_EQ(quiet.maxLevel, 0);
    EXPECT_FALSE(quiet.calls.empty());
    for (const std::string& call : quiet.calls) EXPECT_EQ(call, "StartStep()");
}

TEST_F(WorkspaceLoadSampleTest, CancelledImportWarnsOnOpenAndAgainAfterReopen) {
    testsupport::RecordingProgress cancelling;
    cancelling.cancelAfterSteps = 1;   // after the first screen
    const WorkspaceView view = Open(cancelling);
    ASSERT_EQ(view.status, Status::Loaded) << view.error;
    EXPECT_EQ(view.logText, " * Repository was not loaded completely!!!");
    EXPECT_TRUE(view.showLog);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Ents WHERE EntName = 'PROGRAM'"), 0);

    testsupport::RecordingProgress quiet;
    const WorkspaceView reopened = Open(quiet);
    ASSERT_EQ(reopened.status, Status::Loaded);
    EXPECT_EQ(reopened.logText, " * Repository was not loaded completely!!!");
    EXPECT_TRUE(reopened.showLog);
}

}  // namespace

TEST_F(WorkspaceLoadSampleTest, BuiltDatabaseLooksUpEntitiesByTheirId) {
    testsupport::RecordingProgress progress;
    ASSERT_EQ(Open(progress).status, Status::Loaded);
    // Commands and reports find a program with "ID = ? AND EntName = ?";
    // the plan must go through the ID index, not scan every program.
    auto plan = Globals::g_Database->OpenRecordset(
        "EXPLAIN QUERY PLAN SELECT * FROM Ents WHERE ID = ? AND EntName = ?", {"PROGRAM#1", "PROGRAM"});
    std::string detail;
    for (; !plan.IsEOF(); plan.MoveNext()) detail += plan.Text("detail") + "\n";
    EXPECT_NE(detail.find("idxEntsID"), std::string::npos) << detail;
}
