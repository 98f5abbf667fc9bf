#include "intake/cMonitoredFolderDataList.h"

#include <vector>

#include "runtime/Text.h"

namespace zanvoro {

bool cMonitoredFolderDataList::Add(cMonitoredFolderData entry) {
  if (entry.KeyFolderPathOrName.empty()) entry.KeyFolderPathOrName = entry.FolderName;
  if (entry.KeyFolderPathOrName.empty() || items_.Exists(entry.KeyFolderPathOrName)) {
    return false;
  }
  std::string key = entry.KeyFolderPathOrName;
  items_.Add(std::move(key), std::move(entry));
  return true;
}

std::string cMonitoredFolderDataList::ToString() const {
  std::vector<std::string> lines;
  for (const auto& entry : items_) lines.push_back(entry.Value().ToString());
  return Trim(Join(lines, "\r\n"));
}

bool cMonitoredFolderDataList::FromString(std::string_view text) {
  items_.Clear();
  bool older_form = false;
  for (std::string line : Split(Trim(text), "\n")) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (Trim(line).empty()) continue;
    cMonitoredFolderData entry;
    entry.ReadFromString(line);
    if (line.find('|') == std::string::npos) older_form = true;
    Add(std::move(entry));
  }
  return older_form;
}

}  // namespace zanvoro
