#include <gtest/gtest.h>

#include <algorithm>

#include "tests/workspace/ImportTestSupport.h"
#include "workspace/RepositoryImport.h"

using importtest::SmallRepo;
using platform::db::Database;
using Rows = std::vector<std::string>;

namespace {

class Import : public ::testing::Test {
protected:
    SmallRepo repo;
    testsupport::TempDir dbDir;
    std::unique_ptr<Database> db = importtest::FreshWorkspaceDb(dbDir);
    testsupport::RecordingProgress progress;

    workspace::ImportResult Run() { return workspace::ImportRepositoryEntities(*db, repo.Session(), progress); }
    int64_t Count(const std::string& sql, const platform::db::Params& p = {}) { return db->Scalar(sql, p).AsInt(); }
    // Reopens the file, as the next start of the tool would.
    std::unique_ptr<Database> Reopen() {
        const auto path = db->Path();
        db->Close();
        return Database::Open(path);
    }
};

}  // namespace

TEST_F(Import, RowsOfEveryKindInTheirOrderWithProgressPerKind) {
    const auto m1 = repo.Add("MAP", "ORDMAP", {{"Source", "maps/ordmap.bms"}});
    const auto m2 = repo.Add("MAP", "OLDMAP");   // no source: a stub screen
    const auto p = repo.Add("PROGRAM", "ORD'ENTRY \"X\"");
    const std::string longName(300, 'N');
    // Added in an order other than the import's, to see the import's order.
    const auto ds = repo.Add("DATASTORE", longName);
    const auto dmsii = repo.Add("DMSIIDATASET", "DMS1");
    const auto area = repo.Add("DATAAREA", "AREA1");
    const auto net = repo.Add("NETRECORD", "NET1");
    const auto adabas = repo.Add("ADABASFILE", "ADA1");
    const auto seg = repo.Add("HISEGMENT", "SEG1");
    const auto table = repo.Add("TABLE", longName);
    repo.Add("DATAPORT", "PORT1");   // ports are no stores of their own
    repo.Rel("ReadsTable", p, table);

    const auto result = Run();
    EXPECT_TRUE(result.done);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.error, "");

    const std::string cut(255, 'N');
    auto k = [&](int64_t n) { return repo.Key(n); };
    EXPECT_EQ(importtest::EntsListing(*db),
              (Rows{k(m1) + " | MAP | MAP | ORDMAP | ORDMAP | 0", k(m2) + " | MAP | MAP | OLDMAP | OLDMAP | -1",
                    k(p) + " | PROGRAM | PROGRAM | ORD'ENTRY \"X\" | ORD'ENTRY \"X\" | 0",
                    k(table) + " | store | TABLE | " + longName + " | " + longName + " | 0",
                    k(seg) + " | store | HISEGMENT | SEG1 | SEG1 | 0", k(adabas) + " | store | ADABASFILE | ADA1 | ADA1 | 0",
                    k(net) + " | store | NETRECORD | NET1 | NET1 | 0", k(area) + " | store | DATAAREA | AREA1 | AREA1 | 0",
                    k(dmsii) + " | store | DMSIIDATASET | DMS1 | DMS1 | 0",
                    k(ds) + " | store | DATASTORE | " + cut + " | " + cut + " | 0"}));
    EXPECT_EQ(importtest::RelsListing(*db), (Rows{k(p) + " | " + k(table) + " | PROGRAM | TABLE | access | ReadsTable"}));

    const Rows expected = {
        "StartProgress(Collecting screens,2,T)", "StartStep()", "FinishStep(1)", "StartStep()", "FinishStep(1)",
        "FinishProgress", "StartProgress(Collecting programs,1,T)", "StartStep()", "FinishStep(1)", "FinishProgress"};
    ASSERT_GE(progress.calls.size(), expected.size());
    EXPECT_EQ(Rows(progress.calls.begin(), progress.calls.begin() + expected.size()), expected);
    // One bar per store type that has entities, each with one step per store.
    EXPECT_EQ(std::count(progress.calls.begin(), progress.calls.end(), "StartProgress(Collecting data stores,1,T)"), 7);
    EXPECT_EQ(progress.level, 0);
    EXPECT_EQ(progress.maxLevel, 1);
}

TEST_F(Import, NoScreensMeansNoScreenStep) {
    repo.Add("PROGRAM", "P");
    ASSERT_TRUE(Run().done);
    EXPECT_EQ(progress.calls.front(), "StartProgress(Collecting programs,1,T)");
    EXPECT_EQ(progress.calls.back(), "FinishProgress");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Ents"), 1);
}

TEST_F(Import, EmptyRepositoryShowsNoProgressAndCompletes) {
    ASSERT_TRUE(Run().done);
    EXPECT_TRUE(progress.calls.empty());
}

