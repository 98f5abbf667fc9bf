// The helpdesk's choice of settings store, kept in the settings folder as
// the post item "DBSettings" so that everyone who opens the same folders
// uses the same store: `DBChoice` (0 a database file, 1 a database server
// through `DBConnectionString`, 2 the settings folder itself) and the fields
// of the database page (`DatabaseInfo`).
//
// An absent item reads as choice 0 with empty texts, as it always did; a
// new helpdesk made by LoadInitialSettingsToNewDB gets an item with choice 2.
// Failures are reported under "MySettings.<operation>". UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zanvoro {

namespace host {
class MAPIFolder;
}  // namespace host

// The five connection fields of the database page, stored joined by "|" in
// this order; the third is a number.
struct DatabaseInfoFields {
  std::string Server;  // the server, or the folder of a database file
  std::string DatabaseName;
  int32_t Security = 0;  // 0 the server's own accounts, 1 the user's login
  std::string UserName;
  std::string Password;

  std::string ToString() const;
  // Missing fields read as empty (0 for Security); extra fields are ignored.
  static DatabaseInfoFields FromString(std::string_view text);
};

class cMySettings {
 public:
  static constexpr const char* kItemSubject = "DBSettings";
  static constexpr int32_t kChoiceDatabaseFile = 0;
  static constexpr int32_t kChoiceDatabaseServer = 1;
  static constexpr int32_t kChoiceSettingsFolder = 2;

  int32_t DBChoice = kChoiceDatabaseFile;
  std::string DBConnectionString;
  DatabaseInfoFields DatabaseInfo;

  // Reads the "DBSettings" item of `settings_folder`; without the item (or
  // the folder) the defaults above. Returns whether the item was there.
  bool ReadDBSettingsItem(const std::shared_ptr<host::MAPIFolder>& settings_folder);
  // Writes the three values to the item, creating it when missing. Returns
  // false when the user may not write there (they were shown the
  // write-permission advice) or the write failed (reported).
  bool SaveDBSettingsItem(const std::shared_ptr<host::MAPIFolder>& settings_folder) const;
};

}  // namespace zanvoro
