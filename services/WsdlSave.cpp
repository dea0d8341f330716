#include "services/WsdlSave.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace services {

std::string DefaultWsdlFileName(const std::string& serviceName) { return serviceName + "-WSDL.xml"; }

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
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error(std::strerror(errno));
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) throw std::runtime_error(std::strerror(errno));
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
    if (!wsdl) return std::nullopt;
    return SaveWSDL(wsdl->text, wsdl->serviceName, dialog, prompt);
}

}  // namespace services
