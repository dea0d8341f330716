#pragma once
// A workspace database from the template's SQL with programs, stores and
// relationships added by hand, for the CRUD tests.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/db/Database.h"
#include "tests/support/TestSupport.h"

namespace crudtest {

inline std::unique_ptr<platform::db::Database> TemplateDb() {
    auto db = platform::db::Database::InMemory();
    std::vector<std::filesystem::path> scripts;
    for (const auto& e : std::filesystem::directory_iterator(testsupport::SourceDir() / "resources/sql"))
        if (e.path().extension() == ".sql") scripts.push_back(e.path());
    std::sort(scripts.begin(), scripts.end());
    for (const auto& s : scripts) {
        std::ifstream in(s);
        std::stringstream sql;
        sql << in.rdbuf();
        db->ExecuteScript(sql.str());
    }
    return db;
}

struct CrudWorkspace {
    std::unique_ptr<platform::db::Database> db = TemplateDb();

    // An entity row; returns its SerialID.
    int64_t Entity(const std::string& id, const std::string& kind, const std::string& name) {
        db->Execute("INSERT INTO Ents (ID, EntName, Name, BusName) VALUES (?1, ?2, ?3, ?3)", {id, kind, name});
        return db->LastInsertId();
    }
    int64_t Program(const std::string& id, const std::string& name) { return Entity(id, "PROGRAM", name); }
    int64_t Store(const std::string& id, const std::string& name) { return Entity(id, "store", name); }
    // full: the relationship's full name (its first character is the access).
    void Access(const std::string& program, const std::string& store, const platform::db::Value& full,
                const std::string& relName = "access") {
        db->Execute("INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) "
                    "VALUES (?1, ?2, 'PROGRAM', 'store', ?3, ?4)",
                    {program, store, relName, full});
    }
    void Calls(const std::string& caller, const std::string& called) {
        db->Execute("INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) "
                    "VALUES (?1, ?2, 'PROGRAM', 'PROGRAM', 'Calls', 'Calls')",
                    {caller, called});
    }
};

}  // namespace crudtest
