// The OrderEntry sample opened as the window opens it, its folder held by
// the claim, and that folder moved away and replaced while a command that
// writes runs: by a link to a folder holding files of the names the
// command writes, or by a copy of itself (which a second window may then
// open for writing). The command stops with a plain message and writes
// nothing more anywhere: what lies where the path leads now, and in the
// folder's parent, stays byte-identical, and the held folder keeps its
// tables and its report set.

#include <gmock/gmock.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/AsideRemoval.h"
#include "reports/CrudAnalysis.h"
#include "reports/CrudComparison.h"
#include "reports/ReportError.h"
#include "reports/ReportRun.h"
#include "session/WorkspaceLoad.h"
#include "tests/reports/ReportLinks.h"
#include "tests/support/TestSupport.h"
#include "workspace/WorkspaceDatabase.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlReports;

// Every file below folder (links as links) with its content.
std::map<std::string, std::string> Files(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (fs::recursive_directory_iterator it(folder), end; it != end; ++it)
        files[it->path().lexically_relative(folder).string()] =
            it->is_symlink() ? "link" : it->is_regular_file() ? reporttest::ReadText(it->path()) : "folder";
    return files;
}

// The files of folder itself, not below it.
std::map<std::string, std::string> TopFiles(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(folder))
        if (!e.is_symlink() && e.is_regular_file()) files[e.path().filename().string()] = reporttest::ReadText(e.path());
    return files;
}

std::function<void()> g_atSettingAside;
void SwapAtSettingAside(const char* step) {
    if (std::string_view(step) == kStepSettingAside && g_atSettingAside) std::exchange(g_atSettingAside, {})();
}

class MovedWorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResModule::SetLanguage(ResModule::Language::English);
        Globals::g_AppPath = testsupport::AppDir();
        testsupport::CopyBuiltSample(dir.Path());
        testsupport::RecordingProgress opening;
        const auto view = session::OpenWorkspace(dir / "OrderEntry.hxp", {}, opening, prompt);
        ASSERT_EQ(view.status, session::WorkspaceView::Status::Loaded) << view.error;
        prompt.asked.clear();
    }
    void TearDown() override {
        SetReportStepHook(nullptr);
        session::CloseWorkspace();
    }

    // The rows of the tables the analyses rebuild, in one text.
    std::string Tables() {
        std::string rows;
        for (const char* table : {"CRUDs", "ProgCRUD", "ProgCRUDProg", "Commarea", "Ports"})
            rows += table + (": " + Globals::g_Database
                                        ->Scalar(std::string("SELECT count(*) || '/' || total(rowid) FROM ") + table)
                                        .AsText()) + "\n";
        return rows;
    }
    std::string Moved() const {
        return "the workspace folder " + workspace.string() + " was moved or replaced while the workspace was open";
    }

    testsupport::TempDir dir;
    const fs::path workspace = dir / "OrderEntry", away = dir / "OrderEntry-away";
    testsupport::ScriptedPrompt prompt;
};

// Between the overlap's first write to its tables and its comparison file,
// the folder goes and a link to a folder holding a comparison file and a
// journal-named file takes its place.
TEST_F(MovedWorkspaceTest, TheOverlapStopsWhenTheFolderIsReplacedByALinkAndWritesNothingThrough) {
    testsupport::RecordingProgress quiet;
    ASSERT_GT(GetCRUDReport(*Globals::g_Database, Globals::g_WorkspaceBoundary, quiet, false).similarPairs, 0u);
    const std::string tables = Tables();
    const fs::path victim = dir / "OrderEntry-victim";
    for (const fs::path& place : {victim, dir.Path()}) {
        reporttest::WriteText(place / kCrudComparisonFileName, "<Pairs/>");
        reporttest::WriteText(place / (std::string(workspace::kDatabaseFileName) + "-journal"), "victim");
    }
    const auto victims = Files(victim), parent = TopFiles(dir.Path());

    struct SwappingProgress : testsupport::RecordingProgress {
        std::function<void()> swap;
        void StartStep(const std::string& action) override {
            RecordingProgress::StartStep(action);
            if (swap && action == "Tracing CRUD operations") std::exchange(swap, {})();
        }
    } swapping;
    swapping.swap = [&] {
        fs::rename(workspace, away);
        fs::create_directory_symlink(victim, workspace);
    };
    std::string message = "not stopped";
    try {
        GetCRUDReport(*Globals::g_Database, Globals::g_WorkspaceBoundary, swapping, false);
    } catch (const std::exception& e) {
        message = e.what();
    }
    EXPECT_FALSE(swapping.swap) << "no tracing step";
    EXPECT_EQ(message, "Cannot write " + (workspace / kCrudComparisonFileName).string() + ": " + Moved());
    EXPECT_TRUE(Files(victim) == victims) << "written where the link leads";
    EXPECT_TRUE(TopFiles(dir.Path()) == parent) << "written beside the workspace folder";

    // Every command after it, a refresh included, is refused before it
    // starts, with the same words.
    EXPECT_TRUE(Globals::RefuseWhileViewOnly(prompt, "CRUD Overlap"));
    EXPECT_FALSE(session::RefreshPossible(prompt));
    const std::string refused = " was refused: nothing in the workspace was changed.\nThe workspace folder " +
                                workspace.string() +
                                " was moved or replaced while the workspace was open. Close the workspace and open "
                                "it again.";
    EXPECT_THAT(prompt.asked, ::testing::ElementsAre("CRUD Overlap" + refused, "Refresh Workspace" + refused));

    fs::remove(workspace);
    fs::rename(away, workspace);
    EXPECT_EQ(Tables(), tables);
}

// A report run starts; as it sets the earlier set aside, the folder is
// replaced by a copy of itself. The copy gets nothing: its set is not set
// aside and no index is written in it. A run started once the copy is in
// place is refused before it touches anything.
TEST_F(MovedWorkspaceTest, AReportRunWritesNothingInACopyPutInPlaceOfTheFolder) {
    testsupport::RecordingProgress progress;
    ReportRun run{*Globals::g_Database, *Globals::g_Workbench, workspace, g_ReportPaths, progress, prompt, {}};
    prompt.answers = {common::Answer::No};
    ASSERT_FALSE(GenerateReports(run).incomplete);
    const std::string tables = Tables();
    const auto held = Files(workspace);
    const fs::path copy = dir / "OrderEntry-copy";
    std::map<std::string, std::string> copied;
    g_atSettingAside = [&] {
        fs::copy(workspace, copy, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        fs::rename(workspace, away);
        fs::rename(copy, workspace);
        copied = Files(workspace);
    };
    SetReportStepHook(SwapAtSettingAside);
    const auto failure = [&] {
        try {
            GenerateReports(run);
        } catch (const ReportError& e) {
            return std::string(e.what());
        }
        return std::string("not stopped");
    };
    EXPECT_EQ(failure(), "Generate Reports stopped: " + Moved() + ", so nothing more was written.");
    ASSERT_FALSE(g_atSettingAside) << "nothing was set aside";
    EXPECT_TRUE(Files(workspace) == copied) << "the copy changed";
    EXPECT_TRUE(Files(away) == held) << "the held folder's set or tables changed";

    EXPECT_EQ(failure(), "Generate Reports was refused: " + Moved() + ", so nothing in it was changed.");
    EXPECT_TRUE(Files(workspace) == copied) << "the copy changed";
    EXPECT_EQ(Tables(), tables);
    fs::remove_all(workspace);
    fs::rename(away, workspace);
}

}  // namespace
