#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <vector>

#include "platform/db/Database.h"
#include "tests/support/TestSupport.h"
#include "workspace/WorkspaceDatabase.h"

namespace fs = std::filesystem;
using platform::db::Database;
using platform::db::DbError;
using platform::db::Value;

namespace {

std::unique_ptr<Database> FreshDb(const testsupport::TempDir& dir) {
    return workspace::CreateWorkspaceDatabase(testsupport::AppDir(), dir / "Shop");
}

std::set<std::string> FilesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

void WriteText(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

// A journal that SQLite wrote for a transaction of another database.
std::string JournalOfAnotherDatabase(const testsupport::TempDir& dir) {
    fs::path other = dir / "other.db";
    auto db = Database::Create(other);
    const std::string rows = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) ";
    db->ExecuteScript("PRAGMA cache_size = 2; CREATE TABLE Junk (x BLOB);");
    db->ExecuteScript(rows + "INSERT INTO Junk SELECT randomblob(600) FROM n");
    db->Begin();
    db->ExecuteScript(rows + "INSERT INTO Junk SELECT randomblob(600) FROM n; UPDATE Junk SET x = randomblob(700);");
    std::ifstream in(other.string() + "-journal", std::ios::binary);
    std::string journal((std::istreambuf_iterator<char>(in)), {});
    db->Rollback();
    return journal;
}

}  // namespace

TEST(WorkspaceDatabase, TemplateHoldsTheSharedAndReportTables) {
    testsupport::TempDir dir;
    auto db = FreshDb(dir);
    EXPECT_EQ(db->Path(), dir / "Shop" / "QuarvelAnalyzer.mdb");

    const std::map<std::string, std::vector<std::string>> expected = {
        {"Ents", {"SerialID", "ID", "EntName", "EntNameFull", "Name", "BusName", "Stub", "Description", "SOAType",
                  "AccessScreen", "Xctls", "Xctled", "CallsData", "CallsDataIndirect", "Called", "OnTop", "Nature",
                  "OnlineAccessible", "ScreenDist", "DownstreamAccess", "UpstreamAccess"}},
        {"Rels", {"Id1", "Id2", "EntName1", "EntName2", "RelName", "RelNameFull"}},
        {"Status", {"StatusType", "StatusVal"}},
        {"Settings", {"CLIENT", "Application"}},
        {"Fields", {"MapName", "FldName", "FldRow", "row", "col", "Length", "InitialValue", "Attrib"}},
        {"Commarea", {"ID", "vnid", "Caption", "RemedyType", "size"}},
        {"Ports", {"ProgID", "PortVNID", "PortName", "DeclVNID", "DeclName"}},
        {"Subdecls", {"DeclVNID", "SubdeclVNID", "SubdeclName"}},
        {"Conds", {"CondVNID", "CondCaption", "SubdeclVNID"}},
        {"SFVPorts", {"ProgID", "PortVNID", "PortName", "DeclVNID", "DeclName"}},
        {"SFVSubdecls", {"DeclVNID", "SubdeclVNID", "SubdeclName"}},
        {"SFVConds", {"CondVNID", "CondCaption", "SubdeclVNID"}},
        {"CRUDs", {"PortID", "CRUDType", "SerialID"}},
        {"ProgCRUD", {"ProgSID", "CRUDID", "Immediate", "Degree"}},
        {"tmpProgCRUDProgPrep", {"Prog1", "Prog2", "CRUDID"}},
        {"ProgCRUDProg", {"Prog1", "Prog2", "RawSameness", "SamenessCap"}},
    };
    for (auto& [table, columns] : expected) {
        ASSERT_TRUE(db->TableExists(table)) << table;
        auto have = db->ColumnNames(table);
        for (auto& c : columns)
            EXPECT_NE(std::find(have.begin(), have.end(), c), have.end()) << table << "." << c;
        if (table != "Status") {
            EXPECT_EQ(db->Scalar("SELECT count(*) FROM " + table).AsInt(), 0) << table << " comes empty";
        }
    }
    // Only the status row comes with the template; the copy says it is
    // incomplete until a build completes.
    auto rs = db->OpenRecordset("SELECT * FROM Status");
    ASSERT_EQ(rs.RecordCount(), 1u);
    EXPECT_EQ(rs.Text("StatusType"), "ErrorMessage");
    EXPECT_EQ(rs.Text("StatusVal"), workspace::IncompleteLoadMessage());
    auto templ = Database::Open(testsupport::AppDir() / "QuarvelAnalyzer.mdb");
    auto row = templ->OpenRecordset("SELECT * FROM Status");
    ASSERT_EQ(row.RecordCount(), 1u);
    EXPECT_EQ(row.Text("StatusType"), "ErrorMessage");
    EXPECT_EQ(row.Text("StatusVal"), "none");
    // The web service tables are not in the template: the load makes them.
    EXPECT_FALSE(db->TableExists("ucUseCases"));
    EXPECT_EQ(db->Scalar("PRAGMA integrity_check").AsText(), "ok");
}

