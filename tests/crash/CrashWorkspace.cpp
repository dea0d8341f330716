#include "tests/crash/CrashSteps.h"

#include <algorithm>

#include "platform/workbench/RepositoryBuilder.h"

namespace fs = std::filesystem;

namespace crashtest {

void MakeWorkspace(const fs::path& workspaceFile, int programs) {
    auto b = platform::workbench::RepositoryBuilder::CreateWorkspace(workspaceFile, "Crash");
    b->AddEntity("FOLDER", "Crash");
    b->DefineRelationType("RelHas", "Has", "BelongsTo");
    b->DefineRelationType("RelCalls", "Calls", "CalledBy");
    b->DefineRelationType("RelReads", "Reads", "ReadBy");
    b->DefineRelationType("RelConverse", "Converse", "ConversedBy");
    std::vector<int64_t> maps, tables, progs, entries;
    for (int i = 0; i < 60; ++i)
        maps.push_back(b->AddEntity("MAP", "MAP" + std::to_string(i), {{"Source", i % 7 ? "m.bms" : ""}}));
    for (int i = 0; i < 40; ++i) tables.push_back(b->AddEntity("TABLE", "TAB" + std::to_string(i)));
    for (int i = 0; i < programs; ++i) {
        const std::string name = "PROG" + std::to_string(i);
        progs.push_back(b->AddEntity("PROGRAM", name, {{"Language", "COBOL"}}));
        entries.push_back(b->AddEntity("PROGRAMENTRY", name));
        b->Relate("RelHas", progs.back(), entries.back());
    }
    for (int i = 0; i < programs; ++i) {
        // Every third program calls one further on; a few call an entry
        // nobody owns (a stub program).
        if (i % 3 == 0) b->Relate("RelCalls", progs[i], entries[(i * 7 + 1) % programs]);
        if (i % 97 == 0) b->Relate("RelCalls", progs[i], b->AddEntity("PROGRAMENTRY", "EXT" + std::to_string(i)));
        if (i % 2 == 0) b->Relate("RelReads", progs[i], tables[i % tables.size()]);
        if (i % 5 == 0) b->Relate("RelConverse", progs[i], maps[i % maps.size()]);
    }
    b->Finish();
}

std::vector<std::string> BuildContent(platform::db::Database& db) {
    std::vector<std::string> rows;
    auto ents = db.Prepare(
        "SELECT ID, EntName, EntNameFull, Name, BusName, Stub, SOAType, AccessScreen, Xctls, Xctled, CallsData, "
        "CallsDataIndirect, Called, OnTop FROM Ents ORDER BY ID");
    while (ents.Step()) {
        std::string row = "E";
        for (int c = 0; c < ents.ColumnCount(); ++c) row += " | " + ents.Text(c);
        rows.push_back(row);
    }
    auto rels = db.Prepare("SELECT Id1, Id2, EntName1, EntName2, RelName, RelNameFull FROM Rels");
    std::vector<std::string> relRows;
    while (rels.Step()) {
        std::string row = "R";
        for (int c = 0; c < rels.ColumnCount(); ++c) row += " | " + rels.Text(c);
        relRows.push_back(row);
    }
    std::sort(relRows.begin(), relRows.end());
    rows.insert(rows.end(), relRows.begin(), relRows.end());
    return rows;
}

std::vector<std::string> LeftoverCopies(const fs::path& workspaceFolder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(workspaceFolder))
        if (e.path().filename().string().find(".copy-") != std::string::npos)
            names.push_back(e.path().filename().string());
    return names;
}

}  // namespace crashtest
