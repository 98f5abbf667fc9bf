// The e-mail history of a case, read on demand from the helpdesk's History
// folder: the mails whose BillingInformation is the case number.
#pragma once

#include <string>
#include <string_view>

namespace zanvoro {

class cEmailHistory {
 public:
  // The "Email History List" table of the case's mails; "" when the case
  // has none (or the History folder is not found).
  std::string ToHTML(std::string_view case_number) const;
};

}  // namespace zanvoro