TEST(WorkspaceDatabase, ReopenKeepsWhatTheLastBuildLeft) {
    testsupport::TempDir dir;
    EXPECT_FALSE(workspace::DatabaseExists(dir / "Shop"));
    {
        auto db = FreshDb(dir);
        db->Execute("INSERT INTO Ents (ID, EntName, Name) VALUES (?, ?, ?)", {"PROGRAM#1", "PROGRAM", "PAY"});
        workspace::WriteLoadMessage(*db, " * Repository was not loaded completely!!!");
    }
    ASSERT_TRUE(workspace::DatabaseExists(dir / "Shop"));
    auto db = workspace::OpenWorkspaceDatabase(dir / "Shop");
    EXPECT_EQ(db->Scalar("SELECT count(*) FROM Ents").AsInt(), 1);
    EXPECT_EQ(workspace::ReadLoadMessage(*db), " * Repository was not loaded completely!!!");
    EXPECT_EQ(FilesIn(dir / "Shop"), (std::set<std::string>{"QuarvelAnalyzer.mdb"}));
}

TEST(WorkspaceDatabase, CopyOverAnOldDatabaseWithStaleJournalsIsClean) {
    testsupport::TempDir dir;
    fs::path folder = dir / "Shop";
    {
        auto old = FreshDb(dir);
        old->Execute("INSERT INTO Ents (ID, Name) VALUES ('MAP#1', 'OLD')");
    }
    std::string journal = JournalOfAnotherDatabase(dir);
    ASSERT_GT(journal.size(), 512u) << "the helper should leave a real journal";
    fs::path target = folder / "QuarvelAnalyzer.mdb";
    WriteText(target.string() + "-journal", journal);
    WriteText(target.string() + "-wal", std::string(4096, 'w'));
    WriteText(target.string() + "-shm", std::string(32768, 's'));

    auto db = workspace::CreateWorkspaceDatabase(testsupport::AppDir(), folder);
    EXPECT_EQ(db->Scalar("PRAGMA integrity_check").AsText(), "ok");
    EXPECT_EQ(db->Scalar("SELECT count(*) FROM Ents").AsInt(), 0);
    EXPECT_FALSE(db->TableExists("Junk"));
    db->Execute("INSERT INTO Ents (ID, Name) VALUES ('MAP#2', 'NEW')");
    db.reset();
    EXPECT_EQ(FilesIn(folder), (std::set<std::string>{"QuarvelAnalyzer.mdb"}));
    auto again = workspace::OpenWorkspaceDatabase(folder);
    EXPECT_EQ(again->Scalar("SELECT Name FROM Ents").AsText(), "NEW");
}

TEST(WorkspaceDatabase, MissingOrForeignTemplateLeavesTheOldDatabase) {
    testsupport::TempDir dir;
    fs::path folder = dir / "Shop";
    {
        auto old = FreshDb(dir);
        old->Execute("INSERT INTO Ents (ID) VALUES ('PROGRAM#9')");
    }
    fs::path app = dir / "app";
    fs::create_directories(app);
    try {
        workspace::CreateWorkspaceDatabase(app, folder);
        FAIL() << "a missing template must raise";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("missing"), std::string::npos) << e.what();
    }
    WriteText(app / "QuarvelAnalyzer.mdb", "not a database at all, only some text");
    EXPECT_THROW(workspace::CreateWorkspaceDatabase(app, folder), DbError);
    {
        auto foreign = Database::Create(app / "QuarvelAnalyzer.mdb.tmp");
        foreign->ExecuteScript("CREATE TABLE Other (x)");
    }
    fs::rename(app / "QuarvelAnalyzer.mdb.tmp", app / "QuarvelAnalyzer.mdb");
    EXPECT_THROW(workspace::CreateWorkspaceDatabase(app, folder), DbError);

    EXPECT_EQ(FilesIn(folder), (std::set<std::string>{"QuarvelAnalyzer.mdb"})) << "no temporary copy stays";
    auto db = workspace::OpenWorkspaceDatabase(folder);
    EXPECT_EQ(db->Scalar("SELECT ID FROM Ents").AsText(), "PROGRAM#9");
}

