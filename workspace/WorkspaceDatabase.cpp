#include "workspace/WorkspaceDatabase.h"

#include <atomic>
#include <system_error>
#include <unistd.h>

#include "common/AsciiCase.h"

namespace fs = std::filesystem;
using platform::db::Database;
using platform::db::DbError;

namespace workspace {

namespace {

// The files SQLite keeps beside a database while it writes to it.
const char* const kSideFileSuffixes[] = {"-journal", "-wal", "-shm"};

fs::path WithSuffix(const fs::path& file, const char* suffix) {
    fs::path p = file;
    p += suffix;
    return p;
}

void RemoveSideFiles(const fs::path& file) {
    for (const char* suffix : kSideFileSuffixes) {
        std::error_code ec;
        fs::remove(WithSuffix(file, suffix), ec);
        if (ec) throw DbError("Cannot remove the stale file '" + WithSuffix(file, suffix).string() + "': " + ec.message());
    }
}

// A name in the workspace folder that no other copy uses at the same time.
fs::path TemporaryName(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    fs::path p = target;
    p += ".copy-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    return p;
}

// A template must at least hold the shared tables the load relies on.
void CheckTemplate(const fs::path& copy, const fs::path& templ) {
    std::unique_ptr<Database> db;
    try {
        db = Database::Open(copy);
    } catch (const DbError& e) {
        throw DbError("The template database '" + templ.string() + "' cannot be used: " + e.what());
    }
    for (const char* table : {"Ents", "Rels", "Status"})
        if (!db->TableExists(table))
            throw DbError("The template database '" + templ.string() + "' has no table " + table + ".");
}

}  // namespace

fs::path DatabasePath(const fs::path& workspaceFolder) { return workspaceFolder / kDatabaseFileName; }
fs::path TemplatePath(const fs::path& appPath) { return appPath / kDatabaseFileName; }

bool DatabaseExists(const fs::path& workspaceFolder) {
    std::error_code ec;
    return fs::is_regular_file(DatabasePath(workspaceFolder), ec);
}

std::unique_ptr<Database> OpenWorkspaceDatabase(const fs::path& workspaceFolder) {
    return Database::Open(DatabasePath(workspaceFolder));
}

std::unique_ptr<Database> CreateWorkspaceDatabase(const fs::path& appPath, const fs::path& workspaceFolder) {
    const fs::path templ = TemplatePath(appPath);
    const fs::path target = DatabasePath(workspaceFolder);
    std::error_code ec;
    if (!fs::is_regular_file(templ, ec))
        throw DbError("The template database '" + templ.string() + "' is missing.");
    fs::create_directories(workspaceFolder, ec);
    if (ec) throw DbError("Cannot create the workspace folder '" + workspaceFolder.string() + "': " + ec.message());

    const fs::path temp = TemporaryName(target);
    try {
        fs::copy_file(templ, temp, fs::copy_options::overwrite_existing, ec);
        if (ec) throw DbError("Cannot copy the template database to '" + temp.string() + "': " + ec.message());
        CheckTemplate(temp, templ);
        RemoveSideFiles(temp);
        // Journals of the old database would be taken for the new one's.
        RemoveSideFiles(target);
        fs::rename(temp, target, ec);
        if (ec) throw DbError("Cannot replace the workspace database '" + target.string() + "': " + ec.message());
    } catch (...) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        for (const char* suffix : kSideFileSuffixes) fs::remove(WithSuffix(temp, suffix), ignored);
        throw;
    }
    return Database::Open(target);
}

bool DeleteWorkspaceDatabase(const fs::path& workspaceFolder) {
    const fs::path file = DatabasePath(workspaceFolder);
    std::error_code ec;
    fs::remove(file, ec);
    if (ec) return false;
    try {
        RemoveSideFiles(file);
    } catch (const DbError&) {
        // The database itself is gone; a journal that stays is removed by the next copy.
    }
    return true;
}

std::string ReadLoadMessage(Database& db) {
    auto rs = db.OpenRecordset("SELECT StatusVal FROM Status WHERE StatusType = ?", {kStatusErrorMessage});
    if (rs.IsEOF()) return {};
    std::string value = rs.Text("StatusVal");
    return common::AsciiEqualNoCase(value, "none") ? std::string() : value;
}

void WriteLoadMessage(Database& db, const std::string& message) {
    db.Execute("UPDATE Status SET StatusVal = ? WHERE StatusType = ?",
               {message.empty() ? std::string("none") : message, kStatusErrorMessage});
}

}  // namespace workspace
