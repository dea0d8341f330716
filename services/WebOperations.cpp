#include "services/WebOperations.h"

#include <string>
#include <vector>

#include "services/StoreIds.h"
#include "services/WebServices.h"

namespace Globals {

using platform::db::Database;

void SyncProcessUseCases(Database& db) {
    platform::db::Transaction txn(db);
    auto processes = db.OpenRecordset("SELECT Name, ProcID FROM pcaProcesses");
    auto probe = db.Prepare(
        "SELECT 1 FROM ucUseCases WHERE (Name = ?1 COLLATE NOCASE) AND (ForeignID = ?2) AND (Nature = 2)");
    auto insert = db.Prepare("INSERT INTO ucUseCases (Name, ForeignID, Nature) VALUES (?1, ?2, 2)");
    for (; !processes.IsEOF(); processes.MoveNext()) {
        const platform::db::Params params{processes.Field("Name"), processes.Field("ProcID")};
        probe.Reset().BindAll(params);
        const bool present = probe.Step();
        probe.Reset();
        if (!present) insert.Run(params);
    }
    db.Execute("DELETE FROM ucUseCases WHERE Nature = 2 AND NOT ForeignID IN (SELECT ProcID FROM pcaProcesses)");
    txn.Commit();
}

void LoadWebOperationsTree(common::Tree& tree, Database& db) {
    SyncProcessUseCases(db);
    tree.Clear();
    // An operation whose entity is no longer in Ents gets no node and stays
    // in the table.
    auto rows = db.OpenRecordset(
        "SELECT UC.UCID AS UCID, E.BusName AS BusName, E.SerialID AS SerialID "
        "FROM ucUseCases UC INNER JOIN Ents E ON E.SerialID = UC.ForeignID "
        "WHERE UC.Nature = 1 ORDER BY UC.rowid, E.SerialID");
    for (; !rows.IsEOF(); rows.MoveNext()) {
        tree.Add("", services::kNodeKeyPrefix + rows.Text("UCID"), rows.Text("BusName"), services::kOperationImage,
                 rows.Text("SerialID"));
    }
}

namespace {

std::vector<int64_t> UseCaseIds(Database& db, int nature, int64_t foreignId) {
    std::vector<int64_t> ids;
    auto rows = db.OpenRecordset("SELECT UCID FROM ucUseCases WHERE Nature = ?1 AND ForeignID = ?2",
                                 {nature, foreignId});
    for (; !rows.IsEOF(); rows.MoveNext()) ids.push_back(rows.Int("UCID"));
    return ids;
}

void DeleteUseCases(Database& db, int nature, int64_t foreignId, const std::vector<int64_t>& ucids) {
    db.Execute("DELETE FROM ucUseCases WHERE Nature = ?1 AND ForeignID = ?2", {nature, foreignId});
    for (int64_t ucid : ucids) DeleteUseCaseLinks(std::to_string(ucid), db);
}

}  // namespace

void DeleteEntityUseCase(std::string_view serialId, Database& db) {
    const auto id = services::ParseId(serialId);
    if (!id) return;
    platform::db::Transaction txn(db);
    // The operations' numbers are taken before their rows go, so their
    // memberships can be found.
    DeleteUseCases(db, 1, *id, UseCaseIds(db, 1, *id));
    txn.Commit();
}

void DeleteProcessUseCase(std::string_view procId, Database& db) {
    const auto id = services::ParseId(procId);
    if (!id) return;
    const auto ucids = UseCaseIds(db, 2, *id);
    if (ucids.empty()) return;
    platform::db::Transaction txn(db);
    DeleteUseCases(db, 2, *id, ucids);
    db.Execute("DELETE FROM pcaProcesses WHERE ProcID = ?1", {*id});
    // Only the documents of process elements (nature 1) belong to the
    // process; an entity operation's document may carry the same number.
    auto elements = db.OpenRecordset("SELECT ElementID FROM pcaElements WHERE ProcID = ?1", {*id});
    auto deleteMessages = db.Prepare("DELETE FROM ucMessages WHERE ElementSID = ?1 AND Nature = 1");
    for (; !elements.IsEOF(); elements.MoveNext()) deleteMessages.Run({elements.Field("ElementID")});
    db.Execute("DELETE FROM pcaElements WHERE ProcID = ?1", {*id});
    txn.Commit();
}

}  // namespace Globals
