#pragma once
// Groups a long run of writes into transactions of a bounded number of steps.
// Unlike platform::db::Transaction, leaving early keeps what was written: a
// cancelled or failed import commits its rows, so the database reopens with
// the partial content rather than a half transaction. When the caller already
// holds a transaction, the writes simply join it.

#include "platform/db/Database.h"

namespace workspace {

class BatchTransaction {
public:
    BatchTransaction(platform::db::Database& db, int stepsPerBatch);
    ~BatchTransaction();
    BatchTransaction(const BatchTransaction&) = delete;
    BatchTransaction& operator=(const BatchTransaction&) = delete;

    // Counts one step; commits and starts the next batch when it is full.
    void Step();
    // Commits the open batch; nothing is written after this.
    void Finish();

private:
    platform::db::Database& m_db;
    const int m_stepsPerBatch;
    int m_steps = 0;
    bool m_owned = false;   // false when the caller's transaction was joined
};

}  // namespace workspace
