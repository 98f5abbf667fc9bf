// The settings folder as the settings store (DBChoice 2). The folder holds
// post items found by their exact subject:
//   "ZanvoroSettings"           one text property per list, named by the
//                               list's table name, holding its text form;
//   "CounterSettings"           "tCounterSettings": the counters' text;
//   "DBSettings"                the store choice (cMySettings);
//   "MonitoredFoldersSettings"  "tblDummy": when the shared settings were
//                               last saved (and the monitoring claims).
//
// Single lists (the status list, the asset-field and custom-field lists)
// are stored as their items joined by a line break (CR LF).
//
// Writing needs the right to create and change items in the folder; a user
// without it is shown the write-permission advice (under the location of
// the step that failed) and nothing more is written. UI thread only.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "settings/SettingsStore.h"

namespace zanvoro {

namespace host {
class Item;
class MAPIFolder;
}  // namespace host

class Error;

inline constexpr const char* kSettingsItemSubject = "ZanvoroSettings";
inline constexpr const char* kCounterItemSubject = "CounterSettings";
inline constexpr const char* kMonitoredFoldersItemSubject = "MonitoredFoldersSettings";
inline constexpr const char* kSaveStampProperty = "tblDummy";
// The separator of a single list's stored text.
inline constexpr std::string_view kLineBreak = "\r\n";

class SettingsFolderStore : public SettingsStore {
 public:
  // REQUIRES: `folder` is not null.
  explicit SettingsFolderStore(std::shared_ptr<host::MAPIFolder> folder);

  SettingsStoreKind Kind() const override { return SettingsStoreKind::Folder; }
  bool HasSettings() override;
  // Lists come from the "ZanvoroSettings" item, the counters from the
  // "CounterSettings" item. Without the item nothing is read.
  void ReadLists(cGlobalSettings& settings, std::span<const SettingsList> lists) override;
  // Writes the lists other than the counters to the "ZanvoroSettings" item
  // (made when missing) and then stamps "MonitoredFoldersSettings" with the
  // present date and time; writes the counters to the "CounterSettings"
  // item.
  bool WriteLists(const cGlobalSettings& settings,
                  std::span<const SettingsList> lists) override;
  // Compares and swaps on the "CounterSettings" item: reads it fresh,
  // increments, and saves only when nobody saved it since the read (the
  // store checks the item's change counter in the same write); otherwise
  // reads again and retries. A missing item is made first. Raises
  // Error(err::kObjectChanged) when the counter kept changing under it
  // through many attempts.
  std::optional<int32_t> AdvanceCounter(cGlobalSettings& settings,
                                        std::string_view key) override;

  const std::shared_ptr<host::MAPIFolder>& Folder() const { return folder_; }

 private:
  std::shared_ptr<host::MAPIFolder> folder_;
};

enum class SettingItemMode { Find, Create };

// The item of `folder` whose subject is exactly `subject`, or nullptr. With
// Create a missing item is made and saved ("ZanvoroSettings" with its
// sixteen list properties, empty); when the user may not create it there,
// they are shown the write-permission advice under
// "modSettingsData.GetOutlookSettingItem" and the result is nullptr.
std::shared_ptr<host::Item> GetOutlookSettingItem(host::MAPIFolder& folder,
                                                  std::string_view subject,
                                                  SettingItemMode mode);

// The text of the item's text property `name`; "" when it has none.
std::string SettingItemText(host::Item& item, std::string_view name);
// Sets the item's property `name` (a text property when it is new).
void SetSettingItemText(host::Item& item, std::string_view name, std::string_view text);

// The advice shown when the Settings folder cannot be written.
std::string SettingsWritePermissionMessage();
// Shows that advice for `error` under `location`.
void ShowSettingsWritePermissionError(const Error& error, std::string_view location);
// Whether the current user may change every item of the Settings folder
// (Editor or more). Shows the advice when not.
bool SettingsFolderWritable(host::MAPIFolder& folder);

}  // namespace zanvoro
