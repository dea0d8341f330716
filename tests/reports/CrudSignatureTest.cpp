// A program's CRUD signature, and the comparison file read back as the
// overlap window's rows.
#include <gtest/gtest.h>

#include <fstream>

#include "reports/CrudComparison.h"
#include "reports/CrudSignature.h"
#include "reports/GaugedSteps.h"
#include "tests/platform/xml/LibxmlMemory.h"
#include "tests/support/TestSupport.h"
#include "tests/reports/CrudWorkspace.h"

using crudtest::CrudWorkspace;
namespace fs = std::filesystem;

namespace {

// Each row as "NAME:marks", the marks being the kinds marked, in IRUD order.
std::vector<std::string> Rows(const Globals::CrudSignature& list) {
    std::vector<std::string> out;
    for (const auto& row : list.Rows()) {
        std::string marks;
        for (char kind : std::string(Globals::kCrudKinds))
            if (row.Marked(kind)) marks += kind;
        out.push_back(row.storeName + ":" + marks);
    }
    return out;
}

}  // namespace

TEST(CrudSignature, OneRowPerStoreNameMarkedByTheCapitalFirstLetter) {
    CrudWorkspace ws;
    const std::string prog = "PROGRAM#1'x";   // a quote in an id is only a character
    ws.Program(prog, "ORDERS");
    ws.Program("PROGRAM#2", "CALLED");
    ws.Store("TABLE#1", "CUSTOMER");
    ws.Store("TABLE#2", "customer");   // another store of the same name
    ws.Store("TABLE#3", "ITEMS");
    ws.Store("TABLE#4", "LOG");
    ws.Store("TABLE#5", "AUDIT");
    ws.Access(prog, "TABLE#1", "Reads");
    ws.Access(prog, "TABLE#2", "Updates");
    ws.Access(prog, "TABLE#3", "Writes");    // a row, no mark
    ws.Access(prog, "TABLE#4", "deletes");   // lower case: no mark
    ws.Access(prog, "TABLE#4", platform::db::Value());
    ws.Access(prog, "TABLE#3", "Inserts", "Calls");   // not an access
    ws.Calls(prog, "PROGRAM#2");
    ws.Access("PROGRAM#2", "TABLE#5", "Deletes");

    EXPECT_EQ(Rows(Globals::ProgramCRUDSignature(*ws.db, prog)),
              (std::vector<std::string>{"CUSTOMER:RU", "ITEMS:", "LOG:"}));
    EXPECT_TRUE(Globals::ProgramCRUDSignature(*ws.db, "PROGRAM#2").ItemExists("audit"));
    EXPECT_TRUE(Globals::ProgramCRUDSignature(*ws.db, "PROGRAM#9").Rows().empty());
    EXPECT_EQ(Globals::CrudSignatureKey("PROGRAM#7"), "PROGRAM#7-CRUDSig");
}

TEST(CrudSignature, DeeperLevelsAddCalledProgramsOnceAlongACallPath) {
    CrudWorkspace ws;
    ws.Store("TABLE#1", "A_STORE");
    ws.Store("TABLE#2", "B_STORE");
    ws.Access("PROGRAM#1", "TABLE#1", "Reads");
    ws.Access("PROGRAM#2", "TABLE#2", "Inserts");
    ws.Calls("PROGRAM#1", "PROGRAM#2");
    ws.Calls("PROGRAM#2", "program#1");   // a cycle, written in another case
    Globals::CrudSignature list;
    Globals::BuildCRUDSignature(*ws.db, list, "PROGRAM#1", {}, 50);
    EXPECT_EQ(Rows(list), (std::vector<std::string>{"A_STORE:R", "B_STORE:I"}));
    Globals::CrudSignature none;
    Globals::BuildCRUDSignature(*ws.db, none, "PROGRAM#1", {}, 0);
    EXPECT_TRUE(none.Rows().empty());
}

