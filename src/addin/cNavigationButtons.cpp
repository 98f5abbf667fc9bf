#include "addin/cNavigationButtons.h"

#include "case/HelpdeskFolders.h"
#include "host/client/Explorer.h"
#include "runtime/Text.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

struct Navigation {
  const char* command_id;
  HelpdeskFolder folder;
};

constexpr Navigation kNavigations[] = {
    {"cmdHomeOpen", HelpdeskFolder::Ongoing},
    {"cmdHomeResolved", HelpdeskFolder::Resolved},
    {"cmdHomeKB", HelpdeskFolder::KB},
    {"cmdHomeHistory", HelpdeskFolder::History},
};

}  // namespace

std::vector<ButtonDefinition> cNavigationButtons::Buttons() {
  return {
      {"cmdHomeOpen", CONST_ONGOING_CASES_FOLDER, CONST_ONGOING_CASES_FOLDER_TT},
      {"cmdHomeResolved", CONST_RESOLVED_CASES_FOLDER, CONST_RESOLVED_CASES_FOLDER_TT},
      {"cmdHomeKB", CONST_KNOWLEDGE_BASE_FOLDER, CONST_KNOWLEDGE_BASE_FOLDER_TT},
      {"cmdHomeHistory", CONST_EMAIl_HISTORY_FOLDER, CONST_EMAIl_HISTORY_FOLDER_TT},
  };
}

std::optional<HelpdeskFolder> cNavigationButtons::Target(std::string_view command_id) {
  for (const Navigation& navigation : kNavigations) {
    if (TextEquals(navigation.command_id, command_id)) return navigation.folder;
  }
  return std::nullopt;
}

bool cNavigationButtons::Navigate(std::string_view command_id, host::Explorer& explorer) {
  std::optional<HelpdeskFolder> target = Target(command_id);
  if (!target) return false;
  std::shared_ptr<host::MAPIFolder> folder = HelpdeskFolderOf(*target);
  if (!folder) return false;
  explorer.SelectFolder(std::move(folder));
  return true;
}

void cNavigationButtons::subAddButtons(host::CommandBarControls& controls,
                                       IMyEventInterface& receiver) {
  popup_.Add(controls, CONST_NAVIGATE_TO, Buttons(), receiver);
}

}  // namespace zanvoro
