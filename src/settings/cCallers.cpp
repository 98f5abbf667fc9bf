#include "settings/cCallers.h"

#include "runtime/Text.h"

namespace zanvoro {

std::string cCallers::GetCallerNameFromEmail(std::string_view email) const {
  return Trap("Callers.GetCallerNameFromEmail", std::string{}, [&] {
    const cCaller* caller = Find(LCase(email));
    return caller ? caller->Name : std::string{};
  });
}

std::string cCallers::GetCallerEmailByIndex(int64_t index) const {
  const cCaller* caller = GetItem(index);
  return caller ? caller->Email : std::string{};
}

std::string cCallers::GetCallerNameByIndex(int64_t index) const {
  const cCaller* caller = GetItem(index);
  return caller ? caller->Name : std::string{};
}

void cCallers::LoadCallerNamesInDictionary() {
  Trap("Callers.LoadCallerNamesInDictionary", [&] {
    names_.Clear();
    for (const Entry& entry : items_) {
      const cCaller& caller = entry.Value();
      if (!caller.Name.empty() && !names_.Exists(caller.Name)) {
        names_.Add(caller.Name, caller.Email);
      }
    }
  });
}

void cCallers::FromArrayDemo(const Array2D& array) {
  Trap(Location("SetArrayDemo"),
       [&] { ReplaceWith(ArrayRows(array, cCaller::kFieldCount - 1)); });
}

}  // namespace zanvoro
