#pragma once
// Relation types and their two role names: side 0 is the name read from the
// relation's source (outgoing queries), side 1 the name read from its
// target (incoming queries).

#include <memory>
#include <string>
#include <string_view>

#include "platform/workbench/WorkbenchError.h"

namespace platform::workbench {

namespace detail {
struct RepositoryCore;
}

class RelationRole {
public:
    explicit RelationRole(std::string name) : m_name(std::move(name)) {}
    const std::string& GetName() const { return m_name; }
private:
    std::string m_name;
};

class RelationType {
public:
    RelationType(std::string name, std::string role0, std::string role1)
        : m_name(std::move(name)), m_role0(std::move(role0)), m_role1(std::move(role1)) {}
    const std::string& GetName() const { return m_name; }
    // Side 0 or 1; any other side raises.
    RelationRole GetRole(int side) const;
private:
    std::string m_name, m_role0, m_role1;
};

class RelationTypeList {
public:
    explicit RelationTypeList(std::shared_ptr<detail::RepositoryCore> core) : m_core(std::move(core)) {}
    // By the relation type's name, the value of a query row's "Rel" field
    // (case ignored). An unknown name raises.
    RelationType Item(std::string_view name) const;
    long Count() const;
private:
    std::shared_ptr<detail::RepositoryCore> m_core;
};

class RepositorySchema {
public:
    explicit RepositorySchema(std::shared_ptr<detail::RepositoryCore> core) : m_core(std::move(core)) {}
    RelationTypeList GetRelationTypes() const { return RelationTypeList(m_core); }
private:
    std::shared_ptr<detail::RepositoryCore> m_core;
};

}  // namespace platform::workbench
