#include <gtest/gtest.h>

#include <algorithm>

#include "tests/workspace/ImportTestSupport.h"
#include "workspace/RepositoryImport.h"

using importtest::SmallRepo;
using Rows = std::vector<std::string>;

namespace {
// The listing is sorted; so are the expectations.
Rows Sorted(Rows rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}
}  // namespace

namespace {

// Imports the repository into a fresh database and lists the Rels rows.
class Walk : public ::testing::Test {
protected:
    SmallRepo repo;
    testsupport::TempDir dbDir;
    std::unique_ptr<platform::db::Database> db = importtest::FreshWorkspaceDb(dbDir);

    Rows Import() {
        common::NullProgress progress;
        const auto result = workspace::ImportRepositoryEntities(*db, repo.Session(), progress);
        EXPECT_TRUE(result.done) << result.error;
        return importtest::RelsListing(*db);
    }
    std::string Row(int64_t from, const std::string& to, const std::string& toType, const std::string& rel,
                    const std::string& full) {
        return repo.Key(from) + " | " + to + " | PROGRAM | " + toType + " | " + rel + " | " + full;
    }
    std::string Row(int64_t from, int64_t to, const std::string& toType, const std::string& rel,
                    const std::string& full) {
        return Row(from, repo.Key(to), toType, rel, full);
    }
    std::string EntsId(const std::string& name, const std::string& entName) {
        return db->Scalar("SELECT ID FROM Ents WHERE Name = ? AND EntName = ?", {name, entName}).AsText();
    }
};

}  // namespace

TEST_F(Walk, DirectTargetsOfTheFiveTypesOnlyAndHasNeverInTheFirstPass) {
    const auto lonely = repo.Add("PROGRAM", "LONELY");
    const auto p = repo.Add("PROGRAM", "P");
    const auto table = repo.Add("TABLE", "ORDERS");
    const auto adabas = repo.Add("ADABASFILE", "CUST");
    const auto ds = repo.Add("DATASTORE", "VSAM1");
    const auto map = repo.Add("MAP", "M1", {{"Source", "m1.bms"}});
    const auto seg = repo.Add("HISEGMENT", "SEG");
    const auto net = repo.Add("NETRECORD", "NR");
    const auto conn = repo.Add("CONNECTOR", "C");
    repo.Rel("ReadsTable", p, table);
    repo.Rel("UpdatesAdabasFile", p, adabas);
    repo.Rel("Writes", p, ds);
    repo.Rel("Uses", p, map);
    repo.Rel("Reads", p, seg);
    repo.Rel("Reads", p, net);     // a store type the walk does not name
    repo.Rel("Reads", p, conn);
    repo.Rel("Has", p, table);     // never followed in the first pass
    repo.Rel("HAS", p, seg, "ProgramOwnsSegment");
    const Rows rels = Import();
    EXPECT_EQ(rels, Sorted(Rows{Row(p, adabas, "ADABASFILE", "access", "UpdatesAdabasFile"),
                          Row(p, ds, "DATASTORE", "access", "Writes"), Row(p, seg, "HISEGMENT", "access", "Reads"),
                          Row(p, map, "MAP", "converse", "Uses"), Row(p, table, "TABLE", "access", "ReadsTable")}));
    for (const auto& r : rels) EXPECT_EQ(r.find(repo.Key(lonely)), std::string::npos);
}

TEST_F(Walk, EntriesGoToTheirOwnerOrToOneStubPerName) {
    const auto p = repo.Add("PROGRAM", "P");
    const auto p2 = repo.Add("PROGRAM", "P2");
    const auto q = repo.Add("PROGRAM", "Q");
    const auto lost = repo.Add("PROGRAM", "LOSTPROG");   // a program of the ownerless entry's name
    const auto owned = repo.Add("PROGRAMENTRY", "QENTRY");
    const auto orphan1 = repo.Add("PROGRAMENTRY", "ORPHAN");
    const auto orphan2 = repo.Add("PROGRAMENTRY", "orphan");
    const auto lostEntry = repo.Add("PROGRAMENTRY", "LOSTPROG");
    repo.Rel("Has", q, owned);
    repo.Rel("Calls", p, owned);
    repo.Rel("Calls", p, owned);   // the same finding twice: one row
    repo.Rel("Links", p, orphan1);
    repo.Rel("Callnats", p2, orphan2);
    repo.Rel("Calls", p2, lostEntry);
    const Rows rels = Import();

    const std::string stub = EntsId("ORPHAN", "PROGRAM");
    ASSERT_EQ(stub.rfind("STUBPROG#", 0), 0u) << stub;
    EXPECT_EQ(db->Scalar("SELECT COUNT(*) FROM Ents WHERE ID LIKE 'STUBPROG#%'").AsInt(), 2);
    // The stub for LOSTPROG is a row of its own, not the program's serial.
    const auto lostStub = db->OpenRecordset("SELECT ID, Stub FROM Ents WHERE Name = ? AND Stub = -1", {"LOSTPROG"});
    ASSERT_EQ(lostStub.RecordCount(), 1u);
    const std::string lostId = lostStub.Text("ID");
    EXPECT_EQ(rels, Sorted(Rows{Row(p, q, "PROGRAM", "Calls", "Calls"), Row(p, stub, "PROGRAM", "Calls", "Links"),
                          Row(p2, lostId, "PROGRAM", "Calls", "Calls"), Row(p2, stub, "PROGRAM", "Calls", "Callnats")}));
    // Every stub Id2 names an existing row.
    EXPECT_EQ(db->Scalar("SELECT COUNT(*) FROM Rels WHERE Id2 NOT IN (SELECT ID FROM Ents)").AsInt(), 0);
    EXPECT_NE(lostId, repo.Key(lost));
}

