#pragma once
// The workspace's programs and their relationships, read once from Ents and
// Rels. Ids compare without regard to letter case, as the database compares
// them, so every spelling of one id is one node.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "classify/Adjacency.h"

namespace platform::db { class Database; }

namespace classify {

struct GraphNode {
    std::string id;                   // the spelling first met
    bool hasEntsRow = false;          // Ents holds the id (else searches cannot see it)
    bool entsIsProgram = false;       // the first Ents row of the id is a program
    std::vector<int64_t> programRows; // SerialID of every program row of the id
    std::optional<int> storedCode;    // SOAType of the first Ents row before the run (empty: Null)
};

struct RelationshipGraph {
    std::vector<GraphNode> nodes;

    // Rows whose source is a program, by relationship name.
    std::vector<int> converseSources;  // one entry per row, repeats kept
    std::vector<int> accessSources;

    // Between two programs (both ends typed "PROGRAM").
    std::vector<Edge> programCalls;
    std::vector<Edge> programXctls;
    // "Calls" rows whose source is a program, whatever the target is.
    std::vector<Edge> callsFromPrograms;
    // Every "Calls" and every "Xctls" row, whatever the types of the ends.
    std::vector<Edge> allCalls;
    std::vector<Edge> allXctls;

    size_t NodeCount() const { return nodes.size(); }

    static RelationshipGraph Load(platform::db::Database& db);

    // The node of an id, added when new.
    int Intern(const std::string& id);

private:
    std::unordered_map<std::string, int> m_index;  // folded id -> node
};

// ASCII letters compared without case, as the database's NOCASE does.
bool EqualsNoCase(const std::string& a, const char* b);

}  // namespace classify