// A damaged database, and a database or journal that is a link: each is
// said as what it is, and nothing is ever written through a link.
TEST(WorkspaceDatabase, DamagedOrLinkedDatabaseGivesAClearError) {
    testsupport::TempDir dir;
    fs::path folder = dir / "Shop";
    fs::create_directories(folder);
    WriteText(folder / "QuarvelAnalyzer.mdb", "Standard Jet DB, or anything else that is not SQLite");
    try {
        workspace::OpenWorkspaceDatabase(folder);
        FAIL();
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("QuarvelAnalyzer.mdb"), std::string::npos) << e.what();
    }
    // A real database cut short after its first page.
    {
        auto db = FreshDb(dir);
    }
    fs::resize_file(folder / "QuarvelAnalyzer.mdb", 1024);
    EXPECT_THROW(workspace::OpenWorkspaceDatabase(folder), DbError);
    // The refresh path replaces it with a clean copy.
    auto db = FreshDb(dir);
    EXPECT_EQ(db->Scalar("PRAGMA integrity_check").AsText(), "ok");
    db.reset();

    // Why the database does not open, for writing and for viewing.
    const auto refusals = [&] {
        std::vector<std::string> why;
        for (const bool viewOnly : {false, true}) {
            try {
                workspace::OpenWorkspaceDatabase(folder, viewOnly);
                why.push_back("opened");
            } catch (const DbError& e) {
                why.push_back(e.what());
            }
        }
        return why;
    };

    // A link where the journal goes leaves an intact database unopened,
    // says so, and leads nowhere; a build removes the link itself.
    const fs::path file = workspace::DatabasePath(folder), journal = file.string() + "-journal";
    const fs::path victim = dir / "victim.txt";
    WriteText(victim, "not the workspace's");
    fs::create_symlink(victim, journal);
    const std::string journalLink = "'" + journal.string() + "' is a link where the journal of '" + file.string() +
                                    "' should be; a link is not followed there. Remove it and try again.";
    EXPECT_EQ(refusals(), (std::vector<std::string>{journalLink, journalLink}));
    FreshDb(dir)->Execute("INSERT INTO Ents (ID, Name) VALUES ('MAP#1', 'NEW')");
    EXPECT_FALSE(fs::is_symlink(journal));

    // A database that is a link out of the workspace folder is neither read
    // nor written; one that stays inside it works as the file it leads to.
    const fs::path away = dir / "away.mdb";
    fs::rename(file, away);
    fs::create_symlink(away, file);
    for (const std::string& why : refusals())
        EXPECT_EQ(why.rfind("The workspace database " + file.string() + " is a link to " + away.string() +
                                ", outside the workspace folder; such a link is not followed.",
                            0),
                  0u)
            << why;
    fs::remove(file);
    fs::rename(away, folder / "kept.mdb");
    fs::create_symlink("kept.mdb", file);
    workspace::OpenWorkspaceDatabase(folder)->Execute("INSERT INTO Ents (ID, Name) VALUES ('MAP#2', 'KEPT')");
    EXPECT_EQ(Database::Open(folder / "kept.mdb")->Scalar("SELECT count(*) FROM Ents").AsInt(), 2);

    // A rebuild puts a database of its own where a link leading outside was.
    fs::remove(file);
    fs::create_symlink(victim, file);
    FreshDb(dir).reset();
    EXPECT_FALSE(fs::is_symlink(file));
    std::ifstream in(victim, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), "not the workspace's");
}

TEST(WorkspaceDatabase, DeleteForRefresh) {
    testsupport::TempDir dir;
    fs::path folder = dir / "Shop";
    FreshDb(dir).reset();
    WriteText(folder / "QuarvelAnalyzer.mdb-journal", "stale");
    EXPECT_TRUE(workspace::DeleteWorkspaceDatabase(folder));
    EXPECT_TRUE(FilesIn(folder).empty());
    EXPECT_TRUE(workspace::DeleteWorkspaceDatabase(folder)) << "nothing to delete is no failure";
}

