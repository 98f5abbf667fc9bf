// The message-template list: every notification template of the helpdesk
// by key ("sdoCaseAssignmentEmail"), with its text and whether that
// notification is sent. Keys compare without regard to letter case; the
// first entry of a key wins when the text form is read.
//
// Text form: entries joined by ":"; an entry is the encoded key, ";", the
// encoded value (every CR LF written as "[LF]"), ";", the enabled flag as
// an integer (-1 on, 0 off); ";" and ":" inside key and value are encoded
// as in the settings' key/value text ("&semicolon", "&colon", ListText.h).
// Like those, a value holding the literal text "[LF]" reads back as CR LF.
//
// Reading is lenient and never raises: empty entries and entries without a
// key are skipped, a missing value is "", a missing or non-numeric flag is
// off, and an entry with extra ";" (never written) keeps them in its value,
// taking the last field as the flag.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/Dictionary.h"
#include "settings/DefaultTemplates.h"

namespace zanvoro {

struct cMessageTemplate {
  std::string NotificationName;
  std::string NotificationValue;
  bool Enabled = false;
  // The settings table row this entry was read from; 0 when it came from
  // elsewhere.
  int32_t ID = 0;
};

class cMessageTemplates {
 public:
  size_t Count() const;
  bool Exists(std::string_view key) const;
  // The entry of `key`, nullptr when absent. Valid until the list changes.
  const cMessageTemplate* Find(std::string_view key) const;
  Dictionary<cMessageTemplate>::const_iterator begin() const;
  Dictionary<cMessageTemplate>::const_iterator end() const;
  void Clear();

  // Whether the notification of `key` is sent (false for a missing key).
  bool IsChecked(std::string_view key) const;
  // The template text of `key` ("" for a missing key).
  std::string GetValue(std::string_view key) const;
  // Both add the key when missing (switched off, or with an empty text).
  void SetNotificaionEnabledValue(std::string_view key, bool enabled);
  void SetValue(std::string_view key, std::string_view text);

  // Replaces the list with the entries of `text`; an empty text leaves it
  // as it is.
  void FromString(std::string_view text);
  std::string ToString() const;

  // Gives every template whose text is empty (blanks aside) the built-in
  // default in `language`. A template missing from the list is added
  // switched off; a present one keeps its switch.
  void ApplyDefaults(TemplateLanguage language);
  // The HTML body of a new case item: the "sdoNewCase" template (the
  // built-in page in `language` when it is shorter than 2 characters) with
  // VNH_EMAILBODY replaced by `body` as it is.
  std::string NewCaseHTML(std::string_view body, TemplateLanguage language) const;

 private:
  cMessageTemplate& Entry(std::string_view key);

  Dictionary<cMessageTemplate> items_;
};

}  // namespace zanvoro
