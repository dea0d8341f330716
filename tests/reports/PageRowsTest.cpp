#include <gtest/gtest.h>

#include <thread>

#include "common/WriteBoundary.h"
#include "common/HeldPrompt.h"
#include "reports/PageDocument.h"
#include "reports/PageRows.h"
#include "reports/ReportBuilder.h"
#include "reports/ReportError.h"
#include "tests/reports/ReportTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlReports;
using Align = PageRows::Align;

// A saved list page as the analyses write theirs: the engine's page through
// the template, reloaded, given its client cells and saved.
fs::path SavedListPage(const testsupport::TempDir& dir, const ReportPaths& paths) {
    ReportBuilder builder;
    builder.StartPage(
        "<LCRecordFormat><Name CAPTION=\"Name\" valign=\"top\"/><Items CAPTION=\"Items &amp; more\" RAW=\"no\"/>"
        "<Size CAPTION=\"Size\" align=\"right\"/></LCRecordFormat>",
        "Sizes", paths.g_TemplateLevel1);
    builder.StartRow();
    builder.AddCell("Name", "A&B  <C>");
    builder.AddCell("Items", "FIRST <b>bold</b> <br/>  SECOND<br/>THIRD");
    builder.AddCell("Size", "12.5");
    builder.EndRow();
    builder.StartRow();
    builder.AddCell("Name", "PGM2");
    builder.EndRow();
    builder.FinishPage();
    const fs::path file = dir / "special/sizes.html";
    fs::create_directories(file.parent_path());
    const common::WriteBoundary output(dir.Path());
    builder.WritePage(output, file);
    testsupport::ScriptedPrompt prompt;
    platform::xml::Document page = LoadPage(file, PageSource::GeneratedPage, prompt);
    FillClientInfo(page, "Client & Co", "Orders");
    SavePage(output, page, file);
    return file;
}

TEST(PageRows, TheListIsReadAsTextAndThePageAroundItKeepsItsHeaderAndLinks) {
    testsupport::TempDir dir;
    const ReportPaths paths = reporttest::PathsIn(dir);
    const fs::path file = SavedListPage(dir, paths);
    const std::string saved = reporttest::ReadText(file);
    testsupport::ScriptedPrompt prompt;

    const PageRows read = ReadPageRows(file, prompt);
    EXPECT_EQ(read.captions, (std::vector<std::string>{"Name", "Items & more", "Size"}));
    EXPECT_EQ(read.align, (std::vector<Align>{Align::Left, Align::Left, Align::Right}));
    ASSERT_EQ(read.rows.size(), 2u);
    // White space runs together as a browser shows it, a line per break.
    EXPECT_EQ(read.rows[0], (std::vector<std::string>{"A&B <C>", "FIRST bold\nSECOND\nTHIRD", "12.5"}));
    EXPECT_EQ(read.rows[1], (std::vector<std::string>{"PGM2", "", ""}));
    EXPECT_NE(read.frame.find("href=\"../index.html\""), std::string::npos);
    EXPECT_NE(read.frame.find("Client &amp; Co"), std::string::npos);
    EXPECT_NE(read.frame.find("<h1>Sizes</h1>"), std::string::npos);
    EXPECT_EQ(read.frame.find("PGM2"), std::string::npos);
    EXPECT_EQ(read.frame.find("id=\"result\""), std::string::npos);
    EXPECT_EQ(reporttest::ReadText(file), saved);
    EXPECT_TRUE(prompt.asked.empty());

    // A page without a list is all frame.
    reporttest::WriteText(dir / "plain.html", "<html><body><p>No&nbsp;list</p></body></html>\n");
    const PageRows plain = ReadPageRows(dir / "plain.html", prompt);
    EXPECT_TRUE(plain.rows.empty() && plain.captions.empty());
    EXPECT_NE(plain.frame.find("<p>No&nbsp;list</p>"), std::string::npos);

    // A page that does not parse is reported as every page is; read on
    // another thread, as the analysis windows read it, its message waits
    // there and is shown once on the window's thread.
    reporttest::WriteText(dir / "broken.html", "<html><body><p>open</body></html>\n");
    common::HeldPrompt held;
    std::thread([&] { EXPECT_THROW(ReadPageRows(dir / "broken.html", held), IllFormedPage); }).join();
    EXPECT_TRUE(prompt.asked.empty());
    held.AskThrough(prompt);
    held.AskThrough(prompt);
    EXPECT_EQ(prompt.asked.size(), 1u);
    EXPECT_THROW(ReadPageRows(dir / "missing.html", prompt), ReportError);
}

}  // namespace
