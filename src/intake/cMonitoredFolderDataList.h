// The monitored-folder list: entries keyed by KeyFolderPathOrName (letter
// case ignored), in the order they were added. Stored as one entry per line
// under the general setting "sdoMonitoredEmailFolders". UI thread only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "intake/cMonitoredFolderData.h"
#include "runtime/Dictionary.h"

namespace zanvoro {

inline constexpr const char* kMonitoredFoldersSetting = "sdoMonitoredEmailFolders";

class cMonitoredFolderDataList {
 public:
  size_t Count() const { return items_.Count(); }
  bool IsEmpty() const { return items_.IsEmpty(); }
  bool Exists(std::string_view key) const { return items_.Exists(key); }
  const cMonitoredFolderData* Find(std::string_view key) const {
    return items_.Find(key);
  }
  // Adds `entry` under its key (its FolderName when the key is empty);
  // false, changing nothing, when the key is already listed.
  bool Add(cMonitoredFolderData entry);
  bool Remove(std::string_view key) { return items_.Remove(key); }
  void Clear() { items_.Clear(); }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  // The entries' text forms joined by CR LF.
  std::string ToString() const;
  // Replaces the list by the entries of `text` (lines split at LF, a CR
  // before it dropped, the whole trimmed). Empty lines are skipped; a
  // second entry with a key already listed is ignored. Returns whether an
  // entry was in the older one-field form (its claim key was made now).
  bool FromString(std::string_view text);

 private:
  Dictionary<cMonitoredFolderData> items_;
};

}  // namespace zanvoro
