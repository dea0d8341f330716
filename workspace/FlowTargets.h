#pragma once
// What a screen message leads to: the screens that relate to it, the programs
// that lead to it (directly or through a decision point), and the programs
// run by the transactions that the messages of its screens start. Relations
// are followed by entity type only; their names play no part.
//
// Repeats are kept, in the order the walk meets them; the recording step
// drops them. Results are kept per message and the transfer targets per
// screen for the whole build: a screen's messages all share its targets.

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "workspace/OwningProgram.h"
#include "workspace/RepositoryReader.h"

namespace workspace {

struct FlowTargets {
    std::vector<Node> screens;
    std::vector<Node> programs;
    std::vector<Node> transfers;
};

class FlowTargetCollector {
public:
    FlowTargetCollector(RepositoryReader& reader, OwningProgram& owners) : m_reader(reader), m_owners(owners) {}

    // The three lists of a message; an entity of another type gives three
    // empty lists.
    const FlowTargets& CollectFlowTargets(const Node& message);

private:
    const std::vector<Node>& ScreenTransfers(const Node& screen);

    RepositoryReader& m_reader;
    OwningProgram& m_owners;
    FlowTargets m_none;
    // By entity number.
    std::unordered_map<int64_t, FlowTargets> m_messages;
    std::unordered_map<int64_t, std::vector<Node>> m_screens;
};

}  // namespace workspace
