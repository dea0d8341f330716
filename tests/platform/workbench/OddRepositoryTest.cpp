#include <gtest/gtest.h>

#include "platform/db/Database.h"
#include "platform/workbench/EntityStore.h"
#include "platform/workbench/RepositoryBuilder.h"
#include "platform/workbench/RepositorySchema.h"
#include "platform/workbench/WorkbenchSession.h"
#include "tests/support/TestSupport.h"

using namespace platform::workbench;

// Repositories written by other tools or edited by hand: the numbers of
// types and relation types need not be small or dense.
TEST(OddRepository, LargeTypeNumbersOpenAndAnswerLookUps) {
    testsupport::TempDir dir;
    int64_t p = 0, t = 0;
    {
        auto b = RepositoryBuilder::CreateWorkspace(dir / "W.hxp", "W");
        b->DefineRelationType("ProgramReadsTable", "ReadsTable", "IsReadByProgram");
        p = b->AddEntity("PROGRAM", "P");
        t = b->AddEntity("TABLE", "ORDERS");
        b->Relate("ProgramReadsTable", p, t);
        b->Finish();
    }
    {
        auto db = platform::db::Database::Open(dir / "W" / "Repository.db");
        const int64_t big = int64_t{1} << 62;
        db->Execute("UPDATE Entities SET TypeId = TypeId + ?", {big});
        db->Execute("UPDATE EntityTypes SET TypeId = TypeId + ?", {big});
        db->Execute("UPDATE Relations SET RelTypeId = RelTypeId + ?", {big});
        db->Execute("UPDATE RelationTypes SET RelTypeId = RelTypeId + ?", {big});
    }
    WorkbenchSession session;
    ASSERT_TRUE(session.OpenRepository((dir / "W.hxp").string(), "W")) << session.LastError();
    EntityStore store = session.GetEntityStore();
    RepositoryEntity program = store.Item("PROGRAM#" + std::to_string(p));
    EXPECT_EQ(program.GetTypeName(), "PROGRAM");
    EntityList read = program.GetRelated("ReadsTable");
    ASSERT_EQ(read.Count(), 1);
    EXPECT_EQ(read.Current().GetId(), "TABLE#" + std::to_string(t));
    EXPECT_EQ(store.GetEntities("TABLE").Count(), 1);
    EXPECT_EQ(store.GetSchema().GetRelationTypes().Item("ProgramReadsTable").GetRole(1).GetName(), "IsReadByProgram");
}
