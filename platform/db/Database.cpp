#include "platform/db/Database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <fstream>
#include <mutex>
#include <strings.h>
#include <unordered_map>
#include <utility>

#include "common/InsideFolder.h"
#include "common/Progress.h"
#include "common/WriteBoundary.h"

namespace platform::db {

// What a database opened in a boundary's folder (OpenIn) keeps: the
// boundary each commit asks, the folder its file lies in, held for the
// connection's life, and the file's path as the analyst knows it.
struct FolderGuard {
    common::WriteBoundary folder;
    std::shared_ptr<const common::HeldFolder> fileFolder;
    std::filesystem::path shown;
};

namespace {

std::string Describe(sqlite3* db, int rc) {
    if (db) return sqlite3_errmsg(db);
    return sqlite3_errstr(rc);
}

// The guards of the connections opened in a folder, for their messages:
// SQLite knows such a file only by its descriptor's path.
std::mutex g_guardsMutex;
std::unordered_map<const sqlite3*, const FolderGuard*> g_guards;

const FolderGuard* GuardOf(const sqlite3* db) {
    std::lock_guard lock(g_guardsMutex);
    const auto found = g_guards.find(db);
    return found == g_guards.end() ? nullptr : found->second;
}

// The file a connection works on; empty for a database in memory.
std::string FileOf(sqlite3* db) {
    if (const FolderGuard* guard = GuardOf(db)) return guard->shown.string();
    const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
    return file ? file : "";
}

// A failure that comes from outside the statement: a folder moved or
// replaced meanwhile may be its cause.
bool FromOutside(int code) {
    switch (code & 0xFF) {
    case SQLITE_IOERR: case SQLITE_READONLY: case SQLITE_CANTOPEN: case SQLITE_FULL: case SQLITE_CORRUPT:
    case SQLITE_NOTADB: case SQLITE_BUSY: case SQLITE_LOCKED: case SQLITE_PERM: return true;
    default: return code == SQLITE_CONSTRAINT_COMMITHOOK;
    }
}

// The message of a failure on db: where its folder was moved or replaced,
// that, rather than what the disk or SQLite made of it.
std::string Explain(sqlite3* db, int code, const std::string& sqliteText) {
    if (const FolderGuard* guard = FromOutside(code) ? GuardOf(db) : nullptr) {
        const std::string moved = guard->folder.Refusal();
        if (!moved.empty())
            return "Cannot write '" + guard->shown.string() + "': " + moved +
                   ", so the change was not saved. Close the workspace and open it again.";
    }
    return ExplainFailure(code, FileOf(db), sqliteText);
}

// The message may reach the analyst, who has no use for the statement;
// Sql() keeps that for the developer.
[[noreturn]] void Raise(sqlite3* db, int rc, std::string_view sql) {
    throw DbError(Explain(db, rc, Describe(db, rc)), std::string(sql), rc);
}

// The connection whose statement is handing control to a ProgressPump on
// this thread, if any.
thread_local const sqlite3* t_pumping = nullptr;

void RefuseWhilePumping(sqlite3* db, std::string_view sql) {
    if (db && db == t_pumping)
        throw DbError("The database is busy with a long statement and cannot be used until it ends.",
                      std::string(sql), SQLITE_MISUSE);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// ---- Jet's functions in SQL text ------------------------------------------
// The analyses' statements use Asc and CInt as Jet offered them; these give
// them the same meaning on SQLite so the statements keep their shape. (LEFT
// is a keyword of SQLite and cannot be a function: write substr(x, 1, n).)

size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

// Asc(text): the code of the first character; Null for Null or "".
void JetAsc(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    auto t = sqlite3_value_text(argv[0]);
    int bytes = sqlite3_value_bytes(argv[0]);
    if (!t || bytes == 0) return sqlite3_result_null(ctx);
    size_t len = std::min<size_t>(Utf8Length(t[0]), static_cast<size_t>(bytes));
    unsigned code = len == 1 ? t[0] : t[0] & (0xFF >> (len + 1));
    for (size_t i = 1; i < len; ++i) code = (code << 6) | (t[i] & 0x3F);
    sqlite3_result_int64(ctx, code);
}

// CInt(x): rounded half to even into a 16-bit integer; out of range is an
// overflow error as in Jet. Null stays Null.
void JetCInt(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    double v = std::nearbyint(sqlite3_value_double(argv[0]));   // default rounding: half to even
    if (v < -32768.0 || v > 32767.0) return sqlite3_result_error(ctx, "Overflow", -1);
    sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(v));
}

// SQLite counts every allocation under one process-wide lock unless told
// otherwise before its first connection. Nothing here reads those counts,
// and threads that each read a database of their own would queue on it.
void ConfigureOnce() {
    [[maybe_unused]] static const int configured = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
}

void RegisterJetFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "Asc", 1, flags, nullptr, JetAsc, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "CInt", 1, flags, nullptr, JetCInt, nullptr, nullptr, nullptr);
}

}  // namespace

