// The OrderEntry sample imported from its repository and classified: every
// code the classification can give shows up where the application's design
// puts it, and the Summary tree groups it accordingly.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "classify/ClassifyObjects.h"
#include "platform/db/Database.h"
#include "platform/workbench/RepositoryValues.h"
#include "platform/workbench/WorkbenchSession.h"
#include "tests/classify/LiteralClassifier.h"
#include "tests/support/TestSupport.h"
#include "workspace/RepositoryImport.h"

namespace fs = std::filesystem;

namespace {

class SampleClassification : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path built = testsupport::AppDir().parent_path() / "samples";
        ASSERT_TRUE(fs::exists(built / "OrderEntry.hxp")) << built;
        fs::copy(built / "OrderEntry", dir.Path() / "OrderEntry", fs::copy_options::recursive);
        fs::copy_file(built / "OrderEntry.hxp", dir.Path() / "OrderEntry.hxp");
        fs::copy_file(testsupport::AppDir() / "QuarvelAnalyzer.mdb", dir.Path() / "QuarvelAnalyzer.mdb");
        session.SetBinFolder(dir.Path() / "Bin");
        auto [file, project] =
            FileNameUtility::GetRepositoryValues((dir.Path() / "OrderEntry.hxp").string());
        ASSERT_TRUE(session.OpenRepository(file, project)) << session.LastError();
        db = platform::db::Database::Open(dir.Path() / "QuarvelAnalyzer.mdb");
        testsupport::RecordingProgress importProgress;
        auto result = workspace::ImportRepositoryEntities(*db, session, importProgress);
        ASSERT_TRUE(result.done) << result.error;
        db.reset();  // a copy as the import left it, for the literal procedure
        fs::copy_file(dir.Path() / "QuarvelAnalyzer.mdb", dir.Path() / "Imported.mdb");
        db = platform::db::Database::Open(dir.Path() / "QuarvelAnalyzer.mdb");
        tree = classify::ClassifyObjects(*db, progress);
        auto rs = db->OpenRecordset("SELECT Name, SOAType FROM Ents WHERE EntName = 'PROGRAM'");
        for (; !rs.IsEOF(); rs.MoveNext()) codes[rs.Text("Name")] = static_cast<int>(rs.Int("SOAType"));
    }

    testsupport::TempDir dir;
    platform::workbench::WorkbenchSession session;
    std::unique_ptr<platform::db::Database> db;
    testsupport::RecordingProgress progress;
    common::Tree tree;
    std::map<std::string, int> codes;
};

// Checked by hand against the application's relationships (samples/OrderEntry.desc).
TEST_F(SampleClassification, EveryProgramGetsTheCodeItsRoleCallsFor) {
    const std::map<std::string, int> expected{
        {"ORDMENU", 1},    // menu: talks to screens, transfers on, called by nobody
        {"HELPSCR", 2},    // help screen linked to from order entry and confirmation
        {"ORDENTR", 3},   {"CUSTINQ", 3}, {"SHIPSCR", 3}, {"PAYSCR", 3}, {"NCUSTMNT", 3},
        {"CUSTLKP", 4},   {"ERRSCR", 4},   // screens of their own, linked to, with data
        {"ORDROUT", 10},   // router between the menu and order entry
        {"PGMSEL", 11},    // between shipping and payment screens, and linked to
        {"CUSTIO", 20},   {"SHIPCALC", 20},
        {"ORDPROC", 21},   // data only through the programs it links to
        {"DATEVAL", 22},  {"NCUSTVAL", 22}, {"MENUOLD", 22},
        {"ORDCONF", 23},  {"PAYPROC", 23},   // reach a client program through their calls
        {"STOCKDB", 30},  {"ORDUPD", 30},
        {"STOCKCHK", 31}, {"FMTADDR", 32}, {"CRDAUTH", 32},
        {"PAYVAL", 33},    // called by a Frontier program, calls the error screen
        {"ORDPURGE", 90}, {"ORDRPT", 90},  {"NCUSTEXT", 90}, {"OBSOLETE", 90},
    };
    for (const auto& [name, code] : expected) {
        ASSERT_TRUE(codes.count(name)) << name;
        EXPECT_EQ(codes.at(name), code) << name;
    }
    // AUDITLOG is both the server program and a stub its batch callers name.
    auto audit = db->OpenRecordset("SELECT SOAType FROM Ents WHERE Name = 'AUDITLOG' AND EntName = 'PROGRAM' ORDER BY Stub DESC");
    ASSERT_EQ(audit.RecordCount(), 2u);
    EXPECT_EQ(audit.Int("SOAType"), 30);
    audit.MoveNext();
    EXPECT_EQ(audit.Int("SOAType"), 90);
}

TEST_F(SampleClassification, SameResultAsTheRecordByRecordProcedure) {
    auto literalDb = platform::db::Database::Open(dir.Path() / "Imported.mdb");
    literal::ClassifyPrograms(*literalDb);
    auto table = [](platform::db::Database& d) {
        std::vector<std::string> rows;
        auto rs = d.OpenRecordset(
            "SELECT ID, SOAType, AccessScreen, Xctls, Xctled, CallsData, CallsDataIndirect, Called, OnTop FROM Ents "
            "ORDER BY SerialID");
        for (; !rs.IsEOF(); rs.MoveNext()) {
            std::string row;
            for (size_t i = 0; i < rs.FieldNames().size(); ++i) row += rs.Field(i).AsText() + " ";
            rows.push_back(row);
        }
        return rows;
    };
    EXPECT_EQ(table(*db), table(*literalDb));
}

TEST_F(SampleClassification, SummaryTreeGroupsWithCountsAndStubMarks) {
    auto texts = [&](const std::string& parent) {
        std::vector<std::string> out;
        for (auto* n : tree.Children(parent)) out.push_back(n->text);
        return out;
    };
    EXPECT_EQ(texts(""), (std::vector<std::string>{"12 Screens*", "16 Client Branch*", "15 Server Branch*",
                                                   "23 Data Stores"}));
    EXPECT_EQ(texts("Client Branch"),
              (std::vector<std::string>{"5 Batch*", "1 Client Facing", "1 Client Facing Called",
                                        "5 Client Facing Data", "2 Client Facing Called Data", "1 Transitional",
                                        "1 Transitional Called"}));
    EXPECT_EQ(texts("Server Branch"),
              (std::vector<std::string>{"2 Frontier Data Access", "1 Frontier Data Logic", "3 Frontier Logic Only*",
                                        "2 Frontier Irregular", "3 Server Data Access", "1 Server Data Logic",
                                        "2 Server Logic Only*", "1 Server Irregular"}));
    const auto* oldMenu = tree.Children("Screens").back();
    EXPECT_EQ(oldMenu->text, "OLDMNU");
    EXPECT_EQ(oldMenu->image, "Missing");
    EXPECT_EQ(oldMenu->tag, "STUBMAP");
    // One step of the bar; the others, without caption, only let a window's
    // events through.
    EXPECT_EQ(progress.done, 1);
    EXPECT_EQ(std::count(progress.steps.begin(), progress.steps.end(), ""), progress.steps.size());
}

}  // namespace
