#include "platform/workbench/RepositorySchema.h"

#include "platform/workbench/RepositoryCore.h"

namespace platform::workbench {

RelationRole RelationType::GetRole(int side) const {
    if (side == 0) return RelationRole(m_role0);
    if (side == 1) return RelationRole(m_role1);
    throw WorkbenchError("A relation has sides 0 and 1, not " + std::to_string(side) + ".");
}

RelationType RelationTypeList::Item(std::string_view name) const {
    if (!m_core || !m_core->IsOpen()) throw WorkbenchError("The repository is closed.");
    const auto* info = m_core->RelationTypeByName(name);
    if (!info) throw WorkbenchError("The repository has no relation type '" + std::string(name) + "'.");
    return RelationType(info->name, info->role0, info->role1);
}

long RelationTypeList::Count() const {
    if (!m_core || !m_core->IsOpen()) throw WorkbenchError("The repository is closed.");
    return static_cast<long>(m_core->relationTypeIds.size());
}

}  // namespace platform::workbench
