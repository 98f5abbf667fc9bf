// The rows a table query returned: field names and rows of values, with a
// cursor. The store fills it; the add-in walks it the way it walked the mail
// client's recordsets (RecordCount, EOF, MoveFirst, MoveNext, Fields(name)).
// A plain value: copying copies the rows. Not thread-safe.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Variant.h"

namespace zanvoro::host {

// One field of the current row.
struct Field {
  std::string Name;
  Variant Value;
};

class Recordset {
 public:
  Recordset() = default;  // open, no fields, no rows
  explicit Recordset(std::vector<std::string> field_names);

  // Appends a row; the store adds every row before it hands the recordset
  // out. REQUIRES: one value per field, else raises
  // Error(err::kInvalidProcedureCall).
  void AddRow(std::vector<Variant> values);

  size_t RecordCount() const;
  size_t FieldCount() const;
  const std::vector<std::string>& FieldNames() const;

  // The cursor: before the first row (BOF), on a row, or after the last row
  // (EOF). A recordset starts on its first row; with no rows, both BOF and
  // EOF are true. (Named Eof and Bof because EOF is a macro of the C library.)
  bool Eof() const;
  bool Bof() const;
  void MoveFirst();
  void MoveLast();
  // Raises Error(err::kInvalidProcedureCall) when already at EOF.
  void MoveNext();
  // Raises Error(err::kInvalidProcedureCall) when already at BOF.
  void MovePrevious();

  // The field of the current row by name (any case) or by 0-based index.
  // Raises Error(err::kInvalidProcedureCall) "Item cannot be found in the
  // collection corresponding to the requested name or ordinal." for an unknown
  // field, and a different Error(err::kInvalidProcedureCall) when the cursor
  // is at BOF or EOF.
  Field Fields(std::string_view name) const;
  Field Fields(size_t index) const;
  // For walking many rows: the index of a field by name (raising as
  // Fields(name) does), found once, and the current row's value at an
  // index without copying it (raising as Fields(index) does).
  size_t FieldIndex(std::string_view name) const;
  const Variant& Value(size_t index) const;

  // Releases the rows. Afterwards every call except Close and IsOpen raises
  // Error(err::kInvalidProcedureCall).
  void Close();
  bool IsOpen() const { return open_; }

 private:
  void RequireOpen() const;
  const Variant& Current(size_t index) const;

  std::vector<std::string> field_names_;
  std::vector<std::vector<Variant>> rows_;
  // 0 is BOF; 1..rows_.size() is a row; rows_.size() + 1 is EOF.
  size_t position_ = 1;
  bool open_ = true;
};

}  // namespace zanvoro::host
