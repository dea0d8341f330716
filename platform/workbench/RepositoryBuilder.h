#pragma once
// Writes a repository file (tests, the sample workspace, the generator of
// synthetic repositories). Entities get their numbers in the order they are
// added; a relation to an entity that does not exist, or of a relation type
// not defined, is refused with WorkbenchError. Everything is written in one
// transaction that Finish() commits; a builder dropped without Finish()
// leaves no half-written repository behind (the file is removed).

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/db/Database.h"
#include "platform/workbench/WorkbenchError.h"

namespace platform::workbench {

using AttributeList = std::vector<std::pair<std::string, std::string>>;

class RepositoryBuilder {
public:
    // Creates a new, empty repository file, replacing an existing one.
    explicit RepositoryBuilder(const std::filesystem::path& repositoryFile);
    ~RepositoryBuilder();
    RepositoryBuilder(const RepositoryBuilder&) = delete;
    RepositoryBuilder& operator=(const RepositoryBuilder&) = delete;

    // Writes <workspaceFile> naming the project folder and a repository file
    // "Repository.db" in the workspace folder, and starts that repository.
    static std::unique_ptr<RepositoryBuilder> CreateWorkspace(const std::filesystem::path& workspaceFile,
                                                              const std::string& projectFolder);

    // Entity types are made on first use; names compare without regard to case.
    int64_t AddEntity(std::string_view type, std::string_view name, const AttributeList& attributes = {});
    void SetAttribute(int64_t number, std::string_view name, std::string_view value);
    // A relation type with the name that outgoing queries read (side 0) and
    // the one incoming queries read (side 1). Defining a name again with the
    // same roles is harmless; with other roles it is refused.
    void DefineRelationType(std::string_view name, std::string_view role0, std::string_view role1);
    void Relate(std::string_view relationType, int64_t source, int64_t target);

    bool Exists(int64_t number) const { return number > 0 && static_cast<size_t>(number) < m_typeOf.size(); }
    // "<TYPE>#<n>" of an entity added here.
    std::string Key(int64_t number) const;
    int64_t EntityCount() const { return static_cast<int64_t>(m_typeOf.size()) - 1; }
    int64_t RelationCount() const { return m_relations; }

    // Commits; the builder cannot be used afterwards.
    void Finish();

private:
    int64_t TypeIdOf(std::string_view type);

    std::filesystem::path m_file;
    std::unique_ptr<db::Database> m_db;
    std::optional<db::Statement> m_insEntity, m_insAttr, m_insRel, m_insType;
    std::unordered_map<std::string, int64_t> m_typeIds;   // upper-cased name
    std::vector<std::string> m_typeNames;
    std::unordered_map<std::string, std::pair<int64_t, std::pair<std::string, std::string>>> m_relTypes;
    std::vector<int64_t> m_typeOf;   // by entity number; index 0 unused
    int64_t m_relations = 0;
    bool m_finished = false;
};

}  // namespace platform::workbench
