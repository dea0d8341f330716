#pragma once
// The workspace file <name>.hxp: a small XML document beside the workspace
// folder <name>/, naming the project folder and the repository file:
//
//   <Workspace Version="1">
//     <Project>
//       <Folder>Order Entry</Folder>
//     </Project>
//     <Repository Path="Repository.db"/>
//   </Workspace>
//
// The repository path is relative to the workspace folder (the file's path
// up to its first ".hxp", letter case ignored), like every "Source" attribute.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/workbench/WorkbenchError.h"

namespace platform::workbench {

// The workspace folder of a workspace file: its path up to the first ".hxp"
// (letter case ignored); the path less its extension when it has no ".hxp".
std::filesystem::path WorkspaceFolderOf(const std::filesystem::path& workspaceFile);

// Writes a workspace file; raises WorkbenchError when it cannot be written.
void WriteWorkspaceFile(const std::filesystem::path& workspaceFile, const std::string& projectFolder,
                        const std::string& repositoryPath = "Repository.db");

class WorkspaceFileList {
public:
    WorkspaceFileList() = default;
    explicit WorkspaceFileList(std::vector<std::string> texts) : m_texts(std::move(texts)) {}
    // The first item's text; "" when the list is empty.
    std::string GetText() const { return m_texts.empty() ? std::string() : m_texts.front(); }
    long Count() const { return static_cast<long>(m_texts.size()); }
    const std::string& Item(long index) const;
private:
    std::vector<std::string> m_texts;
};

class WorkspaceFileElement {
public:
    WorkspaceFileElement() = default;
    WorkspaceFileElement(std::vector<std::pair<std::string, std::string>> children,
                         std::vector<std::pair<std::string, std::string>> attributes)
        : m_children(std::move(children)), m_attributes(std::move(attributes)) {}
    // The texts of the child elements of that name (case ignored), in order.
    WorkspaceFileList GetList(std::string_view name) const;
    std::string GetAttribute(std::string_view name) const;
private:
    std::vector<std::pair<std::string, std::string>> m_children;
    std::vector<std::pair<std::string, std::string>> m_attributes;
};

class WorkspaceFileReader {
public:
    // Reads the file; raises WorkbenchError when it is missing or not a workspace file.
    void Load(const std::filesystem::path& workspaceFile);
    // A child element of the root by name (case ignored); raises when absent.
    WorkspaceFileElement GetElement(std::string_view name) const;
    bool HasElement(std::string_view name) const;
    // The repository file, resolved against the workspace folder.
    std::filesystem::path RepositoryFile() const;
    const std::filesystem::path& File() const { return m_file; }

private:
    std::filesystem::path m_file;
    std::vector<std::pair<std::string, WorkspaceFileElement>> m_elements;
};

}  // namespace platform::workbench
