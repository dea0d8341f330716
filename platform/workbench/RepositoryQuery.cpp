#include "platform/workbench/RepositoryQuery.h"

#include <charconv>

#include "platform/workbench/RepositoryCore.h"

namespace platform::workbench {

namespace detail {

struct QueryNodeData {
    bool relation = false;
    // Entity node.
    std::string typeName;
    std::vector<std::string> fields;
    bool hasIdCriterion = false;
    int64_t id = 0;
    bool hasNameCriterion = false;
    std::string name;
    // Relation node.
    bool outgoing = true;
    std::string relationType;   // empty: every type
    std::string relationField = "Rel";
    QueryNode sub;
};

}  // namespace detail

using detail::QueryNodeData;
using detail::RelationRow;
using detail::RepositoryCore;
using detail::SameText;

namespace {

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return std::string(s.substr(b, e - b));
}

std::vector<std::string> SplitFields(std::string_view list) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        std::string f = Trim(list.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (!f.empty()) out.push_back(f);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return out;
}

std::string Unquote(std::string s) {
    if (s.size() >= 2 && ((s.front() == '"' && s.back() == '"') || (s.front() == '\'' && s.back() == '\'')))
        return s.substr(1, s.size() - 2);
    return s;
}

void ParseCriterion(std::string_view text, QueryNodeData& node) {
    std::string criterion = Trim(text);
    if (criterion.empty()) return;
    auto eq = criterion.find('=');
    if (eq == std::string::npos) throw WorkbenchError("The criterion '" + criterion + "' is not of the form <field>=<value>.");
    std::string field = Trim(std::string_view(criterion).substr(0, eq));
    std::string value = Unquote(Trim(std::string_view(criterion).substr(eq + 1)));
    if (SameText(field, "ID")) {
        auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), node.id);
        if (ec != std::errc() || end != value.data() + value.size())
            throw WorkbenchError("The criterion '" + criterion + "' needs a whole number.");
        node.hasIdCriterion = true;
    } else if (SameText(field, "Name")) {
        node.name = value;
        node.hasNameCriterion = true;
    } else {
        throw WorkbenchError("The criterion '" + criterion + "' names a field the query cannot test.");
    }
}

struct Entity {
    int64_t number;
    int64_t typeId;
    std::string name;
};

class Runner {
public:
    Runner(RepositoryCore& core, std::vector<QueryRow>& rows) : m_core(core), m_rows(rows) {}

    void Run(const QueryNodeData& root) {
        CollectNames(root);
        m_names = std::make_shared<const std::vector<std::string>>(m_fieldNames);
        for (const Entity& e : Roots(root)) Visit(root, e);
    }

private:
    // The row layout: every relation node's field, then the last entity node's fields.
    void CollectNames(const QueryNodeData& node) {
        const QueryNodeData* n = &node;
        const QueryNodeData* lastEntity = &node;
        while (n) {
            if (n->relation) {
                m_fieldNames.push_back(n->relationField);
            } else {
                lastEntity = n;
            }
            const auto& next = n->sub.Data();
            if (next && !n->relation && !next->relation)
                throw WorkbenchError("An entity node can only lead to a relation node.");
            if (next && n->relation && next->relation)
                throw WorkbenchError("A relation node must lead to an entity node.");
            if (!next && n->relation) throw WorkbenchError("A relation node needs the entity node at its other end.");
            n = next.get();
        }
        for (auto& f : lastEntity->fields) m_fieldNames.push_back(f);
    }

    std::vector<Entity> Roots(const QueryNodeData& root) {
        std::vector<Entity> out;
        std::optional<int64_t> typeId;
        if (!root.typeName.empty()) {
            typeId = m_core.TypeId(root.typeName);
            if (!typeId) return out;
        }
        if (root.hasIdCriterion) {
            int64_t t = 0;
            std::string name;
            if (m_core.FindEntity(root.id, t, name) && (!typeId || *typeId == t) &&
                (!root.hasNameCriterion || SameText(name, root.name)))
                out.push_back({root.id, t, name});
            return out;
        }
        if (!typeId) throw WorkbenchError("A query's root node needs an entity type or an ID criterion.");
        auto rows = root.hasNameCriterion ? m_core.EntitiesNamed(*typeId, root.name) : m_core.EntitiesOfType(*typeId);
        for (auto& r : rows) out.push_back({r.number, r.typeId, std::move(r.name)});
        return out;
    }

    bool Matches(const QueryNodeData& node, const Entity& e) {
        if (!node.typeName.empty() && !SameText(m_core.TypeName(e.typeId), node.typeName)) return false;
        if (node.hasIdCriterion && e.number != node.id) return false;
        if (node.hasNameCriterion && !SameText(e.name, node.name)) return false;
        return true;
    }

