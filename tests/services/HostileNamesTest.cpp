// Names that XML's newer rules allow but schema readers refuse, names that
// are no UTF-8, and services whose name gives no WSDL at all.

#include <gtest/gtest.h>

#include <libxml/tree.h>

#include "services/WsdlGenerator.h"
#include "services/WsdlSave.h"
#include "services/XmlNames.h"
#include "tests/services/WsdlFixtures.h"
#include "tests/support/TestSupport.h"

using namespace services;

namespace {

const std::string kFFFD = "\xEF\xBF\xBD";
const std::string kBom = "\xEF\xBB\xBF";          // U+FEFF
const std::string kUndertie = "\xE2\x80\xBF";     // U+203F
const std::string kLinearB = "\xF0\x90\x80\x80";  // U+10000
const std::string kSmile = "\xF0\x9F\x98\x80";    // U+1F600
const std::string kEuro = "\xE2\x82\xAC";         // U+20AC

// libxml2's own check, the one its schema compiler applies.
bool SchemaReadsAsName(const std::string& name) {
    return xmlValidateNCName(reinterpret_cast<const xmlChar*>(name.c_str()), 0) == 0;
}

}  // namespace

TEST(HostileNames, EveryMappedNameIsOneSchemaReadersAccept) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"A" + kFFFD + "B", "A_B"},
        {kBom + "PROG", "_PROG"},
        {"cust" + kUndertie + "no", "cust_no"},
        {"x" + kLinearB, "x"},
        {kSmile + "order" + kSmile + "s", "_order_s"},
        {"char 5" + kSmile, "char_5"},
        {kEuro + "100", "_100"},
        // Letters and marks both rule sets allow stay.
        {"Gr\xC3\xB6\xC3\x9F" "e", "Gr\xC3\xB6\xC3\x9F" "e"},
        {"\xE5\x8F\x97\xE6\xB3\xA8", "\xE5\x8F\x97\xE6\xB3\xA8"},
        {"a\xCC\x81", "a\xCC\x81"},
        // Broken or overlong UTF-8 never reaches a name.
        {"a\xC0\xAF" "b", "a_b"},
        {"a\xED\xA0\x80" "b", "a_b"},
    };
    for (const auto& [text, name] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ToXmlName(text), name);
        EXPECT_TRUE(SchemaReadsAsName(ToXmlName(text)));
        EXPECT_TRUE(IsXmlName(ToXmlName(text)));
    }
    EXPECT_FALSE(IsXmlName("a" + kSmile));
    EXPECT_FALSE(IsXmlName(kBom + "a"));
}

TEST(HostileNames, FileNamesOfServicesThatAreNoUtf8AreValidUtf8) {
    EXPECT_EQ(ToValidUtf8("Bestellung\xFF" "S\xC3\xBC" "d\xC3"), "Bestellung" + kFFFD + "S\xC3\xBC" "d" + kFFFD);
    EXPECT_EQ(DefaultWsdlFileName("Caf\xE9"), "Caf" + kFFFD + "-WSDL.xml");
    EXPECT_EQ(DefaultWsdlFileName("Order " + kSmile), "Order " + kSmile + "-WSDL.xml");

    auto db = platform::db::Database::InMemory();
    db->ExecuteScript("CREATE TABLE Ents (SerialID INTEGER PRIMARY KEY AUTOINCREMENT, ID TEXT, EntName TEXT, "
                      "Name TEXT, BusName TEXT)");
    wsdlfixtures::EnsureTables(*db);
    const int64_t wsid = wsdlfixtures::AddService(*db, "Caf\xE9");
    testsupport::ScriptedPrompt prompt;
    auto wsdl = GenerateWebServiceWSDL(*db, wsid, prompt);
    ASSERT_TRUE(wsdl);
    EXPECT_EQ(wsdl->serviceName, "Caf" + kFFFD);
    EXPECT_EQ(Globals::g_ServiceName, "Caf" + kFFFD);
}

// Save Web Service on a service that gives no WSDL says why, and shows no
// save dialog.
TEST(HostileNames, SaveWebServiceThatGivesNoWsdlSaysWhy) {
    class NoDialog : public ISaveDialog {
    public:
        SaveDialogResult ShowSave(const SaveDialogSpec&) override {
            ++shown;
            return {SaveDialogOutcome::Cancelled, {}};
        }
        int shown = 0;
    };
    auto db = platform::db::Database::InMemory();
    db->ExecuteScript("CREATE TABLE Ents (SerialID INTEGER PRIMARY KEY AUTOINCREMENT, ID TEXT, EntName TEXT, "
                      "Name TEXT, BusName TEXT)");
    wsdlfixtures::EnsureTables(*db);
    struct Case {
        std::string name;   // empty: no such service
        std::string said;
    };
    const std::vector<Case> cases = {
        {"Orders/2024", "\"Orders/2024\""},
        {"A:B", "\"A:B\""},
        {"", "no longer exists"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int64_t wsid = c.name.empty() ? 4242 : wsdlfixtures::AddService(*db, c.name);
        NoDialog dialog;
        testsupport::ScriptedPrompt prompt;
        EXPECT_FALSE(GenerateAndSaveWebServiceWSDL(*db, wsid, dialog, prompt));
        EXPECT_EQ(dialog.shown, 0);
        ASSERT_EQ(prompt.asked.size(), 1u);
        EXPECT_NE(prompt.asked[0].find(c.said), std::string::npos) << prompt.asked[0];
        EXPECT_EQ(prompt.titles[0], "Save WSDL");
    }
    // A service that gives a document shows the dialog and no message.
    NoDialog dialog;
    testsupport::ScriptedPrompt prompt;
    EXPECT_FALSE(GenerateAndSaveWebServiceWSDL(*db, wsdlfixtures::AddService(*db, "Fine"), dialog, prompt));
    EXPECT_EQ(dialog.shown, 1);
    EXPECT_TRUE(prompt.asked.empty());
}

// A stored message document whose entities explode is reported as it is
// read; the generation goes on without it.
TEST(HostileNames, AStoredMessageDocumentWhoseEntitiesExplodeIsReported) {
    auto db = platform::db::Database::InMemory();
    wsdlfixtures::EnsureTables(*db);
    std::string text = "<!DOCTYPE definitions [<!ENTITY e \"" + std::string(50000, 'x') +
                       "\">]><definitions><message name=\"P.In\"><part name=\"a\" element=\"";
    for (int i = 0; i < 50000; ++i) text += "&e;";
    text += "\"/></message></definitions>";
    wsdlfixtures::StoreMessages(*db, 7, 2, text);
    testsupport::ScriptedPrompt prompt;
    EXPECT_TRUE(LoadEntityMessages(*db, 7, 2, prompt).empty());
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].find("far more text"), std::string::npos) << prompt.asked[0];
}
