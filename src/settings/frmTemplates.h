// The notification template manager: the helpdesk's templates listed in
// lstTemplates (key, on or off); picking one shows its text in txtTemplate
// and its switch in chkEnabled. Apply keeps the shown text and switch for
// the picked template, Save writes the whole template list through the
// global settings, Restore Default puts the built-in text of the interface
// language back (on Apply), Close leaves without saving.
//
// Every handler follows the failure convention ("Templates.<control>"). UI
// thread only.
#pragma once

#include "host/ui/Form.h"
#include "settings/cMessageTemplates.h"

namespace zanvoro {

class cGlobalSettings;

class frmTemplates : public host::Form {
 public:
  explicit frmTemplates(cGlobalSettings& settings);

  // The templates as the window holds them.
  const cMessageTemplates& Templates() const { return templates_; }

 private:
  void FillList();
  std::string PickedKey() const;

  cGlobalSettings& settings_;
  cMessageTemplates templates_;
};

}  // namespace zanvoro