TEST(CrudComparison, PercentageAsTheWindowRoundsIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"0.5", "50%"}, {"0.125", "12%"}, {"0.335", "34%"}, {"0.1111111111111111", "11%"},
        {" 0.25 ", "25%"}, {"", ""}, {"abc", ""}, {"0.5x", ""}, {"1e9", ""},
    };
    for (const auto& [level, shown] : cases) EXPECT_EQ(mdlReports::SimilarityText(level), shown) << level;
}

TEST(CrudComparison, RowsKeepThePairsApartAndListEachPairOnce) {
    testsupport::TempDir dir;
    const fs::path file = dir / "QuarvelCRUDComp.xml";
    {
        mdlReports::CrudComparisonWriter writer(common::WriteBoundary(dir.Path()), file);
        using P = mdlReports::CrudComparisonWriter::Program;
        writer.AddPair(P("AB", "PROGRAM#1"), P("C", "PROGRAM#2"), 0.25, 8);
        writer.AddPair(P("A", "PROGRAM#3"), P("BC", "PROGRAM#4"), 0.5, 4);
        writer.AddPair(P("ab", "PROGRAM#5"), P("c", "PROGRAM#6"), 0.125, 16);   // the first pair's names again
        writer.AddPair(P("O'Neil & \"Co\" <x>", "PROGRAM#7"), P("tab\there", "PROGRAM#8"), 0.335, 200);
        writer.Finish();
    }
    const auto rows = mdlReports::ReadCRUDComparison(file);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].p1Id, "PROGRAM#1");
    EXPECT_EQ(rows[0].similarity, "25%");
    EXPECT_EQ(rows[1].program2, "BC");
    EXPECT_EQ(rows[2].program1, "O'Neil & \"Co\" <x>");
    EXPECT_EQ(rows[2].program2, "tab\there");
    EXPECT_EQ(rows[2].similarity, "34%");
    EXPECT_EQ(rows[2].cap, "200");

    // No pairs: an empty root; a missing or broken file: no rows either.
    { mdlReports::CrudComparisonWriter(common::WriteBoundary(dir.Path()), file).Finish(); }
    EXPECT_TRUE(mdlReports::ReadCRUDComparison(file).empty());
    std::ofstream(file) << "<Pairs><Pair Program1=";
    EXPECT_TRUE(mdlReports::ReadCRUDComparison(file).empty());
    EXPECT_TRUE(mdlReports::ReadCRUDComparison(dir / "missing.xml").empty());
}

// The bound counts what is read, not what is listed: a file of one pair
// over and over stops at the bound as a file of distinct pairs does, and
// an element that is not a Pair counts without being listed. A damaged
// file keeps the pairs before the damage and says where it is.
TEST(CrudComparison, ABoundedReadCountsEveryElementAndSaysWhereAFileIsDamaged) {
    testsupport::TempDir dir;
    const fs::path file = dir / "QuarvelCRUDComp.xml";
    const std::string pair = "<Pair Program1=\"A\" P1ID=\"PROGRAM#1\" Program2=\"B\" P2ID=\"PROGRAM#2\" "
                             "Level=\"0.5\" Cap=\"4\"/>\n";
    const std::string other = "<Pair Program1=\"C\" P1ID=\"PROGRAM#3\" Program2=\"D\" P2ID=\"PROGRAM#4\" "
                              "Level=\"0.25\" Cap=\"8\"/>\n";
    {
        std::ofstream out(file);
        out << "<Pairs>\n<Note Program1=\"X\" Program2=\"Y\"/>\n";
        for (int n = 0; n < 50; ++n) out << pair;
        out << other << "</Pairs>\n";
    }
    auto list = mdlReports::ReadCRUDComparison(file, 51);
    ASSERT_EQ(list.rows.size(), 1u);
    EXPECT_EQ(list.rows[0].program1, "A");
    EXPECT_TRUE(list.more);
    EXPECT_FALSE(list.damage);
    list = mdlReports::ReadCRUDComparison(file, 52);
    ASSERT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(list.rows[1].program1, "C");
    EXPECT_FALSE(list.more);

    std::ofstream(file) << "<Pairs>\n" << pair << other << "<Pair Program1=\"E\n";
    list = mdlReports::ReadCRUDComparison(file, 100);
    EXPECT_EQ(list.rows.size(), 2u);
    EXPECT_FALSE(list.more);
    EXPECT_FALSE(list.stopped);
    ASSERT_TRUE(list.damage);
    EXPECT_EQ(list.damage.line, 5);
    EXPECT_FALSE(list.damage.reason.empty());
    EXPECT_TRUE(mdlReports::ReadCRUDComparison(file).empty());

    // Asked to stop, the read ends where it is and says it was stopped.
    platform::xml::ReadGauge gauge;
    gauge.stop = true;
    list = mdlReports::ReadCRUDComparison(file, 100, &gauge);
    EXPECT_TRUE(list.stopped);
    EXPECT_TRUE(list.rows.empty());
}

