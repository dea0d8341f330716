#include "tests/classify/LiteralClassifier.h"

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "common/Collection.h"
#include "platform/db/Database.h"

namespace literal {

namespace {

using platform::db::Database;
using platform::db::Value;

bool SameText(const std::string& a, const std::string& b) { return common::FoldKey(a) == common::FoldKey(b); }

bool IsClientCode(const Value& v) {
    if (v.IsNull()) return false;
    int64_t c = v.AsInt();
    return c == 1 || c == 2 || c == 3 || c == 4 || c == 10 || c == 11;
}

struct Record {
    bool A = false, X = false, XD = false, D = false, DI = false, C = false;
    bool CF = false, FS = false, OnTop = true, H = false;
    std::string id;
    int code = 0;
    common::Collection<std::string> calledBy, xctledBy;
};

struct Run {
    Database& db;
    common::Collection<std::string> reached;
    common::Collection<Record> records;

    Record& RecordFor(const std::string& id) {
        if (!records.Contains(id)) {
            Record r;
            r.id = id;
            records.Add(std::move(r), id);
        }
        return records.Item(id);
    }

    void AddReachable(const std::string& id) {
        auto rs = db.OpenRecordset(
            "SELECT * FROM Rels WHERE Id1 = ? AND (RelName = 'Xctls' OR RelName = 'Calls') "
            "AND (EntName1 = 'PROGRAM' AND EntName2 = 'PROGRAM')",
            {id});
        std::vector<std::string> next;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            std::string id2 = rs.Text("Id2");
            if (reached.Contains(id2)) continue;
            reached.Add(id2, id2);
            next.push_back(id2);
        }
        for (const auto& n : next) AddReachable(n);
    }

    void MarkBatchPrograms() {
        common::Collection<std::string> start;
        auto rs = db.OpenRecordset("SELECT * FROM Rels WHERE EntName1 = 'PROGRAM' AND RelName = 'converse'");
        for (; !rs.IsEOF(); rs.MoveNext()) {
            std::string id = rs.Text("Id1");
            if (!reached.Contains(id)) reached.Add(id, id);
            if (!start.Contains(id)) start.Add(id, id);
        }
        for (const auto& e : start) AddReachable(e.item);
        auto ents = db.OpenRecordset("SELECT * FROM Ents WHERE EntName = 'PROGRAM'");
        for (; !ents.IsEOF(); ents.MoveNext()) {
            std::string id = ents.Text("ID");
            if (!reached.Contains(id))
                db.Execute("UPDATE Ents SET SOAType = 90 WHERE Id = ? AND EntName = 'PROGRAM'", {id});
        }
    }

    void MarkCallers(const std::string& id, std::unordered_set<std::string>& entered) {
        entered.insert(common::FoldKey(id));
        auto rs = db.OpenRecordset("SELECT Id1 FROM Rels WHERE Id2 = ? AND EntName1 = 'PROGRAM' AND RelName = 'Calls'",
                                   {id});
        for (; !rs.IsEOF(); rs.MoveNext()) {
            std::string caller = rs.Text("Id1");
            if (!records.Contains(caller)) continue;
            records.Item(caller).DI = true;
            if (!entered.count(common::FoldKey(caller))) MarkCallers(caller, entered);
        }
    }

