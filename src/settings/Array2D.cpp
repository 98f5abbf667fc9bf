#include "settings/Array2D.h"

#include "runtime/Error.h"

namespace zanvoro {

Array2D::Array2D(size_t rows, size_t columns)
    : rows_(rows), columns_(columns), cells_(rows * columns) {}

const Variant& Array2D::At(size_t row, size_t column) const {
  return cells_[Offset(row, column)];
}

void Array2D::Set(size_t row, size_t column, Variant value) {
  cells_[Offset(row, column)] = std::move(value);
}

size_t Array2D::Offset(size_t row, size_t column) const {
  if (row >= rows_ || column >= columns_) {
    throw Error(err::kSubscriptOutOfRange, "Subscript out of range");
  }
  return row * columns_ + column;
}

}  // namespace zanvoro
