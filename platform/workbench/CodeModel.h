#pragma once
// A program's code model: its data lists (named groups of top-level
// declarations), its constructs (declarations, ports, variables, uses,
// instances, conditions) with type, identifier, name, named values and
// children, and the named relations between constructs ("Use",
// "Declaration", "Instances", "Conditions").
//
// A model lives in the program's model database, <model file> with ".ctb"
// replaced by ".mdb", which also carries the table Constructs (VNID, size)
// that the COMMAREA analysis reads. docs/REPOSITORY_FORMAT.md has the tables.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/Database.h"
#include "platform/workbench/WorkbenchError.h"

namespace platform::workbench {

class EntityStore;
class WorkbenchSession;

namespace detail {
struct CodeModelCore;
}

class CodeModelType {
public:
    explicit CodeModelType(std::string name) : m_name(std::move(name)) {}
    const std::string& GetName() const { return m_name; }
private:
    std::string m_name;
};

class CodeModelObjectList;

class CodeModelConstruct {
public:
    CodeModelConstruct(std::shared_ptr<detail::CodeModelCore> core, std::string id, std::string type, std::string name);

    const std::string& GetId() const { return m_id; }
    const std::string& GetName() const { return m_name; }
    // "DECL", "PORT", "VAR", "USE", "INSTANCE", "COND", "VALUE", ...
    const std::string& GetTypeText() const { return m_type; }
    CodeModelType GetType() const { return CodeModelType(m_type); }
    // Named values of the construct (name compared without regard to case);
    // attributes and properties are one set: either call reads any of them.
    // A value the construct does not have reads as "".
    std::string GetAttribute(std::string_view name) const;
    std::string GetProperty(std::string_view name) const;
    // Direct children in declaration order.
    CodeModelObjectList GetChildren() const;
    // Direct children of one construct type (case ignored).
    CodeModelObjectList GetObjectsOfType(std::string_view type) const;
    // Constructs related by name (case ignored), in recorded order.
    CodeModelObjectList GetRelated(std::string_view relationName) const;

private:
    std::shared_ptr<detail::CodeModelCore> m_core;
    std::string m_id, m_type, m_name;
};

// A cursor over constructs.
class CodeModelObjectList {
public:
    CodeModelObjectList(std::shared_ptr<detail::CodeModelCore> core, std::vector<CodeModelConstruct> items)
        : m_core(std::move(core)), m_items(std::move(items)) {}
    long Count() const { return static_cast<long>(m_items.size()); }
    bool AtEnd() const { return m_pos >= m_items.size(); }
    // Raises at the end.
    const CodeModelConstruct& Current() const;
    const CodeModelConstruct& Item(long index) const;
    void MoveNext() {
        if (m_pos < m_items.size()) ++m_pos;
    }
private:
    std::shared_ptr<detail::CodeModelCore> m_core;
    std::vector<CodeModelConstruct> m_items;
    size_t m_pos = 0;
};

class CodeModelDataList {
public:
    CodeModelDataList(std::shared_ptr<detail::CodeModelCore> core, int64_t listId, std::string name, std::string caption)
        : m_core(std::move(core)), m_listId(listId), m_name(std::move(name)), m_caption(std::move(caption)) {}
    const std::string& GetName() const { return m_name; }
    const std::string& GetCaption() const { return m_caption; }
    // One row per element, in list order, with the fields "vnid" (the
    // element's construct identifier) and "name". Raises once the model is closed.
    db::Recordset GetElements() const;
private:
    std::shared_ptr<detail::CodeModelCore> m_core;
    int64_t m_listId;
    std::string m_name, m_caption;
};

class CodeModel {
public:
    explicit CodeModel(std::shared_ptr<detail::CodeModelCore> core) : m_core(std::move(core)) {}

    // In the model's order.
    std::vector<CodeModelDataList> GetDataLists() const;
    // Raises WorkbenchError for an identifier the model does not have.
    CodeModelConstruct GetConstruct(std::string_view id) const;
    std::optional<CodeModelConstruct> FindConstruct(std::string_view id) const;
    // Constructs of a type (case ignored); an empty parent means the whole
    // model, otherwise the direct children of that construct.
    CodeModelObjectList GetObjects(std::string_view parentId, std::string_view type) const;
    const std::string& GetProgramKey() const;
    // Releases the model database; later calls raise.
    void Close();
    bool IsOpen() const;
    // The model database itself, for its tables beside the constructs'
    // relations (Constructs.size) and for a read transaction around many
    // calls. Raises once the model is closed.
    db::Database& GetDatabase() const;

private:
    std::shared_ptr<detail::CodeModelCore> m_core;
};

// The model database of a "Vornic" value: every ".ctb" replaced by ".mdb"
// (letter case ignored), relative to the workspace folder.
std::filesystem::path ModelDatabasePath(const std::filesystem::path& workspaceFolder, std::string_view vornic);

// The model database that the "Vornic" value of the entity id names inside
// the workspace folder (letter case resolved as on the disk). Raises
// WorkbenchError for a value that lies outside the folder (absolute,
// climbing out with "..", or through a symbolic link). It reads only the
// file system, so a worker thread may call it while the repository is busy.
std::string LocateModelFile(const std::filesystem::path& workspaceFolder, std::string_view vornic,
                            std::string_view id);

class ModelLoader {
public:
    // The session whose repository and workspace folder the loader uses;
    // nullptr when the workspace closes.
    void SetSession(WorkbenchSession* session) { m_session = session; }
    WorkbenchSession* GetSession() const { return m_session; }
    // For the key of the entity that carries a program's model ("Sid"
    // target): first the model database's path, second the key itself.
    // Raises when no session is set, the key is unknown, the entity names
    // no model file or names one outside the workspace folder (absolute,
    // climbing out with "..", or through a symbolic link).
    std::pair<std::string, std::string> LookupSid(std::string_view id) const;
private:
    WorkbenchSession* m_session = nullptr;
};

class CodeModelFactory {
public:
    // Opens the model database named by the first value (the model of the
    // program entity whose key is the second value). Raises WorkbenchError
    // when the file is missing or is not a model of that key. With
    // readWhole, the model stays inside one read transaction from its checks
    // to its close, for a caller that reads it at once and writes nothing:
    // the file is locked and its journal looked for once, not at every
    // statement (the caller opens no transaction of its own on it).
    CodeModel CreateCodeModel(const EntityStore& store, const std::string& modelFile, const std::string& key,
                              bool readWhole = false) const;
};

}  // namespace platform::workbench
