#include "platform/workbench/CodeModelBuilder.h"

#include "platform/workbench/CodeModelFormat.h"

namespace platform::workbench {

std::string SignedNumberText(long value) {
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

CodeModelBuilder::CodeModelBuilder(const std::filesystem::path& modelDatabase, std::string_view programKey,
                                   std::string_view idPrefix)
    : m_file(modelDatabase), m_prefix(idPrefix) {
    std::error_code ec;
    std::filesystem::remove(modelDatabase, ec);
    if (modelDatabase.has_parent_path()) std::filesystem::create_directories(modelDatabase.parent_path(), ec);
    try {
        m_db = db::Database::Create(modelDatabase);
        m_db->ExecuteScript("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;");
        m_db->ExecuteScript(kCodeModelSchemaSql);
        m_db->Execute("INSERT INTO ModelInfo (Name, Value) VALUES (?, ?)",
                      {"FormatVersion", std::to_string(kCodeModelFormatVersion)});
        m_db->Execute("INSERT INTO ModelInfo (Name, Value) VALUES (?, ?)", {"ProgramKey", std::string(programKey)});
        m_db->Begin();
    } catch (const db::DbError& e) {
        throw WorkbenchError(std::string("Cannot create the code model: ") + e.what());
    }
    m_insConstruct.emplace(
        m_db->Prepare("INSERT INTO Constructs (VNID, Type, Name, Parent, Seq, size) VALUES (?, ?, ?, ?, ?, ?)"));
    m_insValue.emplace(m_db->Prepare("INSERT OR REPLACE INTO ConstructValues (VNID, Name, Value) VALUES (?, ?, ?)"));
    m_insRel.emplace(m_db->Prepare("INSERT INTO ConstructRelations (FromVNID, Name, ToVNID, Seq) VALUES (?, ?, ?, ?)"));
    m_insElement.emplace(m_db->Prepare("INSERT INTO DataListElements (ListId, Seq, VNID) VALUES (?, ?, ?)"));
}

CodeModelBuilder::~CodeModelBuilder() {
    if (m_finished) return;
    m_insConstruct.reset();
    m_insValue.reset();
    m_insRel.reset();
    m_insElement.reset();
    m_db.reset();
    std::error_code ec;
    std::filesystem::remove(m_file, ec);
}

std::string CodeModelBuilder::AddConstruct(std::string_view type, std::string_view name, std::string_view parent,
                                           int64_t sizeBits) {
    if (type.empty()) throw WorkbenchError("A construct needs a type.");
    if (!parent.empty() && !Has(parent))
        throw WorkbenchError("The parent construct '" + std::string(parent) + "' does not exist.");
    std::string id = m_prefix + ":" + std::to_string(m_next++);
    db::Value parentValue = parent.empty() ? db::Value() : db::Value(std::string(parent));
    m_insConstruct->Run({id, std::string(type), std::string(name), parentValue, ++m_seq, sizeBits});
    m_ids.insert(id);
    return id;
}

void CodeModelBuilder::SetValue(std::string_view id, std::string_view name, std::string_view value) {
    if (!Has(id)) throw WorkbenchError("No construct '" + std::string(id) + "' to give a value.");
    m_insValue->Run({std::string(id), std::string(name), std::string(value)});
}

void CodeModelBuilder::SetDeclaration(std::string_view id, const DeclarationProperties& p) {
    SetValue(id, "Elementary", p.elementary ? "True" : "False");
    if (!p.elementary) return;
    SetValue(id, "SqlType", p.sqlType);
    SetValue(id, "Length", SignedNumberText(p.length));
    SetValue(id, "Digits", SignedNumberText(p.digits));
    SetValue(id, "Fraction", std::to_string(p.fraction));
}

void CodeModelBuilder::Relate(std::string_view from, std::string_view relationName, std::string_view to) {
    if (!Has(from)) throw WorkbenchError("A relation from '" + std::string(from) + "', which does not exist, is refused.");
    if (!Has(to)) throw WorkbenchError("A relation to '" + std::string(to) + "', which does not exist, is refused.");
    m_insRel->Run({std::string(from), std::string(relationName), std::string(to), ++m_relSeq});
}

int64_t CodeModelBuilder::AddDataList(std::string_view name, std::string_view caption) {
    int64_t id = ++m_lists;
    m_db->Execute("INSERT INTO DataLists (ListId, Name, Caption) VALUES (?, ?, ?)",
                  {id, std::string(name), std::string(caption)});
    m_listSizes.push_back(0);
    return id;
}

void CodeModelBuilder::AddListElement(int64_t listId, std::string_view id) {
    if (listId < 1 || listId > m_lists) throw WorkbenchError("No data list " + std::to_string(listId) + ".");
    if (!Has(id)) throw WorkbenchError("No construct '" + std::string(id) + "' to list.");
    m_insElement->Run({listId, ++m_listSizes[static_cast<size_t>(listId - 1)], std::string(id)});
}

void CodeModelBuilder::Finish() {
    if (m_finished) return;
    m_insConstruct.reset();
    m_insValue.reset();
    m_insRel.reset();
    m_insElement.reset();
    m_db->Commit();
    m_db->ExecuteScript("PRAGMA journal_mode = DELETE;");
    m_db->Close();
    m_finished = true;
}

}  // namespace platform::workbench
