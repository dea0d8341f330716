// The COMMAREA size analysis on small workspaces with real code models:
// which items are measured, how sizes show, what a cancel keeps, and a
// model that cannot be used costing only its own program.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "reports/CommareaAnalysis.h"
#include "tests/reports/AnalysisWorkspace.h"

namespace {

using analysistest::AnalysisWorkspace;
using mdlReports::GetCOMMAREASizeReport;

constexpr char kRows[] = "SELECT R.ID, R.vnid, R.Caption, R.RemedyType, R.size FROM Commarea R ORDER BY rowid";

// A model with one USING port of one VAR whose declaration has this size.
void OneItem(AnalysisWorkspace& w, const std::string& name, int64_t bits) {
    auto m = w.Model(name);
    const std::string port = m->AddConstruct("PORT", "DFHCOMMAREA");
    m->SetValue(port, "PORTTYPE", "USING");
    const std::string var = m->AddConstruct("VAR", "DFHCOMMAREA", port);
    m->Relate(var, "Declaration", m->AddConstruct("DECL", name + "-AREA", "", bits));
    m->Finish();
}

TEST(CommareaAnalysis, MeasuresTheFirstDeclarationOfEveryVarOfTheUsingPorts) {
    AnalysisWorkspace w;
    const std::string a = w.Program("PAYA");
    const std::string b = w.Program("PAYB", 0, true, ".CTB");
    w.Program("NOMODEL", 0, false);
    w.Stub("PAYA");
    {
        auto m = w.Model("PAYA");
        // A screen port with a VAR: not a COMMAREA.
        const std::string screen = m->AddConstruct("PORT", "MAP1");
        m->SetValue(screen, "PORTTYPE", "SCREEN");
        const std::string screenVar = m->AddConstruct("VAR", "MAP1I", screen);
        m->Relate(screenVar, "Declaration", m->AddConstruct("DECL", "MAP1I", "", 64));
        const std::string port = m->AddConstruct("PORT", "DFHCOMMAREA");
        m->SetValue(port, "PORTTYPE", "using");
        const std::string v1 = m->AddConstruct("VAR", "V1", port);
        m->Relate(v1, "Declaration", m->AddConstruct("DECL", "CA-AMOUNT", "", 100));
        m->Relate(v1, "Declaration", m->AddConstruct("DECL", "CA-AMOUNT-R", "", 800));
        m->AddConstruct("VAR", "V-NONE", port);  // no declaration: no row
        const std::string v2 = m->AddConstruct("VAR", "V2", port);
        m->Relate(v2, "Declaration", m->AddConstruct("DECL", "A<B&C", "", 24));
        m->Relate(v2, "Declaration", m->AddConstruct("DECL", "UNUSED", "", 8));
        const std::string v3 = m->AddConstruct("VAR", "V3", port);
        m->Relate(v3, "Declaration", m->AddConstruct("DECL", "CA-LOST", "", 16));
        m->Finish();
        // CA-LOST's row cannot be found by its identifier (stored as a blob,
        // the relation still reaches it): it counts 0.
        auto db = platform::db::Database::Open(w.ModelFile("PAYA"));
        db->Execute(
            "UPDATE ConstructRelations SET ToVNID = CAST(ToVNID AS BLOB) "
            "WHERE ToVNID IN (SELECT VNID FROM Constructs WHERE Name = 'CA-LOST')");
        db->Execute("UPDATE Constructs SET VNID = CAST(VNID AS BLOB) WHERE Name = 'CA-LOST'");
    }
    OneItem(w, "PAYB", 4);

    testsupport::RecordingProgress progress;
    const auto result = GetCOMMAREASizeReport(w.Run(progress, ","));
    EXPECT_EQ(result.text, "-1");
    EXPECT_TRUE(result.skipped.empty());
    EXPECT_TRUE(result.anyCodeModel);

    EXPECT_EQ(w.Rows(kRows),
              (std::vector<std::string>{a + " | PAYA:6 | CA-AMOUNT | C | 100", a + " | PAYA:10 | A<B&C | C | 24",
                                        a + " | PAYA:13 | CA-LOST | C | 0", b + " | PAYB:3 | PAYB-AREA | C | 4"}));
    // Three programs that are not stubs, one step each, one for the page, one spare.
    EXPECT_EQ(progress.calls.front(), "StartProgress(Compute I/O size,5,T)");
    // The page's caption comes last, after a step per program (and more
    // while a model is awaited); while the page is written only empty steps
    // follow, where the window's events run.
    const auto saving = std::find(progress.steps.begin(), progress.steps.end(), "Saving Commarea Info");
    ASSERT_NE(saving, progress.steps.end());
    EXPECT_GE(saving - progress.steps.begin(), 3);
    EXPECT_TRUE(std::all_of(progress.steps.begin(), saving, [](const std::string& step) { return step.empty(); }));
    EXPECT_EQ(progress.done, 4);
    EXPECT_GE(progress.steps.end() - saving, 3);
    EXPECT_TRUE(std::all_of(saving + 1, progress.steps.end(), [](const std::string& step) { return step.empty(); }));
    EXPECT_EQ(progress.level, 0);
    EXPECT_EQ(AnalysisWorkspace::PageRows(w.paths.g_CommareaReportPath),
              (std::vector<std::string>{"PAYA | CA-AMOUNT/A<B&C/CA-LOST | 12,5/3/0", "PAYB | PAYB-AREA | 0,5"}));
}

TEST(CommareaAnalysis, WithoutProgramsTheProgressHasOneStepAndThePageNoRow) {
    AnalysisWorkspace w;
    w.Stub("ONLYSTUB");
    w.ws.db->Execute("INSERT INTO Commarea (ID, vnid, Caption, RemedyType, size) VALUES ('X', 'x', 'old', 'S', 8)");

    testsupport::RecordingProgress progress;
    EXPECT_EQ(GetCOMMAREASizeReport(w.Run(progress)).text, "-1");
    EXPECT_EQ(progress.calls.front(), "StartProgress(Compute I/O size,1,T)");
    EXPECT_TRUE(w.Rows(kRows).empty());  // every earlier row goes, whatever its type
    EXPECT_TRUE(AnalysisWorkspace::PageRows(w.paths.g_CommareaReportPath).empty());
}

// Models are read ahead on other threads: rows and skipped lines still come
// in program order, each program with its own items, and a cancel drops
// what was read ahead.
TEST(CommareaAnalysis, CancelAfterAProgramKeepsItsRowsAndWritesNoPage) {
    for (const int threads : {1, 4}) {
        SCOPED_TRACE(threads);
        AnalysisWorkspace w;
        std::vector<std::string> expected;
        for (int i = 1; i <= 12; ++i) {
            const std::string name = "P" + std::to_string(i);
            const std::string id = w.Program(name);
            if (i == 5) continue;  // its model file is missing
            OneItem(w, name, 8 * i);
            if (i <= 9) expected.push_back(id + " | " + std::to_string(8 * i));
        }
        testsupport::RecordingProgress progress;
        progress.cancelWhenDone = 9;  // Cancel pressed while the ninth program runs
        auto run = w.Run(progress);
        run.threads = threads;
        const auto result = GetCOMMAREASizeReport(run);
        EXPECT_EQ(result.text, "0");
        EXPECT_EQ(w.Rows("SELECT ID, size FROM Commarea ORDER BY rowid"), expected);
        ASSERT_EQ(result.skipped.size(), 1u);
        EXPECT_EQ(result.skipped[0].rfind("Program P5 (", 0), 0u) << result.skipped[0];
        EXPECT_FALSE(std::filesystem::exists(w.paths.g_CommareaReportPath));
        EXPECT_EQ(progress.calls.back(), "FinishProgress");
        EXPECT_EQ(progress.level, 0);
        EXPECT_EQ(w.OpenModelFiles(), 0u);
    }
}

// Each way a model can fail costs its own program only, says so, and leaves
// no model file open.
TEST(CommareaAnalysis, AModelThatCannotBeUsedSkipsOnlyItsProgram) {
    struct Case {
        const char* what;
        std::function<void(AnalysisWorkspace&)> spoil;
        const char* reason;  // part of the skip line
    };
    const std::vector<Case> cases = {
        {"missing", [](AnalysisWorkspace&) {}, "is missing"},
        {"empty file", [](AnalysisWorkspace& w) { std::ofstream(w.ModelFile("BAD")); }, "code model"},
        {"not a database", [](AnalysisWorkspace& w) { std::ofstream(w.ModelFile("BAD")) << std::string(4096, 'x'); },
         "code model"},
        {"another program's model",
         [](AnalysisWorkspace& w) {
             platform::workbench::CodeModelBuilder(w.ModelFile("BAD"), w.Member("GOOD"), "BAD").Finish();
         },
         "belongs to"},
        {"a size that is no number",
         [](AnalysisWorkspace& w) {
             OneItem(w, "BAD", 8);
             platform::db::Database::Open(w.ModelFile("BAD"))->Execute("UPDATE Constructs SET size = 'wide'");
         },
         "is not a number"},
        {"constructs table gone",
         [](AnalysisWorkspace& w) {
             OneItem(w, "BAD", 8);
             platform::db::Database::Open(w.ModelFile("BAD"))->Execute("DROP TABLE Constructs");
         },
         "not a code model"},
        {"a link to a model outside the workspace",
         [](AnalysisWorkspace& w) {
             const auto outside = w.dir / "elsewhere" / "BAD.mdb";
             std::filesystem::create_directories(outside.parent_path());
             OneItem(w, "BAD", 8);
             std::filesystem::rename(w.ModelFile("BAD"), outside);
             std::filesystem::create_symlink(outside, w.ModelFile("BAD"));
         },
         "outside the workspace folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AnalysisWorkspace w;
        const std::string bad = w.Program("BAD");
        const std::string good = w.Program("GOOD");
        std::filesystem::create_directories(w.ModelFile("BAD").parent_path());
        c.spoil(w);
        OneItem(w, "GOOD", 16);

        testsupport::RecordingProgress progress;
        const auto result = GetCOMMAREASizeReport(w.Run(progress));
        EXPECT_EQ(result.text, "-1");
        ASSERT_EQ(result.skipped.size(), 1u);
        EXPECT_EQ(result.skipped[0].rfind("Program BAD (" + bad + ") skipped: ", 0), 0u) << result.skipped[0];
        EXPECT_NE(result.skipped[0].find(c.reason), std::string::npos) << result.skipped[0];
        EXPECT_EQ(w.Rows("SELECT ID, size FROM Commarea"), (std::vector<std::string>{good + " | 16"}));
        EXPECT_EQ(w.OpenModelFiles(), 0u);
    }
}

TEST(CommareaAnalysis, SizesInBytes) {
    const struct {
        int64_t bits;
        const char* dot;
        const char* comma;
    } cases[] = {
        {24, "3", "3"},
        {100, "12.5", "12,5"},
        {4, "0.5", "0,5"},
        {0, "0", "0"},
        {7, "0.875", "0,875"},
        {-100, "-12.5", "-12,5"},
        {(int64_t{1} << 53) + 1, "1125899906842624.125", "1125899906842624,125"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mdlReports::SizeInBytes(c.bits, "."), c.dot) << c.bits;
        EXPECT_EQ(mdlReports::SizeInBytes(c.bits, ","), c.comma) << c.bits;
    }
}

}  // namespace
