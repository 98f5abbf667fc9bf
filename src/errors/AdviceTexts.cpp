#include "errors/AdviceTexts.h"

#include "runtime/Text.h"

namespace zanvoro {

std::string WritePermissionAdvice(std::string_view folder_marker) {
  constexpr std::string_view kText =
      "You need write permission over the VNH_FOLDER folder to use this feature! "
      "\r\n\r\nTo continue, you would need to request the owner of the folder "
      "<VNH_OWNER> (or other users that have Owner's permission over the folder) to "
      "grant you one \r\nof the following permission levels:\r\n\r\n1) Editor\r\n2) "
      "Publishing Editor, or\r\n3) Owner";
  return Replace(kText, "VNH_FOLDER", folder_marker);
}

std::string CasePermissionAdvice(std::string_view folder_marker) {
  constexpr std::string_view kText =
      "You don't appear to have enough permission over the VNH_FOLDER folder. \r\nTo "
      "continue, you would need to request the owner of the folder <VNH_OWNER>\r\n(or "
      "other users that have owner's permission over the folder) to grant you one "
      "\r\nof the following permission levels:\r\n\r\n1) Author - to be able to "
      "create, read, edit, and delete their own items\r\n2) Editor - to be able to "
      "create, read, edit and delete all cases in the folder\r\n3) Publishing Editor "
      "- Editor + to be able to create sub-folders\r\n4) Owner - Publishing Editor + "
      "to be able to modify permissions for all other users of the folder";
  return Replace(kText, "VNH_FOLDER", folder_marker);
}

std::string PublicFolderSettingAdvice(std::string_view folder_marker) {
  constexpr std::string_view kText =
      "There is an incorrect setting on the VNH_FOLDER public folder,\r\ndue to which "
      "the item can't be saved!\r\n\r\nTo fix this, follow the steps:\r\n1) "
      "Right-click this particular public folder and select properties\r\n2) Select "
      "'Administration' pane\r\n3) Set Drag/Drop posting to : Move/Copy\r\n4) Save "
      "the changes and try agan!";
  return Replace(kText, "VNH_FOLDER", folder_marker);
}

}  // namespace zanvoro
