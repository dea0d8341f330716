#include "views/ScreenFlowTable.h"

#include "platform/db/Database.h"

namespace Globals {

namespace {

using platform::db::Database;
using platform::db::Params;

// Every join over a conversation keeps to screen maps: "converse" also
// names a program's use of other things, which would otherwise count as
// screens or be drawn as such.
constexpr char kConverse[] = "converse";
constexpr char kMap[] = "MAP";
constexpr char kXctls[] = "Xctls";

const Params& ScreenParams() {
    static const Params params{kConverse, kMap};
    return params;
}

void Rebuild(Database& db) {
    db.Execute("DROP TABLE IF EXISTS sfScreenRels");
    db.Execute(
        "CREATE TABLE sfScreenRels (sfRelID INTEGER PRIMARY KEY AUTOINCREMENT, LScrID INTEGER, RScrID INTEGER, "
        "LProgID INTEGER, RProgID INTEGER, TwoWay INTEGER NOT NULL DEFAULT 0, Directed INTEGER NOT NULL DEFAULT 0)");

    // The distinct (program, screen) pairs and each program's number of screens.
    db.Execute("DROP TABLE IF EXISTS tmpScreenCount0");
    db.Execute("CREATE TABLE tmpScreenCount0 (ELID INTEGER, ERID INTEGER)");
    db.Execute(
        "INSERT INTO tmpScreenCount0 (ELID, ERID) SELECT DISTINCT EL.SerialID, ER.SerialID "
        "FROM Rels R INNER JOIN Ents EL ON R.Id1 = EL.Id INNER JOIN Ents ER ON R.Id2 = ER.Id "
        "WHERE R.RelName = ?1 AND R.EntName2 = ?2",
        ScreenParams());
    db.Execute("DROP TABLE IF EXISTS tmpScreenCount");
    db.Execute("CREATE TABLE tmpScreenCount (ELSID INTEGER PRIMARY KEY, NumScreens INTEGER)");
    db.Execute("INSERT INTO tmpScreenCount (ELSID, NumScreens) SELECT ELID, COUNT(*) FROM tmpScreenCount0 GROUP BY ELID");

    // One row per pair of programs joined by a transfer. A pair with
    // transfers both ways keeps the row with the lower SerialID on the left
    // and is two-way; a transfer one way only keeps its caller on the left,
    // whichever SerialID is lower. Transfers of a program to itself lead
    // nowhere new and are left out.
    db.Execute("DROP TABLE IF EXISTS tmpXCtlSummary");
    db.Execute(
        "CREATE TABLE tmpXCtlSummary (ELID TEXT COLLATE NOCASE, ELSID INTEGER, ERID TEXT COLLATE NOCASE, "
        "ERSID INTEGER, TwoWay INTEGER NOT NULL DEFAULT 0)");
    db.Execute("CREATE INDEX tmpXCtlSummaryPair ON tmpXCtlSummary (ELSID, ERSID)");
    db.Execute(
        "INSERT INTO tmpXCtlSummary (ELID, ELSID, ERID, ERSID) SELECT DISTINCT EL.ID, EL.SerialID, ER.ID, ER.SerialID "
        "FROM Rels R INNER JOIN Ents EL ON R.Id1 = EL.Id INNER JOIN Ents ER ON R.Id2 = ER.Id "
        "WHERE R.RelName = ?1 AND EL.SerialID <> ER.SerialID",
        {kXctls});
    db.Execute(
        "UPDATE tmpXCtlSummary SET TwoWay = -1 WHERE EXISTS (SELECT 1 FROM tmpXCtlSummary B "
        "WHERE B.ELSID = tmpXCtlSummary.ERSID AND B.ERSID = tmpXCtlSummary.ELSID)");
    db.Execute("DELETE FROM tmpXCtlSummary WHERE TwoWay <> 0 AND ELSID > ERSID");

    // Each transfer with the node that stands for its left program: the one
    // screen of a program with one screen, the program itself otherwise.
    db.Execute("DROP TABLE IF EXISTS tmpLS");
    db.Execute(
        "CREATE TABLE tmpLS (LSID TEXT COLLATE NOCASE, LSSID INTEGER, ELID TEXT COLLATE NOCASE, ELSID INTEGER, "
        "ERID TEXT COLLATE NOCASE, ERSID INTEGER, TwoWay INTEGER)");
    db.Execute(
        "INSERT INTO tmpLS (LSID, LSSID, ELID, ELSID, ERID, ERSID, TwoWay) "
        "SELECT DISTINCT E.ID, E.SerialID, XS.ELID, XS.ELSID, XS.ERID, XS.ERSID, XS.TwoWay "
        "FROM tmpXCtlSummary XS INNER JOIN tmpScreenCount SC ON SC.ELSID = XS.ELSID "
        "INNER JOIN Rels R ON XS.ELID = R.Id1 INNER JOIN Ents E ON R.Id2 = E.ID "
        "WHERE R.RelName = ?1 AND R.EntName2 = ?2 AND SC.NumScreens = 1",
        ScreenParams());
    db.Execute(
        "INSERT INTO tmpLS (LSID, LSSID, ELID, ELSID, ERID, ERSID, TwoWay) "
        "SELECT XS.ELID, XS.ELSID, XS.ELID, XS.ELSID, XS.ERID, XS.ERSID, XS.TwoWay "
        "FROM tmpXCtlSummary XS INNER JOIN tmpScreenCount SC ON SC.ELSID = XS.ELSID WHERE SC.NumScreens > 1");

    // The links: to the one screen of a right program with one screen, to
    // the own node of a right program with several, and from the own node
    // of every program with several screens to each of them, both ways.
    db.Execute(
        "INSERT INTO sfScreenRels (LScrID, RScrID, LProgID, RProgID, TwoWay, Directed) "
        "SELECT DISTINCT XS.LSSID, ERS.SerialID, XS.ELSID, XS.ERSID, XS.TwoWay, 0 "
        "FROM tmpLS XS INNER JOIN tmpScreenCount SC ON SC.ELSID = XS.ERSID "
        "INNER JOIN Rels RRS ON XS.ERID = RRS.Id1 INNER JOIN Ents ERS ON RRS.Id2 = ERS.ID "
        "WHERE RRS.RelName = ?1 AND RRS.EntName2 = ?2 AND SC.NumScreens = 1",
        ScreenParams());
    db.Execute(
        "INSERT INTO sfScreenRels (LScrID, RScrID, LProgID, RProgID, TwoWay, Directed) "
        "SELECT DISTINCT XS.LSSID, XS.ERSID, XS.ELSID, XS.ERSID, XS.TwoWay, 0 "
        "FROM tmpLS XS INNER JOIN tmpScreenCount SC ON SC.ELSID = XS.ERSID WHERE SC.NumScreens > 1");
    db.Execute(
        "INSERT INTO sfScreenRels (LScrID, RScrID, LProgID, RProgID, TwoWay, Directed) "
        "SELECT DISTINCT S0.ELID, S0.ERID, S0.ELID, S0.ELID, -1, 0 "
        "FROM tmpScreenCount0 S0 INNER JOIN tmpScreenCount SC ON SC.ELSID = S0.ELID WHERE SC.NumScreens > 1");

    db.Execute("DROP TABLE tmpXCtlSummary");
    db.Execute("DROP TABLE tmpLS");
}

}  // namespace

void GenerateScreenFlowTable(platform::db::Database& db) {
    platform::db::Transaction tx(db);
    Rebuild(db);
    tx.Commit();
}

}  // namespace Globals
