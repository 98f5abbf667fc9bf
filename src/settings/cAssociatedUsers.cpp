#include "settings/cAssociatedUsers.h"

#include "errors/Trap.h"
#include "runtime/Text.h"

namespace zanvoro {

namespace {

constexpr std::string_view kUserSeparator = "||";
constexpr std::string_view kAddressSeparator = ">>";

}  // namespace

bool cAssociatedUsers::Add(AssociatedUser user) {
  if (items_.Exists(user.Name)) return false;
  std::string key = user.Name;
  items_.Add(std::move(key), std::move(user));
  return true;
}

const AssociatedUser* cAssociatedUsers::GetItem(int64_t index) const {
  if (index < 0 || static_cast<uint64_t>(index) >= items_.Count()) return nullptr;
  return &items_.At(static_cast<size_t>(index)).Value();
}

void cAssociatedUsers::FromString(std::string_view text) {
  Trap("AssociatedUsers.FromString", [&] {
    if (text.empty()) return;
    items_.Clear();
    for (const std::string& entry : Split(text, kUserSeparator)) {
      if (entry.empty()) continue;
      AssociatedUser user;
      if (size_t at = InStrRev(entry, kAddressSeparator); at > 0) {
        user.Name = entry.substr(0, at - 1);
        user.Email = entry.substr(at - 1 + kAddressSeparator.size());
      } else {
        user.Name = entry;
      }
      if (user.Name.empty() && user.Email.empty()) continue;
      Add(std::move(user));
    }
    if (items_.Count() > 1) items_.SortByKey();
  });
}

std::string cAssociatedUsers::ToString() const {
  return Trap("AssociatedUsers.ToString", std::string{}, [&] {
    std::vector<std::string> entries;
    for (const auto& entry : items_) {
      const AssociatedUser& user = entry.Value();
      entries.push_back(user.Name + std::string(kAddressSeparator) + user.Email);
    }
    return Join(entries, kUserSeparator);
  });
}

std::string cAssociatedUsers::JoinField(std::string AssociatedUser::*field,
                                        std::string_view separator) const {
  std::vector<std::string> values;
  for (const auto& entry : items_) {
    const std::string& value = entry.Value().*field;
    if (!value.empty()) values.push_back(value);
  }
  return Join(values, separator);
}

std::string cAssociatedUsers::ToEmails() const {
  return Trap("AssociatedUsers.ToEmails", std::string{},
              [&] { return JoinField(&AssociatedUser::Email, ";"); });
}

std::string cAssociatedUsers::ToNames() const {
  return Trap("AssociatedUsers.ToNames", std::string{},
              [&] { return JoinField(&AssociatedUser::Name, ","); });
}

}  // namespace zanvoro