DbError::DbError(const std::string& message, std::string sql, int code)
    : std::runtime_error(message), m_sql(std::move(sql)), m_code(code) {}

bool DbError::InterruptedWrite() const { return m_code == SQLITE_READONLY_ROLLBACK; }

std::vector<std::filesystem::path> SideFiles(const std::filesystem::path& file) {
    std::vector<std::filesystem::path> files;
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        files.push_back(file);
        files.back() += suffix;
    }
    return files;
}

std::string ExplainFailure(int code, const std::string& file, const std::string& sqliteText) {
    const std::string what = file.empty() ? "the database" : "'" + file + "'";
    switch (code) {
    case SQLITE_READONLY_ROLLBACK:
        return "Cannot read " + what + ": it was interrupted while being written, and the journal of that change "
               "lies beside it. It must be opened once with write access to recover.";
    case SQLITE_READONLY_DBMOVED:
        return "Cannot write " + what + ": it was removed or replaced while it was open (a refresh in another "
               "window does that). Close the workspace and open it again.";
    case SQLITE_CANTOPEN_SYMLINK:
        return "Cannot open " + what + ": its path leads through a link, which is not followed here.";
    case SQLITE_CANTOPEN_ISDIR:
        return "Cannot open " + what + ": it is a folder, not a database file.";
    case SQLITE_READONLY_DIRECTORY:
        return "Cannot write " + what + ": its folder is read-only, so the journal of the change cannot be made "
               "there. Make the folder writable and try again.";
    case SQLITE_CONSTRAINT_COMMITHOOK:
        return "Cannot write " + what + ": its folder was moved or replaced while it was open, so the change was "
               "not saved. Close the workspace and open it again.";
    default: break;
    }
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "Cannot use " + what + ": another program or window is using it and it stayed busy. Try again "
               "once it has finished there.";
    case SQLITE_READONLY:
        return "Cannot write " + what + ": the file or its folder is read-only. Make both writable and try again.";
    case SQLITE_FULL: return "Cannot write " + what + ": the disk is full. Free some space and try again.";
    case SQLITE_IOERR:
        return "Cannot read or write " + what + ": the disk reported an error, or another program removed or "
               "changed the file. Check the disk and try again.";
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return (file.empty() ? "The database" : what) + " is not a database file or is damaged.";
    case SQLITE_CANTOPEN:
        return "Cannot open " + what + " or its journal: check that the file and its folder exist and may be read "
               "and written, and that no link stands where its journal goes.";
    case SQLITE_PERM:
    case SQLITE_AUTH: return "Cannot use " + what + ": access was denied.";
    default: return sqliteText;
    }
}

// ---- Value ---------------------------------------------------------------

std::string Value::AsText() const {
    if (auto s = std::get_if<std::string>(&m_v)) return *s;
    if (auto i = std::get_if<int64_t>(&m_v)) return std::to_string(*i);
    if (auto d = std::get_if<double>(&m_v)) {
        std::string t = std::to_string(*d);
        // Trim the trailing zeros to_string adds ("1.500000" -> "1.5").
        if (t.find('.') != std::string::npos) {
            while (!t.empty() && t.back() == '0') t.pop_back();
            if (!t.empty() && t.back() == '.') t.pop_back();
        }
        return t;
    }
    return {};
}

