// One monitored folder or mailbox and the defaults its new cases take.
#pragma once

#include <cstdint>
#include <string>

namespace zanvoro {

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
};

}  // namespace zanvoro
