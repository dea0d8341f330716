#pragma once
// Read access to the workbench repository for the import. Every relation
// list is answered by the repository's own relation query (outgoing "*>" or
// incoming "*<", projection "ID,Type,Name", relation filter "Type:Rel"),
// with the relation's name taken from the schema: the side-0 role name for
// outgoing rows, the side-1 role name for incoming rows.
//
// The repository does not change while a workspace database is built, so the
// lists of the small connecting objects (entries, messages, screens,
// decisions, transactions, ports, connectors) are kept once read: thousands
// of programs share them. Type and relation names are interned, so a kept row
// is three words.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace platform::workbench {
class EntityStore;
class RepositoryEntity;
}  // namespace platform::workbench

namespace workspace {

// An entity as the walk sees it: its type name as the repository spells it
// (interned, never null) and its number.
struct Node {
    const std::string* type = nullptr;
    int64_t number = 0;

    const std::string& Type() const { return *type; }
    // The entity key "<TYPE>#<n>".
    std::string Key() const;
    // Type test without regard to case.
    bool Is(std::string_view typeName) const;
};

// One row of a relation query: the entity at the other end and the
// relation's role name as seen from the queried entity.
struct Link {
    Node other;
    const std::string* relName = nullptr;

    const std::string& RelName() const { return *relName; }
};

class RepositoryReader {
public:
    explicit RepositoryReader(platform::workbench::EntityStore& store);
    ~RepositoryReader();

    Node NodeOf(platform::workbench::RepositoryEntity& entity);

    // Kept after the first read (see above).
    const std::vector<Link>& Outgoing(const Node& node);
    const std::vector<Link>& Incoming(const Node& node);
    // Read afresh each time; for a program, whose lists nobody else needs.
    std::vector<Link> ReadOutgoing(const Node& node);

    // RepositoryEntity::GetName (data ports) and the "Name" attribute
    // (program entries).
    std::string Name(const Node& node);
    std::string NameAttribute(const Node& node);

    platform::workbench::EntityStore& Store() { return m_store; }
    size_t QueriesRun() const { return m_queries; }
    // The lists kept so far: entity and direction (true: outgoing). For the
    // benchmark, which reads the same lists again as its floor.
    std::vector<std::pair<Node, bool>> KeptLists() const;

private:
    std::vector<Link> Query(const Node& node, bool outgoing);
    const std::string* Intern(std::string_view text);
    const std::string& RoleName(const std::string& rel, int side);

    platform::workbench::EntityStore& m_store;
    std::unordered_set<std::string> m_strings;
    struct KeptList {
        Node node;
        std::vector<Link> links;
    };
    using ListsByKey = std::unordered_map<std::string, KeptList>;   // by entity key
    const std::vector<Link>& Kept(ListsByKey& lists, const Node& node, bool outgoing);

    ListsByKey m_out;
    ListsByKey m_in;
    std::unordered_map<std::string, const std::string*> m_roles[2];
    size_t m_queries = 0;
};

}  // namespace workspace
