// Two windows of the tool on one workspace: this test's main window and a
// child process (tests/crash/child) that holds the workspace, at rest and
// in the middle of a refresh, until it is killed. The second window only
// views: every command that writes is refused with one plain message, and
// the holder's database, comparison file and report set stay as they were.
// A killed holder leaves the workspace free.

#include <QPlainTextEdit>
#include <QUrl>

#include <fstream>
#include <map>
#include <sstream>

#include "app/ReportCommands.h"
#include "reports/CrudComparison.h"
#include "reports/ReportPaths.h"
#include "tests/app/WorkspaceSampleFixture.h"
#include "tests/crash/HoldingChild.h"
#include "workspace/WorkspaceDatabase.h"

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
    }
    void TearDown() override {
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

    // Every command that writes: one message each, before anything is touched.
    const std::vector<std::pair<QAction*, std::string>> writing = {
        {main->mnuToolsGenerateReports, "Generate Reports"},
        {main->mnuToolsCRUD, "CRUD Overlap"},
        {main->mnuToolsCOMMAREA, "COMMAREA Size"},
        {main->mnuToolsValidation, "Validation Rules"},
        {main->mnuToolsEnterClientInformation, "Enter Client Information"},
        {main->mnuNCNewWebService, "New Web Service"},
        {main->mnuNCSetWebSvc, "Set as Web Operation"},
        {main->mnuNCDefineMessages, "Define Messages"},
        {main->mnuNCDeleteNode, "Delete Node"},
        {main->mnuFileRefreshWorkspace, "Refresh Workspace"},
    };
    for (const auto& [action, name] : writing) {
        SCOPED_TRACE(name);
        prompt.asked.clear();
        prompt.answers = {Answer::Yes};   // the refresh question
        action->setEnabled(true);
        action->trigger();
        EXPECT_EQ(prompt.asked.size(), action == main->mnuFileRefreshWorkspace ? 2u : 1u);
        const std::string refusal = prompt.asked.empty() ? std::string() : prompt.asked.back();
        EXPECT_EQ(refusal, name + " was refused: nothing in the workspace was changed.\n" + kOtherWindow +
                               ", so the workspace can only be viewed here. To work in it here, close it there "
                               "and open it again here.");
        EXPECT_TRUE(Globals::g_Database);
    }
    EXPECT_TRUE(Bytes(database) == databaseBefore) << "the holder's database changed";
    EXPECT_TRUE(Bytes(comparison) == comparisonBefore) << "the holder's comparison file changed";
    EXPECT_TRUE(Files(reports) == reportsBefore) << "the holder's report set changed";
    app::CloseWorkspace(*main);

    // A holder killed outright frees the workspace for this window.
    EXPECT_TRUE(holder->Kill());
    OpenSample();
    EXPECT_TRUE(Writable()) << Log();
    EXPECT_EQ(Log().find("viewing"), std::string::npos) << Log();
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

}  // namespace
