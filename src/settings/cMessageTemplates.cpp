#include "settings/cMessageTemplates.h"

#include <vector>

#include "errors/Trap.h"
#include "runtime/Text.h"
#include "settings/ListText.h"
#include "settings/SettingsFolderStore.h"

namespace zanvoro {

namespace {

// Line breaks inside a value would not survive every store of the text
// form, so they are written as a word of their own.
constexpr std::string_view kLineBreakWord = "[LF]";

// The flag field: an integer, -1 (true as an integer) when on. Older or
// hand-written texts may say "1" or "True".
constexpr std::string_view kFlagOn = "-1";
constexpr std::string_view kFlagOff = "0";

bool ReadFlag(std::string_view field) {
  std::string flag = Trim(field);
  return ReadIntegerField(flag) != 0 || TextEquals(flag, "True");
}

}  // namespace

size_t cMessageTemplates::Count() const { return items_.Count(); }

bool cMessageTemplates::Exists(std::string_view key) const { return items_.Exists(key); }

const cMessageTemplate* cMessageTemplates::Find(std::string_view key) const {
  return items_.Find(key);
}

Dictionary<cMessageTemplate>::const_iterator cMessageTemplates::begin() const {
  return items_.begin();
}

Dictionary<cMessageTemplate>::const_iterator cMessageTemplates::end() const {
  return items_.end();
}

void cMessageTemplates::Clear() { items_.Clear(); }

bool cMessageTemplates::IsChecked(std::string_view key) const {
  const cMessageTemplate* entry = items_.Find(key);
  return entry && entry->Enabled;
}

std::string cMessageTemplates::GetValue(std::string_view key) const {
  const cMessageTemplate* entry = items_.Find(key);
  return entry ? entry->NotificationValue : std::string();
}

void cMessageTemplates::SetNotificaionEnabledValue(std::string_view key, bool enabled) {
  Trap("MessageTemplates.SetNotificaionEnabledValue",
       [&] { Entry(key).Enabled = enabled; });
}

void cMessageTemplates::SetValue(std::string_view key, std::string_view text) {
  Trap("MessageTemplates.SetValue",
       [&] { Entry(key).NotificationValue = std::string(text); });
}

void cMessageTemplates::FromString(std::string_view text) {
  Trap("MessageTemplates.FromString", [&] {
    if (text.empty()) return;
    items_.Clear();
    for (std::vector<std::string>& fields : ReadListText(text)) {
      std::string key = fields[0];
      // A key read before keeps its value: the first entry wins.
      if (Trim(key).empty() || items_.Exists(key)) continue;
      cMessageTemplate entry;
      entry.NotificationName = key;
      if (fields.size() >= 3) {
        entry.Enabled = ReadFlag(fields.back());
        fields.pop_back();
      }
      fields.erase(fields.begin());
      entry.NotificationValue =
          Replace(Join(fields, kListFieldSeparator), kLineBreakWord, kLineBreak);
      items_.Add(key, std::move(entry));
    }
  });
}

std::string cMessageTemplates::ToString() const {
  return Trap("MessageTemplates.ToString", std::string{}, [&] {
    std::vector<std::string> entries;
    for (const auto& item : items_) {
      const cMessageTemplate& entry = item.Value();
      entries.push_back(WriteListEntry(
          {item.Key(), Replace(entry.NotificationValue, kLineBreak, kLineBreakWord),
           std::string(entry.Enabled ? kFlagOn : kFlagOff)}));
    }
    return Join(entries, kListEntrySeparator);
  });
}

cMessageTemplate& cMessageTemplates::Entry(std::string_view key) {
  if (cMessageTemplate* entry = items_.Find(key)) return *entry;
  cMessageTemplate entry;
  entry.NotificationName = std::string(key);
  items_.Add(std::string(key), std::move(entry));
  return *items_.Find(key);
}

void cMessageTemplates::ApplyDefaults(TemplateLanguage language) {
  for (std::string_view key : DefaultTemplateKeys()) {
    if (!Trim(GetValue(key)).empty()) continue;
    SetValue(key, DefaultTemplateText(key, language));
  }
}

std::string cMessageTemplates::NewCaseHTML(std::string_view body,
                                           TemplateLanguage language) const {
  std::string page = GetValue("sdoNewCase");
  if (page.size() < 2) page = DefaultTemplateResource("NEWCASE.TXT", language);
  return Replace(page, "VNH_EMAILBODY", body);
}

}  // namespace zanvoro
