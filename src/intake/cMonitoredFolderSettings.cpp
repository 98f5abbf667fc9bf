#include "intake/cMonitoredFolderSettings.h"

#include <cmath>
#include <optional>
#include <vector>

#include "case/HelpdeskFolders.h"
#include "connection/RunningAddin.h"
#include "host/store/Item.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Store.h"
#include "host/store/UserProperties.h"
#include "host/store/WriteBatch.h"
#include "host/xml/XmlDocument.h"
#include "host/xml/XmlNode.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/SettingsFolderStore.h"
#include "settings/SettingsList.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"
#include "settings/cMySettings.h"

namespace zanvoro {

namespace {

// How often a claim is read and written again when another instance saved
// the record item in between.
constexpr int kClaimAttempts = 20;

std::string ChildText(const host::XmlNode& parent, std::string_view name) {
  for (const host::XmlNode& child : parent.ChildNodes()) {
    if (child.NodeName() == name) return child.Text();
  }
  return {};
}

}  // namespace

std::string ClaimRecordXml(const MonitoringClaim& claim) {
  host::XmlDocument doc;
  host::XmlNode root = doc.AppendChild(doc.CreateElement("MonitoredFolder"));
  host::XmlNode data = root.AppendChild(doc.CreateElement("Data"));
  auto add = [&](std::string_view name, std::string_view text) {
    data.AppendChild(doc.CreateElement(name)).SetText(text);
  };
  add("FolderPath", claim.FolderPath);
  add("DateTagged", claim.DateTagged ? SortableDateText(*claim.DateTagged) : "");
  add("UserName", claim.UserName);
  return doc.Xml();
}

std::optional<MonitoringClaim> ReadClaimRecord(std::string_view xml) {
  if (Trim(xml).empty()) return std::nullopt;
  host::XmlDocument doc;
  if (!doc.LoadXML(xml)) return std::nullopt;
  host::XmlNode root = doc.DocumentElement();
  if (root.IsNull() || root.NodeName() != "MonitoredFolder") return std::nullopt;
  host::XmlNodeList data = root.GetElementsByTagName("Data");
  if (data.Length() == 0) return std::nullopt;
  MonitoringClaim claim;
  claim.FolderPath = ChildText(data.Item(0), "FolderPath");
  claim.DateTagged = ReadSortableDateText(ChildText(data.Item(0), "DateTagged"));
  claim.UserName = ChildText(data.Item(0), "UserName");
  return claim;
}

cMonitoredFolderSettings::cMonitoredFolderSettings()
    : cMonitoredFolderSettings(Services{}) {}

cMonitoredFolderSettings::cMonitoredFolderSettings(Services services)
    : services_(std::move(services)) {
  if (!services_.settings_folder)
    services_.settings_folder = [] { return GetSettingsFolder(); };
  if (!services_.global_settings)
    services_.global_settings = [] { return SharedGlobalSettings(); };
  if (!services_.folder_mode) {
    services_.folder_mode = [] {
      cMySettings* choice = SharedMySettings();
      return !choice || choice->DBChoice == cMySettings::kChoiceSettingsFolder;
    };
  }
  if (!services_.user_name) {
    services_.user_name = [this]() -> std::string {
      cGlobalSettings* settings = services_.global_settings();
      if (settings && !settings->CurrentUserName.empty())
        return settings->CurrentUserName;
      RunningAddin* addin = ConnectedAddin();
      if (addin && addin->Session()) return addin->Session()->CurrentUser().Name;
      return {};
    };
  }
  if (!services_.now) {
    // The claims' clock is the store's, so instances on several machines
    // sharing a store on a server judge a claim's age alike.
    services_.now = [this] {
      if (FolderMode()) {
        if (auto folder = services_.settings_folder()) return folder->GetStore()->CurrentTime();
      }
      return zanvoro::Now();
    };
  }
}

std::string cMonitoredFolderSettings::UserName() const { return services_.user_name(); }

Date cMonitoredFolderSettings::Now() const { return services_.now(); }

bool cMonitoredFolderSettings::FolderMode() const { return services_.folder_mode(); }

bool cMonitoredFolderSettings::Mine(const MonitoringClaim& claim) const {
  return TextEquals(claim.UserName, UserName());
}

std::shared_ptr<host::Item> cMonitoredFolderSettings::SettingsItem(bool create) const {
  std::shared_ptr<host::MAPIFolder> folder = services_.settings_folder();
  if (!folder) return nullptr;
  return GetOutlookSettingItem(*folder, kMonitoredFoldersItemSubject,
                               create ? SettingItemMode::Create : SettingItemMode::Find);
}

std::optional<MonitoringClaim> cMonitoredFolderSettings::Claim(std::string_view key) {
  if (FolderMode()) {
    auto item = SettingsItem(false);
    if (!item) return std::nullopt;
    return ReadClaimRecord(SettingItemText(*item, key));
  }
  cGlobalSettings* settings = services_.global_settings();
  if (!settings) return std::nullopt;
  return ReadClaimRecord(CStr(settings->GeneralSettings.GetValue(key, VarType::String)));
}

std::string cMonitoredFolderSettings::MonitoredByUser(std::string_view key) {
  std::optional<MonitoringClaim> claim = Claim(key);
  return claim ? claim->UserName : std::string();
}

bool cMonitoredFolderSettings::Update(
    std::string_view key,
    const std::function<Decision(const std::optional<MonitoringClaim>&,
                                 std::string& new_text)>& decide) {
  for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
    if (FolderMode()) {
      // Read fresh each time: the save below fails when someone else saved
      // the item since this read. Read and saved again in one batch of the
      // store, which keeps the others out on a store on a server: a claim
      // that lost every time would read as another instance's, and nobody
      // would watch the folder.
      std::optional<host::WriteBatch> batch;
      if (attempt > 0) {
        if (auto folder = services_.settings_folder()) batch.emplace(folder->GetStore());
      }
      auto item = SettingsItem(true);
      if (!item) return false;
      std::string text;
      Decision decision = decide(ReadClaimRecord(SettingItemText(*item, key)), text);
      if (decision != Decision::Write) return decision == Decision::Keep;
      SetSettingItemText(*item, key, text);
      try {
        item->Save();
        return true;
      } catch (const Error& error) {
        if (error.Number() != err::kObjectChanged) return false;
      }
    } else {
      cGlobalSettings* settings = services_.global_settings();
      if (!settings) return false;
      std::string text;
      Decision decision = decide(
          ReadClaimRecord(CStr(settings->GeneralSettings.GetValue(key, VarType::String))),
          text);
      if (decision != Decision::Write) return decision == Decision::Keep;
      settings->GeneralSettings.SetValue(key, text);
      return settings->SaveGlobalSettings(
          static_cast<int32_t>(SettingsList::GeneralSettings));
    }
  }
  return false;
}