int64_t Value::AsInt() const {
    if (auto i = std::get_if<int64_t>(&m_v)) return *i;
    if (auto d = std::get_if<double>(&m_v)) return static_cast<int64_t>(*d);
    if (auto s = std::get_if<std::string>(&m_v)) {
        try { return std::stoll(*s); } catch (...) { return 0; }
    }
    return 0;
}

double Value::AsReal() const {
    if (auto d = std::get_if<double>(&m_v)) return *d;
    if (auto i = std::get_if<int64_t>(&m_v)) return static_cast<double>(*i);
    if (auto s = std::get_if<std::string>(&m_v)) {
        try { return std::stod(*s); } catch (...) { return 0; }
    }
    return 0;
}

// ---- Statement -----------------------------------------------------------

Statement::Statement(sqlite3* db, std::string_view sql) : m_db(db), m_sql(sql) {
    RefuseWhilePumping(db, m_sql);
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db, m_sql.c_str(), static_cast<int>(m_sql.size()), &m_stmt, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        Raise(db, rc, m_sql);
    }
    // SQLite compiles only the first statement of a text; a second one would
    // be dropped without a word, so a text holding more is refused here
    // (scripts go through ExecuteScript). Trailing blanks, ";" and comments are fine.
    if (tail && *tail) {
        sqlite3_stmt* next = nullptr;
        bool more = sqlite3_prepare_v2(db, tail, -1, &next, nullptr) != SQLITE_OK || next != nullptr;
        sqlite3_finalize(next);
        if (more) {
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            throw DbError("Only one statement can be run here.", m_sql);
        }
    }
}

Statement::~Statement() { sqlite3_finalize(m_stmt); }

Statement::Statement(Statement&& o) noexcept : m_db(o.m_db), m_stmt(o.m_stmt), m_sql(std::move(o.m_sql)) {
    o.m_stmt = nullptr;
}

Statement& Statement::operator=(Statement&& o) noexcept {
    if (this != &o) {
        sqlite3_finalize(m_stmt);
        m_db = o.m_db;
        m_stmt = o.m_stmt;
        m_sql = std::move(o.m_sql);
        o.m_stmt = nullptr;
    }
    return *this;
}

Statement& Statement::Bind(int index, const Value& v) {
    int rc;
    if (v.IsNull()) rc = sqlite3_bind_null(m_stmt, index);
    else if (v.IsInt()) rc = sqlite3_bind_int64(m_stmt, index, v.AsInt());
    else if (v.IsReal()) rc = sqlite3_bind_double(m_stmt, index, v.AsReal());
    else {
        std::string t = v.AsText();
        rc = sqlite3_bind_text(m_stmt, index, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK) Raise(m_db, rc, m_sql);
    return *this;
}

Statement& Statement::BindAll(const Params& params) {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    if (static_cast<int>(params.size()) != sqlite3_bind_parameter_count(m_stmt))
        throw DbError("Statement expects " + std::to_string(sqlite3_bind_parameter_count(m_stmt)) +
                          " parameters, " + std::to_string(params.size()) + " given.",
                      m_sql);
    for (size_t i = 0; i < params.size(); ++i) Bind(static_cast<int>(i + 1), params[i]);
    return *this;
}

Statement& Statement::Reset() {
    sqlite3_reset(m_stmt);
    return *this;
}

bool Statement::Step() {
    RefuseWhilePumping(m_db, m_sql);
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(m_stmt);
    Raise(m_db, rc, m_sql);
}

void Statement::Run() {
    Step();
    sqlite3_reset(m_stmt);
}

void Statement::Run(const Params& params) {
    BindAll(params);
    Run();
}

int Statement::ColumnCount() const { return sqlite3_column_count(m_stmt); }

std::string Statement::ColumnName(int c) const {
    const char* n = sqlite3_column_name(m_stmt, c);
    return n ? n : "";
}

int Statement::ColumnIndex(std::string_view name) const {
    int n = ColumnCount();
    for (int i = 0; i < n; ++i)
        if (EqualNoCase(ColumnName(i), name)) return i;
    return -1;
}

Value Statement::Column(int c) const {
    switch (sqlite3_column_type(m_stmt, c)) {
    case SQLITE_INTEGER: return Value(static_cast<int64_t>(sqlite3_column_int64(m_stmt, c)));
    case SQLITE_FLOAT: return Value(sqlite3_column_double(m_stmt, c));
    case SQLITE_NULL: return Value();
    default: {
        auto p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, c));
        int len = sqlite3_column_bytes(m_stmt, c);
        return Value(std::string(p ? p : "", static_cast<size_t>(len)));
    }
    }
}