TEST_F(Walk, TransactionUsesItsFirstRelationOnly) {
    const auto p = repo.Add("PROGRAM", "P");
    const auto q = repo.Add("PROGRAM", "Q");
    const auto r = repo.Add("PROGRAM", "R");
    const auto qe = repo.Add("PROGRAMENTRY", "QE");
    const auto re = repo.Add("PROGRAMENTRY", "RE");
    const auto t1 = repo.Add("TRANSACTION", "T1");
    const auto t2 = repo.Add("TRANSACTION", "T2");   // leads nowhere
    const auto t3 = repo.Add("TRANSACTION", "T3");   // leads straight to a program
    repo.Rel("Has", q, qe);
    repo.Rel("Has", r, re);
    repo.Rel("Runs", t1, qe);
    repo.Rel("Runs", t1, re);
    repo.Rel("Runs", t3, r);
    repo.Rel("Starts", p, t1);
    repo.Rel("Starts", p, t2);
    repo.Rel("Fetchs", p, t3);
    EXPECT_EQ(Import(), Sorted(Rows{Row(p, q, "PROGRAM", "Xctls", "Starts"), Row(p, r, "PROGRAM", "Xctls", "Fetchs")}));
}

TEST_F(Walk, DecisionFollowsEveryTargetAlsoBehindADataPort) {
    const auto p = repo.Add("PROGRAM", "P");
    const auto q = repo.Add("PROGRAM", "Q");
    const auto r = repo.Add("PROGRAM", "R");
    const auto qe = repo.Add("PROGRAMENTRY", "QE");
    const auto re = repo.Add("PROGRAMENTRY", "RE");
    const auto t = repo.Add("TRANSACTION", "TQ");
    const auto d = repo.Add("DECISION", "D");
    const auto empty = repo.Add("DECISION", "EMPTY");
    const auto inner = repo.Add("DECISION", "INNER");
    const auto table = repo.Add("TABLE", "ORDERS");
    const auto port = repo.Add("DATAPORT", "PORTX");
    const auto map = repo.Add("MAP", "SCR", {{"Source", "scr.bms"}});
    const auto msg = repo.Add("SCRMSG", "SCR-OUT");
    repo.Rel("Has", q, qe);
    repo.Rel("Has", r, re);
    repo.Rel("Runs", t, qe);
    repo.Rel("HasMessage", map, msg);
    repo.Rel("LeadsTo", d, table);
    repo.Rel("LeadsTo", d, port);    // a port in the middle
    repo.Rel("LeadsTo", d, msg);
    repo.Rel("LeadsTo", d, t);
    repo.Rel("LeadsTo", d, re);
    repo.Rel("LeadsTo", d, inner);   // any other type is recorded as it is
    repo.Rel("CallsDecision", p, d);
    repo.Rel("CallsDecision", p, empty);
    const Rows rels = Import();
    const std::string dummy = EntsId("PORTX", "store");
    ASSERT_EQ(dummy.rfind("DUMMYSTORE#", 0), 0u);
    EXPECT_EQ(rels, Sorted(Rows{Row(p, dummy, "DATASTORE", "Calls", "CallsDecision"),
                          Row(p, inner, "DECISION", "Calls", "CallsDecision"),
                          Row(p, map, "MAP", "converse", "Sends"),
                          Row(p, q, "PROGRAM", "Calls", "CallsDecision"),
                          Row(p, r, "PROGRAM", "Calls", "CallsDecision"),
                          Row(p, table, "TABLE", "Calls", "CallsDecision")}));
}

