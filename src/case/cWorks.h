// A case's work entries, stored in "Case.TimeSpentDescription" as XML:
//   <WorkDescriptions><Data><ID/><WorkDate/><User/><Minutes/><Description/>
//   </Data>...</WorkDescriptions>
// Same rules as the log (cLogsList.h): insertion order, IDs unique, dates
// to the minute, malformed XML reads as an empty list; minutes that are not
// a number read as 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "case/EntryList.h"
#include "case/cWork.h"

namespace zanvoro {

// Count, Exists, Add, GetItem, iteration and ToString come from EntryList.
class cWorks : public EntryList<cWork> {
 public:
  void FromXML(std::string_view xml);
  std::string SaveValueToXML() const;
  // The sum of Minutes over all entries, held within 32 bits.
  int32_t TotalTimeSpent() const;
  // The "Time Spent List" table with its total row.
  std::string ToHTML() const;
};

}  // namespace zanvoro
