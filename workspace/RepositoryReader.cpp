#include "workspace/RepositoryReader.h"

#include "platform/workbench/EntityStore.h"
#include "workspace/Text.h"

namespace workspace {

namespace wb = platform::workbench;

std::string Node::Key() const { return *type + "#" + std::to_string(number); }

bool Node::Is(std::string_view typeName) const { return SameText(*type, typeName); }

RepositoryReader::RepositoryReader(wb::EntityStore& store) : m_store(store), m_lists(store) {}

RepositoryReader::~RepositoryReader() = default;

const std::string* RepositoryReader::Intern(std::string_view text) {
    return &*m_strings.emplace(text).first;
}

const std::string* RepositoryReader::TypeOf(int64_t typeId) {
    auto [it, added] = m_types.try_emplace(typeId, nullptr);
    if (added) it->second = Intern(m_lists.TypeName(typeId));
    return it->second;
}

const std::string* RepositoryReader::RoleOf(int64_t relTypeId, int side) {
    auto& roles = m_roles[side];
    if (auto it = roles.find(relTypeId); it != roles.end()) return it->second;
    // An undefined relation type raises here, before anything is kept.
    const std::string* role = Intern(m_lists.RoleName(relTypeId, side));
    roles.emplace(relTypeId, role);
    return role;
}

Node RepositoryReader::NodeOf(const wb::RepositoryEntity& entity) {
    return Node{Intern(entity.GetTypeName()), entity.GetNumber()};
}

std::vector<Link> RepositoryReader::Read(const Node& node, bool outgoing) {
    m_lists.Read(node.number, outgoing, m_rows);
    std::vector<Link> links;
    links.reserve(m_rows.size());
    const int side = outgoing ? 0 : 1;
    for (const wb::RelationEnd& row : m_rows)
        links.push_back({Node{TypeOf(row.typeId), row.number}, RoleOf(row.relTypeId, side)});
    return links;
}

const std::vector<Link>& RepositoryReader::Kept(ListsByNumber& lists, const Node& node, bool outgoing) {
    if (auto it = lists.find(node.number); it != lists.end()) return it->second.links;
    std::vector<Link> links = Read(node, outgoing);
    return lists.emplace(node.number, KeptList{node, std::move(links)}).first->second.links;
}

const std::vector<Link>& RepositoryReader::Outgoing(const Node& node) { return Kept(m_out, node, true); }

const std::vector<Link>& RepositoryReader::Incoming(const Node& node) { return Kept(m_in, node, false); }

std::vector<Link> RepositoryReader::ReadOutgoing(const Node& node) { return Read(node, true); }

const std::string& RepositoryReader::Name(const Node& node) {
    if (auto it = m_names.find(node.number); it != m_names.end()) return it->second;
    return m_names.emplace(node.number, m_lists.Name(node.number)).first->second;
}

std::vector<std::pair<Node, bool>> RepositoryReader::KeptLists() const {
    std::vector<std::pair<Node, bool>> lists;
    for (const auto& [number, kept] : m_out) lists.emplace_back(kept.node, true);
    for (const auto& [number, kept] : m_in) lists.emplace_back(kept.node, false);
    return lists;
}

}  // namespace workspace
