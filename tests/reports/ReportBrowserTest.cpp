// Report pages opened in a real browser (headless Chromium): the DOM the
// browser builds from the saved files must hold the rows, the links and
// the names exactly as the data has them.

#include <gtest/gtest.h>

#include "common/WriteBoundary.h"
#include "reports/OutputTree.h"
#include "reports/PageDocument.h"
#include "reports/ReportBuilder.h"
#include "reports/ReportIndex.h"
#include "tests/reports/BrowserSupport.h"
#include "tests/reports/ReportTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlReports;
using platform::xml::Document;
using platform::xml::Node;
using reporttest::Between;
using reporttest::Chromium;
using reporttest::Count;
using reporttest::RenderedDom;

const std::string kClient = "O'Brien & <Söhne>";
const std::string kHostile = "A&B<C";

class ReportBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_chromium = Chromium();
        if (m_chromium.isEmpty()) GTEST_SKIP() << "no Chromium installed (scripts/setup installs it)";
        fs::create_directory(m_dir / "Bank");
        ASSERT_TRUE(RebuildOutputTree(m_paths));
    }

    // A generated page finished the way page writers finish it.
    void Finish(const fs::path& file) {
        Document page = LoadPage(file, PageSource::GeneratedPage, m_prompt);
        FillClientInfo(page, kClient, "Order \"Entry\"");
        SavePage(m_output, page, file);
    }

    QString m_chromium;
    testsupport::TempDir m_dir;
    ReportPaths m_paths = reporttest::PathsIn(m_dir);
    common::WriteBoundary m_output = OutputFolderBoundary(m_paths);
    testsupport::ScriptedPrompt m_prompt;
    ReportBuilder m_builder;
};

TEST_F(ReportBrowserTest, AListPageShowsItsRowsMarkupAndNamesAsWritten) {
    const std::string image =
        "<img style=\"position:relative; top:1px;\" src=\"../images/CF.gif\" width=\"16\" height=\"16\" align=\"left\" />";
    m_builder.StartPage("<LCRecordFormat><Name CAPTION = \"Name\" RAW=\"no\"/><Note CAPTION=\"Note\" valign=\"top\"/>"
                        "</LCRecordFormat>",
                        "Summary Of Programs", m_paths.g_TemplateLevel1);
    for (const std::string& name : {std::string("PGM1"), kHostile, std::string("<script>alert(1)</script>")}) {
        m_builder.StartRow();
        m_builder.AddCell("Name", image + GetDiagramLink(m_paths, name));
        m_builder.AddCell("Note", name + " &lt;b&gt;");
        m_builder.EndRow();
    }
    m_builder.FinishPage();
    m_builder.WritePage(m_output, m_paths.g_ProgramsPagePath);
    Finish(m_paths.g_ProgramsPagePath);

    const std::string dom = RenderedDom(m_chromium, m_paths.g_ProgramsPagePath);
    const std::string table = Between(dom, "<table id=\"result\"", "</table>");
    ASSERT_FALSE(table.empty()) << dom;
    EXPECT_EQ(Count(table, "<tr>"), 4u) << table;
    EXPECT_EQ(Count(table, "<img style=\"position:relative; top:1px;\" src=\"../images/CF.gif\""), 3u);
    EXPECT_NE(table.find("<a href=\"../diagrams/A%26B%253CC.html\" class=\"style2\">A&amp;B&lt;C</a>"), std::string::npos)
        << table;
    EXPECT_NE(table.find("<td valign=\"top\">A&amp;B&lt;C &amp;lt;b&amp;gt;</td>"), std::string::npos) << table;
    EXPECT_NE(table.find("&lt;script&gt;alert(1)&lt;/script&gt;</a>"), std::string::npos) << table;
    EXPECT_EQ(Count(dom, "<script"), 0u);   // data never became markup
    EXPECT_NE(dom.find("<td id=\"Client\" class=\"value\">O'Brien &amp; &lt;Söhne&gt;</td>"), std::string::npos) << dom;
}

TEST_F(ReportBrowserTest, AnEmptyListAndTheIndexWithItsLinksCountsAndNote) {
    m_builder.PageFromList(ReportList{{"Program 1", "Program 2"}, {}}, "CRUD Overlap", m_paths.g_TemplateLevel11);
    m_builder.WritePage(m_output, m_paths.g_CrudOverlapPagePath);
    Finish(m_paths.g_CrudOverlapPagePath);
    const std::string empty = Between(RenderedDom(m_chromium, m_paths.g_CrudOverlapPagePath), "<table id=\"result\"", "</table>");
    EXPECT_EQ(Count(empty, "<tr>"), 1u) << empty;
    EXPECT_EQ(Count(empty, "<th>"), 2u) << empty;

    Document index = LoadPage(m_paths.g_TemplateIndex, PageSource::Template, m_prompt);
    FillClientInfo(index, kClient, "");
    SetIndexEntry(index, m_paths, "Screens", "3&#42;");
    SetIndexEntry(index, m_paths, "Programs", "0");
    SetIndexEntry(index, m_paths, "CRUD Overlap", "-1");
    WriteReportNote(index, true, true);
    SavePage(m_output, index, m_paths.g_IndexPagePath, PageSaveOptions{true});

    const std::string dom = RenderedDom(m_chromium, m_paths.g_IndexPagePath);
    EXPECT_NE(dom.find("<td id=\"Screens\" class=\"entry\"><div><a href=\"inventory/screens.html\" class=\"style2\">"
                       "Screens</a></div></td><td class=\"count\"><span>3*</span></td>"),
              std::string::npos)
        << dom;
    EXPECT_NE(dom.find("<div>Programs</div></td><td class=\"count\"><span>&nbsp;</span>"), std::string::npos);
    EXPECT_NE(dom.find("<a href=\"special/crudoverlap.html\" class=\"style2\">CRUD Overlap</a>"), std::string::npos);
    EXPECT_NE(dom.find("<b>Remarks:</b><br>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;<font style=\"color:red; font-weight:bold\">"
                       "! Generation of reports was incomplete.</font><br>&nbsp;&nbsp;&nbsp;&nbsp;*&nbsp;"
                       "Category contains missing programs (stubs)."),
              std::string::npos)
        << dom;
    EXPECT_NE(dom.find("O'Brien &amp; &lt;Söhne&gt;"), std::string::npos);
}

TEST_F(ReportBrowserTest, ThePreviewOfADiagramSwitchesToTheFullImage) {
    Document page = LoadPage(m_paths.g_TemplateDiagram, PageSource::Template, m_prompt);
    Node cell = FindElementById(page, "td", "image2");
    cell.RemoveChild(cell.FirstChild());
    Node img = cell.AppendElement("img");
    img.SetAttribute("src", "PGM1.2_preview.jpg");
    img.SetAttribute("name", "PGM1.2");
    img.SetAttribute("title", "Switch to full image");
    img.SetAttribute("onClick", "swapImage('PGM1.2','PGM1.2_preview.jpg','PGM1.2.jpg',1)");
    // What a click does, run once the page has loaded.
    page.SelectSingleNode("//body").AppendElement("script").AppendText(
        "document.getElementsByName('PGM1.2')[0].click();");
    SavePage(m_output, page, m_paths.g_DiagramsFolder / "PGM1.html", PageSaveOptions{true});

    const std::string dom = RenderedDom(m_chromium, m_paths.g_DiagramsFolder / "PGM1.html");
    EXPECT_NE(dom.find("src=\"PGM1.2.jpg\""), std::string::npos) << dom;
    EXPECT_EQ(dom.find("src=\"PGM1.2_preview.jpg\""), std::string::npos);
}

}  // namespace
