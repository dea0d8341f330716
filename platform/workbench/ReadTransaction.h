#pragma once
// Holds one read transaction on the repository for as long as it lives.
// Outside a transaction SQLite takes and drops its shared lock, looks for a
// hot journal and re-reads the file header around every statement; a long
// run of reads (the import reads tens of thousands of relation lists) pays
// that once instead. Nothing is written through the repository, so ending
// the transaction, on any path, only releases the lock.

#include <memory>

#include "platform/workbench/EntityStore.h"

namespace platform::workbench {

class ReadTransaction {
public:
    // Begins the transaction, unless the repository's connection is already
    // inside one (then the guard leaves it to its owner).
    explicit ReadTransaction(const EntityStore& store);
    // Ends the transaction it began; errors are swallowed, a guard may run
    // while an exception unwinds.
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

    // Ends it now; later calls do nothing. A repository closed meanwhile has
    // ended it already.
    void End();
    // True while the guard holds a transaction it began.
    bool Active() const;

private:
    std::shared_ptr<detail::RepositoryCore> m_core;
    bool m_owned = false;
};

}  // namespace platform::workbench
