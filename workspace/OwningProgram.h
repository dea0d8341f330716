#pragma once
// The program that owns a program entry: the entity at the other end of the
// entry's first incoming relation whose role name is "BelongsTo". Any other
// entity, and an entry without owner, is its own answer. Answers are kept for
// the whole build, since many programs reach the same entries.

#include <cstdint>
#include <unordered_map>

#include "workspace/RepositoryReader.h"

namespace workspace {

class OwningProgram {
public:
    explicit OwningProgram(RepositoryReader& reader) : m_reader(reader) {}
    Node GetOwningProgram(const Node& entity);

private:
    RepositoryReader& m_reader;
    std::unordered_map<int64_t, Node> m_owners;   // by entry number
};

}  // namespace workspace
