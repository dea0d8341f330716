#pragma once
// A workspace database for the web tree and web service command tests:
// the template's Ents with a few programs, and the tool's own tables.

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "platform/db/Database.h"
#include "services/ServiceTables.h"
#include "tests/support/TestSupport.h"

namespace webtreetest {

inline std::unique_ptr<platform::db::Database> NewWorkspaceDatabase() {
    auto db = platform::db::Database::InMemory();
    std::ifstream in(testsupport::SourceDir() / "resources/sql/01_workspace.sql");
    std::stringstream sql;
    sql << in.rdbuf();
    db->ExecuteScript(sql.str());
    Globals::CreateUseCaseTables(*db, false);
    Globals::CreateWebServiceTables(*db, false);
    return db;
}

// Adds a program; returns its SerialID.
inline int64_t AddProgram(platform::db::Database& db, const std::string& id, const std::string& name,
                          const std::string& busName) {
    db.Execute("INSERT INTO Ents (ID, EntName, Name, BusName) VALUES (?1, 'PROGRAM', ?2, ?3)", {id, name, busName});
    return db.LastInsertId();
}

inline int64_t Count(platform::db::Database& db, const std::string& sql, const platform::db::Params& params = {}) {
    return db.Scalar(sql, params).AsInt();
}

}  // namespace webtreetest
