#include "platform/workbench/CodeModelFormat.h"

namespace platform::workbench {

// Constructs.size is in bits: the COMMAREA report divides it by 8.
const char* const kCodeModelSchemaSql = R"SQL(
CREATE TABLE ModelInfo (
    Name  TEXT PRIMARY KEY COLLATE NOCASE,
    Value TEXT NOT NULL
);
CREATE TABLE Constructs (
    VNID   TEXT PRIMARY KEY,
    Type   TEXT NOT NULL COLLATE NOCASE,
    Name   TEXT NOT NULL,
    Parent TEXT,
    Seq    INTEGER NOT NULL,
    size   INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX ConstructsByParent ON Constructs (Parent, Seq);
CREATE INDEX ConstructsByType ON Constructs (Type, Seq);
CREATE TABLE ConstructValues (
    VNID  TEXT NOT NULL,
    Name  TEXT NOT NULL COLLATE NOCASE,
    Value TEXT NOT NULL,
    PRIMARY KEY (VNID, Name)
) WITHOUT ROWID;
CREATE TABLE ConstructRelations (
    FromVNID TEXT NOT NULL,
    Name     TEXT NOT NULL COLLATE NOCASE,
    ToVNID   TEXT NOT NULL,
    Seq      INTEGER NOT NULL
);
CREATE INDEX ConstructRelationsFrom ON ConstructRelations (FromVNID, Name, Seq);
CREATE TABLE DataLists (
    ListId  INTEGER PRIMARY KEY,
    Name    TEXT NOT NULL,
    Caption TEXT NOT NULL
);
CREATE TABLE DataListElements (
    ListId INTEGER NOT NULL,
    Seq    INTEGER NOT NULL,
    VNID   TEXT NOT NULL,
    PRIMARY KEY (ListId, Seq)
) WITHOUT ROWID;
)SQL";

}  // namespace platform::workbench
