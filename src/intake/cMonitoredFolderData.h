// One monitored folder or mailbox and the defaults its new cases take, with
// its one-line text form in the monitored-folder list.
//
// Text form: ten fields joined by "|": the key (or the folder name when the
// key is empty), EntryID, StoreID, PropertyID, the four defaults, Active
// and ActionMode. An older form holds the folder path or mailbox name
// alone. A name that starts with "[SYSTEM_OUTLOOK_MAILBOX]" is a mandatory
// mailbox of the settings grid; it is listed but never watched. UI thread
// only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zanvoro {

namespace host {
class MAPIFolder;
}  // namespace host

inline constexpr std::string_view kMandatoryMailboxMarker = "[SYSTEM_OUTLOOK_MAILBOX]";

struct cMonitoredFolderData {
  std::string FolderName;
  std::string KeyFolderPathOrName;
  std::string EntryID;
  std::string StoreID;
  std::string PropertyID;
  std::string DefaultProblemCategory;
  std::string DefaultProblemType;
  std::string DefaultTechnician;
  std::string DefaultSLA;
  int16_t Active = 1;
  bool blnMandatoryMailbox = false;
  std::string ActionMode = "Both";  // "New", "Update" or "Both"

  std::string ToString() const;
  // Reads either form. A bare folder path is looked up in the connected
  // add-in's session for its EntryID and StoreID (left empty when it is
  // not found) and gets a random PropertyID from 1000 to 999999; a mailbox
  // name (no "\") always gets MailboxPropertyID of its name. A field that
  // is missing keeps its default; an Active that is not a number leaves
  // the entry active. Never raises.
  void ReadFromString(std::string_view text);
  // The folder: by EntryID and StoreID, else by its path or, for a mailbox
  // name, that user's shared Inbox. nullptr when it cannot be opened.
  std::shared_ptr<host::MAPIFolder> GetOutlookFolder() const;

  // Whether FolderName names a mailbox rather than a folder path.
  bool IsMailbox() const;
  // Whether a new mail with (`has_case_reference`) or without a case
  // reference in its subject is processed under ActionMode (letter case
  // ignored; an unknown mode processes nothing).
  bool Accepts(bool has_case_reference) const;
};

// The claim key of a mailbox: its name without "_", " ", ",", "&", "[",
// "]" and "#".
std::string MailboxPropertyID(std::string_view mailbox_name);

}  // namespace zanvoro
