#pragma once
// The repository's entities: the store that hands them out by key, their
// types, attributes and related entities, and the list cursor over them.
// Every object here is a light handle on the open repository; it raises
// WorkbenchError once the repository has been closed.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/workbench/WorkbenchError.h"

namespace platform::workbench {

namespace detail {
struct RepositoryCore;
}

class RepositoryQuery;
class RepositorySchema;

class EntityType {
public:
    EntityType() = default;
    explicit EntityType(std::string name) : m_name(std::move(name)) {}
    const std::string& GetName() const { return m_name; }
private:
    std::string m_name;
};

class EntityList;

class RepositoryEntity {
public:
    RepositoryEntity() = default;
    RepositoryEntity(std::shared_ptr<detail::RepositoryCore> core, int64_t number, int64_t typeId, std::string name);

    bool IsNull() const { return !m_core; }
    // "<TYPE>#<n>".
    std::string GetId() const;
    int64_t GetNumber() const { return m_number; }
    EntityType GetType() const;
    const std::string& GetTypeName() const;
    const std::string& GetName() const { return m_name; }
    // Any attribute by name (case ignored); "Name" is the entity's name.
    // An attribute the entity does not have reads as "".
    std::string GetAttribute(std::string_view name) const;
    // The entities at the other end of the relations whose role name, seen
    // from this entity, is relationName (case ignored): outgoing relations by
    // their side-0 name, incoming ones by their side-1 name; the relation
    // type's own name matches outgoing relations too. The filter is unused.
    EntityList GetRelated(std::string_view relationName, std::string_view filter = {}) const;

private:
    std::shared_ptr<detail::RepositoryCore> m_core;
    int64_t m_number = 0;
    int64_t m_typeId = 0;
    std::string m_name;
};

// A cursor positioned on its first entity.
class EntityList {
public:
    struct Item {
        int64_t number;
        int64_t typeId;
        std::string name;
    };
    EntityList() = default;
    EntityList(std::shared_ptr<detail::RepositoryCore> core, std::vector<Item> items);

    long Count() const { return static_cast<long>(m_items.size()); }
    bool AtEnd() const { return m_pos >= m_items.size(); }
    // Raises at the end.
    RepositoryEntity Current() const;
    void MoveNext() {
        if (m_pos < m_items.size()) ++m_pos;
    }

private:
    std::shared_ptr<detail::RepositoryCore> m_core;
    std::vector<Item> m_items;
    size_t m_pos = 0;
};

class EntityStore {
public:
    EntityStore() = default;
    explicit EntityStore(std::shared_ptr<detail::RepositoryCore> core) : m_core(std::move(core)) {}

    // The entity of a key "<TYPE>#<n>" (type compared without regard to
    // case). A key that names no entity raises WorkbenchError.
    RepositoryEntity Item(std::string_view key) const;
    // True when an entity of that type has that name (both without regard to case).
    bool EntityExists(std::string_view typeName, std::string_view name) const;
    // All entities of the type in the repository's order (by number); a type
    // the repository does not know gives an empty list. The filter and the
    // attribute name are accepted for the callers' sake and not needed here.
    EntityList GetEntities(std::string_view typeName, std::string_view filter = {},
                           std::string_view attribute = {}) const;
    RepositoryQuery CreateQuery() const;
    RepositorySchema GetSchema() const;

    bool IsNull() const { return !m_core; }
    const std::shared_ptr<detail::RepositoryCore>& Core() const { return m_core; }

private:
    std::shared_ptr<detail::RepositoryCore> m_core;
};

// Splits "<TYPE>#<n>"; false when the text has not that form.
bool SplitEntityKey(std::string_view key, std::string& type, int64_t& number);

}  // namespace platform::workbench
