-- The tables of a settings database file (SQLite). Statements are
-- separated by lines reading SPLIT. Money columns have numeric affinity: a
-- value keeps its four decimals exactly up to fifteen significant digits.
CREATE TABLE tCounterSettings (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  KeyID TEXT,
  KeyVal TEXT,
  KeyLocal INTEGER
)
SPLIT
CREATE TABLE tProblemTypes (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  ProblemType TEXT,
  ProblemCategory TEXT,
  DefaultMinutes INTEGER,
  DefaultTechnician TEXT,
  DefaultSLA TEXT,
  DefaultField TEXT,
  Code TEXT
)
SPLIT
CREATE TABLE tCallers (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Name TEXT,
  Email TEXT,
  Phone TEXT,
  Mobile TEXT,
  Address TEXT,
  Company TEXT,
  Department TEXT,
  Password TEXT,
  Technician TEXT,
  SLA TEXT,
  AssociatedUsers TEXT
)
SPLIT
CREATE TABLE tTechnicians (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Name TEXT,
  Email TEXT,
  Phone TEXT,
  Mobile TEXT,
  Rate NUMERIC(19,4),
  AdminAccess INTEGER,
  Password TEXT,
  Code TEXT
)
SPLIT
CREATE TABLE tNotificationTemplates (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  NotificationName TEXT,
  NotificationValue TEXT,
  Enabled INTEGER
)
SPLIT
CREATE TABLE tGeneralSettings (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  KeyID TEXT,
  KeyVal TEXT,
  KeyLocal INTEGER
)
SPLIT
CREATE TABLE tAssets (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  AssetName TEXT,
  AssetField2 TEXT,
  AssetField3 TEXT,
  AssetField4 TEXT,
  AssetField5 TEXT
)
SPLIT
CREATE TABLE tAssetField2List (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Name TEXT
)
SPLIT
CREATE TABLE tAssetField3List (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Name TEXT
)
SPLIT
CREATE TABLE tCustomField4List (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Name TEXT
)
SPLIT
CREATE TABLE tCustomField5List (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Name TEXT
)
SPLIT
CREATE TABLE tCustomField6List (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Name TEXT
)
SPLIT
CREATE TABLE tCallerDepartments (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Category TEXT,
  Rate NUMERIC(19,4),
  Code TEXT
)
SPLIT
CREATE TABLE tProblemCategories (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Category TEXT,
  Rate NUMERIC(19,4),
  Code TEXT
)
SPLIT
CREATE TABLE tStatusList (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Status TEXT
)
SPLIT
CREATE TABLE tSLAs (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Name TEXT,
  Priority TEXT,
  ResponseTime TEXT
)
SPLIT
CREATE TABLE tFAQs (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Question TEXT,
  Answer TEXT,
  ProblemCategory TEXT,
  ProblemType TEXT
)
