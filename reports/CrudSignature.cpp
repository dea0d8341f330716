#include "reports/CrudSignature.h"

#include <algorithm>
#include <cstring>

#include "common/AsciiCase.h"
#include "platform/db/Database.h"

namespace Globals {

using platform::db::Database;

bool CrudSignatureRow::Marked(char kind) const {
    const char* at = std::strchr(kCrudKinds, kind);
    return kind != '\0' && at && marks[at - kCrudKinds];
}

bool CrudSignature::ItemExists(std::string_view storeName) const {
    return m_index.count(common::AsciiFold(storeName)) > 0;
}

CrudSignatureRow& CrudSignature::Row(const std::string& storeName) {
    const auto [it, added] = m_index.emplace(common::AsciiFold(storeName), m_rows.size());
    if (added) m_rows.push_back(CrudSignatureRow{storeName});
    return m_rows[it->second];
}

// The first character keeps its case: only capital I, R, U, D mark.
// The order is that of the distinct rows, by store id and name.
constexpr char kAccessesSql[] =
    "SELECT DISTINCT Rels.Id1, Rels.Id2, Ents.Name, substr(Rels.RelNameFull, 1, 1) AS RFNI "
    "FROM Rels INNER JOIN Ents ON Rels.Id2 = Ents.Id "
    "WHERE Rels.Id1 = ?1 AND Rels.RelName = ?2 ORDER BY Rels.Id2, Ents.Name, RFNI";
constexpr char kCalledSql[] =
    "SELECT DISTINCT Id2 FROM Rels WHERE EntName2 = ?1 AND Id1 = ?2 AND RelName = ?3 ORDER BY Id2";

CrudSignatureReader::CrudSignatureReader(Database& db)
    : m_accesses(db.Prepare(kAccessesSql)), m_called(db.Prepare(kCalledSql)) {}

CrudSignatureReader::~CrudSignatureReader() = default;

void CrudSignatureReader::Build(CrudSignature& list, const std::string& id, const std::vector<std::string>& path,
                                int depth) {
    if (depth <= 0) return;
    // Ids compare as the database compares them.
    if (std::any_of(path.begin(), path.end(),
                    [&](const std::string& above) { return common::AsciiEqualNoCase(above, id); }))
        return;

    // Each statement is read to its end before the next level runs it again.
    m_accesses.BindAll({id, "access"});
    while (m_accesses.Step()) {
        CrudSignatureRow& row = list.Row(m_accesses.Column(2).AsText());
        const std::string kind = m_accesses.Column(3).AsText();
        if (kind.size() != 1) continue;   // empty, null or not a single ASCII letter
        if (const char* at = std::strchr(kCrudKinds, kind[0]); at && kind[0] != '\0') row.marks[at - kCrudKinds] = true;
    }
    m_accesses.Reset();

    if (depth == 1) return;   // the called programs would add nothing
    std::vector<std::string> called;
    m_called.BindAll({"PROGRAM", id, "Calls"});
    while (m_called.Step()) called.push_back(m_called.Column(0).AsText());
    m_called.Reset();
    std::vector<std::string> below = path;
    below.push_back(id);
    for (const std::string& program : called) Build(list, program, below, depth - 1);
}

CrudSignature CrudSignatureReader::Program(const std::string& id) {
    CrudSignature list;
    Build(list, id, {}, 1);
    return list;
}

void BuildCRUDSignature(Database& db, CrudSignature& list, const std::string& id, const std::vector<std::string>& path,
                        int depth) {
    CrudSignatureReader(db).Build(list, id, path, depth);
}

CrudSignature ProgramCRUDSignature(Database& db, const std::string& id) { return CrudSignatureReader(db).Program(id); }

std::string CrudSignatureKey(std::string_view id) { return std::string(id) + "-CRUDSig"; }

}  // namespace Globals
