// The settings database: where it is (DBChoice 0, a database file in a
// folder; 1, a database on a server), its tables, making a new one, and
// bringing an older one up to the current schema.
//
// A database file is an SQLite file named "ZanvoroSettings.mdb" in the
// folder of the database page (DatabaseInfo.Server); when only the older
// "VarnholtSettings.mdb" is there, that file is used. A server database is
// a PostgreSQL database: the page's server ("host", "host:port" or a socket
// folder), database name ("ZanvoroSettingsDB" when empty), and, unless the
// user's own login is chosen (Security 1), user name and password. A saved
// "postgresql://" connection string wins over the fields.
//
// A settings database is one that has the table tCounterSettings. Every
// table has the integer key `ID` made by the database and the columns of
// SettingsTable, in order (resources/sql holds the scripts that make them).
//
// Failures of the database are Error(err::kCallFailed) naming the database
// and the cause. UI thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/SettingsList.h"

namespace soci {
class session;
}  // namespace soci

namespace zanvoro {

namespace host {
class MAPIFolder;
}  // namespace host

class cMySettings;

inline constexpr const char* kSettingsDatabaseFile = "ZanvoroSettings.mdb";
inline constexpr const char* kOldSettingsDatabaseFile = "VarnholtSettings.mdb";
inline constexpr const char* kDefaultSettingsDatabaseName = "ZanvoroSettingsDB";

enum class SettingsColumnKind { Text, LongText, YesNo, Integer, Money };

struct SettingsColumn {
  const char* name;
  SettingsColumnKind kind;
};

// One table of the settings database.
struct SettingsTable {
  SettingsList list;
  const char* name;
  // The columns after ID, in table order.
  std::vector<SettingsColumn> columns;
  // The list's fields in text-form order, by column name; the first is its
  // key.
  std::vector<std::string> fields;
  // How the loader orders the rows (the first row of a key wins).
  const char* order_by;
};

// Every table, in the order the scripts make them.
const std::vector<SettingsTable>& SettingsTables();
// The table of `list`.
const SettingsTable& SettingsTableOf(SettingsList list);

enum class SettingsDatabaseKind { File, Server };

// The database's script of tables (resources/sql), statements separated by
// lines reading "SPLIT".
std::string_view SettingsDatabaseScript(SettingsDatabaseKind kind);

// The file of the settings database in `folder`: "ZanvoroSettings.mdb",
// or "VarnholtSettings.mdb" when only that one is there.
std::string SettingsDatabaseFile(const std::string& folder);

// Where the database of `choice` is (a file path or a "postgresql://"
// address). Raises Error(err::kInvalidProcedureCall) for a choice without
// a folder or server, or fields the address cannot carry.
std::string SettingsDatabaseLocation(const cMySettings& choice);
// The database name of a server `choice`: the saved address's, else the
// page's ("ZanvoroSettingsDB" when empty).
std::string SettingsDatabaseName(const cMySettings& choice);
// The server address of `choice` without a database (its maintenance
// database "postgres").
std::string SettingsServerLocation(const cMySettings& choice);

// The names of the columns of `table` in table order, lower-cased; empty when the table
// is not there.
std::vector<std::string> TableColumns(soci::session& session, std::string_view location,
                                      std::string_view table);
bool IsSettingsDatabase(soci::session& session, std::string_view location);
// The rows of `sql`, every column read as text (nullopt for NULL). Raises
// Error(err::kCallFailed) with the database's message when the query fails.
std::vector<std::vector<std::optional<std::string>>> QueryTexts(soci::session& session,
                                                                const std::string& sql);

// Makes every table in an empty database, all or none.
void CreateSettingsTables(soci::session& session, std::string_view location);

// Brings the database to the current schema (version 7): adds the tables
// tCustomField5List and tCustomField6List and the columns tCallers.SLA,
// tCallers.AssociatedUsers, tProblemTypes.DefaultField, tProblemTypes.Code,
// tProblemCategories.Code, tCallerDepartments.Code and tTechnicians.Code
// where they are missing, all in one transaction (a database without
// tCounterSettings is no settings database and is left alone): a failure
// leaves the
// database as it was and raises. Returns whether anything was added; a
// current database is left alone.
bool UpgradeSettingsDatabase(soci::session& session, std::string_view location);

// The outcome of opening the settings database at start-up.
struct OpenedSettingsDatabase {
  bool usable = false;
  // A new database was made: the initial settings go into it.
  bool created = false;
};

// Opens the settings database of `choice` at start-up, as DBChoice 0 and 1
// want it, and upgrades it:
//   0: the file of SettingsDatabaseFile; when neither file is there (or
//      the one there holds no table yet), "ZanvoroSettings.mdb" is made
//      with every table. A file with tables but no tCounterSettings is
//      refused with the "is not a valid" message.
//   1: a database that opens and has tCounterSettings is used. One that
//      opens without it is refused with the "is not a valid" message. When
//      the database cannot be opened the user is asked whether to continue
//      with a new one; yes makes it on the server (never over an existing
//      database) and saves its connection string in the "DBSettings" item
//      of `settings_folder`.
// A failed upgrade shows the "had failed" message and the database is used
// as it was. Messages go through MsgBox; failures are reported under
// "DB.OpenSettingsDatabase" and give an unusable result.
OpenedSettingsDatabase OpenSettingsDatabase(
    cMySettings& choice, const std::shared_ptr<host::MAPIFolder>& settings_folder);

// What the database page's test button says about a server `choice`: the
// "succeeded", "Connection Failed!", "is not a valid" or "does not exist"
// text.
std::string TestServerConnectionText(const cMySettings& choice);

}  // namespace zanvoro
