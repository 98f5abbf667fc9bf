#include "intake/cMonitoredFolderData.h"

#include <vector>

#include "case/HelpdeskFolders.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/ListRandom.h"

namespace zanvoro {

namespace {

constexpr int32_t kFirstRandomKey = 1000;
constexpr int32_t kLastRandomKey = 999999;

std::string RandomPropertyID() {
  size_t span = static_cast<size_t>(kLastRandomKey - kFirstRandomKey + 1);
  return std::to_string(kFirstRandomKey + static_cast<int32_t>(RandomListIndex(span)));
}

}  // namespace

std::string MailboxPropertyID(std::string_view mailbox_name) {
  std::string key;
  for (char c : mailbox_name) {
    if (std::string_view("_ ,&[]#").find(c) == std::string_view::npos) key += c;
  }
  return key;
}

std::string cMonitoredFolderData::ToString() const {
  std::vector<std::string> fields = {
      KeyFolderPathOrName.empty() ? FolderName : KeyFolderPathOrName,
      EntryID,
      StoreID,
      PropertyID,
      DefaultProblemCategory,
      DefaultProblemType,
      DefaultTechnician,
      DefaultSLA,
      std::to_string(Active),
      ActionMode};
  return Join(fields, "|");
}

void cMonitoredFolderData::ReadFromString(std::string_view text) {
  *this = cMonitoredFolderData{};
  std::vector<std::string> fields = Split(text, "|");
  std::string first = fields.empty() ? std::string() : fields[0];
  KeyFolderPathOrName = first;
  FolderName = first;
  if (InStr(first, kMandatoryMailboxMarker) != 0) {
    // The key keeps the marker, so the entry is written back as it came.
    blnMandatoryMailbox = true;
    FolderName = Replace(first, kMandatoryMailboxMarker, "");
  }
  if (fields.size() > 1) {
    auto field = [&](size_t index) {
      return index < fields.size() ? fields[index] : std::string();
    };
    EntryID = field(1);
    StoreID = field(2);
    PropertyID = field(3);
    DefaultProblemCategory = field(4);
    DefaultProblemType = field(5);
    DefaultTechnician = field(6);
    DefaultSLA = field(7);
    std::string active = Trim(field(8));
    if (IsNumeric(active)) {
      try {
        Active = CInt(Variant(active));
      } catch (const Error&) {
        Active = 1;  // out of range: read as listed and on
      }
    }
    if (fields.size() > 9 && !Trim(fields[9]).empty()) ActionMode = Trim(fields[9]);
  } else if (!IsMailbox()) {
    // The older form of a folder path: where the folder is now, and a key
    // of its own for its claim record.
    try {
      if (auto session = HelpdeskSession()) {
        if (auto folder = GetFolderFromPath(*session, FolderName, PathMessage::Silent)) {
          EntryID = folder->EntryID();
          StoreID = folder->StoreID();
        }
      }
    } catch (const Error&) {
      // Not found now: looked up again by path when it is watched.
    }
    PropertyID = RandomPropertyID();
  }
  if (IsMailbox()) PropertyID = MailboxPropertyID(FolderName);
}

std::shared_ptr<host::MAPIFolder> cMonitoredFolderData::GetOutlookFolder() const {
  auto session = HelpdeskSession();
  if (!session) return nullptr;
  if (!EntryID.empty()) {
    try {
      return session->GetFolderFromID(EntryID, StoreID);
    } catch (const Error&) {
      // Gone or in a store not open: try its name.
    }
  }
  try {
    return GetFolderFromPath(*session, FolderName, PathMessage::Silent);
  } catch (const Error&) {
    return nullptr;
  }
}

bool cMonitoredFolderData::IsMailbox() const {
  return !FolderName.empty() && FolderName.find('\\') == std::string::npos;
}

bool cMonitoredFolderData::Accepts(bool has_case_reference) const {
  if (TextEquals(ActionMode, "Both")) return true;
  return TextEquals(ActionMode, has_case_reference ? "Update" : "New");
}

}  // namespace zanvoro
