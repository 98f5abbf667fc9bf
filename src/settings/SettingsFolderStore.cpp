#include "settings/SettingsFolderStore.h"

#include <optional>
#include <string>
#include <vector>

#include "errors/AdviceTexts.h"
#include "errors/modErroHandling.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/UserProperties.h"
#include "host/store/WriteBatch.h"
#include "runtime/Date.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/cGlobalSettings.h"
#include "settings/cOutlookSettings.h"

namespace zanvoro {

namespace {

// Another user may save the same item between our read and our save; the
// last writer wins, so a conflicting save is made again on a fresh copy,
// read and saved in one batch of the store (which keeps others out on a
// store on a server, where a busy session saves the item in every batch).
constexpr int kSaveAttempts = 3;
// A counter loses a race only to an instance that advanced it meanwhile, so
// every retry follows someone's progress; this many in a row means the
// store is stuck, not busy.
constexpr int kCounterAttempts = 1000;

std::shared_ptr<host::Item> FindBySubject(host::MAPIFolder& folder,
                                          std::string_view subject) {
  auto items = folder.Items();
  std::string filter = "[Subject] = '" + Replace(subject, "'", "''") + "'";
  for (auto item = items->Find(filter); item; item = items->FindNext()) {
    if (item->Subject() == subject) return item;
  }
  return nullptr;
}

// Runs `write` on the item of `subject` (made when missing) and saves it.
// Returns false after showing the advice when the user may not.
template <class F>
bool WriteItem(host::MAPIFolder& folder, std::string_view subject,
               std::string_view location, F&& write) {
  for (int attempt = 1;; ++attempt) {
    std::optional<host::WriteBatch> batch;
    if (attempt > 1) batch.emplace(folder.GetStore());
    auto item = GetOutlookSettingItem(folder, subject, SettingItemMode::Create);
    if (!item) return false;
    try {
      write(*item);
      item->Save();
      return true;
    } catch (const Error& error) {
      if (error.Number() == err::kAccessDenied) {
        ShowSettingsWritePermissionError(error, location);
        return false;
      }
      if (error.Number() != err::kObjectChanged || attempt == kSaveAttempts) throw;
    }
  }
}

}  // namespace

SettingsFolderStore::SettingsFolderStore(std::shared_ptr<host::MAPIFolder> folder)
    : folder_(std::move(folder)) {}

bool SettingsFolderStore::HasSettings() {
  return FindBySubject(*folder_, kSettingsItemSubject) != nullptr;
}

void SettingsFolderStore::ReadLists(cGlobalSettings& settings,
                                    std::span<const SettingsList> lists) {
  auto item = FindBySubject(*folder_, kSettingsItemSubject);
  if (!item) return;
  std::shared_ptr<host::Item> counters;
  for (SettingsList list : lists) {
    if (list == SettingsList::CounterSettings) {
      if (!counters) counters = FindBySubject(*folder_, kCounterItemSubject);
      if (counters) {
        settings.ListFromText(list, SettingItemText(*counters, SettingsListName(list)));
      }
      continue;
    }
    settings.ListFromText(list, SettingItemText(*item, SettingsListName(list)));
  }
}

bool SettingsFolderStore::WriteLists(const cGlobalSettings& settings,
                                     std::span<const SettingsList> lists) {
  std::vector<SettingsList> item_lists;
  bool counters = false;
  for (SettingsList list : lists) {
    if (list == SettingsList::CounterSettings) {
      counters = true;
    } else {
      item_lists.push_back(list);
    }
  }
  if (!item_lists.empty()) {
    bool written = WriteItem(
        *folder_, kSettingsItemSubject, "cGlobalSettings.saveSettingsToOutlook",
        [&](host::Item& item) {
          for (SettingsList list : item_lists) {
            SetSettingItemText(item, SettingsListName(list), settings.ListText(list));
          }
        });
    if (!written) return false;
    // Other instances watch this stamp to learn that the settings changed.
    written = WriteItem(*folder_, kMonitoredFoldersItemSubject,
                        "cGlobalSettings.SaveGlobalSettings", [](host::Item& item) {
                          auto& properties = item.UserProperties();
                          host::UserProperty* stamp = properties.Find(kSaveStampProperty);
                          if (!stamp) {
                            stamp = properties.Add(kSaveStampProperty,
                                                   host::UserPropertyType::DateTime);
                          }
                          stamp->SetValue(Variant(Now()));
                        });
    if (!written) return false;
  }
  if (counters) {
    return WriteItem(*folder_, kCounterItemSubject, "cGlobalSettings.SaveCounterSettings",
                     [&](host::Item& item) {
                       SetSettingItemText(
                           item, SettingsListName(SettingsList::CounterSettings),
                           settings.ListText(SettingsList::CounterSettings));
                     });
  }
  return true;
}

std::optional<int32_t> SettingsFolderStore::AdvanceCounter(cGlobalSettings& settings,
                                                           std::string_view key) {
  const std::string_view property = SettingsListName(SettingsList::CounterSettings);
  for (int attempt = 1; attempt <= kCounterAttempts; ++attempt) {
    auto item = FindBySubject(*folder_, kCounterItemSubject);
    if (!item) {
      // Two instances may both make the item; Find walks in creation order,
      // so every instance then counts on the oldest one.
      if (!GetOutlookSettingItem(*folder_, kCounterItemSubject, SettingItemMode::Create))
        return std::nullopt;
      continue;
    }
    cOutlookSettings counters;
    counters.FromString(SettingItemText(*item, property));
    int32_t next = NextCounterValue(counters, key);
    counters.SetValue(key, std::to_string(next));
    try {
      SetSettingItemText(*item, property, counters.ToString());
      item->Save();
    } catch (const Error& error) {
      if (error.Number() == err::kAccessDenied) {
        ShowSettingsWritePermissionError(error, "cGlobalSettings.SaveCounterSettings");
        return std::nullopt;
      }
      if (error.Number() != err::kObjectChanged) throw;
      continue;
    }
    settings.CounterSettings = std::move(counters);
    return next;
  }
  throw Error(err::kObjectChanged,
              "The counter \"" + std::string(key) + "\" was changed by others " +
                  std::to_string(kCounterAttempts) +
                  " times while it was being advanced.",
              "SettingsFolderStore");
}

std::shared_ptr<host::Item> GetOutlookSettingItem(host::MAPIFolder& folder,
                                                  std::string_view subject,
                                                  SettingItemMode mode) {
  auto item = FindBySubject(folder, subject);
  if (item || mode == SettingItemMode::Find) return item;
  try {
    item = folder.Items()->Add("IPM.Post");
    item->SetSubject(subject);
    if (subject == kSettingsItemSubject) {
      for (SettingsList list : kSettingsItemLists) {
        item->UserProperties().Add(SettingsListName(list), host::UserPropertyType::Text);
      }
    }
    item->Save();
    return item;
  } catch (const Error& error) {
    if (error.Number() != err::kAccessDenied) throw;
    ShowSettingsWritePermissionError(error, "modSettingsData.GetOutlookSettingItem");
    return nullptr;
  }
}

std::string SettingItemText(host::Item& item, std::string_view name) {
  host::UserProperty* property = item.UserProperties().Find(name);
  if (!property) return {};
  const Variant& value = property->Value();
  if (value.IsEmpty() || value.IsNull()) return {};
  return CStr(value);
}

void SetSettingItemText(host::Item& item, std::string_view name, std::string_view text) {
  auto& properties = item.UserProperties();
  host::UserProperty* property = properties.Find(name);
  if (!property) property = properties.Add(name, host::UserPropertyType::Text);
  property->SetValue(Variant(text));
}

std::string SettingsWritePermissionMessage() {
  return WritePermissionAdvice("<VNH_SETTINGFOLDER>");
}

void ShowSettingsWritePermissionError(const Error& error, std::string_view location) {
  std::string message = SettingsWritePermissionMessage();
  ShowFriendlyError(message, error.Description(), error.Number(),
                    static_cast<int16_t>(error.Line()), location);
}

bool SettingsFolderWritable(host::MAPIFolder& folder) {
  if (folder.CurrentUserRole() >= host::Role::Editor) return true;
  ShowSettingsWritePermissionError(
      AccessDeniedError("the Settings folder \"" + folder.Name() + "\""),
      "modSettingsData.GetOutlookSettingItem");
  return false;
}

}  // namespace zanvoro
