#include "platform/workbench/WorkspaceFile.h"

#include "platform/workbench/RepositoryCore.h"
#include "platform/xml/XmlDocument.h"

namespace platform::workbench {

using detail::SameText;
using detail::Upper;

std::filesystem::path WorkspaceFolderOf(const std::filesystem::path& workspaceFile) {
    // Only a trailing ".hxp" (any case) is the extension: "/d/x.hxp.d/Shop.hxp"
    // has its folder at "/d/x.hxp.d/Shop", not at "/d/x".
    std::string text = workspaceFile.string();
    constexpr std::string_view ext = ".HXP";
    if (text.size() > ext.size() && Upper(text.substr(text.size() - ext.size())) == ext)
        return std::filesystem::path(text.substr(0, text.size() - ext.size()));
    std::filesystem::path p = workspaceFile;
    return p.replace_extension();
}

void WriteWorkspaceFile(const std::filesystem::path& workspaceFile, const std::string& projectFolder,
                        const std::string& repositoryPath) {
    xml::Document doc;
    xml::Node root = doc.CreateElement("Workspace");
    doc.SetDocumentElement(root);
    root.SetAttribute("Version", "1");
    root.AppendElement("Project").AppendElement("Folder").SetText(projectFolder);
    root.AppendElement("Repository").SetAttribute("Path", repositoryPath);
    try {
        doc.Save(workspaceFile, {true, xml::Declaration::Always});
    } catch (const xml::XmlError& e) {
        throw WorkbenchError(e.what());
    }
}

const std::string& WorkspaceFileList::Item(long index) const {
    if (index < 0 || index >= Count()) throw WorkbenchError("The list has no item " + std::to_string(index) + ".");
    return m_texts[static_cast<size_t>(index)];
}

WorkspaceFileList WorkspaceFileElement::GetList(std::string_view name) const {
    std::vector<std::string> texts;
    for (auto& [n, text] : m_children)
        if (SameText(n, name)) texts.push_back(text);
    return WorkspaceFileList(std::move(texts));
}

std::string WorkspaceFileElement::GetAttribute(std::string_view name) const {
    for (auto& [n, value] : m_attributes)
        if (SameText(n, name)) return value;
    return {};
}

void WorkspaceFileReader::Load(const std::filesystem::path& workspaceFile) {
    xml::Document doc;
    if (!doc.LoadFile(workspaceFile))
        throw WorkbenchError("Cannot read the workspace file '" + workspaceFile.string() +
                             "': " + doc.LastParseError().Describe());
    xml::Node root = doc.DocumentElement();
    if (!root || !SameText(root.Name(), "Workspace"))
        throw WorkbenchError("'" + workspaceFile.string() + "' is not a workspace file.");
    m_file = workspaceFile;
    m_elements.clear();
    for (xml::Node element : root.ChildElements()) {
        std::vector<std::pair<std::string, std::string>> children;
        for (xml::Node child : element.ChildElements()) children.emplace_back(child.Name(), child.Text());
        m_elements.emplace_back(element.Name(), WorkspaceFileElement(std::move(children), element.Attributes()));
    }
}

bool WorkspaceFileReader::HasElement(std::string_view name) const {
    for (auto& [n, e] : m_elements)
        if (SameText(n, name)) return true;
    return false;
}

WorkspaceFileElement WorkspaceFileReader::GetElement(std::string_view name) const {
    for (auto& [n, e] : m_elements)
        if (SameText(n, name)) return e;
    throw WorkbenchError("The workspace file has no element '" + std::string(name) + "'.");
}

std::filesystem::path WorkspaceFileReader::RepositoryFile() const {
    std::string relative = HasElement("Repository") ? GetElement("Repository").GetAttribute("Path") : std::string();
    if (relative.empty()) relative = "Repository.db";
    for (auto& c : relative)
        if (c == '\\') c = '/';
    return WorkspaceFolderOf(m_file) / relative;
}

}  // namespace platform::workbench
