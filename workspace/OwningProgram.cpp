#include "workspace/OwningProgram.h"

#include "workspace/Text.h"

namespace workspace {

Node OwningProgram::GetOwningProgram(const Node& entity) {
    if (!entity.Is("PROGRAMENTRY")) return entity;
    if (auto it = m_owners.find(entity.number); it != m_owners.end()) return it->second;
    Node owner = entity;
    for (const Link& link : m_reader.Incoming(entity)) {
        if (SameText(link.RelName(), "BelongsTo")) {
            owner = link.other;
            break;
        }
    }
    m_owners.emplace(entity.number, owner);
    return owner;
}

}  // namespace workspace