// 10 MB of comments, or of processing instructions, between two pairs of
// a file read as the overlap window reads it: the read ends at the bound
// on nodes, a little way into the file, with the pair before them and a
// word that there is more; the parser holds a few pieces of the file at a
// time (it held every comment until the next pair: 190 MB).
TEST(CrudComparison, CommentsOrInstructionsPiledIntoTheFileCountAgainstTheBound) {
    testsupport::TempDir dir;
    const fs::path file = dir / "QuarvelCRUDComp.xml";
    constexpr std::size_t kWindowsBound = 100000;
    for (const char* node : {"<!-- note %ld -->\n", "<?note %ld?>\n"}) {
        SCOPED_TRACE(node);
        {
            std::ofstream out(file, std::ios::binary);
            out << "<Pairs>\n<Pair Program1=\"A\" P1ID=\"PROGRAM#1\" Program2=\"B\" P2ID=\"PROGRAM#2\" Level=\"0.5\" "
                   "Cap=\"4\"/>\n";
            char line[64];
            for (long n = 0; out.tellp() < 10 * 1024 * 1024; ++n)
                out.write(line, std::snprintf(line, sizeof line, node, n));
            out << "<Pair Program1=\"C\" P1ID=\"PROGRAM#3\" Program2=\"D\" P2ID=\"PROGRAM#4\" Level=\"0.5\" "
                   "Cap=\"4\"/>\n</Pairs>\n";
        }
        const xmltest::LibxmlMemory counted;
        platform::xml::ReadGauge gauge;
        const auto list = mdlReports::ReadCRUDComparison(file, kWindowsBound, &gauge);
        ASSERT_EQ(list.rows.size(), 1u);
        EXPECT_EQ(list.rows[0].program1, "A");
        EXPECT_TRUE(list.more);
        EXPECT_FALSE(list.damage) << list.damage.Describe();
        EXPECT_EQ(gauge.nodes, mdlReports::CrudComparisonNodes(kWindowsBound));
        EXPECT_LT(gauge.bytes, fs::file_size(file) / 2);
        EXPECT_LT(xmltest::LibxmlMemory::PeakBytes(), 1 << 20);
    }
}

// The bar of a read follows whichever end is nearer, the file's size or the
// bound on elements, never moves back or past its length, and a confirmed
// Cancel asks the read to stop.
TEST(CrudComparison, TheReadingBarFollowsTheNearerEndAndCancelStopsTheRead) {
    testsupport::RecordingProgress shown;
    platform::xml::ReadGauge gauge;
    mdlReports::GaugedSteps steps(shown, gauge, 1000, 100, 1000);
    gauge.bytes = 250;
    steps.StartStep("");
    EXPECT_EQ(shown.done, 250);
    gauge.nodes = 50;
    steps.StartStep("");
    EXPECT_EQ(shown.done, 500);
    gauge.bytes = 5000;   // a file that grew while it was read
    steps.StartStep("");
    EXPECT_EQ(shown.done, 1000);
    steps.Complete();
    EXPECT_EQ(shown.done, 1000);
    EXPECT_FALSE(gauge.stop);
    shown.cancelAfterSteps = 1;
    steps.StartStep("");
    EXPECT_TRUE(gauge.stop);
}
