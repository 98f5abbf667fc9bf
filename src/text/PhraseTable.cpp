#include "text/PhraseTable.h"

#include <string>
#include <vector>

#include "runtime/Error.h"
#include "runtime/Text.h"
#include "text/Utf16.h"

namespace zanvoro {
namespace {

constexpr char kSource[] = "Language.LoadPhrases";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";  // U+FEFF in UTF-8

std::string_view DropByteOrderMark(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  return text;
}

}  // namespace

Dictionary<cPhrase> ReadPhraseTable(std::string_view utf16le_bytes, int language_index) {
  if (language_index < 1 || language_index > kLanguageCount) {
    throw Error(err::kInvalidProcedureCall,
                "Language index " + std::to_string(language_index) +
                    " is not between 1 and " + std::to_string(kLanguageCount),
                kSource);
  }
  std::string text;
  try {
    text = Utf16LeToUtf8(utf16le_bytes);
  } catch (const Error& e) {
    throw Error(e.Number(), "The phrase table is not readable: " + e.Description(),
                kSource);
  }
  const std::vector<std::string> lines = Split(DropByteOrderMark(text), "\r\n");

  Dictionary<cPhrase> phrases;
  // The table ends with CR LF, so the last piece is the empty rest after it.
  for (size_t line = 0; line + 1 < lines.size(); ++line) {
    const std::vector<std::string> fields = Split(lines[line], "\t");
    if (fields.size() < 2) {
      throw Error(
          err::kSubscriptOutOfRange,
          "Line " + std::to_string(line + 1) + " of the phrase table has no English text",
          kSource);
    }
    const size_t wanted = static_cast<size_t>(language_index);
    const std::string& phrase =
        wanted < fields.size() && !fields[wanted].empty() ? fields[wanted] : fields[1];
    cPhrase entry{std::string(DropByteOrderMark(fields[0])), phrase};
    if (phrases.Exists(entry.Key)) {
      throw Error(err::kKeyAlreadyAssociated,
                  "The phrase key " + entry.Key + " appears twice in the phrase table",
                  kSource);
    }
    std::string key = entry.Key;
    phrases.Add(std::move(key), std::move(entry));
  }
  return phrases;
}

}  // namespace zanvoro