    // One client walk: the query gives (SOAType, neighbour) rows.
    bool ClientWalk(const std::string& id, const char* sql, bool appendFailingOnly,
                    std::unordered_set<std::string>& entered) {
        entered.insert(common::FoldKey(id));
        auto rs = db.OpenRecordset(sql, {id});
        std::vector<std::string> next;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            const bool hit = IsClientCode(rs.Field(size_t{0}));
            if (!appendFailingOnly || !hit) next.push_back(rs.Field(size_t{1}).AsText());
            if (hit) return true;
        }
        for (const auto& n : next)
            if (!entered.count(common::FoldKey(n)) && ClientWalk(n, sql, appendFailingOnly, entered)) return true;
        return false;
    }
    bool IsXctledFromClient(const std::string& id) {
        std::unordered_set<std::string> entered;
        return ClientWalk(id,
                          "SELECT Ents.SOAType, Rels.Id1 FROM Ents, Rels WHERE Rels.Id2 = ? AND Rels.RelName = 'Xctls' "
                          "AND Ents.Id = Rels.Id1",
                          false, entered);
    }
    bool XctlsToClient(const std::string& id) {
        std::unordered_set<std::string> entered;
        return ClientWalk(id,
                          "SELECT Ents.SOAType, Rels.Id2 FROM Ents, Rels WHERE Rels.Id1 = ? AND Rels.RelName = 'Xctls' "
                          "AND Ents.Id = Rels.Id2",
                          false, entered);
    }
    bool CallsClientDownstream(const std::string& id) {
        std::unordered_set<std::string> entered;
        return ClientWalk(id,
                          "SELECT Ents.SOAType, Rels.Id2 FROM Ents, Rels WHERE Rels.Id1 = ? AND Rels.RelName = 'Calls' "
                          "AND Ents.Id = Rels.Id2",
                          true, entered);
    }
    bool IsBetweenClientXctls(const std::string& id) {
        bool to = XctlsToClient(id);
        bool from = IsXctledFromClient(id);
        return to && from;
    }

    void WriteBack(const Record& r) {
        db.Execute(
            "UPDATE Ents SET AccessScreen = ? , Xctls = ? , Xctled = ? , CallsData = ? , CallsDataIndirect = ? , "
            "Called = ? , OnTop = ? , SOAType = ? WHERE Id = ? AND EntName = 'PROGRAM'",
            {r.A, r.X, r.XD, r.D, r.DI, r.C, r.OnTop, r.code, r.id});
    }

    // The callers of 7.1 and 8.1: those that call it, else those that transfer to it.
    const common::Collection<std::string>* Examined(const Record& r) {
        if (r.C) return &r.calledBy;
        if (r.XD) return &r.xctledBy;
        return nullptr;
    }
    bool AnyCallerCode(const Record& r, const std::function<bool(const Value&)>& test) {
        const auto* callers = Examined(r);
        if (!callers) return false;
        bool any = false;
        for (const auto& e : *callers) {
            auto rs = db.OpenRecordset("SELECT SOAType FROM Ents WHERE Id = ?", {e.item});
            if (!rs.IsEOF() && test(rs.Field("SOAType"))) any = true;
        }
        return any;
    }

    // The rule tables, row by row, top to bottom.
    static void ClientFacingRules(Record& r) {
        if (r.A && !r.D && !r.C) r.code = 1;
        else if (r.A && !r.D && r.C) r.code = 2;
        else if (r.A && r.D && !r.C) r.code = 3;
        else if (r.A && r.D && r.C) r.code = 4;
    }
    void TransitionalRules(Record& r) {
        if (r.code >= 1 && r.code <= 4) return;
        if (!r.A && !r.C && r.X && r.XD) {
            if (IsBetweenClientXctls(r.id)) r.code = 10;
        } else if (!r.A && r.C && r.X && r.XD) {
            if (IsBetweenClientXctls(r.id)) r.code = 11;
        }
    }
    static bool Client(int c) { return c == 1 || c == 2 || c == 3 || c == 4 || c == 10 || c == 11; }
    static void FrontierRules(Record& r) {
        if (Client(r.code)) return;
        if (r.CF && !r.A && r.D && !r.H) r.code = 20;
        else if (r.CF && !r.A && !r.D && r.DI && !r.H) r.code = 21;
        else if (r.CF && !r.A && !r.D && !r.DI && !r.H) r.code = 22;
        else if (r.CF && !r.A && r.H) r.code = 23;
    }
    static void FrontierServerRules(Record& r) {
        if (Client(r.code)) return;
        if (r.CF && !r.FS && !r.A && r.D && !r.H) r.code = 20;
        else if (r.CF && !r.FS && !r.A && !r.D && r.DI && !r.H) r.code = 21;
        else if (r.CF && !r.FS && !r.A && !r.D && !r.DI && !r.H) r.code = 22;
        else if (r.CF && !r.FS && !r.A && r.H) r.code = 23;
        else if (r.FS && !r.A && r.D && !r.H) r.code = 30;
        else if (r.FS && !r.A && !r.D && r.DI && !r.H) r.code = 31;
        else if (r.FS && !r.A && !r.D && !r.DI && !r.H) r.code = 32;
        else if (r.FS && !r.A && r.H) r.code = 33;
        else r.code = 60;
    }

