#include "workspace/OwningProgram.h"

#include "workspace/Text.h"

namespace workspace {

Node OwningProgram::GetOwningProgram(const Node& entity) {
    if (!entity.Is("PROGRAMENTRY")) return entity;
    std::string key = entity.Key();
    if (auto it = m_owners.find(key); it != m_owners.end()) return it->second;
    Node owner = entity;
    for (const Link& link : m_reader.Incoming(entity)) {
        if (SameText(link.RelName(), "BelongsTo")) {
            owner = link.other;
            break;
        }
    }
    m_owners.emplace(std::move(key), owner);
    return owner;
}

}  // namespace workspace
