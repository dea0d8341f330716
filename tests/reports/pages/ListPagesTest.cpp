// The programs summary, the category pages and the data stores page on
// small workspace databases: which rows, in which order, with which cells,
// what each returns and what it leaves for the run.

#include <gmock/gmock.h>

#include <functional>

#include "reports/DataStoresPage.h"
#include "reports/ListPage.h"
#include "reports/ProgramPages.h"
#include "reports/ScreenPages.h"
#include "tests/reports/pages/PageTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlReports;
using ::testing::ElementsAre;

using Row = std::vector<std::string>;

// "name cell | category cell" of every row below the headings.
std::vector<std::string> NamesAndCategories(const fs::path& page) {
    std::vector<std::string> out;
    const auto rows = pagetest::Rows(page);
    for (std::size_t i = 1; i < rows.size(); ++i) out.push_back(rows[i].front() + " | " + rows[i].back());
    return out;
}

std::vector<std::string> Listed(const DiagramList& list) {
    std::vector<std::string> out;
    for (const auto& e : list) out.push_back(e.id + "=" + e.name);
    return out;
}

using ListPagesTest = pagetest::PagesTest;

TEST_F(ListPagesTest, ProgramsAreListedByCategoryStubsLastAndOnlyTheSummaryMakesTheDiagramList) {
    Ent("PROGRAM#1", "PROGRAM", "Z", 1);
    Ent("PROGRAM#2", "PROGRAM", "B", 1, true);
    Ent("PROGRAM#3", "PROGRAM", "C", 21);
    Ent("PROGRAM#4", "PROGRAM", "A", 1);
    Ent("STUBPROG#5", "PROGRAM", "A<i>", 1, true);
    Ent("PROGRAM#6", "PROGRAM", "S33", 33);
    Ent("PROGRAM#7", "PROGRAM", "F23", 23);
    Ent("PROGRAM#8", "PROGRAM", "X&<Y>'", 90);
    Ent("PROGRAM#9", "PROGRAM", "U", 0);
    Ent("MAP#1", "MAP", "M", 1);
    db->Execute("UPDATE Ents SET Called = -1 WHERE Name = 'C'");
    g_DiagramList = {{"old", "entry"}};
    auto ctx = Context();

    EXPECT_EQ(GenerateProgramsReport(ctx), "8&#42;");
    EXPECT_TRUE(g_StubsPresent);
    EXPECT_THAT(NamesAndCategories(paths.g_ProgramsPagePath),
                ElementsAre("[../images/CF.gif]{../diagrams/A.html|A} | Client Facing",
                            "[../images/CF.gif]{../diagrams/Z.html|Z} | Client Facing",
                            "[../images/missing.gif]A<i> | Client Facing", "[../images/missing.gif]B | Client Facing",
                            "[../images/FDL.gif]{../diagrams/C.html|C} | Frontier Data Logic",
                            "[../images/Irregular.gif]{../diagrams/F23.html|F23} | Frontier Irregular",
                            "[../images/Irregular.gif]{../diagrams/S33.html|S33} | Server Irregular",
                            "[../images/Batch.gif]{../diagrams/X%26%253CY%253E%2527.html|X&<Y>'} | Batch"));
    const auto rows = pagetest::Rows(paths.g_ProgramsPagePath);
    EXPECT_EQ(rows[0], (Row{"Name", "AccessScreen", "Xctled", "CallsData", "CallsDataIndirect", "Called", "OnTop",
                            "SOAType"}));
    EXPECT_EQ(rows[5], (Row{rows[5][0], "No", "No", "No", "No", "Yes", "No", "Frontier Data Logic"}));
    EXPECT_THAT(Listed(g_DiagramList), ElementsAre("PROGRAM#4=A", "PROGRAM#1=Z", "PROGRAM#3=C", "PROGRAM#7=F23",
                                                   "PROGRAM#6=S33", "PROGRAM#8=X&<Y>'"));

    EXPECT_THAT(reporttest::ReadText(paths.g_ProgramsPagePath),
                ::testing::HasSubstr(R"(src="../images/missing.gif" width="15" align="left")"));

    // The category page of code 1 from the run's table: its programs alone,
    // the same order and marks, the legend it is given; the list stays.
    const CategoryPage& clientFacing = kCategoryPages[0];
    const CategoryLegend legend = LegendOf(clientFacing.code);
    const fs::path page = paths.*clientFacing.page;
    g_StubsPresent = false;
    EXPECT_EQ(GenerateCategoryReport(ctx, clientFacing.code, legend.caption, page, LegendImage(legend.image)),
              "4&#42;");
    EXPECT_THAT(NamesAndCategories(page),
                ElementsAre("[../images/CF.gif]{../diagrams/A.html|A} | Client Facing",
                            "[../images/CF.gif]{../diagrams/Z.html|Z} | Client Facing",
                            "[../images/missing.gif]A<i> | Client Facing", "[../images/missing.gif]B | Client Facing"));
    EXPECT_EQ(pagetest::Page(page).SelectSingleNode("//h1").Text(), "Client Facing Programs");
    EXPECT_TRUE(g_StubsPresent);
    EXPECT_EQ(g_DiagramList.size(), 6u);
}

