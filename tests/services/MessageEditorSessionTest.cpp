#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "platform/workbench/EntityStore.h"
#include "services/MessageEditorSession.h"
#include "services/ServiceTables.h"
#include "tests/services/MessageModelFixture.h"
#include "tests/support/TestSupport.h"

using platform::db::Database;
using namespace services;
namespace wb = platform::workbench;

namespace {

class EditorSession : public ::testing::Test {
protected:
    void SetUp() override {
        ids = messagefixture::WriteOrdProgModel(dir / "ORDPROG.mdb", "PROGRAMENTRY#2");
        db = Database::InMemory();
        Globals::CreateUseCaseTables(*db, false);
        session = MakeSession();
    }
    std::unique_ptr<MessageEditorSession> MakeSession() {
        return std::make_unique<MessageEditorSession>(
            *db,
            [this](const std::string& programId) {
                opened.push_back(programId);
                if (programId != "PROGRAM#1") throw std::runtime_error("no model for " + programId);
                return wb::CodeModelFactory().CreateCodeModel(wb::EntityStore(), (dir / "ORDPROG.mdb").string(),
                                                              "PROGRAMENTRY#2");
            },
            "12", "2");
    }
    int64_t StoredRows(int64_t sid) {
        return db->Scalar("SELECT COUNT(*) FROM ucMessages WHERE ElementSID = ?", {sid}).AsInt();
    }
    std::vector<StructureNode> Structure(const std::string& id) { return *CollectStructure(session->Model(), id); }

    testsupport::TempDir dir;
    messagefixture::Ids ids;
    std::unique_ptr<Database> db;
    std::unique_ptr<MessageEditorSession> session;
    std::vector<std::string> opened;
};

}  // namespace

TEST_F(EditorSession, SwitchLoadsProgramAndShowsStoredDocument) {
    db->Execute("INSERT INTO ucMessages (ElementSID, XMLText, Nature) VALUES (12, ?, 2)",
                {"<definitions><message name=\"ORDPROG.In\"><part name=\"a\" element=\"char 1\"/></message></definitions>"});
    auto preview = session->SwitchProgram("ORDPROG", "PROGRAM#1|12");
    ASSERT_TRUE(preview);
    EXPECT_EQ(*preview, "<message name=\"ORDPROG.In\">\n    <part name=\"a\" element=\"char 1\"/>\n</message>");
    EXPECT_EQ(session->ProgramId, "PROGRAM#1");
    EXPECT_EQ(session->ElementId, "12");
    EXPECT_TRUE(session->HasModel());
    // The same program again (any case) does nothing.
    EXPECT_FALSE(session->SwitchProgram("ordprog", "PROGRAM#1|12"));
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(EditorSession, SetAsTwiceGivesTheSamePreviewAndRows) {
    session->SwitchProgram("ORDPROG", "PROGRAM#1|12");
    const std::string first = session->SetAs(true, Structure(ids.respArea));
    const int64_t rows = db->Scalar("SELECT COUNT(*) FROM Messages").AsInt();
    EXPECT_EQ(session->SetAs(true, Structure(ids.respArea)), first);
    EXPECT_EQ(db->Scalar("SELECT COUNT(*) FROM Messages").AsInt(), rows);
    EXPECT_EQ(first,
              "<message name=\"ORDPROG.In\">\n"
              "    <part name=\"respCode\" element=\"integer 4\"/>\n"
              "    <part name=\"respMsg\" element=\"char 40\"/>\n"
              "    <part name=\"respAmount\" element=\"decimal 15(2)\"/>\n"
              "</message>");
    EXPECT_TRUE(session->Changed());
    EXPECT_EQ(StoredRows(12), 0) << "nothing is stored before a switch or closing";
    EXPECT_EQ(session->ClearAll(), "");
}

TEST_F(EditorSession, SwitchStoresTheOldDocumentUnderItsOwnElementFirst) {
    session->SwitchProgram("ORDPROG", "PROGRAM#1|12");
    session->SetAs(false, Structure(ids.respArea));
    // The next program has no model: the old document is stored all the same.
    EXPECT_THROW(session->SwitchProgram("OTHER", "PROGRAM#9|30"), std::runtime_error);
    EXPECT_EQ(StoredRows(12), 1);
    EXPECT_EQ(StoredRows(30), 0);
    EXPECT_FALSE(session->Changed());
    EXPECT_FALSE(session->HasModel());
    EXPECT_EQ(session->ProgramId, "PROGRAM#9");
    EXPECT_TRUE(session->Definitions().Outputs().Empty());
    // Back to a program that works.
    EXPECT_TRUE(session->SwitchProgram("ORDPROG", "PROGRAM#1|12"));
    EXPECT_EQ(session->Definitions().Outputs().Count(), 4u);
}

TEST_F(EditorSession, ClosingStoresOnlyWhenChanged) {
    session->SwitchProgram("ORDPROG", "PROGRAM#1|12");
    session->Close();
    EXPECT_EQ(StoredRows(12), 0);

    session = MakeSession();
    session->SwitchProgram("ORDPROG", "PROGRAM#1|12");
    session->ClearAll();
    session->Close();
    EXPECT_EQ(db->Scalar("SELECT XMLText FROM ucMessages WHERE ElementSID = 12").AsText(), "<definitions/>");
    EXPECT_FALSE(session->HasModel());
}
