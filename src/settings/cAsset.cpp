#include "settings/cAsset.h"

#include "settings/ListText.h"

namespace zanvoro {

std::vector<std::string> cAsset::TextFields() const {
  return {AssetName, AssetField2, AssetField3, AssetField4, AssetField5};
}

cAsset cAsset::FromTextFields(const std::vector<std::string>& fields) {
  cAsset asset;
  ReadListFields(fields, {&asset.AssetName, &asset.AssetField2, &asset.AssetField3,
                          &asset.AssetField4, &asset.AssetField5});
  return asset;
}

std::vector<std::string> cAsset::CaseTextFields() const {
  std::vector<std::string> fields = TextFields();
  fields.push_back(AssetComment);
  return fields;
}

cAsset cAsset::FromCaseTextFields(const std::vector<std::string>& fields) {
  cAsset asset = FromTextFields(fields);
  asset.AssetComment = ListField(fields, 5);
  return asset;
}

}  // namespace zanvoro