Value Statement::Column(std::string_view name) const {
    int i = ColumnIndex(name);
    if (i < 0) throw DbError("Item not found in this collection: " + std::string(name), m_sql);
    return Column(i);
}

std::string Statement::Text(int c) const {
    auto p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, c));
    return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(m_stmt, c))) : std::string();
}

int64_t Statement::Int(int c) const { return sqlite3_column_int64(m_stmt, c); }

// ---- Recordset -----------------------------------------------------------

Recordset::Recordset(Statement& stmt) {
    int n = stmt.ColumnCount();
    m_names.reserve(n);
    for (int i = 0; i < n; ++i) m_names.push_back(stmt.ColumnName(i));
    while (stmt.Step()) {
        std::vector<Value> row;
        row.reserve(n);
        for (int i = 0; i < n; ++i) row.push_back(stmt.Column(i));
        m_rows.push_back(std::move(row));
    }
    stmt.Reset();
}

bool Recordset::HasField(std::string_view name) const {
    for (auto& n : m_names)
        if (EqualNoCase(n, name)) return true;
    return false;
}

const Value& Recordset::Field(std::string_view name) const {
    for (size_t i = 0; i < m_names.size(); ++i)
        if (EqualNoCase(m_names[i], name)) return Field(i);
    throw DbError("Item not found in this collection: " + std::string(name));
}

const Value& Recordset::Field(size_t column) const {
    if (IsEOF()) throw DbError("No current record.");
    return m_rows[m_pos].at(column);
}

// ---- Database ------------------------------------------------------------

namespace {
// How long a statement waits for a database another connection is using.
constexpr int kBusyTimeoutMs = 2000;

// What every connection needs before its first statement: waiting a while
// for a database in use, and the extended codes ExplainFailure tells apart.
void ConfigureConnection(sqlite3* db) {
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);
}
}  // namespace

Database::Database(sqlite3* db, std::filesystem::path path) : m_db(db), m_path(std::move(path)) {
    ConfigureConnection(m_db);
    RegisterJetFunctions(m_db);
}

Database::~Database() { Close(); }

void Database::Close() {
    if (m_db) {
        sqlite3_close_v2(m_db);
        if (m_guard) {
            std::lock_guard lock(g_guardsMutex);
            g_guards.erase(m_db);
        }
        m_db = nullptr;
    }
    m_guard.reset();
}

namespace {

// Rolls the commit back (SQLITE_CONSTRAINT_COMMITHOOK) once the folder's
// boundary refuses writes.
int RefuseMovedCommit(void* guard) { return static_cast<FolderGuard*>(guard)->folder.Refusal().empty() ? 0 : 1; }

}  // namespace

void Database::Guard(std::unique_ptr<FolderGuard> guard) {
    m_guard = std::move(guard);
    {
        std::lock_guard lock(g_guardsMutex);
        g_guards[m_db] = m_guard.get();
    }
    sqlite3_commit_hook(m_db, RefuseMovedCommit, m_guard.get());
}

