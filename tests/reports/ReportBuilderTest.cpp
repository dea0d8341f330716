#include <gtest/gtest.h>

#include "common/WriteBoundary.h"
#include "platform/xml/XmlDocument.h"
#include "reports/PageDocument.h"
#include "reports/ReportBuilder.h"
#include "reports/ReportError.h"
#include "tests/reports/ReportTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlReports;
using platform::xml::Document;
using platform::xml::Node;
using platform::xml::NodeList;

// Both spellings of the format's attributes, a markup column, a text column
// with cell attributes.
const char* kFormat =
    "<LCRecordFormat><Name CAPTION = \"Name\" RAW=\"no\"/>"
    "<Remark CAPTION=\"Remark &amp; note\" valign=\"top\" align=\"right\"/><Called CAPTION = \"Called\"/></LCRecordFormat>";

std::vector<std::string> Texts(const NodeList& nodes) {
    std::vector<std::string> out;
    for (const Node& n : nodes) out.push_back(n.Text());
    return out;
}

class ReportBuilderTest : public ::testing::Test {
protected:
    testsupport::TempDir m_dir;
    common::WriteBoundary m_output{m_dir.Path()};
    ReportPaths m_paths = reporttest::PathsIn(m_dir);
    ReportBuilder m_builder;
    testsupport::ScriptedPrompt m_prompt;

    fs::path Page(const char* name) {
        fs::create_directories(m_dir / "pages");
        return m_dir / "pages" / name;
    }
};

TEST_F(ReportBuilderTest, ThreeRowsWithMarkupAndEscapedTextReloadWithTheirClientCells) {
    const std::string image = "<img style=\"position:relative; top:1px;\" src=\"../images/CF.gif\" width=\"16\" height=\"16\" align=\"left\" />";
    m_builder.StartPage(kFormat, "Summary Of <Programs>", m_paths.g_TemplateLevel1);
    const std::vector<std::string> names = {"PGM1", "A&B<C", "x &lt;y&gt;"};
    for (const std::string& name : names) {
        m_builder.StartRow();
        m_builder.AddCell("Called", "Yes");   // out of format order: lands in its column
        m_builder.AddCell("name", image + GetDiagramLink(m_paths, name));
        m_builder.AddCell("Remark", name + " <b>not bold</b>");
        m_builder.EndRow();
    }
    m_builder.FinishPage();
    const fs::path file = Page("programs.html");
    m_builder.WritePage(m_output, file);

    // The page writers' round: reload, client cells, save; then read it once more.
    Document page = LoadPage(file, PageSource::GeneratedPage, m_prompt);
    FillClientInfo(page, "O'Brien & <Söhne>", "Order \"Entry\"");
    SavePage(m_output, page, file);
    page = LoadPage(file, PageSource::GeneratedPage, m_prompt);
    EXPECT_TRUE(m_prompt.asked.empty());

    EXPECT_EQ(FindElementById(page, "td", "Client").Text(), "O'Brien & <Söhne>");
    EXPECT_EQ(FindElementById(page, "td", "Application").Text(), "Order \"Entry\"");
    EXPECT_EQ(page.SelectSingleNode("//title").Text(), "Summary Of <Programs>");
    EXPECT_EQ(Texts(page.SelectNodes("//table[@id='result']/tr/th")),
              (std::vector<std::string>{"Name", "Remark & note", "Called"}));
    const NodeList rows = page.SelectNodes("//table[@id='result']/tr[td]");
    ASSERT_EQ(rows.size(), 3u);
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(names[i]);
        const NodeList cells = rows[i].SelectNodes("td");
        ASSERT_EQ(cells.size(), 3u);
        EXPECT_EQ(cells[0].SelectNodes("img[@src='../images/CF.gif']").size(), 1u);
        EXPECT_EQ(cells[0].SelectSingleNode("a").Text(), names[i]);
        EXPECT_EQ(cells[0].SelectSingleNode("a").GetAttribute("class"), "style2");
        EXPECT_EQ(cells[1].Text(), names[i] + " <b>not bold</b>");
        EXPECT_TRUE(cells[1].ChildElements().empty());
        EXPECT_EQ(cells[1].GetAttribute("valign"), "top");
        EXPECT_EQ(cells[1].GetAttribute("align"), "right");
        EXPECT_EQ(cells[2].Text(), "Yes");
    }
    const std::string text = reporttest::ReadText(file);
    EXPECT_NE(text.find(">A&amp;B&lt;C &lt;b>"), std::string::npos) << text;
    EXPECT_NE(text.find("x &amp;lt;y&amp;gt; &lt;b>"), std::string::npos) << text;
}

