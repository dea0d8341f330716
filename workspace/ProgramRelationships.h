#pragma once
// Flattens the repository's chains of small objects (program entries,
// decision points, screen messages, transactions, data ports, connectors)
// into one Rels row per program-level relationship: screens a program sends
// and screens whose input starts it, programs it hands control to, stores
// behind its data ports, and the stores and screens it names directly.
//
// Every row starts at the program. Rows derived from screens are named
// "Sends", "Receives" or "Xctls"; every other row carries the name of the
// program's own relation at the start of the chain, however deep the chain.

#include <cstdint>
#include <unordered_map>

#include "workspace/FlowTargets.h"
#include "workspace/OwningProgram.h"
#include "workspace/RelationshipRecorder.h"
#include "workspace/RepositoryReader.h"

namespace workspace {

class ProgramRelationships {
public:
    ProgramRelationships(RepositoryReader& reader, RelationshipRecorder& recorder);

    // Records the relationships of one program entity.
    void CollectRelationships(platform::workbench::RepositoryEntity& program);

    OwningProgram& Owners() { return m_owners; }
    FlowTargetCollector& Flows() { return m_flows; }

private:
    // State of one program's walk.
    struct Walk {
        EntRef from;
    };
    void Record(const Walk& w, const Node& to, const std::string& name);
    // The Rels end of a target: its key and type, or for a program entry
    // (one without owner) its stub program. Kept by entity number.
    const EntRef& Target(const Node& to);
    void MessageSends(const Walk& w, const Node& message);
    void TransactionTarget(const Walk& w, const Node& transaction, const std::string& name);
    void DecisionTargets(const Walk& w, const Node& decision, const std::string& name);
    void DataPortStores(const Walk& w, const Node& port, const std::string& name);
    void ScreensStarting(const Walk& w, const Node& entry);

    RepositoryReader& m_reader;
    RelationshipRecorder& m_recorder;
    OwningProgram m_owners;
    FlowTargetCollector m_flows;
    std::unordered_map<int64_t, EntRef> m_targets;
};

}  // namespace workspace
