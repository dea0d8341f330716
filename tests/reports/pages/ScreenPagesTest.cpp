// The screens inventory and the screen pages: the rows and links of the
// inventory, the listing read into Fields, and the screen drawn as text.

#include <gmock/gmock.h>

#include <algorithm>
#include <iterator>

#include "reports/ClientInfo.h"
#include "reports/PageDocument.h"
#include "reports/ScreenPages.h"
#include "tests/reports/pages/PageTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlReports;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

using pagetest::FieldLine;

class ScreenPagesTest : public pagetest::PagesTest {
protected:
    // A screen map in the repository and in Ents; its listing at source
    // (relative to the workspace folder, either separator) when there is one.
    std::string Screen(const std::string& name, const std::string& source = {}, const std::string& listing = {},
                       bool online = false) {
        platform::workbench::AttributeList attributes;
        if (!source.empty()) attributes.emplace_back("Source", source);
        const std::string id = repo.Key(repo.Add("MAP", name, attributes));
        std::string file = source;
        std::replace(file.begin(), file.end(), '\\', '/');
        if (!listing.empty()) reporttest::WriteText(Folder() / file, listing);
        Ent(id, "MAP", name, 3, false, online);
        return id;
    }
    fs::path Folder() const { return repo.dir / "Ws"; }
    mdlReports::ReportContext Ctx() { return Context(repo.Store(), Folder()); }

    // "name|ordinal|row|col" of every Fields row, in the order written.
    std::vector<std::string> FieldsRows() {
        std::vector<std::string> rows;
        auto st = db->Prepare("SELECT FldName, FldRow, row, col FROM Fields ORDER BY rowid");
        while (st.Step()) rows.push_back(st.Text(0) + "|" + st.Text(1) + "|" + st.Text(2) + "|" + st.Text(3));
        return rows;
    }

    importtest::SmallRepo repo;
};

TEST_F(ScreenPagesTest, TheInventoryListsEveryMapStubsLastAndWritesThePagesOfTheOthers) {
    Screen("B", "maps\\B.lst", "80\t24\tB\t\n" + FieldLine("_NONAME", 3, "HELLO", 5, 1, 1), true);
    Screen("A");
    Screen("Q&<R>");
    Ent("MAP#99", "MAP", "C", 0, true);
    SaveClientInfo(*db, "Client & Co", "Orders");
    auto ctx = Ctx();
    // Gone since the tree was made: the threads writing the pages make it.
    fs::remove_all(paths.g_ScreensFolder);

    EXPECT_EQ(GenerateScreensReport(ctx), "4&#42;");
    EXPECT_TRUE(g_StubsPresent);
    EXPECT_THAT(pagetest::Rows(paths.g_ScreensPagePath),
                ElementsAre(ElementsAre("Name", "OnlineAccessible", "SOAType"),
                            ElementsAre("[../images/Screen.gif]{../inventory/screens/A.html|A}", "No", "Screen"),
                            ElementsAre("[../images/Screen.gif]{../inventory/screens/B.html|B}", "Yes", "Screen"),
                            ElementsAre("[../images/Screen.gif]{../inventory/screens/Q%26%253CR%253E.html|Q&<R>}",
                                        "No", "Screen"),
                            ElementsAre("[../images/missing.gif]C", "No", "Screen")));
    std::vector<std::string> pages;
    for (const auto& e : fs::directory_iterator(paths.g_ScreensFolder)) pages.push_back(e.path().filename().string());
    std::sort(pages.begin(), pages.end());
    EXPECT_THAT(pages, ElementsAre("A.html", "B.html", "Q&%3CR%3E.html"));
    // The last page has its own title and the client's names too.
    const auto last = pagetest::Page(GetScreenPagePath(paths, "Q&<R>"));
    EXPECT_EQ(last.SelectSingleNode("//td[@id='title']/h1").Text(), "Q&<R>");
    EXPECT_EQ(FindElementById(last, "td", "Application").Text(), "Orders");
    // No listing: an empty screen of the default width.
    EXPECT_THAT(reporttest::ReadText(paths.g_ScreensFolder / "A.html"), HasSubstr("<pre width=\"80\">\n\n</pre>"));
    EXPECT_THAT(reporttest::ReadText(paths.g_ScreensFolder / "B.html"), HasSubstr("<pre width=\"80\">\nHELLO\n</pre>"));
}

TEST_F(ScreenPagesTest, ANarrowScreenIsDrawnToTheCharacterAndItsFieldsKeptInTheTable) {
    const std::string id = Screen("MENU1", "maps/menu1.lst",
                                  "80\t24\tMENU1\tMAPSET\n" + FieldLine("_NONAME", 3, "MENU", 4, 2, 1) +
                                      FieldLine("OPT", 0, "", 3, 5, 3));
    auto ctx = Ctx();
    GenerateScreenPage(ctx, id, "MENU1");

    const std::string page = reporttest::ReadText(GetScreenPagePath(paths, "MENU1"));
    const std::string table = "<table align=\"center\">\n<tr><td><pre width=\"80\">\n"
                              " MENU  \n"
                              "        \n"
                              "    <input type=\"text\" size=\"3\" maxlength=\"3\" value=\"\" class=\"Edited\" style=\"width:3ch\">\n"
                              "</pre></td></tr></table></body></html>\n\n";
    ASSERT_GE(page.size(), table.size());
    EXPECT_EQ(page.substr(page.size() - table.size()), table);
    EXPECT_THAT(page, HasSubstr("<h1>MENU1</h1>"));
    EXPECT_EQ(page.find("</body>"), page.rfind("</body>"));
    EXPECT_EQ(db->Scalar("SELECT COUNT(*) FROM Fields WHERE MapName = 'MENU1'").AsInt(), 4);
}

