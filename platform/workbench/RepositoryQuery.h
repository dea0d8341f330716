#pragma once
// Relation queries. A query is a chain of nodes: an entity node (type,
// criterion "ID=<n>" or "Name=<text>", fields), a relation node (direction
// "*>" for relations going out, "*<" for relations coming in; filter
// "Type:<field>" for every relation, or "<relation type>:<field>" for one
// type, the relation type's name reported in <field>), then the entity node
// at the other end, and so on. Each result row holds the fields of the last
// entity node ("ID" = entity number, "Type", "Name", or any attribute name)
// and the relation fields of the relation nodes on its way. Rows come in a
// stable order: root entities by number, relations in the order they were
// recorded.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/Database.h"
#include "platform/workbench/WorkbenchError.h"

namespace platform::workbench {

namespace detail {
struct RepositoryCore;
struct QueryNodeData;
}  // namespace detail

class QueryNode {
public:
    QueryNode() = default;
    explicit QueryNode(std::shared_ptr<detail::QueryNodeData> data) : m_data(std::move(data)) {}
    bool IsNull() const { return !m_data; }
    const std::shared_ptr<detail::QueryNodeData>& Data() const { return m_data; }
private:
    std::shared_ptr<detail::QueryNodeData> m_data;
};

class QueryField {
public:
    explicit QueryField(db::Value value) : m_value(std::move(value)) {}
    const db::Value& Value() const { return m_value; }
private:
    db::Value m_value;
};

class QueryRow {
public:
    QueryRow(std::shared_ptr<const std::vector<std::string>> names, std::vector<db::Value> values)
        : m_names(std::move(names)), m_values(std::move(values)) {}
    // By name, case ignored; a field the query does not have raises.
    QueryField Field(std::string_view name) const;
    const std::vector<std::string>& FieldNames() const { return *m_names; }
private:
    std::shared_ptr<const std::vector<std::string>> m_names;
    std::vector<db::Value> m_values;
};

class RepositoryQuery {
public:
    explicit RepositoryQuery(std::shared_ptr<detail::RepositoryCore> core) : m_core(std::move(core)) {}

    void Clear();
    // status is set to 0. An empty type or criterion stands for "missing".
    QueryNode CreateNode(int& status, std::string_view typeName, std::string_view fieldList,
                         std::string_view criterion = {}, QueryNode subNode = {});
    QueryNode CreateRelationNode(std::string_view direction, std::string_view filter, QueryNode target);
    void SetRoot(QueryNode root);
    // Runs the query; a malformed query raises WorkbenchError.
    void Execute(std::string_view options = {});

    bool AtEnd() const { return m_pos >= m_rows.size(); }
    long Count() const { return static_cast<long>(m_rows.size()); }
    // Raises at the end.
    const QueryRow& Current() const;
    void MoveNext() {
        if (m_pos < m_rows.size()) ++m_pos;
    }

private:
    std::shared_ptr<detail::RepositoryCore> m_core;
    QueryNode m_root;
    std::vector<QueryRow> m_rows;
    size_t m_pos = 0;
};

}  // namespace platform::workbench
