#pragma once
// Thin layer over the SQLite C API: the workspace database and the repository
// file are both reached through it. Values always travel as bound parameters.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace common {
class IProgress;
class WriteBoundary;
}  // namespace common

namespace platform::db {

struct FolderGuard;

// An error raised by the database: a message for the analyst, plus the
// statement that failed and SQLite's result code for the developer.
class DbError : public std::runtime_error {
public:
    DbError(const std::string& message, std::string sql = {}, int code = 0);
    const std::string& Sql() const { return m_sql; }
    int Code() const { return m_code; }
    // The file was left by a writer that stopped in the middle of a change
    // (a hot journal lies beside it), and could not be read without one.
    bool InterruptedWrite() const;
private:
    std::string m_sql;
    int m_code;
};

// The message of a failure whose SQLite result code (extended or not) is
// code on file (empty for a database in memory). SQLite's own words for a
// failure that comes from outside the program ("database is locked", "disk
// I/O error", "attempt to write a readonly database") say neither what
// happened to the analyst's file nor what to do: for those the message
// says both. A statement's own fault keeps sqliteText.
std::string ExplainFailure(int code, const std::string& file, const std::string& sqliteText);

// The files SQLite keeps beside a database file while it writes to it (the
// rollback journal, and the log and shared memory of WAL mode).
std::vector<std::filesystem::path> SideFiles(const std::filesystem::path& file);

// One field value. Jet's Yes/No is an integer holding -1 (True) or 0.
class Value {
public:
    Value() = default;
    Value(std::nullptr_t) {}
    Value(int v) : m_v(static_cast<int64_t>(v)) {}
    Value(int64_t v) : m_v(v) {}
    Value(long long v) : m_v(static_cast<int64_t>(v)) {}
    Value(double v) : m_v(v) {}
    Value(bool v) : m_v(static_cast<int64_t>(v ? -1 : 0)) {}
    Value(std::string v) : m_v(std::move(v)) {}
    Value(std::string_view v) : m_v(std::string(v)) {}
    Value(const char* v) : m_v(std::string(v)) {}

    bool IsNull() const { return std::holds_alternative<std::monostate>(m_v); }
    bool IsInt() const { return std::holds_alternative<int64_t>(m_v); }
    bool IsReal() const { return std::holds_alternative<double>(m_v); }
    bool IsText() const { return std::holds_alternative<std::string>(m_v); }

    // Conversions as a Variant would make them: Null reads as "" or 0.
    std::string AsText() const;
    int64_t AsInt() const;
    double AsReal() const;
    bool AsBool() const { return AsInt() != 0; }

    bool operator==(const Value&) const = default;

private:
    std::variant<std::monostate, int64_t, double, std::string> m_v;
};

using Params = std::vector<Value>;

// A prepared statement that can be bound, stepped and reset many times.
class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // 1-based like SQLite's own parameters.
    Statement& Bind(int index, const Value& value);
    Statement& BindAll(const Params& params);
    Statement& Reset();

    // Advances to the next row; false at the end. Errors raise DbError.
    bool Step();
    // Runs a statement that returns no rows, then resets it for reuse.
    void Run();
    void Run(const Params& params);

    int ColumnCount() const;
    std::string ColumnName(int column) const;
    int ColumnIndex(std::string_view name) const;   // -1 when absent, case ignored
    Value Column(int column) const;
    Value Column(std::string_view name) const;      // raises for an unknown field
    std::string Text(int column) const;
    int64_t Int(int column) const;

    const std::string& Sql() const { return m_sql; }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    std::string m_sql;
};

// A materialised result set read the way DAO recordsets are read:
// EOF, MoveNext, RecordCount and fields by name (case ignored).
class Recordset {
public:
    Recordset() = default;
    explicit Recordset(Statement& stmt);

    bool IsEOF() const { return m_pos >= m_rows.size(); }
    void MoveNext() { if (m_pos < m_rows.size()) ++m_pos; }
    void MoveFirst() { m_pos = 0; }
    size_t RecordCount() const { return m_rows.size(); }
    const Value& Field(std::string_view name) const;
    const Value& Field(size_t column) const;
    std::string Text(std::string_view name) const { return Field(name).AsText(); }
    int64_t Int(std::string_view name) const { return Field(name).AsInt(); }
    bool HasField(std::string_view name) const;
    const std::vector<std::string>& FieldNames() const { return m_names; }

private:
    std::vector<std::string> m_names;
    std::vector<std::vector<Value>> m_rows;
    size_t m_pos = 0;
};

