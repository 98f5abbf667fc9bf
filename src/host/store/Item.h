// One item of a store: mail, post, appointment, meeting request, task,
// contact or sticky note, told apart by MessageClass; each kind uses the
// standard properties that concern it. Handed out as shared_ptr; keeps its
// store open. Changes stay in the object until Save(). UI thread only.
//
// Conflicts: each stored item carries a change counter. Saving an item that
// was saved elsewhere (another session, or another Item object for it) since
// this object read it raises Error(err::kObjectChanged); saving, moving or
// reading the parts of an item deleted meanwhile raises
// Error(err::kObjectDeleted). A failed save changes nothing in the store.
//
// Permissions: creating needs Author; changing, moving and deleting need
// Editor, or Author for one's own items; a denial raises
// Error(err::kAccessDenied).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/store/StandardProperty.h"
#include "host/store/StoreBackend.h"
#include "host/store/StoreTypes.h"
#include "runtime/Date.h"
#include "runtime/Variant.h"

namespace zanvoro::host {

class Attachments;
class MAPIFolder;
class Recipients;
class Store;
class UserProperties;

class Item : public std::enable_shared_from_this<Item> {
 public:
  // Made by Items::Add (new: not stored until Save) or by the store.
  Item(std::shared_ptr<Store> store, ItemRow row, bool is_new);
  ~Item();
  Item(const Item&) = delete;
  Item& operator=(const Item&) = delete;

  // Empty until the item is first saved; stable afterwards (also across
  // moves within its store).
  const std::string& EntryID() const { return row_.entry_id; }

  // Any standard property by its Prop; Set converts to the property's kind
  // and raises Error(err::kTypeMismatch) when it cannot.
  Variant Get(Prop prop) const;
  void Set(Prop prop, const Variant& value);

