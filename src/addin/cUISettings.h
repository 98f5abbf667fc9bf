// Remembered window layouts: sizes, window states, choices and column
// widths of the windows that keep them between runs, as string values under
// "Software\Pellworth\VNH\<section>" of the user's hive (one section per
// window), read back as 16-bit numbers. A value that is absent reads as its
// default.
//
// The eight windows' sections are fixed (UISection); other layouts, such
// as the folder views' column widths, name their own section and values
// (ReadLayout). Reading and saving follow the failure convention (locations
// "UISettings.Read<section>Values", "UISettings.Save<section>Values"): a
// hive that cannot be read gives the defaults, one that cannot be written
// gives false. UI thread only.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "runtime/Dictionary.h"

namespace zanvoro {

enum class UISection {
  SearchCases,
  AssetsList,
  TechniciansList,
  ProblemsList,
  CallersList,
  SelectFAQUI,
  SelectKBUI,
  ReportsUI,
};

// "SearchCases", "AssetsList", ...
std::string_view UISectionName(UISection section);

// One window's values by name (any case), as text.
class WindowLayout {
 public:
  // The value as a 16-bit number; 0 when absent or not a number that fits.
  int16_t Number(std::string_view name) const;
  // The value's text; "" when absent.
  std::string Text(std::string_view name) const;
  void SetNumber(std::string_view name, int32_t value);
  void SetText(std::string_view name, std::string value);
  const Dictionary<std::string>& Values() const { return values_; }

 private:
  Dictionary<std::string> values_;
};

// A value a layout holds and its default text.
struct LayoutValue {
  std::string name;
  std::string default_value;
};

class cUISettings {
 public:
  // Every value of the window's section, absent ones at their defaults.
  static WindowLayout ReadValues(UISection section);
  // Writes every value `layout` holds to the window's section.
  static bool SaveValues(UISection section, const WindowLayout& layout);

  // The values of the window's section with their defaults, in order.
  static std::span<const LayoutValue> SectionValues(UISection section);

  // The same for a section that is not one of the eight.
  static WindowLayout ReadLayout(std::string_view section,
                                 std::span<const LayoutValue> values);
  static bool SaveLayout(std::string_view section, const WindowLayout& layout);
};

}  // namespace zanvoro
