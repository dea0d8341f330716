// Tools > Generate Reports on the real main window with the OrderEntry
// sample: the question, the index handed to the desktop, the analyst's own
// overlap window left alone, what a failure and a missing browser show, and
// a report whose folder was swapped while it was written.

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QUrl>

#include <string_view>

#include "app/CommandsTools.h"
#include "app/ReportCommands.h"
#include "reports/AsideRemoval.h"
#include "reports/ReportPaths.h"
#include "reports/ui/frmCRUDComp.h"
#include "tests/app/WorkspaceSampleFixture.h"
#include "tests/reports/ReportTestSupport.h"

namespace {

using apptest::WorkspaceSampleTest;

class ReportCommandsTest : public WorkspaceSampleTest {
protected:
    void SetUp() override {
        WorkspaceSampleTest::SetUp();
        apptest::ShowAt(*main);
        Open(sample);
        ASSERT_TRUE(Globals::g_Database);
        app::InstallReportCommands(*main, [this](const QUrl& url) {
            opened.push_back(url);
            return opens;
        });
    }
    void Generate() { main->Command("mnuToolsGenerateReports")->trigger(); }
    const std::filesystem::path& Index() const { return mdlReports::g_ReportPaths.g_IndexPagePath; }

    std::vector<QUrl> opened;
    bool opens = true;
};

TEST_F(ReportCommandsTest, TheReportIsWrittenAskedAboutAndOpenedWithTheAnalystsOverlapWindowLeftAlone) {
    main->Command("mnuToolsCRUD")->trigger();
    auto* overlap = qobject_cast<reports::ui::frmCRUDComp*>(app::FindTaggedWindow(app::kCrudComparisonTag));
    ASSERT_TRUE(overlap);
    const int pairs = overlap->lvCRUDComp->topLevelItemCount();
    prompt.asked.clear();
    // A damaged code model: the analyses skip its program and say so.
    reporttest::WriteText(Globals::g_WorkspaceFolder / "Models" / "PAYVAL.mdb", "not a database");

    ASSERT_TRUE(main->Command("mnuToolsGenerateReports")->isEnabled());
    prompt.answers = {common::Answer::Yes};
    Generate();
    ASSERT_EQ(prompt.asked.size(), 1u) << prompt.asked.front();
    EXPECT_EQ(prompt.asked[0], "Would you like to view the generated report?");
    EXPECT_EQ(prompt.titles[0], Index().string());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(QString::fromStdString(Index().string())));
    EXPECT_TRUE(std::filesystem::exists(mdlReports::g_ReportPaths.g_CrudOverlapPagePath));

    EXPECT_EQ(app::FindTaggedWindow(app::kCrudComparisonTag), overlap);
    EXPECT_TRUE(overlap->isVisible());
    EXPECT_EQ(overlap->lvCRUDComp->topLevelItemCount(), pairs);
    EXPECT_TRUE(main->LogBox()->toPlainText().contains("Generate Reports: COMMAREA Size: Program PAYVAL"))
        << main->LogBox()->toPlainText().toStdString();
    EXPECT_FALSE(main->IsBusy());
    EXPECT_TRUE(main->pbProgress->isHidden());

    // No: nothing is opened.
    prompt.answers = {common::Answer::No};
    Generate();
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(ReportCommandsTest, NoBrowserAndAFailingRunAreToldAndTheWindowIsFreedAgain) {
    opens = false;
    Generate();
    ASSERT_EQ(prompt.asked.size(), 2u);
    EXPECT_EQ(prompt.asked[1], "No program is available to open the report:\n" + Index().string());

    // A comparison template that has gone: the run stops at the CRUD pages.
    mdlReports::g_ReportPaths.g_TemplateCRUD = dir / "missing.html";
    prompt.asked.clear();
    Generate();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].rfind("Generate Reports failed:\n", 0), 0u) << prompt.asked[0];
    EXPECT_NE(reporttest::ReadText(Index()).find("! Generation of reports was incomplete."), std::string::npos);
    EXPECT_FALSE(main->IsBusy());
    EXPECT_TRUE(main->pbProgress->isHidden());
    EXPECT_TRUE(main->Command("mnuToolsGenerateReports")->isEnabled());
}

// While the run writes, its report folder is renamed away and an empty
// folder put in its place (when the thread deleting the earlier report
// deletes its first file): at the end the analyst is told where the report
// went, and the empty folder's index, which does not exist, is not offered.
TEST_F(ReportCommandsTest, AReportWhoseFolderWasSwappedWhileItWasWrittenSaysWhereItWentAndOpensNothing) {
    Generate();
    ASSERT_EQ(opened.size(), 1u);
    static std::filesystem::path root, away;
    root = mdlReports::g_ReportPaths.g_ReportRoot;
    away = root.string() + "-away";
    struct SwapOnce {
        SwapOnce() { mdlReports::SetReportStepHook(&Swap); }
        ~SwapOnce() { mdlReports::SetReportStepHook(nullptr); }
        static void Swap(const char* step) {
            if (std::string_view(step) != mdlReports::kStepRemoving) return;
            mdlReports::SetReportStepHook(nullptr);
            std::filesystem::rename(root, away);
            std::filesystem::create_directory(root);
        }
    };
    prompt.asked.clear();
    prompt.titles.clear();
    {
        const SwapOnce swapping;
        Generate();
    }
    ASSERT_TRUE(std::filesystem::exists(away)) << "nothing was swapped";
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0], "The report was written to \"" + std::filesystem::canonical(away).string() +
                                   "\": its folder \"" + root.string() +
                                   "\" was renamed or replaced while the reports were being generated, so what is "
                                   "there now is not this report.");
    EXPECT_EQ(prompt.titles[0], main->ApplicationTitle().toStdString());
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_regular_file(away / "index.html"));
    EXPECT_TRUE(std::filesystem::is_empty(root));
    EXPECT_FALSE(main->IsBusy());
}

}  // namespace
