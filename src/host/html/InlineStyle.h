// The declarations of an element's inline style attribute, read the way the
// browser's style object reads them: later declarations win over earlier
// ones, and the shorthands "border", "border-top" (and the other sides),
// "border-color", "border-style", "border-width", "padding" and "margin"
// set the longhand properties they stand for. So
//   border:none;border-top:solid #B5C4DF 1.0pt;padding:3.0pt 0cm 0cm 0cm
// reads as border-top-style "solid", border-top-color "#b5c4df" and
// padding-top "3pt".
//
// Values come back normalised: lower-cased, white space collapsed, lengths
// without trailing zero decimals ("1.0pt" is "1pt"), colours written
// rgb(r, g, b) as "#rrggbb", "!important" dropped. A property that no
// declaration sets reads as "". Malformed text never throws: what cannot be
// read as a declaration is skipped.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zanvoro::host {

class InlineStyle {
 public:
  InlineStyle() = default;
  explicit InlineStyle(std::string_view style_attribute);

  // The longhand `property` ("border-top-color", any case); "" when unset.
  std::string Get(std::string_view property) const;

  std::string BorderTopColor() const { return Get("border-top-color"); }
  std::string BorderTopStyle() const { return Get("border-top-style"); }
  std::string BorderTopWidth() const { return Get("border-top-width"); }
  std::string PaddingTop() const { return Get("padding-top"); }

 private:
  void Declare(std::string_view property, std::string_view value);
  void SetLonghand(const std::string& property, std::string value);

  // Longhand name and value, in the order first set.
  std::vector<std::pair<std::string, std::string>> values_;
};

}  // namespace zanvoro::host
