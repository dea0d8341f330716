#include "views/UseCaseTable.h"

#include "common/Prompt.h"
#include "common/SqlText.h"
#include "platform/db/Database.h"
#include "services/StoreIds.h"

namespace Globals {

std::string g_UseCaseTable;

namespace {

using platform::db::Database;

constexpr char kXctls[] = "Xctls";
constexpr char kConverse[] = "converse";
// "converse" also names a program's other uses; the wizard walks screens.
constexpr char kMap[] = "MAP";

void Rebuild(Database& db, const std::string& table) {
    const std::string t = Globals::SqlQuoteIdentifier(table);
    const std::string tmp1 = Globals::SqlQuoteIdentifier(table + "tmp1");
    const std::string tmp2 = Globals::SqlQuoteIdentifier(table + "tmp2");
    const std::string index = Globals::SqlQuoteIdentifier(table + "LScr");

    db.Execute("DROP TABLE IF EXISTS " + t);
    db.Execute("CREATE TABLE " + t +
               " (sfRelID INTEGER PRIMARY KEY AUTOINCREMENT, LScrID INTEGER, RScrID INTEGER, LProgID INTEGER, "
               "RProgID INTEGER)");
    // Every node expansion looks its screen up on the left.
    db.Execute("CREATE INDEX " + index + " ON " + t + " (LScrID)");

    // Every transfer between two programs, whichever has the lower SerialID.
    db.Execute("DROP TABLE IF EXISTS " + tmp1);
    db.Execute("CREATE TABLE " + tmp1 +
               " (ELID TEXT COLLATE NOCASE, ELSID INTEGER, ERID TEXT COLLATE NOCASE, ERSID INTEGER)");
    db.Execute("INSERT INTO " + tmp1 +
                   " (ELID, ELSID, ERID, ERSID) SELECT EL.ID, EL.SerialID, ER.ID, ER.SerialID "
                   "FROM Rels R INNER JOIN Ents EL ON R.Id1 = EL.Id INNER JOIN Ents ER ON R.Id2 = ER.Id "
                   "WHERE R.RelName = ?1",
               {kXctls});

    // Each transfer with every screen of its left program.
    db.Execute("DROP TABLE IF EXISTS " + tmp2);
    db.Execute("CREATE TABLE " + tmp2 +
               " (LSID TEXT COLLATE NOCASE, LSSID INTEGER, ELID TEXT COLLATE NOCASE, ELSID INTEGER, "
               "ERID TEXT COLLATE NOCASE, ERSID INTEGER)");
    db.Execute("INSERT INTO " + tmp2 +
                   " (LSID, LSSID, ELID, ELSID, ERID, ERSID) "
                   "SELECT E.ID, E.SerialID, XS.ELID, XS.ELSID, XS.ERID, XS.ERSID "
                   "FROM " +
                   tmp1 +
                   " XS INNER JOIN Rels R ON XS.ELID = R.Id1 INNER JOIN Ents E ON R.Id2 = E.ID "
                   "WHERE R.RelName = ?1 AND R.EntName2 = ?2",
               {kConverse, kMap});

    // ... and every screen of its right program.
    db.Execute("INSERT INTO " + t +
                   " (LScrID, RScrID, LProgID, RProgID) SELECT DISTINCT XS.LSSID, ERS.SerialID, XS.ELSID, XS.ERSID "
                   "FROM " +
                   tmp2 +
                   " XS INNER JOIN Rels RRS ON XS.ERID = RRS.Id1 "
                   "INNER JOIN Ents ERS ON RRS.Id2 = ERS.ID WHERE RRS.RelName = ?1 AND RRS.EntName2 = ?2",
               {kConverse, kMap});

    db.Execute("DROP TABLE " + tmp1);
    db.Execute("DROP TABLE " + tmp2);
}

}  // namespace

bool BuildUseCaseScreenTable(Database& db, const std::string& table, common::IPrompt& prompt) {
    if (db.TableExists(table) && prompt.Ask("Generate new Screen Flow plot?", "Generate Screen Flow",
                                            common::Buttons::YesNo, common::Icon::None) != common::Answer::Yes)
        return false;
    platform::db::Transaction tx(db);
    Rebuild(db, table);
    tx.Commit();
    return true;
}

}  // namespace Globals

namespace views {

std::vector<Successor> ReadSuccessors(platform::db::Database& db, const std::string& table,
                                      const std::string& screenSerialId) {
    std::vector<Successor> out;
    const auto serial = services::ParseId(screenSerialId);
    if (!serial) return out;
    auto rs = db.OpenRecordset("SELECT SR.RScrID, E.BusName FROM " + Globals::SqlQuoteIdentifier(table) +
                                   " SR INNER JOIN Ents E ON SR.RScrID = E.SerialID WHERE SR.LScrID = ?1 "
                                   "GROUP BY SR.RScrID, E.BusName ORDER BY MIN(SR.sfRelID)",
                               {*serial});
    for (; !rs.IsEOF(); rs.MoveNext()) out.push_back({rs.Field(size_t{0}).AsInt(), rs.Field(1).AsText()});
    return out;
}

}  // namespace views
