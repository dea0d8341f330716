-- Shared tables of every workspace database. Text compares without case,
-- Yes/No columns hold -1 (True) and 0, AutoNumber keys are AUTOINCREMENT.

CREATE TABLE Ents (
  SerialID          INTEGER PRIMARY KEY AUTOINCREMENT,
  ID                TEXT COLLATE NOCASE,
  EntName           TEXT COLLATE NOCASE,
  EntNameFull       TEXT COLLATE NOCASE,
  Name              TEXT COLLATE NOCASE,
  BusName           TEXT COLLATE NOCASE,
  Stub              INTEGER NOT NULL DEFAULT 0,
  Description       TEXT COLLATE NOCASE,
  SOAType           INTEGER NOT NULL DEFAULT 0,
  AccessScreen      INTEGER NOT NULL DEFAULT 0,
  Xctls             INTEGER NOT NULL DEFAULT 0,
  Xctled            INTEGER NOT NULL DEFAULT 0,
  CallsData         INTEGER NOT NULL DEFAULT 0,
  CallsDataIndirect INTEGER NOT NULL DEFAULT 0,
  Called            INTEGER NOT NULL DEFAULT 0,
  OnTop             INTEGER NOT NULL DEFAULT 0,
  Nature            INTEGER NOT NULL DEFAULT 0,
  OnlineAccessible  INTEGER NOT NULL DEFAULT 0,
  ScreenDist        INTEGER NOT NULL DEFAULT 0,
  DownstreamAccess  INTEGER NOT NULL DEFAULT 0,
  UpstreamAccess    INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX idxEntsID ON Ents(ID);
CREATE INDEX idxEntsEntNameSOAType ON Ents(EntName, SOAType);
CREATE INDEX idxEntsName ON Ents(Name);

CREATE TABLE Rels (
  RelID       INTEGER PRIMARY KEY AUTOINCREMENT,
  Id1         TEXT COLLATE NOCASE,
  Id2         TEXT COLLATE NOCASE,
  EntName1    TEXT COLLATE NOCASE,
  EntName2    TEXT COLLATE NOCASE,
  RelName     TEXT COLLATE NOCASE,
  RelNameFull TEXT COLLATE NOCASE
);
CREATE INDEX idxRelsId1 ON Rels(Id1, RelName);
CREATE INDEX idxRelsId2 ON Rels(Id2, RelName);

CREATE TABLE Status (
  StatusType TEXT COLLATE NOCASE,
  StatusVal  TEXT COLLATE NOCASE
);
INSERT INTO Status (StatusType, StatusVal) VALUES ('ErrorMessage', 'none');

CREATE TABLE Settings (
  CLIENT      TEXT COLLATE NOCASE,
  Application TEXT COLLATE NOCASE
);