TEST(WorkspaceDatabase, TextComparesAndSortsWithoutCaseAndKeepsQuotes) {
    testsupport::TempDir dir;
    auto db = FreshDb(dir);
    auto ins = db->Prepare("INSERT INTO Ents (ID, EntName, Name, BusName) VALUES (?, 'PROGRAM', ?, ?)");
    const std::vector<std::string> names = {"abd", "ABC", "Abe", "O'Brien", "say \"hi\"", "Größe", "日本語"};
    int n = 0;
    for (auto& name : names) ins.Run({"PROGRAM#" + std::to_string(++n), name, name});

    for (auto& name : names) {
        auto rs = db->OpenRecordset("SELECT Name FROM Ents WHERE Name = ?", {name});
        ASSERT_EQ(rs.RecordCount(), 1u) << name;
        EXPECT_EQ(rs.Text("Name"), name);
    }
    EXPECT_EQ(db->Scalar("SELECT Name FROM Ents WHERE Name = 'abc'").AsText(), "ABC");
    EXPECT_EQ(db->Scalar("SELECT count(*) FROM Ents WHERE ID = 'program#2' AND EntName = 'program'").AsInt(), 1);
    auto rs = db->OpenRecordset("SELECT Name FROM Ents WHERE Name LIKE 'ab%' ORDER BY Name");
    std::vector<std::string> order;
    for (; !rs.IsEOF(); rs.MoveNext()) order.push_back(rs.Text("Name"));
    EXPECT_EQ(order, (std::vector<std::string>{"ABC", "abd", "Abe"}));

    // The same in the report tables and the status row.
    db->Execute("INSERT INTO Commarea (ID, Caption, RemedyType, size) VALUES (?, ?, 'C', 100)", {"PROGRAM#4", "It's"});
    EXPECT_EQ(db->Scalar("SELECT Caption FROM Commarea WHERE RemedyType = 'c' AND Id = 'program#4'").AsText(), "It's");
    workspace::WriteLoadMessage(*db, "can't load \"all\"");
    EXPECT_EQ(workspace::ReadLoadMessage(*db), "can't load \"all\"");
    workspace::WriteLoadMessage(*db, "");
    EXPECT_EQ(db->Scalar("SELECT StatusVal FROM Status").AsText(), "none");
    EXPECT_EQ(workspace::ReadLoadMessage(*db), "");
    db->Execute("UPDATE Status SET StatusVal = 'NONE'");
    EXPECT_EQ(workspace::ReadLoadMessage(*db), "");
}

TEST(WorkspaceDatabase, YesNoColumnsHoldMinusOneForTrue) {
    testsupport::TempDir dir;
    auto db = FreshDb(dir);
    db->Execute("INSERT INTO Ents (ID, EntName, Name, Stub) VALUES ('MAP#1', 'MAP', 'B', ?)", {true});
    db->Execute("INSERT INTO Ents (ID, EntName, Name) VALUES ('MAP#2', 'MAP', 'C')");
    db->Execute("INSERT INTO Ents (ID, EntName, Name, Stub) VALUES ('MAP#3', 'MAP', 'A', TRUE)");
    db->Execute("INSERT INTO Ents (ID, EntName, Name, Stub, OnTop) VALUES ('MAP#4', 'MAP', 'D', 0, NULL)");
    db->Execute("INSERT INTO Ents (ID, EntName, Name, Stub) VALUES ('MAP#5', 'MAP', 'E', 1)");

    // True is -1 however it was written; Null is False.
    EXPECT_EQ(db->Scalar("SELECT count(*) FROM Ents WHERE Stub = -1").AsInt(), 3);
    EXPECT_EQ(db->Scalar("SELECT OnTop FROM Ents WHERE ID = 'MAP#4'").AsInt(), 0);
    EXPECT_EQ(db->Scalar("SELECT count(*) FROM Ents WHERE Stub = 0").AsInt(), 2);

    // Non-stubs first, then by name.
    auto rs = db->OpenRecordset("SELECT Name, Stub FROM Ents WHERE EntName = 'MAP' ORDER BY Stub DESC, Name");
    std::string order;
    for (; !rs.IsEOF(); rs.MoveNext()) order += rs.Text("Name") + std::to_string(rs.Int("Stub")) + " ";
    EXPECT_EQ(order, "C0 D0 A-1 B-1 E-1 ");

    db->Execute("UPDATE Ents SET AccessScreen = TRUE, Called = 7, Xctls = ? WHERE ID = 'MAP#2'", {true});
    auto row = db->OpenRecordset("SELECT AccessScreen, Called, Xctls, Xctled FROM Ents WHERE ID = 'MAP#2'");
    EXPECT_EQ(row.Int("AccessScreen"), -1);
    EXPECT_EQ(row.Int("Called"), -1);
    EXPECT_EQ(row.Int("Xctls"), -1);
    EXPECT_EQ(row.Int("Xctled"), 0);
    db->Execute("UPDATE Ents SET AccessScreen = NULL WHERE ID = 'MAP#2'");
    EXPECT_EQ(db->Scalar("SELECT AccessScreen FROM Ents WHERE ID = 'MAP#2'").AsInt(), 0);
    EXPECT_EQ(db->Scalar("SELECT count(*) FROM Ents WHERE SOAType = 0").AsInt(), 5);   // SOAType defaults to 0
}

