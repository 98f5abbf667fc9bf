// The advice texts of the known failures, shown by ShowFriendlyError and
// ShowErrorKBDialog. "VNH_FOLDER" in a text is replaced here by the marker of
// the folder concerned ("<VNH_SETTINGFOLDER>", ...), which the advice window
// then resolves to the folder's path.
#pragma once

#include <string>
#include <string_view>

namespace zanvoro {

// A feature needs write access to `folder_marker`'s folder.
std::string WritePermissionAdvice(std::string_view folder_marker);
// Writing cases needs at least Author rights on `folder_marker`'s folder;
// the text lists the four roles that allow it.
std::string CasePermissionAdvice(std::string_view folder_marker);
// A public folder whose drag/drop posting setting keeps items from being
// saved.
std::string PublicFolderSettingAdvice(std::string_view folder_marker);

}  // namespace zanvoro
