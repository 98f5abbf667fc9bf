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

}  // namespace zanvoro
