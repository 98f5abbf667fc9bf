#include "host/mail/Dispatch.h"

#include <algorithm>
#include <cmath>

#include "host/mail/MailTransport.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Recipients.h"
#include "host/store/Store.h"
#include "host/store/UserProperties.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {
namespace {

constexpr double kMaxDelayMinutes = 60;
constexpr double kGiveUpDays = 2;

const Variant* ValueOf(Item& item, const char* name) {
  UserProperty* p = item.UserProperties().Find(name);
  return p ? &p->Value() : nullptr;
}

void SetValue(Item& item, const char* name, UserPropertyType type, const Variant& value) {
  item.UserProperties().Add(name, type)->SetValue(value);
}

void RemoveValue(Item& item, const char* name) {
  UserProperties& properties = item.UserProperties();
  for (int32_t i = properties.Count(); i >= 1; --i) {
    if (TextEquals(properties.Item(i)->Name(), name)) properties.Remove(i);
  }
}

// 1, 2, 4... minutes after the n-th attempt, at most an hour.
Date NextAttemptAfter(int attempts, Date now) {
  double minutes = std::min(kMaxDelayMinutes, std::pow(2.0, std::max(0, attempts - 1)));
  return DateAdd(DateInterval::Minute, minutes, now);
}

std::string RecipientList(Item& item) {
  std::vector<std::string> names;
  Recipients& recipients = item.Recipients();
  for (int32_t i = 1; i <= recipients.Count(); ++i) {
    Recipient* r = recipients.Item(i);
    names.push_back(r->Address().empty() ? r->Name()
                                         : r->Name() + " <" + r->Address() + ">");
  }
  return Join(names, "; ");
}

// The non-delivery report the user finds in the Inbox.
void ReportFailure(Store& store, Item& mail, const std::string& detail, Date now) {
  auto inbox = store.GetDefaultFolder(DefaultFolder::Inbox);
  if (!inbox) return;
  auto report = inbox->Items()->Add("REPORT.IPM.Note.NDR");
  report->SetSubject("Undeliverable: " + mail.Subject());
  report->SetSenderName("Mail Delivery System");
  report->SetBody(
      "Your message did not reach some or all of the intended recipients.\r\n\r\n"
      "      Subject:\t" +
      mail.Subject() +
      "\r\n"
      "      Sent:\t" +
      GeneralDateText(now) +
      "\r\n\r\n"
      "The following recipient(s) could not be reached:\r\n\r\n"
      "      " +
      RecipientList(mail) +
      "\r\n"
      "            " +
      detail + "\r\n");
  report->SetReceivedTime(now);
  report->Save();
}

std::shared_ptr<MAPIFolder> SentFolderFor(NameSpace& session, Store& store, Item& mail) {
  std::string id = mail.SaveSentMessageFolderID();
  if (!id.empty()) {
    try {
      return session.GetFolderFromID(id);
    } catch (const Error& error) {
      if (error.Number() != err::kNotFound) throw;
      // The chosen folder is gone: the sent copy goes to Sent Items.
    }
  }
  return store.GetDefaultFolder(DefaultFolder::SentMail);
}

enum class Outcome { NotDue, Sent, Retry, Failed };

Outcome SendOne(NameSpace& session, Store& store, Item& mail, MailTransport& transport,
                const ExportOptions& options, Date now) {
  // A mail moved into the Outbox without Send counts as submitted when it
  // was last changed.
  const Variant* submitted_value = ValueOf(mail, Item::kSubmittedProperty);
  Date submitted =
      submitted_value ? CDate(*submitted_value) : mail.LastModificationTime();
  if (const Variant* failed = ValueOf(mail, kFailedProperty); failed && CBool(*failed))
    return Outcome::NotDue;
  if (const Variant* next = ValueOf(mail, kNextAttemptProperty);
      next && CDate(*next) > now)
    return Outcome::NotDue;

  // Claim the attempt: a second worker's save of the same mail now fails.
  const Variant* attempts_value = ValueOf(mail, kAttemptsProperty);
  int attempts = attempts_value ? CLng(*attempts_value) + 1 : 1;
  SetValue(mail, kAttemptsProperty, UserPropertyType::Number, Variant(attempts));
  SetValue(mail, kNextAttemptProperty, UserPropertyType::DateTime,
           Variant(NextAttemptAfter(attempts, now)));
  mail.Save();

  SendResult result;
  ExportedMail exported;
  try {
    exported = ExportMessage(mail, options);
    result = transport.Send(exported);
  } catch (const Error& error) {
    if (error.Number() != err::kCallFailed) throw;
    result = {SendStatus::Failed, error.Description()};
  }
  if (result.status == SendStatus::Retry &&
      submitted.Serial() + kGiveUpDays <= now.Serial()) {
    result.status = SendStatus::Failed;
    result.detail = "Gave up after trying for two days: " + result.detail;
  }

  switch (result.status) {
    case SendStatus::Sent: {
      for (const char* name : {Item::kSubmittedProperty, kAttemptsProperty,
                               kNextAttemptProperty, kErrorProperty, kFailedProperty})
        RemoveValue(mail, name);
      mail.SetMessageID(exported.message_id);
      mail.SetSentOn(now);
      mail.SetUnRead(false);
      mail.Save();
      if (auto sent = SentFolderFor(session, store, mail)) mail.Move(sent);
      return Outcome::Sent;
    }
    case SendStatus::Retry:
      SetValue(mail, kErrorProperty, UserPropertyType::Text, Variant(result.detail));
      mail.Save();
      return Outcome::Retry;
    case SendStatus::Failed:
      SetValue(mail, kErrorProperty, UserPropertyType::Text, Variant(result.detail));
      SetValue(mail, kFailedProperty, UserPropertyType::YesNo, Variant(true));
      mail.Save();
      ReportFailure(store, mail, result.detail, now);
      return Outcome::Failed;
  }
  return Outcome::NotDue;
}

}  // namespace

DispatchReport Dispatch(NameSpace& session, MailTransport& transport,
                        const ExportOptions& options,
                        const StopRequested& stop_requested) {
  DispatchReport report;
  Date now = options.now.IsZero() ? Now() : options.now;
  for (const std::shared_ptr<Store>& store : session.Stores()) {
    auto outbox = store->GetDefaultFolder(DefaultFolder::Outbox);
    if (!outbox) continue;
    // Entry IDs first: sent mails leave the folder while it is walked.
    std::vector<std::string> entry_ids;
    auto items = outbox->Items();
    for (int32_t i = 1, n = items->Count(); i <= n; ++i)
      entry_ids.push_back(items->Item(i)->EntryID());
    for (const std::string& entry_id : entry_ids) {
      if (stop_requested && stop_requested()) return report;
      auto mail = store->GetItemFromID(entry_id);
      if (!mail) continue;
      try {
        switch (SendOne(session, *store, *mail, transport, options, now)) {
          case Outcome::NotDue:
            break;
          case Outcome::Sent:
            ++report.sent;
            break;
          case Outcome::Retry:
            ++report.retrying;
            break;
          case Outcome::Failed:
            ++report.failed;
            break;
        }
      } catch (const Error& error) {
        // Someone else changed or took the mail: it is theirs this time.
        if (error.Number() != err::kObjectChanged &&
            error.Number() != err::kObjectDeleted)
          throw;
      }
    }
  }
  return report;
}

}  // namespace zanvoro::host
