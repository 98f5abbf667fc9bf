// The asset list, keyed by asset name (letter case ignored), kept in key
// order after a whole-list read: the helpdesk's assets, or the assets of one
// case with a comment each (the case text form). Failures are reported under
// "Assets.<operation>".
#pragma once

#include <string>
#include <string_view>

#include "settings/KeyedList.h"
#include "settings/cAsset.h"

namespace zanvoro {

class cAssets : public KeyedList<cAsset> {
 public:
  cAssets() : KeyedList("Assets", ListOrder::ByKey) {}

  // The case text form: the separators of the list text form, six fields
  // per entry (the five asset fields and the case's comment). FromStringCase
  // replaces the list like FromString; an empty text leaves it as it is.
  void FromStringCase(std::string_view text);
  std::string ToStringCase() const;

  // The first asset in the list's order, nullptr when the list is empty.
  const cAsset* FirstAsset() const { return GetItem(0); }
  // The values of one field over all assets in the list's order, joined by
  // ","; empty values leave no empty item.
  std::string Names() const;
  std::string AssetField2s() const;
  std::string AssetField3s() const;
  std::string AssetField4s() const;
  std::string AssetField5s() const;
  std::string AssetComments() const;

  const cAsset* RandomAsset() const { return RandomEntry("RandomAsset"); }
};

}  // namespace zanvoro