namespace {

// A folder or anything else that is not a file, and a file that does not
// start as an SQLite database are refused before SQLite sees them; so is
// anything but a file where SQLite keeps its journal (SQLite never writes
// through a link there, and only says that it cannot open the database).
// at is the path SQLite is to open, shown as the path of the file beside
// whose journal goes; messages name file.
void CheckFile(const std::filesystem::path& file, const std::filesystem::path& at, const std::filesystem::path& shown) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // A pipe or a device would keep the probe below waiting, or read forever.
    if (!fs::is_regular_file(at, ec))
        throw DbError("'" + file.string() + "' is not a file, so it cannot be a database.");
    const std::vector<fs::path> sides = SideFiles(at), named = SideFiles(shown);
    for (size_t i = 0; i < sides.size(); ++i) {
        const fs::file_status st = fs::symlink_status(sides[i], ec);
        if (!fs::exists(st) || fs::is_regular_file(st)) continue;
        const fs::path& side = named[i];
        throw DbError(fs::is_symlink(st)
                          ? "'" + side.string() + "' is a link where the journal of '" + file.string() +
                                "' should be; a link is not followed there. Remove it and try again."
                          : "'" + side.string() + "' stands where the journal of '" + file.string() +
                                "' should be, and is not a file. Remove it and try again.");
    }
    std::ifstream probe(at, std::ios::binary);
    if (!probe) throw DbError("Cannot read the database file '" + file.string() + "'.");
    // SQLite writes a 16-byte header; an empty file is a valid empty database
    // to SQLite but never one of ours, so refuse it as well.
    char header[16] = {};
    probe.read(header, sizeof header);
    if (probe.gcount() < 16 || std::memcmp(header, "SQLite format 3", 16) != 0)
        throw DbError("'" + file.string() + "' is not a database file or is damaged.");
}

// A missing file and a folder are refused, then what CheckFile refuses.
// Returns the path SQLite is to open: every link resolved, so the journal
// lies beside the file itself and no link is followed once the file is
// open (SQLITE_OPEN_NOFOLLOW).
std::filesystem::path CheckDatabaseFile(const std::filesystem::path& file) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::exists(file, ec))
        throw DbError("Could not find file '" + file.string() + "'.");
    if (fs::is_directory(file, ec))
        throw DbError("'" + file.string() + "' is a folder, not a database file.");
    const fs::path resolved = fs::canonical(file, ec);
    if (ec) throw DbError("Cannot read the database file '" + file.string() + "': " + ec.message() + ".");
    CheckFile(file, resolved, resolved);
    return resolved;
}

// ---- Files opened through a folder's descriptor -----------------------------
// SQLite opens a file, and makes its journal beside it, by path. The path
// /proc/self/fd/<folder>/<name> leads through the descriptor to the folder
// it holds, wherever the folder is now; SQLite's own unix files are used,
// by a copy of its VFS that keeps such a path as it is instead of
// resolving the descriptor's link to the folder's path of the moment.

constexpr char kHeldVfs[] = "quarvel-held";
constexpr char kDescriptorPaths[] = "/proc/self/fd/";

sqlite3_vfs* g_systemVfs = nullptr;

int KeepDescriptorPath(sqlite3_vfs*, const char* path, int size, char* out) {
    if (std::strncmp(path, kDescriptorPaths, sizeof kDescriptorPaths - 1) != 0)
        return g_systemVfs->xFullPathname(g_systemVfs, path, size, out);
    if (static_cast<int>(std::strlen(path)) >= size) return SQLITE_CANTOPEN;
    std::strcpy(out, path);
    return SQLITE_OK;
}

void RegisterHeldVfs() {
    static sqlite3_vfs vfs = [] {
        g_systemVfs = sqlite3_vfs_find(nullptr);
        sqlite3_vfs copy = *g_systemVfs;
        copy.zName = kHeldVfs;
        copy.pNext = nullptr;
        copy.xFullPathname = KeepDescriptorPath;
        return copy;
    }();
    [[maybe_unused]] static const int registered = sqlite3_vfs_register(&vfs, 0);
}

std::filesystem::path DescriptorPath(int fd) { return kDescriptorPaths + std::to_string(fd); }

// Whether /proc shows this process's descriptors (it may not be mounted).
bool DescriptorPathsWork(int fd) {
    struct stat byPath {}, held {};
    return ::stat(DescriptorPath(fd).c_str(), &byPath) == 0 && ::fstat(fd, &held) == 0 &&
           byPath.st_dev == held.st_dev && byPath.st_ino == held.st_ino;
}

