#include "intake/frmEmailMonitoring.h"

#include "errors/Trap.h"
#include "host/ui/ComboBox.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"
#include "host/ui/ListBox.h"
#include "host/ui/MsgBox.h"
#include "host/ui/TextBox.h"
#include "intake/Monitoring.h"
#include "intake/cMonitoredFolderData.h"
#include "intake/cMonitoredFolderDataList.h"
#include "intake/cMonitoredFolderSettings.h"
#include "runtime/Error.h"
#include "settings/cGlobalSettings.h"
#include "text/Phrases.h"

namespace zanvoro {

frmEmailMonitoring::frmEmailMonitoring(cGlobalSettings& settings)
    : Form("frmEmailMonitoring", CONST_EMAIL_MONITORING_AUTOMATION), settings_(settings) {
  auto& folders = Add<host::ListBox>("lstFolders");
  folders.SetColumnCount(4);
  Add<host::Label>("lblFolder").SetCaption("Folder path or mailbox:");
  Add<host::TextBox>("txtFolder");
  auto& mode = Add<host::ComboBox>("cboMode", host::ComboStyle::DropDownList);
  for (const char* name : {"Both", "New", "Update"}) mode.AddItem(name);
  mode.SetListIndex(0);
  for (const char* name : {"txtCategory", "txtType", "txtTechnician", "txtSLA"})
    Add<host::TextBox>(name);
  auto& add = Add<host::CommandButton>("cmdAdd");
  add.SetCaption("Add");
  add.OnClick([this] {
    Trap("EmailMonitoring.cmdAdd", [&] {
      MonitoredFolderRequest request;
      request.name = Get<host::TextBox>("txtFolder").Text();
      request.mode = Get<host::ComboBox>("cboMode").Text();
      request.category = Get<host::TextBox>("txtCategory").Text();
      request.type = Get<host::TextBox>("txtType").Text();
      request.technician = Get<host::TextBox>("txtTechnician").Text();
      request.sla = Get<host::TextBox>("txtSLA").Text();
      try {
        AddMonitoredFolder(settings_, request);
      } catch (const Error& refused) {
        host::MsgBox(refused.Description(), host::MsgBoxButtons::OK,
                     host::MsgBoxIcon::Exclamation);
        return;
      }
      Get<host::TextBox>("txtFolder").SetText("");
      FillList();
    });
  });
  auto& remove = Add<host::CommandButton>("cmdRemove");
  remove.SetCaption("Remove");
  remove.OnClick([this] {
    Trap("EmailMonitoring.cmdRemove", [&] {
      auto& list_box = Get<host::ListBox>("lstFolders");
      if (list_box.ListIndex() < 0) {
        host::MsgBox("Select a folder or mailbox first.");
        return;
      }
      cMonitoredFolderDataList list = MonitoredFolderList(settings_);
      list.Remove(list_box.List(list_box.ListIndex()));
      if (!WriteMonitoredFolders(settings_, list)) return;
      FillList();
    });
  });
  auto& close = Add<host::CommandButton>("cmdClose");
  close.SetCaption("Close");
  close.OnClick([this] { Unload(); });
  FillList();
}

void frmEmailMonitoring::FillList() {
  auto& folders = Get<host::ListBox>("lstFolders");
  folders.Clear();
  cMonitoredFolderSettings* claims = SharedMonitoredFolderSettings();
  for (const auto& entry : MonitoredFolderList(settings_)) {
    const cMonitoredFolderData& data = entry.Value();
    folders.AddItem(data.KeyFolderPathOrName);
    int row = folders.ListCount() - 1;
    folders.SetCell(row, 1, data.ActionMode);
    folders.SetCell(row, 2, data.Active ? "active" : "inactive");
    folders.SetCell(row, 3, claims ? claims->MonitoredByUser(data.PropertyID) : "");
  }
  Refresh();
}

}  // namespace zanvoro