TEST_F(Import, CancelDuringProgramsLeavesNoStoresAndReopensCleanly) {
    repo.Add("MAP", "M1", {{"Source", "m1"}});
    const auto p1 = repo.Add("PROGRAM", "P1");
    repo.Add("PROGRAM", "P2");
    const auto t = repo.Add("TABLE", "T1");
    repo.Rel("ReadsTable", p1, t);
    progress.cancelAfterSteps = 2;   // the screen, then the first program

    const auto result = Run();
    EXPECT_FALSE(result.done);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(progress.level, 0);
    EXPECT_EQ(progress.steps.size(), 2u);
    EXPECT_FALSE(db->InTransaction());

    auto reopened = Reopen();
    // The program in hand was saved with its relationships; nothing after it.
    EXPECT_EQ(reopened->Scalar("SELECT COUNT(*) FROM Ents WHERE EntName = 'PROGRAM'").AsInt(), 1);
    EXPECT_EQ(reopened->Scalar("SELECT COUNT(*) FROM Ents WHERE EntName = 'store'").AsInt(), 0);
    EXPECT_EQ(reopened->Scalar("SELECT COUNT(*) FROM Rels").AsInt(), 1);
}

TEST_F(Import, CancelDuringAStoreTypeSkipsTheRemainingTypes) {
    repo.Add("TABLE", "T1");
    repo.Add("TABLE", "T2");
    repo.Add("DATASTORE", "D1");
    progress.cancelAfterSteps = 1;
    EXPECT_FALSE(Run().done);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Ents"), 1);
    EXPECT_EQ(progress.level, 0);
}

TEST_F(Import, FailureCommitsWhatWasWrittenAndReportsIncomplete) {
    repo.Add("MAP", "M1", {{"Source", "m1"}});
    repo.Add("PROGRAM", "P1");
    // The relationship recording cannot start without its table.
    db->ExecuteScript("DROP TABLE Rels");

    const auto result = Run();
    EXPECT_FALSE(result.done);
    EXPECT_FALSE(result.cancelled);
    EXPECT_NE(result.error.find("Rels"), std::string::npos) << result.error;
    EXPECT_EQ(progress.level, 0);
    EXPECT_FALSE(db->InTransaction());
    auto reopened = Reopen();
    EXPECT_EQ(reopened->Scalar("SELECT COUNT(*) FROM Ents").AsInt(), 1);
    EXPECT_EQ(reopened->Scalar("SELECT StatusVal FROM Status WHERE StatusType = 'ErrorMessage'").AsText(), "none");
}

TEST_F(Import, FailureInsideTheWalkKeepsTheRowsBeforeIt) {
    const auto m1 = repo.Add("MAP", "M1", {{"Source", "m1"}});
    const auto p1 = repo.Add("PROGRAM", "P1");
    const auto p2 = repo.Add("PROGRAM", "P2");
    const auto t1 = repo.Add("TABLE", "T1");
    const auto t2 = repo.Add("TABLE", "T2");
    repo.Rel("ReadsTable", p1, t1);
    repo.Rel("ReadsTable", p2, t2);
    // The second program's relationship cannot be written.
    db->ExecuteScript("CREATE TRIGGER failT2 BEFORE INSERT ON Rels WHEN NEW.Id2 = '" + repo.Key(t2) +
                      "' BEGIN SELECT RAISE(ABORT, 'disk full'); END;");

    const auto result = Run();
    EXPECT_FALSE(result.done);
    EXPECT_FALSE(result.cancelled);
    EXPECT_NE(result.error.find("disk full"), std::string::npos) << result.error;
    EXPECT_EQ(progress.level, 0);
    EXPECT_FALSE(db->InTransaction());

    auto reopened = Reopen();
    auto k = [&](int64_t n) { return repo.Key(n); };
    // The screen, both program rows and the first program's row survive; no store was reached.
    EXPECT_EQ(importtest::EntsListing(*reopened),
              (Rows{k(m1) + " | MAP | MAP | M1 | M1 | 0", k(p1) + " | PROGRAM | PROGRAM | P1 | P1 | 0",
                    k(p2) + " | PROGRAM | PROGRAM | P2 | P2 | 0"}));
    EXPECT_EQ(importtest::RelsListing(*reopened), (Rows{k(p1) + " | " + k(t1) + " | PROGRAM | TABLE | access | ReadsTable"}));
}

TEST_F(Import, JoinsATransactionTheCallerHolds) {
    repo.Add("PROGRAM", "P1");
    db->Begin();
    ASSERT_TRUE(Run().done);
    EXPECT_TRUE(db->InTransaction());
    db->Rollback();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Ents"), 0);
}
