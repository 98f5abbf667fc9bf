// The manager settings window of one settings page: a labelled text box
// "txt<option>" per option of the page, filled from the settings in memory
// (which the opening re-read), and Save (cmdSave), which writes every option
// of the page back to the store it belongs to and reads the page's section
// again; Close (cmdClose) leaves without saving. Yes/no options are "1" or
// "0".
//
// Most pages show general settings shared by every technician; page 10
// (personal settings) shows this user's registry values, and page 20 (the
// settings data source) the helpdesk's store choice, with a test button
// (cmdTest) that says what the typed server choice finds. A page without options
// of its own says so in lblInfo.
//
// Every handler follows the failure convention ("ManagerSettings.<control>").
// UI thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/ui/Form.h"
#include "settings/cMySettings.h"

namespace zanvoro {

class cGlobalSettings;

// The option names a settings page shows, in window order.
std::vector<std::string> SettingsPageOptions(int32_t page);
// The page's title ("Notification Options").
std::string SettingsPageTitle(int32_t page);

class frmManagerSettings : public host::Form {
 public:
  frmManagerSettings(cGlobalSettings& settings, int32_t page);

  int32_t Page() const { return page_; }
  // Whether the last Save wrote everything.
  bool Saved() const { return saved_; }

 private:
  std::string Value(const std::string& option) const;
  bool SaveOptions();
  // The store choice as typed on the database page; nullopt (and told)
  // when a number field is not a number or the choice is out of range.
  std::optional<cMySettings> TypedChoice();
  // The database page's test button (cmdTest): what a server choice finds.
  void TestConnection();

  cGlobalSettings& settings_;
  int32_t page_;
  std::vector<std::string> options_;
  bool saved_ = false;
};

}  // namespace zanvoro
