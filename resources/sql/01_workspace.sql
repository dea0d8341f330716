-- Shared tables of every workspace database. Text compares without case,
-- Yes/No columns hold -1 (True) and 0, AutoNumber keys are AUTOINCREMENT.
-- A Yes/No column behaves as Jet's: Null is stored as 0 (NOT NULL ON
-- CONFLICT REPLACE takes the default) and any other non-zero value as -1
-- (the triggers below), so a statement that writes SQLite's TRUE (1) still
-- reads back -1 and sorts before or after 0 the way the queries expect.

CREATE TABLE Ents (
  SerialID          INTEGER PRIMARY KEY AUTOINCREMENT,
  ID                TEXT COLLATE NOCASE,
  EntName           TEXT COLLATE NOCASE,
  EntNameFull       TEXT COLLATE NOCASE,
  Name              TEXT COLLATE NOCASE,
  BusName           TEXT COLLATE NOCASE,
  Stub              INTEGER NOT NULL ON CONFLICT REPLACE DEFAULT 0,
  Description       TEXT COLLATE NOCASE,
  SOAType           INTEGER NOT NULL DEFAULT 0,
  AccessScreen      INTEGER NOT NULL ON CONFLICT REPLACE DEFAULT 0,
  Xctls             INTEGER NOT NULL ON CONFLICT REPLACE DEFAULT 0,
  Xctled            INTEGER NOT NULL ON CONFLICT REPLACE DEFAULT 0,
  CallsData         INTEGER NOT NULL ON CONFLICT REPLACE DEFAULT 0,
  CallsDataIndirect INTEGER NOT NULL ON CONFLICT REPLACE DEFAULT 0,
  Called            INTEGER NOT NULL ON CONFLICT REPLACE DEFAULT 0,
  OnTop             INTEGER NOT NULL ON CONFLICT REPLACE DEFAULT 0,
  Nature            INTEGER NOT NULL DEFAULT 0,
  OnlineAccessible  INTEGER NOT NULL ON CONFLICT REPLACE DEFAULT 0,
  ScreenDist        INTEGER NOT NULL DEFAULT 0,
  DownstreamAccess  INTEGER NOT NULL ON CONFLICT REPLACE DEFAULT 0,
  UpstreamAccess    INTEGER NOT NULL ON CONFLICT REPLACE DEFAULT 0
);
CREATE INDEX idxEntsID ON Ents(ID);
CREATE INDEX idxEntsEntNameSOAType ON Ents(EntName, SOAType);
CREATE INDEX idxEntsName ON Ents(Name);

-- Jet stores every True as -1.
CREATE TRIGGER trgEntsYesNoInsert AFTER INSERT ON Ents
WHEN NEW.Stub NOT IN (0, -1)
  OR NEW.AccessScreen NOT IN (0, -1)
  OR NEW.Xctls NOT IN (0, -1)
  OR NEW.Xctled NOT IN (0, -1)
  OR NEW.CallsData NOT IN (0, -1)
  OR NEW.CallsDataIndirect NOT IN (0, -1)
  OR NEW.Called NOT IN (0, -1)
  OR NEW.OnTop NOT IN (0, -1)
  OR NEW.OnlineAccessible NOT IN (0, -1)
  OR NEW.DownstreamAccess NOT IN (0, -1)
  OR NEW.UpstreamAccess NOT IN (0, -1)
BEGIN
  UPDATE Ents SET
    Stub = CASE WHEN Stub = 0 THEN 0 ELSE -1 END,
    AccessScreen = CASE WHEN AccessScreen = 0 THEN 0 ELSE -1 END,
    Xctls = CASE WHEN Xctls = 0 THEN 0 ELSE -1 END,
    Xctled = CASE WHEN Xctled = 0 THEN 0 ELSE -1 END,
    CallsData = CASE WHEN CallsData = 0 THEN 0 ELSE -1 END,
    CallsDataIndirect = CASE WHEN CallsDataIndirect = 0 THEN 0 ELSE -1 END,
    Called = CASE WHEN Called = 0 THEN 0 ELSE -1 END,
    OnTop = CASE WHEN OnTop = 0 THEN 0 ELSE -1 END,
    OnlineAccessible = CASE WHEN OnlineAccessible = 0 THEN 0 ELSE -1 END,
    DownstreamAccess = CASE WHEN DownstreamAccess = 0 THEN 0 ELSE -1 END,
    UpstreamAccess = CASE WHEN UpstreamAccess = 0 THEN 0 ELSE -1 END
  WHERE SerialID = NEW.SerialID;
END;
CREATE TRIGGER trgEntsYesNoUpdate AFTER UPDATE OF Stub, AccessScreen, Xctls, Xctled, CallsData, CallsDataIndirect, Called, OnTop, OnlineAccessible, DownstreamAccess, UpstreamAccess ON Ents
WHEN NEW.Stub NOT IN (0, -1)
  OR NEW.AccessScreen NOT IN (0, -1)
  OR NEW.Xctls NOT IN (0, -1)
  OR NEW.Xctled NOT IN (0, -1)
  OR NEW.CallsData NOT IN (0, -1)
  OR NEW.CallsDataIndirect NOT IN (0, -1)
  OR NEW.Called NOT IN (0, -1)
  OR NEW.OnTop NOT IN (0, -1)
  OR NEW.OnlineAccessible NOT IN (0, -1)
  OR NEW.DownstreamAccess NOT IN (0, -1)
  OR NEW.UpstreamAccess NOT IN (0, -1)
BEGIN
  UPDATE Ents SET
    Stub = CASE WHEN Stub = 0 THEN 0 ELSE -1 END,
    AccessScreen = CASE WHEN AccessScreen = 0 THEN 0 ELSE -1 END,
    Xctls = CASE WHEN Xctls = 0 THEN 0 ELSE -1 END,
    Xctled = CASE WHEN Xctled = 0 THEN 0 ELSE -1 END,
    CallsData = CASE WHEN CallsData = 0 THEN 0 ELSE -1 END,
    CallsDataIndirect = CASE WHEN CallsDataIndirect = 0 THEN 0 ELSE -1 END,
    Called = CASE WHEN Called = 0 THEN 0 ELSE -1 END,
    OnTop = CASE WHEN OnTop = 0 THEN 0 ELSE -1 END,
    OnlineAccessible = CASE WHEN OnlineAccessible = 0 THEN 0 ELSE -1 END,
    DownstreamAccess = CASE WHEN DownstreamAccess = 0 THEN 0 ELSE -1 END,
    UpstreamAccess = CASE WHEN UpstreamAccess = 0 THEN 0 ELSE -1 END
  WHERE SerialID = NEW.SerialID;
END;

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
