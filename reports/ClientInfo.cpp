#include "reports/ClientInfo.h"

#include "platform/db/Database.h"

namespace mdlReports {

namespace {

using platform::db::Database;
using platform::db::DbError;

std::string FirstRowField(Database& db, const char* column) {
    auto rs = db.OpenRecordset("SELECT * FROM Settings LIMIT 1");
    if (rs.IsEOF()) return {};
    return rs.Text(column);   // null reads as ""
}

// A savepoint rather than BEGIN, so that saving also works inside a
// transaction the caller may have open.
class Savepoint {
public:
    explicit Savepoint(Database& db) : m_db(db) { m_db.ExecuteScript("SAVEPOINT client_info"); }
    ~Savepoint() {
        if (!m_done) {
            try { m_db.ExecuteScript("ROLLBACK TO client_info; RELEASE client_info"); } catch (...) {}
        }
    }
    void Release() {
        m_db.ExecuteScript("RELEASE client_info");
        m_done = true;
    }
private:
    Database& m_db;
    bool m_done = false;
};

}  // namespace

std::string GetClientName(Database& db) { return FirstRowField(db, "CLIENT"); }

std::string GetApplicationName(Database& db) { return FirstRowField(db, "Application"); }

void SaveClientInfo(Database& db, const std::string& client, const std::string& application) {
    Savepoint unit(db);
    db.Execute("DELETE FROM Settings");
    db.Execute("INSERT INTO Settings (CLIENT, Application) VALUES (?, ?)", {client, application});
    unit.Release();
}

}  // namespace mdlReports
