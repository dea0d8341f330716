// The classification of whole workspaces: the worked example, and the cases
// where reachability, transfers and callers interact.

#include <gtest/gtest.h>

#include "classify/ClassifyPrograms.h"
#include "tests/classify/ClassifyFixture.h"
#include "tests/classify/LiteralClassifier.h"

namespace classifytest {
namespace {

class ClassifyProgramsTest : public ClassifyFixture {
protected:
    void BuildWorkedExample() {
        Programs({"C1", "C2", "C3", "C4", "T10", "T11", "T0", "F20", "F21", "F22", "F23", "X1", "S30", "S31", "S32",
                  "S33", "M", "B90", "B2"});
        for (auto p : {"C1", "C2", "C3", "C4"}) Converse(p);
        for (auto p : {"C3", "C4", "F20", "S30", "B90"}) Access(p);
        for (auto [a, b] : {std::pair{"C1", "C2"}, {"C1", "F20"}, {"C1", "F21"}, {"C1", "F23"}, {"C1", "M"},
                            {"C2", "T11"}, {"C2", "F22"}, {"C3", "C4"}, {"F20", "S31"}, {"F21", "S30"},
                            {"F22", "S32"}, {"F22", "M"}, {"F23", "S33"}, {"S31", "S30"}, {"S33", "C2"}, {"B90", "B2"}})
            Calls(a, b);
        for (auto [a, b] : {std::pair{"C1", "T10"}, {"C1", "T11"}, {"C1", "T0"}, {"T10", "C3"}, {"T11", "C3"},
                            {"T0", "C1"}, {"C3", "X1"}})
            Xctls(a, b);
        // Batch programs keep whatever flags they held: give them some.
        db->Execute("UPDATE Ents SET OnTop = -1, Called = -1 WHERE ID IN (?, ?)", {Id("B90"), Id("B2")});
    }

    void ExpectWorkedExample() {
        const struct {
            const char* name;
            int code;
            const char* flags;
        } expected[] = {
            {"C1", 1, "TTTFTFT"},   {"C2", 2, "TFFFFTF"},   {"C3", 3, "TTTTTFT"},   {"C4", 4, "TFFTFTT"},
            {"T10", 10, "FTTFFFT"}, {"T0", 10, "FTTFFFT"},  {"T11", 11, "FTTFFTT"}, {"F20", 20, "FFFTTTT"},
            {"F21", 21, "FFFFTTT"}, {"F22", 22, "FFFFFTT"}, {"X1", 22, "FFTFFFT"},  {"F23", 23, "FFFFFTT"},
            {"S30", 30, "FFFTFTF"}, {"S31", 31, "FFFFTTF"}, {"S32", 32, "FFFFFTF"}, {"M", 32, "FFFFFTF"},
            {"S33", 33, "FFFFFTF"}, {"B90", 90, "FFFFFTT"}, {"B2", 90, "FFFFFTT"},
        };
        for (const auto& e : expected) {
            EXPECT_EQ(Code(e.name), e.code) << e.name;
            EXPECT_EQ(Flags(e.name), e.flags) << e.name;
        }
        // Screens and stores are never written.
        EXPECT_EQ(db->Scalar("SELECT COUNT(*) FROM Ents WHERE EntName <> 'PROGRAM' AND SOAType <> 0").AsInt(), 0);
    }
    // OnTop reads the callers' codes as the transitional pass left them: a
    // client or Batch caller keeps it, a caller still without a code (later
    // Frontier) clears it, a caller without an Ents row is never seen.
    void BuildOnTopCase() {
        Programs({"C", "C2", "F", "G", "T", "H", "P", "W"});
        Converse("C");
        Converse("C2");
        Calls("C", "F");
        Calls("W", "F");  // W is Batch: no code outside the client types and 90
        Calls("F", "G");
        Xctls("C", "T");
        Xctls("T", "C2");
        Xctls("T", "H");
        Calls("C", "N");  // N has no Ents row
        Calls("N", "P");
    }

