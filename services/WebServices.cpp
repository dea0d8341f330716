#include "services/WebServices.h"

#include "common/TextUtility.h"
#include "services/ServiceTables.h"
#include "services/StoreIds.h"
#include "services/WebOperations.h"

namespace Globals {

using platform::db::Database;

namespace {

std::string_view DropPrefix(std::string_view text, std::string_view prefix) {
    if (text.substr(0, prefix.size()) == prefix) text.remove_prefix(prefix.size());
    return text;
}

}  // namespace

std::string AddWebService(std::string_view name, Database& db) {
    CreateWebServiceTables(db, false);
    const std::string converted = TextUtility::ConvertText(name);
    platform::db::Transaction txn(db);
    // Names that differ only in letter case are the same name.
    if (!db.OpenRecordset("SELECT WSID FROM wsWebServices WHERE Name = ?1 COLLATE NOCASE", {converted}).IsEOF())
        return {};
    db.Execute("INSERT INTO wsWebServices (Name) VALUES (?1)", {converted});
    const std::string wsid = std::to_string(db.LastInsertId());
    txn.Commit();
    return wsid;
}

void AddUseCaseToWebService(std::string_view wsid, std::string_view ucKey, Database& db) {
    CreateWebServiceTables(db, false);
    // The prefix tests are case-sensitive: "Key" is the operations tree's
    // own spelling.
    const auto ws = services::ParseId(wsid);
    const auto uc = services::ParseId(DropPrefix(DropPrefix(ucKey, "p"), "Key"));
    if (!ws || !uc) return;
    platform::db::Transaction txn(db);
    if (db.OpenRecordset("SELECT 1 FROM wsWS_UC WHERE WSID = ?1 AND UCID = ?2", {*ws, *uc}).IsEOF())
        db.Execute("INSERT INTO wsWS_UC (WSID, UCID) VALUES (?1, ?2)", {*ws, *uc});
    txn.Commit();
}

void LoadWebServicesTree(common::Tree& tree, Database& db) {
    CreateWebServiceTables(db, false);
    tree.Clear();
    auto services_ = db.OpenRecordset("SELECT WSID, Name FROM wsWebServices ORDER BY rowid");
    // Memberships whose operation is gone are not shown (inner join).
    auto members = db.Prepare(
        "SELECT UC.UCID AS UCID, UC.Name AS Name FROM wsWS_UC WU INNER JOIN ucUseCases UC ON WU.UCID = UC.UCID "
        "WHERE WU.WSID = ?1 ORDER BY WU.rowid");
    for (; !services_.IsEOF(); services_.MoveNext()) {
        const std::string wsid = services_.Text("WSID");
        tree.Add("", services::kNodeKeyPrefix + wsid, services_.Text("Name"), services::kServiceImage, wsid);
        members.BindAll({services_.Field("WSID")});
        while (members.Step()) {
            const std::string key = wsid + "n" + members.Text(0);
            // A pair stored twice (only possible by editing the table) is
            // shown once.
            if (tree.Find(key)) continue;
            tree.Add(services::kNodeKeyPrefix + wsid, key, members.Text(1), services::kOperationImage, key);
        }
        members.Reset();
        tree.Find(services::kNodeKeyPrefix + wsid)->expanded = true;
    }
}

void RemoveUseCaseFromWebService(std::string_view wsid, std::string_view ucid, Database& db) {
    const auto ws = services::ParseId(wsid);
    const auto uc = services::ParseId(DropPrefix(ucid, "p"));
    if (!ws || !uc) return;
    db.Execute("DELETE FROM wsWS_UC WHERE WSID = ?1 AND UCID = ?2", {*ws, *uc});
}

void DeleteWebService(std::string_view wsid, Database& db) {
    const auto ws = services::ParseId(wsid);
    if (!ws) return;
    platform::db::Transaction txn(db);
    db.Execute("DELETE FROM wsWebServices WHERE WSID = ?1", {*ws});
    DeleteWebServiceLinks(wsid, db);
    txn.Commit();
}

void DeleteWebServiceLinks(std::string_view wsid, Database& db) {
    const auto ws = services::ParseId(wsid);
    if (!ws) return;
    db.Execute("DELETE FROM wsWS_UC WHERE WSID = ?1", {*ws});
}

void DeleteUseCaseLinks(std::string_view ucid, Database& db) {
    const auto uc = services::ParseId(DropPrefix(ucid, "p"));
    if (!uc) return;
    db.Execute("DELETE FROM wsWS_UC WHERE UCID = ?1", {*uc});
}

}  // namespace Globals
