// The intake's entry point: what becomes of an item that arrived in a
// watched place, the message-class rules, the sender's identity, and the
// set-aside folders with the administrator's alerts.
#include "intake/ProcessIncomingItem.h"

#include <optional>

#include "case/CaseID.h"
#include "case/HelpdeskFolders.h"
#include "case/NotificationCodes.h"
#include "case/cCase.h"
#include "errors/Trap.h"
#include "host/store/AddressBook.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/Recipients.h"
#include "host/store/Store.h"
#include "host/store/WriteBatch.h"
#include "intake/IntakeSupport.h"
#include "intake/LoopGuard.h"
#include "intake/ReplyThreading.h"
#include "intake/cMonitoredFolderData.h"
#include "notify/SendCaseEmail.h"
#include "runtime/Date.h"
#include "runtime/Text.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro {

namespace {

MonitoringControl& Control() {
  static MonitoringControl control;
  return control;
}

// Mails and posts go through the checks of a reply; meetings and tasks go
// straight to the creation, which accepts or refuses them.
bool IsMailOrPostClass(std::string_view upper_class) {
  return Contains(upper_class, "IPM.NOTE") || Contains(upper_class, "IPM.POST");
}

void ClearBillingInformation(host::Item& item) {
  item.SetBillingInformation("");
  item.Save();
}

// The administrator's alert about a mail moved to `target`: the technician
// whose address is "sdoAdminEmai", told by mail. `reason` is the sentence
// after the current user's name.
void AlertAdministrator(std::string_view subject, host::MAPIFolder& target,
                        std::string_view reason) {
  const cGlobalSettings* settings = SharedGlobalSettings();
  std::string admin_address = GeneralSettingText("sdoAdminEmai");
  if (!settings || admin_address.empty()) return;
  const cTechnician* admin = nullptr;
  for (const auto& entry : settings->Technicians) {
    if (LCase(Trim(entry.Value().Email)) == LCase(admin_address)) {
      admin = &entry.Value();
      break;
    }
  }
  if (!admin) return;
  auto mail = intake::NewMail();
  if (!mail) return;
  const std::string& user = settings->CurrentUserName;
  mail->Recipients().Add(admin_address);
  mail->SetSubject(user + ": Notification of failed processing of incoming email!");
  mail->SetHTMLBody("<HTML><HEAD></HEAD><BODY>Dear " + HtmlEscape(admin->Name) +
                    ",<BR>An incoming email monitored by '" + HtmlEscape(user) +
                    std::string(reason) + HtmlEscape(subject) + "'<BR>Moved to:" +
                    HtmlEscape(target.FolderPath()) + "<BR></BODY></HTML>");
  mail->SetBodyFormat(static_cast<int32_t>(host::BodyFormat::HTML));
  mail->Save();
  SetSendingAccount(*mail, "");
  mail->Send();
  DeliverNow();
}

constexpr std::string_view kConflictedReason =
    "' failed to process and is moved to the conflicted email subfolder."
    "<BR><BR><B><U>Details</U></B><BR>Email Subject: '";
constexpr std::string_view kNonExistentCaseReason =
    "' failed to process and is moved to the unprocessed email subfolder, because the "
    "case ID under the subject does not exist anymore.<BR><BR><B><U>Details</U></B><BR>"
    "Email Subject: '";

constexpr std::string_view kLoopGuardReason =
    "' came from a sender who sent more mail in a short time than the helpdesk "
    "takes (an automatic responder?). It and the further mail of that sender are "
    "moved to the unprocessed email subfolder until the flood stops."
    "<BR><BR><B><U>Details</U></B><BR>Email Subject: '";

// Moves `item` into the set-aside folder `name` beside it; the folder it
// went to, or nullptr.
std::shared_ptr<host::MAPIFolder> SetAside(
    const std::shared_ptr<host::Item>& item,
    const std::shared_ptr<host::MAPIFolder>& parent, std::string_view name) {
  auto target = GetSetAsideFolder(parent, name);
  if (!target) return nullptr;
  item->Move(target);
  return target;
}

void ShowArrivalBalloon(bool reply, const std::string& number,
                        const std::string& arrival_subject) {
  std::string when = GeneralDateText(Now());
  std::string text =
      reply ? "New incoming response added to Case #" + number + " at " + when
            : "New Case #" + number + " generated from incoming email at " + when;
  intake::ShowBalloon(text + "\r\n\r\n'" + arrival_subject + "'");
}

// The open case of `number` marked unread; `known` is the case as the
// mail's steps left it, if they kept it, and spares the search when it is
// open and unread already.
void MarkCaseUnread(const std::string& number, const std::shared_ptr<host::Item>& known) {
  auto ongoing = GetOngoingFolder();
  if (!ongoing) return;
  if (known && known->Saved() && known->UnRead()) {
    auto parent = known->Parent();
    if (parent && intake::SameFolder(*parent, *ongoing)) return;
  }
  auto found = ongoing->Items()->Find("[Case.CaseNumber] = '" + number + "'");
  if (!found) return;
  found->SetUnRead(true);
  found->Save();
}

// The sender of the mail in hand, looked up in the address book once for
// the loop guard, the case, the caller and the confirmation. Kept only
// while ProcessIncomingItem runs, so no later change of the book is missed.
struct SenderMemo {
  bool active = false;
  const host::Item* item = nullptr;
  std::string name;
  std::string address;
  SenderIdentity sender;
};

SenderMemo& Memo() {
  static SenderMemo memo;
  return memo;
}

class SenderMemoScope {
 public:
  SenderMemoScope() : outermost_(!Memo().active) { Memo().active = true; }
  ~SenderMemoScope() {
    if (outermost_) Memo() = SenderMemo{};
  }
  SenderMemoScope(const SenderMemoScope&) = delete;
  SenderMemoScope& operator=(const SenderMemoScope&) = delete;

