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

const std::vector<Link>& RepositoryReader::Outgoing(const Node& node) {
    std::string key = node.Key();
    if (auto it = m_out.find(key); it != m_out.end()) return it->second;
    std::vector<Link> links = Query(node, true);
    return m_out.emplace(std::move(key), std::move(links)).first->second;
}

const std::vector<Link>& RepositoryReader::Incoming(const Node& node) {
    std::string key = node.Key();
    if (auto it = m_in.find(key); it != m_in.end()) return it->second;
    std::vector<Link> links = Query(node, false);
    return m_in.emplace(std::move(key), std::move(links)).first->second;
}

std::vector<Link> RepositoryReader::ReadOutgoing(const Node& node) { return Query(node, true); }

std::string RepositoryReader::Name(const Node& node) { return m_store.Item(node.Key()).GetName(); }

std::string RepositoryReader::NameAttribute(const Node& node) {
    return m_store.Item(node.Key()).GetAttribute("Name");
}

}  // namespace workspace
