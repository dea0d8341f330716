#pragma once
// Saving a generated WSDL document through the shared save loop (SaveLoop.h).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "common/Prompt.h"
#include "platform/db/Database.h"
#include "services/SaveLoop.h"
#include "services/WsdlGenerator.h"

namespace services {

// The default WSDL file name of a service: "<service name>-WSDL.xml", with
// bytes of the name that are no UTF-8 replaced (ToValidUtf8).
std::string DefaultWsdlFileName(const std::string& serviceName);

// The dialog settings of the WSDL save: title "Save WSDL", filter
// "WSDL (*.xml)|*.xml", extension ".xml", the default name from the service
// name and "WSDL.xml" when the dialog refuses that name.
SaveDialogSpec WsdlSaveDialogSpec(const std::string& serviceName);

// Writes the text to the file, replacing it; raises std::runtime_error
// with the system's reason when it cannot (the save loop names the file).
void WriteTextFile(const std::filesystem::path& file, const std::string& text);

// Asks for the file and writes the document. A failed write is shown
// through the prompt with the path and the error. Returns the written file.
std::optional<std::filesystem::path> SaveWSDL(const std::string& text, const std::string& serviceName,
                                              ISaveDialog& dialog, common::IPrompt& prompt);

// The Save Web Service command without its window: generation, then the
// save loop. Returns the written file; nothing when the service is unknown
// or its name fails the check (both said through the prompt, WsdlRefusal),
// the user cancelled or the write failed.
std::optional<std::filesystem::path> GenerateAndSaveWebServiceWSDL(platform::db::Database& db, int64_t wsid,
                                                                   ISaveDialog& dialog, common::IPrompt& prompt);

}  // namespace services
