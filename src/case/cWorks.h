// A case's work entries, stored in "Case.TimeSpentDescription" as XML:
//   <WorkDescriptions><Data><ID/><WorkDate/><User/><Minutes/><Description/>
//   </Data>...</WorkDescriptions>
// Same rules as the log (cLogsList.h): insertion order, IDs unique, dates
// to the minute, malformed XML reads as an empty list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "case/cWork.h"
#include "runtime/Dictionary.h"

namespace zanvoro {

class cWorks {
 public:
  size_t Count() const;
  bool Exists(int32_t id) const;
  bool Add(cWork entry);
  const cWork* GetItem(size_t index) const;
  Dictionary<cWork>::const_iterator begin() const;
  Dictionary<cWork>::const_iterator end() const;

  void FromXML(std::string_view xml);
  std::string SaveValueToXML() const;
  // The sum of Minutes over all entries.
  int32_t TotalTimeSpent() const;
  std::string ToString() const;
  // The "Time Spent List" table with its total row.
  std::string ToHTML() const;

 private:
  Dictionary<cWork> items_;
};

}  // namespace zanvoro
