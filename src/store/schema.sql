-- The working store Velorin.mdb: four tables that carry data from one command to the next.
-- Text compares without regard to case, as the users' section numbers and layer names do.
PRAGMA journal_mode = WAL;
CREATE TABLE Line ([No] INTEGER, X1 REAL, Y1 REAL);
CREATE TABLE Cross (CrossNo TEXT COLLATE NOCASE, SIndex REAL, X1 REAL, Y1 REAL, X2 REAL, Y2 REAL);
CREATE TABLE Point (CrossNo TEXT COLLATE NOCASE, Slen REAL, High REAL, Pian REAL, Layer TEXT COLLATE NOCASE);
CREATE TABLE Ctl (CtlNo TEXT COLLATE NOCASE, Name TEXT COLLATE NOCASE, X1 REAL, Y1 REAL, H1 REAL);


