#include "workspace/BuildTransaction.h"

#include "common/SqlText.h"

namespace workspace {

using Globals::SqlQuoteIdentifier;

BuildTransaction::BuildTransaction(platform::db::Database& db, std::initializer_list<const char*> indexLater)
    : m_db(db) {
    if (m_db.InTransaction()) return;
    m_db.Begin();
    m_owned = true;
    try {
        SetAsideIndexes(indexLater);
    } catch (const platform::db::DbError&) {
        // A table that cannot be read keeps its indexes; the build itself
        // meets the problem and reports it.
        m_indexes.clear();
    }
}

void BuildTransaction::SetAsideIndexes(std::initializer_list<const char*> tables) {
    for (const char* table : tables)
        if (m_db.Scalar(std::string("SELECT EXISTS (SELECT 1 FROM ") + SqlQuoteIdentifier(table) + ")").AsInt() != 0) return;
    std::vector<std::string> names, statements;
    auto list =
        m_db.Prepare("SELECT name, sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ? AND sql IS NOT NULL");
    for (const char* table : tables) {
        list.BindAll({table});
        while (list.Step()) {
            names.push_back(list.Text(0));
            statements.push_back(list.Text(1));
        }
    }
    list.Reset();
    for (const auto& name : names) m_db.ExecuteScript("DROP INDEX " + SqlQuoteIdentifier(name));
    m_indexes = std::move(statements);
}

BuildTransaction::~BuildTransaction() {
    try {
        Finish();
    } catch (...) {
    }
}

void BuildTransaction::Finish() {
    if (!m_owned) return;
    m_owned = false;
    // A failed statement may already have rolled the transaction back, and
    // with it the setting aside of the indexes.
    if (!m_db.InTransaction()) return;
    try {
        for (const auto& statement : m_indexes) m_db.ExecuteScript(statement);
        m_db.Commit();
    } catch (...) {
        try {
            m_db.Rollback();
        } catch (...) {
        }
        throw;
    }
}

}  // namespace workspace
