// The contact manager: the helpdesk's callers found by any part of their
// name, address, company, department or phone numbers (txtFind, Find; an
// empty text lists everyone), listed in lstContacts (name, address, phone,
// company). Picking one shows all of the caller's details in lblDetails;
// Write (cmdEmail) hands the picked caller's address to the window's mail
// route. Close closes.
//
// Every handler follows the failure convention ("ContactManager.<control>").
// UI thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/ui/Form.h"
#include "settings/cCaller.h"

namespace zanvoro {

class cGlobalSettings;

class frmContactManager : public host::Form {
 public:
  using MailRoute = std::function<void(const cCaller&)>;
  explicit frmContactManager(cGlobalSettings& settings, MailRoute write = {});

  const std::vector<cCaller>& Found() const { return found_; }

 private:
  void Find();
  const cCaller* Picked() const;

  cGlobalSettings& settings_;
  MailRoute write_;
  std::vector<cCaller> found_;
};

}  // namespace zanvoro
