#include <gtest/gtest.h>

#include <regex>

#include "common/WriteBoundary.h"
#include "platform/xml/XmlDocument.h"
#include "reports/PageDocument.h"
#include "reports/ReportBuilder.h"
#include "reports/ReportIndex.h"
#include "tests/reports/ReportTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlReports;
using platform::xml::Document;
using platform::xml::Node;
using platform::xml::NodeType;

const char* const kCaptions[] = {
    "Screens", "Programs", "Data Stores", "Lines Of Code", "Client Facing", "Transitional",
    "Frontier Data Access", "Frontier Data Logic", "Frontier Logic Only", "Frontier Irregular",
    "Server Data Access", "Server Data Logic", "Server Logic Only", "Server Irregular", "Batch",
    "Client Facing Data", "Client Facing Called", "Client Facing Called Data", "Transitional Called",
    "No Category", "CRUD Overlap", "COMMAREA Size", "Validation Rules", "Queues",
};

bool StartsWithText(const Node& n) { return n && n.FirstChild() && n.FirstChild().Type() == NodeType::Text; }

class ReportTemplatesTest : public ::testing::Test {
protected:
    testsupport::TempDir m_dir;
    ReportPaths m_paths = reporttest::PathsIn(m_dir);
    testsupport::ScriptedPrompt m_prompt;

    Document Load(const fs::path& file) { return LoadPage(file, PageSource::Template, m_prompt); }
};

TEST_F(ReportTemplatesTest, TheIndexTakesEveryEntryTheNoteAndTheClient) {
    Document index = Load(m_paths.g_TemplateIndex);
    FillClientInfo(index, "Client & Co", "App");
    for (const char* caption : kCaptions) {
        SCOPED_TRACE(caption);
        const Node cell = FindElementById(index, "td", caption);
        ASSERT_TRUE(cell);
        EXPECT_EQ(cell.SelectSingleNode("div").FirstChild().Text(), caption);
        EXPECT_NO_THROW(SetIndexEntry(index, m_paths, caption, "12"));
        EXPECT_EQ(cell.SelectSingleNode("div/a").Text(), caption);
    }
    EXPECT_NO_THROW(WriteReportNote(index, true, true));
    SavePage(common::WriteBoundary(m_dir.Path()), index, m_dir / "index.html", PageSaveOptions{true});
    EXPECT_NO_THROW(Load(m_dir / "index.html"));
    // Every picture the index shows is in the images folder it is copied with.
    const std::string text = reporttest::ReadText(m_dir / "index.html");
    const std::regex src("src=\"images/([^\"]+)\"");
    int images = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), src); it != std::sregex_iterator(); ++it, ++images)
        EXPECT_TRUE(fs::exists(m_paths.g_TemplateImagesFolder / (*it)[1].str())) << (*it)[1];
    EXPECT_GT(images, 10);
}

