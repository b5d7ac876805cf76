-- Demo contents of the management database: the SALES domain of the reference
-- host's demo fixture, its computers PC042 (active, with assigned users) and
-- PC099, and users with and without extension and location.

INSERT INTO Domains (DomainID, Name) VALUES (1, 'SALES');
INSERT INTO Domains (DomainID, Name) VALUES (2, 'ENGINEERING');

INSERT INTO Equipment (EquipmentID, Name, DomainID, Active, MACAddr)
  VALUES (1, 'PC042', 1, TRUE, '00-1A-2B-3C-4D-5E');
INSERT INTO Equipment (EquipmentID, Name, DomainID, Active, MACAddr)
  VALUES (2, 'PC099', 1, FALSE, '00-1A-2B-3C-4D-99');
INSERT INTO Equipment (EquipmentID, Name, DomainID, Active, MACAddr)
  VALUES (3, 'SRV01', 1, TRUE, NULL);

INSERT INTO Users (userID, Account, DomainID, Name, PhoneExt, Location)
  VALUES (101, 'jdoe', 1, 'John Doe', '4711', 'Front desk');
INSERT INTO Users (userID, Account, DomainID, Name, PhoneExt, Location)
  VALUES (102, 'asmith', 1, 'Anna Smith', NULL, NULL);
INSERT INTO Users (userID, Account, DomainID, Name, PhoneExt, Location)
  VALUES (103, 'kiosk', 1, 'Sales kiosk', '', 'Showroom');
INSERT INTO Users (userID, Account, DomainID, Name, PhoneExt, Location)
  VALUES (104, 'mlee', 2, 'Mei Lee', '2200', NULL);

INSERT INTO Assignments (AssignmentID, EquipmentID, userID) VALUES (1, 1, 101);
INSERT INTO Assignments (AssignmentID, EquipmentID, userID) VALUES (2, 1, 102);
INSERT INTO Assignments (AssignmentID, EquipmentID, userID) VALUES (3, 1, 999);
INSERT INTO Assignments (AssignmentID, EquipmentID, userID) VALUES (4, 2, 103);
