#include "bench/generator/SyntheticRepository.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <fstream>
#include <random>
#include <vector>

#include "platform/workbench/CodeModelBuilder.h"
#include "platform/workbench/RepositoryBuilder.h"

namespace bench::generator {

namespace fs = std::filesystem;
namespace wb = platform::workbench;

namespace {

constexpr int kAppSize = 50;
// Roles by position in an application of 50 programs.
enum class Role { Menu, Screen, Router, Sub, Batch };
Role RoleAt(int k) {
    if (k == 0) return Role::Menu;
    if (k <= 14) return Role::Screen;
    if (k <= 17) return Role::Router;
    if (k <= 39) return Role::Sub;
    return Role::Batch;
}

const char* const kRelationTypes[][3] = {
    {"ProgramHasEntry", "Has", "BelongsTo"},
    {"ProgramLinksEntry", "Links", "IsLinkedBy"},
    {"ProgramCallsEntry", "Calls", "IsCalledBy"},
    {"ProgramXctlsEntry", "Xctls", "IsXctledBy"},
    {"ProgramStartsTransaction", "Starts", "IsStartedBy"},
    {"ProgramStartsDecision", "StartsDecision", "IsStartedByProgram"},
    {"ProgramSendsMessage", "SendsMessage", "IsSentByProgram"},
    {"ProgramSendsMap", "Sends", "IsSentBy"},
    {"ProgramReadsTable", "ReadsTable", "IsReadBy"},
    {"ProgramUpdatesTable", "UpdatesTable", "IsUpdatedBy"},
    {"ProgramInsertsTable", "InsertsTable", "IsInsertedBy"},
    {"ProgramDeletesTable", "DeletesTable", "IsDeletedFromBy"},
    {"ProgramReadsDataStore", "Reads", "IsReadBy"},
    {"ProgramWritesDataStore", "Writes", "IsWrittenBy"},
    {"ProgramReadsDataPort", "ReadsDataPort", "IsReadThrough"},
    {"ProgramWritesDataPort", "WritesDataPort", "IsWrittenThrough"},
    {"ProgramReadsAdabasFile", "ReadsAdabasFile", "IsReadBy"},
    {"ProgramReadsSegment", "Reads", "IsReadBy"},
    {"ProgramObtainsRecord", "Obtains", "IsObtainedBy"},
    {"MapHasMessage", "HasMessage", "IsMessageOf"},
    {"MessageStartsTransaction", "StartsTransaction", "IsStartedFrom"},
    {"MessageLeadsToDecision", "LeadsToDecision", "IsReachedFrom"},
    {"DecisionLeadsTo", "LeadsTo", "IsReachedFrom"},
    {"TransactionStartsEntry", "StartsEntry", "IsStartedBy"},
    {"ConnectorServesPort", "Serves", "IsServedBy"},
    {"ConnectorMapsTo", "MapsTo", "IsMappedBy"},
    {"FolderContains", "Contains", "IsContainedIn"},
    {"IsDefinedInCobol", "IsDefinedInCobol", "Defines"},
    {"IsDefinedInNatural", "IsDefinedInNatural", "Defines"},
    {"IsDefinedInPLI", "IsDefinedInPLI", "Defines"},
};

void WriteFile(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
    if (!out) throw std::runtime_error("Cannot write " + file.string());
}

std::string Listing(const std::string& map, int fields, std::mt19937& rng) {
    std::string out = "80\t24\t" + map + "\t" + map + "S\r\n";
    for (int f = 0; f < fields; ++f) {
        bool input = f % 3 == 2;
        int row = 3 + f, col = input ? 20 : 2, length = input ? 8 + static_cast<int>(rng() % 20) : 16;
        std::string name = input ? "F" + std::to_string(f) : "_NONAME";
        std::string initial = input ? "" : "LABEL " + std::to_string(f);
        out += name + "\t" + std::to_string(f + 1) + "\t" + (input ? "0" : "3") + "\t0\t0\t\t0\t" + initial +
               "\t1\t0\t0\t" + std::to_string(length) + "\t\t0\t0\t\t\t0\t0\t0\t0\t" + std::to_string(col) + "\t" +
               std::to_string(row) + "\r\n";
    }
    return out;
}

std::string CobolSkeleton(const std::string& program, Role role) {
    std::string text = "       IDENTIFICATION DIVISION.\n       PROGRAM-ID. " + program + ".\n";
    text += "      * Generated program of a synthetic workspace.\n";
    text += "       DATA DIVISION.\n       WORKING-STORAGE SECTION.\n";
    text += "       01  WS-RESP                     PIC S9(8) COMP.\n";
    if (role != Role::Batch) text += "       LINKAGE SECTION.\n       01  DFHCOMMAREA                 PIC X(120).\n";
    text += "       PROCEDURE DIVISION.\n";
    text += role == Role::Batch ? "           STOP RUN.\n" : "           EXEC CICS RETURN END-EXEC.\n";
    return text;
}

// A COMMAREA with a group, packed and binary items, a FILLER and an 88
// level, and a screen input structure with a tested field.
void WriteModel(const fs::path& file, const std::string& key, const std::string& program) {
    wb::CodeModelBuilder m(file, key, program);
    std::string area = m.AddConstruct("DECL", "DFHCOMMAREA", "", 120 * 8);
    m.SetDeclaration(area, {false, "", 0, 0, 0});
    struct Item { const char* name; const char* sql; int length, digits, fraction; };
    const Item items[] = {{"CA-FUNCTION", "1", 4, 0, 0},   {"CA-KEY", "1", 8, 0, 0},
                          {"CA-AMOUNT", "3", 6, 11, 2},    {"CA-COUNT", "5", 2, 4, 0},
                          {"CA-RC", "4", 4, 8, 0},         {"CA-TEXT", "1", 76, 0, 0},
                          {"FILLER", "1", 20, 0, 0}};
    for (const Item& it : items) {
        std::string id = m.AddConstruct("DECL", it.name, area, it.length * 8);
        m.SetDeclaration(id, {true, it.sql, it.length, it.digits, it.fraction});
        if (std::string(it.name) == "CA-FUNCTION") m.AddConstruct("VALUE", "CA-FN-INQUIRY", id);
    }
    std::string input = m.AddConstruct("DECL", program.substr(0, 6) + "I", "", 40 * 8);
    m.SetDeclaration(input, {false, "", 0, 0, 0});
    std::string field = m.AddConstruct("DECL", "KEYI", input, 8 * 8);
    m.SetDeclaration(field, {true, "1", 8, 0, 0});
    std::string using_ = m.AddConstruct("PORT", "DFHCOMMAREA");
    m.SetValue(using_, "PORTTYPE", "USING");
    m.SetValue(using_, "DIRECT", "INOUT");
    m.Relate(m.AddConstruct("VAR", "DFHCOMMAREA", using_), "Declaration", area);
    std::string screen = m.AddConstruct("PORT", program.substr(0, 6));
    m.SetValue(screen, "PORTTYPE", "SCREEN");
    m.SetValue(screen, "DIRECT", "IN");
    std::string use = m.AddConstruct("USE", "RECEIVE MAP", screen);
    m.Relate(screen, "Use", use);
    m.Relate(use, "Declaration", input);
    std::string instance = m.AddConstruct("INSTANCE", "KEYI line 40");
    m.Relate(field, "Instances", instance);
    m.Relate(instance, "Conditions", m.AddConstruct("COND", "KEYI = SPACES"));
    int64_t all = m.AddDataList("VNL_0ALL", "All Declarations");
    m.AddListElement(all, area);
    m.AddListElement(all, input);
    int64_t linkage = m.AddDataList("VNL_LS", "Linkage Section");
    m.AddListElement(linkage, area);
    m.Finish();
}

}  // namespace

Summary GenerateRepository(const fs::path& folder, const Options& options) {
    auto start = std::chrono::steady_clock::now();
    if (options.programs < 1) throw std::runtime_error("A workspace needs at least one program.");
    Summary summary;
    fs::path workspaceFolder = folder / options.name;
    summary.workspaceFile = folder / (options.name + ".hxp");
    fs::remove_all(workspaceFolder);
    fs::create_directories(workspaceFolder);
    if (options.writeFiles) {
        for (const char* sub : {"cobol", "natural", "pli", "maps"}) fs::create_directories(workspaceFolder / sub);
    }
    if (options.modelEvery > 0) fs::create_directories(workspaceFolder / "Models");

    auto b = wb::RepositoryBuilder::CreateWorkspace(summary.workspaceFile, options.name + " Project");
    for (auto& t : kRelationTypes) b->DefineRelationType(t[0], t[1], t[2]);
    std::mt19937 rng(options.seed);
    auto pick = [&rng](size_t n) { return static_cast<size_t>(rng() % n); };

    int64_t folderOnline = b->AddEntity("FOLDER", options.name + " Project");
    int64_t folderBatch = b->AddEntity("FOLDER", options.name + " Batch");
    const int apps = (options.programs + kAppSize - 1) / kAppSize;
    int made = 0;
    for (int app = 0; app < apps && made < options.programs; ++app) {
        const std::string prefix = "A" + std::to_string(app);
        const int count = std::min(kAppSize, options.programs - made);

        // Screens, their messages, and the stores of the application.
        std::vector<int64_t> maps, sendMsgs, enterMsgs;
        const int screens = std::max(2, options.screensPerApp);
        for (int s = 0; s < screens; ++s) {
            std::string name = prefix + "M" + std::to_string(s);
            bool stub = s == screens - 1;   // one screen per application is known by name only
            wb::AttributeList attrs;
            if (!stub) {
                std::string listing = "maps/" + name + ".lst";
                attrs.emplace_back("Source", listing);
                if (options.writeFiles) WriteFile(workspaceFolder / listing, Listing(name, 6 + s % 5, rng));
            }
            int64_t map = b->AddEntity("MAP", name, attrs);
            int64_t send = b->AddEntity("SCRMSG", name + ".SEND");
            int64_t enter = b->AddEntity("SCRMSG", name + ".ENTER");
            b->Relate("MapHasMessage", map, send);
            b->Relate("MapHasMessage", map, enter);
            maps.push_back(map);
            sendMsgs.push_back(send);
            enterMsgs.push_back(enter);
            ++summary.screens;
        }
        std::vector<int64_t> tables, datastores;
        for (int t = 0; t < 6; ++t) tables.push_back(b->AddEntity("TABLE", prefix + ".TABLE" + std::to_string(t)));
        for (int d = 0; d < 3; ++d)
            datastores.push_back(b->AddEntity("DATASTORE", "PROD." + prefix + ".FILE" + std::to_string(d)));
        int64_t segment = b->AddEntity("HISEGMENT", prefix + "SEG");
        int64_t adabas = b->AddEntity("ADABASFILE", prefix + "-ADA");
        int64_t others[] = {b->AddEntity("NETRECORD", prefix + "-REC"), b->AddEntity("DATAAREA", prefix + "LDA"),
                            b->AddEntity("DMSIIDATASET", prefix + "-DMS")};
        summary.stores += 13;
        // Ports: one behind a connector with a store, one whose connector has none.
        int64_t port = b->AddEntity("DATAPORT", prefix + "PORT");
        int64_t connector = b->AddEntity("CONNECTOR", prefix + "PORT-FCT");
        b->Relate("ConnectorServesPort", connector, port);
        b->Relate("ConnectorMapsTo", connector, datastores[0]);
        int64_t barePort = b->AddEntity("DATAPORT", prefix + "NOTES");

        // Programs with their entries, sources and (now and then) models.
        std::vector<int64_t> programs, entries;
        for (int k = 0; k < count; ++k, ++made) {
            Role role = RoleAt(k);
            std::string name = prefix + "P" + std::to_string(k);
            const char* language = k % 17 == 16 ? "NATURAL" : k % 23 == 22 ? "PLI" : "COBOL";
            std::string ext = language[0] == 'N' ? ".nsp" : language[0] == 'P' ? ".pli" : ".cbl";
            std::string sub = language[0] == 'N' ? "natural/" : language[0] == 'P' ? "pli/" : "cobol/";
            int64_t program = b->AddEntity("PROGRAM", name, {{"Language", language}});
            int64_t entry = b->AddEntity("PROGRAMENTRY", name);
            wb::AttributeList srcAttrs{{"Source", sub + name + ext}};
            bool model = options.modelEvery > 0 && language[0] == 'C' && made % options.modelEvery == 0;
            if (model) srcAttrs.emplace_back("Vornic", "Models/" + name + ".ctb");
            int64_t source = b->AddEntity(language, name + ext, srcAttrs);
            b->SetAttribute(program, "Sid", b->Key(source));
            b->Relate(std::string("IsDefinedIn") + (language[0] == 'N' ? "Natural" : language[0] == 'P' ? "PLI" : "Cobol"),
                      program, source);
            b->Relate("ProgramHasEntry", program, entry);
            b->Relate("FolderContains", role == Role::Batch ? folderBatch : folderOnline, program);
            if (options.writeFiles) WriteFile(workspaceFolder / (sub + name + ext), CobolSkeleton(name, role));
            if (model) {
                WriteModel(workspaceFolder / "Models" / (name + ".mdb"), b->Key(source), name);
                ++summary.models;
            }
            programs.push_back(program);
            entries.push_back(entry);
        }
        summary.programs += count;

        // Transactions: each screen program's own, started by its map's ENTER.
        std::vector<int64_t> transactions(count, 0);
        for (int k = 0; k < count; ++k) {
            if (RoleAt(k) != Role::Screen && RoleAt(k) != Role::Menu) continue;
            transactions[k] = b->AddEntity("TRANSACTION", prefix + "T" + std::to_string(k));
            b->Relate("TransactionStartsEntry", transactions[k], entries[k]);
            b->Relate("MessageStartsTransaction", enterMsgs[k % enterMsgs.size()], transactions[k]);
        }
        int64_t emptyTransaction = b->AddEntity("TRANSACTION", prefix + "X");
        int64_t ownerless = b->AddEntity("PROGRAMENTRY", prefix + "EXT");
        auto sub = [&](int lo, int hi) { return entries[std::min<size_t>(lo + pick(hi - lo + 1), entries.size() - 1)]; };

        for (int k = 0; k < count; ++k) {
            int64_t p = programs[k];
            switch (RoleAt(k)) {
                case Role::Menu: {
                    b->Relate("ProgramSendsMessage", p, sendMsgs[0]);
                    if (count > 17) b->Relate("ProgramXctlsEntry", p, entries[15]);
                    if (count > 17) b->Relate("ProgramXctlsEntry", p, entries[16]);
                    // The menu's decision: message, transaction with and
                    // without rows, entry, table, data port, then more.
                    int64_t d = b->AddEntity("DECISION", prefix + "-MENU-OPTION");
                    b->Relate("ProgramStartsDecision", p, d);
                    b->Relate("DecisionLeadsTo", d, sendMsgs[0]);
                    if (count > 1 && transactions[1]) b->Relate("DecisionLeadsTo", d, transactions[1]);
                    b->Relate("DecisionLeadsTo", d, emptyTransaction);
                    b->Relate("DecisionLeadsTo", d, entries[std::min(2, count - 1)]);
                    b->Relate("DecisionLeadsTo", d, tables[5]);
                    b->Relate("DecisionLeadsTo", d, port);
                    b->Relate("DecisionLeadsTo", d, maps[1]);
                    break;
                }
                case Role::Screen: {
                    b->Relate("ProgramSendsMessage", p, sendMsgs[k % sendMsgs.size()]);
                    if (k % 4 == 0) b->Relate("ProgramSendsMap", p, maps.back());
                    for (int c = 0; c < 2 + k % 3; ++c) b->Relate("ProgramLinksEntry", p, sub(18, 39));
                    // Some screen programs only show data that others fetch for them.
                    if (k % 4 != 3)
                        for (int t = 0; t < 2; ++t) b->Relate("ProgramReadsTable", p, tables[pick(tables.size())]);
                    if (k % 5 == 0 && k < 14) b->Relate("ProgramLinksEntry", p, entries[k + 1]);
                    if (k % 3 == 0) b->Relate("ProgramReadsDataPort", p, port);
                    if (k % 5 == 0) b->Relate("ProgramXctlsEntry", p, entries[1 + (k % 14)]);
                    if (k % 7 == 0) b->Relate("ProgramStartsTransaction", p, transactions[0] ? transactions[0] : emptyTransaction);
                    if (k % 6 == 0) b->Relate("ProgramReadsAdabasFile", p, adabas);
                    break;
                }
                case Role::Router:
                    for (int c = 0; c < 2; ++c) b->Relate("ProgramXctlsEntry", p, sub(1, 14));
                    break;
                case Role::Sub: {
                    int kind = static_cast<int>(pick(4));
                    const char* rel[] = {"ProgramReadsTable", "ProgramUpdatesTable", "ProgramInsertsTable",
                                         "ProgramReadsTable"};
                    // A quarter of the subprograms are pure logic.
                    if (k % 4 != 3)
                        for (int c = 0; c < 1 + kind % 3; ++c)
                            b->Relate(rel[(kind + c) % 4], p, tables[pick(tables.size())]);
                    if (k < 36)
                        for (int c = 0; c < 2; ++c) b->Relate("ProgramLinksEntry", p, sub(k + 1, 39));
                    if (k % 9 == 0) b->Relate("ProgramReadsSegment", p, segment);
                    if (k % 8 == 0 && k % 4 != 3) b->Relate("ProgramWritesDataPort", p, port);
                    if (k % 11 == 0) b->Relate("ProgramCallsEntry", p, ownerless);
                    if (k % 10 == 0 && k % 4 != 3) b->Relate("ProgramWritesDataStore", p, datastores[1]);
                    if (k == 38) b->Relate("ProgramLinksEntry", p, entries[1]);   // a server that shows a screen
                    break;
                }
                case Role::Batch:
                    for (int t = 0; t < 2; ++t) b->Relate("ProgramReadsTable", p, tables[pick(tables.size())]);
                    b->Relate("ProgramDeletesTable", p, tables[pick(tables.size())]);
                    b->Relate("ProgramWritesDataStore", p, datastores[2]);
                    if (k % 3 == 0) b->Relate("ProgramCallsEntry", p, sub(18, 39));
                    if (k % 4 == 0) b->Relate("ProgramReadsDataPort", p, barePort);
                    if (k % 5 == 0) b->Relate("ProgramObtainsRecord", p, others[0]);
                    break;
            }
        }
    }
    summary.entities = b->EntityCount();
    summary.relations = b->RelationCount();
    b->Finish();
    summary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return summary;
}

}  // namespace bench::generator
