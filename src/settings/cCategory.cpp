#include "settings/cCategory.h"

#include "settings/ListText.h"

namespace zanvoro {

std::vector<std::string> cCategory::TextFields() const {
  return {Category, CurrencyText(Rate), Code};
}

cCategory cCategory::FromTextFields(const std::vector<std::string>& fields) {
  cCategory category;
  category.Category = ListField(fields, 0);
  category.Rate = ReadCurrencyField(ListField(fields, 1));
  category.Code = ListField(fields, 2);
  return category;
}

}  // namespace zanvoro