    void ExpectOnTopCase() {
        const struct {
            const char* name;
            int code;
            const char* flags;
        } expected[] = {
            {"C", 1, "TTFFFFT"},  {"C2", 1, "TFTFFFT"}, {"F", 22, "FFFFFTT"}, {"G", 32, "FFFFFTF"},
            {"T", 10, "FTTFFFT"}, {"H", 22, "FFTFFFT"}, {"P", 60, "FFFFFTT"},
        };
        for (const auto& e : expected) {
            EXPECT_EQ(Code(e.name), e.code) << e.name;
            EXPECT_EQ(Flags(e.name), e.flags) << e.name;
        }
        EXPECT_EQ(Code("W"), 90);
    }
};

TEST_F(ClassifyProgramsTest, WorkedExampleGivesEveryCodeAndFlag) {
    BuildWorkedExample();
    auto counts = mdlReports::ClassifyPrograms(*db);
    EXPECT_EQ(counts.online, 17u);
    EXPECT_EQ(counts.batch, 2u);
    ExpectWorkedExample();
}

TEST_F(ClassifyProgramsTest, WorkedExampleByTheLiteralProcedureToo) {
    BuildWorkedExample();
    literal::ClassifyPrograms(*db);
    ExpectWorkedExample();
}

TEST_F(ClassifyProgramsTest, OnTopJudgesCallersByTheirCodesAfterTheTransitionalPass) {
    BuildOnTopCase();
    mdlReports::ClassifyPrograms(*db);
    ExpectOnTopCase();
}

TEST_F(ClassifyProgramsTest, OnTopCaseByTheLiteralProcedureToo) {
    BuildOnTopCase();
    literal::ClassifyPrograms(*db);
    ExpectOnTopCase();
}

TEST_F(ClassifyProgramsTest, RepeatedRowsAndOtherSpellingsChangeNothing) {
    BuildWorkedExample();
    // Every relationship again, with ids and names in other letter cases.
    db->Execute(
        "INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) "
        "SELECT lower(Id1), upper(Id2), lower(EntName1), EntName2, upper(RelName), RelNameFull FROM Rels");
    mdlReports::ClassifyPrograms(*db);
    ExpectWorkedExample();
}

TEST_F(ClassifyProgramsTest, WithoutAnyScreenEveryProgramIsBatchAndKeepsItsFlags) {
    Programs({"A", "B"});
    Access("A");
    Calls("A", "B");
    db->Execute("UPDATE Ents SET Called = -1 WHERE ID = ?", {Id("B")});
    auto counts = mdlReports::ClassifyPrograms(*db);
    EXPECT_EQ(counts.online, 0u);
    EXPECT_EQ(Code("A"), 90);
    EXPECT_EQ(Code("B"), 90);
    EXPECT_EQ(Flags("A"), "FFFFFFF");
    EXPECT_EQ(Flags("B"), "FFFFFTF");
}

TEST_F(ClassifyProgramsTest, CycleThroughCallsAndTransfersEndsAndReachesAll) {
    // P converses, P calls Q, Q transfers to R, R calls P; W is reached by nobody.
    Programs({"P", "Q", "R", "W", "V"});
    Converse("P");
    Calls("P", "Q");
    Xctls("Q", "R");
    Calls("R", "P");
    Calls("W", "P");  // a Batch caller does not make W online
    Calls("W", "V");  // reached only from Batch: Batch as well
    mdlReports::ClassifyPrograms(*db);
    EXPECT_EQ(Code("P"), 2);   // called by R
    EXPECT_EQ(Code("Q"), 22);  // called by a client program, no data
    EXPECT_EQ(Code("R"), 33);  // transferred to by a Frontier program, calls the client P
    EXPECT_EQ(Code("W"), 90);
    EXPECT_EQ(Code("V"), 90);
    EXPECT_EQ(Flags("P"), "TFFFFTF");  // R (no client type) calls it: not on top
}

TEST_F(ClassifyProgramsTest, ScreenProgramStaysClientWhateverElseItDoes) {
    Programs({"C", "F", "G"});
    Converse("C");
    Converse("G");
    Calls("C", "F");
    Calls("F", "G");  // G is called by a Frontier program and transfers, yet talks to a screen
    Xctls("G", "C");
    Access("G");
    mdlReports::ClassifyPrograms(*db);
    EXPECT_EQ(Code("G"), 4);
    EXPECT_EQ(Code("C"), 1);
    EXPECT_EQ(Code("F"), 23);  // calls a client program
}

TEST_F(ClassifyProgramsTest, ProgramBothCalledAndTransferredToIsJudgedByItsCallers) {
    // Q is called by the client C and transferred to by Z, a Frontier program:
    // looking at Z would make Q a Server; its callers alone make it Frontier.
    Programs({"C", "Q", "Z"});
    Converse("C");
    Calls("C", "Q");
    Calls("C", "Z");
    Xctls("Z", "Q");
    mdlReports::ClassifyPrograms(*db);
    EXPECT_EQ(Code("Z"), 22);
    EXPECT_EQ(Code("Q"), 22);
    EXPECT_EQ(Flags("Q"), "FFTFFTF");  // not on top: Z transfers to it
}

TEST_F(ClassifyProgramsTest, CalledByClientAndByOtherOnlineProgramIsServer) {
    Programs({"C", "F", "S"});
    Converse("C");
    Calls("C", "F");
    Calls("C", "S");
    Calls("F", "S");
    Access("S");
    mdlReports::ClassifyPrograms(*db);
    EXPECT_EQ(Code("F"), 21);  // data through S
    EXPECT_EQ(Code("S"), 30);
}

TEST_F(ClassifyProgramsTest, TransferCycleWithoutClientEndsAndGivesNoTransitional) {
    Programs({"C", "A", "B"});
    Converse("C");
    Calls("C", "A");
    Xctls("A", "B");
    Xctls("B", "A");
    mdlReports::ClassifyPrograms(*db);
    EXPECT_EQ(Code("A"), 22);  // called by C
    EXPECT_EQ(Code("B"), 32);  // transferred to by A only
}

TEST_F(ClassifyProgramsTest, TransitionalNeedsClientOnBothSides) {
    // T transfers to the client C but only the non-client U transfers to it.
    Programs({"C", "U", "T"});
    Converse("C");
    Calls("C", "U");
    Xctls("U", "T");
    Xctls("T", "C");
    mdlReports::ClassifyPrograms(*db);
    EXPECT_EQ(Code("T"), 32);
}

TEST_F(ClassifyProgramsTest, TransferWalkGoesOnThroughBatchProgram) {
    // B is Batch (the row from C does not type B as a program, so it does not
    // make B online), but the transfer walk follows any "Xctls" row: from T
    // back through B it finds the client C.
    Programs({"C", "C2", "B", "T"});
    Converse("C");
    Converse("C2");
    AddRel(*db, Id("C"), Id("B"), "PROGRAM", "PROGRAMENTRY", "Xctls");
    Xctls("B", "T");
    Xctls("T", "C2");
    Calls("C", "T");
    mdlReports::ClassifyPrograms(*db);
    EXPECT_EQ(Code("B"), 90);
    EXPECT_EQ(Code("T"), 11);
}

TEST_F(ClassifyProgramsTest, DataThroughACallsCycleMarksBothAndTheirCallers) {
    Programs({"C", "A", "B", "N"});
    Converse("C");
    Calls("C", "A");
    Calls("A", "B");
    Calls("B", "A");
    Calls("A", "N");
    Access("A");
    mdlReports::ClassifyPrograms(*db);
    EXPECT_EQ(Flags("A").substr(3, 2), "TT");  // on the cycle: marked itself
    EXPECT_EQ(Flags("B").substr(3, 2), "FT");
    EXPECT_EQ(Flags("C").substr(3, 2), "FT");
    EXPECT_EQ(Flags("N").substr(3, 2), "FF");
    EXPECT_EQ(Code("A"), 30);  // B, online and no client, calls it too
    EXPECT_EQ(Code("B"), 31);
}

TEST_F(ClassifyProgramsTest, ProgramsWithoutEntsRowsAreWalkedButNotSeen) {
    // N has no Ents row: it is online and carries the reachability on, but
    // no walk can see its code or pass through it.
    Programs({"C", "P"});
    Converse("C");
    Calls("C", "N");
    Calls("N", "P");
    Calls("P", "C");
    mdlReports::ClassifyPrograms(*db);
    // P's only caller has no row to read a code from: neither Frontier nor Server.
    EXPECT_EQ(Code("P"), 60);
    EXPECT_EQ(Code("C"), 2);
}

TEST_F(ClassifyProgramsTest, NameWithQuotesIsBoundNotSpliced) {
    AddEnt(*db, "PROGRAM#1'\"x", "PROGRAM", "Q'uote");
    AddEnt(*db, "MAP#1", "MAP", "M");
    AddRel(*db, "PROGRAM#1'\"x", "MAP#1", "PROGRAM", "MAP", "converse");
    mdlReports::ClassifyPrograms(*db);
    EXPECT_EQ(CodeOf(*db, "PROGRAM#1'\"x"), 1);
}

}  // namespace
}  // namespace classifytest