  std::string MessageClass() const { return TextOf(Prop::MessageClass); }
  void SetMessageClass(std::string_view v) { Set(Prop::MessageClass, Variant(v)); }
  std::string Subject() const { return TextOf(Prop::Subject); }
  void SetSubject(std::string_view v) { Set(Prop::Subject, Variant(v)); }
  std::string Body() const { return TextOf(Prop::Body); }
  void SetBody(std::string_view v) { Set(Prop::Body, Variant(v)); }
  std::string HTMLBody() const { return TextOf(Prop::HTMLBody); }
  void SetHTMLBody(std::string_view v) { Set(Prop::HTMLBody, Variant(v)); }
  int32_t BodyFormat() const { return LongOf(Prop::BodyFormat); }
  void SetBodyFormat(int32_t v) { Set(Prop::BodyFormat, Variant(v)); }
  int32_t Importance() const { return LongOf(Prop::Importance); }
  void SetImportance(int32_t v) { Set(Prop::Importance, Variant(v)); }
  bool UnRead() const { return BoolOf(Prop::UnRead); }
  void SetUnRead(bool v) { Set(Prop::UnRead, Variant(v)); }
  std::string Categories() const { return TextOf(Prop::Categories); }
  void SetCategories(std::string_view v) { Set(Prop::Categories, Variant(v)); }
  std::string BillingInformation() const { return TextOf(Prop::BillingInformation); }
  void SetBillingInformation(std::string_view v) {
    Set(Prop::BillingInformation, Variant(v));
  }
  std::string FlagRequest() const { return TextOf(Prop::FlagRequest); }
  void SetFlagRequest(std::string_view v) { Set(Prop::FlagRequest, Variant(v)); }
  int32_t FlagStatus() const { return LongOf(Prop::FlagStatus); }
  void SetFlagStatus(int32_t v) { Set(Prop::FlagStatus, Variant(v)); }
  zanvoro::Date ReceivedTime() const { return DateOf(Prop::ReceivedTime); }
  void SetReceivedTime(zanvoro::Date v) { Set(Prop::ReceivedTime, Variant(v)); }
  zanvoro::Date CreationTime() const { return DateOf(Prop::CreationTime); }
  zanvoro::Date LastModificationTime() const {
    return DateOf(Prop::LastModificationTime);
  }
  zanvoro::Date SentOn() const { return DateOf(Prop::SentOn); }
  void SetSentOn(zanvoro::Date v) { Set(Prop::SentOn, Variant(v)); }
  std::string ConversationIndex() const { return TextOf(Prop::ConversationIndex); }
  void SetConversationIndex(std::string_view v) {
    Set(Prop::ConversationIndex, Variant(v));
  }
  std::string ConversationTopic() const { return TextOf(Prop::ConversationTopic); }
  void SetConversationTopic(std::string_view v) {
    Set(Prop::ConversationTopic, Variant(v));
  }
  std::string SenderName() const { return TextOf(Prop::SenderName); }
  void SetSenderName(std::string_view v) { Set(Prop::SenderName, Variant(v)); }
  std::string SenderEmailAddress() const { return TextOf(Prop::SenderEmailAddress); }
  void SetSenderEmailAddress(std::string_view v) {
    Set(Prop::SenderEmailAddress, Variant(v));
  }
  std::string SenderEmailType() const { return TextOf(Prop::SenderEmailType); }
  void SetSenderEmailType(std::string_view v) { Set(Prop::SenderEmailType, Variant(v)); }
  std::string SentOnBehalfOfName() const { return TextOf(Prop::SentOnBehalfOfName); }
  void SetSentOnBehalfOfName(std::string_view v) {
    Set(Prop::SentOnBehalfOfName, Variant(v));
  }
  bool ReadReceiptRequested() const { return BoolOf(Prop::ReadReceiptRequested); }
  void SetReadReceiptRequested(bool v) { Set(Prop::ReadReceiptRequested, Variant(v)); }
  zanvoro::Date Start() const { return DateOf(Prop::Start); }
  void SetStart(zanvoro::Date v) { Set(Prop::Start, Variant(v)); }
  zanvoro::Date End() const { return DateOf(Prop::End); }
  void SetEnd(zanvoro::Date v) { Set(Prop::End, Variant(v)); }
  int32_t Duration() const { return LongOf(Prop::Duration); }
  void SetDuration(int32_t v) { Set(Prop::Duration, Variant(v)); }
  std::string Location() const { return TextOf(Prop::Location); }
  void SetLocation(std::string_view v) { Set(Prop::Location, Variant(v)); }
  bool ReminderSet() const { return BoolOf(Prop::ReminderSet); }
  void SetReminderSet(bool v) { Set(Prop::ReminderSet, Variant(v)); }
  int32_t ReminderMinutesBeforeStart() const {
    return LongOf(Prop::ReminderMinutesBeforeStart);
  }
  void SetReminderMinutesBeforeStart(int32_t v) {
    Set(Prop::ReminderMinutesBeforeStart, Variant(v));
  }
  zanvoro::Date DueDate() const { return DateOf(Prop::DueDate); }
  void SetDueDate(zanvoro::Date v) { Set(Prop::DueDate, Variant(v)); }
  zanvoro::Date StartDate() const { return DateOf(Prop::StartDate); }
  void SetStartDate(zanvoro::Date v) { Set(Prop::StartDate, Variant(v)); }
  int32_t Status() const { return LongOf(Prop::Status); }
  void SetStatus(int32_t v) { Set(Prop::Status, Variant(v)); }
  bool Complete() const { return BoolOf(Prop::Complete); }
  void SetComplete(bool v) { Set(Prop::Complete, Variant(v)); }
  int32_t PercentComplete() const { return LongOf(Prop::PercentComplete); }
  void SetPercentComplete(int32_t v) { Set(Prop::PercentComplete, Variant(v)); }
  std::string FullName() const { return TextOf(Prop::FullName); }
  void SetFullName(std::string_view v) { Set(Prop::FullName, Variant(v)); }
  std::string Email1Address() const { return TextOf(Prop::Email1Address); }
  void SetEmail1Address(std::string_view v) { Set(Prop::Email1Address, Variant(v)); }
  std::string Email1DisplayName() const { return TextOf(Prop::Email1DisplayName); }
  void SetEmail1DisplayName(std::string_view v) {
    Set(Prop::Email1DisplayName, Variant(v));
  }
  std::string BusinessTelephoneNumber() const {
    return TextOf(Prop::BusinessTelephoneNumber);
  }
  void SetBusinessTelephoneNumber(std::string_view v) {
    Set(Prop::BusinessTelephoneNumber, Variant(v));
  }
  std::string MobileTelephoneNumber() const {
    return TextOf(Prop::MobileTelephoneNumber);
  }
  void SetMobileTelephoneNumber(std::string_view v) {
    Set(Prop::MobileTelephoneNumber, Variant(v));
  }
  std::string CompanyName() const { return TextOf(Prop::CompanyName); }
  void SetCompanyName(std::string_view v) { Set(Prop::CompanyName, Variant(v)); }
  std::string Department() const { return TextOf(Prop::Department); }
  void SetDepartment(std::string_view v) { Set(Prop::Department, Variant(v)); }
  std::string BusinessAddress() const { return TextOf(Prop::BusinessAddress); }
  void SetBusinessAddress(std::string_view v) { Set(Prop::BusinessAddress, Variant(v)); }
  std::string OfficeLocation() const { return TextOf(Prop::OfficeLocation); }
  void SetOfficeLocation(std::string_view v) { Set(Prop::OfficeLocation, Variant(v)); }
  std::string MessageID() const { return TextOf(Prop::MessageID); }
  void SetMessageID(std::string_view v) { Set(Prop::MessageID, Variant(v)); }
  std::string InReplyTo() const { return TextOf(Prop::InReplyTo); }
  void SetInReplyTo(std::string_view v) { Set(Prop::InReplyTo, Variant(v)); }
  std::string References() const { return TextOf(Prop::References); }
  void SetReferences(std::string_view v) { Set(Prop::References, Variant(v)); }

