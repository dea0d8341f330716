-- Work tables of the reports and special analyses. They come empty with the
-- template; each run empties and fills them, nothing creates them.

-- Fields of one screen map, loaded from its field listing for the screen page.
CREATE TABLE Fields (
  MapName      TEXT COLLATE NOCASE,
  FldName      TEXT COLLATE NOCASE,
  FldRow       INTEGER,
  row          INTEGER,
  col          INTEGER,
  Length       INTEGER,
  InitialValue TEXT COLLATE NOCASE,
  Attrib       INTEGER
);
CREATE INDEX idxFieldsMap ON Fields(MapName, row, col);

-- COMMAREA size analysis: one row per measured item.
CREATE TABLE Commarea (
  ID         TEXT COLLATE NOCASE,
  vnid       TEXT COLLATE NOCASE,
  Caption    TEXT COLLATE NOCASE,
  RemedyType TEXT COLLATE NOCASE,
  size       INTEGER
);
CREATE INDEX idxCommareaID ON Commarea(ID, RemedyType);

-- Validation rules analysis. A row is added only when its key is new, so the
-- keys are unique indexes as well: a repeated insert is refused.
CREATE TABLE Ports (
  ProgID   TEXT COLLATE NOCASE,
  PortVNID TEXT COLLATE NOCASE,
  PortName TEXT COLLATE NOCASE,
  DeclVNID TEXT COLLATE NOCASE,
  DeclName TEXT COLLATE NOCASE
);
CREATE UNIQUE INDEX idxPortsKey ON Ports(ProgID, PortVNID);
CREATE INDEX idxPortsDecl ON Ports(DeclVNID);

CREATE TABLE Subdecls (
  DeclVNID    TEXT COLLATE NOCASE,
  SubdeclVNID TEXT COLLATE NOCASE,
  SubdeclName TEXT COLLATE NOCASE
);
CREATE UNIQUE INDEX idxSubdeclsKey ON Subdecls(DeclVNID, SubdeclVNID);

CREATE TABLE Conds (
  CondVNID    TEXT COLLATE NOCASE,
  CondCaption TEXT COLLATE NOCASE,
  SubdeclVNID TEXT COLLATE NOCASE
);
CREATE UNIQUE INDEX idxCondsKey ON Conds(CondVNID, SubdeclVNID);
CREATE INDEX idxCondsSubdecl ON Conds(SubdeclVNID);

-- Screen field validations shown by the validation details window; the
-- columns of Ports, Subdecls and Conds.
CREATE TABLE SFVPorts (
  ProgID   TEXT COLLATE NOCASE,
  PortVNID TEXT COLLATE NOCASE,
  PortName TEXT COLLATE NOCASE,
  DeclVNID TEXT COLLATE NOCASE,
  DeclName TEXT COLLATE NOCASE
);
CREATE INDEX idxSFVPortsProg ON SFVPorts(ProgID);

CREATE TABLE SFVSubdecls (
  DeclVNID    TEXT COLLATE NOCASE,
  SubdeclVNID TEXT COLLATE NOCASE,
  SubdeclName TEXT COLLATE NOCASE
);
CREATE INDEX idxSFVSubdeclsDecl ON SFVSubdecls(DeclVNID);

CREATE TABLE SFVConds (
  CondVNID    TEXT COLLATE NOCASE,
  CondCaption TEXT COLLATE NOCASE,
  SubdeclVNID TEXT COLLATE NOCASE
);
CREATE INDEX idxSFVCondsSubdecl ON SFVConds(SubdeclVNID);

-- CRUD overlap analysis. A CRUD is a data store with one kind of access.
CREATE TABLE CRUDs (
  SerialID INTEGER PRIMARY KEY AUTOINCREMENT,
  PortID   TEXT COLLATE NOCASE,
  CRUDType INTEGER
);
CREATE INDEX idxCRUDsPort ON CRUDs(PortID, CRUDType);

CREATE TABLE ProgCRUD (
  ProgSID   INTEGER,
  CRUDID    INTEGER,
  Immediate TEXT COLLATE NOCASE,
  Degree    INTEGER
);
CREATE INDEX idxProgCRUDProg ON ProgCRUD(ProgSID);
CREATE INDEX idxProgCRUDCRUD ON ProgCRUD(CRUDID);

CREATE TABLE tmpProgCRUDProgPrep (
  Prog1  INTEGER,
  Prog2  INTEGER,
  CRUDID INTEGER
);

-- RawSameness is a count, held as REAL so that RawSameness / SamenessCap
-- divides as a real number (0.5, 0.111...) the way the similarity rating
-- needs, instead of SQLite's whole-number division of two integers.
CREATE TABLE ProgCRUDProg (
  Prog1       INTEGER,
  Prog2       INTEGER,
  RawSameness REAL,
  SamenessCap INTEGER
);
CREATE INDEX idxProgCRUDProgPair ON ProgCRUDProg(Prog1, Prog2);
