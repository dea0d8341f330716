#include "workspace/ProgramRelationships.h"

#include <array>

#include "platform/workbench/EntityStore.h"
#include "workspace/Text.h"

namespace workspace {

ProgramRelationships::ProgramRelationships(RepositoryReader& reader, RelationshipRecorder& recorder)
    : m_reader(reader), m_recorder(recorder), m_owners(reader), m_flows(reader, m_owners) {}

const EntRef& ProgramRelationships::Target(const Node& to) {
    if (auto it = m_targets.find(to.number); it != m_targets.end()) return it->second;
    // An entry that no program owns stands for a program the repository
    // knows only by name: its stub program takes its place.
    EntRef ref =
        to.Is("PROGRAMENTRY") ? m_recorder.StubProgram(m_reader.NameAttribute(to)) : EntRef{to.Key(), to.Type()};
    return m_targets.emplace(to.number, std::move(ref)).first->second;
}

void ProgramRelationships::Record(const Walk& w, const Node& to, const std::string& name) {
    m_recorder.AddRelIfNew(w.from, Target(to), name);
}

void ProgramRelationships::MessageSends(const Walk& w, const Node& message) {
    const FlowTargets& flow = m_flows.CollectFlowTargets(message);
    for (const Node& screen : flow.screens) Record(w, screen, "Sends");
    for (const Node& target : flow.transfers) Record(w, target, "Xctls");
}

void ProgramRelationships::TransactionTarget(const Walk& w, const Node& transaction, const std::string& name) {
    // A transaction runs one program: only its first relation counts.
    const auto& links = m_reader.Outgoing(transaction);
    if (links.empty()) return;
    Record(w, m_owners.GetOwningProgram(links.front().other), name);
}

void ProgramRelationships::DecisionTargets(const Walk& w, const Node& decision, const std::string& name) {
    for (const Link& link : m_reader.Outgoing(decision)) {
        const Node& d = link.other;
        if (d.Is("SCRMSG")) {
            MessageSends(w, d);
        } else if (d.Is("TRANSACTION")) {
            TransactionTarget(w, d, name);
        } else if (d.Is("PROGRAMENTRY")) {
            Record(w, m_owners.GetOwningProgram(d), name);
        } else if (d.Is("DATAPORT")) {
            // The decision's other targets are still followed, so the rows
            // do not depend on where the port sits among them.
            DataPortStores(w, d, name);
        } else {
            Record(w, d, name);
        }
    }
}

void ProgramRelationships::DataPortStores(const Walk& w, const Node& port, const std::string& name) {
    bool storeFound = false;
    for (const Link& c : m_reader.Incoming(port)) {
        if (!c.other.Is("CONNECTOR")) continue;
        for (const Link& s : m_reader.Outgoing(c.other)) {
            if (!s.other.Is("DATASTORE")) continue;
            Record(w, s.other, name);
            storeFound = true;
        }
    }
    if (storeFound) return;
    // No store behind the port: link to the store of the port's name, made
    // up as a dummy store the first time. Each visit appends a row.
    const EntRef store = m_recorder.StoreByName(m_reader.Name(port));
    m_recorder.AddRel(w.from, store.id, store.type, name);
}

void ProgramRelationships::ScreensStarting(const Walk& w, const Node& entry) {
    for (const Link& t : m_reader.Incoming(entry)) {
        if (!t.other.Is("TRANSACTION")) continue;
        for (const Link& s : m_reader.Incoming(t.other)) {
            if (s.other.Is("DECISION")) {
                for (const Link& m : m_reader.Incoming(s.other)) {
                    if (!m.other.Is("SCRMSG")) continue;
                    for (const Node& screen : m_flows.CollectFlowTargets(m.other).screens) Record(w, screen, "Receives");
                }
            } else if (s.other.Is("SCRMSG")) {
                for (const Node& screen : m_flows.CollectFlowTargets(s.other).screens) Record(w, screen, "Receives");
            }
        }
    }
}

void ProgramRelationships::CollectRelationships(platform::workbench::RepositoryEntity& program) {
    const Node self = m_reader.NodeOf(program);
    const Walk w{EntRef{program.GetId(), self.Type()}};
    // Both passes read the same list of the program's own relations.
    const std::vector<Link> links = m_reader.ReadOutgoing(self);

    static constexpr std::array<std::string_view, 5> kDirect{"ADABASFILE", "TABLE", "DATASTORE", "MAP", "HISEGMENT"};
    for (const Link& link : links) {
        const std::string& name = link.RelName();
        if (SameText(name, "Has")) continue;
        const Node& t = link.other;
        if (t.Is("PROGRAMENTRY")) {
            Record(w, m_owners.GetOwningProgram(t), name);
        } else if (t.Is("DECISION")) {
            DecisionTargets(w, t, name);
        } else if (t.Is("TRANSACTION")) {
            TransactionTarget(w, t, name);
        } else if (t.Is("DATAPORT")) {
            DataPortStores(w, t, name);
        } else if (t.Is("SCRMSG")) {
            MessageSends(w, t);
        } else {
            for (std::string_view type : kDirect) {
                if (t.Is(type)) {
                    Record(w, t, name);
                    break;
                }
            }
        }
    }

    // The screens whose input starts one of the program's entries.
    for (const Link& link : links)
        if (SameText(link.RelName(), "Has") && link.other.Is("PROGRAMENTRY")) ScreensStarting(w, link.other);
}

}  // namespace workspace
