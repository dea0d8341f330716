// The validation rules analysis: which programs are searched from which,
// how a declaration is flattened, what the walk records and shows, what a
// cancel keeps; and the validation details tree read from the SFV tables.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/workbench/CodeModel.h"
#include "reports/ValidationAnalysis.h"
#include "reports/ValidationTree.h"
#include "tests/reports/AnalysisWorkspace.h"

namespace {

using analysistest::AnalysisWorkspace;
using mdlReports::GetValidationRulesReport;

std::vector<std::string> Items(const common::Collection<std::string>& c) {
    std::vector<std::string> out;
    for (const auto& e : c) out.push_back(e.item);
    return out;
}

TEST(CollectScreenCallers, FindsTheScreenProgramsAboveAProgram) {
    // Programs by name; "X<Y" means X has a relationship towards Y; a name
    // in screens converses with a map.
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> towards;
        std::vector<std::string> screens;
        bool search;
        std::vector<std::string> collected;
    };
    const std::vector<Case> cases = {
        {"its only caller converses", {{"C", "S"}, {"K", "C"}}, {"C", "K"}, true, {"S", "C"}},
        {"callers' callers converse",
         {{"C1", "S"}, {"C2", "S"}, {"K1", "C1"}, {"N", "C1"}, {"K2", "C2"}},
         {"K1", "K2"},
         true,
         {"S", "C1", "K1", "C2", "K2"}},
        {"a conversing caller ends the search", {{"C", "S"}, {"K", "S"}, {"Z", "C"}}, {"K"}, true, {"S", "K"}},
        {"a call cycle", {{"A", "S"}, {"B", "A"}, {"A", "B"}, {"S", "B"}}, {}, true, {"S", "A", "B"}},
        {"a caller met twice", {{"C", "S"}, {"C", "S"}, {"D", "C"}, {"D", "S"}}, {}, true, {"S", "C", "D"}},
        {"it converses itself", {{"C", "S"}}, {"S", "C"}, true, {"S"}},
        {"no search", {{"C", "S"}}, {"C"}, false, {"S"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        crudtest::CrudWorkspace ws;
        std::set<std::string> names{"S"};
        for (const auto& [from, to] : c.towards) names.insert({from, to});
        for (const std::string& n : names) ws.Program(n, n);
        ws.Entity("MAP1", "MAP", "MAP1");
        for (const auto& [from, to] : c.towards) ws.Calls(from, to);
        for (const std::string& s : c.screens)
            ws.db->Execute(
                "INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName) "
                "VALUES (?1, 'MAP1', 'PROGRAM', 'MAP', 'converse')",
                {s});
        common::Collection<std::string> collected;
        Globals::CollectScreenCallers(*ws.db, "S", collected, c.search);
        EXPECT_EQ(Items(collected), c.collected);
    }
}

TEST(CollectScreenCallers, AChainOfFortyThousandCallersNeedsNoDeepRecursion) {
    // Each program is called by the next; only the last converses. More
    // programs than a 16-bit count holds, each a level deeper.
    constexpr int kPrograms = 40000;
    crudtest::CrudWorkspace ws;
    {
        platform::db::Transaction tx(*ws.db);
        auto program = ws.db->Prepare("INSERT INTO Ents (ID, EntName, Name) VALUES (?1, 'PROGRAM', ?1)");
        auto calls = ws.db->Prepare(
            "INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName) VALUES (?, ?, 'PROGRAM', 'PROGRAM', 'Calls')");
        for (int i = 0; i < kPrograms; ++i) {
            program.Run({"P" + std::to_string(i)});
            if (i > 0) calls.Run({"P" + std::to_string(i), "P" + std::to_string(i - 1)});
        }
        ws.db->Execute(
            "INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName) VALUES (?1, 'M', 'PROGRAM', 'MAP', "
            "'converse')",
            {"P" + std::to_string(kPrograms - 1)});
        tx.Commit();
    }
    common::Collection<std::string> collected;
    Globals::CollectScreenCallers(*ws.db, "P0", collected, true);
    EXPECT_EQ(collected.Count(), static_cast<size_t>(kPrograms));
    EXPECT_EQ(collected.Item(collected.Count()), "P" + std::to_string(kPrograms - 1));
}

TEST(FlattenDeclarations, ListsTheDeclChildrenInPreOrderOnce) {
    AnalysisWorkspace w;
    w.Program("SCR");
    auto m = w.Model("SCR");
    const std::string root = m->AddConstruct("DECL", "MAPI");          // SCR:1
    const std::string a = m->AddConstruct("DECL", "A", root);          // SCR:2
    const std::string a1 = m->AddConstruct("DECL", "A1", a);           // SCR:3
    m->AddConstruct("VALUE", "A1-OK", a1);                             // SCR:4, not a declaration
    const std::string mixed = m->AddConstruct("Decl", "MIXED", root);  // SCR:5, other letter case
    m->AddConstruct("DECL", "UNDER-MIXED", mixed);                     // SCR:6
    const std::string b = m->AddConstruct("DECL", "B", root);          // SCR:7
    m->Finish();
    // A damaged model in which the declaration is a child of its own child.
    platform::db::Database::Open(w.ModelFile("SCR"))
        ->Execute("UPDATE Constructs SET Parent = ? WHERE VNID = ?", {b, root});

    platform::workbench::ModelLoader loader;
    loader.SetSession(&w.Session());
    auto [file, key] = loader.LookupSid(w.Member("SCR"));
    auto model = platform::workbench::CodeModelFactory().CreateCodeModel(w.Session().GetEntityStore(), file, key);
    EXPECT_EQ(Items(Globals::FlattenDeclarations(model, root)),
              (std::vector<std::string>{"SCR:2\tA", "SCR:3\tA1", "SCR:7\tB"}));
    EXPECT_TRUE(Globals::FlattenDeclarations(model, a1).Empty());
    model.Close();
}

// A screen program's model: a screen input port whose use reads MAP1I with
// NAMEI (two instances: the first one's conditions cannot be read) and
// GROUPI/AMOUNTI (one condition), a "Decl" child that is not walked, and
// an output port on the same structure.
void ScreenProgramModel(AnalysisWorkspace& w, const std::string& name) {
    auto m = w.Model(name);
    const std::string port = m->AddConstruct("PORT", "MAP1");  // :1
    m->SetValue(port, "PORTTYPE", "screen");
    m->SetValue(port, "DIRECT", "in");
    const std::string use = m->AddConstruct("USE", "RECEIVE MAP", port);  // :2
    m->Relate(port, "Use", use);
    const std::string decl = m->AddConstruct("DECL", "MAP1I");  // :3
    m->Relate(use, "Declaration", decl);
    const std::string namei = m->AddConstruct("DECL", "NAMEI", decl);         // :4
    const std::string broken = m->AddConstruct("INSTANCE", "NAMEI line 10");  // :5
    m->Relate(namei, "Instances", broken);
    m->Relate(broken, "Conditions", m->AddConstruct("COND", "NAMEI = LOW-VALUES"));  // :6
    const std::string inst = m->AddConstruct("INSTANCE", "NAMEI line 20");           // :7
    m->Relate(namei, "Instances", inst);
    m->Relate(inst, "Conditions", m->AddConstruct("COND", "NAMEI = SPACES"));       // :8
    const std::string mixed = m->AddConstruct("Decl", "MIXEDI", decl);              // :9
    const std::string hidden = m->AddConstruct("DECL", "HIDDENI", mixed);           // :10
    const std::string hiddenInst = m->AddConstruct("INSTANCE", "HIDDENI line 30");  // :11
    m->Relate(hidden, "Instances", hiddenInst);
    m->Relate(hiddenInst, "Conditions", m->AddConstruct("COND", "HIDDENI = 1"));    // :12
    const std::string group = m->AddConstruct("DECL", "GROUPI", decl);              // :13
    const std::string amount = m->AddConstruct("DECL", "AMOUNTI", group);           // :14
    const std::string amountInst = m->AddConstruct("INSTANCE", "AMOUNTI line 40");  // :15
    m->Relate(amount, "Instances", amountInst);
    m->Relate(amountInst, "Conditions", m->AddConstruct("COND", "AMOUNTI > 0"));  // :16
    const std::string out = m->AddConstruct("PORT", "MAP1");                      // :17
    m->SetValue(out, "PORTTYPE", "SCREEN");
    m->SetValue(out, "DIRECT", "OUT");
    const std::string send = m->AddConstruct("USE", "SEND MAP", out);
    m->Relate(out, "Use", send);
    m->Relate(send, "Declaration", decl);
    m->Finish();
    // Reading the first instance's conditions fails inside the database.
    auto db = platform::db::Database::Open(w.ModelFile(name));
    db->ExecuteScript(
        "ALTER TABLE ConstructRelations RENAME TO StoredRelations;"
        "CREATE VIEW ConstructRelations AS SELECT FromVNID, Name, CASE WHEN FromVNID = '" +
        broken +
        "' AND Name = 'Conditions' THEN abs(-9223372036854775807 - 1 + length(ToVNID) * 0) ELSE ToVNID END AS ToVNID,"
        " Seq FROM StoredRelations;");
}

TEST(ValidationRules, RecordsTheConditionsOfTheScreenInputsAboveEachProgram) {
    AnalysisWorkspace w;
    const std::string server = w.Program("ZSERVER", 30, false);
    const std::string front = w.Program("AFRONT", 20, false);
    const std::string irregular = w.Program("IRREG", 23, false);
    std::vector<std::string> called{server, front, irregular};
    for (int code : {21, 22, 31, 32}) called.push_back(w.Program("CODE" + std::to_string(code), code, false));
    const std::string screen = w.Program("SCR", 3);
    const std::string other = w.Program("SCR2", 3);  // names a model file that is not there
    const std::string map = w.Map("MAP1");
    w.Converses(screen, map);
    w.Converses(other, map);
    for (const std::string& program : called) w.Calls(screen, program);
    w.Calls(other, server);
    w.Calls(other, front);
    ScreenProgramModel(w, "SCR");
    w.ws.db->Execute("INSERT INTO Conds (CondVNID, CondCaption, SubdeclVNID) VALUES ('old', 'old', 'old')");

    testsupport::RecordingProgress progress;
    const auto result = GetValidationRulesReport(w.Run(progress));
    EXPECT_EQ(result.text, "-1");
    // Reached from both programs, walked once, so told once.
    ASSERT_EQ(result.skipped.size(), 1u);
    EXPECT_EQ(result.skipped[0].rfind("Program SCR2 (" + other + ") skipped: ", 0), 0u) << result.skipped[0];

    EXPECT_EQ(w.Rows("SELECT ProgID, PortVNID, PortName, DeclVNID, DeclName FROM Ports ORDER BY rowid LIMIT 2"),
              (std::vector<std::string>{server + " | SCR:1 | MAP1 | SCR:3 | MAP1I",
                                        front + " | SCR:1 | MAP1 | SCR:3 | MAP1I"}));
    // Every code the analysis covers, and only those, each program once.
    EXPECT_EQ(w.Rows("SELECT E.SOAType FROM Ports P JOIN Ents E ON E.ID = P.ProgID ORDER BY 1"),
              (std::vector<std::string>{"20", "21", "22", "30", "31", "32"}));
    EXPECT_EQ(w.Rows("SELECT DeclVNID, SubdeclVNID, SubdeclName FROM Subdecls ORDER BY rowid"),
              (std::vector<std::string>{"SCR:3 | SCR:4 | NAMEI", "SCR:3 | SCR:14 | AMOUNTI"}));
    EXPECT_EQ(w.Rows("SELECT CondVNID, CondCaption, SubdeclVNID FROM Conds ORDER BY rowid"),
              (std::vector<std::string>{"SCR:8 | NAMEI = SPACES | SCR:4", "SCR:16 | AMOUNTI > 0 | SCR:14"}));

    EXPECT_EQ(progress.calls.front(), "StartProgress(Find validations,7,T)");
    // The page's caption comes last, after a step per program (and more
    // while a model is awaited); while the page is made and written only
    // empty steps follow, at least one per row, where the window's events run.
    const auto saving = std::find(progress.steps.begin(), progress.steps.end(), "Saving Validation Rules");
    ASSERT_NE(saving, progress.steps.end());
    EXPECT_GE(saving - progress.steps.begin(), 6);
    EXPECT_TRUE(std::all_of(progress.steps.begin(), saving, [](const std::string& step) { return step.empty(); }));
    EXPECT_EQ(progress.done, 7);
    EXPECT_GE(progress.steps.end() - saving, 1 + 6);
    EXPECT_TRUE(std::all_of(saving + 1, progress.steps.end(), [](const std::string& step) { return step.empty(); }));
    EXPECT_EQ(progress.level, 0);
    EXPECT_EQ(AnalysisWorkspace::PageRows(w.paths.g_ValidationReportPath),
              (std::vector<std::string>{"AFRONT | 2", "CODE21 | 2", "CODE22 | 2", "CODE31 | 2", "CODE32 | 2",
                                        "ZSERVER | 2"}));
    EXPECT_EQ(w.OpenModelFiles(), 0u);
}

TEST(ValidationRules, WithoutFrontierOrServerProgramsThePageHasNoRow) {
    AnalysisWorkspace w;
    w.Program("IRREG", 33, false);
    w.Stub("STUBSRV", 30);
    w.ws.db->Execute("INSERT INTO Ports (ProgID, PortVNID) VALUES ('old', 'old')");
    testsupport::RecordingProgress progress;
    const auto result = GetValidationRulesReport(w.Run(progress));
    EXPECT_EQ(result.text, "-1");
    EXPECT_FALSE(result.anyCodeModel);  // the window says why the page is empty
    EXPECT_EQ(progress.calls.front(), "StartProgress(,1,T)");
    EXPECT_TRUE(w.Rows("SELECT * FROM Ports UNION ALL SELECT *, '', '' FROM Subdecls").empty());
    EXPECT_TRUE(AnalysisWorkspace::PageRows(w.paths.g_ValidationReportPath).empty());
}

TEST(ValidationRules, CancelAfterAProgramKeepsItsRowsAndWritesNoPage) {
    AnalysisWorkspace w;
    std::vector<std::string> programs;
    for (const char* name : {"F1", "F2", "F3"}) programs.push_back(w.Program(name, 21, false));
    const std::string screen = w.Program("SCR", 3);
    w.Converses(screen, w.Map("MAP1"));
    for (const std::string& p : programs) w.Calls(screen, p);
    ScreenProgramModel(w, "SCR");

    testsupport::RecordingProgress progress;
    progress.cancelWhenDone = 2;  // Cancel pressed during the second program
    EXPECT_EQ(GetValidationRulesReport(w.Run(progress)).text, "0");
    EXPECT_EQ(w.Rows("SELECT ProgID FROM Ports ORDER BY rowid"), (std::vector<std::string>{programs[0], programs[1]}));
    EXPECT_EQ(w.Rows("SELECT COUNT(*) FROM Conds"), (std::vector<std::string>{"2"}));
    EXPECT_FALSE(std::filesystem::exists(w.paths.g_ValidationReportPath));
    EXPECT_EQ(progress.level, 0);
}

// The details tree from SFVPorts, SFVSubdecls and SFVConds.
TEST(ValidationTree, PortsSubDeclarationsAndConditions) {
    crudtest::CrudWorkspace ws;
    auto port = [&](const char* prog, const char* port, const char* decl, const char* declName) {
        ws.db->Execute("INSERT INTO SFVPorts (ProgID, PortVNID, PortName, DeclVNID, DeclName) VALUES (?, ?, ?, ?, ?)",
                       {prog, port, std::string("PORT-") + port, decl, declName});
    };
    auto sub = [&](const char* decl, const char* sub) {
        ws.db->Execute("INSERT INTO SFVSubdecls (DeclVNID, SubdeclVNID, SubdeclName) VALUES (?, ?, ?)",
                       {decl, sub, std::string("SUB-") + sub});
    };
    auto cond = [&](const char* sub, const char* cond) {
        ws.db->Execute("INSERT INTO SFVConds (SubdeclVNID, CondVNID, CondCaption) VALUES (?, ?, ?)",
                       {sub, cond, std::string("COND-") + cond});
    };
    port("P1", "1", "D", "MAPI");
    port("P1", "2", "D", "MAPI");  // the same declaration: its subs stay under port 1
    port("P1", "1", "D", "MAPI");  // a repeated port row
    port("P1", "3", "AB", "ABI");
    port("P1", "4", "A", "AI");     // "AB" + "C" and "A" + "BC" are different keys
    port("P2", "9", "D", "OTHER");  // another program
    sub("D", "S1");
    sub("D", "S2");
    sub("AB", "C");
    sub("A", "BC");
    cond("S1", "K1");
    cond("S1", "K1");  // a repeated condition
    cond("S1", "K2");
    cond("BC", "K3");

    const common::Tree tree = mdlReports::ValidationTree(*ws.db, "p1");
    std::vector<std::string> shown;
    for (const auto& node : tree.Nodes()) {
        const common::TreeNode* parent = node.parentKey.empty() ? nullptr : tree.Find(node.parentKey);
        shown.push_back((parent ? parent->text + " > " : "") + node.text + (node.expanded ? " +" : ""));
    }
    EXPECT_EQ(shown,
              (std::vector<std::string>{"MAPI of port PORT-1 +", "MAPI of port PORT-1 > SUB-S1 +", "SUB-S1 > COND-K1",
                                        "SUB-S1 > COND-K2", "MAPI of port PORT-1 > SUB-S2 +", "MAPI of port PORT-2 +",
                                        "ABI of port PORT-3 +", "ABI of port PORT-3 > SUB-C +", "AI of port PORT-4 +",
                                        "AI of port PORT-4 > SUB-BC +", "SUB-BC > COND-K3"}));
    EXPECT_TRUE(mdlReports::ValidationTree(*ws.db, "P3").Empty());
}

}  // namespace
