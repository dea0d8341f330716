#pragma once
// What every handle of an open repository shares: the database, the type
// and relation-type tables held in memory (they are small), and the
// prepared statements of the indexed look-ups, reused call after call.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/db/Database.h"
#include "platform/workbench/WorkbenchError.h"

namespace platform::workbench::detail {

struct RelationTypeInfo {
    int64_t id = 0;
    std::string name, role0, role1;
};

// One relation as seen from one of its ends.
struct RelationRow {
    int64_t relTypeId;
    int64_t number;   // the entity at the other end
    int64_t typeId;
    std::string name;
};

struct RepositoryCore {
    explicit RepositoryCore(std::unique_ptr<db::Database> database);
    ~RepositoryCore();

    void Close();
    bool IsOpen() const { return db != nullptr; }
    db::Database& Db();

    // Names held in memory; upper-cased keys make look-ups case-blind.
    const std::string& TypeName(int64_t typeId) const;
    std::optional<int64_t> TypeId(std::string_view name) const;
    const RelationTypeInfo& RelationTypeById(int64_t id) const;
    const RelationTypeInfo* RelationTypeByName(std::string_view name) const;

    // Indexed look-ups.
    bool FindEntity(int64_t number, int64_t& typeId, std::string& name);
    std::optional<std::string> Attribute(int64_t number, std::string_view name);
    std::vector<RelationRow> Outgoing(int64_t number);
    std::vector<RelationRow> Incoming(int64_t number);
    std::vector<RelationRow> EntitiesOfType(int64_t typeId);   // relTypeId unused
    std::vector<RelationRow> EntitiesNamed(int64_t typeId, std::string_view name);

    std::unique_ptr<db::Database> db;
    // Keyed by number: a repository's type numbers need not be small or dense.
    std::unordered_map<int64_t, std::string> typeNames;
    std::unordered_map<std::string, int64_t> typeIds;
    std::unordered_map<int64_t, RelationTypeInfo> relationTypes;
    std::unordered_map<std::string, int64_t> relationTypeIds;

private:
    db::Statement& Stmt(std::optional<db::Statement>& slot, const char* sql);
    std::vector<RelationRow> Relations(std::optional<db::Statement>& slot, const char* sql, int64_t number);

    std::optional<db::Statement> m_entity, m_attribute, m_out, m_in, m_ofType, m_named;
};

std::string Upper(std::string_view text);
bool SameText(std::string_view a, std::string_view b);

}  // namespace platform::workbench::detail