TEST_F(ListPagesTest, DataStoresAreListedByBusinessNameWithTheClientOnThePage) {
    Ent("TABLE#1", "store", "CUSTFILE", 0, false, true);
    Ent("TABLE#2", "store", "ACCOUNTS");
    Ent("TABLE#3", "store", "A&B <x>");
    Ent("PROGRAM#1", "PROGRAM", "P", 30);
    db->Execute("INSERT INTO Settings (CLIENT, Application) VALUES (?1, ?2)", {"O'Brien & <Söhne>", "Bank"});
    g_StubsPresent = true;
    auto ctx = Context();

    EXPECT_EQ(GenerateDataStoresReport(ctx), 3);
    EXPECT_THAT(pagetest::Rows(paths.g_DataStoresPagePath),
                ElementsAre(Row{"BusName", "OnlineAccessible", "SOAType"},
                            Row{"[../images/Store.gif]A&B <x>", "No", "Data Store"},
                            Row{"[../images/Store.gif]ACCOUNTS", "No", "Data Store"},
                            Row{"[../images/Store.gif]CUSTFILE", "Yes", "Data Store"}));
    const auto page = pagetest::Page(paths.g_DataStoresPagePath);
    EXPECT_EQ(page.SelectSingleNode("//h1").Text(), "Data Stores Report");
    EXPECT_EQ(page.SelectSingleNode("//td[@id='Client']").Text(), "O'Brien & <Söhne>");
    EXPECT_TRUE(g_StubsPresent);
}

// Nothing to list: the result "0", no page, the flag as it was, and the
// summary's list emptied.
TEST_F(ListPagesTest, AnEmptyListWritesNoPage) {
    Ent("PROGRAM#1", "PROGRAM", "U", 0, true);
    g_DiagramList = {{"old", "entry"}};
    auto ctx = Context();
    const struct {
        const char* page;
        std::function<std::string()> write;
        fs::path file;
    } cases[] = {
        {"programs", [&] { return GenerateProgramsReport(ctx); }, paths.g_ProgramsPagePath},
        {"category", [&] { return GenerateCategoryReport(ctx, 1, "Client Facing", paths.g_ClientFacingPagePath,
                                                         LegendImage("CF.gif")); },
         paths.g_ClientFacingPagePath},
        {"data stores", [&] { return std::to_string(GenerateDataStoresReport(ctx)); }, paths.g_DataStoresPagePath},
        {"screens", [&] { return GenerateScreensReport(ctx); }, paths.g_ScreensPagePath},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.write(), "0") << c.page;
        EXPECT_FALSE(fs::exists(c.file)) << c.page;
    }
    EXPECT_TRUE(g_DiagramList.empty());
    EXPECT_FALSE(g_StubsPresent);
    EXPECT_FALSE(fs::exists(paths.g_ScreensFolder));
}

}  // namespace
