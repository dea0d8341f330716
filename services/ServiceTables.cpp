#include "services/ServiceTables.h"

#include <string_view>

namespace Globals {

using platform::db::Database;
using platform::db::DbError;

namespace {

struct TableDef {
    std::string_view name;
    std::string_view create;   // one or more statements
};

// Jet's autoincrement counter is SQLite's AUTOINCREMENT key (never reused,
// restarted only when the table is dropped); text compares without case;
// the Yes/No column keeps Jet's values (Null -> 0, any True -> -1).
constexpr TableDef kProcesses{"pcaProcesses",
    "CREATE TABLE pcaProcesses (ProcID INTEGER PRIMARY KEY AUTOINCREMENT, Name VARCHAR(255) COLLATE NOCASE)"};
constexpr TableDef kElements{"pcaElements",
    "CREATE TABLE pcaElements (ElementID INTEGER PRIMARY KEY AUTOINCREMENT, Name VARCHAR(255) COLLATE NOCASE, "
    "ParentID INTEGER, ProcID INTEGER, SerialID INTEGER, Criteria VARCHAR(255) COLLATE NOCASE)"};
constexpr TableDef kUseCases{"ucUseCases",
    "CREATE TABLE ucUseCases (UCID INTEGER PRIMARY KEY AUTOINCREMENT, Name VARCHAR(255) COLLATE NOCASE, "
    "ForeignID INTEGER, Nature INTEGER)"};
constexpr TableDef kUcMessages{"ucMessages",
    "CREATE TABLE ucMessages (MsgID INTEGER PRIMARY KEY AUTOINCREMENT, ElementSID INTEGER, "
    "XMLText TEXT COLLATE NOCASE, Nature INTEGER)"};
constexpr TableDef kMessages{"Messages",
    "CREATE TABLE Messages (sKey TEXT COLLATE NOCASE, sProgID TEXT COLLATE NOCASE, sProgName TEXT COLLATE NOCASE, "
    "sVNID TEXT COLLATE NOCASE, sName TEXT COLLATE NOCASE, "
    "bInput INTEGER NOT NULL ON CONFLICT REPLACE DEFAULT 0, "
    "CONSTRAINT MyTableConstraint UNIQUE (sKey));"
    "CREATE TRIGGER trgMessagesYesNoInsert AFTER INSERT ON Messages WHEN NEW.bInput NOT IN (0, -1) "
    "BEGIN UPDATE Messages SET bInput = -1 WHERE rowid = NEW.rowid; END;"
    "CREATE TRIGGER trgMessagesYesNoUpdate AFTER UPDATE OF bInput ON Messages WHEN NEW.bInput NOT IN (0, -1) "
    "BEGIN UPDATE Messages SET bInput = -1 WHERE rowid = NEW.rowid; END;"};
constexpr TableDef kWebServices{"wsWebServices",
    "CREATE TABLE wsWebServices (WSID INTEGER PRIMARY KEY AUTOINCREMENT, Name VARCHAR(255) COLLATE NOCASE)"};
constexpr TableDef kWsUc{"wsWS_UC", "CREATE TABLE wsWS_UC (WSID INTEGER, UCID INTEGER)"};

// Makes the table when missing; empties it when it exists and clear is set.
// A failing DELETE is ignored (the rows stay); a failing CREATE goes to the
// caller.
void EnsureKeepingRows(Database& db, const TableDef& t, bool clear) {
    if (!db.TableExists(t.name)) {
        db.ExecuteScript(t.create);
    } else if (clear) {
        try {
            db.Execute("DELETE FROM " + std::string(t.name));
        } catch (const DbError&) {
        }
    }
}

// Makes the table when missing; with recreate, drops and makes it again.
void EnsureOrRecreate(Database& db, const TableDef& t, bool recreate) {
    if (db.TableExists(t.name) && !recreate) return;
    db.ExecuteScript("DROP TABLE IF EXISTS " + std::string(t.name));
    db.ExecuteScript(t.create);
}

}  // namespace

void CreateProcessTables(Database& db, bool clear) {
    EnsureKeepingRows(db, kProcesses, clear);
    EnsureKeepingRows(db, kElements, clear);
}

void CreateUseCaseTables(Database& db, bool clear) {
    CreateProcessTables(db, clear);
    EnsureKeepingRows(db, kUseCases, clear);
    EnsureKeepingRows(db, kUcMessages, clear);
    EnsureKeepingRows(db, kMessages, clear);
}

void CreateWebServiceTables(Database& db, bool recreate) {
    CreateProcessTables(db, recreate);
    EnsureOrRecreate(db, kWebServices, recreate);
    EnsureOrRecreate(db, kWsUc, recreate);
}

}  // namespace Globals