// Where name in the folder held leads: the folder holding the file and the
// file's name there, and its path below the folder (name, or where a link
// that stays inside leads).
struct FileInFolder {
    std::shared_ptr<const common::HeldFolder> folder;
    std::string name;
    std::filesystem::path below;
};

FileInFolder FindInFolder(const std::shared_ptr<const common::HeldFolder>& held, const std::string& name,
                          const std::filesystem::path& file) {
    namespace fs = std::filesystem;
    struct stat st {};
    if (::fstatat(held->fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        throw DbError("Could not find file '" + file.string() + "'.");
    if (S_ISDIR(st.st_mode)) throw DbError("'" + file.string() + "' is a folder, not a database file.");
    if (!S_ISLNK(st.st_mode)) return {held, name, name};
    std::error_code ec;
    const fs::path base = fs::canonical(DescriptorPath(held->fd), ec);
    const fs::path target = ec ? fs::path() : fs::canonical(DescriptorPath(held->fd) / name, ec);
    if (ec) throw DbError("Cannot read the database file '" + file.string() + "': " + ec.message() + ".");
    const fs::path below = target.lexically_relative(base);
    if (below.empty() || *below.begin() == "..")
        throw DbError("'" + file.string() + "' is a link that leads out of its folder; such a link is not followed.");
    // Its folders, resolved already, are opened without following a link.
    std::shared_ptr<const common::HeldFolder> folder = held;
    for (const fs::path& part : below.parent_path()) {
        const int fd = ::openat(folder->fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) throw DbError("Cannot read the database file '" + file.string() + "': " + std::strerror(errno));
        folder = std::make_shared<const common::HeldFolder>(fd);
    }
    return {folder, below.filename().string(), below};
}

sqlite3* OpenConnection(const std::filesystem::path& file, const std::filesystem::path& resolved, int flags) {
    ConfigureOnce();
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(resolved.string().c_str(), &db, flags | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = ExplainFailure(rc, file.string(), Describe(db, rc));
        sqlite3_close_v2(db);
        throw DbError(msg, {}, rc);
    }
    return db;
}

// What reading a database that opened but cannot be read means: damaged
// when SQLite finds no database in it, else what ExplainFailure says.
[[noreturn]] void RaiseUnreadable(int code, const std::filesystem::path& file, const std::string& sqliteText) {
    if ((code & 0xFF) == SQLITE_ERROR)
        throw DbError("'" + file.string() + "' is not a database file or is damaged: " + sqliteText, {}, code);
    throw DbError(ExplainFailure(code, file.string(), sqliteText), {}, code);
}

// A damaged file may still carry a good header: make SQLite read its schema now.
void CheckSchema(Database& db) {
    char* err = nullptr;
    const int rc = sqlite3_exec(db.Handle(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &err);
    if (rc == SQLITE_OK) return;
    const std::string text = err ? err : sqlite3_errstr(rc);
    sqlite3_free(err);
    RaiseUnreadable(sqlite3_extended_errcode(db.Handle()), db.Path(), text);
}

// The pages a copy into memory reads at a time: between two steps a writer
// in another process may commit instead of waiting for the whole copy.
constexpr int kCopyPages = 1024;

// Copies the source's main database into memory; SQLITE_OK or the failure.
int CopyDatabase(sqlite3* source, sqlite3* memory) {
    sqlite3_backup* backup = sqlite3_backup_init(memory, "main", source, "main");
    if (!backup) return sqlite3_extended_errcode(memory);
    int rc = sqlite3_backup_step(backup, kCopyPages);
    // A write from another process between two steps starts the copy again;
    // one that never lets it finish is treated as a database kept busy.
    const long limit = 16L * (sqlite3_backup_pagecount(backup) / kCopyPages + 1);
    for (long steps = 1; rc == SQLITE_OK; ++steps)
        rc = steps > limit ? SQLITE_BUSY : sqlite3_backup_step(backup, kCopyPages);
    sqlite3_backup_finish(backup);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

}  // namespace

std::unique_ptr<Database> Database::Open(const std::filesystem::path& file) {
    const std::filesystem::path resolved = CheckDatabaseFile(file);
    std::unique_ptr<Database> result(new Database(OpenConnection(file, resolved, SQLITE_OPEN_READWRITE), file));
    CheckSchema(*result);
    return result;
}

std::unique_ptr<Database> Database::OpenIn(const common::WriteBoundary& folder, const std::string& name) {
    const std::filesystem::path file = folder.Folder() / name;
    if (const std::string why = folder.Refusal(); !why.empty())
        throw DbError("Cannot open '" + file.string() + "': " + why + ".");
    std::shared_ptr<const common::HeldFolder> held;
    try {
        held = folder.Hold(folder.Folder());
    } catch (const std::exception& e) {
        throw DbError("Cannot open '" + file.string() + "': " + e.what() + ".");
    }
    auto guard = std::make_unique<FolderGuard>(FolderGuard{folder, held, file});
    std::unique_ptr<Database> result;
    if (DescriptorPathsWork(held->fd)) {
        const FileInFolder found = FindInFolder(held, name, file);
        const std::filesystem::path at = DescriptorPath(found.folder->fd) / found.name;
        CheckFile(file, at, folder.Folder() / found.below);
        RegisterHeldVfs();
        sqlite3* db = nullptr;
        const int rc = sqlite3_open_v2(at.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, kHeldVfs);
        if (rc != SQLITE_OK) {
            std::string msg = ExplainFailure(rc, file.string(), Describe(db, rc));
            sqlite3_close_v2(db);
            throw DbError(msg, {}, rc);
        }
        guard->fileFolder = found.folder;
        result.reset(new Database(db, file));
    } else {
        // Without /proc the journal goes by the file's path: only the
        // commits are guarded.
        std::error_code ec;
        if (std::filesystem::is_symlink(file, ec) && !common::InsideFolder(folder.Folder(), file))
            throw DbError("'" + file.string() + "' is a link that leads out of its folder; such a link is not "
                          "followed.");
        result = Open(file);
    }
    result->Guard(std::move(guard));
    CheckSchema(*result);
    return result;
}

std::unique_ptr<Database> Database::OpenCopyInMemory(const std::filesystem::path& file) {
    const std::filesystem::path resolved = CheckDatabaseFile(file);
    sqlite3* source = OpenConnection(file, resolved, SQLITE_OPEN_READONLY);
    ConfigureConnection(source);
    sqlite3* memory = nullptr;
    int rc = sqlite3_open(":memory:", &memory);
    if (rc == SQLITE_OK) rc = CopyDatabase(source, memory);
    sqlite3_close_v2(source);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(memory);
        RaiseUnreadable(rc, file, sqlite3_errstr(rc));
    }
    std::unique_ptr<Database> result(new Database(memory, file));
    result->m_memoryCopy = true;
    CheckSchema(*result);
    return result;
}

std::unique_ptr<Database> Database::Create(const std::filesystem::path& file) {
    ConfigureOnce();
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(file.string().c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = Describe(db, rc);
        sqlite3_close_v2(db);
        throw DbError("Cannot create the database file '" + file.string() + "': " + msg, {}, rc);
    }
    return std::unique_ptr<Database>(new Database(db, file));
}

std::unique_ptr<Database> Database::InMemory() {
    ConfigureOnce();
    sqlite3* db = nullptr;
    int rc = sqlite3_open(":memory:", &db);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db);
        throw DbError("Cannot open an in-memory database.", {}, rc);
    }
    return std::unique_ptr<Database>(new Database(db, ":memory:"));
}

