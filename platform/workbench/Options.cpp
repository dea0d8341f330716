#include "platform/workbench/Options.h"

#include "platform/xml/XmlDocument.h"

namespace platform::workbench {

std::string OptionsDocument::GetValue(const std::string& name) const {
    auto it = m_values.find(name);
    return it == m_values.end() ? std::string() : it->second;
}

std::shared_ptr<OptionsDocument> OptionsFactory::LoadOptions(const std::string& section,
                                                             const std::filesystem::path& file) const {
    auto doc = std::make_shared<OptionsDocument>(section);
    doc->SetFilePath(file);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return doc;
    xml::Document xmlDoc;
    if (!xmlDoc.LoadFile(file))
        throw WorkbenchError("The option file '" + file.string() + "' cannot be read: " +
                             xmlDoc.LastParseError().Describe());
    for (xml::Node option : xmlDoc.SelectNodes("/*/Option"))
        doc->SetValue(option.GetAttribute("Name"), option.GetAttribute("Value"));
    return doc;
}

bool OptionsFactory::CopyOptionsFile(const std::filesystem::path& defaultFile, const std::filesystem::path& userFile,
                                     bool createFolders) const {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(userFile, ec)) return true;
    if (createFolders && userFile.has_parent_path()) fs::create_directories(userFile.parent_path(), ec);
    if (fs::exists(defaultFile, ec)) {
        fs::copy_file(defaultFile, userFile, ec);
        if (ec) throw WorkbenchError("Cannot copy '" + defaultFile.string() + "' to '" + userFile.string() + "': " +
                                     ec.message());
        return true;
    }
    xml::Document empty = xml::Document::Parse("<Options/>");
    try {
        empty.Save(userFile, {true, xml::Declaration::Always});
    } catch (const xml::XmlError& e) {
        throw WorkbenchError(e.what());
    }
    return true;
}

}  // namespace platform::workbench
