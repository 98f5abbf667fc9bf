// A reference to one folder, independent of where and when it was found:
// its full path, entry ID, store ID and display name at the time it was
// recorded. Resolving it (GetFolder) tries the identifiers first and the
// path second, and insists on the recorded name, so a reference to a folder
// that was renamed since resolves to nothing rather than to a stranger.
// UI thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "host/store/StoreTypes.h"

namespace zanvoro {

namespace host {
class Item;
class MAPIFolder;
class NameSpace;
}  // namespace host

struct cOutlookFolder {
  // "\\<root name>\<folder>\<sub-folder>" as the folder's FolderPath gives it.
  std::string OutlookPath;
  std::string EntryID;
  std::string StoreID;
  // The display name when the reference was recorded.
  std::string Name;

  // The reference of `folder` as it is now.
  static cOutlookFolder Of(host::MAPIFolder& folder);

  bool Empty() const { return EntryID.empty() && OutlookPath.empty(); }

  // Lets the user pick a folder of the session (FolderPicker) and records
  // it. With `expected`, a folder holding another default item type records
  // nothing. Returns whether a folder was recorded.
  bool GetOutlookPathInfo(host::NameSpace& session,
                          std::optional<host::ItemType> expected = std::nullopt);

  // Resolves the reference in `session`: by entry and store ID, else by
  // path; a folder whose current name differs from Name is looked up again
  // by path, and the result must bear Name (when Name is set). nullptr when
  // nothing fits. Never raises.
  std::shared_ptr<host::MAPIFolder> GetFolder(host::NameSpace& session) const;
  // The same in the connected add-in's session; nullptr without one.
  std::shared_ptr<host::MAPIFolder> GetFolder() const;

  // Writes the four fields as text user properties "OutlookFolderName",
  // "OutlookFolderEntryID", "OutlookFolderStoreID" and "OutlookFolderPath",
  // each followed by `suffix`, so one item can carry several references.
  // The item is not saved.
  void SaveToOutlookProps(host::Item& item, std::string_view suffix) const;
  // Reads the same properties; an absent one reads as "".
  void GetFromOutlookProps(host::Item& item, std::string_view suffix);
};

}  // namespace zanvoro