// Every connection also knows Jet's Asc(text) and CInt(x).
class Database {
public:
    // Opens an existing database file. A missing, unreadable or non-database
    // file raises DbError with a message that says which, as does anything
    // but a file where its journal goes (a link there is never followed).
    // The file is opened where its links lead, and no link is followed after.
    static std::unique_ptr<Database> Open(const std::filesystem::path& file);
    // Opens the existing database file name in the folder the boundary
    // holds, refused as Open refuses it, through that folder's descriptor
    // rather than its path: SQLite makes, reads and removes the file's
    // journal in that folder however it is moved meanwhile. A name that is
    // a link is followed while it stays inside the folder. Each commit asks
    // the boundary first: once it refuses writes (its folder was moved or
    // replaced) the commit is rolled back and raises DbError saying so, as
    // does any failure from outside meanwhile. Path() is the folder's path
    // and name.
    static std::unique_ptr<Database> OpenIn(const common::WriteBoundary& folder, const std::string& name);
    // Reads an existing database file (refused as Open refuses it) into a
    // database in memory and closes the file: what is written afterwards
    // stays in memory until the database closes and the file is never
    // written. For a database where it cannot be written. Path() is the file.
    // A writer in another process is let in between a few pages at a time;
    // a file it keeps busy, or one interrupted while being written (whose
    // journal only a writer can roll back), raises DbError saying so.
    static std::unique_ptr<Database> OpenCopyInMemory(const std::filesystem::path& file);
    // Creates the file when missing (used for new repositories and templates).
    static std::unique_ptr<Database> Create(const std::filesystem::path& file);
    static std::unique_ptr<Database> InMemory();
    // Whether connections may be used on several threads at once, each by
    // one thread at a time: false only for an SQLite built without threads.
    static bool ThreadsAllowed();

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void Close();
    bool IsOpen() const { return m_db != nullptr; }
    const std::filesystem::path& Path() const { return m_path; }
    // Made by OpenCopyInMemory: no change reaches the file.
    bool IsMemoryCopy() const { return m_memoryCopy; }

    // Runs one or more statements without parameters (DDL, scripts).
    void ExecuteScript(std::string_view sql);
    // Runs one statement with bound parameters; returns the rows changed.
    // A text holding a second statement raises (Prepare and OpenRecordset too).
    int Execute(std::string_view sql, const Params& params = {});
    Statement Prepare(std::string_view sql);
    Recordset OpenRecordset(std::string_view sql, const Params& params = {});
    // First column of the first row, or an empty Value.
    Value Scalar(std::string_view sql, const Params& params = {});

    int64_t LastInsertId() const;
    int Changes() const;
    bool TableExists(std::string_view table);
    std::vector<std::string> ColumnNames(std::string_view table);

    void Begin();
    void Commit();
    void Rollback();
    bool InTransaction() const;

    sqlite3* Handle() const { return m_db; }

private:
    friend class ProgressPump;
    Database(sqlite3* db, std::filesystem::path path);
    void Guard(std::unique_ptr<FolderGuard> guard);
    sqlite3* m_db = nullptr;
    std::filesystem::path m_path;
    bool m_memoryCopy = false;
    std::unique_ptr<FolderGuard> m_guard;   // OpenIn's
    class ProgressPump* m_pump = nullptr;   // the innermost one, if any
};

// While it lives, a single long statement on the database (an index built
// over a large table, ANALYZE, a read of every row) still lets the window's
// events through: every so many virtual-machine steps SQLite hands control
// to progress.StartStep(""), which shows no caption and advances no bar.
// SQLite forbids any use of the connection from there, so a statement that
// the window's events would start on it raises DbError instead. Pumps nest:
// the end of an inner one gives the outer one back.
class ProgressPump {
public:
    ProgressPump(Database& db, common::IProgress& progress);
    ~ProgressPump();
    ProgressPump(const ProgressPump&) = delete;
    ProgressPump& operator=(const ProgressPump&) = delete;

private:
    static int Handler(void* pump);
    void Install();
    Database& m_db;
    common::IProgress& m_progress;
    ProgressPump* m_outer;
};

// Scope guard for one transaction: commits on Commit(), rolls back when
// left early (error or return) so no half transaction stays open. A guard
// made while a transaction is open nests as a savepoint.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    void Commit();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
private:
    Database& m_db;
    std::string m_savepoint;
    bool m_open = false;
};

// Jet's Yes/No convention.
constexpr int64_t kTrue = -1;
constexpr int64_t kFalse = 0;

}  // namespace platform::db