bool Database::ThreadsAllowed() { return sqlite3_threadsafe() != 0; }

void Database::ExecuteScript(std::string_view sql) {
    std::string text(sql);
    RefuseWhilePumping(m_db, text);
    char* err = nullptr;
    int rc = sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        std::string msg = err ? err : sqlite3_errstr(rc);
        sqlite3_free(err);
        throw DbError(Explain(m_db, sqlite3_extended_errcode(m_db), msg), text, rc);
    }
}

int Database::Execute(std::string_view sql, const Params& params) {
    Statement st(m_db, sql);
    st.BindAll(params);
    while (st.Step()) {
    }
    return sqlite3_changes(m_db);
}

Statement Database::Prepare(std::string_view sql) { return Statement(m_db, sql); }

Recordset Database::OpenRecordset(std::string_view sql, const Params& params) {
    Statement st(m_db, sql);
    st.BindAll(params);
    return Recordset(st);
}

Value Database::Scalar(std::string_view sql, const Params& params) {
    Statement st(m_db, sql);
    st.BindAll(params);
    if (st.Step()) return st.Column(0);
    return Value();
}

int64_t Database::LastInsertId() const { return sqlite3_last_insert_rowid(m_db); }
int Database::Changes() const { return sqlite3_changes(m_db); }

