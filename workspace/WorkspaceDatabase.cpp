#include "workspace/WorkspaceDatabase.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <system_error>
#include <sys/stat.h>
#include <unistd.h>

#include "common/AsciiCase.h"
#include "common/ResModule.h"

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

constexpr int kIncompleteMessage = 510;
constexpr const char* kCopyInfix = ".copy-";

BuildStepHook g_stepHook = nullptr;

void Step(const char* step) {
    if (g_stepHook) g_stepHook(step);
}

// A name in the workspace folder that no other copy uses at the same time:
// <database>.copy-<process>-<n>.
fs::path TemporaryName(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    fs::path p = target;
    p += kCopyInfix + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    return p;
}

// Removes the temporary copies (and their journals) that builds of processes
// that no longer run left beside target; a copy of a build still running
// elsewhere stays.
void RemoveStaleCopies(const fs::path& target) {
    const std::string prefix = target.filename().string() + kCopyInfix;
    std::error_code ec;
    for (fs::directory_iterator it(target.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(prefix, 0) != 0) continue;
        const std::string rest = name.substr(prefix.size());
        const size_t dash = rest.find('-');
        pid_t pid = 0;
        try {
            pid = static_cast<pid_t>(std::stol(rest.substr(0, dash)));
        } catch (const std::exception&) {
            continue;   // not a name this code makes
        }
        const bool running = pid > 0 && pid != ::getpid() && (::kill(pid, 0) == 0 || errno == EPERM);
        if (running) continue;
        std::error_code ignored;
        fs::remove(it->path(), ignored);
    }
}

// A template must at least hold the shared tables the load relies on. The
// copy says it is incomplete before anything else sees it.
void CheckAndMarkCopy(const fs::path& copy, const fs::path& templ) {
    std::unique_ptr<Database> db;
    try {
        db = Database::Open(copy);
    } catch (const DbError& e) {
        throw DbError("The template database '" + templ.string() + "' cannot be used: " + e.what());
    }
    for (const char* table : {"Ents", "Rels", "Status"})
        if (!db->TableExists(table))
            throw DbError("The template database '" + templ.string() + "' has no table " + table + ".");
    Step(kStepTemplateCopied);
    try {
        db->Execute("UPDATE Status SET StatusVal = ? WHERE StatusType = ?",
                    {IncompleteLoadMessage(), kStatusErrorMessage});
    } catch (const DbError& e) {
        throw DbError("Cannot prepare the workspace database '" + copy.string() + "': " + e.what(), e.Sql(),
                      e.Code());
    }
    db->Close();
}

}  // namespace

fs::path DatabasePath(const fs::path& workspaceFolder) { return workspaceFolder / kDatabaseFileName; }
fs::path TemplatePath(const fs::path& appPath) { return appPath / kDatabaseFileName; }

bool DatabaseExists(const fs::path& workspaceFolder) {
    std::error_code ec;
    return fs::is_regular_file(DatabasePath(workspaceFolder), ec);
}

bool DatabaseIsReadOnly(const fs::path& workspaceFolder) {
    const auto unwritable = [](const fs::path& p) {
        struct stat st {};
        if (::stat(p.c_str(), &st) != 0) return false;   // a missing file is Open's to report
        return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(p.c_str(), W_OK) != 0;
    };
    return unwritable(DatabasePath(workspaceFolder)) || unwritable(workspaceFolder);
}

std::unique_ptr<Database> OpenWorkspaceDatabase(const fs::path& workspaceFolder) {
    const fs::path file = DatabasePath(workspaceFolder);
    return DatabaseIsReadOnly(workspaceFolder) ? Database::OpenCopyInMemory(file) : Database::Open(file);
}

std::unique_ptr<Database> CreateWorkspaceDatabase(const fs::path& appPath, const fs::path& workspaceFolder) {
    const fs::path templ = TemplatePath(appPath);
    const fs::path target = DatabasePath(workspaceFolder);
    std::error_code ec;
    if (!fs::is_regular_file(templ, ec))
        throw DbError("The template database '" + templ.string() + "' is missing.");
    fs::create_directories(workspaceFolder, ec);
    if (ec) throw DbError("Cannot create the workspace folder '" + workspaceFolder.string() + "': " + ec.message());

    RemoveStaleCopies(target);
    const fs::path temp = TemporaryName(target);
    try {
        fs::copy_file(templ, temp, fs::copy_options::overwrite_existing, ec);
        if (ec) throw DbError("Cannot copy the template database to '" + temp.string() + "': " + ec.message());
        CheckAndMarkCopy(temp, templ);
        RemoveSideFiles(temp);
        // Journals of the old database would be taken for the new one's.
        RemoveSideFiles(target);
        Step(kStepCopyMarked);
        fs::rename(temp, target, ec);
        if (ec) throw DbError("Cannot replace the workspace database '" + target.string() + "': " + ec.message());
        Step(kStepCopyRenamed);
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

std::string IncompleteLoadMessage() { return ResModule::LoadResString(kIncompleteMessage); }

std::string ReadLoadMessage(Database& db) {
    try {
        auto rs = db.OpenRecordset("SELECT StatusVal FROM Status WHERE StatusType = ?", {kStatusErrorMessage});
        // Every build starts from a template that holds the row: a database
        // without it never saw a build complete.
        if (rs.IsEOF()) return IncompleteLoadMessage();
        std::string value = rs.Text("StatusVal");
        return common::AsciiEqualNoCase(value, "none") ? std::string() : value;
    } catch (const DbError&) {
        return IncompleteLoadMessage();
    }
}

void SetBuildStepHook(BuildStepHook hook) { g_stepHook = hook; }

void WriteLoadMessage(Database& db, const std::string& message) {
    Step(kStepStatusWrite);
    db.Execute("UPDATE Status SET StatusVal = ? WHERE StatusType = ?",
               {message.empty() ? std::string("none") : message, kStatusErrorMessage});
}

}  // namespace workspace
