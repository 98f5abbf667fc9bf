#include "host/mail/Charsets.h"

#include <vmime/vmime.hpp>

#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

// The code points of windows-1252's 0x80..0x9F; the five unassigned bytes
// keep their C1 control meaning, as Latin-1 reads them.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsAsciiCharset(const std::string& name) {
  return name.empty() || name == "us-ascii" || name == "ascii" ||
         name == "ansi_x3.4-1968" || name == "utf-8" || name == "utf8";
}

bool IsWesternCharset(const std::string& name) {
  return name == "windows-1252" || name == "cp1252" || name == "iso-8859-1" ||
         name == "latin1" || name == "iso8859-1" || name == "iso_8859-1";
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char ch : bytes) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 0x80)
      out += ch;
    else if (c < 0xA0)
      AppendUtf8(out, kWindows1252High[c - 0x80]);
    else
      AppendUtf8(out, c);
  }
  return out;
}

std::string DecodeToUtf8(std::string_view bytes, std::string_view charset) {
  std::string name = LCase(Trim(charset));
  if (IsAsciiCharset(name)) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    // Mislabelled 8-bit text: the western default is by far the most common.
    return Windows1252ToUtf8(bytes);
  }
  if (IsWesternCharset(name)) return Windows1252ToUtf8(bytes);
  try {
    std::string out;
    vmime::charset::convert(std::string(bytes), out, vmime::charset(name),
                            vmime::charset(vmime::charsets::UTF_8));
    return out;
  } catch (const std::exception&) {
    // A charset the converter does not know must not cost the mail its text.
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return Windows1252ToUtf8(bytes);
  }
}

std::string WithCrlf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace zanvoro::host