    void Visit(const QueryNodeData& node, const Entity& e) {
        const auto& next = node.sub.Data();
        if (!next) {
            EmitRow(node, e);
            return;
        }
        const QueryNodeData& rel = *next;
        const QueryNodeData& target = *rel.sub.Data();
        std::vector<RelationRow> related = rel.outgoing ? m_core.Outgoing(e.number) : m_core.Incoming(e.number);
        for (auto& r : related) {
            const auto& relType = m_core.RelationTypeById(r.relTypeId);
            if (!rel.relationType.empty() && !SameText(relType.name, rel.relationType)) continue;
            Entity other{r.number, r.typeId, std::move(r.name)};
            if (!Matches(target, other)) continue;
            m_path.emplace_back(relType.name);
            Visit(target, other);
            m_path.pop_back();
        }
    }

    void EmitRow(const QueryNodeData& node, const Entity& e) {
        std::vector<db::Value> values;
        values.reserve(m_fieldNames.size());
        for (auto& relName : m_path) values.emplace_back(relName);
        for (auto& f : node.fields) {
            if (SameText(f, "ID"))
                values.emplace_back(e.number);
            else if (SameText(f, "Type"))
                values.emplace_back(m_core.TypeName(e.typeId));
            else if (SameText(f, "Name"))
                values.emplace_back(e.name);
            else
                values.emplace_back(m_core.Attribute(e.number, f).value_or(std::string()));
        }
        m_rows.emplace_back(m_names, std::move(values));
    }

    RepositoryCore& m_core;
    std::vector<QueryRow>& m_rows;
    std::vector<std::string> m_fieldNames;
    std::shared_ptr<const std::vector<std::string>> m_names;
    std::vector<std::string> m_path;
};

}  // namespace

QueryField QueryRow::Field(std::string_view name) const {
    // The relation field comes first, so a projection field of the same name
    // wins by being found last.
    for (size_t i = m_names->size(); i-- > 0;)
        if (SameText((*m_names)[i], name)) return QueryField(m_values[i]);
    throw WorkbenchError("The query row has no field '" + std::string(name) + "'.");
}

void RepositoryQuery::Clear() {
    m_root = QueryNode();
    m_rows.clear();
    m_pos = 0;
}

QueryNode RepositoryQuery::CreateNode(int& status, std::string_view typeName, std::string_view fieldList,
                                      std::string_view criterion, QueryNode subNode) {
    auto node = std::make_shared<QueryNodeData>();
    node->typeName = Trim(typeName);
    node->fields = SplitFields(fieldList);
    ParseCriterion(criterion, *node);
    node->sub = std::move(subNode);
    status = 0;
    return QueryNode(node);
}

QueryNode RepositoryQuery::CreateRelationNode(std::string_view direction, std::string_view filter, QueryNode target) {
    auto node = std::make_shared<QueryNodeData>();
    node->relation = true;
    std::string dir = Trim(direction);
    if (dir == "*>")
        node->outgoing = true;
    else if (dir == "*<")
        node->outgoing = false;
    else
        throw WorkbenchError("The relation direction '" + dir + "' is neither \"*>\" nor \"*<\".");
    std::string f = Trim(filter);
    auto colon = f.find(':');
    std::string what = Trim(std::string_view(f).substr(0, colon));
    if (colon != std::string::npos) {
        std::string field = Trim(std::string_view(f).substr(colon + 1));
        if (!field.empty()) node->relationField = field;
    }
    if (!what.empty() && !SameText(what, "Type")) node->relationType = what;
    if (target.IsNull()) throw WorkbenchError("A relation node needs the entity node at its other end.");
    node->sub = std::move(target);
    return QueryNode(node);
}

void RepositoryQuery::SetRoot(QueryNode root) { m_root = std::move(root); }

void RepositoryQuery::Execute(std::string_view) {
    if (!m_core || !m_core->IsOpen()) throw WorkbenchError("The repository is closed.");
    if (m_root.IsNull()) throw WorkbenchError("The query has no root node.");
    if (m_root.Data()->relation) throw WorkbenchError("A query's root must be an entity node.");
    m_rows.clear();
    m_pos = 0;
    Runner(*m_core, m_rows).Run(*m_root.Data());
}

const QueryRow& RepositoryQuery::Current() const {
    if (AtEnd()) throw WorkbenchError("The query is at its end.");
    return m_rows[m_pos];
}

}  // namespace platform::workbench
