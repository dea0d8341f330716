#include <gtest/gtest.h>

#include <memory>

#include "platform/db/Database.h"
#include "platform/workbench/CodeModelBuilder.h"
#include "platform/workbench/EntityStore.h"
#include "services/MessageDefinitions.h"
#include "services/MessageDocument.h"
#include "services/MessageStructure.h"
#include "services/ServiceTables.h"
#include "tests/services/MessageModelFixture.h"
#include "tests/support/TestSupport.h"

using platform::db::Database;
using namespace services;
namespace wb = platform::workbench;

namespace {

// A damaged model file whose declarations loop: CUST-NAME's parent chain
// leads back to itself. Showing or storing such a structure must end.
class CyclicModel : public ::testing::Test {
protected:
    void SetUp() override {
        const auto file = dir / "ORDPROG.mdb";
        ids = messagefixture::WriteOrdProgModel(file, "PROGRAMENTRY#2");
        {
            auto modelDb = Database::Open(file);
            // CUST-REC becomes a child of its own child CUST-NAME.
            modelDb->Execute("UPDATE Constructs SET Parent = ? WHERE VNID = ?", {ids.custName, ids.custRec});
        }
        model = std::make_unique<wb::CodeModel>(
            wb::CodeModelFactory().CreateCodeModel(wb::EntityStore(), file.string(), "PROGRAMENTRY#2"));
    }
    void TearDown() override { model->Close(); }

    testsupport::TempDir dir;
    messagefixture::Ids ids;
    std::unique_ptr<wb::CodeModel> model;
};

}  // namespace

TEST_F(CyclicModel, StructureAndDocumentListEachDeclarationOnce) {
    auto nodes = CollectStructure(*model, ids.custRec);
    ASSERT_TRUE(nodes);
    std::vector<std::string> texts;
    for (const auto& n : *nodes) texts.push_back(n.Text());
    EXPECT_EQ(texts, (std::vector<std::string>{"CUST-REC", "CUST-NO char 10", "FILLER char 2", "CUST-NAME unknown",
                                               "FIRST-NAME char 15", "LAST-NAME char 20", "FILLER char 3",
                                               "BALANCE decimal 9(2)", "ORDER-COUNT integer 4", "STATUS-CODE char 1",
                                               "SEQ-NO unknown 4"}));

    auto db = Database::InMemory();
    Globals::CreateUseCaseTables(*db, false);
    MessageDefinitions defs;
    defs.SetAs(*db, true, DefinitionNodes(*nodes), "PROGRAM#1", "ORDPROG");
    const std::string text = MessagesXmlText(BuildMessagesDocument(defs.Inputs(), defs.Outputs(), *model));
    EXPECT_NE(text.find("<part name=\"firstName\" element=\"char 15\"/>"), std::string::npos) << text;
    EXPECT_EQ(text.find("firstName"), text.rfind("firstName")) << text;
}

TEST_F(CyclicModel, ADeclarationThatIsItsOwnParentEnds) {
    {
        auto modelDb = Database::Open(dir / "ORDPROG.mdb");
        // CUST-REC back at the top; CUST-NAME lists itself among its children.
        modelDb->Execute("UPDATE Constructs SET Parent = (SELECT Parent FROM Constructs WHERE VNID = ?) WHERE VNID = ?",
                         {ids.sysArea, ids.custRec});
        modelDb->Execute("UPDATE Constructs SET Parent = VNID WHERE VNID = ?", {ids.custName});
    }
    model->Close();
    model = std::make_unique<wb::CodeModel>(
        wb::CodeModelFactory().CreateCodeModel(wb::EntityStore(), (dir / "ORDPROG.mdb").string(), "PROGRAMENTRY#2"));
    auto nodes = CollectStructure(*model, ids.custName);
    ASSERT_TRUE(nodes);
    ASSERT_EQ(nodes->size(), 3u);
    EXPECT_EQ((*nodes)[0].Text(), "CUST-NAME");
    EXPECT_EQ((*nodes)[1].Text(), "FIRST-NAME char 15");
    EXPECT_EQ((*nodes)[2].Text(), "LAST-NAME char 20");
}
