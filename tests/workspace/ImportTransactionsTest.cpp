// The import's two transactions: one read transaction on the repository for
// the whole build, and one write transaction on the database whose indexes
// are made once at its end. Every way out of the import ends both, and a
// process killed in the middle leaves the database as the build found it.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/workbench/RepositoryCore.h"
#include "tests/workspace/ImportTestSupport.h"
#include "workspace/RepositoryImport.h"
#include "workspace/RelationshipRecorder.h"

namespace fs = std::filesystem;
using importtest::SmallRepo;
using platform::db::Database;
using Rows = std::vector<std::string>;

namespace {

Rows Indexes(Database& db) {
    Rows out;
    auto st = db.Prepare("SELECT name || ': ' || sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL "
                         "ORDER BY name");
    while (st.Step()) out.push_back(st.Text(0));
    return out;
}

// Notes at every step whether the repository is inside a transaction, and
// can copy the database file with its journal there, as a process killed at
// that moment would leave them on disk.
class Watching : public testsupport::RecordingProgress {
public:
    platform::db::Database* repository = nullptr;
    std::vector<bool> readingInTransaction;
    int copyAtStep = 0;
    fs::path databaseFile, copyFolder;

    void StartStep(const std::string& action) override {
        RecordingProgress::StartStep(action);
        readingInTransaction.push_back(repository->InTransaction());
        if (static_cast<int>(steps.size()) != copyAtStep) return;
        for (const char* suffix : {"", "-journal"}) {
            const fs::path from = databaseFile.string() + suffix;
            if (fs::exists(from)) fs::copy_file(from, copyFolder / ("Killed.mdb" + std::string(suffix)));
        }
    }
};

class ImportTransactions : public ::testing::Test {
protected:
    void SetUp() override {
        const auto m = repo.Add("MAP", "M1", {{"Source", "m1"}});
        const auto p1 = repo.Add("PROGRAM", "P1");
        const auto p2 = repo.Add("PROGRAM", "P2");
        t2 = repo.Add("TABLE", "T2");
        repo.Rel("Sends", p1, m);
        repo.Rel("ReadsTable", p2, t2);
        repo.Add("DATASTORE", "D1");
        progress.repository = &repo.Store().Core()->Db();
        progress.databaseFile = db->Path();
        progress.copyFolder = copyDir.Path();
    }
    workspace::ImportResult Run() { return workspace::ImportRepositoryEntities(*db, repo.Session(), progress); }

    SmallRepo repo;
    int64_t t2 = 0;
    testsupport::TempDir dbDir, copyDir;
    std::unique_ptr<Database> db = importtest::FreshWorkspaceDb(dbDir);
    const Rows templateIndexes = Indexes(*db);
    Watching progress;
};

}  // namespace

TEST_F(ImportTransactions, EveryWayOutEndsTheReadTransactionAndKeepsTheIndexes) {
    enum class Way { Completes, Cancelled, Fails };
    for (const Way way : {Way::Completes, Way::Cancelled, Way::Fails}) {
        SCOPED_TRACE(static_cast<int>(way));
        db = importtest::FreshWorkspaceDb(dbDir, "Db" + std::to_string(static_cast<int>(way)) + ".mdb");
        progress = Watching();
        progress.repository = &repo.Store().Core()->Db();
        if (way == Way::Cancelled) progress.cancelAfterSteps = 2;
        if (way == Way::Fails)
            db->ExecuteScript("CREATE TRIGGER failT2 BEFORE INSERT ON Rels WHEN NEW.Id2 = '" + repo.Key(t2) +
                              "' BEGIN SELECT RAISE(ABORT, 'disk full'); END;");

        const auto result = Run();
        EXPECT_EQ(result.done, way == Way::Completes) << result.error;
        EXPECT_EQ(result.error.empty(), way != Way::Fails) << result.error;
        ASSERT_FALSE(progress.readingInTransaction.empty());
        for (bool inside : progress.readingInTransaction) EXPECT_TRUE(inside);
        EXPECT_FALSE(progress.repository->InTransaction());
        EXPECT_FALSE(db->InTransaction());
        // What was written stays, with the indexes the template has.
        EXPECT_EQ(Indexes(*db), templateIndexes);
        EXPECT_EQ(db->Scalar("SELECT COUNT(*) FROM Ents WHERE EntName = 'MAP'").AsInt(), 1);
        EXPECT_GE(db->Scalar("SELECT COUNT(*) FROM Ents WHERE EntName = 'PROGRAM'").AsInt(), 1);
    }
}

