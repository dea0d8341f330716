#include "platform/workbench/RepositoryCore.h"

#include <cctype>

namespace platform::workbench::detail {

std::string Upper(std::string_view text) {
    std::string out(text);
    for (auto& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

RepositoryCore::RepositoryCore(std::unique_ptr<db::Database> database) : db(std::move(database)) {
    auto types = db->Prepare("SELECT TypeId, Name FROM EntityTypes");
    while (types.Step()) {
        int64_t id = types.Int(0);
        if (id < 0) continue;
        typeNames[id] = types.Text(1);
        typeIds[Upper(types.Text(1))] = id;
    }
    auto rels = db->Prepare("SELECT RelTypeId, Name, Role0, Role1 FROM RelationTypes");
    while (rels.Step()) {
        int64_t id = rels.Int(0);
        if (id < 0) continue;
        relationTypes[id] = {id, rels.Text(1), rels.Text(2), rels.Text(3)};
        relationTypeIds[Upper(rels.Text(1))] = id;
    }
}

RepositoryCore::~RepositoryCore() { Close(); }

void RepositoryCore::Close() {
    m_entity.reset();
    m_attribute.reset();
    m_out.reset();
    m_in.reset();
    m_ofType.reset();
    m_named.reset();
    db.reset();
}

db::Database& RepositoryCore::Db() {
    if (!db) throw WorkbenchError("The repository is closed.");
    return *db;
}

const std::string& RepositoryCore::TypeName(int64_t typeId) const {
    static const std::string empty;
    auto it = typeNames.find(typeId);
    return it == typeNames.end() ? empty : it->second;
}

std::optional<int64_t> RepositoryCore::TypeId(std::string_view name) const {
    auto it = typeIds.find(Upper(name));
    if (it == typeIds.end()) return std::nullopt;
    return it->second;
}

const RelationTypeInfo& RepositoryCore::RelationTypeById(int64_t id) const {
    auto it = relationTypes.find(id);
    if (id <= 0 || it == relationTypes.end())
        throw WorkbenchError("The repository holds a relation of an unknown type (" + std::to_string(id) + ").");
    return it->second;
}

const RelationTypeInfo* RepositoryCore::RelationTypeByName(std::string_view name) const {
    auto it = relationTypeIds.find(Upper(name));
    return it == relationTypeIds.end() ? nullptr : &relationTypes.at(it->second);
}

db::Statement& RepositoryCore::Stmt(std::optional<db::Statement>& slot, const char* sql) {
    if (!slot) slot.emplace(Db().Prepare(sql));
    slot->Reset();
    return *slot;
}

bool RepositoryCore::FindEntity(int64_t number, int64_t& typeId, std::string& name) {
    auto& st = Stmt(m_entity, "SELECT TypeId, Name FROM Entities WHERE Number = ?");
    st.Bind(1, number);
    bool found = st.Step();
    if (found) {
        typeId = st.Int(0);
        name = st.Text(1);
    }
    st.Reset();
    return found;
}

std::optional<std::string> RepositoryCore::Attribute(int64_t number, std::string_view name) {
    auto& st = Stmt(m_attribute, "SELECT Value FROM Attributes WHERE Number = ? AND Name = ?");
    st.Bind(1, number).Bind(2, std::string(name));
    std::optional<std::string> value;
    if (st.Step()) value = st.Text(0);
    st.Reset();
    return value;
}

std::vector<RelationRow> RepositoryCore::Relations(std::optional<db::Statement>& slot, const char* sql, int64_t number) {
    auto& st = Stmt(slot, sql);
    st.Bind(1, number);
    std::vector<RelationRow> rows;
    while (st.Step()) rows.push_back({st.Int(0), st.Int(1), st.Int(2), st.Text(3)});
    st.Reset();
    return rows;
}

std::vector<RelationRow> RepositoryCore::Outgoing(int64_t number) {
    return Relations(m_out,
                     "SELECT r.RelTypeId, e.Number, e.TypeId, e.Name FROM Relations r "
                     "JOIN Entities e ON e.Number = r.Target WHERE r.Source = ? ORDER BY r.RelId",
                     number);
}

std::vector<RelationRow> RepositoryCore::Incoming(int64_t number) {
    return Relations(m_in,
                     "SELECT r.RelTypeId, e.Number, e.TypeId, e.Name FROM Relations r "
                     "JOIN Entities e ON e.Number = r.Source WHERE r.Target = ? ORDER BY r.RelId",
                     number);
}

std::vector<RelationRow> RepositoryCore::EntitiesOfType(int64_t typeId) {
    return Relations(m_ofType, "SELECT 0, Number, TypeId, Name FROM Entities WHERE TypeId = ? ORDER BY Number",
                     typeId);
}

std::vector<RelationRow> RepositoryCore::EntitiesNamed(int64_t typeId, std::string_view name) {
    auto& st = Stmt(m_named,
                    "SELECT 0, Number, TypeId, Name FROM Entities WHERE TypeId = ? AND Name = ? COLLATE NOCASE "
                    "ORDER BY Number");
    st.Bind(1, typeId).Bind(2, std::string(name));
    std::vector<RelationRow> rows;
    while (st.Step()) rows.push_back({st.Int(0), st.Int(1), st.Int(2), st.Text(3)});
    st.Reset();
    return rows;
}

}  // namespace platform::workbench::detail
