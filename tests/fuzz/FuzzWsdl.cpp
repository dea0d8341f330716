// Stored message documents through WSDL generation: any stored text gives,
// without crash, either the parse report or a WSDL document that reads
// again, with names and a schema that schema readers take.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "common/Prompt.h"
#include "platform/db/Database.h"
#include "services/ServiceTables.h"
#include "services/WsdlGenerator.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

class QuietPrompt : public common::IPrompt {
public:
    common::Answer Ask(const std::string&, const std::string&, common::Buttons, common::Icon) override {
        return common::Answer::OK;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto db = platform::db::Database::InMemory();
    db->ExecuteScript("CREATE TABLE Ents (SerialID INTEGER PRIMARY KEY AUTOINCREMENT, ID TEXT, EntName TEXT, "
                      "Name TEXT, BusName TEXT)");
    Globals::CreateUseCaseTables(*db, false);
    Globals::CreateWebServiceTables(*db, false);
    db->Execute("INSERT INTO Ents (ID, EntName, Name, BusName) VALUES ('PROGRAM#1', 'PROGRAM', 'P', 'P')");
    const int64_t entity = db->LastInsertId();
    // The first bytes up to a NUL name the service; the rest is the stored document.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t nul = input.find('\0');
    const std::string service = nul == std::string::npos ? std::string("Service") : input.substr(0, nul);
    const std::string stored = nul == std::string::npos ? input : input.substr(nul + 1);
    db->Execute("INSERT INTO ucMessages (ElementSID, XMLText, Nature) VALUES (?, ?, 2)", {entity, stored});
    db->Execute("INSERT INTO wsWebServices (Name) VALUES (?)", {service});
    const int64_t wsid = db->LastInsertId();
    db->Execute("INSERT INTO ucUseCases (Name, ForeignID, Nature) VALUES ('Op', ?, 1)", {entity});
    db->Execute("INSERT INTO wsWS_UC (WSID, UCID) VALUES (?, ?)", {wsid, db->LastInsertId()});

    QuietPrompt prompt;
    const auto wsdl = services::GenerateWebServiceWSDL(*db, wsid, prompt);
    if (wsdl) fuzzsupport::CheckWsdl(wsdl->text);
    return 0;
}
