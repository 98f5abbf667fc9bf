#include "addin/frmNewDB.h"

#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"

namespace zanvoro {

frmNewDB::frmNewDB() : Form("frmNewDB", "Zanvoro Manager for Outlook") {
  Add<host::Label>("lblQuestion")
      .SetCaption("Use an existing helpdesk, or create a new one?");
  auto& existing = Add<host::CommandButton>("cmdExisting");
  existing.SetCaption("Existing helpdesk");
  existing.OnClick([this] {
    answer_ = NewDBAnswer::Existing;
    Unload();
  });
  auto& create = Add<host::CommandButton>("cmdNew");
  create.SetCaption("New helpdesk");
  create.OnClick([this] {
    answer_ = NewDBAnswer::New;
    Unload();
  });
  // Closing the window creates nothing: the existing-helpdesk path is the
  // one that cannot do harm.
  OnLoad([this] { answer_ = NewDBAnswer::Existing; });
}

}  // namespace zanvoro