TEST_F(ReportBuilderTest, PagesWithoutRowsKeepTheirHeadings) {
    m_builder.StartPage(kFormat, "Empty", m_paths.g_TemplateLevel1);
    m_builder.FinishPage();
    Document page = m_builder.RenderPage();
    EXPECT_EQ(page.SelectNodes("//table[@id='result']/tr").size(), 1u);
    EXPECT_EQ(page.SelectNodes("//table[@id='result']/tr/th").size(), 3u);

    m_builder.PageFromList(ReportList{{"Program 1", "Program 2", "Similarity"}, {}}, "CRUD Overlap",
                           m_paths.g_TemplateLevel11);
    const fs::path file = Page("crudoverlap.html");
    m_builder.WritePage(m_output, file);
    page = LoadPage(file, PageSource::GeneratedPage, m_prompt);
    FillClientInfo(page, "", "");
    EXPECT_EQ(Texts(page.SelectNodes("//table[@id='result']/tr/th")),
              (std::vector<std::string>{"Program 1", "Program 2", "Similarity"}));
    EXPECT_EQ(page.SelectNodes("//table[@id='result']/tr[td]").size(), 0u);
}

TEST_F(ReportBuilderTest, AListBecomesATextTableInMemory) {
    m_builder.PageFromList(ReportList{{"Data Store", "CRUD"}, {{"CUST<FILE>", "R&W"}, {"ACCOUNTS"}}}, "ALPHA",
                           m_paths.g_TemplateLevel2);
    Document page = m_builder.RenderPage();
    const Node table = page.SelectSingleNode("//table[@id='result']");
    ASSERT_TRUE(table);
    EXPECT_EQ(Texts(table.SelectNodes("tr/td")), (std::vector<std::string>{"CUST<FILE>", "R&W", "ACCOUNTS", ""}));
    EXPECT_EQ(page.SelectSingleNode("//a[@class='style2']").GetAttribute("href"), "../../index.html");

    EXPECT_THROW(m_builder.PageFromList(ReportList{{"One"}, {{"a", "b"}}}, "t", m_paths.g_TemplateLevel2),
                 ReportError);
}

TEST_F(ReportBuilderTest, MistakesInTheSequenceAreErrors) {
    EXPECT_THROW(m_builder.StartPage("<LCRecordFormat><Name RAW=\"no\"/></LCRecordFormat>", "t",
                                     m_paths.g_TemplateLevel1),
                 ReportError);
    EXPECT_THROW(m_builder.StartPage("<LCRecordFormat><A CAPTION=\"a\"/><a CAPTION=\"b\"/></LCRecordFormat>", "t",
                                     m_paths.g_TemplateLevel1),
                 ReportError);
    EXPECT_THROW(m_builder.StartPage("<LCRecordFormat><Name CAPTION=\"x\">", "t", m_paths.g_TemplateLevel1),
                 ReportError);

    m_builder.StartPage(kFormat, "t", m_paths.g_TemplateLevel1);
    EXPECT_THROW(m_builder.AddCell("Name", "x"), ReportError);   // no row begun
    m_builder.StartRow();
    EXPECT_THROW(m_builder.AddCell("Id", "x"), ReportError);     // not a column of the format
    m_builder.AddCell("Called", "No");
    EXPECT_THROW(m_builder.AddCell("CALLED", "Yes"), ReportError);
    EXPECT_THROW(m_builder.FinishPage(), ReportError);           // row still open
    m_builder.EndRow();
    EXPECT_THROW(m_builder.WritePage(m_output, Page("early.html")), ReportError);
    EXPECT_FALSE(fs::exists(Page("early.html")));
    m_builder.FinishPage();

    m_builder.StartPage(kFormat, "t", m_dir / "missing.xsl");
    m_builder.FinishPage();
    EXPECT_THROW(m_builder.WritePage(m_output, Page("p.html")), ReportError);
}

// A page cleared after it was written (on another thread, by the list
// pages) is gone: it cannot be written again, and the next page starts
// without its rows.
TEST_F(ReportBuilderTest, AClearedPageIsGoneAndTheNextStartsWithoutItsRows) {
    m_builder.StartPage(kFormat, "First", m_paths.g_TemplateLevel1);
    m_builder.StartRow();
    m_builder.AddCell("Name", "PGM1");
    m_builder.EndRow();
    m_builder.FinishPage();
    m_builder.Clear();
    EXPECT_THROW(m_builder.RenderPage(), ReportError);
    EXPECT_THROW(m_builder.WritePage(m_output, Page("again.html")), ReportError);
    EXPECT_FALSE(fs::exists(Page("again.html")));
    EXPECT_THROW(m_builder.StartRow(), ReportError);

    m_builder.StartPage(kFormat, "Second", m_paths.g_TemplateLevel1);
    m_builder.FinishPage();
    const Document page = m_builder.RenderPage();
    EXPECT_EQ(page.SelectSingleNode("//title").Text(), "Second");
    EXPECT_EQ(page.SelectNodes("//table[@id='result']/tr[td]").size(), 0u);
}

TEST_F(ReportBuilderTest, EachTemplateIsParsedOncePerBuilder) {
    for (int i = 0; i < 3; ++i) {
        m_builder.StartPage(kFormat, "t", m_paths.g_TemplateLevel1);
        m_builder.FinishPage();
        m_builder.RenderPage();
        m_builder.PageFromList(ReportList{{"a"}, {{"1"}}}, "t", m_paths.g_TemplateLevel2);
        m_builder.RenderPage();
    }
    EXPECT_EQ(m_builder.ParsedTemplates(), 2u);
}

}  // namespace
