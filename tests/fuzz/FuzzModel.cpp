// Program model files: any bytes as a model database give, without crash,
// either a refusal or message documents (Set As on every element of every
// list) that read again and a WSDL document of them that schema readers
// take.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/db/Database.h"
#include "platform/workbench/CodeModel.h"
#include "platform/workbench/EntityStore.h"
#include "platform/workbench/WorkbenchError.h"
#include "services/MessageDefinitions.h"
#include "services/MessageDocument.h"
#include "services/MessageStructure.h"
#include "services/ServiceTables.h"
#include "services/WsdlGenerator.h"
#include "tests/fuzz/FuzzSupport.h"

namespace fs = std::filesystem;
namespace wb = platform::workbench;

namespace {

// Bounds the work one input may cause.
constexpr int kMaxElements = 64;

std::vector<services::StoredMessage> MessagesOf(const platform::xml::Document& doc) {
    std::vector<services::StoredMessage> messages;
    for (const auto& message : doc.SelectNodes("//message")) {
        services::StoredMessage m{message.GetAttribute("name"), {}};
        for (const auto& part : message.ChildElements()) {
            services::StoredPart p{part.GetAttribute("name"), std::nullopt};
            if (part.HasAttribute("element")) p.element = part.GetAttribute("element");
            m.parts.push_back(p);
        }
        messages.push_back(m);
    }
    return messages;
}

void Run(const fs::path& file) {
    std::string key;
    try {
        key = platform::db::Database::Open(file)
                  ->Scalar("SELECT Value FROM ModelInfo WHERE Name = ?", {"ProgramKey"})
                  .AsText();
    } catch (const std::exception&) {
        return;
    }
    wb::CodeModel model = wb::CodeModelFactory().CreateCodeModel(wb::EntityStore(), file.string(), key);
    auto db = platform::db::Database::InMemory();
    Globals::CreateUseCaseTables(*db, false);
    services::MessageDefinitions defs;
    int elements = 0;
    bool input = true;
    for (const auto& list : services::VisibleDataLists(model)) {
        for (auto rows = list.GetElements(); !rows.IsEOF() && elements < kMaxElements; rows.MoveNext(), ++elements) {
            const auto nodes = services::CollectStructure(model, rows.Text("vnid"));
            if (!nodes) continue;
            defs.SetAs(*db, input, services::DefinitionNodes(*nodes), "PROGRAM#1", key);
            input = !input;
        }
    }
    const platform::xml::Document doc = services::BuildMessagesDocument(defs.Inputs(), defs.Outputs(), model);
    const std::string stored = services::MessagesXmlText(doc);
    if (stored.empty()) return;
    const platform::xml::Document reread = fuzzsupport::MustReload(stored);
    services::WsdlBuilder builder(key);
    builder.AddWSDLOperation(MessagesOf(reread));
    fuzzsupport::CheckWsdl(builder.ToString());
    model.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fs::path file = fs::temp_directory_path() / ("qa-fuzz-model-" + std::to_string(::getpid()) + ".mdb");
    fs::remove(file);
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                   static_cast<std::streamsize>(size));
    try {
        Run(file);
    } catch (const wb::WorkbenchError&) {
    } catch (const platform::db::DbError&) {
    }
    return 0;
}
