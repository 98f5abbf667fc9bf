#include "settings/cAssets.h"

#include "runtime/Text.h"

namespace zanvoro {

void cAssets::FromStringCase(std::string_view text) {
  Trap("Assets.FromStringCase", [&] {
    if (text.empty()) return;
    ReplaceWith(ReadListText(text), &cAsset::FromCaseTextFields);
  });
}

std::string cAssets::ToStringCase() const {
  return Trap("Assets.ToStringCase", std::string{}, [&] {
    std::vector<std::string> entries;
    for (const Entry& entry : items_) {
      entries.push_back(WriteListEntry(entry.Value().CaseTextFields()));
    }
    return Join(entries, kListEntrySeparator);
  });
}

std::string cAssets::Names() const { return JoinField(&cAsset::AssetName, ","); }
std::string cAssets::AssetField2s() const { return JoinField(&cAsset::AssetField2, ","); }
std::string cAssets::AssetField3s() const { return JoinField(&cAsset::AssetField3, ","); }
std::string cAssets::AssetField4s() const { return JoinField(&cAsset::AssetField4, ","); }
std::string cAssets::AssetField5s() const { return JoinField(&cAsset::AssetField5, ","); }
std::string cAssets::AssetComments() const {
  return JoinField(&cAsset::AssetComment, ",");
}

}  // namespace zanvoro
