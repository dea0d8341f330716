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

void BuildCRUDSignature(Database& db, CrudSignature& list, const std::string& id, const std::vector<std::string>& path,
                        int depth) {
    if (depth <= 0) return;
    // Ids compare as the database compares them.
    if (std::any_of(path.begin(), path.end(),
                    [&](const std::string& above) { return common::AsciiEqualNoCase(above, id); }))
        return;

    // The first character keeps its case: only capital I, R, U, D mark.
    // The order is that of the distinct rows, by store id and name.
    auto accesses = db.OpenRecordset(
        "SELECT DISTINCT Rels.Id1, Rels.Id2, Ents.Name, substr(Rels.RelNameFull, 1, 1) AS RFNI "
        "FROM Rels INNER JOIN Ents ON Rels.Id2 = Ents.Id "
        "WHERE Rels.Id1 = ?1 AND Rels.RelName = ?2 ORDER BY Rels.Id2, Ents.Name, RFNI",
        {id, "access"});
    for (; !accesses.IsEOF(); accesses.MoveNext()) {
        CrudSignatureRow& row = list.Row(accesses.Text("Name"));
        const std::string kind = accesses.Text("RFNI");
        if (kind.size() != 1) continue;   // empty, null or not a single ASCII letter
        if (const char* at = std::strchr(kCrudKinds, kind[0]); at && kind[0] != '\0') row.marks[at - kCrudKinds] = true;
    }

    if (depth == 1) return;   // the called programs would add nothing
    std::vector<std::string> called;
    auto calls = db.OpenRecordset(
        "SELECT DISTINCT Id2 FROM Rels WHERE EntName2 = ?1 AND Id1 = ?2 AND RelName = ?3 ORDER BY Id2",
        {"PROGRAM", id, "Calls"});
    for (; !calls.IsEOF(); calls.MoveNext()) called.push_back(calls.Text("Id2"));
    std::vector<std::string> below = path;
    below.push_back(id);
    for (const std::string& program : called) BuildCRUDSignature(db, list, program, below, depth - 1);
}

CrudSignature ProgramCRUDSignature(Database& db, const std::string& id) {
    CrudSignature list;
    BuildCRUDSignature(db, list, id, {}, 1);
    return list;
}

std::string CrudSignatureKey(std::string_view id) { return std::string(id) + "-CRUDSig"; }

}  // namespace Globals
