#include "services/WsdlSave.h"

#include "common/FileReplace.h"
#include "services/XmlNames.h"

namespace services {

std::string DefaultWsdlFileName(const std::string& serviceName) { return ToValidUtf8(serviceName) + "-WSDL.xml"; }

SaveDialogSpec WsdlSaveDialogSpec(const std::string& serviceName) {
    SaveDialogSpec spec;
    spec.title = "Save WSDL";
    spec.filter = "WSDL (*.xml)|*.xml";
    spec.defaultExtension = ".xml";
    spec.fileName = DefaultWsdlFileName(serviceName);
    spec.fallbackFileName = "WSDL.xml";
    return spec;
}

void WriteTextFile(const std::filesystem::path& file, const std::string& text) {
    // An earlier WSDL file survives a write that fails half way.
    common::ReplaceFileContents(file, text);
}

std::optional<std::filesystem::path> SaveWSDL(const std::string& text, const std::string& serviceName,
                                              ISaveDialog& dialog, common::IPrompt& prompt) {
    std::optional<std::filesystem::path> written;
    SaveWithLoop(dialog, prompt, WsdlSaveDialogSpec(serviceName), [&](const std::filesystem::path& file) {
        WriteTextFile(file, text);
        written = file;
    });
    return written;
}

std::optional<std::filesystem::path> GenerateAndSaveWebServiceWSDL(platform::db::Database& db, int64_t wsid,
                                                                   ISaveDialog& dialog, common::IPrompt& prompt) {
    auto wsdl = GenerateWebServiceWSDL(db, wsid, prompt);
    if (!wsdl) {
        // The command was chosen on purpose: doing nothing would look like a
        // save that silently failed.
        const std::string why = WsdlRefusal(db, wsid);
        if (!why.empty()) prompt.Message(why, WsdlSaveDialogSpec({}).title, common::Icon::Exclamation);
        return std::nullopt;
    }
    return SaveWSDL(wsdl->text, wsdl->serviceName, dialog, prompt);
}

}  // namespace services