TEST_F(ReportTemplatesTest, PageTemplatesHoldTheCellsTheirWritersReplace) {
    struct Expect {
        fs::path file;
        std::vector<std::pair<const char*, const char*>> elements;   // tag, id: each must have a first child
    };
    const Expect templates[] = {
        {m_paths.g_TemplateDiagram, {{"td", "title"}, {"td", "image1"}, {"td", "image2"}}},
        {m_paths.g_TemplateScreen, {{"td", "title"}}},
        {m_paths.g_TemplateCRUD, {{"div", "title1"}, {"div", "title2"}, {"td", "table1"}, {"td", "table2"}}},
        {m_paths.g_TemplateIndex, {{"td", "Note"}}},
    };
    for (const Expect& t : templates) {
        SCOPED_TRACE(t.file.filename().string());
        Document page = Load(t.file);
        EXPECT_TRUE(StartsWithText(FindElementById(page, "td", "Client")));
        EXPECT_TRUE(StartsWithText(FindElementById(page, "td", "Application")));
        for (const auto& [tag, id] : t.elements) {
            const Node element = FindElementById(page, tag, id);
            ASSERT_TRUE(element) << id;
            EXPECT_TRUE(element.FirstChild()) << id;
        }
        const std::string text = reporttest::ReadText(t.file);
        EXPECT_NE(text.find("charset=utf-8"), std::string::npos);
    }
    // Title cells: an element holding the text that the writers replace.
    for (const fs::path& file : {m_paths.g_TemplateDiagram, m_paths.g_TemplateScreen}) {
        Document page = Load(file);
        EXPECT_TRUE(StartsWithText(FindElementById(page, "td", "title").FirstChild())) << file;
    }
    // The preview images call swapImage(name, preview, full, 1).
    const Document diagram = Load(m_paths.g_TemplateDiagram);
    EXPECT_NE(diagram.SelectSingleNode("//head/script/comment()").Text().find("function swapImage(name, previewSource, fullSource, toggle)"),
              std::string::npos);

    // The screen page is finished line by line after its "</body>" line.
    Document screen = Load(m_paths.g_TemplateScreen);
    SavePage(common::WriteBoundary(m_dir.Path()), screen, m_dir / "screen.html", PageSaveOptions{true});
    std::istringstream lines(reporttest::ReadText(m_dir / "screen.html"));
    int bodyLines = 0;
    for (std::string line; std::getline(lines, line);) bodyLines += line == "</body>";
    EXPECT_EQ(bodyLines, 1);
}

TEST_F(ReportTemplatesTest, ListTemplatesLeadBackToTheIndexFromTheirFolder) {
    const std::pair<fs::path, fs::path> levels[] = {
        {m_paths.g_TemplateLevel1, m_paths.g_ProgramsPagePath},
        {m_paths.g_TemplateLevel11, m_paths.g_CrudOverlapPagePath},
        {m_paths.g_TemplateLevel2, m_paths.g_CrudSignaturesFolder / "ALPHA.html"},
    };
    ReportBuilder builder;
    for (const auto& [xsl, page] : levels) {
        SCOPED_TRACE(xsl.filename().string());
        builder.PageFromList(ReportList{{"A"}, {{"1"}}}, "Title", xsl);
        const Document doc = builder.RenderPage();
        EXPECT_TRUE(StartsWithText(FindElementById(doc, "td", "Client")));
        EXPECT_TRUE(StartsWithText(FindElementById(doc, "td", "Application")));
        EXPECT_TRUE(doc.SelectSingleNode("//table[@id='result']"));
        const std::string href = doc.SelectSingleNode("//a[@class='style2']").GetAttribute("href");
        EXPECT_EQ((page.parent_path() / href).lexically_normal(), m_paths.g_IndexPagePath);
    }
}

TEST_F(ReportTemplatesTest, TheImagesThePagesNameAreSmallGifs) {
    const std::pair<const char*, int> images[] = {
        {"CF.gif", 16},    {"CFCalled.gif", 16},   {"CFMix.gif", 16},   {"CFMixCalled.gif", 16},
        {"Transition.gif", 16}, {"TransitionCalled.gif", 16}, {"FDA.gif", 16}, {"FDL.gif", 16},
        {"FLO.gif", 16},   {"Irregular.gif", 16},  {"SDA.gif", 16},     {"SDL.gif", 16},
        {"SLO.gif", 16},   {"Batch.gif", 16},      {"NoCat.gif", 16},   {"Frontier.gif", 16},
        {"Screen.gif", 16}, {"Store.gif", 16},     {"missing.gif", 15},
    };
    for (const auto& [name, width] : images) {
        const std::string bytes = reporttest::ReadText(m_paths.g_TemplateImagesFolder / name);
        ASSERT_GE(bytes.size(), 10u) << name;
        EXPECT_TRUE(bytes.rfind("GIF89a", 0) == 0 || bytes.rfind("GIF87a", 0) == 0) << name;
        const auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
        EXPECT_EQ(at(6) | (at(7) << 8), width) << name;
        EXPECT_EQ(at(8) | (at(9) << 8), 16) << name;
    }
}

}  // namespace
