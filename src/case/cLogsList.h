// A case's log, stored in "Case.Log" as XML:
//   <Logs><Data><ID/><Description/><ActionDate/><Technician/></Data>...</Logs>
// Entries keep their insertion order; an entry whose ID is already in the
// list is not added again. Dates are kept to the minute (sortable text).
// Text that is not well-formed XML reads as an empty list.
#pragma once

#include <string>
#include <string_view>

#include "case/EntryList.h"
#include "case/cLog.h"

namespace zanvoro {

// Count, Exists, Add, GetItem, iteration and ToString come from EntryList.
class cLogsList : public EntryList<cLog> {
 public:
  // Replaces the contents with the entries of `xml` ("" gives an empty
  // list). Children of each "Data" are read by position; a date that reads
  // neither as sortable text nor as a date is the zero date; an ID that is
  // not a number becomes the entry's position.
  void FromXML(std::string_view xml);
  std::string SaveValueToXML() const;
  // The "Log List" table (cell texts are written as plain text).
  std::string ToHTML() const;
};

}  // namespace zanvoro
