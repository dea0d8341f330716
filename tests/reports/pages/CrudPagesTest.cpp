// The CRUD overlap pages on small workspaces: one comparison page per pair
// whatever the names, both names of each row linked to their own pair's
// page, the progress levels the step shows, the analysis's result honoured,
// and what a cancel leaves.

#include <gmock/gmock.h>

#include <set>

#include "reports/ClientInfo.h"
#include "reports/CrudComparison.h"
#include "reports/CrudPages.h"
#include "tests/reports/ReportLinks.h"
#include "tests/reports/pages/PageTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace mdlReports;
using ::testing::ElementsAre;
using ::testing::SizeIs;

using Rows = std::vector<std::vector<std::string>>;

class CrudPagesTest : public pagetest::PagesTest {
protected:
    // A program that performs the given accesses ("R:S1" reads store S1).
    void Program(int n, const std::string& name, std::initializer_list<const char*> accesses) {
        const std::string id = "PROGRAM#" + std::to_string(n);
        Ent(id, "PROGRAM", name, 30);
        for (const std::string access : accesses) {
            const std::string store = "store#" + access.substr(2);
            if (!db->Scalar("SELECT COUNT(*) FROM Ents WHERE Id = ?1", {store}).AsInt())
                Ent(store, "store", access.substr(2));
            db->Execute("INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) "
                        "VALUES (?1, ?2, 'PROGRAM', 'store', 'access', ?3)",
                        {id, store, access.substr(0, 1) + "eads"});
        }
    }

    std::string Run() {
        auto ctx = Context({}, dir / "Bank");
        return GenerateCRUDOverlapReport(ctx, false);
    }

    // The overlap page's rows below the headings.
    Rows Listed() {
        Rows rows = pagetest::Rows(paths.g_CrudOverlapPagePath);
        rows.erase(rows.begin());
        return rows;
    }
    std::string Title(const platform::xml::Document& page, const char* id) {
        return FindElementById(page, "div", id).Text();
    }
};

TEST_F(CrudPagesTest, EveryPairGetsItsOwnPageWhateverTheNamesAndItsRowLinksIt) {
    SaveClientInfo(*db, "Client & Co", "Orders");
    Program(1, "ALPHA", {"R:S1", "U:S2"});
    Program(2, "BETA", {"R:S1", "U:S2"});
    // A program named as the pair page above, in a pair of its own, with
    // one whose name holds markup, a CDATA end and a no-break space.
    Program(3, "ALPHA-BETA", {"R:S3"});
    const std::string marked = "GAMMA & <DELTA> ]]> \xC2\xA0" "end";
    Program(4, marked, {"R:S3"});
    // Two pairs whose names join to the same text.
    Program(5, "ORD-A", {"D:S4"});
    Program(6, "B", {"D:S4"});
    Program(7, "ORD", {"I:S5"});
    Program(8, "A-B", {"I:S5"});

    EXPECT_EQ(Run(), "-1");
    const Rows rows = Listed();
    ASSERT_THAT(rows, SizeIs(4));
    std::set<std::string> pages, names;
    std::vector<std::string> programSteps;   // as the pairs' level should show them
    for (const auto& row : rows) {
        // "{crudsignatures/<page>|<name>}" in both name cells, to the same page.
        ASSERT_EQ(row[0].front(), '{') << row[0];
        const std::string href = row[0].substr(1, row[0].find('|') - 1);
        EXPECT_EQ(row[2].substr(0, href.size() + 2), "{" + href + "|") << row[2];
        EXPECT_EQ(href.rfind("crudsignatures/", 0), 0u) << href;
        pages.insert(href);

        const auto page = pagetest::Page(paths.g_CrudSignaturesFolder.parent_path() / reporttest::PercentDecoded(href));
        const std::string one = row[0].substr(href.size() + 2, row[0].size() - href.size() - 3);
        const std::string two = row[2].substr(href.size() + 2, row[2].size() - href.size() - 3);
        EXPECT_EQ(Title(page, "title1"), one);
        EXPECT_EQ(Title(page, "title2"), two);
        names.insert({one, two});
        programSteps.insert(programSteps.end(), {"CRUD for " + one, "CRUD for " + two});
        EXPECT_EQ(FindElementById(page, "td", "Client").Text(), "Client & Co");
        if (one == "ALPHA") {
            Rows table;
            for (const auto& tr : page.SelectNodes("//td[@id='table1']/table[@id='result']/tr")) {
                table.emplace_back();
                for (const auto& cell : tr.ChildElements()) table.back().push_back(cell.Text());
            }
            EXPECT_THAT(table, ElementsAre(ElementsAre("Store Name", "Inserts", "Reads", "Updates", "Deletes"),
                                           ElementsAre("S1", "", "Y", "", ""), ElementsAre("S2", "", "", "Y", "")));
        }
    }
    EXPECT_THAT(pages, SizeIs(4));
    EXPECT_EQ(names.count(marked), 1u) << "the name is listed and titled as written";
    size_t files = 0;
    for (const auto& e : fs::directory_iterator(paths.g_CrudSignaturesFolder)) files += e.is_regular_file();
    EXPECT_EQ(files, 4u) << "no table page is left beside the pair pages";

    // After the analysis, every level on its own, none inside another: the
    // pairs and signatures read, two steps per pair, each captioned with its
    // program in list order, and the waits for the pages written on other
    // threads, each with its caption.
    std::vector<std::string> levels, captions;
    long finished = 0;
    bool inPairs = false;
    for (const std::string& call : progress.calls) {
        if (call.rfind("StartProgress(", 0) == 0) {
            levels.push_back(call);
            inPairs = call == "StartProgress(,8,T)";
        } else if (call == "FinishProgress") {
            inPairs = false;
        } else if (inPairs && call.rfind("StartStep(", 0) == 0 && call != "StartStep()") {
            captions.push_back(call.substr(10, call.size() - 11));
        } else if (inPairs && call.rfind("FinishStep(", 0) == 0) {
            finished += std::stol(call.substr(11));
        }
    }
    ASSERT_GE(levels.size(), 4u);
    EXPECT_THAT(std::vector<std::string>(levels.end() - 4, levels.end()),
                ElementsAre("StartProgress(Reading the similar programs,2,T)", "StartProgress(,8,T)",
                            "StartProgress(Writing the CRUD comparison pages,100,T)",
                            "StartProgress(Writing the CRUD overlap page,2,T)"));
    EXPECT_EQ(captions, programSteps);
    EXPECT_EQ(finished, 8);
    EXPECT_EQ(progress.maxLevel, 1);
    EXPECT_EQ(progress.level, 0);
}

