#include "tests/classify/WorkspaceDb.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/support/TestSupport.h"

namespace classifytest {

using platform::db::Database;

namespace {

const std::string& WorkspaceSchema() {
    static const std::string sql = [] {
        auto path = testsupport::SourceDir() / "resources" / "sql" / "01_workspace.sql";
        std::ifstream in(path);
        if (!in) throw std::runtime_error("cannot read " + path.string());
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }();
    return sql;
}

}  // namespace

std::unique_ptr<Database> NewWorkspaceDb() {
    auto db = Database::InMemory();
    db->ExecuteScript(WorkspaceSchema());
    return db;
}

void AddEnt(Database& db, const std::string& id, const std::string& entName, const std::string& name, bool stub,
            const std::string& entNameFull, int soaType) {
    db.Execute("INSERT INTO Ents (ID, EntName, EntNameFull, Name, BusName, Stub, SOAType) VALUES (?, ?, ?, ?, ?, ?, ?)",
               {id, entName, entNameFull.empty() ? entName : entNameFull, name, name, stub, soaType});
}

void AddRel(Database& db, const std::string& id1, const std::string& id2, const std::string& entName1,
            const std::string& entName2, const std::string& relName) {
    db.Execute("INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) VALUES (?, ?, ?, ?, ?, ?)",
               {id1, id2, entName1, entName2, relName, relName});
}

int CodeOf(Database& db, const std::string& id) {
    auto v = db.Scalar("SELECT SOAType FROM Ents WHERE ID = ? AND EntName = 'PROGRAM'", {id});
    return v.IsNull() ? -1 : static_cast<int>(v.AsInt());
}

std::string FlagsOf(Database& db, const std::string& id) {
    auto rs = db.OpenRecordset(
        "SELECT AccessScreen, Xctls, Xctled, CallsData, CallsDataIndirect, Called, OnTop FROM Ents "
        "WHERE ID = ? AND EntName = 'PROGRAM'",
        {id});
    if (rs.IsEOF()) return "?";
    std::string s;
    for (size_t i = 0; i < 7; ++i) s += rs.Field(i).AsBool() ? 'T' : 'F';
    return s;
}

}  // namespace classifytest
