#include "host/store/Recordset.h"

#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {
namespace {

Error RecordsetError(std::string description) {
  return Error(err::kInvalidProcedureCall, std::move(description), "Recordset");
}

}  // namespace

Recordset::Recordset(std::vector<std::string> field_names)
    : field_names_(std::move(field_names)) {}

void Recordset::AddRow(std::vector<Variant> values) {
  RequireOpen();
  if (values.size() != field_names_.size()) {
    throw RecordsetError("A row of " + std::to_string(values.size()) +
                         " values was added to a recordset of " +
                         std::to_string(field_names_.size()) + " fields.");
  }
  rows_.push_back(std::move(values));
}

size_t Recordset::RecordCount() const {
  RequireOpen();
  return rows_.size();
}

size_t Recordset::FieldCount() const {
  RequireOpen();
  return field_names_.size();
}

const std::vector<std::string>& Recordset::FieldNames() const {
  RequireOpen();
  return field_names_;
}

bool Recordset::Eof() const {
  RequireOpen();
  return position_ > rows_.size();
}

bool Recordset::Bof() const {
  RequireOpen();
  return position_ == 0 || rows_.empty();
}

void Recordset::MoveFirst() {
  RequireOpen();
  position_ = 1;
}

void Recordset::MoveLast() {
  RequireOpen();
  position_ = rows_.empty() ? 1 : rows_.size();
}

void Recordset::MoveNext() {
  if (Eof())
    throw RecordsetError("Cannot move past the end of the recordset (EOF is True).");
  ++position_;
}

void Recordset::MovePrevious() {
  if (Bof()) {
    throw RecordsetError("Cannot move before the start of the recordset (BOF is True).");
  }
  --position_;
}

Field Recordset::Fields(std::string_view name) const { return Fields(FieldIndex(name)); }

size_t Recordset::FieldIndex(std::string_view name) const {
  RequireOpen();
  for (size_t i = 0; i < field_names_.size(); ++i) {
    if (TextEquals(field_names_[i], name)) return i;
  }
  throw RecordsetError(
      "Item cannot be found in the collection corresponding to the requested name or "
      "ordinal: \"" +
      std::string(name) + "\".");
}

Field Recordset::Fields(size_t index) const {
  RequireOpen();
  if (index >= field_names_.size()) {
    throw RecordsetError(
        "Item cannot be found in the collection corresponding to the requested name or "
        "ordinal: " +
        std::to_string(index) + ".");
  }
  return Field{field_names_[index], Current(index)};
}

const Variant& Recordset::Value(size_t index) const {
  RequireOpen();
  if (index >= field_names_.size()) (void)Fields(index);  // raises
  return Current(index);
}

void Recordset::Close() {
  open_ = false;
  rows_.clear();
  field_names_.clear();
  position_ = 1;
}

void Recordset::RequireOpen() const {
  if (!open_) throw RecordsetError("Operation is not allowed when the object is closed.");
}

const Variant& Recordset::Current(size_t index) const {
  if (position_ == 0 || position_ > rows_.size()) {
    throw RecordsetError(
        "Either BOF or EOF is True, or the current record has been deleted. Requested "
        "operation requires a current record.");
  }
  return rows_[position_ - 1][index];
}

}  // namespace zanvoro::host