TEST_F(ImportTransactions, TransactionsTheCallerHoldsAreLeftToIt) {
    progress.repository->Begin();
    db->Begin();
    ASSERT_TRUE(Run().done);
    EXPECT_TRUE(progress.repository->InTransaction());
    EXPECT_TRUE(db->InTransaction());
    // The indexes stayed in place all along: they are the caller's to keep.
    EXPECT_EQ(Indexes(*db), templateIndexes);
    db->Rollback();
    progress.repository->Rollback();
    EXPECT_EQ(db->Scalar("SELECT COUNT(*) FROM Ents").AsInt(), 0);
}

TEST_F(ImportTransactions, ABuildKilledMidwayReopensAsItWasBefore) {
    db->Execute("UPDATE Status SET StatusVal = ? WHERE StatusType = 'ErrorMessage'", {"incomplete"});
    // Killed while the second program is written.
    progress.copyAtStep = 3;
    ASSERT_TRUE(Run().done);
    ASSERT_TRUE(fs::exists(copyDir / "Killed.mdb"));

    auto killed = Database::Open(copyDir / "Killed.mdb");
    EXPECT_EQ(killed->Scalar("SELECT COUNT(*) FROM Ents").AsInt(), 0);
    EXPECT_EQ(killed->Scalar("SELECT COUNT(*) FROM Rels").AsInt(), 0);
    EXPECT_EQ(Indexes(*killed), templateIndexes);
    EXPECT_EQ(killed->Scalar("SELECT StatusVal FROM Status WHERE StatusType = 'ErrorMessage'").AsText(), "incomplete");
    EXPECT_EQ(killed->Scalar("PRAGMA integrity_check").AsText(), "ok");
}

// A table that already holds rows keeps its indexes during the build: the
// duplicate test reads a returning source's rows back through them.
TEST(ImportIntoRows, RowsAlreadyThereAreSeenAndIndexesKept) {
    SmallRepo repo;
    const auto p = repo.Add("PROGRAM", "P");
    const auto t = repo.Add("TABLE", "T");
    repo.Rel("ReadsTable", p, t);
    testsupport::TempDir dir;
    auto db = importtest::FreshWorkspaceDb(dir);
    const Rows before = Indexes(*db);
    db->Execute("INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) VALUES (?,?,?,?,?,?)",
                {repo.Key(p), repo.Key(t), "program", "table", "ACCESS", "readstable"});
    common::NullProgress progress;
    ASSERT_TRUE(workspace::ImportRepositoryEntities(*db, repo.Session(), progress).done);
    EXPECT_EQ(db->Scalar("SELECT COUNT(*) FROM Rels").AsInt(), 1);
    EXPECT_EQ(Indexes(*db), before);
}

TEST(DuplicateTest, ASourceThatComesBackStillSeesItsRows) {
    testsupport::TempDir dir;
    auto db = importtest::FreshWorkspaceDb(dir);
    workspace::RelationshipRecorder rec(*db);
    const workspace::EntRef a{"PROGRAM#1", "PROGRAM"}, b{"PROGRAM#2", "PROGRAM"}, t{"TABLE#7", "TABLE"};
    EXPECT_TRUE(rec.AddRelIfNew(a, t, "ReadsTable"));
    rec.AddRel(a, "DUMMYSTORE#3", "DATASTORE", "Reads");
    EXPECT_TRUE(rec.AddRelIfNew(b, t, "ReadsTable"));
    // Asked while b is recorded, and when a becomes current again.
    EXPECT_TRUE(rec.RelExists("program#1", "table#7", "program", "table", "ACCESS", "READSTABLE"));
    EXPECT_FALSE(rec.RelExists("PROGRAM#1", "TABLE#7", "PROGRAM", "TABLE", "access", "Reads"));
    EXPECT_FALSE(rec.AddRelIfNew(a, t, "readstable"));
    EXPECT_FALSE(rec.AddRelIfNew(a, {"dummystore#3", "datastore"}, "Reads"));
    EXPECT_FALSE(rec.AddRelIfNew(b, t, "ReadsTable"));
    EXPECT_EQ(db->Scalar("SELECT COUNT(*) FROM Rels").AsInt(), 3);
}
