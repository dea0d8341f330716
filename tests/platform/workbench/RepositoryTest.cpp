#include <gtest/gtest.h>

#include <fstream>

#include "platform/workbench/EntityStore.h"
#include "platform/workbench/RepositoryBuilder.h"
#include "platform/workbench/RepositoryQuery.h"
#include "platform/workbench/RepositorySchema.h"
#include "platform/workbench/RepositoryValues.h"
#include "platform/workbench/WorkbenchSession.h"
#include "platform/workbench/WorkspaceFile.h"
#include "tests/support/TestSupport.h"

using namespace platform::workbench;

namespace {

// A program P with an entry E (Has/BelongsTo), a read table, a decision
// leading to a screen message, and a second program Q whose entry is reached
// through a transaction.
struct Fixture {
    testsupport::TempDir dir;
    std::filesystem::path hxp = dir / "Shop.hxp";
    int64_t p, e, table, decision, msg, q, qEntry, tx, folder;
    WorkbenchSession session;

    Fixture() {
        auto b = RepositoryBuilder::CreateWorkspace(hxp, "Shop Project");
        b->DefineRelationType("ProgramHasEntry", "Has", "BelongsTo");
        b->DefineRelationType("ProgramReadsTable", "ReadsTable", "IsReadByProgram");
        b->DefineRelationType("ProgramUsesDecision", "UsesDecision", "IsUsedByProgram");
        b->DefineRelationType("DecisionLeadsToScrMsg", "LeadsTo", "IsReachedFrom");
        b->DefineRelationType("TransactionStartsEntry", "Starts", "IsStartedBy");
        p = b->AddEntity("PROGRAM", "P", {{"Language", "COBOL"}});
        e = b->AddEntity("PROGRAMENTRY", "P");
        table = b->AddEntity("TABLE", "ORDERS");
        decision = b->AddEntity("DECISION", "D1");
        msg = b->AddEntity("SCRMSG", "M1");
        q = b->AddEntity("PROGRAM", "Q");
        qEntry = b->AddEntity("PROGRAMENTRY", "Q");
        tx = b->AddEntity("TRANSACTION", "TQ");
        folder = b->AddEntity("FOLDER", "Shop Project");
        b->Relate("ProgramHasEntry", p, e);
        b->Relate("ProgramReadsTable", p, table);
        b->Relate("ProgramUsesDecision", p, decision);
        b->Relate("DecisionLeadsToScrMsg", decision, msg);
        b->Relate("ProgramHasEntry", q, qEntry);
        b->Relate("TransactionStartsEntry", tx, qEntry);
        b->Finish();
        session.SetBinFolder(dir / "install" / "Bin");
        auto [a, key] = FileNameUtility::GetRepositoryValues(hxp.string());
        EXPECT_TRUE(session.OpenRepository(a, key)) << session.LastError();
    }

    struct Row {
        int64_t id;
        std::string type, name, rel, role;
        bool operator==(const Row&) const = default;
    };

    std::vector<Row> Query(const RepositoryEntity& entity, const char* direction) {
        EntityStore store = session.GetEntityStore();
        RepositoryQuery query = store.CreateQuery();
        query.Clear();
        int status = -1;
        QueryNode projection = query.CreateNode(status, "", "ID,Type,Name");
        EXPECT_EQ(status, 0);
        QueryNode relation = query.CreateRelationNode(direction, "Type:Rel", projection);
        QueryNode root = query.CreateNode(status, entity.GetType().GetName(), "",
                                          "ID=" + std::to_string(entity.GetNumber()), relation);
        query.SetRoot(root);
        query.Execute("");
        int side = std::string(direction) == "*>" ? 0 : 1;
        std::vector<Row> rows;
        for (; !query.AtEnd(); query.MoveNext()) {
            const QueryRow& row = query.Current();
            std::string rel = row.Field("Rel").Value().AsText();
            rows.push_back({row.Field("ID").Value().AsInt(), row.Field("Type").Value().AsText(),
                            row.Field("Name").Value().AsText(), rel,
                            store.GetSchema().GetRelationTypes().Item(rel).GetRole(side).GetName()});
        }
        return rows;
    }
};

}  // namespace