TEST(WorkspaceDatabase, ReportTablesBehaveAsTheAnalysesNeed) {
    testsupport::TempDir dir;
    auto db = FreshDb(dir);
    // The similarity rating divides as real numbers.
    db->ExecuteScript(
        "INSERT INTO tmpProgCRUDProgPrep (Prog1, Prog2, CRUDID) VALUES (1, 2, 5), (1, 2, 6), (1, 3, 5), (2, 3, 5);"
        "INSERT INTO ProgCRUDProg (Prog1, Prog2, RawSameness) "
        "  SELECT Prog1, Prog2, COUNT(CRUDID) FROM tmpProgCRUDProgPrep GROUP BY Prog1, Prog2;"
        "UPDATE ProgCRUDProg SET SamenessCap = 4 WHERE Prog1 = 1 AND Prog2 = 2;"
        "UPDATE ProgCRUDProg SET SamenessCap = 10 WHERE Prog1 = 1 AND Prog2 = 3;"
        "UPDATE ProgCRUDProg SET SamenessCap = 9 WHERE Prog1 = 2 AND Prog2 = 3;");
    auto rs = db->OpenRecordset(
        "SELECT Prog1, Prog2, RawSameness / SamenessCap AS SamenessLevel, SamenessCap AS SameCap FROM ProgCRUDProg "
        "WHERE RawSameness / SamenessCap > 0.1 ORDER BY Prog1, Prog2");
    ASSERT_EQ(rs.RecordCount(), 2u);
    EXPECT_DOUBLE_EQ(rs.Field("SamenessLevel").AsReal(), 0.5);
    EXPECT_EQ(rs.Text("SameCap"), "4");
    rs.MoveNext();
    EXPECT_EQ(rs.Int("Prog1"), 2);   // 1/10 is not above 0.1, 1/9 is
    EXPECT_EQ(db->Scalar("SELECT RawSameness FROM ProgCRUDProg WHERE Prog2 = 3 AND Prog1 = 1").AsInt(), 1);

    // The CRUD numbers are assigned by the database; the access letter's code by Asc.
    db->Execute("INSERT INTO Rels (Id1, Id2, RelName, RelNameFull) VALUES ('PROGRAM#1', 'TABLE#1', 'access', 'Reads')");
    db->Execute("INSERT INTO CRUDs (PortID, CRUDType) SELECT DISTINCT Id2, Asc(substr(RelNameFull, 1, 1)) FROM Rels "
                "WHERE RelName = 'access'");
    EXPECT_EQ(db->Scalar("SELECT CRUDType FROM CRUDs WHERE SerialID = 1").AsInt(), 82);

    // A validation row whose key is present already is refused.
    db->Execute("INSERT INTO Ports (ProgID, PortVNID, PortName) VALUES ('PROGRAM#1', 'V1', 'P')");
    EXPECT_THROW(db->Execute("INSERT INTO Ports (ProgID, PortVNID, PortName) VALUES ('program#1', 'v1', 'Q')"), DbError);
    db->Execute("INSERT INTO Subdecls (DeclVNID, SubdeclVNID) VALUES ('D', 'S')");
    EXPECT_THROW(db->Execute("INSERT INTO Subdecls (DeclVNID, SubdeclVNID) VALUES ('D', 'S')"), DbError);
    db->Execute("INSERT INTO Conds (CondVNID, SubdeclVNID) VALUES ('C', 'S')");
    db->Execute("INSERT INTO Conds (CondVNID, SubdeclVNID) VALUES ('C', 'S2')");
    EXPECT_THROW(db->Execute("INSERT INTO Conds (CondVNID, SubdeclVNID) VALUES ('C', 'S')"), DbError);

    // The grid width query of the screen page.
    db->Execute("INSERT INTO Fields (MapName, FldName, FldRow, row, col, Length, InitialValue, Attrib) "
                "VALUES ('M', '', 0, 1, 2, 4, 'MENU', 3), ('M', 'OPT', 1, 3, 5, 3, '', 0)");
    EXPECT_EQ(db->Scalar("SELECT Max(Col+Length) AS Maximum FROM Fields").AsInt(), 8);
}
