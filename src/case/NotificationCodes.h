// The notification codes: small integers naming who is told what about a
// case (3 the caller, 13 the assigned technicians...). Each code that has a
// template names its body template key, its subject template key (none for
// SMS texts and the printout), whether its rendered subject ends in
// " (System Generated)" and whether its rendered body starts with the block
// that opens the case. Codes 23, 24 and those outside 2 to 28 have no
// template. The case renderings (cCase::ToHTML, ToSubjectHTML) and the
// notification dispatch read this one table.
//
// Also here: the replacement of one template variable and the web-access
// login table, shared by every text that puts a case's values into a
// template.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zanvoro {

enum class SubjectSuffix { No, Yes };
// What a rendered text is: HTML escapes the text values put into it; plain
// text (subjects, SMS) takes every value as it is.
enum class Markup { Html, PlainText };
enum class LinkBlock { No, Yes };

inline constexpr std::string_view kSystemGeneratedSuffix = " (System Generated)";

struct NotificationCode {
  int32_t code = 0;
  std::string_view body_template;     // "sdoEmailCaller"
  std::string_view subject_template;  // "sdoEmailCallerSubject"; "" for none
  SubjectSuffix subject_suffix = SubjectSuffix::No;
  LinkBlock link_block = LinkBlock::No;
  // The built-in page rendered when the body template is blank; "" when a
  // blank template renders as it is.
  std::string_view blank_body_resource;
};

// SMS texts are plain text; every other body is HTML.
inline bool HasPlainTextBody(const NotificationCode& entry) {
  return entry.body_template.find("SMS") != std::string_view::npos;
}

// Every code that has a template, in ascending order.
std::span<const NotificationCode> NotificationCodes();

// The entry of `code`; nullptr for a code without a template.
const NotificationCode* FindNotificationCode(int32_t code);

// `text` with every occurrence of the template variable `variable`
// ("VNH_DUEDATE") replaced by `value`, letter case counting. An occurrence
// followed by a character that continues a variable's name (A-Z, 0-9, "_")
// belongs to a longer variable and is left alone, so "VNH_DUEDATE" never
// touches "VNH_DUEDATE_SHORT" and "VNH_CUSTOMFIELD1" never touches
// "VNH_CUSTOMFIELD10". `value` is not scanned again. Linear in the text.
std::string ReplaceTemplateVariable(std::string_view text, std::string_view variable,
                                    std::string_view value);

// Whether `text` holds `variable` as ReplaceTemplateVariable would replace it.
bool ContainsTemplateVariable(std::string_view text, std::string_view variable);

// The web-access login table for a caller: a borderless table 300 wide of
// two rows, "Username" and the e-mail, "Password" and the password, each
// with a ":" cell between (cell widths 26%, 4% and 65%). The values are
// HTML-escaped.
std::string WebAccessLoginTable(std::string_view email, std::string_view password);

}  // namespace zanvoro