// Fields holds what the listing reader gives (its rules are tested with it):
// the fields up to a damaged line, and nothing from outside the workspace.
TEST_F(ScreenPagesTest, FieldsComeFromTheListingInsideTheWorkspaceUpToItsFirstDamage) {
    const std::string listing = "80\t24\tM\t\n" + FieldLine("_noName", 0, "", 1, -1, 165) +
                                FieldLine("F", 0, "", 1, 7, 2) + FieldLine("BAD", 0, "", 1, 1, 3, {15, "x"}) +
                                FieldLine("AFTER", 0, "", 1, 1, 4);
    reporttest::WriteText(repo.dir / "outside.lst", listing);
    const std::string inside = Screen("IN", "MAPS\\In.LST");
    reporttest::WriteText(Folder() / "maps" / "in.lst", listing);
    const std::string outside = Screen("OUT", "../outside.lst");
    const struct {
        std::string id;
        std::vector<std::string> rows;   // name|ordinal|row|col
    } cases[] = {{inside, {"**EIBAID**|-2|0|0", "**EIBCPOSN**|-1|0|0", "|0|3|6", "F|1|2|7"}}, {outside, {}}};
    for (const auto& c : cases) {
        LoadMapFields(*db, repo.Store().Item(c.id), "M", Folder());
        EXPECT_EQ(FieldsRows(), c.rows) << c.id;
    }
}

TEST_F(ScreenPagesTest, TheGridKeepsEveryFieldInPlaceWhateverThePositions) {
    using F = GridField;
    const struct {
        const char* what;
        std::vector<GridField> fields;
        int64_t width;
        std::string grid;
    } cases[] = {
        {"a protected entry", {F{"OPT", 1, 5, 3, "x", 1}}, 8,
         "    <input type=\"text\" size=\"3\" maxlength=\"3\" value=\"x\" readonly style=\"width:3ch\">"},
        {"an entry of no length takes no cell", {F{"Z", 1, 1, 0, "", 0}, F{"", 1, 1, 1, "X", 0}}, 1,
         "<input type=\"text\" size=\"0\" maxlength=\"0\" value=\"\" class=\"Edited\" style=\"width:0ch\">X"},
        {"a named field with both bits is text", {F{"OPT", 1, 1, 3, "abc", 3}}, 3, "abc"},
        {"text cut to its length, the gap counted from its end", {F{"", 1, 1, 5, "HELLO WORLD", 0}, F{"", 1, 8, 1, "X", 0}},
         8, "HELLO  X"},
        {"text and values escaped", {F{"", 1, 1, 7, "<ENTER>", 0}, F{"K", 1, 9, 4, "a\"&b", 0}}, 12,
         "&lt;ENTER&gt; <input type=\"text\" size=\"4\" maxlength=\"4\" value=\"a&quot;&amp;b\" class=\"Edited\" style=\"width:4ch\">"},
        {"overlapping fields, no negative padding", {F{"", 1, 1, 5, "AAAAA", 0}, F{"", 1, 3, 4, "BBBB", 0}, F{"", 2, 1, 1, "C", 0}},
         6, "AAAAABBBB\nC"},
        {"a field above the screen stays on the first line", {F{"", 0, 1, 2, "UP", 0}, F{"", 1, 4, 2, "OK", 0}}, 5,
         "UP OK"},
        {"characters, not bytes, make the columns", {F{"", 1, 1, 3, "ÄÖÜ", 0}, F{"", 2, 2, 1, "é", 0}}, 5,
         "ÄÖÜ \n é"},
    };
    for (const auto& c : cases) EXPECT_EQ(ScreenGrid(c.fields, c.width), c.grid) << c.what;

    // Positions at the far end of 16 bits make a grid no larger than the limit.
    const std::string far = ScreenGrid({F{"", 32767, 32767, 32767, "X", 0}}, 65534);
    EXPECT_LE(far.size(), kMaxGridBytes);
    EXPECT_GT(far.size(), kMaxGridBytes - 65536);
}

TEST_F(ScreenPagesTest, AScreenTheRepositoryDoesNotKnowKeepsItsTitledPageAndRaises) {
    repo.Add("MAP", "OTHER");
    auto ctx = Ctx();
    fs::remove_all(paths.g_ScreensFolder);
    EXPECT_ANY_THROW(GenerateScreenPage(ctx, "MAP#999", "LOST"));
    const std::string page = reporttest::ReadText(GetScreenPagePath(paths, "LOST"));
    EXPECT_THAT(page, HasSubstr("<h1>LOST</h1>"));
    EXPECT_EQ(page.find("<pre"), std::string::npos);
}

}  // namespace