  // The folder whose entry ID the sent copy is saved to ("" for the default).
  std::string SaveSentMessageFolderID() const {
    return TextOf(Prop::SaveSentMessageFolder);
  }
  void SetSaveSentMessageFolder(const MAPIFolder& folder);

  // The user property Send marks a mail with: when it was submitted. The
  // transport keeps its state in further "Transport." properties.
  static constexpr const char* kSubmittedProperty = "Transport.Submitted";

  // Hands a mail to the transport: marks it submitted (dropping the state of
  // an earlier attempt), saves it and moves it to the Outbox of its store,
  // keeping its SaveSentMessageFolder; the send/receive worker sends it from
  // there. Raises Error(err::kCallFailed) for a mail without recipients or a
  // store without an Outbox, and changes nothing then.
  void Send();
  // Saves the item together with delivery records (keys naming where a
  // received mail came from) in one transaction. Returns false, saving
  // nothing, when one of the keys was recorded before: the mail is here.
  bool SaveAsDelivered(const std::vector<std::string>& keys);

  // Bytes of bodies, properties and attachments as of the last save.
  int32_t Size() const { return LongOf(Prop::Size); }

  host::UserProperties& UserProperties();
  host::Recipients& Recipients();
  host::Attachments& Attachments();

  std::shared_ptr<MAPIFolder> Parent();
  std::shared_ptr<Store> GetStore() const { return store_; }

  // False while the object holds changes not yet stored.
  bool Saved() const;
  // Stores the item with its properties, recipients and attachments in one
  // transaction. Sets LastModificationTime.
  void Save();
  // Save: saves. Discard and PromptForSave: drops unsaved changes (the store
  // has no one to ask; the UI asks before it calls this).
  void Close(SaveMode mode);
  // Moves the item (saving pending changes first) and returns it in its new
  // folder. Within a store it keeps its entry ID and this object follows it;
  // to another store it is copied there and deleted here (new entry ID); a
  // move between stores that stopped after the copy finishes on the next
  // Move of the original without a second copy.
  std::shared_ptr<Item> Move(const std::shared_ptr<MAPIFolder>& folder);
  // A saved copy in the same folder, with a new entry ID.
  std::shared_ptr<Item> Copy();
  // In a mailbox store, an item outside Deleted Items moves there; otherwise
  // (and in Deleted Items) it is deleted for good.
  void Delete();

 private:
  std::string TextOf(Prop p) const;
  int32_t LongOf(Prop p) const;
  zanvoro::Date DateOf(Prop p) const;
  bool BoolOf(Prop p) const;
  void RequireStored() const;
  void RequireEdit(std::string_view what);
  void LoadParts();
  void SaveWith(std::vector<std::string> delivered);
  void Reload();

  std::shared_ptr<Store> store_;
  ItemRow row_;
  bool is_new_ = false;
  bool deleted_ = false;
  bool standard_dirty_ = false;
  bool parts_loaded_ = false;
  std::unique_ptr<host::UserProperties> properties_;
  std::unique_ptr<host::Recipients> recipients_;
  std::unique_ptr<host::Attachments> attachments_;
};

}  // namespace zanvoro::host
