// The small value types of the message store: folder kinds, item kinds,
// permission roles, property types and the records the store hands around.
// Numbers are the ones the mail client used, so the add-in can pass them
// through unchanged.
#pragma once

#include <cstdint>
#include <string>

namespace zanvoro::host {

// The default folders of a mailbox store.
enum class DefaultFolder : int32_t {
  DeletedItems = 3,
  Outbox = 4,
  SentMail = 5,
  Inbox = 6,
  Calendar = 9,
  Contacts = 10,
  Tasks = 13,
  Drafts = 16,
};

// The kind of item a folder holds by default.
enum class ItemType : int32_t {
  Mail = 0,
  Appointment = 1,
  Contact = 2,
  Task = 3,
  Journal = 4,
  Note = 5,
  Post = 6,
};

// The message class a new item gets in a folder of that kind.
const char* DefaultMessageClass(ItemType type);

// What the current user may do in a folder, from most to least.
//  Owner: everything, including changing permissions.
//  PublishingEditor: Editor, and creating sub-folders.
//  Editor: create, read, edit and delete every item.
//  Author: create and read items; edit and delete only their own.
//  Reviewer: read items.
//  None: not even read them.
enum class Role : int32_t {
  None = 0,
  Reviewer = 1,
  Author = 2,
  Editor = 3,
  PublishingEditor = 4,
  Owner = 5
};

// The type of a user property.
enum class UserPropertyType : int32_t {
  Text = 1,
  Number = 3,
  DateTime = 5,
  YesNo = 6,
  Currency = 14,
};

enum class SaveMode : int32_t { Save = 0, Discard = 1, PromptForSave = 2 };

enum class RecipientType : int32_t { To = 1, CC = 2, BCC = 3 };

enum class BodyFormat : int32_t { Plain = 1, HTML = 2, RichText = 3 };

// Whether a store opened in a profile is someone's mailbox (it gets the
// default folders and an owner) or a shared store holding only a root.
enum class StoreKind { Mailbox, Shared };

// The person a session runs as.
struct UserInfo {
  std::string Name;
  std::string Address;  // SMTP address
};

// A store file to open in a session; created when missing.
struct StoreSpec {
  std::string path;
  std::string display_name;
  StoreKind kind = StoreKind::Mailbox;
};

// An entry of the address book: a contact of one of the open stores, or the
// owner of one of its mailbox stores.
struct AddressEntry {
  std::string Name;
  std::string Address;
  std::string BusinessTelephoneNumber;
  std::string MobileTelephoneNumber;
  std::string CompanyName;
  std::string Department;
  std::string StreetAddress;
  std::string OfficeLocation;
};

}  // namespace zanvoro::host
