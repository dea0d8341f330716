#include "workspace/RepositoryReader.h"

#include "platform/workbench/EntityStore.h"
#include "platform/workbench/RepositoryQuery.h"
#include "platform/workbench/RepositorySchema.h"
#include "workspace/Text.h"

namespace workspace {

namespace wb = platform::workbench;

std::string Node::Key() const { return *type + "#" + std::to_string(number); }

bool Node::Is(std::string_view typeName) const { return SameText(*type, typeName); }

RepositoryReader::RepositoryReader(wb::EntityStore& store) : m_store(store) {}

RepositoryReader::~RepositoryReader() = default;

const std::string* RepositoryReader::Intern(std::string_view text) {
    return &*m_strings.emplace(text).first;
}

Node RepositoryReader::NodeOf(wb::RepositoryEntity& entity) {
    return Node{Intern(entity.GetType().GetName()), entity.GetNumber()};
}

const std::string& RepositoryReader::RoleName(const std::string& rel, int side) {
    auto& roles = m_roles[side];
    if (auto it = roles.find(rel); it != roles.end()) return *it->second;
    const std::string name = m_store.GetSchema().GetRelationTypes().Item(rel).GetRole(side).GetName();
    const std::string* interned = Intern(name);
    roles.emplace(rel, interned);
    return *interned;
}

std::vector<Link> RepositoryReader::Query(const Node& node, bool outgoing) {
    ++m_queries;
    wb::RepositoryQuery query = m_store.CreateQuery();
    query.Clear();
    int status = 0;
    wb::QueryNode projection = query.CreateNode(status, {}, "ID,Type,Name");
    wb::QueryNode relation = query.CreateRelationNode(outgoing ? "*>" : "*<", "Type:Rel", projection);
    wb::QueryNode root =
        query.CreateNode(status, node.Type(), "", "ID=" + std::to_string(node.number), relation);
    query.SetRoot(root);
    query.Execute("");

    std::vector<Link> links;
    links.reserve(static_cast<size_t>(query.Count()));
    const int side = outgoing ? 0 : 1;
    for (; !query.AtEnd(); query.MoveNext()) {
        const wb::QueryRow& row = query.Current();
        Link link;
        link.other.type = Intern(row.Field("Type").Value().AsText());
        link.other.number = row.Field("ID").Value().AsInt();
        link.relName = &RoleName(row.Field("Rel").Value().AsText(), side);
        links.push_back(link);
    }
    return links;
}

const std::vector<Link>& RepositoryReader::Kept(ListsByKey& lists, const Node& node, bool outgoing) {
    std::string key = node.Key();
    if (auto it = lists.find(key); it != lists.end()) return it->second.links;
    std::vector<Link> links = Query(node, outgoing);
    return lists.emplace(std::move(key), KeptList{node, std::move(links)}).first->second.links;
}

const std::vector<Link>& RepositoryReader::Outgoing(const Node& node) { return Kept(m_out, node, true); }

const std::vector<Link>& RepositoryReader::Incoming(const Node& node) { return Kept(m_in, node, false); }

std::vector<std::pair<Node, bool>> RepositoryReader::KeptLists() const {
    std::vector<std::pair<Node, bool>> lists;
    for (const auto& [key, kept] : m_out) lists.emplace_back(kept.node, true);
    for (const auto& [key, kept] : m_in) lists.emplace_back(kept.node, false);
    return lists;
}

std::vector<Link> RepositoryReader::ReadOutgoing(const Node& node) { return Query(node, true); }

std::string RepositoryReader::Name(const Node& node) { return m_store.Item(node.Key()).GetName(); }

std::string RepositoryReader::NameAttribute(const Node& node) {
    return m_store.Item(node.Key()).GetAttribute("Name");
}

}  // namespace workspace