TEST_F(Walk, DataPortsReachStoresBehindConnectorsElseOneDummyPerName) {
    const auto p = repo.Add("PROGRAM", "P");
    const auto p2 = repo.Add("PROGRAM", "CUSTFILE");   // a program of the ports' name
    const auto scr = repo.Add("MAP", "SCRPORT");          // and a screen of another port's name
    const auto withStore = repo.Add("DATAPORT", "ORDPORT");
    const auto conn = repo.Add("CONNECTOR", "C1");
    const auto idle = repo.Add("CONNECTOR", "C2");      // connector without targets
    const auto ds = repo.Add("DATASTORE", "ORDFILE");
    const auto table = repo.Add("TABLE", "NOT-A-DATASTORE");
    const auto bare1 = repo.Add("DATAPORT", "CUSTFILE");
    const auto bare2 = repo.Add("DATAPORT", "custfile");
    const auto bare3 = repo.Add("DATAPORT", "SCRPORT");
    repo.Rel("Connects", conn, withStore);
    repo.Rel("Reaches", conn, ds);
    repo.Rel("Reaches", conn, table);
    repo.Rel("Connects", idle, bare1);
    repo.Rel("ReadsDataPort", p, withStore);
    repo.Rel("ReadsDataPort", p, bare1);
    repo.Rel("ReadsDataPort", p, bare1);    // visited twice: two rows
    repo.Rel("WritesDataPort", p2, bare2);
    repo.Rel("ReadsDataPort", p2, bare3);
    const Rows rels = Import();

    const auto dummies = db->OpenRecordset(
        "SELECT ID, Name, EntName, EntNameFull FROM Ents WHERE ID LIKE 'DUMMYSTORE#%' ORDER BY SerialID");
    ASSERT_EQ(dummies.RecordCount(), 2u);   // CUSTFILE (both cases) and SCRPORT
    const std::string custfile = EntsId("CUSTFILE", "store");
    const std::string scrport = EntsId("SCRPORT", "store");
    EXPECT_EQ(rels, Sorted(Rows{Row(p, custfile, "DATASTORE", "access", "ReadsDataPort"),
                          Row(p, custfile, "DATASTORE", "access", "ReadsDataPort"),
                          Row(p, ds, "DATASTORE", "access", "ReadsDataPort"),
                          Row(p2, custfile, "DATASTORE", "access", "WritesDataPort"),
                          Row(p2, scrport, "DATASTORE", "access", "ReadsDataPort")}));
    EXPECT_NE(scrport, repo.Key(scr));
    EXPECT_EQ(db->Scalar("SELECT COUNT(*) FROM Rels WHERE Id2 NOT IN (SELECT ID FROM Ents)").AsInt(), 0);
}

TEST_F(Walk, ScreenMessagesGiveSendsXctlsAndReceives) {
    // P sends message S1 of screen M; M's other message S2 starts transaction
    // T, which runs Q: P sends M and hands control to Q. P's own entry E0 is
    // run by T0, started by message S3 of screen N and, through decision D4,
    // by message S4 of screen K: P receives from N and K.
    const auto p = repo.Add("PROGRAM", "P");
    const auto q = repo.Add("PROGRAM", "Q");
    const auto qe = repo.Add("PROGRAMENTRY", "QE");
    const auto e0 = repo.Add("PROGRAMENTRY", "PE");
    const auto m = repo.Add("MAP", "M", {{"Source", "m.bms"}});
    const auto n = repo.Add("MAP", "N", {{"Source", "n.bms"}});
    const auto k = repo.Add("MAP", "K");
    const auto s1 = repo.Add("SCRMSG", "S1");
    const auto s2 = repo.Add("SCRMSG", "S2");
    const auto s3 = repo.Add("SCRMSG", "S3");
    const auto s4 = repo.Add("SCRMSG", "S4");
    const auto d4 = repo.Add("DECISION", "D4");
    const auto t = repo.Add("TRANSACTION", "T");
    const auto t0 = repo.Add("TRANSACTION", "T0");
    repo.Rel("Has", q, qe);
    repo.Rel("Has", p, e0);
    repo.Rel("Sends", p, s1);
    repo.Rel("HasMessage", m, s1);
    repo.Rel("HasMessage", m, s2);
    repo.Rel("Starts", s2, t);
    repo.Rel("Runs", t, qe);
    repo.Rel("Runs", t0, e0);
    repo.Rel("HasMessage", n, s3);
    repo.Rel("Starts", s3, t0);
    repo.Rel("HasMessage", k, s4);
    repo.Rel("LeadsTo", s4, d4);
    repo.Rel("Starts", d4, t0);
    EXPECT_EQ(Import(), Sorted(Rows{Row(p, k, "MAP", "converse", "Receives"), Row(p, m, "MAP", "converse", "Sends"),
                              Row(p, n, "MAP", "converse", "Receives"), Row(p, q, "PROGRAM", "Xctls", "Xctls"),
                                     // Q's own entry is run by T, which M's message S2 starts.
                                     Row(q, m, "MAP", "converse", "Receives")}));
}
