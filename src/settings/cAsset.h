// An asset, keyed by name. `AssetComment` is the free comment of a case's
// asset: it travels in the case text form only, never in the asset list's
// own text form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zanvoro {

struct cAsset {
  std::string AssetName;
  std::string AssetField2;
  std::string AssetField3;
  std::string AssetField4;
  std::string AssetField5;
  std::string AssetComment;
  // The settings table row this entry was read from; 0 when it came from
  // elsewhere.
  int32_t ID = 0;

  static constexpr size_t kFieldCount = 5;
  const std::string& ListKey() const { return AssetName; }
  std::vector<std::string> TextFields() const;
  static cAsset FromTextFields(const std::vector<std::string>& fields);
  // The six fields of the case text form: the five above and the comment.
  std::vector<std::string> CaseTextFields() const;
  static cAsset FromCaseTextFields(const std::vector<std::string>& fields);
};

}  // namespace zanvoro
