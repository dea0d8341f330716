#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

#include "platform/workbench/CodeModel.h"
#include "platform/workbench/RepositoryQuery.h"
#include "platform/workbench/RepositorySchema.h"
#include "platform/workbench/RepositoryValues.h"
#include "platform/workbench/WorkbenchSession.h"
#include "platform/workbench/WorkspaceFile.h"
#include "tests/support/TestSupport.h"

using namespace platform::workbench;
namespace fs = std::filesystem;

namespace {

// The OrderEntry sample as the build generates it, copied to a fresh folder.
class SampleWorkspace : public ::testing::Test {
protected:
    void SetUp() override {
        fs::path built = testsupport::AppDir().parent_path() / "samples";
        ASSERT_TRUE(fs::exists(built / "OrderEntry.hxp")) << built;
        fs::copy(built / "OrderEntry", dir.Path() / "OrderEntry", fs::copy_options::recursive);
        fs::copy_file(built / "OrderEntry.hxp", dir.Path() / "OrderEntry.hxp");
        session.SetBinFolder(dir.Path() / "Bin");
        auto [a, b] = FileNameUtility::GetRepositoryValues((dir.Path() / "OrderEntry.hxp").string());
        ASSERT_TRUE(session.OpenRepository(a, b)) << session.LastError();
        store = session.GetEntityStore();
        for (EntityList all = store.GetEntities("PROGRAM"); !all.AtEnd(); all.MoveNext())
            programs[all.Current().GetName()] = all.Current();
    }

    struct Link {
        RepositoryEntity other;
        std::string role;
    };

    // The relation query of the import: one row per relation, role name of the side asked.
    std::vector<Link> Related(const RepositoryEntity& e, bool outgoing) {
        RepositoryQuery q = store.CreateQuery();
        q.Clear();
        int status = 0;
        QueryNode projection = q.CreateNode(status, "", "ID,Type,Name");
        QueryNode rel = q.CreateRelationNode(outgoing ? "*>" : "*<", "Type:Rel", projection);
        q.SetRoot(q.CreateNode(status, e.GetType().GetName(), "", "ID=" + std::to_string(e.GetNumber()), rel));
        q.Execute("");
        std::vector<Link> out;
        auto types = store.GetSchema().GetRelationTypes();
        for (; !q.AtEnd(); q.MoveNext()) {
            const QueryRow& row = q.Current();
            RepositoryEntity other = store.Item(row.Field("Type").Value().AsText() + "#" +
                                                std::to_string(row.Field("ID").Value().AsInt()));
            out.push_back({other, types.Item(row.Field("Rel").Value().AsText()).GetRole(outgoing ? 0 : 1).GetName()});
        }
        return out;
    }
    std::vector<Link> Out(const RepositoryEntity& e) { return Related(e, true); }
    std::vector<Link> In(const RepositoryEntity& e) { return Related(e, false); }

    std::vector<RepositoryEntity> All(const std::string& type) {
        std::vector<RepositoryEntity> out;
        for (EntityList l = store.GetEntities(type); !l.AtEnd(); l.MoveNext()) out.push_back(l.Current());
        return out;
    }
    RepositoryEntity Named(const std::string& type, const std::string& name) {
        for (auto& e : All(type))
            if (e.GetName() == name) return e;
        ADD_FAILURE() << "no " << type << " named " << name;
        return {};
    }
    static std::vector<std::string> Types(const std::vector<Link>& links) {
        std::vector<std::string> out;
        for (auto& l : links) out.push_back(l.other.GetType().GetName());
        return out;
    }
    fs::path Folder() const { return session.GetWorkspaceFolder(); }

    testsupport::TempDir dir;
    WorkbenchSession session;
    EntityStore store;
    std::map<std::string, RepositoryEntity> programs;
};

}  // namespace

