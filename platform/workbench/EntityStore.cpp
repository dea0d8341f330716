#include "platform/workbench/EntityStore.h"

#include <charconv>

#include "platform/workbench/RepositoryCore.h"
#include "platform/workbench/RepositoryQuery.h"
#include "platform/workbench/RepositorySchema.h"

namespace platform::workbench {

using detail::RepositoryCore;
using detail::SameText;

namespace {
RepositoryCore& Need(const std::shared_ptr<RepositoryCore>& core) {
    if (!core || !core->IsOpen()) throw WorkbenchError("The repository is closed.");
    return *core;
}
}  // namespace

bool SplitEntityKey(std::string_view key, std::string& type, int64_t& number) {
    auto hash = key.rfind('#');
    if (hash == std::string_view::npos || hash == 0 || hash + 1 >= key.size()) return false;
    std::string_view digits = key.substr(hash + 1);
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (ec != std::errc() || end != digits.data() + digits.size()) return false;
    type = std::string(key.substr(0, hash));
    return true;
}

RepositoryEntity::RepositoryEntity(std::shared_ptr<RepositoryCore> core, int64_t number, int64_t typeId, std::string name)
    : m_core(std::move(core)), m_number(number), m_typeId(typeId), m_name(std::move(name)) {}

std::string RepositoryEntity::GetId() const { return GetTypeName() + "#" + std::to_string(m_number); }

const std::string& RepositoryEntity::GetTypeName() const { return Need(m_core).TypeName(m_typeId); }

EntityType RepositoryEntity::GetType() const { return EntityType(GetTypeName()); }

std::string RepositoryEntity::GetAttribute(std::string_view name) const {
    RepositoryCore& core = Need(m_core);
    if (SameText(name, "Name")) return m_name;
    return core.Attribute(m_number, name).value_or(std::string());
}

EntityList RepositoryEntity::GetRelated(std::string_view relationName, std::string_view) const {
    RepositoryCore& core = Need(m_core);
    std::vector<EntityList::Item> items;
    for (auto& row : core.Outgoing(m_number)) {
        const auto& type = core.RelationTypeById(row.relTypeId);
        if (SameText(type.role0, relationName) || SameText(type.name, relationName))
            items.push_back({row.number, row.typeId, row.name});
    }
    for (auto& row : core.Incoming(m_number)) {
        const auto& type = core.RelationTypeById(row.relTypeId);
        if (SameText(type.role1, relationName)) items.push_back({row.number, row.typeId, row.name});
    }
    return EntityList(m_core, std::move(items));
}

EntityList::EntityList(std::shared_ptr<RepositoryCore> core, std::vector<Item> items)
    : m_core(std::move(core)), m_items(std::move(items)) {}

RepositoryEntity EntityList::Current() const {
    if (AtEnd()) throw WorkbenchError("The entity list is at its end.");
    const Item& item = m_items[m_pos];
    return RepositoryEntity(m_core, item.number, item.typeId, item.name);
}

RepositoryEntity EntityStore::Item(std::string_view key) const {
    RepositoryCore& core = Need(m_core);
    std::string type;
    int64_t number = 0;
    if (!SplitEntityKey(key, type, number))
        throw WorkbenchError("'" + std::string(key) + "' is not an entity key (<TYPE>#<number>).");
    int64_t typeId = 0;
    std::string name;
    if (!core.FindEntity(number, typeId, name) || !SameText(core.TypeName(typeId), type))
        throw WorkbenchError("The repository has no entity '" + std::string(key) + "'.");
    return RepositoryEntity(m_core, number, typeId, std::move(name));
}

bool EntityStore::EntityExists(std::string_view typeName, std::string_view name) const {
    RepositoryCore& core = Need(m_core);
    auto typeId = core.TypeId(typeName);
    if (!typeId) return false;
    return !core.EntitiesNamed(*typeId, name).empty();
}

EntityList EntityStore::GetEntities(std::string_view typeName, std::string_view, std::string_view) const {
    RepositoryCore& core = Need(m_core);
    std::vector<EntityList::Item> items;
    if (auto typeId = core.TypeId(typeName)) {
        for (auto& row : core.EntitiesOfType(*typeId)) items.push_back({row.number, row.typeId, std::move(row.name)});
    }
    return EntityList(m_core, std::move(items));
}

RepositoryQuery EntityStore::CreateQuery() const {
    Need(m_core);
    return RepositoryQuery(m_core);
}

RepositorySchema EntityStore::GetSchema() const {
    Need(m_core);
    return RepositorySchema(m_core);
}

}  // namespace platform::workbench
