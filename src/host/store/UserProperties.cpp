#include "host/store/UserProperties.h"

#include <unordered_map>
#include <unordered_set>

#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

UserProperty::UserProperty(std::string name, UserPropertyType type)
    : name_(std::move(name)), type_(type), value_(DefaultFor(type)) {}

UserProperty::UserProperty(std::string name, UserPropertyType type, Variant value)
    : name_(std::move(name)), type_(type), value_(std::move(value)) {}

Variant UserProperty::DefaultFor(UserPropertyType type) {
  switch (type) {
    case UserPropertyType::Text:
      return Variant(std::string());
    case UserPropertyType::Number:
      return Variant(0.0);
    case UserPropertyType::Currency:
      return Variant(Currency{});
    case UserPropertyType::DateTime:
      return Variant(Date::NoDate());
    case UserPropertyType::YesNo:
      return Variant(false);
  }
  return Variant();
}

Variant UserProperty::Convert(UserPropertyType type, const Variant& value) {
  try {
    switch (type) {
      case UserPropertyType::Text:
        return Variant(value.IsText() ? value.Text() : CStr(value));
      case UserPropertyType::Number:
        return Variant(CDbl(value));
      case UserPropertyType::Currency:
        return Variant(CCur(value));
      case UserPropertyType::DateTime:
        return Variant(CDate(value));
      case UserPropertyType::YesNo:
        return Variant(CBool(value));
    }
  } catch (const Error& e) {
    if (e.Number() == err::kOverflow) throw;
  }
  throw Error(err::kTypeMismatch,
              "Type mismatch: the value does not fit the property's type.",
              "UserProperty");
}

void UserProperty::SetValue(const Variant& value) { value_ = Convert(type_, value); }

UserProperty* UserProperties::Item(int32_t index) {
  if (index < 1 || index > Count())
    throw Error(err::kSubscriptOutOfRange, "Array index out of bounds.",
                "UserProperties");
  return items_[static_cast<size_t>(index - 1)].get();
}

UserProperty* UserProperties::Find(std::string_view name) {
  for (auto& p : items_) {
    if (TextEquals(p->Name(), name)) return p.get();
  }
  return nullptr;
}

UserProperty* UserProperties::Add(std::string_view name, UserPropertyType type,
                                  bool add_to_folder) {
  if (Trim(name).empty())
    throw Error(err::kInvalidProcedureCall, "A user property needs a name.",
                "UserProperties");
  UserProperty* property = Find(name);
  if (property && property->Type() != type)
    throw Error(
        err::kCallFailed,
        "The property '" + std::string(name) + "' already exists with another type.",
        "UserProperties");
  if (!property) {
    items_.push_back(std::make_unique<UserProperty>(std::string(name), type));
    property = items_.back().get();
  }
  if (add_to_folder) new_folder_fields_.push_back(LCase(name));
  return property;
}

void UserProperties::Remove(int32_t index) {
  Item(index);
  items_.erase(items_.begin() + (index - 1));
}

UserProperties::Changes UserProperties::Diff() const {
  Changes changes;
  std::unordered_map<std::string, const Stored*> stored;
  stored.reserve(stored_.size());
  for (const Stored& s : stored_) stored.emplace(s.key, &s);
  std::unordered_set<std::string> kept;
  kept.reserve(items_.size());
  for (const auto& p : items_) {
    std::string key = LCase(p->Name());
    auto it = stored.find(key);
    if (it == stored.end() || it->second->type != p->Type() ||
        !(it->second->value == p->Value()))
      changes.set.push_back(p.get());
    for (const std::string& field : new_folder_fields_) {
      if (field == key) changes.folder_fields.push_back(p.get());
    }
    kept.insert(std::move(key));
  }
  for (const Stored& s : stored_) {
    if (!kept.count(s.key)) changes.removed.push_back(s.key);
  }
  return changes;
}

bool UserProperties::Dirty() const {
  if (!new_folder_fields_.empty() || stored_.size() != items_.size()) return true;
  Changes changes = Diff();
  return !changes.set.empty() || !changes.removed.empty();
}

void UserProperties::Mark() {
  stored_.clear();
  stored_.reserve(items_.size());
  for (const auto& p : items_)
    stored_.push_back(Stored{LCase(p->Name()), p->Type(), p->Value()});
  new_folder_fields_.clear();
}

void UserProperties::Load(std::vector<std::unique_ptr<UserProperty>> properties) {
  items_ = std::move(properties);
  Mark();
}

}  // namespace zanvoro::host