TEST_F(SampleWorkspace, HoldsEveryEntityTypeAndTheProjectFolder) {
    WorkspaceFileReader reader;
    reader.Load(dir.Path() / "OrderEntry.hxp");
    std::string folder = reader.GetElement("Project").GetList("Folder").GetText();
    EXPECT_TRUE(store.EntityExists("FOLDER", folder));
    EXPECT_TRUE(session.SelectFolder(folder));

    EXPECT_GE(programs.size(), 20u);
    std::map<std::string, int> languages;
    for (auto& [name, p] : programs) languages[p.GetAttribute("Language")]++;
    EXPECT_GE(languages["COBOL"], 15);
    EXPECT_GE(languages["NATURAL"], 1);
    EXPECT_GE(languages["PLI"], 1);
    for (const char* type : {"PROGRAMENTRY", "TRANSACTION", "SCRMSG", "DECISION", "DATAPORT", "CONNECTOR", "FOLDER"})
        EXPECT_GT(store.GetEntities(type).Count(), 0) << type;

    int stores = 0, storeTypes = 0;
    for (const char* type : {"TABLE", "HISEGMENT", "ADABASFILE", "NETRECORD", "DATAAREA", "DMSIIDATASET", "DATASTORE"}) {
        long n = store.GetEntities(type).Count();
        stores += n;
        storeTypes += n > 0;
    }
    EXPECT_GE(stores, 6);
    EXPECT_EQ(storeTypes, 7);

    // Long names beside each other, and names holding both kinds of quote.
    bool longStore = false, longTable = false, apostrophe = false, doubleQuote = false;
    for (auto& e : All("DATASTORE")) longStore |= e.GetName().size() == 300;
    for (auto& e : All("TABLE")) longTable |= e.GetName().size() > 255;
    for (const char* type : {"TABLE", "DATASTORE", "DATAPORT"})
        for (auto& e : All(type)) {
            apostrophe |= e.GetName().find('\'') != std::string::npos;
            doubleQuote |= e.GetName().find('"') != std::string::npos;
        }
    EXPECT_TRUE(longStore);
    EXPECT_TRUE(longTable);
    EXPECT_TRUE(apostrophe);
    EXPECT_TRUE(doubleQuote);
}

TEST_F(SampleWorkspace, ScreensHaveFieldListingsAndOneIsAStub) {
    int withListing = 0, stubs = 0;
    for (auto& map : All("MAP")) {
        std::string source = map.GetAttribute("Source");
        if (source.empty()) {
            ++stubs;
            continue;
        }
        std::ifstream in(Folder() / source);
        ASSERT_TRUE(in) << source;
        std::string header, line;
        std::getline(in, header);
        EXPECT_GT(std::stoi(header.substr(0, header.find('\t'))), 0) << source;
        int fields = 0;
        while (std::getline(in, line)) {
            EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 22) << source << ": " << line;
            ++fields;
        }
        EXPECT_GT(fields, 3) << source;
        ++withListing;
    }
    EXPECT_GE(withListing, 10);
    EXPECT_EQ(stubs, 1);
}

TEST_F(SampleWorkspace, ProgramsLeadToTheirSourcesAndModels) {
    const std::map<std::string, std::string> relation = {
        {"COBOL", "IsDefinedInCobol"}, {"NATURAL", "IsDefinedInNatural"}, {"PLI", "IsDefinedInPLI"}};
    ModelLoader loader;
    loader.SetSession(&session);
    int models = 0;
    for (auto& [name, p] : programs) {
        std::string language = p.GetAttribute("Language");
        EntityList defining = p.GetRelated(relation.at(language), "");
        ASSERT_EQ(defining.Count(), 1) << name;
        RepositoryEntity source = defining.Current();
        EXPECT_EQ(p.GetAttribute("Sid"), source.GetId()) << name;
        EXPECT_TRUE(fs::exists(Folder() / source.GetAttribute("Source"))) << name;
        if (language != "COBOL") {
            EXPECT_EQ(source.GetAttribute("Vornic"), "") << name;
            continue;
        }
        auto [file, key] = loader.LookupSid(source.GetId());
        CodeModel model = CodeModelFactory().CreateCodeModel(store, file, key);
        EXPECT_FALSE(model.GetDataLists().empty()) << name;
        model.Close();
        ++models;
    }
    EXPECT_GE(models, 15);
}

