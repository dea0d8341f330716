#pragma once
// Read access to the workbench repository for the import. Every relation
// list is one statement of the repository layer (RelationLists): the rows of
// the relation query with projection "ID,Type,Name" and filter "Type:Rel",
// in its order, with the relation's name taken from the schema: the side-0
// role name for outgoing rows, the side-1 role name for incoming rows.
//
// The repository does not change while a workspace database is built, so the
// lists of the small connecting objects (entries, messages, screens,
// decisions, transactions, ports, connectors) are kept once read, by entity
// number: thousands of programs share them. Type and relation names are
// interned, so a kept row is three words.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/workbench/RelationLists.h"

namespace platform::workbench {
class EntityStore;
class RepositoryEntity;
}  // namespace platform::workbench

namespace workspace {

// An entity as the walk sees it: its type name as the repository spells it
// (interned, never null) and its number, unique in the repository.
struct Node {
    const std::string* type = nullptr;
    int64_t number = 0;

    const std::string& Type() const { return *type; }
    // The entity key "<TYPE>#<n>".
    std::string Key() const;
    // Type test without regard to case.
    bool Is(std::string_view typeName) const;
};

// One row of a relation list: the entity at the other end and the
// relation's role name as seen from the listed entity.
struct Link {
    Node other;
    const std::string* relName = nullptr;

    const std::string& RelName() const { return *relName; }
};

class RepositoryReader {
public:
    explicit RepositoryReader(platform::workbench::EntityStore& store);
    ~RepositoryReader();

    Node NodeOf(const platform::workbench::RepositoryEntity& entity);

    // Kept after the first read (see above).
    const std::vector<Link>& Outgoing(const Node& node);
    const std::vector<Link>& Incoming(const Node& node);
    // Read afresh each time; for a program, whose list nobody else needs.
    std::vector<Link> ReadOutgoing(const Node& node);

    // The entity's name: RepositoryEntity::GetName (data ports) and the
    // "Name" attribute (program entries) are the same text. Kept by number.
    const std::string& Name(const Node& node);
    const std::string& NameAttribute(const Node& node) { return Name(node); }

    platform::workbench::EntityStore& Store() { return m_store; }
    size_t QueriesRun() const { return m_lists.ListsRead(); }
    // The lists kept so far: entity and direction (true: outgoing). For the
    // benchmark, which reads the same lists again as its floor.
    std::vector<std::pair<Node, bool>> KeptLists() const;

private:
    std::vector<Link> Read(const Node& node, bool outgoing);
    const std::string* Intern(std::string_view text);
    const std::string* TypeOf(int64_t typeId);
    const std::string* RoleOf(int64_t relTypeId, int side);

    struct KeptList {
        Node node;
        std::vector<Link> links;
    };
    using ListsByNumber = std::unordered_map<int64_t, KeptList>;
    const std::vector<Link>& Kept(ListsByNumber& lists, const Node& node, bool outgoing);

    platform::workbench::EntityStore& m_store;
    platform::workbench::RelationLists m_lists;
    std::vector<platform::workbench::RelationEnd> m_rows;   // reused by every read
    std::unordered_set<std::string> m_strings;
    std::unordered_map<int64_t, const std::string*> m_types;
    std::unordered_map<int64_t, const std::string*> m_roles[2];
    ListsByNumber m_out;
    ListsByNumber m_in;
    std::unordered_map<int64_t, std::string> m_names;
};

}  // namespace workspace
