#include <gtest/gtest.h>

#include <memory>

#include "platform/workbench/CodeModelBuilder.h"
#include "platform/workbench/EntityStore.h"
#include "services/MessageDocument.h"
#include "services/MessageStructure.h"
#include "services/ServiceTables.h"
#include "services/WsdlGenerator.h"
#include "tests/services/MessageModelFixture.h"
#include "tests/support/TestSupport.h"

using platform::db::Database;
using namespace services;
namespace wb = platform::workbench;

namespace {

class MessageDocumentOnModel : public ::testing::Test {
protected:
    void SetUp() override {
        ids = messagefixture::WriteOrdProgModel(dir / "ORDPROG.mdb", "PROGRAMENTRY#2");
        model = std::make_unique<wb::CodeModel>(
            wb::CodeModelFactory().CreateCodeModel(wb::EntityStore(), (dir / "ORDPROG.mdb").string(), "PROGRAMENTRY#2"));
        db = Database::InMemory();
        Globals::CreateUseCaseTables(*db, false);
    }
    void TearDown() override { model->Close(); }

    // Set As on the structure of an element, as the editor does it.
    void SetAs(bool input, const std::string& element) {
        auto nodes = CollectStructure(*model, element);
        ASSERT_TRUE(nodes);
        defs.SetAs(*db, input, DefinitionNodes(*nodes), "PROGRAM#1", "ORDPROG");
    }
    std::string StoredText(int64_t sid) {
        return db->Scalar("SELECT XMLText FROM ucMessages WHERE ElementSID = ?", {sid}).AsText();
    }

    testsupport::TempDir dir;
    messagefixture::Ids ids;
    std::unique_ptr<wb::CodeModel> model;
    std::unique_ptr<Database> db;
    MessageDefinitions defs;
};

}  // namespace

TEST(MessageTypeText, SqlTypeTable) {
    EXPECT_EQ(TypeText("1", " 10", " 0", "0"), "char 10");
    EXPECT_EQ(TypeText("3", " 5", " 9", "2"), "decimal 9(2)");
    EXPECT_EQ(TypeText("8", "8", "15", "2"), "decimal 15(2)");
    EXPECT_EQ(TypeText("5", " 2", " 4", "0"), "integer 4");
    EXPECT_EQ(TypeText("2", " 5", " 9", "0"), "unknown 5");
    EXPECT_EQ(TypeText("4", " 4", " 9", "0"), "unknown 4");
    EXPECT_EQ(TypeText("", "", "", ""), "unknown");
    // Numbers with or without a leading blank give one blank; none gives the word.
    EXPECT_EQ(TypeText("1", "10", "", ""), "char 10");
    EXPECT_EQ(TypeText("1", "", "", ""), "char");
    EXPECT_EQ(TypeText("3", " 7", "", ""), "decimal ()");
    EXPECT_EQ(TypeText("3", "", " 7", ""), "decimal 7()");
}

TEST_F(MessageDocumentOnModel, StructureTreeListsDeclarationsDepthFirst) {
    auto nodes = CollectStructure(*model, ids.custRec);
    ASSERT_TRUE(nodes);
    std::vector<std::string> texts;
    for (const auto& n : *nodes) texts.push_back(n.Text());
    EXPECT_EQ(texts, (std::vector<std::string>{"CUST-REC", "CUST-NO char 10", "FILLER char 2", "CUST-NAME unknown",
                                               "FIRST-NAME char 15", "LAST-NAME char 20", "FILLER char 3",
                                               "BALANCE decimal 9(2)", "ORDER-COUNT integer 4", "STATUS-CODE char 1",
                                               "SEQ-NO unknown 4"}));
    EXPECT_TRUE((*nodes)[0].top);
    EXPECT_EQ((*nodes)[0].Tag(), "");
    EXPECT_EQ((*nodes)[1].Tag(), std::string("CUST-NO\0char 10", 15));
    EXPECT_EQ((*nodes)[4].parentVnid, ids.custName);
    EXPECT_EQ(DefinitionNodes(*nodes)[0].name, "");
    EXPECT_EQ(DefinitionNodes(*nodes)[1].name, "CUST-NO");

    // A port is no declaration: no tree; an unknown id: nothing at all.
    EXPECT_TRUE(CollectStructure(*model, ids.port)->empty());
    EXPECT_FALSE(CollectStructure(*model, "V:999"));
}

TEST_F(MessageDocumentOnModel, HiddenListsAreLeftOut) {
    std::vector<std::string> captions;
    for (const auto& list : VisibleDataLists(*model)) captions.push_back(list.GetCaption());
    EXPECT_EQ(captions, (std::vector<std::string>{"Working-Storage", "Linkage"}));
}

