#pragma once
// The workbench's option files: an options document per section (global
// options, user options), the factory that loads and copies option files,
// and the store of option resources.
//
// Option file format: <Options><Option Name="..." Value="..."/>...</Options>.

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/workbench/WorkbenchError.h"

namespace platform::workbench {

// The description of a section's options (its names and defaults); known
// here by its name only.
class OptionsResource {
public:
    explicit OptionsResource(std::string name) : m_name(std::move(name)) {}
    const std::string& GetName() const { return m_name; }
private:
    std::string m_name;
};

class OptionsDocument {
public:
    explicit OptionsDocument(std::string section) : m_section(std::move(section)) {}
    const std::string& GetSection() const { return m_section; }
    void SetResource(std::shared_ptr<OptionsResource> resource) { m_resource = std::move(resource); }
    const std::shared_ptr<OptionsResource>& GetResource() const { return m_resource; }
    void SetFilePath(const std::filesystem::path& path) { m_filePath = path; }
    const std::filesystem::path& GetFilePath() const { return m_filePath; }
    void SetFolder(const std::filesystem::path& folder) { m_folder = folder; }
    const std::filesystem::path& GetFolder() const { return m_folder; }
    // A value by option name (case kept); "" when the file did not set it.
    std::string GetValue(const std::string& name) const;
    void SetValue(const std::string& name, const std::string& value) { m_values[name] = value; }

private:
    std::string m_section;
    std::shared_ptr<OptionsResource> m_resource;
    std::filesystem::path m_filePath, m_folder;
    std::map<std::string, std::string> m_values;
};

class OptionsFactory {
public:
    // Reads an option file into a new document for the section. A missing
    // file gives a document without values; a file that is not an option
    // file raises WorkbenchError.
    std::shared_ptr<OptionsDocument> LoadOptions(const std::string& section, const std::filesystem::path& file) const;
    // Makes sure the user's file exists: copies the default file there, or
    // writes an empty option file when there is no default. An existing user
    // file is kept. createFolders makes the user file's folder when missing.
    // Raises WorkbenchError when the file cannot be made.
    bool CopyOptionsFile(const std::filesystem::path& defaultFile, const std::filesystem::path& userFile,
                         bool createFolders) const;
};

class OptionsStore {
public:
    std::shared_ptr<OptionsResource> LoadResource(const std::string& name) const {
        return std::make_shared<OptionsResource>(name);
    }
};

}  // namespace platform::workbench