TEST_F(SampleWorkspace, EntriesTransactionsAndDecisionsTakeEveryShapeTheImportFollows) {
    // An owned entry and two ownerless ones of the same name; two ownerless
    // entries of a name no program has.
    std::map<std::string, std::pair<int, int>> entries;   // name -> owned, ownerless
    for (auto& e : All("PROGRAMENTRY")) {
        bool owned = false;
        for (auto& l : In(e)) owned |= l.role == "BelongsTo" && l.other.GetType().GetName() == "PROGRAM";
        (owned ? entries[e.GetName()].first : entries[e.GetName()].second)++;
    }
    EXPECT_EQ(entries["AUDITLOG"], std::make_pair(1, 2));
    EXPECT_EQ(entries["CRDAUTH"], std::make_pair(0, 2));
    EXPECT_EQ(programs.count("CRDAUTH"), 0u);

    // Transactions with two rows and with none, both started by one program.
    std::set<size_t> rowCounts;
    for (auto& l : Out(programs["ORDCONF"]))
        if (l.other.GetType().GetName() == "TRANSACTION") rowCounts.insert(Out(l.other).size());
    EXPECT_EQ(rowCounts, (std::set<size_t>{0, 2}));

    // The menu's decision: every kind of target, the data port in the middle.
    RepositoryEntity decision = Named("DECISION", "MENU-OPTION");
    auto targets = Types(Out(decision));
    EXPECT_EQ(targets, (std::vector<std::string>{"SCRMSG", "TRANSACTION", "TRANSACTION", "PROGRAMENTRY", "TABLE",
                                                 "DATAPORT", "PROGRAMENTRY", "MAP"}));
    auto decisionTargets = Out(decision);
    EXPECT_FALSE(Out(decisionTargets[1].other).empty());
    EXPECT_TRUE(Out(decisionTargets[2].other).empty());
    // A decision without relations, and a decision reached through "HAS".
    bool emptyDecision = false, hasDecision = false;
    for (auto& [name, p] : programs)
        for (auto& l : Out(p)) {
            if (l.other.GetType().GetName() != "DECISION") continue;
            emptyDecision |= Out(l.other).empty();
            hasDecision |= l.role == "HAS";
        }
    EXPECT_TRUE(emptyDecision);
    EXPECT_TRUE(hasDecision);
    // A decision behind a decision, between a screen message and a transaction.
    RepositoryEntity next = Named("DECISION", "ERR-NEXT-ACTION");
    EXPECT_EQ(Types(Out(next)), (std::vector<std::string>{"TRANSACTION", "DECISION"}));
    EXPECT_EQ(Types(In(next)), (std::vector<std::string>{"SCRMSG"}));
    // A message without a screen that still starts a transaction.
    RepositoryEntity timeout = Named("SCRMSG", "TIMEOUT.NOTICE");
    EXPECT_EQ(Types(Out(timeout)), (std::vector<std::string>{"TRANSACTION"}));
    for (auto& l : In(timeout)) EXPECT_NE(l.other.GetType().GetName(), "MAP");
}

TEST_F(SampleWorkspace, ScreensStartProgramsThroughTransactionsDirectlyAndThroughDecisions) {
    // Pass 2 of the walk: the menu's own entry is started by transaction
    // ORDM, which a screen message starts directly and a decision starts
    // on behalf of another screen's message.
    RepositoryEntity entry;
    for (auto& l : Out(programs["ORDMENU"]))
        if (l.role == "Has") entry = l.other;
    ASSERT_FALSE(entry.IsNull());
    std::set<std::string> starters;
    for (auto& t : In(entry)) {
        if (t.other.GetType().GetName() != "TRANSACTION") continue;
        for (auto& s : In(t.other)) {
            std::string type = s.other.GetType().GetName();
            bool fromScreen = false;
            auto messages = type == "DECISION" ? In(s.other) : std::vector<Link>{s};
            for (auto& m : messages)
                if (m.other.GetType().GetName() == "SCRMSG")
                    for (auto& screen : In(m.other)) fromScreen |= screen.other.GetType().GetName() == "MAP";
            if (fromScreen) starters.insert(type);
        }
    }
    EXPECT_EQ(starters, (std::set<std::string>{"SCRMSG", "DECISION"}));
}

TEST_F(SampleWorkspace, DataPortsStoresAndDirectTargets) {
    // Ports behind connectors with stores, a connector without a store, no
    // connector at all; two storeless ports of one name; one named as a program.
    std::map<std::string, int> storeless;
    int withStore = 0, connectorWithoutStore = 0;
    for (auto& port : All("DATAPORT")) {
        int stores = 0, connectors = 0;
        for (auto& c : In(port)) {
            if (c.other.GetType().GetName() != "CONNECTOR") continue;
            ++connectors;
            for (auto& s : Out(c.other)) stores += s.other.GetType().GetName() == "DATASTORE";
        }
        if (stores) ++withStore;
        if (connectors && !stores) ++connectorWithoutStore;
        if (!stores) storeless[port.GetName()]++;
    }
    EXPECT_GE(withStore, 2);
    EXPECT_EQ(connectorWithoutStore, 1);
    EXPECT_EQ(storeless["ORDER'S \"NOTES\""], 2);
    EXPECT_EQ(storeless.count("AUDITLOG"), 1u);
    EXPECT_EQ(programs.count("AUDITLOG"), 1u);

    // Every directly named store type, and targets the walk records nothing for.
    std::set<std::string> direct;
    for (auto& [name, p] : programs)
        for (auto& l : Out(p)) direct.insert(l.other.GetType().GetName());
    for (const char* type : {"ADABASFILE", "TABLE", "DATASTORE", "MAP", "HISEGMENT", "NETRECORD", "DATAAREA",
                             "PROGRAMENTRY", "TRANSACTION", "DECISION", "DATAPORT", "SCRMSG"})
        EXPECT_EQ(direct.count(type), 1u) << type;
}

