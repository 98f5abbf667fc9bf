#include "settings/ListText.h"

#include <algorithm>

#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro {

namespace {

constexpr std::string_view kSemicolonWord = "&semicolon";
constexpr std::string_view kColonWord = "&colon";

}  // namespace

std::string EncodeListField(std::string_view field) {
  return Replace(Replace(field, kListFieldSeparator, kSemicolonWord), kListEntrySeparator,
                 kColonWord);
}

std::string DecodeListField(std::string_view field) {
  return Replace(Replace(field, kSemicolonWord, kListFieldSeparator), kColonWord,
                 kListEntrySeparator);
}

std::vector<std::vector<std::string>> ReadListText(std::string_view text) {
  std::vector<std::vector<std::string>> entries;
  for (const std::string& piece : Split(text, kListEntrySeparator)) {
    std::vector<std::string> fields;
    for (const std::string& field : Split(piece, kListFieldSeparator)) {
      fields.push_back(DecodeListField(field));
    }
    bool blank = std::all_of(fields.begin(), fields.end(),
                             [](const std::string& f) { return f.empty(); });
    if (!blank) entries.push_back(std::move(fields));
  }
  return entries;
}

std::string WriteListEntry(const std::vector<std::string>& fields) {
  std::string entry;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) entry += kListFieldSeparator;
    entry += EncodeListField(fields[i]);
  }
  return entry;
}

const std::string& ListField(const std::vector<std::string>& fields, size_t index) {
  static const std::string kNone;
  return index < fields.size() ? fields[index] : kNone;
}

void ReadListFields(const std::vector<std::string>& fields,
                    std::initializer_list<std::string*> targets) {
  size_t index = 0;
  for (std::string* target : targets) {
    if (target) *target = ListField(fields, index);
    ++index;
  }
}

Currency ReadCurrencyField(std::string_view text) {
  if (!IsNumeric(text)) return Currency{};
  try {
    return CCur(Variant(text));
  } catch (const Error&) {  // out of range
    return Currency{};
  }
}

int32_t ReadIntegerField(std::string_view text) {
  if (!IsNumeric(text)) return 0;
  try {
    return CLng(Variant(text));
  } catch (const Error&) {  // out of range
    return 0;
  }
}

std::string CellText(const Variant& cell) {
  if (cell.IsEmpty() || cell.IsNull()) return {};
  return CStr(cell);
}

}  // namespace zanvoro
