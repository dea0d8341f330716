#include "platform/workbench/CodeModel.h"

#include "platform/screenmap/WorkspaceFiles.h"
#include "platform/workbench/CodeModelFormat.h"
#include "platform/workbench/EntityStore.h"
#include "platform/workbench/RepositoryCore.h"
#include "platform/workbench/WorkbenchSession.h"

namespace platform::workbench {

namespace detail {

struct CodeModelCore {
    std::unique_ptr<db::Database> db;
    std::string programKey;
    std::optional<db::Statement> construct, value, children, childrenOfType, related;

    db::Database& Db() {
        if (!db) throw WorkbenchError("The code model is closed.");
        return *db;
    }
    db::Statement& Stmt(std::optional<db::Statement>& slot, const char* sql) {
        if (!slot) slot.emplace(Db().Prepare(sql));
        slot->Reset();
        return *slot;
    }
    void Close() {
        construct.reset();
        value.reset();
        children.reset();
        childrenOfType.reset();
        related.reset();
        db.reset();
    }
};

}  // namespace detail

using detail::CodeModelCore;

namespace {

CodeModelCore& Need(const std::shared_ptr<CodeModelCore>& core) {
    if (!core || !core->db) throw WorkbenchError("The code model is closed.");
    return *core;
}

std::vector<CodeModelConstruct> ReadConstructs(const std::shared_ptr<CodeModelCore>& core, db::Statement& st) {
    std::vector<CodeModelConstruct> out;
    while (st.Step()) out.emplace_back(core, st.Text(0), st.Text(1), st.Text(2));
    st.Reset();
    return out;
}

}  // namespace

CodeModelConstruct::CodeModelConstruct(std::shared_ptr<CodeModelCore> core, std::string id, std::string type,
                                       std::string name)
    : m_core(std::move(core)), m_id(std::move(id)), m_type(std::move(type)), m_name(std::move(name)) {}

std::string CodeModelConstruct::GetAttribute(std::string_view name) const { return GetProperty(name); }

std::string CodeModelConstruct::GetProperty(std::string_view name) const {
    auto& st = Need(m_core).Stmt(m_core->value, "SELECT Value FROM ConstructValues WHERE VNID = ? AND Name = ?");
    st.Bind(1, m_id).Bind(2, std::string(name));
    std::string value = st.Step() ? st.Text(0) : std::string();
    st.Reset();
    return value;
}

CodeModelObjectList CodeModelConstruct::GetChildren() const {
    auto& st = Need(m_core).Stmt(m_core->children,
                                 "SELECT VNID, Type, Name FROM Constructs WHERE Parent = ? ORDER BY Seq");
    st.Bind(1, m_id);
    return CodeModelObjectList(m_core, ReadConstructs(m_core, st));
}

CodeModelObjectList CodeModelConstruct::GetObjectsOfType(std::string_view type) const {
    auto& st = Need(m_core).Stmt(m_core->childrenOfType,
                                 "SELECT VNID, Type, Name FROM Constructs WHERE Parent = ? AND Type = ? ORDER BY Seq");
    st.Bind(1, m_id).Bind(2, std::string(type));
    return CodeModelObjectList(m_core, ReadConstructs(m_core, st));
}

CodeModelObjectList CodeModelConstruct::GetRelated(std::string_view relationName) const {
    auto& st = Need(m_core).Stmt(m_core->related,
                                 "SELECT c.VNID, c.Type, c.Name FROM ConstructRelations r "
                                 "JOIN Constructs c ON c.VNID = r.ToVNID "
                                 "WHERE r.FromVNID = ? AND r.Name = ? ORDER BY r.Seq");
    st.Bind(1, m_id).Bind(2, std::string(relationName));
    return CodeModelObjectList(m_core, ReadConstructs(m_core, st));
}

const CodeModelConstruct& CodeModelObjectList::Current() const {
    if (AtEnd()) throw WorkbenchError("The construct list is at its end.");
    return m_items[m_pos];
}

const CodeModelConstruct& CodeModelObjectList::Item(long index) const {
    if (index < 0 || index >= Count()) throw WorkbenchError("The construct list has no item " + std::to_string(index) + ".");
    return m_items[static_cast<size_t>(index)];
}

db::Recordset CodeModelDataList::GetElements() const {
    return Need(m_core).Db().OpenRecordset(
        "SELECT e.VNID AS vnid, c.Name AS name FROM DataListElements e "
        "LEFT JOIN Constructs c ON c.VNID = e.VNID WHERE e.ListId = ? ORDER BY e.Seq",
        {m_listId});
}

std::vector<CodeModelDataList> CodeModel::GetDataLists() const {
    std::vector<CodeModelDataList> out;
    auto st = Need(m_core).Db().Prepare("SELECT ListId, Name, Caption FROM DataLists ORDER BY ListId");
    while (st.Step()) out.emplace_back(m_core, st.Int(0), st.Text(1), st.Text(2));
    return out;
}

std::optional<CodeModelConstruct> CodeModel::FindConstruct(std::string_view id) const {
    auto& st = Need(m_core).Stmt(m_core->construct, "SELECT VNID, Type, Name FROM Constructs WHERE VNID = ?");
    st.Bind(1, std::string(id));
    std::optional<CodeModelConstruct> out;
    if (st.Step()) out.emplace(m_core, st.Text(0), st.Text(1), st.Text(2));
    st.Reset();
    return out;
}

CodeModelConstruct CodeModel::GetConstruct(std::string_view id) const {
    auto found = FindConstruct(id);
    if (!found) throw WorkbenchError("The code model has no construct '" + std::string(id) + "'.");
    return *found;
}

CodeModelObjectList CodeModel::GetObjects(std::string_view parentId, std::string_view type) const {
    CodeModelCore& core = Need(m_core);
    if (!parentId.empty()) return GetConstruct(parentId).GetObjectsOfType(type);
    auto st = core.Db().Prepare("SELECT VNID, Type, Name FROM Constructs WHERE Type = ? ORDER BY Seq");
    st.Bind(1, std::string(type));
    return CodeModelObjectList(m_core, ReadConstructs(m_core, st));
}

const std::string& CodeModel::GetProgramKey() const { return Need(m_core).programKey; }

void CodeModel::Close() {
    if (m_core) m_core->Close();
}

bool CodeModel::IsOpen() const { return m_core && m_core->db; }

db::Database& CodeModel::GetDatabase() const { return Need(m_core).Db(); }

namespace {

// A "Vornic" value with every ".ctb" replaced by ".mdb" (letter case ignored)
// and forward slashes.
std::string ModelFileName(std::string_view vornic) {
    std::string name(vornic);
    std::string upper = detail::Upper(name);
    for (size_t pos = upper.find(".CTB"); pos != std::string::npos; pos = upper.find(".CTB", pos + 4)) {
        name.replace(pos, 4, ".mdb");
        upper.replace(pos, 4, ".MDB");
    }
    for (auto& c : name)
        if (c == '\\') c = '/';
    return name;
}

}  // namespace

std::filesystem::path ModelDatabasePath(const std::filesystem::path& workspaceFolder, std::string_view vornic) {
    return workspaceFolder / ModelFileName(vornic);
}

std::pair<std::string, std::string> ModelLoader::LookupSid(std::string_view id) const {
    if (!m_session) throw WorkbenchError("The model loader has no session.");
    RepositoryEntity entity = m_session->GetEntityStore().Item(id);
    std::string vornic = entity.GetAttribute("Vornic");
    if (vornic.empty()) throw WorkbenchError("'" + std::string(id) + "' names no code model.");
    return {LocateModelFile(m_session->GetWorkspaceFolder(), vornic, id), entity.GetId()};
}

std::string LocateModelFile(const std::filesystem::path& workspaceFolder, std::string_view vornic,
                            std::string_view id) {
    // A model belongs to the workspace only inside its folder: a value that
    // is absolute, climbs out or leads out through a link names none.
    const auto file = screenmap::WorkspaceFile(workspaceFolder, ModelFileName(vornic));
    if (!file)
        throw WorkbenchError("The model file '" + std::string(vornic) + "' of '" + std::string(id) +
                             "' lies outside the workspace folder.");
    return file->string();
}

CodeModel CodeModelFactory::CreateCodeModel(const EntityStore&, const std::string& modelFile, const std::string& key,
                                            bool readWhole) const {
    auto core = std::make_shared<CodeModelCore>();
    try {
        core->db = db::Database::Open(modelFile);
        // Closing the connection ends the transaction: nothing is written.
        if (readWhole) core->db->Begin();
        // Both tables in one look at the schema (names are unique in any letter case).
        const auto tables = core->db->Scalar(
            "SELECT count(*) FROM sqlite_master WHERE type IN ('table', 'view') "
            "AND name COLLATE NOCASE IN ('ModelInfo', 'Constructs')");
        if (tables.AsInt() != 2) throw WorkbenchError("'" + modelFile + "' is not a code model.");
        std::string stored = core->db->Scalar("SELECT Value FROM ModelInfo WHERE Name = ?", {"ProgramKey"}).AsText();
        if (!detail::SameText(stored, key))
            throw WorkbenchError("The code model '" + modelFile + "' belongs to '" + stored + "', not to '" + key + "'.");
        core->programKey = stored;
    } catch (const db::DbError& e) {
        throw WorkbenchError(std::string("Cannot open the code model: ") + e.what());
    }
    return CodeModel(core);
}

}  // namespace platform::workbench