TEST_F(CrudPagesTest, OnlyThisRunsAnalysisIsListedAndACancelLeavesNoLinkToARemovedPage) {
    // A comparison file of an earlier run, and no two programs sharing now.
    reporttest::WriteText(CrudComparisonPath(dir / "Bank"),
                          R"(<Pairs><Pair Program1="OLD" P1ID="PROGRAM#8" Program2="GONE" P2ID="PROGRAM#9" Level="0.5" Cap="2"/></Pairs>)");
    Program(1, "ALPHA", {"R:S1"});
    Program(2, "BETA", {"U:S1"});
    EXPECT_EQ(Run(), "-1");
    EXPECT_THAT(Listed(), SizeIs(0));
    EXPECT_TRUE(fs::is_directory(paths.g_CrudSignaturesFolder));
    EXPECT_TRUE(fs::is_empty(paths.g_CrudSignaturesFolder));

    // Two pairs; Cancel during the first one's tables ends the step after it.
    Program(3, "GAMMA", {"R:S1"});
    Program(4, "DELTA", {"U:S1"});
    fs::remove_all(paths.g_CrudSignaturesFolder);
    progress.cancelAtStep = "CRUD for ALPHA";
    EXPECT_EQ(Run(), "0");
    EXPECT_FALSE(fs::exists(paths.g_CrudSignaturesFolder));
    const Rows rows = Listed();
    ASSERT_THAT(rows, SizeIs(2));
    for (const auto& row : rows) EXPECT_EQ(row[0].find('{'), std::string::npos) << row[0];
    EXPECT_EQ(progress.level, 0);

    // Cancelled while the pairs are read: the overlap page all the same,
    // every pair listed, none linked, and no signatures folder.
    fs::remove(paths.g_CrudOverlapPagePath);
    progress = {};
    progress.cancelAtStep = kReadingPairs;
    EXPECT_EQ(Run(), "0");
    EXPECT_FALSE(fs::exists(paths.g_CrudSignaturesFolder));
    EXPECT_EQ(Listed(), rows);
    EXPECT_EQ(progress.level, 0);

    // Cancelled inside the analysis: no page at all.
    fs::remove(paths.g_CrudOverlapPagePath);
    progress = {};
    progress.cancelAtStep = "Tracing CRUD operations";
    EXPECT_EQ(Run(), "0");
    EXPECT_FALSE(fs::exists(paths.g_CrudOverlapPagePath));
    EXPECT_EQ(progress.level, 0);
}

}  // namespace
