// A technician list, keyed by name (letter case ignored). The helpdesk's
// list is kept in key order after a whole-list read; the list of a case is
// built from its technician names in their order (FromNames,
// LoadTechniciansToDicList), the first being the primary technician.
// Failures are reported under "Technicians.<operation>".
//
// The joined value lists (Emails, Mobiles, CreatedBy, FullNames, the
// sending addresses) follow the list's order and leave out empty values, so
// no empty item sits between two separators.
#pragma once

#include <string>
#include <string_view>

#include "runtime/Dictionary.h"
#include "settings/KeyedList.h"
#include "settings/cTechnician.h"

namespace zanvoro {

namespace host {
class ListControl;
}  // namespace host

// Which number reaches the primary technician ("sdoTechniciansMobileAsPrimary").
enum class ContactNumber { Phone, Mobile };

class cTechnicians : public KeyedList<cTechnician> {
 public:
  cTechnicians() : KeyedList("Technicians", ListOrder::ByKey) {}

  // The names joined by tabs, for a grid's drop-down choices.
  std::string ToStringTab() const { return JoinKeys("\t"); }
  // A random technician, nullptr when the list is empty.
  const cTechnician* RandomResponsible() const {
    return RandomEntry("RandomResponsible");
  }

  // The name of the first technician whose name, trimmed and upper-cased,
  // contains `text` trimmed and upper-cased; "" when none does or `text` is
  // blank.
  std::string GetMatchingTechnicianFullName(std::string_view text) const;
  // `emails` split at ";", each trimmed and mapped to a technician's name;
  // the names found joined by ", ".
  std::string GetNamesFromEmails(std::string_view emails) const;
  // The name of the technician whose address is `email` (letter case
  // ignored); "" when none is, or `email` is empty.
  std::string GetTechnicianFullNameFromEmail(std::string_view email) const;
  // `names` split at "/": the first (trimmed) that is a technician of this
  // list, as the list spells it; "" when none is.
  std::string PrimaryTechnician(std::string_view names) const;

  // Replaces the list by the technicians named in `names` (split at "/",
  // trimmed, empty pieces skipped, first of a name wins), in that order:
  // each one's entry in `all` when it is there, else an entry with the name
  // alone, so no assigned name is lost.
  void FromNames(std::string_view names, const cTechnicians& all);
  // The same with names only, as a case's technician text is read.
  void LoadTechniciansToDicList(std::string_view names);

  // Addresses joined by "; ".
  std::string Emails() const;
  // The recipient line: the address of the first technician that has one.
  std::string GetToEmail() const;
  // The blind-copy line: every other technician's address, joined by "; ".
  std::string GetBCCEmails() const;
  // Mobile numbers, and names, joined by ",".
  std::string Mobiles() const;
  std::string CreatedBy() const;
  // Names joined by "/", the case's technician text.
  std::string FullNames() const;

  // The primary technician is the first of the list.
  std::string GetPrimaryTechnicianContactNumber(ContactNumber primary) const;
  std::string PrimaryPhone(ContactNumber primary) const {
    return GetPrimaryTechnicianContactNumber(primary);
  }
  std::string GetPrimaryTechnicianFullName() const;
  std::string GetPrimaryTechnicianEmail() const;

  // The rates of the list's technicians added up: the hourly rate of the
  // work on a case whose technicians these are.
  Currency Rates() const;

  // Clears `control` and adds every name in the list's order.
  void PopulateComboList(host::ListControl& control) const;
  // Name and address of every technician, one row each, for the view of
  // who is connected.
  Array2D ToArrayLiveUsers() const;
};

}  // namespace zanvoro
