// Comma-separated values as RFC 4180 has them: records end with CR LF (a
// lone LF is read as well), fields are separated by ",", and a field that
// holds a comma, a quote, CR or LF is written in double quotes with each of
// its quotes doubled. Text is UTF-8; a byte-order mark at the start is
// skipped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zanvoro {

struct CsvRecord {
  size_t line = 0;  // the line the record starts on, from 1
  std::vector<std::string> fields;
};

// Reads every record; lines that are entirely empty are skipped. Malformed
// text (a quote inside an unquoted field, text after a closing quote, a
// quoted field that never ends, bytes that are not UTF-8) raises
// Error(err::kInvalidProcedureCall) naming the line.
std::vector<CsvRecord> ReadCsv(std::string_view text);

// One record with its CR LF.
std::string WriteCsvRecord(const std::vector<std::string>& fields);

}  // namespace zanvoro
