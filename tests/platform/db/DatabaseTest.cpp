#include <gtest/gtest.h>

#include <fcntl.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "common/WriteBoundary.h"
#include "platform/db/Database.h"
#include "tests/support/TestSupport.h"

using platform::db::Database;
using platform::db::DbError;
using platform::db::Transaction;
using platform::db::Value;

namespace {

std::unique_ptr<Database> TableDb() {
    auto db = Database::InMemory();
    db->ExecuteScript(
        "CREATE TABLE T (K INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT COLLATE NOCASE, "
        "Flag INTEGER NOT NULL DEFAULT 0)");
    return db;
}

}  // namespace

TEST(Database, BoundValuesRoundTripQuotesAndNonAscii) {
    auto db = TableDb();
    const std::vector<std::string> names = {"O'Brien", "say \"hi\"", "Ärger-Ü", "日本語", "a'\"b;--"};
    for (auto& n : names) db->Execute("INSERT INTO T (Name) VALUES (?)", {n});
    for (auto& n : names) {
        auto rs = db->OpenRecordset("SELECT Name FROM T WHERE Name = ?", {n});
        ASSERT_EQ(rs.RecordCount(), 1u) << n;
        EXPECT_EQ(rs.Text("name"), n);
    }
}

TEST(Database, RecordsetReadsLikeDao) {
    auto db = TableDb();
    db->Execute("INSERT INTO T (Name, Flag) VALUES (?, ?)", {"b", true});
    db->Execute("INSERT INTO T (Name, Flag) VALUES (?, ?)", {"A", false});
    EXPECT_EQ(db->LastInsertId(), 2);
    auto rs = db->OpenRecordset("SELECT * FROM T ORDER BY Name");
    EXPECT_EQ(rs.RecordCount(), 2u);
    EXPECT_EQ(rs.Text("Name"), "A");   // ordering ignores case
    EXPECT_EQ(rs.Int("Flag"), 0);
    rs.MoveNext();
    EXPECT_EQ(rs.Int("FLAG"), -1);     // True reads back as -1
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_THROW(rs.Field("Name"), DbError);
    rs.MoveFirst();
    EXPECT_THROW(rs.Field("NoSuchField"), DbError);
    auto empty = db->OpenRecordset("SELECT * FROM T WHERE 0");
    EXPECT_TRUE(empty.IsEOF());
    EXPECT_EQ(empty.RecordCount(), 0u);
}

TEST(Database, ErrorsCarryMessageAndStatement) {
    auto db = TableDb();
    try {
        db->Execute("SELECT * FROM Missing WHERE x = ?", {1});
        FAIL();
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("no such table"), std::string::npos);
        EXPECT_EQ(e.Sql(), "SELECT * FROM Missing WHERE x = ?");
        EXPECT_EQ(std::string(e.what()).find("WHERE"), std::string::npos) << "the analyst sees no SQL";
    }
    EXPECT_THROW(db->Execute("INSERT INTO T (Name) VALUES (?)", {}), DbError);
}

// A failure that comes from outside the program is said with the file, what
// happened and what to do, never in SQLite's own words.
TEST(Database, FailuresFromOutsideTheProgramAreSaidPlainly) {
    testsupport::TempDir dir;
    const std::filesystem::path file = dir / "shared.mdb";
    Database::Create(file)->ExecuteScript("CREATE TABLE T (x)");
    const std::string name = "'" + std::filesystem::canonical(file).string() + "'";
    auto holder = Database::Open(file), other = Database::Open(file);
    const auto failure = [&](const std::function<void()>& f) {
        try {
            f();
        } catch (const DbError& e) {
            return std::string(e.what());
        }
        return std::string("no failure");
    };

    holder->ExecuteScript("BEGIN EXCLUSIVE");
    EXPECT_EQ(failure([&] { other->Execute("INSERT INTO T VALUES (1)"); }),
              "Cannot use " + name + ": another program or window is using it and it stayed busy. Try again once "
              "it has finished there.");
    holder->Rollback();

    other->ExecuteScript("PRAGMA query_only = 1");
    const std::string readOnly =
        "Cannot write " + name + ": the file or its folder is read-only. Make both writable and try again.";
    EXPECT_EQ(failure([&] { other->Execute("INSERT INTO T VALUES (1)"); }), readOnly);
    EXPECT_EQ(failure([&] { other->ExecuteScript("INSERT INTO T VALUES (1); INSERT INTO T VALUES (2)"); }), readOnly);
}

