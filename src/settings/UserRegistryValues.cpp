#include "settings/UserRegistryValues.h"

#include "settings/modRegistryEntry.h"

namespace zanvoro {

void LoadUserRegistryValues(Dictionary<std::string>& values) {
  values.Clear();
  bool hive = RegistryHive() != nullptr;
  for (const UserRegistryValue& value : kUserRegistryValues) {
    values.Set(value.name,
               hive ? GetRegistryValue(kRegistryApp, "", value.name, value.default_value)
                    : std::string(value.default_value));
  }
}

void StoreUserRegistryValues(const Dictionary<std::string>& values) {
  if (!RegistryHive()) return;
  for (const UserRegistryValue& value : kUserRegistryValues) {
    const std::string* text = values.Find(value.name);
    SetRegistryValue(kRegistryApp, "", value.name, text ? *text : value.default_value);
  }
}

}  // namespace zanvoro
