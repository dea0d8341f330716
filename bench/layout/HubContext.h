#pragma once
// A hub for the benchmarks: one program that n others call, none of which
// is called or converses with a screen, so that its flow context's client
// side holds all n callers in one column (a routine every program of a
// portfolio calls). Header only: the layout and window benches share it.

#include <string>

#include "platform/db/Database.h"

namespace bench::layout {

// Adds the hub and its callers to the workspace database (names start with
// prefix, which keeps them apart from the workspace's own); returns the
// hub's ID.
inline std::string AddHubProgram(platform::db::Database& db, int callers, const std::string& prefix = "HUB") {
    platform::db::Transaction transaction(db);
    auto ent = db.Prepare("INSERT INTO Ents (ID, EntName, EntNameFull, Name, BusName, Stub, SOAType) "
                          "VALUES (?1, 'PROGRAM', 'PROGRAM', ?2, ?2, 0, 0)");
    auto rel = db.Prepare("INSERT INTO Rels (Id1, Id2, EntName1, EntName2, RelName, RelNameFull) "
                          "VALUES (?1, ?2, 'PROGRAM', 'PROGRAM', 'Calls', 'Calls')");
    const std::string hub = "PROGRAM#" + prefix;
    ent.Run({hub, prefix});
    for (int i = 1; i <= callers; ++i) {
        std::string name = std::to_string(i);
        name = prefix + "C" + std::string(name.size() < 5 ? 5 - name.size() : 0, '0') + name;
        ent.Run({"PROGRAM#" + name, name});
        rel.Run({"PROGRAM#" + name, hub});
    }
    transaction.Commit();
    return hub;
}

}  // namespace bench::layout
