// A case's log, stored in "Case.Log" as XML:
//   <Logs><Data><ID/><Description/><ActionDate/><Technician/></Data>...</Logs>
// Entries keep their insertion order; an entry whose ID is already in the
// list is not added again. Dates are kept to the minute (sortable text).
// Text that is not well-formed XML reads as an empty list.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "case/cLog.h"
#include "runtime/Dictionary.h"

namespace zanvoro {

class cLogsList {
 public:
  size_t Count() const;
  bool Exists(int32_t id) const;
  // Adds `entry` unless its ID is taken; returns whether it was added.
  bool Add(cLog entry);
  // 0-based, in list order; nullptr outside.
  const cLog* GetItem(size_t index) const;
  Dictionary<cLog>::const_iterator begin() const;
  Dictionary<cLog>::const_iterator end() const;

  // Replaces the contents with the entries of `xml` ("" gives an empty list).
  void FromXML(std::string_view xml);
  std::string SaveValueToXML() const;
  // Each entry's text followed by "\r\n====\r\n".
  std::string ToString() const;
  // The "Log List" table.
  std::string ToHTML() const;

 private:
  Dictionary<cLog> items_;  // keyed by the decimal ID
};

}  // namespace zanvoro
