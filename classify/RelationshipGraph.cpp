#include "classify/RelationshipGraph.h"

#include <cstring>

#include "common/AsciiCase.h"
#include "platform/db/Database.h"

namespace classify {

namespace {

std::string Fold(const std::string& s) { return common::AsciiFold(s); }

}  // namespace

bool EqualsNoCase(const std::string& a, const char* b) { return common::AsciiEqualNoCase(a, b); }

int RelationshipGraph::Intern(const std::string& id) {
    auto [it, added] = m_index.try_emplace(Fold(id), static_cast<int>(nodes.size()));
    if (added) nodes.emplace_back().id = id;
    return it->second;
}

RelationshipGraph RelationshipGraph::Load(platform::db::Database& db) {
    RelationshipGraph g;

    // Entities first: their first row (by SerialID) is the one a lookup by id finds.
    auto ents = db.Prepare("SELECT ID, EntName, SOAType, SerialID FROM Ents ORDER BY SerialID");
    while (ents.Step()) {
        platform::db::Value id = ents.Column(0);
        if (id.IsNull()) continue;
        bool isProgram = EqualsNoCase(ents.Text(1), "PROGRAM");
        GraphNode& node = g.nodes[g.Intern(id.AsText())];
        if (!node.hasEntsRow) {
            node.hasEntsRow = true;
            node.entsIsProgram = isProgram;
            platform::db::Value code = ents.Column(2);
            if (!code.IsNull()) node.storedCode = static_cast<int>(code.AsInt());
        }
        if (isProgram) node.programRows.push_back(ents.Int(3));
    }

    auto rels = db.Prepare("SELECT Id1, Id2, EntName1, EntName2, RelName FROM Rels");
    while (rels.Step()) {
        platform::db::Value id1 = rels.Column(0);
        if (id1.IsNull()) continue;  // a Null id equals nothing
        const std::string relName = rels.Text(4);
        const bool fromProgram = EqualsNoCase(rels.Text(2), "PROGRAM");
        const int a = g.Intern(id1.AsText());
        if (fromProgram && EqualsNoCase(relName, "converse")) {
            g.converseSources.push_back(a);
            continue;
        }
        if (fromProgram && EqualsNoCase(relName, "access")) {
            g.accessSources.push_back(a);
            continue;
        }
        const bool calls = EqualsNoCase(relName, "Calls");
        const bool xctls = !calls && EqualsNoCase(relName, "Xctls");
        if (!calls && !xctls) continue;
        platform::db::Value id2 = rels.Column(1);
        if (id2.IsNull()) continue;
        const Edge e{a, g.Intern(id2.AsText())};
        const bool betweenPrograms = fromProgram && EqualsNoCase(rels.Text(3), "PROGRAM");
        if (calls) {
            g.allCalls.push_back(e);
            if (fromProgram) g.callsFromPrograms.push_back(e);
            if (betweenPrograms) g.programCalls.push_back(e);
        } else {
            g.allXctls.push_back(e);
            if (betweenPrograms) g.programXctls.push_back(e);
        }
    }
    return g;
}

}  // namespace classify