TEST(WorkbenchQuery, OutgoingAndIncomingRowsCarryRoleNamesInRecordedOrder) {
    Fixture f;
    EntityStore store = f.session.GetEntityStore();
    auto out = f.Query(store.Item("PROGRAM#" + std::to_string(f.p)), "*>");
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], (Fixture::Row{f.e, "PROGRAMENTRY", "P", "ProgramHasEntry", "Has"}));
    EXPECT_EQ(out[1], (Fixture::Row{f.table, "TABLE", "ORDERS", "ProgramReadsTable", "ReadsTable"}));
    EXPECT_EQ(out[2], (Fixture::Row{f.decision, "DECISION", "D1", "ProgramUsesDecision", "UsesDecision"}));
    // The entry's owner is found on its incoming side under "BelongsTo"; the
    // transaction that starts it comes after, in recorded order.
    auto in = f.Query(store.Item("programentry#" + std::to_string(f.qEntry)), "*<");
    ASSERT_EQ(in.size(), 2u);
    EXPECT_EQ(in[0], (Fixture::Row{f.q, "PROGRAM", "Q", "ProgramHasEntry", "BelongsTo"}));
    EXPECT_EQ(in[1].type, "TRANSACTION");
    EXPECT_EQ(in[1].role, "IsStartedBy");
    EXPECT_EQ(store.Item(in[0].type + "#" + std::to_string(in[0].id)).GetName(), "Q");
    // An entity without relations gives an empty, ended query.
    EXPECT_TRUE(f.Query(store.Item("FOLDER#" + std::to_string(f.folder)), "*>").empty());
}

TEST(WorkbenchQuery, FiltersAndMalformedQueries) {
    Fixture f;
    RepositoryQuery query = f.session.GetEntityStore().CreateQuery();
    int status = 0;
    // A projection typed TABLE and a relation filter by type name.
    QueryNode tables = query.CreateNode(status, "TABLE", "Name");
    QueryNode rel = query.CreateRelationNode("*>", "ProgramReadsTable:How", tables);
    query.SetRoot(query.CreateNode(status, "PROGRAM", "", "", rel));
    query.Execute();
    ASSERT_EQ(query.Count(), 1);
    EXPECT_EQ(query.Current().Field("how").Value().AsText(), "ProgramReadsTable");
    EXPECT_EQ(query.Current().Field("NAME").Value().AsText(), "ORDERS");
    EXPECT_THROW(query.Current().Field("Nope"), WorkbenchError);
    query.MoveNext();
    EXPECT_TRUE(query.AtEnd());
    EXPECT_THROW(query.Current(), WorkbenchError);

    EXPECT_THROW(query.CreateRelationNode("->", "Type:Rel", tables), WorkbenchError);
    EXPECT_THROW(query.CreateNode(status, "PROGRAM", "", "ID=x"), WorkbenchError);
    query.Clear();
    EXPECT_THROW(query.Execute(), WorkbenchError);
}

TEST(WorkbenchEntities, ItemAttributesListsAndUnknownKeys) {
    Fixture f;
    EntityStore store = f.session.GetEntityStore();
    RepositoryEntity p = store.Item("PROGRAM#" + std::to_string(f.p));
    EXPECT_EQ(p.GetId(), "PROGRAM#" + std::to_string(f.p));
    EXPECT_EQ(p.GetNumber(), f.p);
    EXPECT_EQ(p.GetName(), "P");
    EXPECT_EQ(p.GetType().GetName(), "PROGRAM");
    EXPECT_EQ(p.GetAttribute("Name"), "P");
    EXPECT_EQ(p.GetAttribute("language"), "COBOL");
    EXPECT_EQ(p.GetAttribute("Source"), "");   // missing reads as empty text

    EXPECT_THROW(store.Item("PROGRAM#999"), WorkbenchError);
    EXPECT_THROW(store.Item("TABLE#" + std::to_string(f.p)), WorkbenchError);   // number of another type
    EXPECT_THROW(store.Item("PROGRAM"), WorkbenchError);
    EXPECT_THROW(store.Item("PROGRAM#12x"), WorkbenchError);

    EntityList programs = store.GetEntities("program", "", "Name");
    ASSERT_EQ(programs.Count(), 2);
    EXPECT_EQ(programs.Current().GetName(), "P");
    programs.MoveNext();
    EXPECT_EQ(programs.Current().GetName(), "Q");
    programs.MoveNext();
    EXPECT_TRUE(programs.AtEnd());
    EXPECT_THROW(programs.Current(), WorkbenchError);
    EXPECT_EQ(store.GetEntities("HISEGMENT", "", "Name").Count(), 0);   // unknown type: empty list

    EXPECT_TRUE(store.EntityExists("FOLDER", "shop project"));
    EXPECT_FALSE(store.EntityExists("FOLDER", "Other"));
    EXPECT_FALSE(store.EntityExists("NOSUCHTYPE", "P"));

    // Related entities by role name, both ways.
    EntityList has = p.GetRelated("Has", "");
    ASSERT_EQ(has.Count(), 1);
    EXPECT_EQ(has.Current().GetType().GetName(), "PROGRAMENTRY");
    EntityList owner = store.Item("PROGRAMENTRY#" + std::to_string(f.e)).GetRelated("BelongsTo", "");
    ASSERT_EQ(owner.Count(), 1);
    EXPECT_EQ(owner.Current().GetId(), p.GetId());
    EXPECT_EQ(p.GetRelated("IsDefinedInCobol").Count(), 0);

    EXPECT_THROW(store.GetSchema().GetRelationTypes().Item("NoSuchRelation"), WorkbenchError);
    EXPECT_THROW(store.GetSchema().GetRelationTypes().Item("ProgramHasEntry").GetRole(2), WorkbenchError);

    // Handles raise once the repository is closed.
    f.session.CloseRepository();
    EXPECT_THROW(p.GetAttribute("Language"), WorkbenchError);
    EXPECT_THROW(store.Item(p.GetId()), WorkbenchError);
    EXPECT_THROW(f.session.GetEntityStore(), WorkbenchError);
}

