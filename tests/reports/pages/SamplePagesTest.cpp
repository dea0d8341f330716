// The pages of the OrderEntry sample, written as a report run writes them
// and opened in headless Chromium: the rows the database holds, the screens
// with their entry fields, and a preview that switches to its full diagram.

#include <gmock/gmock.h>

#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/workbench/WorkbenchSession.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/ProgramPages.h"
#include "reports/ScreenPages.h"
#include "session/WorkspaceLoad.h"
#include "tests/reports/BrowserSupport.h"
#include "tests/reports/pages/PageTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlReports;
using reporttest::Between;
using reporttest::RenderedDom;
using ::testing::HasSubstr;

class SamplePagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_chromium = reporttest::Chromium();
        if (m_chromium.isEmpty()) GTEST_SKIP() << "no Chromium installed (scripts/setup installs it)";
        ResModule::SetLanguage(ResModule::Language::English);
        Globals::g_AppPath = testsupport::AppDir();
        const fs::path built = testsupport::AppDir().parent_path() / "samples";
        fs::copy(built / "OrderEntry", dir / "OrderEntry", fs::copy_options::recursive);
        fs::copy_file(built / "OrderEntry.hxp", dir / "OrderEntry.hxp");
        testsupport::RecordingProgress opening;
        const auto view = session::OpenWorkspace(dir / "OrderEntry.hxp", {}, opening, prompt);
        ASSERT_EQ(view.status, session::WorkspaceView::Status::Loaded) << view.error;
        ASSERT_TRUE(RebuildOutputTree(paths));
        g_StubsPresent = false;
    }
    void TearDown() override { session::CloseWorkspace(); }

    int64_t Count(const char* sql) { return Globals::g_Database->Scalar(sql).AsInt(); }
    // Rows of the result table as the browser built it, headings included.
    size_t BrowserRows(const fs::path& page) {
        return reporttest::Count(Between(RenderedDom(m_chromium, page), "<table id=\"result\"", "</table>"), "<tr>");
    }

    QString m_chromium;
    testsupport::TempDir dir;
    testsupport::ScriptedPrompt prompt;
    testsupport::RecordingProgress progress;
    ReportPaths paths = ComputeReportPaths(testsupport::AppDir(), dir / "OrderEntry");
    ReportBuilder builder;
};

TEST_F(SamplePagesTest, TheSamplesPagesShowTheirRowsAndAPreviewSwitchesToItsDiagram) {
    ReportContext ctx{*Globals::g_Database, Globals::g_Workbench->GetEntityStore(), dir / "OrderEntry", paths,
                      builder, progress, prompt};
    const int64_t screens = Count("SELECT COUNT(*) FROM Ents WHERE EntName = 'MAP'");
    const int64_t programs = Count("SELECT COUNT(*) FROM Ents WHERE EntName = 'PROGRAM' AND SOAType <> 0");
    EXPECT_EQ(GenerateScreensReport(ctx), std::to_string(screens) + "&#42;");   // OLDMNU is known by name only
    EXPECT_EQ(GenerateProgramsReport(ctx), std::to_string(programs) + "&#42;");
    ASSERT_TRUE(GenerateDiagramPages(ctx, g_DiagramList));

    EXPECT_EQ(BrowserRows(paths.g_ScreensPagePath), static_cast<size_t>(screens + 1));
    EXPECT_EQ(BrowserRows(paths.g_ProgramsPagePath), static_cast<size_t>(programs + 1));
    const std::string menu = RenderedDom(m_chromium, GetScreenPagePath(paths, "ORDENT"));
    EXPECT_THAT(Between(menu, "<pre", "</pre>"), HasSubstr("<input type=\"text\""));

    // A page whose wide diagram shows as a preview, clicked once loaded.
    fs::path wide;
    std::string base;
    for (const DiagramListEntry& program : g_DiagramList) {
        const std::string text = reporttest::ReadText(GetDiagramPagePath(paths, program.name));
        const size_t call = text.find("swapImage('");
        if (call == std::string::npos) continue;
        wide = GetDiagramPagePath(paths, program.name);
        base = text.substr(call + 11, text.find('\'', call + 11) - call - 11);
        break;
    }
    ASSERT_FALSE(base.empty()) << "no diagram of the sample is wider than the preview limit";
    std::string page = reporttest::ReadText(wide);
    page.insert(page.rfind("</body>"), "<script>document.getElementsByName('" + base + "')[0].click();</script>\n");
    const fs::path clicked = paths.g_DiagramsFolder / "clicked.html";
    reporttest::WriteText(clicked, page);
    const std::string dom = RenderedDom(m_chromium, clicked);
    EXPECT_THAT(dom, HasSubstr("src=\"" + base + ".jpg\""));
    EXPECT_EQ(dom.find("src=\"" + base + "_preview.jpg\""), std::string::npos);
    EXPECT_THAT(dom, HasSubstr("<h1>Context - "));
}

}  // namespace
