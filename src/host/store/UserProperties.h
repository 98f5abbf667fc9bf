// The named user properties of an item ("Case.CaseNumber"). Owned by the
// item; a UserProperty pointer stays valid until it is removed or the item
// goes. Names compare without regard to case. Changes are kept in memory
// until the item is saved.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/store/StoreTypes.h"
#include "runtime/Variant.h"

namespace zanvoro::host {

class UserProperty {
 public:
  UserProperty(std::string name, UserPropertyType type);
  UserProperty(std::string name, UserPropertyType type, Variant value);

  const std::string& Name() const { return name_; }
  UserPropertyType Type() const { return type_; }
  const Variant& Value() const { return value_; }
  // Converts to the property's type (text: CStr; number: CDbl; currency:
  // CCur; date/time: CDate; yes/no: CBool). A value that cannot be converted
  // raises Error(err::kTypeMismatch) and leaves the value as it was.
  void SetValue(const Variant& value);

  // The value a property of that type starts with: "", 0, 0, 1 January 4501
  // (no date), false.
  static Variant DefaultFor(UserPropertyType type);
  static Variant Convert(UserPropertyType type, const Variant& value);

 private:
  std::string name_;
  UserPropertyType type_;
  Variant value_;
};

class UserProperties {
 public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // 1-based; raises Error(err::kSubscriptOutOfRange) outside 1..Count().
  UserProperty* Item(int32_t index);
  // nullptr when the item has no property of that name.
  UserProperty* Find(std::string_view name);
  // Adds a property with its type's default value; returns the existing one
  // when the name is taken with the same type, and raises
  // Error(err::kCallFailed) when it is taken with another type. With
  // `add_to_folder` the property also becomes a field of the folder.
  UserProperty* Add(std::string_view name, UserPropertyType type,
                    bool add_to_folder = false);
  void Remove(int32_t index);

  // For Item: what changed since the last Mark().
  struct Changes {
    std::vector<const UserProperty*> set;
    std::vector<std::string> removed;
    std::vector<const UserProperty*> folder_fields;
  };
  Changes Diff() const;
  bool Dirty() const;
  void Mark();  // the current values are now the stored ones
  void Load(std::vector<std::unique_ptr<UserProperty>> properties);

 private:
  std::vector<std::unique_ptr<UserProperty>> items_;
  // As stored: name (lower case) -> type and value.
  struct Stored {
    std::string key;
    UserPropertyType type;
    Variant value;
  };
  std::vector<Stored> stored_;
  std::vector<std::string> new_folder_fields_;  // lower-case names
};

}  // namespace zanvoro::host