TEST_F(SampleWorkspace, CodeModelsCarryCommareaAndScreenInputStructures) {
    ModelLoader loader;
    loader.SetSession(&session);
    auto [file, key] = loader.LookupSid(programs["ORDENTR"].GetAttribute("Sid"));
    CodeModel model = CodeModelFactory().CreateCodeModel(store, file, key);

    std::vector<std::string> lists;
    for (auto& l : model.GetDataLists()) lists.push_back(l.GetName());
    EXPECT_EQ(lists, (std::vector<std::string>{"VNL_0ALL", "VNL_WS", "VNL_MAPS", "VNL_LS"}));

    // The COMMAREA through the USING port: group, COMP-3, binary, FILLER, 88 level.
    CodeModelObjectList ports = model.GetObjects("", "PORT");
    std::optional<CodeModelConstruct> commarea;
    std::optional<CodeModelConstruct> screenIn;
    for (; !ports.AtEnd(); ports.MoveNext()) {
        const auto& port = ports.Current();
        if (port.GetProperty("PORTTYPE") == "USING") {
            auto vars = port.GetObjectsOfType("VAR");
            ASSERT_EQ(vars.Count(), 1);
            commarea = vars.Current().GetRelated("Declaration").Current();
        }
        if (port.GetProperty("PORTTYPE") == "SCREEN" && port.GetProperty("DIRECT") == "IN") screenIn = port;
    }
    ASSERT_TRUE(commarea.has_value());
    EXPECT_EQ(commarea->GetName(), "DFHCOMMAREA");
    EXPECT_EQ(commarea->GetProperty("Elementary"), "False");
    std::map<std::string, std::string> sqlTypes, ids;
    int conditions = 0;
    for (auto children = commarea->GetChildren(); !children.AtEnd(); children.MoveNext()) {
        const auto& c = children.Current();
        sqlTypes[c.GetName()] = c.GetProperty("SqlType");
        ids[c.GetName()] = c.GetId();
        for (auto values = c.GetChildren(); !values.AtEnd(); values.MoveNext())
            conditions += values.Current().GetTypeText() == "VALUE";
    }
    EXPECT_EQ(sqlTypes["CA-ORDER-TOTAL"], "3");   // COMP-3
    EXPECT_EQ(sqlTypes["CA-LINE-COUNT"], "5");    // binary halfword
    EXPECT_EQ(sqlTypes["CA-RETURN-CODE"], "5");   // binary fullword: an integer
    EXPECT_EQ(sqlTypes["CA-CUSTOMER-NO"], "1");
    EXPECT_EQ(sqlTypes.count("FILLER"), 1u);
    EXPECT_EQ(conditions, 4);
    CodeModelConstruct total = model.GetConstruct(ids["CA-ORDER-TOTAL"]);
    EXPECT_EQ("decimal" + total.GetProperty("Digits") + "(" + total.GetProperty("Fraction") + ")", "decimal 11(2)");
    auto sizes = platform::db::Database::Open(file);
    EXPECT_EQ(sizes->Scalar("SELECT size FROM Constructs WHERE VNID = ?", {commarea->GetId()}).AsInt(), 120 * 8);

    // The screen input: its fields have instances, some with IF conditions.
    ASSERT_TRUE(screenIn.has_value());
    EXPECT_EQ(screenIn->GetName(), "ORDENT");
    auto use = screenIn->GetRelated("Use");
    ASSERT_GT(use.Count(), 0);
    auto declaration = use.Current().GetRelated("Declaration");
    ASSERT_EQ(declaration.Count(), 1);
    EXPECT_EQ(declaration.Current().GetName(), "ORDENTI");
    std::vector<std::string> conditionTexts;
    for (auto fields = declaration.Current().GetChildren(); !fields.AtEnd(); fields.MoveNext())
        for (auto inst = fields.Current().GetRelated("Instances"); !inst.AtEnd(); inst.MoveNext())
            for (auto cond = inst.Current().GetRelated("Conditions"); !cond.AtEnd(); cond.MoveNext())
                conditionTexts.push_back(cond.Current().GetName());
    EXPECT_NE(std::find(conditionTexts.begin(), conditionTexts.end(), "ECUSTNOI = SPACES OR ECUSTNOL = ZERO"),
              conditionTexts.end());
    EXPECT_GE(conditionTexts.size(), 5u);
}
