#include "case/CaseProperties.h"

#include "case/ItemProperty.h"

namespace zanvoro {

bool WriteCaseDate(host::Item& item, Date date, std::string_view name,
                   std::string_view long_name, std::string_view sortable_name) {
  if (!WriteItemProperty(item, name, Variant(date), VarType::Date)) return false;
  if (!long_name.empty() &&
      !WriteItemProperty(item, long_name, Variant(LongDateText(date)), VarType::String)) {
    return false;
  }
  return WriteItemProperty(item, sortable_name, Variant(SortableDateText(date)),
                           VarType::String);
}

bool WriteCaseDueDate(host::Item& item, Date due) {
  return WriteCaseDate(item, due, caseprop::kDueDate, caseprop::kDueDateLong,
                       caseprop::kDueDateS);
}

}  // namespace zanvoro