TEST(MessageDataLists, RepeatedCaptionKeepsTheFirstList) {
    testsupport::TempDir dir;
    {
        wb::CodeModelBuilder b(dir / "M.mdb", "PROGRAMENTRY#1", "V");
        b.AddDataList("vnl_0abc", "Hidden");
        b.AddDataList("VNL_1", "Files");
        b.AddDataList("OTHER", "FILES");
        b.AddDataList("WS", "Working-Storage");
        b.Finish();
    }
    auto model = wb::CodeModelFactory().CreateCodeModel(wb::EntityStore(), (dir / "M.mdb").string(), "PROGRAMENTRY#1");
    std::vector<std::string> names;
    for (const auto& list : VisibleDataLists(model)) names.push_back(list.GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"VNL_1", "WS"}));
    model.Close();
}

TEST_F(MessageDocumentOnModel, ExactDocumentWithEachItemOncePerMessage) {
    SetAs(true, ids.custRec);
    SetAs(false, ids.respArea);
    // Defining an item again through another path adds no second part.
    defs.SetAs(*db, true, {{ids.firstName, "FIRST-NAME"}}, "PROGRAM#1", "ORDPROG");
    auto doc = BuildMessagesDocument(defs.Inputs(), defs.Outputs(), *model);
    EXPECT_EQ(MessagesXmlText(doc), messagefixture::kOrdProgDocument);
}

TEST_F(MessageDocumentOnModel, UnresolvableDefinitionsAreSkipped) {
    defs.SetAs(*db, true, {{"V:999", "GONE"}, {ids.port, "CUSTFILE"}, {ids.custNo, "CUST-NO"}}, "PROGRAM#1",
               "ORDPROG");
    auto doc = BuildMessagesDocument(defs.Inputs(), defs.Outputs(), *model);
    EXPECT_EQ(MessagesXmlText(doc),
              "<definitions><message name=\"ORDPROG.In\"><part name=\"custNo\" element=\"char 10\"/></message>"
              "</definitions>");
}

TEST_F(MessageDocumentOnModel, EmptyDefinitionStoresBareRoot) {
    db->Execute("INSERT INTO ucMessages (ElementSID, XMLText, Nature) VALUES (7, 'old', 1)");
    auto doc = BuildMessagesDocument(defs.Inputs(), defs.Outputs(), *model);
    SaveMessagesXml(*db, "7", "2", doc);
    EXPECT_EQ(db->Scalar("SELECT COUNT(*) FROM ucMessages").AsInt(), 1);
    EXPECT_EQ(StoredText(7), "<definitions/>");
    EXPECT_EQ(db->Scalar("SELECT Nature FROM ucMessages").AsInt(), 2);
    EXPECT_EQ(LoadMessagesXml(*db, "7"), "");

    // A document without root only removes what was stored.
    SaveMessagesXml(*db, "7", "2", platform::xml::Document());
    EXPECT_EQ(db->Scalar("SELECT COUNT(*) FROM ucMessages").AsInt(), 0);
    EXPECT_THROW(SaveMessagesXml(*db, "x", "2", doc), std::invalid_argument);
}

TEST_F(MessageDocumentOnModel, StoredTextRoundTripsToWsdlGeneration) {
    SetAs(true, ids.custRec);
    SetAs(false, ids.respArea);
    SaveMessagesXml(*db, "12", "2", BuildMessagesDocument(defs.Inputs(), defs.Outputs(), *model));
    EXPECT_EQ(StoredText(12), messagefixture::kOrdProgDocument);

    const std::string shown = LoadMessagesXml(*db, "12");
    EXPECT_EQ(shown.rfind("<message name=\"ORDPROG.In\">\n    <part name=\"custNo\" element=\"char 10\"/>\n", 0), 0u)
        << shown;

    testsupport::ScriptedPrompt prompt;
    auto messages = LoadEntityMessages(*db, 12, 2, prompt);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].parts.size(), 9u);
    EXPECT_EQ(messages[1].parts[2].element, "decimal 15(2)");
    EXPECT_EQ(ParseTypeText(*messages[1].parts[2].element).fractionDigits, "2");
}

TEST_F(MessageDocumentOnModel, QuotesInNamesAreStoredAsTheyAre) {
    defs.SetAs(*db, true, {{ids.custNo, "CUST-NO"}}, "PROGRAM#1", "O'PROG \"X\"");
    SaveMessagesXml(*db, "3", "2", BuildMessagesDocument(defs.Inputs(), defs.Outputs(), *model));
    EXPECT_EQ(StoredText(3).rfind("<definitions><message name=\"O'PROG &quot;X&quot;.In\">", 0), 0u) << StoredText(3);
    testsupport::ScriptedPrompt prompt;
    auto messages = LoadEntityMessages(*db, 3, 2, prompt);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].name, "O'PROG \"X\".In");
}
