#include "text/PhraseTableCheck.h"

#include <map>
#include <regex>

#include "runtime/Error.h"
#include "runtime/Text.h"
#include "text/PhraseKeys.h"
#include "text/PhraseTable.h"
#include "text/Utf16.h"

namespace zanvoro::testing {
namespace {

constexpr size_t kFieldCount = 1 + kLanguageCount;

const std::vector<std::string>& KnownKeys() {
#define ZANVORO_KEY_NAME(key) #key,
  static const std::vector<std::string> keys = {ZANVORO_PHRASE_KEYS(ZANVORO_KEY_NAME)};
#undef ZANVORO_KEY_NAME
  return keys;
}

// The table's lines split into fields; problems of decoding go to `problems`.
std::vector<std::vector<std::string>> Rows(std::string_view bytes,
                                           std::vector<std::string>& problems) {
  std::string text;
  try {
    text = Utf16LeToUtf8(bytes);
  } catch (const Error& e) {
    problems.push_back(e.Description());
    return {};
  }
  if (!text.starts_with("\xEF\xBB\xBF")) {
    problems.push_back("no byte-order mark");
  } else {
    text.erase(0, 3);
  }
  if (!text.ends_with("\r\n")) problems.push_back("the text does not end with CR LF");
  std::vector<std::string> lines = Split(text, "\r\n");
  if (!lines.empty()) lines.pop_back();  // the rest after the final CR LF
  std::vector<std::vector<std::string>> rows;
  for (const std::string& line : lines) rows.push_back(Split(line, "\t"));
  return rows;
}

std::string Where(size_t row, const std::vector<std::string>& fields) {
  return "line " + std::to_string(row + 1) + " (" + (fields.empty() ? "" : fields[0]) +
         ")";
}

}  // namespace

std::set<std::string> PlaceholdersOf(std::string_view text) {
  static const std::regex pattern(R"(\[[^\[\]\s]+\]|VNH_[A-Z0-9_]+)");
  std::set<std::string> found;
  const std::string s(text);
  for (auto it = std::sregex_iterator(s.begin(), s.end(), pattern);
       it != std::sregex_iterator(); ++it) {
    found.insert(it->str());
  }
  return found;
}

std::vector<std::string> TableProblems(std::string_view bytes) {
  std::vector<std::string> problems;
  const auto rows = Rows(bytes, problems);
  std::map<std::string, int> seen;
  for (const std::string& key : KnownKeys()) seen[key] = 0;
  for (size_t row = 0; row < rows.size(); ++row) {
    const auto& fields = rows[row];
    if (fields.size() != kFieldCount) {
      problems.push_back(Where(row, fields) + " has " + std::to_string(fields.size()) +
                         " fields");
    }
    for (const std::string& field : fields) {
      if (field.find_first_of("\r\n") != std::string::npos) {
        problems.push_back(Where(row, fields) + " has a CR or LF inside a field");
      }
    }
    if (fields.empty()) continue;
    auto known = seen.find(fields[0]);
    if (known == seen.end()) {
      problems.push_back(Where(row, fields) + " has a key that is not in use");
    } else if (++known->second > 1) {
      problems.push_back(Where(row, fields) + " repeats its key");
    }
  }
  for (const auto& [key, count] : seen) {
    if (count == 0) problems.push_back("no line for " + key);
  }
  return problems;
}

std::vector<std::string> ColumnProblems(std::string_view bytes, int column) {
  std::vector<std::string> problems;
  const auto rows = Rows(bytes, problems);
  const auto index = static_cast<size_t>(column);
  for (size_t row = 0; row < rows.size(); ++row) {
    const auto& fields = rows[row];
    if (fields.size() <= index || fields[index].empty()) {
      problems.push_back(Where(row, fields) + " has no text in column " +
                         std::to_string(column));
      continue;
    }
    if (column != 1 && fields.size() > 1 &&
        PlaceholdersOf(fields[index]) != PlaceholdersOf(fields[1])) {
      problems.push_back(Where(row, fields) +
                         " has other placeholders than English: " + fields[index]);
    }
  }
  return problems;
}

}  // namespace zanvoro::testing