 private:
  bool outermost_;
};

}  // namespace

void SetMonitoringControl(MonitoringControl control) {
  Control() = std::move(control);
  SharedLoopGuard() = LoopGuard();
}

bool PrepareIncomingItem(const std::shared_ptr<host::Item>& item) {
  return Trap("CaseHelper.PrepareIncomingItem", false, [&] {
    if (item->BillingInformation() == kAlreadyProcessed) {
      item->Delete();
      return false;
    }
    try {
      item->Save();
    } catch (const Error&) {
      // A folder we may not write would fail every item: watch it no more
      // until the next start.
      auto folder = item->Parent();
      if (folder && Control().stop_folder) Control().stop_folder(*folder);
      return false;
    }
    return true;
  });
}

bool IsProcessableMailClass(std::string_view message_class) {
  std::string upper = UCase(message_class);
  return upper == "IPM.NOTE" || upper == "IPM.POST" ||
         upper == "IPM.NOTE.SMIME.MULTIPARTSIGNED";
}

bool IsCompatibleMessageClass(host::Item& item) {
  return Trap("CaseHelper.IsCompatibleMessageClass", false, [&] {
    std::string upper = UCase(item.MessageClass());
    if (Contains(upper, "IPM.NOTE")) return true;
    if (GeneralSettingOn("sdoGeneralSettingsAllowPost") && Contains(upper, "IPM.POST"))
      return true;
    if (GeneralSettingOn("sdoGeneralSettingsAllowMeeting") &&
        (Contains(upper, "IPM.APPOINTMENT") || Contains(upper, "IPM.SCHEDULE")))
      return true;
    if (GeneralSettingOn("sdoGeneralSettingsAllowTask") &&
        (Contains(upper, "IPM.TASKREQUEST") || Contains(upper, "IPM.TASK")))
      return true;
    return false;
  });
}

bool fncIsNonCaseItem(host::Item& item) {
  return Trap("CaseHelper.fncIsNonCaseItem", false, [&] {
    std::string upper = UCase(item.MessageClass());
    return upper != UCase(kCaseMessageClass) && upper != UCase(kClosedCaseMessageClass) &&
           upper != "IPM.CONTACT" && upper != "IPM.STICKYNOTE";
  });
}

namespace {

// The sender with what the address book knows of them.
SenderIdentity ResolveSender(host::Item& item, SenderIdentity sender) {
  auto store = item.GetStore();
  auto book = store ? store->Book() : nullptr;
  if (!book) return sender;
  // The address book knows the sender by display name (a contact or a
  // mailbox owner); a one-off sender only by the address they wrote from.
  // A display name that looks like an address is no name: looked up, it
  // would stand for itself instead of the address the mail came from.
  if (!Trim(sender.name).empty() && !Contains(sender.name, "@"))
    sender.entry = book->Resolve(sender.name);
  if (!sender.entry && !sender.address.empty())
    sender.entry = book->Resolve(sender.address);
  if (sender.entry) sender.smtp_address = Trim(sender.entry->Address);
  return sender;
}

}  // namespace

SenderIdentity SenderOf(host::Item& item) {
  SenderIdentity sender;
  sender.name = item.SenderName();
  sender.address = Trim(item.SenderEmailAddress());
  SenderMemo& memo = Memo();
  if (memo.active && memo.item == &item && memo.name == sender.name &&
      memo.address == sender.address) {
    return memo.sender;
  }
  sender = ResolveSender(item, std::move(sender));
  if (memo.active) memo = SenderMemo{true, &item, sender.name, sender.address, sender};
  return sender;
}

std::string SenderCallerAddress(host::Item& item) {
  SenderIdentity sender = SenderOf(item);
  const std::string& smtp = sender.smtp_address;
  if (smtp.empty() || Contains(smtp, ";") || !Contains(smtp, "@")) return sender.address;
  return smtp;
}

bool IsExistingCaller(host::Item& item) {
  return Trap("CaseHelper.IsExistingCaller", false, [&] {
    const cGlobalSettings* settings = SharedGlobalSettings();
    if (!settings) return false;
    std::string address = SenderCallerAddress(item);
    return !address.empty() && settings->Callers.Exists(address);
  });
}

