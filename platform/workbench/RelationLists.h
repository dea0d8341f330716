#pragma once
// The relation lists of entities read straight from the repository, one
// statement each: the rows a relation query with the projection
// "ID,Type,Name" and the filter "Type:Rel" gives for the entity, in the same
// order (as the relations were recorded), as numbers. A long walk over
// thousands of lists (the import) then builds no query nodes, parses no
// criterion and looks up no field by name.
//
// An entity is named by its number alone: numbers are unique across types,
// and the walk only follows numbers the repository gave it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/Database.h"
#include "platform/workbench/EntityStore.h"

namespace platform::workbench {

// One relation seen from the entity whose list was read.
struct RelationEnd {
    int64_t relTypeId = 0;
    int64_t number = 0;   // the entity at the other end
    int64_t typeId = 0;   // and its type
};

class RelationLists {
public:
    explicit RelationLists(const EntityStore& store);

    // Replaces rows by the relations going out of the entity (outgoing) or
    // coming into it.
    void Read(int64_t number, bool outgoing, std::vector<RelationEnd>& rows);
    // The type's name, as a query row's "Type" field gives it ("" for a type
    // the repository does not define).
    const std::string& TypeName(int64_t typeId) const;
    // The relation's role name seen from side 0 (outgoing rows) or side 1
    // (incoming rows). A relation type the repository does not define raises.
    const std::string& RoleName(int64_t relTypeId, int side) const;
    // The entity's name (RepositoryEntity::GetName); raises when the
    // repository has no entity of that number.
    std::string Name(int64_t number);

    size_t ListsRead() const { return m_lists; }

private:
    detail::RepositoryCore& Core() const;

    std::shared_ptr<detail::RepositoryCore> m_core;
    db::Statement m_out;
    db::Statement m_in;
    size_t m_lists = 0;
};

}  // namespace platform::workbench
