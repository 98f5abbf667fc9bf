#include "case/cWork.h"

#include "case/EntryListForms.h"

namespace zanvoro {

std::string cWork::ToString() const {
  return Description + "\t" + GeneralDateText(WorkDate) + "\t" + std::to_string(Minutes) +
         "\t" + User;
}

std::string cWork::ToHTML() const {
  using entrylist::Align;
  using entrylist::Cell;
  std::string date = GeneralDateText(WorkDate);
  std::string minutes = std::to_string(Minutes);
  return entrylist::Row({
      Cell{.text = date, .width = 70},
      Cell{.text = User, .width = 100},
      Cell{.text = Description, .width = 160},
      Cell{.text = minutes, .width = 70, .align = Align::Center},
  });
}

}  // namespace zanvoro
