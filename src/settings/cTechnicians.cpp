#include "settings/cTechnicians.h"

#include "host/ui/ListControl.h"
#include "runtime/Text.h"

namespace zanvoro {

std::string cTechnicians::GetMatchingTechnicianFullName(std::string_view text) const {
  return Trap("Technicians.GetMatchingTechnicianFullName", std::string{}, [&] {
    std::string wanted = UCase(Trim(text));
    if (wanted.empty()) return std::string{};
    for (const Entry& entry : items_) {
      if (UCase(Trim(entry.Value().Name)).find(wanted) != std::string::npos) {
        return entry.Value().Name;
      }
    }
    return std::string{};
  });
}

std::string cTechnicians::GetNamesFromEmails(std::string_view emails) const {
  return Trap("Technicians.GetNamesFromEmails", std::string{}, [&] {
    std::vector<std::string> names;
    for (const std::string& email : Split(emails, ";")) {
      std::string name = GetTechnicianFullNameFromEmail(Trim(email));
      if (!name.empty()) names.push_back(std::move(name));
    }
    return Join(names, ", ");
  });
}

std::string cTechnicians::GetTechnicianFullNameFromEmail(std::string_view email) const {
  return Trap("Technicians.GetTechnicianFullNameFromEmail", std::string{}, [&] {
    // A technician without an address must not answer for an empty one.
    if (email.empty()) return std::string{};
    std::string wanted = UCase(email);
    for (const Entry& entry : items_) {
      if (UCase(entry.Value().Email) == wanted) return entry.Value().Name;
    }
    return std::string{};
  });
}

std::string cTechnicians::PrimaryTechnician(std::string_view names) const {
  return Trap("Technicians.PrimaryTechnician", std::string{}, [&] {
    for (const std::string& name : Split(names, "/")) {
      if (const cTechnician* technician = Find(Trim(name))) return technician->Name;
    }
    return std::string{};
  });
}

void cTechnicians::FromNames(std::string_view names, const cTechnicians& all) {
  Trap("Technicians.FromNames", [&] {
    items_.Clear();
    for (const std::string& piece : Split(names, "/")) {
      std::string name = Trim(piece);
      if (name.empty()) continue;
      const cTechnician* known = all.Find(name);
      Add(known ? *known : cTechnician{.Name = name});
    }
  });
}

void cTechnicians::LoadTechniciansToDicList(std::string_view names) {
  FromNames(names, cTechnicians{});
}

std::string cTechnicians::Emails() const { return JoinField(&cTechnician::Email, "; "); }

std::string cTechnicians::GetToEmail() const {
  for (const Entry& entry : items_) {
    if (!entry.Value().Email.empty()) return entry.Value().Email;
  }
  return {};
}

std::string cTechnicians::GetBCCEmails() const {
  std::vector<std::string> emails;
  bool recipient_seen = false;  // the first address is on the recipient line
  for (const Entry& entry : items_) {
    const std::string& email = entry.Value().Email;
    if (email.empty()) continue;
    if (recipient_seen) emails.push_back(email);
    recipient_seen = true;
  }
  return Join(emails, "; ");
}

std::string cTechnicians::Mobiles() const { return JoinField(&cTechnician::Mobile, ","); }

std::string cTechnicians::CreatedBy() const { return JoinField(&cTechnician::Name, ","); }

std::string cTechnicians::FullNames() const { return JoinField(&cTechnician::Name, "/"); }

std::string cTechnicians::GetPrimaryTechnicianContactNumber(ContactNumber primary) const {
  const cTechnician* technician = GetItem(0);
  if (!technician) return {};
  return primary == ContactNumber::Mobile ? technician->Mobile : technician->Phone;
}

std::string cTechnicians::GetPrimaryTechnicianFullName() const {
  const cTechnician* technician = GetItem(0);
  return technician ? technician->Name : std::string{};
}

std::string cTechnicians::GetPrimaryTechnicianEmail() const {
  const cTechnician* technician = GetItem(0);
  return technician ? technician->Email : std::string{};
}

Currency cTechnicians::Rates() const {
  return Trap("Technicians.Rates", Currency{}, [&] {
    Currency total;
    for (const Entry& entry : items_) {
      if (__builtin_add_overflow(total.scaled, entry.Value().Rate.scaled,
                                 &total.scaled)) {
        throw OverflowError();
      }
    }
    return total;
  });
}

void cTechnicians::PopulateComboList(host::ListControl& control) const {
  Trap("Technicians.PopulateComboList", [&] {
    control.Clear();
    for (const Entry& entry : items_) control.AddItem(entry.Value().Name);
  });
}

Array2D cTechnicians::ToArrayLiveUsers() const {
  return Trap("Technicians.ToArrayLiveUsers", Array2D{}, [&] {
    Array2D array(items_.Count(), 2);
    size_t row = 0;
    for (const Entry& entry : items_) {
      array.Set(row, 0, entry.Value().Name);
      array.Set(row, 1, entry.Value().Email);
      ++row;
    }
    return array;
  });
}

}  // namespace zanvoro
