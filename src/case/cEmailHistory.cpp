#include "case/cEmailHistory.h"

#include <memory>
#include <vector>

#include "case/EntryListForms.h"
#include "case/HelpdeskFolders.h"
#include "case/ItemProperty.h"
#include "errors/Trap.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro {

namespace {

// When the mail arrived; a mail that was never received (a sent copy, a
// post) shows when it was made.
Date MailTime(const host::Item& mail) {
  try {
    Date received = mail.ReceivedTime();
    if (!received.IsZero()) return received;
  } catch (const Error&) {
    // No received time on this kind of item: fall through.
  }
  return mail.CreationTime();
}

}  // namespace

std::string cEmailHistory::ToHTML(std::string_view case_number) const {
  return Trap("EmailHistory.ToHTML", std::string{}, [&] {
    std::shared_ptr<host::MAPIFolder> history = GetHistoryFolder();
    if (!history) return std::string{};
    std::string filter =
        "[BillingInformation] = '" + Replace(case_number, "'", "''") + "'";
    std::shared_ptr<host::Items> mails = history->Items()->Restrict(filter);
    int32_t count = mails->Count();
    if (count == 0) return std::string{};

    using entrylist::Cell;
    std::string html = entrylist::TableStart(3, "Email History List");
    html += entrylist::HeaderRow(
        {{"Sent/Received", 100}, {"Received Time", 100}, {"Subject", 300}});
    for (int32_t i = 1; i <= count; ++i) {
      std::shared_ptr<host::Item> mail = mails->Item(i);
      std::string flag = ReadItemText(*mail, "EmailFlag", "Unknown");
      std::string subject = mail->Subject();
      std::string time = GeneralDateText(MailTime(*mail));
      // The cells follow the header: flag, time, subject.
      html += entrylist::Row({
          Cell{.text = flag, .width = 100},
          Cell{.text = time, .width = 100},
          Cell{.text = subject, .width = 300},
      });
    }
    html += entrylist::TableEnd();
    return html;
  });
}

}  // namespace zanvoro