// The extended codes of failures from outside: each message names the file
// and what happened, never in SQLite's words, whatever SQLite said.
TEST(Database, ExtendedCodesFromOutsideNameTheFileInPlainWords) {
    const std::string file = "/w/Shop/QuarvelAnalyzer.mdb", named = "'" + file + "'";
    const struct {
        int code;
        const char* sqliteText;
        std::string said;
    } cases[] = {
        {SQLITE_IOERR_WRITE, "disk I/O error",
         "Cannot read or write " + named + ": the disk reported an error, or another program removed or changed "
         "the file. Check the disk and try again."},
        {SQLITE_IOERR_FSYNC, "disk I/O error",
         "Cannot read or write " + named + ": the disk reported an error, or another program removed or changed "
         "the file. Check the disk and try again."},
        {SQLITE_BUSY_TIMEOUT, "database is locked",
         "Cannot use " + named + ": another program or window is using it and it stayed busy. Try again once it "
         "has finished there."},
        {SQLITE_READONLY_DIRECTORY, "attempt to write a readonly database",
         "Cannot write " + named + ": its folder is read-only, so the journal of the change cannot be made there. "
         "Make the folder writable and try again."},
        {SQLITE_CANTOPEN_ISDIR, "unable to open database file",
         "Cannot open " + named + ": it is a folder, not a database file."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const std::string said = platform::db::ExplainFailure(c.code, file, c.sqliteText);
        EXPECT_EQ(said, c.said);
        EXPECT_EQ(said.find(c.sqliteText), std::string::npos);
    }
}

TEST(Database, TextWithASecondStatementIsRefusedNotHalfRun) {
    auto db = TableDb();
    // SQLite would compile the first statement only and drop the DELETE.
    EXPECT_THROW(db->Execute("INSERT INTO T (Name) VALUES (?); DELETE FROM T", {"a"}), DbError);
    EXPECT_THROW(db->Execute("INSERT INTO T (Name) VALUES ('a'); INSERT INTO Missing VALUES (1)"), DbError);
    EXPECT_THROW(db->OpenRecordset("SELECT * FROM T; SELECT 1"), DbError);
    EXPECT_THROW(db->Prepare("UPDATE T SET Flag = -1; DELETE FROM T"), DbError);
    EXPECT_EQ(db->Scalar("SELECT count(*) FROM T").AsInt(), 0) << "nothing of a refused text runs";
    // Trailing semicolons, blanks and comments are no second statement.
    db->Execute("INSERT INTO T (Name) VALUES (?);  ;\n -- done\n /* really */", {"b"});
    EXPECT_EQ(db->Scalar("SELECT Name FROM T;").AsText(), "b");
    // Scripts still run every statement.
    db->ExecuteScript("INSERT INTO T (Name) VALUES ('c'); INSERT INTO T (Name) VALUES ('d')");
    EXPECT_EQ(db->Scalar("SELECT count(*) FROM T").AsInt(), 3);
}

TEST(Database, TransactionRollsBackWhenLeftEarly) {
    auto db = TableDb();
    {
        Transaction tx(*db);
        db->Execute("INSERT INTO T (Name) VALUES ('x')");
    }
    EXPECT_FALSE(db->InTransaction());
    EXPECT_EQ(db->Scalar("SELECT count(*) FROM T").AsInt(), 0);
    {
        Transaction tx(*db);
        db->Execute("INSERT INTO T (Name) VALUES ('x')");
        tx.Commit();
    }
    EXPECT_EQ(db->Scalar("SELECT count(*) FROM T").AsInt(), 1);
}

TEST(Database, PreparedStatementReuse) {
    auto db = TableDb();
    auto ins = db->Prepare("INSERT INTO T (Name, Flag) VALUES (?, ?)");
    for (int i = 0; i < 100; ++i) ins.Run({"n" + std::to_string(i), i % 2 == 0});
    EXPECT_EQ(db->Scalar("SELECT count(*) FROM T WHERE Flag = -1").AsInt(), 50);
    EXPECT_TRUE(db->TableExists("t"));
    EXPECT_FALSE(db->TableExists("Nope"));
    EXPECT_EQ(db->ColumnNames("T"), (std::vector<std::string>{"K", "Name", "Flag"}));
}

namespace {

// Every file of folder (not below it, no link) with its bytes.
std::map<std::string, std::string> FilesOf(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        if (e.is_symlink() || !e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        files[e.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

}  // namespace

// A database opened through the folder a boundary holds, whose folder is
// moved away in the middle of a change and replaced by a link to a folder
// holding a file of its journal's name and a database of its name. The
// change keeps its journal in the folder held and is rolled back at its
// commit, and so is a change made afterwards, each with a message that
// says what happened; nothing where the link leads, nor in the folder's
// parent, changes. Back in place, the database takes changes again. A name
// that is a link is followed while it stays in the folder.
TEST(Database, OpenedInAHeldFolderItsJournalStaysThereAndNoCommitFollowsAMove) {
    namespace fs = std::filesystem;
    testsupport::TempDir dir;
    const fs::path folder = dir / "Shop", moved = dir / "Shop-moved", victim = dir / "Shop-victim";
    fs::create_directories(folder);
    Database::Create(folder / "shop.db")->ExecuteScript("CREATE TABLE T (x); INSERT INTO T VALUES (1)");
    for (const fs::path& place : {victim, dir.Path()}) {
        fs::create_directories(place);
        std::ofstream(place / "shop.db-journal") << "victim";
        std::ofstream(place / "shop.db") << "victim";
    }
    const auto before = FilesOf(victim), beforeParent = FilesOf(dir.Path());
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const common::WriteBoundary held = common::WriteBoundary::Held(folder, fd, "the folder Shop was moved");
    auto db = Database::OpenIn(held, "shop.db");
    EXPECT_EQ(db->Path(), folder / "shop.db");

    db->Begin();
    db->Execute("INSERT INTO T VALUES (2)");
    fs::rename(folder, moved);
    fs::create_directory_symlink(victim, folder);
    db->Execute("INSERT INTO T VALUES (3)");
    const std::string refused = "Cannot write '" + (folder / "shop.db").string() +
                                "': the folder Shop was moved, so the change was not saved. Close the workspace and "
                                "open it again.";
    const auto failure = [](const std::function<void()>& call) {
        try {
            call();
        } catch (const DbError& e) {
            return std::string(e.what());
        }
        return std::string("done");
    };
    EXPECT_EQ(failure([&] { db->Commit(); }), refused);
    EXPECT_FALSE(db->InTransaction());
    EXPECT_EQ(failure([&] { db->Execute("INSERT INTO T VALUES (4)"); }), refused);
    // A write that fails on the way, its journal unable to be made, says the
    // same, not what the disk made of it.
    fs::create_directory(moved / "shop.db-journal");
    EXPECT_EQ(failure([&] { db->Execute("INSERT INTO T VALUES (4)"); }), refused);
    fs::remove(moved / "shop.db-journal");
    EXPECT_TRUE(FilesOf(victim) == before) << "written where the link leads";
    EXPECT_TRUE(FilesOf(dir.Path()) == beforeParent) << "written beside the folder";
    EXPECT_FALSE(fs::exists(moved / "shop.db-journal"));

    fs::remove(folder);
    fs::rename(moved, folder);
    EXPECT_EQ(db->Scalar("SELECT group_concat(x) FROM T").AsText(), "1");
    db->Execute("INSERT INTO T VALUES (5)");
    EXPECT_EQ(db->Scalar("SELECT group_concat(x) FROM T").AsText(), "1,5");
    db.reset();

    fs::create_symlink("shop.db", folder / "linked.db");
    EXPECT_EQ(Database::OpenIn(held, "linked.db")->Scalar("SELECT count(*) FROM T").AsInt(), 2);
    fs::create_symlink(victim / "shop.db", folder / "out.db");
    EXPECT_EQ(failure([&] { Database::OpenIn(held, "out.db"); }),
              "'" + (folder / "out.db").string() + "' is a link that leads out of its folder; such a link is not "
              "followed.");
    EXPECT_TRUE(FilesOf(victim) == before);
}

TEST(Database, OpenRefusesMissingFolderAndNonDatabaseFiles) {
    testsupport::TempDir dir;
    EXPECT_THROW(Database::Open(dir / "missing.mdb"), DbError);
    EXPECT_THROW(Database::Open(dir.Path()), DbError);
    {
        std::ofstream(dir / "text.mdb") << "this is not a database, just some text of a decent length";
    }
    EXPECT_THROW(Database::Open(dir / "text.mdb"), DbError);
    { std::ofstream(dir / "empty.mdb"); }
    EXPECT_THROW(Database::Open(dir / "empty.mdb"), DbError);
    // A real header followed by garbage: refused when the schema is read.
    {
        std::ofstream f(dir / "damaged.mdb", std::ios::binary);
        std::string junk(4096, '\xAB');
        f.write("SQLite format 3\0", 16);
        f.write(junk.data(), junk.size());
    }
    EXPECT_THROW(Database::Open(dir / "damaged.mdb"), DbError);
    for (const char* name : {"missing.mdb", "text.mdb", "empty.mdb", "damaged.mdb"})
        EXPECT_THROW(Database::OpenCopyInMemory(dir / name), DbError) << name;
}

TEST(Database, ValueConversions) {
    EXPECT_EQ(Value().AsText(), "");
    EXPECT_EQ(Value().AsInt(), 0);
    EXPECT_EQ(Value(true).AsInt(), -1);
    EXPECT_EQ(Value("42").AsInt(), 42);
    EXPECT_EQ(Value("x").AsInt(), 0);
    EXPECT_EQ(Value(1.5).AsText(), "1.5");
    EXPECT_EQ(Value(int64_t{7}).AsText(), "7");
}

TEST(Database, JetFunctionsInSqlText) {
    auto db = Database::InMemory();
    EXPECT_EQ(db->Scalar("SELECT Asc(substr('Writes', 1, 1))").AsInt(), 87);
    EXPECT_EQ(db->Scalar("SELECT Asc('R')").AsInt(), 82);
    EXPECT_EQ(db->Scalar("SELECT Asc('é')").AsInt(), 0xE9);
    EXPECT_TRUE(db->Scalar("SELECT Asc('')").IsNull());
    EXPECT_EQ(db->Scalar("SELECT CInt(2.5)").AsInt(), 2);    // half to even
    EXPECT_EQ(db->Scalar("SELECT CInt(3.5)").AsInt(), 4);
    EXPECT_EQ(db->Scalar("SELECT CInt(-7)").AsInt(), -7);
    EXPECT_EQ(db->Scalar("SELECT CInt('12')").AsInt(), 12);
    EXPECT_THROW(db->Scalar("SELECT CInt(32768)"), DbError);
    EXPECT_EQ(db->Scalar("SELECT CInt(-32768)").AsInt(), -32768);
}

TEST(Database, NestedTransactionsBecomeSavepoints) {
    auto db = TableDb();
    {
        Transaction outer(*db);
        db->Execute("INSERT INTO T (Name) VALUES ('kept')");
        {
            Transaction inner(*db);
            db->Execute("INSERT INTO T (Name) VALUES ('dropped')");
        }   // left early: only the inner work is undone
        EXPECT_TRUE(db->InTransaction());
        {
            Transaction inner(*db);
            db->Execute("INSERT INTO T (Name) VALUES ('inner')");
            inner.Commit();
        }
        outer.Commit();
    }
    EXPECT_FALSE(db->InTransaction());
    auto rs = db->OpenRecordset("SELECT Name FROM T ORDER BY K");
    ASSERT_EQ(rs.RecordCount(), 2u);
    EXPECT_EQ(rs.Text("Name"), "kept");
    rs.MoveNext();
    EXPECT_EQ(rs.Text("Name"), "inner");
}

// One long statement lets the window's events through while it runs; an
// event that would use the same connection meanwhile is refused, not run.
TEST(Database, ProgressPumpStepsDuringOneStatementAndRefusesTheConnection) {
    auto db = TableDb();
    struct Pumping : common::NullProgress {
        Database* db = nullptr;
        int steps = 0, refused = 0;
        void StartStep(const std::string& caption) override {
            EXPECT_EQ(caption, "");
            ++steps;
            try {
                db->Scalar("SELECT count(*) FROM T");
            } catch (const DbError&) {
                ++refused;
            }
        }
    } pumping, inner;
    pumping.db = inner.db = db.get();
    const char* sum = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000) SELECT sum(i) FROM n";
    {
        platform::db::ProgressPump outer(*db, pumping);
        {
            platform::db::ProgressPump nested(*db, inner);
            db->Scalar(sum);
        }
        EXPECT_EQ(pumping.steps, 0);
        EXPECT_EQ(db->Scalar(sum).AsInt(), 20000100000);   // the outer pump is back
    }
    EXPECT_GT(inner.steps, 10);
    EXPECT_GT(pumping.steps, 10);
    EXPECT_EQ(pumping.refused, pumping.steps);
    const int steps = pumping.steps;
    db->Scalar(sum);
    EXPECT_EQ(pumping.steps, steps);
    EXPECT_EQ(db->Scalar("SELECT count(*) FROM T").AsInt(), 0);
}
