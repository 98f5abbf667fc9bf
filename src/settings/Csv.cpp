#include "settings/Csv.h"

#include <algorithm>

#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro {

namespace {

Error CsvError(size_t line, std::string_view what) {
  return Error(err::kInvalidProcedureCall,
               "line " + std::to_string(line) + ": " + std::string(what), "Csv");
}

void CheckUtf8(std::string_view text) {
  size_t line = 1;
  for (size_t start = 0; start < text.size(); ++line) {
    size_t end = std::min(text.find('\n', start), text.size());
    if (!IsValidUtf8(text.substr(start, end - start))) {
      throw CsvError(line, "the text is not UTF-8");
    }
    start = end + 1;
  }
}

}  // namespace

std::vector<CsvRecord> ReadCsv(std::string_view text) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
  CheckUtf8(text);

  std::vector<CsvRecord> records;
  size_t line = 1;
  size_t i = 0;
  while (i < text.size()) {
    CsvRecord record;
    record.line = line;
    // A line that is entirely empty holds no record.
    if (text[i] == '\n' ||
        (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
      i += text[i] == '\r' ? 2 : 1;
      ++line;
      continue;
    }
    bool end_of_record = false;
    while (!end_of_record) {
      std::string field;
      if (i < text.size() && text[i] == '"') {
        size_t opened = line;
        ++i;
        for (;;) {
          if (i >= text.size()) throw CsvError(opened, "a quoted field is not closed");
          char c = text[i++];
          if (c == '"') {
            if (i < text.size() && text[i] == '"') {
              field += '"';
              ++i;
              continue;
            }
            break;
          }
          if (c == '\n') ++line;
          field += c;
        }
        if (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r') {
          throw CsvError(line, "text after the closing quote of a field");
        }
      } else {
        while (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r') {
          if (text[i] == '"') throw CsvError(line, "a quote inside an unquoted field");
          field += text[i++];
        }
      }
      record.fields.push_back(std::move(field));
      if (i >= text.size()) {
        end_of_record = true;
      } else if (text[i] == ',') {
        ++i;
      } else if (text[i] == '\n') {
        ++i;
        ++line;
        end_of_record = true;
      } else {  // '\r'
        if (i + 1 >= text.size() || text[i + 1] != '\n') {
          throw CsvError(line, "a carriage return outside quotes");
        }
        i += 2;
        ++line;
        end_of_record = true;
      }
    }
    records.push_back(std::move(record));
  }
  return records;
}

std::string WriteCsvRecord(const std::vector<std::string>& fields) {
  std::string out;
  for (size_t f = 0; f < fields.size(); ++f) {
    if (f > 0) out += ',';
    const std::string& field = fields[f];
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
      out += field;
      continue;
    }
    out += '"';
    for (char c : field) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  out += "\r\n";
  return out;
}

}  // namespace zanvoro
