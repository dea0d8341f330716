#include "platform/workbench/RepositoryFormat.h"

#include <string>

#include "platform/workbench/WorkbenchError.h"

namespace platform::workbench {

const char* const kRepositorySchemaSql = R"SQL(
CREATE TABLE RepositoryInfo (
    Name  TEXT PRIMARY KEY COLLATE NOCASE,
    Value TEXT NOT NULL
);
CREATE TABLE EntityTypes (
    TypeId INTEGER PRIMARY KEY,
    Name   TEXT NOT NULL UNIQUE COLLATE NOCASE
);
CREATE TABLE Entities (
    Number INTEGER PRIMARY KEY,
    TypeId INTEGER NOT NULL REFERENCES EntityTypes (TypeId),
    Name   TEXT NOT NULL
);
CREATE INDEX EntitiesByType ON Entities (TypeId, Number);
CREATE INDEX EntitiesByName ON Entities (TypeId, Name COLLATE NOCASE);
CREATE TABLE Attributes (
    Number INTEGER NOT NULL REFERENCES Entities (Number),
    Name   TEXT NOT NULL COLLATE NOCASE,
    Value  TEXT NOT NULL,
    PRIMARY KEY (Number, Name)
) WITHOUT ROWID;
CREATE TABLE RelationTypes (
    RelTypeId INTEGER PRIMARY KEY,
    Name      TEXT NOT NULL UNIQUE COLLATE NOCASE,
    Role0     TEXT NOT NULL,
    Role1     TEXT NOT NULL
);
CREATE TABLE Relations (
    RelId     INTEGER PRIMARY KEY,
    RelTypeId INTEGER NOT NULL REFERENCES RelationTypes (RelTypeId),
    Source    INTEGER NOT NULL REFERENCES Entities (Number),
    Target    INTEGER NOT NULL REFERENCES Entities (Number)
);
CREATE INDEX RelationsOut ON Relations (Source, RelId);
CREATE INDEX RelationsIn ON Relations (Target, RelId);
)SQL";

std::unique_ptr<db::Database> OpenRepositoryFile(const std::filesystem::path& file) {
    std::unique_ptr<db::Database> database;
    try {
        database = db::Database::Open(file);
    } catch (const db::DbError& e) {
        throw WorkbenchError(std::string("Cannot open the repository: ") + e.what());
    }
    try {
        if (!database->TableExists("RepositoryInfo"))
            throw WorkbenchError("'" + file.string() + "' is not a workbench repository.");
        db::Value version = database->Scalar("SELECT Value FROM RepositoryInfo WHERE Name = ?", {"FormatVersion"});
        if (version.AsText() != std::to_string(kRepositoryFormatVersion))
            throw WorkbenchError("The repository '" + file.string() + "' has format version '" + version.AsText() +
                                 "'; this program reads version " + std::to_string(kRepositoryFormatVersion) + ".");
        for (const char* table : {"EntityTypes", "Entities", "Attributes", "RelationTypes", "Relations"})
            if (!database->TableExists(table))
                throw WorkbenchError("The repository '" + file.string() + "' lacks its table " + table + ".");
    } catch (const db::DbError& e) {
        throw WorkbenchError("The repository '" + file.string() + "' is damaged: " + e.what());
    }
    return database;
}

}  // namespace platform::workbench
