#pragma once
// Writes the findings of the relationship walk into the workspace database:
// Rels rows (with or without the duplicate test), stub programs for program
// entries the repository gives no owner, and dummy stores for data ports
// without a store behind them.
//
// Every row the walk finds starts at the program being walked, and the walk
// records one program's rows before the next program's. The duplicate test
// therefore keeps only the current source's rows in memory, keyed by target,
// relation name and their types; a source that comes back later, and every
// source of a table that held rows before, is read back from Rels when it
// becomes current. The stub and dummy-store look-ups are answered from
// memory, seeded once from the tables. Text is compared with the database's
// own case folding, so the answers are those the equivalent SQL would give.

#include <cstdint>
#include <string>
#include <string_view>
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
                   const std::string& entName2, const std::string& relName, const std::string& relNameFull);

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
    // The four values of a row that vary within one source.
    struct RowView {
        std::string_view id2, entName2, relName, relNameFull;
    };
    struct Row {
        std::string id2, entName2, relName, relNameFull;
        operator RowView() const { return {id2, entName2, relName, relNameFull}; }
    };
    struct FoldedHash {
        using is_transparent = void;
        size_t operator()(const RowView& r) const;
        size_t operator()(const Row& r) const { return (*this)(RowView(r)); }
    };
    struct FoldedEqual {
        using is_transparent = void;
        bool operator()(const RowView& a, const RowView& b) const;
        bool operator()(const Row& a, const Row& b) const { return (*this)(RowView(a), RowView(b)); }
        bool operator()(const RowView& a, const Row& b) const { return (*this)(a, RowView(b)); }
        bool operator()(const Row& a, const RowView& b) const { return (*this)(RowView(a), b); }
    };

    bool IsSource(std::string_view id1, std::string_view entName1) const;
    // Makes from the current source, reading its earlier rows when it may have some.
    void UseSource(std::string_view id1, std::string_view entName1);
    const std::string& Normalized(const std::string& name);
    void Append(const std::string& id1, const std::string& entName1, const RowView& row);
    std::string AddEntsRowWithSerialId(const std::string& idPrefix, const std::string& entName,
                                       const std::string& entNameFull, const std::string& name, bool stub);

    platform::db::Database& m_db;
    platform::db::Statement m_insertRel;
    platform::db::Statement m_insertEnt;
    platform::db::Statement m_setEntId;
    platform::db::Statement m_sourceRows;
    platform::db::Statement m_rowExists;
    // The table held rows before this recorder wrote any.
    bool m_tableHadRows = false;
    bool m_hasSource = false;
    std::string m_sourceId, m_sourceType;
    std::unordered_set<Row, FoldedHash, FoldedEqual> m_sourceRowsKept;
    std::unordered_set<std::string> m_sourcesSeen;        // folded "<id>\x1f<type>"
    std::unordered_map<std::string, std::string> m_normalized;   // workbench name -> RelName
    std::unordered_map<std::string, EntRef> m_stubs;    // by folded name
    std::unordered_map<std::string, EntRef> m_stores;   // by folded name, first row wins
    size_t m_rowsAdded = 0;
};

}  // namespace workspace
