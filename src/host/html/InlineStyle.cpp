#include "host/html/InlineStyle.h"

#include <array>
#include <cctype>
#include <initializer_list>

#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

constexpr std::array<const char*, 4> kSides = {"top", "right", "bottom", "left"};

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string_view TrimSpace(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// Splits at `separator` outside parentheses and quotes, so "url(a;b)" and
// "'a b'" stay whole.
std::vector<std::string_view> SplitOutside(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  int depth = 0;
  char quote = 0;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (depth > 0) --depth;
    } else if (depth == 0 && (c == separator || (separator == ' ' && IsSpace(c)))) {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(text.substr(start));
  return parts;
}

// The value's words: separated by white space outside parentheses.
std::vector<std::string> Words(std::string_view value) {
  std::vector<std::string> words;
  for (std::string_view part : SplitOutside(value, ' '))
    if (!TrimSpace(part).empty()) words.emplace_back(TrimSpace(part));
  return words;
}

bool IsNumberStart(std::string_view word) {
  size_t i = 0;
  if (i < word.size() && (word[i] == '+' || word[i] == '-')) ++i;
  if (i < word.size() && word[i] == '.') ++i;
  return i < word.size() && std::isdigit(static_cast<unsigned char>(word[i]));
}

// "1.0pt" -> "1pt", "3.50pt" -> "3.5pt", ".5pt" -> "0.5pt"; other words
// unchanged.
std::string NormalLength(std::string_view word) {
  if (!IsNumberStart(word)) return std::string(word);
  size_t i = 0;
  std::string sign;
  if (word[0] == '+' || word[0] == '-') {
    if (word[0] == '-') sign = "-";
    i = 1;
  }
  size_t number_end = i;
  while (number_end < word.size() &&
         (std::isdigit(static_cast<unsigned char>(word[number_end])) ||
          word[number_end] == '.'))
    ++number_end;
  std::string number(word.substr(i, number_end - i));
  size_t dot = number.find('.');
  if (dot != std::string::npos && number.find('.', dot + 1) == std::string::npos) {
    while (!number.empty() && number.back() == '0') number.pop_back();
    if (!number.empty() && number.back() == '.') number.pop_back();
    if (number.empty() || number.front() == '.') number.insert(0, "0");
  }
  if (number == "0") sign.clear();
  return sign + number + std::string(word.substr(number_end));
}

// "rgb(181, 196, 223)" -> "#b5c4df"; other words unchanged.
std::string NormalColour(const std::string& word) {
  if (word.rfind("rgb(", 0) != 0 || word.back() != ')') return word;
  std::vector<std::string_view> parts =
      SplitOutside(std::string_view(word).substr(4, word.size() - 5), ',');
  if (parts.size() != 3) return word;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "#";
  for (std::string_view part : parts) {
    part = TrimSpace(part);
    if (part.empty() || part.size() > 3) return word;
    int value = 0;
    for (char c : part) {
      if (!std::isdigit(static_cast<unsigned char>(c))) return word;
      value = value * 10 + (c - '0');
    }
    if (value > 255) return word;
    out += kHex[value / 16];
    out += kHex[value % 16];
  }
  return out;
}

std::string NormalValue(std::string_view value) {
  std::string lower = LCase(TrimSpace(value));
  size_t important = lower.rfind("!important");
  if (important != std::string::npos && TrimSpace(lower.substr(important + 10)).empty())
    lower = std::string(TrimSpace(lower.substr(0, important)));
  std::vector<std::string> words = Words(lower);
  for (std::string& word : words) word = NormalColour(NormalLength(word));
  return Join(words, " ");
}

bool IsBorderStyle(std::string_view word) {
  for (const char* style : {"none", "hidden", "dotted", "dashed", "solid", "double",
                            "groove", "ridge", "inset", "outset"})
    if (word == style) return true;
  return false;
}

bool IsBorderWidth(std::string_view word) {
  return word == "thin" || word == "medium" || word == "thick" || IsNumberStart(word);
}

// The values for top, right, bottom and left from one to four words, as
// the box shorthands give them.
std::array<std::string, 4> BoxValues(const std::vector<std::string>& words) {
  switch (words.size()) {
    case 1:
      return {words[0], words[0], words[0], words[0]};
    case 2:
      return {words[0], words[1], words[0], words[1]};
    case 3:
      return {words[0], words[1], words[2], words[1]};
    default:
      return {words[0], words[1], words[2], words[3]};
  }
}

}  // namespace

InlineStyle::InlineStyle(std::string_view style_attribute) {
  for (std::string_view declaration : SplitOutside(style_attribute, ';')) {
    size_t colon = declaration.find(':');
    if (colon == std::string_view::npos) continue;
    std::string property = LCase(TrimSpace(declaration.substr(0, colon)));
    if (property.empty()) continue;
    Declare(property, NormalValue(declaration.substr(colon + 1)));
  }
}

std::string InlineStyle::Get(std::string_view property) const {
  std::string name = LCase(TrimSpace(property));
  for (const auto& [key, value] : values_)
    if (key == name) return value;
  return {};
}

void InlineStyle::SetLonghand(const std::string& property, std::string value) {
  for (auto& [key, current] : values_) {
    if (key == property) {
      current = std::move(value);
      return;
    }
  }
  values_.emplace_back(property, std::move(value));
}

void InlineStyle::Declare(std::string_view property, std::string_view value) {
  std::vector<std::string> words = Words(value);
  std::string name(property);

  // A side's border: its style, width and colour in any order; what is
  // left out goes back to unset.
  auto set_side_border = [&](const char* side) {
    std::string style, width, colour;
    for (const std::string& word : words) {
      if (IsBorderStyle(word)) {
        style = word;
      } else if (IsBorderWidth(word)) {
        width = word;
      } else {
        colour = word;
      }
    }
    std::string prefix = std::string("border-") + side + "-";
    SetLonghand(prefix + "style", style);
    SetLonghand(prefix + "width", width);
    SetLonghand(prefix + "color", colour);
  };

  if (name == "border") {
    for (const char* side : kSides) set_side_border(side);
    return;
  }
  for (const char* side : kSides) {
    if (name == std::string("border-") + side) {
      set_side_border(side);
      return;
    }
  }
  if (!words.empty()) {
    for (const char* part : {"color", "style", "width"}) {
      if (name != std::string("border-") + part) continue;
      std::array<std::string, 4> box = BoxValues(words);
      for (size_t i = 0; i < kSides.size(); ++i)
        SetLonghand(std::string("border-") + kSides[i] + "-" + part, box[i]);
      return;
    }
    for (const char* box_property : {"padding", "margin"}) {
      if (name != box_property) continue;
      std::array<std::string, 4> box = BoxValues(words);
      for (size_t i = 0; i < kSides.size(); ++i)
        SetLonghand(name + "-" + kSides[i], box[i]);
      return;
    }
  }
  SetLonghand(name, std::string(value));
}

}  // namespace zanvoro::host
