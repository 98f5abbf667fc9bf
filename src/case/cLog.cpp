#include "case/cLog.h"

#include "case/EntryListForms.h"

namespace zanvoro {

std::string cLog::ToString() const {
  return Description + "\t" + GeneralDateText(ActionDate) + "\t" + Technician;
}

std::string cLog::ToHTML() const {
  using entrylist::Cell;
  std::string date = GeneralDateText(ActionDate);
  return entrylist::Row({
      Cell{.text = date, .width = 200},
      Cell{.text = Technician, .width = 100},
      Cell{.text = Description, .width = 300},
  });
}

std::string LogActionText(int32_t action, std::string_view extra) {
  // Where the date in brackets and the extra text go after the action's words.
  enum class Form { Dated, DatedExtra, Extra, ExtraQuotedDated };
  struct ActionText {
    int32_t action;
    const char* words;
    Form form;
  };
  static constexpr ActionText kTexts[] = {
      {0, "Phone Call to Caller ", Form::Dated},
      {1, "Mobile Call to Caller ", Form::Dated},
      {2, "Email to Caller ", Form::Dated},
      {3, "Email to Caller ", Form::Dated},
      {4, "SMS to Caller ", Form::Dated},
      {5, "Case Assignment Email to Technician ", Form::DatedExtra},
      {6, "Case Assignment SMS to Technician ", Form::DatedExtra},
      {7, "Phone Call to Technician ", Form::DatedExtra},
      {8, "Mobile Call to Technician ", Form::DatedExtra},
      {9, "Email to Technician ", Form::DatedExtra},
      {10, "Email to Technician ", Form::DatedExtra},
      {11, "SMS to Technician ", Form::DatedExtra},
      {12, "Email Reply from Caller ", Form::DatedExtra},
      {13, "Case created from email ", Form::Extra},
      {14, "Case closed ", Form::DatedExtra},
      {15, "Case re-opened ", Form::DatedExtra},
      {16, "New technician '", Form::ExtraQuotedDated},
      {17, "Due-date lapsed ", Form::Dated},
  };
  for (const ActionText& text : kTexts) {
    if (text.action != action) continue;
    const std::string dated = "(" + GeneralDateText(Now()) + ") ";
    switch (text.form) {
      case Form::Dated:
        return text.words + dated;
      case Form::DatedExtra:
        return text.words + dated + std::string(extra);
      case Form::Extra:
        return text.words + std::string(extra);
      case Form::ExtraQuotedDated:
        return text.words + std::string(extra) + "' assigned " + dated;
    }
  }
  return "Other";
}

}  // namespace zanvoro
