-- The management database behind the details window: domains, equipment,
-- users and who is assigned to which computer, and the views the window reads.
--
-- The window's query texts name vEquipment, Domains, qryEquipmentAssignments,
-- qryUsers and qryEquipment; column names with a dot or starting with a digit
-- ("Users.Name", "Equipment.Name", "5x2") are real column names of the views.
--
-- Written in standard SQL so that a shared PostgreSQL server can hold it too.
-- The one SQLite-only part is the trigger that makes vEquipment updatable
-- (marked below); PostgreSQL updates a one-table view like vEquipment without
-- one, so there leave that block out. SQLite keeps BOOLEAN values as 1/0, and
-- PostgreSQL folds the unquoted names to lower case (field look-ups ignore
-- case, so the window's names still match).

CREATE TABLE Domains (
  DomainID INTEGER NOT NULL PRIMARY KEY,
  Name VARCHAR(64) NOT NULL UNIQUE
);

CREATE TABLE Equipment (
  EquipmentID INTEGER NOT NULL PRIMARY KEY,
  Name VARCHAR(64) NOT NULL,
  DomainID INTEGER NOT NULL REFERENCES Domains (DomainID),
  Active BOOLEAN NOT NULL DEFAULT TRUE,
  MACAddr VARCHAR(17),
  UNIQUE (Name, DomainID)
);

-- Account is the account name without its authority ("jdoe"); the window
-- puts the domain's name and a backslash in front of it.
CREATE TABLE Users (
  userID INTEGER NOT NULL PRIMARY KEY,
  Account VARCHAR(64) NOT NULL,
  DomainID INTEGER NOT NULL REFERENCES Domains (DomainID),
  Name VARCHAR(100) NOT NULL,
  PhoneExt VARCHAR(16),
  Location VARCHAR(100),
  UNIQUE (Account, DomainID)
);

-- userID may name no user (a user since removed): the assignment then
-- shows a null account.
CREATE TABLE Assignments (
  AssignmentID INTEGER NOT NULL PRIMARY KEY,
  EquipmentID INTEGER NOT NULL REFERENCES Equipment (EquipmentID),
  userID INTEGER
);

-- One table in FROM (the domain's name comes from a subquery) keeps the
-- view updatable where the server updates simple views by itself.
CREATE VIEW vEquipment AS
  SELECT Equipment.EquipmentID AS EquipmentID,
         Equipment.Name AS EquipmentName,
         (SELECT Domains.Name FROM Domains WHERE Domains.DomainID = Equipment.DomainID)
           AS DomainsName,
         Equipment.Active AS Active,
         Equipment.MACAddr AS MACAddr
  FROM Equipment;

-- SQLite only: vEquipment writes go to Equipment.
CREATE TRIGGER vEquipment_update INSTEAD OF UPDATE ON vEquipment
BEGIN
  UPDATE Equipment SET Active = NEW.Active, MACAddr = NEW.MACAddr
  WHERE EquipmentID = OLD.EquipmentID;
END;

CREATE VIEW qryEquipmentAssignments AS
  SELECT Assignments.AssignmentID AS AssignmentID,
         Users.Account AS "5x2",
         Equipment.DomainID AS DomainID,
         Equipment.Name AS "Equipment.Name",
         Assignments.userID AS userID
  FROM Assignments
  JOIN Equipment ON Equipment.EquipmentID = Assignments.EquipmentID
  LEFT JOIN Users ON Users.userID = Assignments.userID;

CREATE VIEW qryUsers AS
  SELECT Users.Account AS "5x2",
         Users.userID AS userID,
         Users.Name AS "Users.Name",
         Users.PhoneExt AS PhoneExt,
         Users.Location AS Location,
         Users.DomainID AS DomainID
  FROM Users;

CREATE VIEW qryEquipment AS
  SELECT Equipment.Name AS Name,
         Equipment.MACAddr AS MACAddr,
         Equipment.DomainID AS DomainID
  FROM Equipment;

-- The inventory's last known state: one row per report pendrel-inventory
-- took (--database), so each computer keeps its history. Report is the
-- report's JSON as the component wrote it; the other columns repeat the
-- fields queries ask for. TakenAt is UTC, "YYYY-MM-DD HH:MM:SS".
CREATE TABLE InventorySnapshot (
  Computer VARCHAR(255) NOT NULL,
  Domain VARCHAR(255) NOT NULL,
  TakenAt TIMESTAMP NOT NULL,
  Reachable BOOLEAN NOT NULL,
  Report TEXT NOT NULL,
  OS TEXT,
  IPAddress TEXT,
  MACAddress TEXT,
  ConsoleAccount TEXT,
  ClockSkewSeconds BIGINT
);
CREATE INDEX InventorySnapshot_Computer ON InventorySnapshot (Computer, Domain, TakenAt);

-- The computers of a run that several pendrel-inventory processes share on
-- a PostgreSQL server: each claims one row at a time (ClaimedBy, until
-- ClaimedUntil, in the server's time) and marks it done with its snapshot;
-- a claim that runs out goes back to the queue.
CREATE TABLE InventoryQueue (
  Run VARCHAR(64) NOT NULL,
  Computer VARCHAR(255) NOT NULL,
  Domain VARCHAR(255) NOT NULL,
  ClaimedBy VARCHAR(100),
  ClaimedUntil TIMESTAMP,
  DoneAt TIMESTAMP,
  PRIMARY KEY (Run, Computer, Domain)
);