bool cMonitoredFolderSettings::IsFolderMonitored(std::string_view key,
                                                 std::string_view folder_path) {
  Date now = Now();
  std::string user = UserName();
  bool claimed = Update(
      key, [&](const std::optional<MonitoringClaim>& claim, std::string& new_text) {
        if (claim && !claim->UserName.empty() && !Mine(*claim) && claim->DateTagged) {
          double hours = std::fabs(now.Serial() - claim->DateTagged->Serial()) * 24.0;
          if (hours < kClaimWindowHours) return Decision::Respect;
          // Older: the instance that wrote it stopped without giving it up.
        }
        new_text = ClaimRecordXml(MonitoringClaim{std::string(folder_path), now, user});
        return Decision::Write;
      });
  return !claimed;
}

bool cMonitoredFolderSettings::SetFolderFlag(std::string_view key,
                                             std::string_view folder_path,
                                             ClaimAction action) {
  try {
    return Update(key, [&](const std::optional<MonitoringClaim>& claim,
                           std::string& new_text) {
      if (action == ClaimAction::Set) {
        new_text =
            ClaimRecordXml(MonitoringClaim{std::string(folder_path), Now(), UserName()});
        return Decision::Write;
      }
      if (!claim) return Decision::Keep;
      if (!claim->UserName.empty() && !Mine(*claim)) return Decision::Keep;
      new_text.clear();
      return Decision::Write;
    });
  } catch (const Error&) {
    return false;
  }
}

void cMonitoredFolderSettings::UnSetMonitoringModeToAllFolders() {
  std::vector<std::string> keys;
  if (FolderMode()) {
    auto item = SettingsItem(false);
    if (!item) return;
    host::UserProperties& properties = item->UserProperties();
    for (int32_t i = 1; i <= properties.Count(); ++i) {
      keys.push_back(properties.Item(i)->Name());
    }
  } else if (cGlobalSettings* settings = services_.global_settings()) {
    for (const auto& entry : settings->GeneralSettings) keys.push_back(entry.Key());
  }
  for (const std::string& key : keys) {
    std::optional<MonitoringClaim> claim = Claim(key);
    if (claim && !claim->UserName.empty() && Mine(*claim)) {
      SetFolderFlag(key, claim->FolderPath, ClaimAction::Clear);
    }
  }
}

}  // namespace zanvoro
