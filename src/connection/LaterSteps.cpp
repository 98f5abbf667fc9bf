#include "connection/LaterSteps.h"

namespace zanvoro {

std::string_view SharedObjectName(SharedObject object) {
  switch (object) {
    case SharedObject::OpenFolderMonitor:
      return "cMonitorOpenFolder";
    case SharedObject::GlobalSettings:
      return "cGlobalSettings";
    case SharedObject::MonitoredFolderSettings:
      return "cMonitoredFolderSettings";
    case SharedObject::SharedCollections:
      return "SharedCollections";
    case SharedObject::MySettings:
      return "cMySettings";
    case SharedObject::HelpdeskFolders:
      return "HelpdeskFolders";
    case SharedObject::UISettings:
      return "cUISettings";
    case SharedObject::FileSystem:
      return "FileSystemObject";
    case SharedObject::ExplorersEventManager:
      return "cExplorersEventManager";
    case SharedObject::SentCopyFoldersM:
      return "cSentCopyFoldersM";
    case SharedObject::MonitorResearchMailbox:
      return "cMonitorResearchMailbox";
    case SharedObject::RemainingCollection:
      return "RemainingCollection";
    case SharedObject::Ribbon:
      return "Ribbon";
    case SharedObject::WordApplication:
      return "WordApplication";
    case SharedObject::DatabaseConnections:
      return "DatabaseConnections";
    case SharedObject::MAPIUtils:
      return "PLWMAPIUtils";
  }
  return "?";
}

}  // namespace zanvoro