std::shared_ptr<host::MAPIFolder> GetSetAsideFolder(
    const std::shared_ptr<host::MAPIFolder>& parent, std::string_view name) {
  if (!parent) return nullptr;
  host::Folders folders = parent->Folders();
  if (auto found = folders.Item(name)) return found;
  return folders.Add(name);
}

void subMoveUnprocessedMail(const std::shared_ptr<host::Item>& item,
                            const std::shared_ptr<host::MAPIFolder>& parent,
                            AdminAlert alert) {
  Trap("CaseHelper.subMoveUnprocessedMail", [&] {
    std::string subject = item->Subject();
    auto target = SetAside(item, parent, kUnprocessedFolderName);
    if (target && alert == AdminAlert::Yes &&
        GeneralSettingOn("sdoAdminAlertOnNonExistentCase")) {
      AlertAdministrator(subject, *target, kNonExistentCaseReason);
    }
  });
}

void subMoveConflictedEmail(const std::shared_ptr<host::Item>& item,
                            const std::shared_ptr<host::MAPIFolder>& parent) {
  Trap("CaseHelper.subMoveConflictedEmail", [&] {
    if (UCase(item->MessageClass()) == UCase(kCaseMessageClass)) return;
    std::string subject = item->Subject();
    auto target = SetAside(item, parent, kConflictedFolderName);
    if (target && GeneralSettingOn("sdoAdminAlertOnConflictedEmail")) {
      AlertAdministrator(subject, *target, kConflictedReason);
    }
  });
}

bool ProcessIncomingItem(const std::shared_ptr<host::Item>& item, std::string_view origin,
                         const cMonitoredFolderData* folder_data) {
  return Trap("CaseHelper.ProcessIncomingItem", false, [&] {
    if (!item) return false;
    if (UCase(item->MessageClass()) == UCase(kCaseMessageClass)) return false;
    // The case, its log, its notifications and the filed mail are stored
    // together when the mail is done.
    host::WriteBatch batch(HelpdeskSession().get());
    SenderMemoScope sender_memo;
    if (!PrepareIncomingItem(item)) return false;
    const std::string arrival_subject = item->Subject();
    const std::string upper_class = UCase(item->MessageClass());
    auto parent = item->Parent();

    std::string case_id;
    // The mail's case, found once and carried through the steps.
    std::shared_ptr<host::Item> case_item;
    if (IsMailOrPostClass(upper_class)) {
      if (!IsProcessableMailClass(upper_class)) {
        subMoveUnprocessedMail(item, parent, AdminAlert::No);
        return false;
      }
      // A flood from one sender is set aside before it makes cases or
      // notifications.
      const std::string sender = SenderCallerAddress(*item);
      LoopGuard::Verdict flood =
          SharedLoopGuard().Count(sender, Now(), LoopGuardLimits());
      if (flood != LoopGuard::Verdict::Admit) {
        auto target = SetAside(item, parent, kUnprocessedFolderName);
        if (target && flood == LoopGuard::Verdict::FirstExcess)
          AlertAdministrator(sender + ": " + arrival_subject, *target, kLoopGuardReason);
        return false;
      }
      if (GeneralSettingNumber("sdoProcessEmailsFromExistingCallersOnly") == 1 &&
          !IsExistingCaller(*item)) {
        ClearBillingInformation(*item);
        subMoveUnprocessedMail(item, parent, AdminAlert::No);
        return false;
      }
      case_id = ExtractCaseID(item->Subject());
      if (!case_id.empty()) case_item = GetCaseItemFromID(case_id);
      if (!case_id.empty() && !case_item) {
        if (GeneralSettingOn("sdoEmailReplyWithoutCaseTodoWhat")) {
          ClearBillingInformation(*item);
          subMoveUnprocessedMail(
              item, parent,
              GeneralSettingOn("sdoEmailReplyWithoutCaseTodoWhatAlertAdmin")
                  ? AdminAlert::Yes
                  : AdminAlert::No);
          return false;
        }
        // The case is gone: the mail starts a new one.
        item->SetSubject(RemoveCaseIDFromSubject(item->Subject()));
        item->Save();
        case_id.clear();
      }
    }

    std::string number;
    const bool reply = !case_id.empty();
    if (reply) {
      if (Contains(item->Subject(), kSystemGeneratedSuffix)) {
        subMoveUnprocessedMail(item, parent, AdminAlert::No);
        return false;
      }
      ProcessCallerReply(item, case_id, &case_item);
      number = case_id;
    } else {
      number = CreateCase(item, origin, folder_data, &case_item);
      if (number.empty() || number == kOngoingRefused) {
        ClearBillingInformation(*item);
        if (number.empty()) {
          subMoveConflictedEmail(item, parent);
        } else if (Control().stop_all) {
          Control().stop_all();
        }
      } else {
        AddEmailToCase(item, number, MailKind::NewCase,
                       ConversationKind::ProblemDescription, AttachedBy::Monitoring, {},
                       case_item);
      }
    }

    const bool has_case = !number.empty() && number != kOngoingRefused;
    if (has_case) MarkCaseUnread(number, case_item);
    if (has_case) ShowArrivalBalloon(reply, number, arrival_subject);
    return true;
  });
}

}  // namespace zanvoro
