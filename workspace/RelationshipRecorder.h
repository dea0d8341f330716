#pragma once
// Writes the findings of the relationship walk into the workspace database:
// Rels rows (with or without the duplicate test), stub programs for program
// entries the repository gives no owner, and dummy stores for data ports
// without a store behind them.
//
// The duplicate test and both name lookups are answered from memory, seeded
// once from the tables, so a large import does not query Rels or Ents per
// finding. Text is compared with the database's own case folding, so the
// answers are those the equivalent SQL would give.

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/db/Database.h"

namespace workspace {

// One end of a Rels row: the Ents ID and the repository type name.
struct EntRef {
    std::string id;
    std::string type;
};

class RelationshipRecorder {
public:
    explicit RelationshipRecorder(platform::db::Database& db);

    // True when Rels holds a row with these six values (case ignored).
    bool RelExists(const std::string& id1, const std::string& id2, const std::string& entName1,
                   const std::string& entName2, const std::string& relName, const std::string& relNameFull) const;

    // Appends from -> to under the workbench name unless an identical row
    // exists; returns whether a row was added.
    bool AddRelIfNew(const EntRef& from, const EntRef& to, const std::string& name);
    // Appends from -> to without any test.
    void AddRel(const EntRef& from, const std::string& toId, const std::string& toEntName, const std::string& name);

    // The stub program standing for ownerless program entries of this name;
    // added on first use. Only stub programs are considered, so the ID always
    // names the row it stands for.
    EntRef StubProgram(const std::string& entryName);
    // The first data store row carrying this name, else a new dummy store.
    // Only stores are considered, never a screen or program of that name.
    EntRef StoreByName(const std::string& portName);

    size_t RowsAdded() const { return m_rowsAdded; }

private:
    static std::string Key(const std::string& id1, const std::string& id2, const std::string& entName1,
                           const std::string& entName2, const std::string& relName, const std::string& relNameFull);
    void Append(const std::string& id1, const std::string& id2, const std::string& entName1,
                const std::string& entName2, const std::string& relName, const std::string& relNameFull);
    std::string AddEntsRowWithSerialId(const std::string& idPrefix, const std::string& entName,
                                       const std::string& entNameFull, const std::string& name, bool stub);

    platform::db::Database& m_db;
    platform::db::Statement m_insertRel;
    platform::db::Statement m_insertEnt;
    platform::db::Statement m_setEntId;
    std::unordered_set<std::string> m_rels;
    std::unordered_map<std::string, EntRef> m_stubs;    // by folded name
    std::unordered_map<std::string, EntRef> m_stores;   // by folded name, first row wins
    size_t m_rowsAdded = 0;
};

}  // namespace workspace
