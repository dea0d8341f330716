#include "services/MessageDefinitions.h"

#include <sqlite3.h>

namespace services {

using platform::db::Database;
using platform::db::DbError;

namespace {

bool IsDuplicateKey(const DbError& e) { return e.Code() == SQLITE_CONSTRAINT_UNIQUE; }

// The database compares text without case, and SQLite's case-blind
// comparison stops at a NUL: keys that differ only after their first NUL
// would count as one and every definition but the first of a program would
// be refused. The table therefore holds the key with each NUL written as
// the unit separator (0x1F), which no id contains; in memory it stays NUL-joined.
std::string StoredKey(std::string key) {
    for (char& c : key)
        if (c == '\0') c = '\x1F';
    return key;
}

std::string KeyFromStored(std::string key) {
    for (char& c : key)
        if (c == '\x1F') c = '\0';
    return key;
}

void LoadDirection(Database& db, const std::string& programId, bool input, MsgDefCollection& into) {
    auto rs = db.OpenRecordset("SELECT * FROM Messages WHERE sProgID = ? AND bInput = ?",
                               {programId, input ? platform::db::kTrue : platform::db::kFalse});
    for (; !rs.IsEOF(); rs.MoveNext()) {
        mdMsgDef def;
        def.sVNID = rs.Text("sVNID");
        def.sName = rs.Text("sName");
        def.sProgID = rs.Text("sProgID");
        def.sProgName = rs.Text("sProgName");
        def.sKey = KeyFromStored(rs.Text("sKey"));
        if (!into.Contains(def.sKey)) into.Add(def, def.sKey);
    }
}

}  // namespace

std::string MessageDefKey(bool input, const std::string& vnid, const std::string& progId) {
    std::string key = input ? "In" : "Out";
    key += '\0';
    key += vnid;
    key += '\0';
    key += progId;
    return key;
}

void AddMessageRecord(Database& db, const mdMsgDef& def, bool input) {
    db.Execute("INSERT INTO Messages (sKey, sProgID, sProgName, sVNID, sName, bInput) VALUES (?, ?, ?, ?, ?, ?)",
               {StoredKey(def.sKey), def.sProgID, def.sProgName, def.sVNID, def.sName,
                input ? platform::db::kTrue : platform::db::kFalse});
}

void MessageDefinitions::LoadMessageDefs(Database& db, const std::string& programId) {
    Clear();
    LoadDirection(db, programId, true, m_inputs);
    LoadDirection(db, programId, false, m_outputs);
}

int MessageDefinitions::SetAs(Database& db, bool input, const std::vector<DefinitionNode>& nodes,
                              const std::string& progId, const std::string& progName) {
    MsgDefCollection& target = input ? m_inputs : m_outputs;
    std::vector<std::string> added;
    platform::db::Transaction tx(db);
    try {
        for (const DefinitionNode& node : nodes) {
            mdMsgDef def{node.vnid, node.name, progId, progName, MessageDefKey(input, node.vnid, progId)};
            if (target.Contains(def.sKey)) continue;
            target.Add(def, def.sKey);
            added.push_back(def.sKey);
            try {
                AddMessageRecord(db, def, input);
            } catch (const DbError& e) {
                // The row is there already (stored by an earlier session).
                if (!IsDuplicateKey(e)) throw;
            }
        }
        tx.Commit();
    } catch (...) {
        for (const std::string& key : added) target.Remove(key);
        throw;
    }
    if (!added.empty()) m_changed = true;
    return static_cast<int>(added.size());
}

void MessageDefinitions::ClearAll(Database& db, const std::string& programId) {
    // The table first: when the delete fails, the collections still say what
    // the table holds and the next document is built from all of it.
    db.Execute("DELETE FROM Messages WHERE sProgID = ?", {programId});
    Clear();
    m_changed = true;
}

void MessageDefinitions::Clear() {
    m_inputs.Clear();
    m_outputs.Clear();
}

}  // namespace services
