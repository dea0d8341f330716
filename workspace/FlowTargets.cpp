#include "workspace/FlowTargets.h"

namespace workspace {

const std::vector<Node>& FlowTargetCollector::ScreenTransfers(const Node& screen) {
    if (auto it = m_screens.find(screen.number); it != m_screens.end()) return it->second;

    std::vector<Node> targets;
    auto addEntries = [&](const Node& transaction) {
        for (const Link& e : m_reader.Outgoing(transaction))
            if (e.other.Is("PROGRAMENTRY")) targets.push_back(m_owners.GetOwningProgram(e.other));
    };
    // Every message of the screen (the one asked about included), then what
    // each starts: a transaction directly or one level behind a decision.
    for (const Link& s : m_reader.Outgoing(screen)) {
        if (!s.other.Is("SCRMSG")) continue;
        for (const Link& x : m_reader.Outgoing(s.other)) {
            if (x.other.Is("DECISION")) {
                for (const Link& t : m_reader.Outgoing(x.other))
                    if (t.other.Is("TRANSACTION")) addEntries(t.other);
            } else if (x.other.Is("TRANSACTION")) {
                addEntries(x.other);
            }
        }
    }
    return m_screens.emplace(screen.number, std::move(targets)).first->second;
}

const FlowTargets& FlowTargetCollector::CollectFlowTargets(const Node& message) {
    if (!message.Is("SCRMSG")) return m_none;
    if (auto it = m_messages.find(message.number); it != m_messages.end()) return it->second;

    FlowTargets found;
    // Transfer targets come only through the message's screens.
    for (const Link& m : m_reader.Incoming(message)) {
        if (!m.other.Is("MAP")) continue;
        const auto& targets = ScreenTransfers(m.other);
        found.transfers.insert(found.transfers.end(), targets.begin(), targets.end());
    }
    for (const Link& x : m_reader.Incoming(message)) {
        if (x.other.Is("PROGRAM")) {
            found.programs.push_back(x.other);
        } else if (x.other.Is("MAP")) {
            found.screens.push_back(x.other);
        } else if (x.other.Is("DECISION")) {
            for (const Link& p : m_reader.Incoming(x.other))
                if (p.other.Is("PROGRAM")) found.programs.push_back(p.other);
        }
    }
    return m_messages.emplace(message.number, std::move(found)).first->second;
}

}  // namespace workspace
