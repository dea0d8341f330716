#include <gtest/gtest.h>

#include "common/Globals.h"
#include "reports/ReportPaths.h"

namespace {

namespace fs = std::filesystem;

class ReportPathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_app = Globals::g_AppPath;
        m_ws = Globals::g_WorkspaceFolder;
    }
    void TearDown() override {
        Globals::g_AppPath = m_app;
        Globals::g_WorkspaceFolder = m_ws;
    }
    fs::path m_app, m_ws;
};

TEST_F(ReportPathsTest, OutputTreeLiesUnderTheWorkspaceFolder) {
    Globals::g_AppPath = "/opt/qa/bin";
    Globals::g_WorkspaceFolder = "/data/Work/Bank";
    mdlReports::InitReportPaths();

    EXPECT_EQ(mdlReports::g_ReportPaths.g_ReportRoot, fs::path("/data/Work/Bank/Output/QuarvelReports"));
    EXPECT_EQ(mdlReports::g_ReportPaths.g_IndexPagePath, fs::path("/data/Work/Bank/Output/QuarvelReports/index.html"));
    const fs::path root = mdlReports::g_ReportPaths.g_ReportRoot;
    EXPECT_EQ(mdlReports::g_ReportPaths.g_DiagramsFolder, root / "diagrams");
    EXPECT_EQ(mdlReports::g_ReportPaths.g_ScreensPagePath, root / "inventory/screens.html");
    EXPECT_EQ(mdlReports::g_ReportPaths.g_ScreensFolder, root / "inventory/screens");
    EXPECT_EQ(mdlReports::g_ReportPaths.g_ProgramsPagePath, root / "inventory/programs.html");
    EXPECT_EQ(mdlReports::g_ReportPaths.g_DataStoresPagePath, root / "inventory/datastores.html");
    EXPECT_EQ(mdlReports::g_ReportPaths.g_LinesOfCodePagePath, root / "inventory/linesofcode.html");
    EXPECT_EQ(mdlReports::g_ReportPaths.g_BatchPagePath, root / "client/batch.html");
    EXPECT_EQ(mdlReports::g_ReportPaths.g_ClientFacingMixedCalledPagePath, root / "client/clientfacingmixedcalled.html");
    EXPECT_EQ(mdlReports::g_ReportPaths.g_TransitionalCalledPagePath, root / "client/transitionalcalled.html");
    EXPECT_EQ(mdlReports::g_ReportPaths.g_FrontierIrregularPagePath, root / "server/frontierirregular.html");
    EXPECT_EQ(mdlReports::g_ReportPaths.g_ServerLogicOnlyPagePath, root / "server/serverlogiconly.html");
    EXPECT_EQ(mdlReports::g_ReportPaths.g_NoCategoryPagePath, root / "special/nocategory.html");
    EXPECT_EQ(mdlReports::g_ReportPaths.g_CrudSignaturesFolder, root / "special/crudsignatures");
    EXPECT_EQ(mdlReports::g_ReportPaths.g_CommareaReportPath, root / "special/commareasize.html");
    EXPECT_EQ(mdlReports::g_ReportPaths.g_ValidationReportPath, root / "special/validationrules.html");
    EXPECT_EQ(mdlReports::g_ReportPaths.g_QueuesPagePath, root / "special/queues.html");

    EXPECT_EQ(mdlReports::g_ReportPaths.g_TemplateLevel1, fs::path("/opt/qa/bin/html/templatePage_level1.xsl"));
    EXPECT_EQ(mdlReports::g_ReportPaths.g_TemplateLevel11, fs::path("/opt/qa/bin/html/templatePage_level1.1.xsl"));
    EXPECT_EQ(mdlReports::g_ReportPaths.g_TemplateIndex, fs::path("/opt/qa/bin/html/templateIndex.html"));
    EXPECT_EQ(mdlReports::g_ReportPaths.g_TemplateCRUD, fs::path("/opt/qa/bin/html/templateCRUD.html"));
}

TEST_F(ReportPathsTest, SecondWorkspaceRecomputesOutputAndKeepsTemplatesAndTouchesNoFile) {
    Globals::g_AppPath = "/opt/qa/bin";
    Globals::g_WorkspaceFolder = "/nonexistent/First";
    mdlReports::InitReportPaths();
    const fs::path firstTemplate = mdlReports::g_ReportPaths.g_TemplateScreen;

    Globals::g_WorkspaceFolder = "/nonexistent/Second Shop";
    mdlReports::InitReportPaths();
    EXPECT_EQ(mdlReports::g_ReportPaths.g_CrudOverlapPagePath,
              fs::path("/nonexistent/Second Shop/Output/QuarvelReports/special/crudoverlap.html"));
    EXPECT_EQ(mdlReports::g_ReportPaths.g_TemplateScreen, firstTemplate);
    EXPECT_FALSE(fs::exists("/nonexistent"));
}

}  // namespace
