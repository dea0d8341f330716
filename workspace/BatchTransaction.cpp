#include "workspace/BatchTransaction.h"

namespace workspace {

BatchTransaction::BatchTransaction(platform::db::Database& db, int stepsPerBatch)
    : m_db(db), m_stepsPerBatch(stepsPerBatch) {
    if (!m_db.InTransaction()) {
        m_db.Begin();
        m_owned = true;
    }
}

BatchTransaction::~BatchTransaction() {
    if (!m_owned) return;
    try {
        Finish();
    } catch (...) {
        // The commit itself failed: undo the batch rather than leave it open.
        try { m_db.Rollback(); } catch (...) {}
    }
}

void BatchTransaction::Step() {
    if (!m_owned || ++m_steps < m_stepsPerBatch) return;
    m_steps = 0;
    m_db.Commit();
    m_db.Begin();
}

void BatchTransaction::Finish() {
    if (!m_owned) return;
    m_owned = false;
    // A failed statement may already have ended the transaction.
    if (m_db.InTransaction()) m_db.Commit();
}

}  // namespace workspace
