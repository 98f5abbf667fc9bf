#include "addin/frmRealTimeUsers.h"

#include <set>

#include "errors/Trap.h"
#include "errors/modErroHandling.h"
#include "host/os/System.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"
#include "host/ui/ListBox.h"
#include "intake/Monitoring.h"
#include "intake/cMonitoredFolderData.h"
#include "intake/cMonitoredFolderDataList.h"
#include "intake/cMonitoredFolderSettings.h"
#include "runtime/Text.h"
#include "settings/cGlobalSettings.h"
#include "text/Phrases.h"

namespace zanvoro {

frmRealTimeUsers::frmRealTimeUsers(cGlobalSettings& settings)
    : Form("frmRealTimeUsers", CONST_ONLINE_STATUS_TECHS), settings_(settings) {
  Add<host::Label>("lblThisInstance")
      .SetCaption(settings.CurrentUserName + " on " + host::ComputerName() +
                  ", version " + GetVersionString());
  Add<host::ListBox>("lstUsers").SetColumnCount(3);
  auto& refresh = Add<host::CommandButton>("cmdRefresh");
  refresh.SetCaption("Refresh");
  refresh.OnClick([this] { Trap("RealTimeUsers.cmdRefresh", [&] { FillList(); }); });
  auto& close = Add<host::CommandButton>("cmdClose");
  close.SetCaption("Close");
  close.OnClick([this] { Unload(); });
  FillList();
}

void frmRealTimeUsers::FillList() {
  std::set<std::string> working;  // lower-cased names
  if (!settings_.CurrentUserName.empty())
    working.insert(LCase(settings_.CurrentUserName));
  cMonitoredFolderSettings claims;
  for (const auto& entry : MonitoredFolderList(settings_)) {
    std::string user = claims.MonitoredByUser(entry.Value().PropertyID);
    if (!user.empty()) working.insert(LCase(user));
  }
  auto& users = Get<host::ListBox>("lstUsers");
  users.Clear();
  for (const auto& entry : settings_.Technicians) {
    const cTechnician& technician = entry.Value();
    users.AddItem(technician.Name);
    int row = users.ListCount() - 1;
    users.SetCell(row, 1, technician.Email);
    users.SetCell(row, 2, working.count(LCase(technician.Name)) ? "online" : "");
  }
  Refresh();
}

}  // namespace zanvoro
