#pragma once
// The CRUD signature of a program: the data stores it accesses, one row per
// store name, with a mark for each kind of access (insert, read, update,
// delete). It is plain data, so the signature window and the report pages
// fill their lists from the same rows.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/db/Database.h"

namespace Globals {

// The four kinds of access a signature marks, in column order.
inline constexpr char kCrudKinds[] = "IRUD";

struct CrudSignatureRow {
    std::string storeName;
    // Marks in the order of kCrudKinds: Inserts, Reads, Updates, Deletes.
    bool marks[4] = {false, false, false, false};

    bool Marked(char kind) const;
};

// The list a signature is built into. Rows are keyed by store name,
// compared as the database compares names (ASCII case ignored), so two
// stores of one name share a row, shown with the name first met.
class CrudSignature {
public:
    const std::vector<CrudSignatureRow>& Rows() const { return m_rows; }
    bool ItemExists(std::string_view storeName) const;
    // The row of that store, added unmarked when it is new.
    CrudSignatureRow& Row(const std::string& storeName);

private:
    std::vector<CrudSignatureRow> m_rows;
    std::unordered_map<std::string, size_t> m_index;
};

// Adds to list the "access" relationships of the program id: a row per
// store name, marked when the relationship's full name starts with I, R, U
// or D (any other first character, such as W for writes, adds the row
// without a mark). Then, while depth allows, the programs id calls, each
// with depth - 1; path holds the programs above id on the call path, and a
// program already on it is not entered again. depth 0 adds nothing.
void BuildCRUDSignature(platform::db::Database& db, CrudSignature& list, const std::string& id,
                        const std::vector<std::string>& path, int depth);

// The signature every caller shows: the program's own accesses only.
CrudSignature ProgramCRUDSignature(platform::db::Database& db, const std::string& id);

// The same readings with their statements prepared once, for a caller that
// reads the signatures of many programs. Drop it before the database closes.
class CrudSignatureReader {
public:
    explicit CrudSignatureReader(platform::db::Database& db);
    ~CrudSignatureReader();
    CrudSignatureReader(const CrudSignatureReader&) = delete;
    CrudSignatureReader& operator=(const CrudSignatureReader&) = delete;

    // As BuildCRUDSignature and ProgramCRUDSignature.
    void Build(CrudSignature& list, const std::string& id, const std::vector<std::string>& path, int depth);
    CrudSignature Program(const std::string& id);

private:
    platform::db::Statement m_accesses, m_called;
};

// "<id>-CRUDSig", the key of the program's signature window.
std::string CrudSignatureKey(std::string_view id);

}  // namespace Globals
