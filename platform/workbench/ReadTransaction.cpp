#include "platform/workbench/ReadTransaction.h"

#include "platform/workbench/RepositoryCore.h"

namespace platform::workbench {

ReadTransaction::ReadTransaction(const EntityStore& store) : m_core(store.Core()) {
    if (!m_core || !m_core->IsOpen()) throw WorkbenchError("The repository is closed.");
    db::Database& db = m_core->Db();
    if (db.InTransaction()) return;
    db.Begin();
    m_owned = true;
}

ReadTransaction::~ReadTransaction() {
    try {
        End();
    } catch (...) {
    }
}

bool ReadTransaction::Active() const { return m_owned && m_core->IsOpen() && m_core->Db().InTransaction(); }

void ReadTransaction::End() {
    if (!m_owned) return;
    m_owned = false;
    if (!m_core->IsOpen()) return;
    db::Database& db = m_core->Db();
    // A read transaction has nothing to keep: rolling it back cannot fail
    // for want of a lock the way a commit can.
    if (db.InTransaction()) db.Rollback();
}

}  // namespace platform::workbench
