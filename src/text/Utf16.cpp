#include "text/Utf16.h"

#include <cstdint>

#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro {
namespace {

constexpr char kSource[] = "Zanvoro.Text";

[[noreturn]] void Malformed(std::string_view what, size_t offset) {
  throw Error(err::kInvalidProcedureCall,
              std::string(what) + " at byte " + std::to_string(offset), kSource);
}

void AppendUnit(std::string& out, uint32_t unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>(unit >> 8);
}

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::string Utf16LeToUtf8(std::string_view bytes) {
  if (bytes.size() % 2 != 0) {
    Malformed("UTF-16LE text with an odd number of bytes ends in half a character",
              bytes.size() - 1);
  }
  auto unit_at = [&](size_t offset) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + 1])) << 8;
  };
  std::string out;
  out.reserve(bytes.size());
  for (size_t offset = 0; offset < bytes.size(); offset += 2) {
    uint32_t unit = unit_at(offset);
    if (IsLowSurrogate(unit)) {
      Malformed("UTF-16LE low surrogate without a high surrogate", offset);
    }
    if (IsHighSurrogate(unit)) {
      if (offset + 2 >= bytes.size() || !IsLowSurrogate(unit_at(offset + 2))) {
        Malformed("UTF-16LE high surrogate without a low surrogate", offset);
      }
      uint32_t low = unit_at(offset + 2);
      unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      offset += 2;
    }
    AppendUtf8(out, unit);
  }
  return out;
}

std::string Utf8ToUtf16Le(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() * 2);
  size_t offset = 0;
  while (offset < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[offset]);
    size_t length = 0;
    uint32_t code_point = 0;
    uint32_t minimum = 0;
    if (lead < 0x80) {
      length = 1;
      code_point = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      code_point = lead & 0x1F;
      minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      code_point = lead & 0x0F;
      minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      code_point = lead & 0x07;
      minimum = 0x10000;
    } else {
      Malformed("UTF-8 text has an invalid lead byte", offset);
    }
    if (offset + length > utf8.size()) {
      Malformed("UTF-8 text ends inside a character", offset);
    }
    for (size_t i = 1; i < length; ++i) {
      const auto next = static_cast<unsigned char>(utf8[offset + i]);
      if ((next & 0xC0) != 0x80) {
        Malformed("UTF-8 character is cut short", offset);
      }
      code_point = (code_point << 6) | (next & 0x3F);
    }
    if (code_point < minimum) Malformed("UTF-8 character in an overlong form", offset);
    if (code_point >= 0xD800 && code_point <= 0xDFFF) {
      Malformed("UTF-8 text encodes a surrogate", offset);
    }
    if (code_point > 0x10FFFF) Malformed("UTF-8 character beyond U+10FFFF", offset);
    if (code_point < 0x10000) {
      AppendUnit(out, code_point);
    } else {
      code_point -= 0x10000;
      AppendUnit(out, 0xD800 + (code_point >> 10));
      AppendUnit(out, 0xDC00 + (code_point & 0x3FF));
    }
    offset += length;
  }
  return out;
}

}  // namespace zanvoro