    void Classify() {
        MarkBatchPrograms();

        auto rs = db.OpenRecordset("SELECT * FROM Rels WHERE EntName1 = 'PROGRAM'");
        for (; !rs.IsEOF(); rs.MoveNext()) {
            std::string id1 = rs.Text("Id1");
            if (!reached.Contains(id1)) continue;
            Record& r = RecordFor(id1);
            std::string rel = rs.Text("RelName");
            if (SameText(rel, "converse")) r.A = true;
            if (SameText(rel, "access")) r.D = true;
        }
        rs = db.OpenRecordset(
            "SELECT Id1, Id2 FROM Rels WHERE EntName1 = 'PROGRAM' AND EntName2 = 'PROGRAM' AND RelName = 'Calls'");
        for (; !rs.IsEOF(); rs.MoveNext()) {
            std::string id1 = rs.Text("Id1"), id2 = rs.Text("Id2");
            if (!reached.Contains(id1) || !reached.Contains(id2)) continue;
            Record& r = RecordFor(id2);
            r.C = true;
            if (!r.calledBy.Contains(id1)) r.calledBy.Add(id1, id1);
        }
        rs = db.OpenRecordset(
            "SELECT Id1, Id2 FROM Rels WHERE EntName1 = 'PROGRAM' AND EntName2 = 'PROGRAM' AND RelName = 'Xctls'");
        for (; !rs.IsEOF(); rs.MoveNext()) {
            std::string id1 = rs.Text("Id1"), id2 = rs.Text("Id2");
            if (reached.Contains(id1)) RecordFor(id1).X = true;
            if (reached.Contains(id2)) {
                Record& r = RecordFor(id2);
                r.XD = true;
                if (!r.xctledBy.Contains(id1)) r.xctledBy.Add(id1, id1);
            }
        }

        for (auto& e : records) {
            ClientFacingRules(e.item);
            WriteBack(e.item);
        }
        for (auto& e : records) {
            TransitionalRules(e.item);
            WriteBack(e.item);
        }
        for (auto& e : records) {
            Record& r = e.item;
            auto callers = db.OpenRecordset(
                "SELECT Ents.SOAType FROM Ents, Rels WHERE Rels.EntName1 = 'PROGRAM' AND Rels.EntName2 = 'PROGRAM' "
                "AND Rels.Id2 = ? AND (Rels.RelName = 'Calls' OR Rels.RelName = 'Xctls') AND Ents.Id = Rels.Id1",
                {r.id});
            for (; !callers.IsEOF(); callers.MoveNext()) {
                const Value& v = callers.Field(size_t{0});
                if (v.IsNull()) continue;
                int64_t c = v.AsInt();
                if (c != 90 && !Client(static_cast<int>(c))) r.OnTop = false;
            }
            if (r.D) {
                std::unordered_set<std::string> entered;
                MarkCallers(r.id, entered);
            }
        }
        for (auto& e : records) {
            Record& r = e.item;
            if (AnyCallerCode(r, IsClientCode)) r.CF = true;
            if (CallsClientDownstream(r.id)) r.H = true;
            FrontierRules(r);
            WriteBack(r);
        }
        for (auto& e : records) {
            Record& r = e.item;
            if (AnyCallerCode(r, [](const Value& v) { return !v.IsNull() && v.AsInt() != 90 && !IsClientCode(v); }))
                r.FS = true;
            FrontierServerRules(r);
            WriteBack(r);
        }
    }
};

}  // namespace

void ClassifyPrograms(Database& db) {
    Run run{db, {}, {}};
    run.Classify();
}

}  // namespace literal