bool Database::TableExists(std::string_view table) {
    return Scalar("SELECT count(*) FROM sqlite_master WHERE type IN ('table','view') AND name = ? COLLATE NOCASE",
                  {Value(table)})
               .AsInt() > 0;
}

std::vector<std::string> Database::ColumnNames(std::string_view table) {
    std::vector<std::string> names;
    auto st = Prepare("SELECT name FROM pragma_table_info(?)");
    st.Bind(1, Value(table));
    while (st.Step()) names.push_back(st.Text(0));
    return names;
}

void Database::Begin() { ExecuteScript("BEGIN"); }
void Database::Commit() { ExecuteScript("COMMIT"); }
void Database::Rollback() {
    if (InTransaction()) ExecuteScript("ROLLBACK");
}
bool Database::InTransaction() const { return m_db && sqlite3_get_autocommit(m_db) == 0; }

// ---- Transaction ---------------------------------------------------------

// Inside an open transaction a guard becomes a savepoint, so a bulk write
// called from another one nests instead of failing to begin.
Transaction::Transaction(Database& db) : m_db(db) {
    if (m_db.InTransaction()) {
        // Connections on other threads nest their own transactions too.
        static std::atomic<unsigned> s_counter{0};
        m_savepoint = "qa_sp" + std::to_string(++s_counter);
        m_db.ExecuteScript("SAVEPOINT " + m_savepoint);
    } else {
        m_db.Begin();
    }
    m_open = true;
}

Transaction::~Transaction() {
    if (!m_open) return;
    try {
        if (m_savepoint.empty()) m_db.Rollback();
        else m_db.ExecuteScript("ROLLBACK TO " + m_savepoint + "; RELEASE " + m_savepoint);
    } catch (...) {
    }
}

void Transaction::Commit() {
    if (!m_open) return;
    if (m_savepoint.empty()) m_db.Commit();
    else m_db.ExecuteScript("RELEASE " + m_savepoint);
    m_open = false;
}

// ---- ProgressPump ----------------------------------------------------------

namespace {
// A small fraction of a millisecond of work between two calls: the window
// decides itself how often it lets events through (a call that finds it
// too early costs a clock reading), so a call may come often.
constexpr int kPumpSteps = 10000;
}  // namespace

ProgressPump::ProgressPump(Database& db, common::IProgress& progress)
    : m_db(db), m_progress(progress), m_outer(std::exchange(db.m_pump, this)) {
    Install();
}

ProgressPump::~ProgressPump() {
    m_db.m_pump = m_outer;
    if (!m_db.m_db) return;
    if (m_outer) m_outer->Install();
    else sqlite3_progress_handler(m_db.m_db, 0, nullptr, nullptr);
}

void ProgressPump::Install() {
    if (m_db.m_db) sqlite3_progress_handler(m_db.m_db, kPumpSteps, &ProgressPump::Handler, this);
}

int ProgressPump::Handler(void* arg) {
    auto* pump = static_cast<ProgressPump*>(arg);
    const sqlite3* outer = std::exchange(t_pumping, pump->m_db.m_db);
    int interrupt = 0;
    try {
        pump->m_progress.StartStep("");
    } catch (...) {
        // No exception may cross SQLite's frames: the statement stops
        // instead, and its caller sees it fail.
        interrupt = 1;
    }
    t_pumping = outer;
    return interrupt;
}

}  // namespace platform::db
