// A two-dimensional array of values, the form in which grids and demo data
// hand whole lists over: the first index is the row (one entry), the second
// the column (one field), both counted from 0. A list writes every cell as
// text; it reads any value, taking Empty and Null as "".
#pragma once

#include <cstddef>
#include <vector>

#include "runtime/Variant.h"

namespace zanvoro {

class Array2D {
 public:
  Array2D() = default;
  // `rows` by `columns` Empty cells.
  Array2D(size_t rows, size_t columns);

  size_t Rows() const { return rows_; }
  size_t Columns() const { return columns_; }

  // A cell outside the array raises Error(err::kSubscriptOutOfRange).
  const Variant& At(size_t row, size_t column) const;
  void Set(size_t row, size_t column, Variant value);

 private:
  size_t Offset(size_t row, size_t column) const;

  size_t rows_ = 0;
  size_t columns_ = 0;
  std::vector<Variant> cells_;  // row by row
};

}  // namespace zanvoro
