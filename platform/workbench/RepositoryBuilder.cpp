#include "platform/workbench/RepositoryBuilder.h"

#include "platform/workbench/RepositoryCore.h"
#include "platform/workbench/RepositoryFormat.h"
#include "platform/workbench/WorkspaceFile.h"

namespace platform::workbench {

using detail::Upper;

RepositoryBuilder::RepositoryBuilder(const std::filesystem::path& repositoryFile) : m_file(repositoryFile) {
    std::error_code ec;
    std::filesystem::remove(repositoryFile, ec);
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        std::filesystem::remove(repositoryFile.string() + suffix, ec);
    if (repositoryFile.has_parent_path()) std::filesystem::create_directories(repositoryFile.parent_path(), ec);
    try {
        m_db = db::Database::Create(repositoryFile);
        // A builder writes a file nobody reads yet: no need to wait for the disk.
        m_db->ExecuteScript("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;");
        m_db->ExecuteScript(kRepositorySchemaSql);
        m_db->Execute("INSERT INTO RepositoryInfo (Name, Value) VALUES (?, ?)",
                      {"FormatVersion", std::to_string(kRepositoryFormatVersion)});
        m_db->Begin();
    } catch (const db::DbError& e) {
        throw WorkbenchError(std::string("Cannot create the repository: ") + e.what());
    }
    m_typeOf.push_back(0);
    m_insEntity.emplace(m_db->Prepare("INSERT INTO Entities (Number, TypeId, Name) VALUES (?, ?, ?)"));
    m_insAttr.emplace(m_db->Prepare("INSERT OR REPLACE INTO Attributes (Number, Name, Value) VALUES (?, ?, ?)"));
    m_insRel.emplace(m_db->Prepare("INSERT INTO Relations (RelTypeId, Source, Target) VALUES (?, ?, ?)"));
    m_insType.emplace(m_db->Prepare("INSERT INTO EntityTypes (TypeId, Name) VALUES (?, ?)"));
}

RepositoryBuilder::~RepositoryBuilder() {
    if (m_finished) return;
    m_insEntity.reset();
    m_insAttr.reset();
    m_insRel.reset();
    m_insType.reset();
    m_db.reset();
    std::error_code ec;
    std::filesystem::remove(m_file, ec);
}

std::unique_ptr<RepositoryBuilder> RepositoryBuilder::CreateWorkspace(const std::filesystem::path& workspaceFile,
                                                                      const std::string& projectFolder) {
    std::filesystem::path folder = WorkspaceFolderOf(workspaceFile);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (workspaceFile.has_parent_path()) std::filesystem::create_directories(workspaceFile.parent_path(), ec);
    WriteWorkspaceFile(workspaceFile, projectFolder, "Repository.db");
    return std::make_unique<RepositoryBuilder>(folder / "Repository.db");
}

int64_t RepositoryBuilder::TypeIdOf(std::string_view type) {
    if (type.empty()) throw WorkbenchError("An entity needs a type name.");
    std::string key = Upper(type);
    auto it = m_typeIds.find(key);
    if (it != m_typeIds.end()) return it->second;
    int64_t id = static_cast<int64_t>(m_typeNames.size()) + 1;
    m_insType->Run({id, std::string(type)});
    m_typeIds.emplace(key, id);
    m_typeNames.emplace_back(type);
    return id;
}

int64_t RepositoryBuilder::AddEntity(std::string_view type, std::string_view name, const AttributeList& attributes) {
    if (m_finished) throw WorkbenchError("The repository has been finished.");
    int64_t typeId = TypeIdOf(type);
    int64_t number = static_cast<int64_t>(m_typeOf.size());
    m_insEntity->Run({number, typeId, std::string(name)});
    m_typeOf.push_back(typeId);
    for (auto& [attr, value] : attributes) SetAttribute(number, attr, value);
    return number;
}

void RepositoryBuilder::SetAttribute(int64_t number, std::string_view name, std::string_view value) {
    if (!Exists(number)) throw WorkbenchError("No entity " + std::to_string(number) + " to give an attribute.");
    // The name lives in the entity row; an attribute "Name" would shadow nothing.
    if (detail::SameText(name, "Name")) {
        m_db->Execute("UPDATE Entities SET Name = ? WHERE Number = ?", {std::string(value), number});
        return;
    }
    m_insAttr->Run({number, std::string(name), std::string(value)});
}

void RepositoryBuilder::DefineRelationType(std::string_view name, std::string_view role0, std::string_view role1) {
    if (name.empty() || role0.empty() || role1.empty())
        throw WorkbenchError("A relation type needs a name and two role names.");
    std::string key = Upper(name);
    auto it = m_relTypes.find(key);
    if (it != m_relTypes.end()) {
        if (it->second.second.first != role0 || it->second.second.second != role1)
            throw WorkbenchError("The relation type '" + std::string(name) + "' is already defined with other roles.");
        return;
    }
    int64_t id = static_cast<int64_t>(m_relTypes.size()) + 1;
    m_db->Execute("INSERT INTO RelationTypes (RelTypeId, Name, Role0, Role1) VALUES (?, ?, ?, ?)",
                  {id, std::string(name), std::string(role0), std::string(role1)});
    m_relTypes.emplace(key, std::make_pair(id, std::make_pair(std::string(role0), std::string(role1))));
}

void RepositoryBuilder::Relate(std::string_view relationType, int64_t source, int64_t target) {
    if (m_finished) throw WorkbenchError("The repository has been finished.");
    auto it = m_relTypes.find(Upper(relationType));
    if (it == m_relTypes.end()) throw WorkbenchError("No relation type '" + std::string(relationType) + "' is defined.");
    if (!Exists(source))
        throw WorkbenchError("A '" + std::string(relationType) + "' relation from entity " + std::to_string(source) +
                             ", which does not exist, is refused.");
    if (!Exists(target))
        throw WorkbenchError("A '" + std::string(relationType) + "' relation to entity " + std::to_string(target) +
                             ", which does not exist, is refused.");
    m_insRel->Run({it->second.first, source, target});
    ++m_relations;
}

std::string RepositoryBuilder::Key(int64_t number) const {
    if (!Exists(number)) throw WorkbenchError("No entity " + std::to_string(number) + ".");
    return m_typeNames[static_cast<size_t>(m_typeOf[static_cast<size_t>(number)] - 1)] + "#" + std::to_string(number);
}

void RepositoryBuilder::Finish() {
    if (m_finished) return;
    m_insEntity.reset();
    m_insAttr.reset();
    m_insRel.reset();
    m_insType.reset();
    m_db->Commit();
    m_db->ExecuteScript("PRAGMA journal_mode = DELETE; ANALYZE;");
    m_db->Close();
    m_finished = true;
}

}  // namespace platform::workbench
