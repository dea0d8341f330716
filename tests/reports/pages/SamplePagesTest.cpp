// The pages of the OrderEntry sample, written as a report run writes them
// and opened in headless Chromium: the rows the database holds, the screens
// with their entry fields, and a preview that switches to its full diagram.

#include <gmock/gmock.h>

#include <algorithm>
#include <tuple>

#include "common/Globals.h"
#include "common/ResModule.h"
#include "platform/screenmap/FieldListing.h"
#include "platform/screenmap/WorkspaceFiles.h"
#include "platform/workbench/WorkbenchSession.h"
#include "platform/workbench/WorkspaceGlobals.h"
#include "reports/ProgramPages.h"
#include "reports/ScreenPages.h"
#include "session/WorkspaceLoad.h"
#include "tests/reports/BrowserSupport.h"
#include "tests/reports/pages/PageTestSupport.h"

namespace {

namespace fs = std::filesystem;
namespace sm = platform::screenmap;
using namespace mdlReports;
using reporttest::Between;
using reporttest::RenderedDom;
using ::testing::HasSubstr;

// Run in a screen page once loaded: where each entry box stands, as
// "row:column|column of the character after it" in character cells of the
// page's font, counted from 1 ("-" when nothing follows the box). Every
// other character is one cell wide, so when each box and the character after
// it stand where the listing puts them, so does every field of the screen.
const char* const kMeasureBoxes = R"(
const pre = document.querySelector('pre'), probe = document.createElement('span');
probe.style.position = 'absolute';   // measures the cell without moving the screen
probe.textContent = '0'.repeat(100);
pre.insertBefore(probe, pre.firstChild);
const origin = probe.getBoundingClientRect(), cell = origin.width / 100;
const line = parseFloat(getComputedStyle(pre).lineHeight);
pre.removeChild(probe);
const column = (r) => ((r.left - origin.left) / cell + 1).toFixed(1);
const boxes = [...pre.querySelectorAll('input')].map((box) => {
  const next = box.nextSibling, r = box.getBoundingClientRect(), range = document.createRange();
  let after = '-';
  if (next && next.nodeName === 'INPUT') after = column(next.getBoundingClientRect());
  if (next && next.nodeType === Node.TEXT_NODE) {
    range.setStart(next, 0);
    range.setEnd(next, 1);
    after = column(range.getClientRects()[0]);
  }
  return ((r.top - origin.top) / line + 1).toFixed(1) + ':' + column(r) + '|' + after;
});
const out = document.createElement('div');
out.id = 'measured';
out.textContent = boxes.join(';');
document.body.append(out);
)";

std::vector<std::string> MeasuredBoxes(const QString& chromium, const fs::path& page) {
    std::string text = reporttest::ReadText(page);
    text.insert(text.rfind("</body>"), std::string("<script>") + kMeasureBoxes + "</script>\n");
    const fs::path measured = page.parent_path() / "measured.html";
    reporttest::WriteText(measured, text);
    const std::string start = "<div id=\"measured\">";
    std::istringstream list(Between(RenderedDom(chromium, measured), start, "</div>").substr(start.size()));
    std::vector<std::string> boxes;
    for (std::string box; std::getline(list, box, ';');) boxes.push_back(box);
    return boxes;
}

// The same for the listing: each box at its field's place, what follows it
// at the column after its length.
std::vector<std::string> ListedBoxes(const fs::path& listing) {
    std::vector<sm::MapField> fields = sm::ReadFieldListing(listing).fields;
    std::stable_sort(fields.begin(), fields.end(),
                     [](const auto& a, const auto& b) { return std::tie(a.row, a.col) < std::tie(b.row, b.col); });
    std::vector<std::string> boxes;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const sm::MapField& f = fields[i];
        if (!sm::IsEntryField(f)) continue;
        const std::string after =
            i + 1 < fields.size() ? std::to_string(f.col + std::max<int>(f.length, 0)) + ".0" : "-";
        boxes.push_back(std::to_string(f.row) + ".0:" + std::to_string(f.col) + ".0|" + after);
    }
    return boxes;
}

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
                      builder, progress, prompt, OutputFolderBoundary(paths)};
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

TEST_F(SamplePagesTest, EveryEntryBoxOfAScreenPageTakesTheCellsOfItsLengthInTheBrowser) {
    // An account update row holds the most boxes: four of them, added to a
    // map of the sample, a protected one among them and a label after.
    std::ofstream(dir / "OrderEntry" / "maps" / "CUSTMAP.lst", std::ios::app)
        << pagetest::FieldLine("UACCT", 0, "", 8, 8, 12) << pagetest::FieldLine("UTYPE", 0, "S", 1, 17, 12)
        << pagetest::FieldLine("ULIMIT", 0, "", 11, 19, 12) << pagetest::FieldLine("USTATUS", 1, "A", 1, 31, 12)
        << pagetest::FieldLine("_NONAME", 3, "END", 3, 33, 12);
    ReportContext ctx{*Globals::g_Database, Globals::g_Workbench->GetEntityStore(), dir / "OrderEntry", paths,
                      builder, progress, prompt, OutputFolderBoundary(paths)};
    GenerateScreensReport(ctx);

    size_t boxes = 0;
    for (platform::db::Recordset rs = Globals::g_Database->OpenRecordset(
             "SELECT Id, Name FROM Ents WHERE EntName = 'MAP' AND Stub = 0 ORDER BY Name");
         !rs.IsEOF(); rs.MoveNext()) {
        SCOPED_TRACE(rs.Text("Name"));
        const auto listing =
            sm::WorkspaceFile(dir / "OrderEntry", ctx.store.Item(rs.Text("Id")).GetAttribute("Source"));
        ASSERT_TRUE(listing);
        const std::vector<std::string> listed = ListedBoxes(*listing);
        if (listed.empty()) continue;
        EXPECT_EQ(MeasuredBoxes(m_chromium, GetScreenPagePath(paths, rs.Text("Name"))), listed);
        boxes += listed.size();
    }
    EXPECT_GT(boxes, 5u);   // the sample's boxes were measured too
}

}  // namespace
