// Build tool: converts the readable phrase source (UTF-8, one phrase per LF
// line, TAB-separated key and eight language fields) into the stored
// phrase-table format (UTF-16LE with a byte-order mark, CR LF lines) and into
// a C++ source that compiles those bytes into the program.
//
//   zanvoro_phrase_table phrases.tsv LANG.txt PhraseTableData.cpp
//
// Every problem of the source is reported as "file:line: reason" and fails
// the build; nothing is written then.
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Error.h"
#include "runtime/Text.h"
#include "text/PhraseTable.h"
#include "text/Utf16.h"

namespace {

constexpr size_t kFieldCount = 1 + zanvoro::kLanguageCount;

struct SourceError {
  size_t line;
  std::string reason;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw SourceError{0, "cannot open the file"};
  return std::string(std::istreambuf_iterator<char>(in),
                     std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

// Checks the source and returns the stored-format bytes.
std::string Convert(std::string_view source) {
  if (source.empty()) throw SourceError{0, "the file is empty"};
  if (source.back() != '\n') throw SourceError{0, "the last line does not end with LF"};
  std::string stored = "\xFF\xFE";  // byte-order mark of UTF-16LE
  std::set<std::string> keys;
  size_t line_number = 0;
  size_t start = 0;
  while (start < source.size()) {
    ++line_number;
    const size_t end = source.find('\n', start);
    const std::string_view line = source.substr(start, end - start);
    start = end + 1;
    if (line.find('\r') != std::string_view::npos) {
      throw SourceError{line_number, "holds a CR; save the file with LF line ends"};
    }
    const std::vector<std::string> fields = zanvoro::Split(line, "\t");
    if (fields.size() != kFieldCount) {
      throw SourceError{line_number,
                        "has " + std::to_string(fields.size()) + " fields instead of " +
                            std::to_string(kFieldCount) + " (key, then eight languages)"};
    }
    if (!fields[0].starts_with("CONST_")) {
      throw SourceError{line_number, "key does not begin with CONST_"};
    }
    if (!keys.insert(zanvoro::LCase(fields[0])).second) {
      throw SourceError{line_number, "key " + fields[0] + " appears twice"};
    }
    if (fields[1].empty()) throw SourceError{line_number, "has no English text"};
    try {
      stored += zanvoro::Utf8ToUtf16Le(line);
    } catch (const zanvoro::Error& e) {
      throw SourceError{line_number, e.Description()};
    }
    stored += std::string_view("\r\0\n\0", 4);
  }
  return stored;
}

std::string CppSource(std::string_view stored) {
  std::ostringstream cpp;
  cpp << "// Generated from resources/phrases/phrases.tsv by zanvoro_phrase_table.\n"
         "// Do not edit: edit the source and rebuild.\n"
         "#include \"text/PhraseTable.h\"\n\n"
         "namespace zanvoro {\nnamespace {\n\n"
         "const unsigned char kPhraseTableBytes[] = {";
  static constexpr char kHex[] = "0123456789abcdef";
  for (size_t i = 0; i < stored.size(); ++i) {
    const auto byte = static_cast<unsigned char>(stored[i]);
    cpp << (i % 16 == 0 ? "\n    " : " ") << "0x" << kHex[byte >> 4] << kHex[byte & 0xF]
        << ',';
  }
  cpp << "\n};\n\n}  // namespace\n\n"
         "std::string_view EmbeddedPhraseTable() {\n"
         "  return {reinterpret_cast<const char*>(kPhraseTableBytes), sizeof "
         "kPhraseTableBytes};\n"
         "}\n\n}  // namespace zanvoro\n";
  return cpp.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: zanvoro_phrase_table SOURCE.tsv LANG.txt OUTPUT.cpp\n";
    return 2;
  }
  const std::string source_path = argv[1];
  try {
    const std::string stored = Convert(ReadFile(source_path));
    WriteFile(argv[2], stored);
    WriteFile(argv[3], CppSource(stored));
  } catch (const SourceError& e) {
    std::cerr << source_path << ':' << e.line << ": " << e.reason << '\n';
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "zanvoro_phrase_table: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
