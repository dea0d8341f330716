#pragma once
// The one transaction of a workspace build. Unlike platform::db::Transaction,
// leaving early keeps what was written: a cancelled or failed import commits
// its rows, so the database reopens with the partial content rather than a
// half transaction. A process killed during the build leaves the database
// as it was before (SQLite rolls the journal back), which the load has
// already marked incomplete. When the caller holds a transaction, the writes
// simply join it.
//
// Tables that are empty when the build starts get their indexes built once
// at the end instead of row by row: the indexes are set aside inside the
// transaction and made again before it commits, so no committed state ever
// lacks them.

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/db/Database.h"

namespace workspace {

class BuildTransaction {
public:
    // Begins the transaction (or joins the caller's); sets aside the indexes
    // of the named tables when it began it and every one of them is empty.
    BuildTransaction(platform::db::Database& db, std::initializer_list<const char*> indexLater);
    // Finish(), swallowing its errors: may run while an exception unwinds.
    ~BuildTransaction();
    BuildTransaction(const BuildTransaction&) = delete;
    BuildTransaction& operator=(const BuildTransaction&) = delete;

    // Makes the indexes set aside and commits; nothing is written after
    // this. When either fails the whole build is rolled back and the error
    // raised: a database without its indexes is never kept.
    void Finish();

    size_t IndexesSetAside() const { return m_indexes.size(); }

private:
    void SetAsideIndexes(std::initializer_list<const char*> tables);

    platform::db::Database& m_db;
    std::vector<std::string> m_indexes;   // their CREATE statements
    bool m_owned = false;   // false when the caller's transaction was joined
};

}  // namespace workspace