TEST(WorkbenchBuilder, RefusesRelationsToMissingEntitiesAndUnknownTypes) {
    testsupport::TempDir dir;
    RepositoryBuilder b(dir / "r.db");
    b.DefineRelationType("Calls", "Calls", "IsCalledBy");
    int64_t a = b.AddEntity("PROGRAM", "A");
    EXPECT_THROW(b.Relate("Calls", a, a + 1), WorkbenchError);
    EXPECT_THROW(b.Relate("Calls", 0, a), WorkbenchError);
    EXPECT_THROW(b.Relate("Links", a, a), WorkbenchError);
    EXPECT_THROW(b.DefineRelationType("calls", "Calls", "Other"), WorkbenchError);
    EXPECT_NO_THROW(b.DefineRelationType("Calls", "Calls", "IsCalledBy"));
    EXPECT_EQ(b.Key(a), "PROGRAM#" + std::to_string(a));
    EXPECT_EQ(b.RelationCount(), 0);
    {
        // Dropped without Finish: nothing is left behind.
        RepositoryBuilder unfinished(dir / "half.db");
        unfinished.AddEntity("MAP", "M");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "half.db"));
}

TEST(WorkbenchSession, MissingOrDamagedRepositoriesDoNotOpen) {
    testsupport::TempDir dir;
    WorkbenchSession session;
    EXPECT_FALSE(session.OpenRepository((dir / "none.hxp").string(), "none"));
    EXPECT_FALSE(session.LastError().empty());

    // A workspace file whose repository is missing, then garbage, then a
    // database that is not a repository, then a repository of another format.
    std::filesystem::create_directories(dir / "W");
    WriteWorkspaceFile(dir / "W.hxp", "W");
    EXPECT_FALSE(session.OpenRepository((dir / "W.hxp").string(), "W"));
    std::ofstream(dir / "W" / "Repository.db") << "this is not a database at all, not even close";
    EXPECT_FALSE(session.OpenRepository((dir / "W.hxp").string(), "W"));
    std::filesystem::remove(dir / "W" / "Repository.db");
    platform::db::Database::Create(dir / "W" / "Repository.db")->ExecuteScript("CREATE TABLE T (A)");
    EXPECT_FALSE(session.OpenRepository((dir / "W.hxp").string(), "W"));
    std::filesystem::remove(dir / "W" / "Repository.db");
    {
        RepositoryBuilder b(dir / "W" / "Repository.db");
        b.Finish();
    }
    platform::db::Database::Open(dir / "W" / "Repository.db")
        ->Execute("UPDATE RepositoryInfo SET Value = '99' WHERE Name = 'FormatVersion'");
    EXPECT_FALSE(session.OpenRepository((dir / "W.hxp").string(), "W"));
    EXPECT_NE(session.LastError().find("99"), std::string::npos);

    std::ofstream(dir / "Bad.hxp") << "<Workspace><Project>";
    EXPECT_FALSE(session.OpenRepository((dir / "Bad.hxp").string(), "Bad"));
    EXPECT_FALSE(session.IsRepositoryOpen());
}

