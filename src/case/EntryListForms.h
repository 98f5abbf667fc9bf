// What the case's entry lists (the log, the work entries, the e-mail
// history) have in common: their XML form and the pieces of their HTML
// tables. Used only by the list types of this folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Date.h"

namespace zanvoro::entrylist {

// Calls `read_entry` for each "Data" element of `xml`, in document order,
// with the texts of the element's child elements by position (names are not
// looked at; other nodes are skipped). Text that is not well-formed XML
// gives no call at all.
void ReadDataElements(
    std::string_view xml,
    const std::function<void(const std::vector<std::string>&)>& read_entry);

// The XML text of a root element `root_name` holding one "Data" element per
// row, each with one child element per field named by `field_names`, in
// that order, holding the row's texts.
std::string WriteDataElements(std::string_view root_name,
                              const std::vector<std::string_view>& field_names,
                              const std::vector<std::vector<std::string>>& rows);

// The field `position` of `fields`, "" past the end.
std::string FieldAt(const std::vector<std::string>& fields, size_t position);
// A whole number in decimal text; nullopt when the text is not numeric or
// does not fit 32 bits.
std::optional<int32_t> ReadWholeNumber(std::string_view text);
// A date from the sortable text, else from an ordinary date text. A text
// that is neither reads as the zero date: a date that cannot be read is
// shown as unknown rather than invented.
Date ReadEntryDate(std::string_view text);

// HTML pieces, each followed by "\r\n".
enum class Align { Default, Center, Right };

struct Cell {
  std::string_view text;  // plain text: & < > are written as references
  int width = 0;          // 0: no width
  Align align = Align::Default;
  int colspan = 0;  // 0: no colspan
  std::string_view background;
};

// "<br><p><table ...>" and the title row of `column_count` columns.
std::string TableStart(int column_count, std::string_view title);
// A header row: every cell on #C0C0C0.
std::string HeaderRow(
    const std::vector<std::pair<std::string_view, int>>& titles_and_widths);
std::string Row(const std::vector<Cell>& cells);
std::string TableEnd();

}  // namespace zanvoro::entrylist