TEST(WorkbenchSession, WorkspaceFileFolderSelectionAndRepositoryValues) {
    Fixture f;
    auto [a, b] = FileNameUtility::GetRepositoryValues(f.hxp.string());
    EXPECT_EQ(a, f.hxp.string());
    EXPECT_EQ(b, "Shop");
    EXPECT_EQ(f.session.GetWorkspaceFolder(), f.dir / "Shop");
    EXPECT_EQ(WorkspaceFolderOf("/w/Shop.HXP"), std::filesystem::path("/w/Shop"));
    EXPECT_EQ(WorkspaceFolderOf("/d/x.hxp.d/Shop.hxp"), std::filesystem::path("/d/x.hxp.d/Shop"));

    WorkspaceFileReader reader;
    reader.Load(f.hxp);
    EXPECT_EQ(reader.GetElement("Project").GetList("Folder").GetText(), "Shop Project");
    EXPECT_EQ(reader.GetElement("project").GetList("Nothing").GetText(), "");
    EXPECT_THROW(reader.GetElement("Missing"), WorkbenchError);
    EXPECT_THROW(reader.Load(f.dir / "none.hxp"), WorkbenchError);

    EXPECT_TRUE(f.session.SelectFolder("Shop Project"));
    EXPECT_EQ(f.session.GetCurrentFolder(), "Shop Project");
    EXPECT_FALSE(f.session.SelectFolder("Shop"));
    // By key: the folder's entity key, or the only folder of the repository.
    EXPECT_TRUE(f.session.SelectFolderByKey("FOLDER#" + std::to_string(f.folder)));
    EXPECT_FALSE(f.session.SelectFolderByKey("FOLDER#99999"));
    EXPECT_TRUE(f.session.SelectFolderByKey("Shop"));
}

TEST(WorkbenchSession, FoldersAndOptionFiles) {
    testsupport::TempDir dir;
    WorkbenchSession session;
    EXPECT_THROW(session.GetFolder(1), WorkbenchError);   // no Bin folder yet
    session.SetBinFolder(dir / "install" / "Bin");
    EXPECT_EQ(session.GetFolder(1), (dir / "install" / "Data").string());
    EXPECT_EQ(session.GetFolder(9), (dir / "install" / "Data" / "Defaults").string());
    for (int kind : {3, 13}) {
        std::string folder = session.GetFolder(kind);
        EXPECT_FALSE(folder.empty());
        EXPECT_NE(folder.back(), '/');
    }
    EXPECT_THROW(session.GetFolder(2), WorkbenchError);

    OptionsFactory& factory = session.GetOptionsFactory();
    auto missing = factory.LoadOptions("OptionsGlobal", dir / "none.xml");
    EXPECT_EQ(missing->GetSection(), "OptionsGlobal");
    EXPECT_EQ(missing->GetValue("x"), "");

    std::filesystem::path user = dir / "cfg" / "Options" / "Options.User.xml";
    EXPECT_TRUE(factory.CopyOptionsFile(dir / "no-default.xml", user, true));
    EXPECT_TRUE(std::filesystem::exists(user));
    std::ofstream(dir / "default.xml") << "<Options><Option Name=\"Colour\" Value=\"Blue\"/></Options>";
    std::filesystem::path user2 = dir / "cfg2" / "Options.User.xml";
    factory.CopyOptionsFile(dir / "default.xml", user2, true);
    EXPECT_EQ(factory.LoadOptions("OptionsUser", user2)->GetValue("Colour"), "Blue");
    // An existing user file is kept as it is.
    std::ofstream(dir / "default.xml") << "<Options><Option Name=\"Colour\" Value=\"Red\"/></Options>";
    factory.CopyOptionsFile(dir / "default.xml", user2, true);
    EXPECT_EQ(factory.LoadOptions("OptionsUser", user2)->GetValue("Colour"), "Blue");
    std::ofstream(dir / "broken.xml") << "<Options>";
    EXPECT_THROW(factory.LoadOptions("OptionsUser", dir / "broken.xml"), WorkbenchError);

    auto global = factory.LoadOptions("OptionsGlobal", dir / "none.xml");
    global->SetResource(OptionsStore().LoadResource("Options.Global.xrc"));
    session.SetGlobalOptions(global);
    EXPECT_EQ(session.GetGlobalOptions()->GetResource()->GetName(), "Options.Global.xrc");
}
