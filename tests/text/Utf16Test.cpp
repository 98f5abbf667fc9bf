#include <gtest/gtest.h>

#include <string>

#include "runtime/Error.h"
#include "text/Utf16.h"

namespace zanvoro {
namespace {

using namespace std::string_literals;

TEST(Utf16, RoundTripsAsciiAccentsAndCharactersBeyondTheBasicPlane) {
  const std::string text =
      "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xA7 [LF]";  // é € U+1F4E7
  const std::string bytes = Utf8ToUtf16Le(text);
  EXPECT_EQ(bytes, "C\0a\0f\0\xE9\0 \0\xAC\x20 \0\x3D\xD8\xE7\xDC \0[\0L\0F\0]\0"s);
  EXPECT_EQ(Utf16LeToUtf8(bytes), text);
}

TEST(Utf16, KeepsAByteOrderMarkAsACharacter) {
  EXPECT_EQ(Utf16LeToUtf8("\xFF\xFE"
                          "A\0"s),
            "\xEF\xBB\xBF"
            "A");
}

TEST(Utf16, RejectsMalformedUtf16WithTheOffendingByte) {
  struct {
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"A\0B"s, "odd number of bytes"},
      {"A\0\x3D\xD8"s, "high surrogate without a low surrogate at byte 2"},
      {"\x3D\xD8"
       "A\0"s,
       "high surrogate without a low surrogate at byte 0"},
      {"A\0\xE7\xDC"s, "low surrogate without a high surrogate at byte 2"},
  };
  for (const auto& c : cases) {
    try {
      Utf16LeToUtf8(c.bytes);
      ADD_FAILURE() << "accepted: " << c.reason;
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), err::kInvalidProcedureCall);
      EXPECT_NE(e.Description().find(c.reason), std::string::npos) << e.Description();
    }
  }
}

TEST(Utf16, RejectsMalformedUtf8) {
  const char* cases[] = {
      "\x80",              // continuation byte first
      "\xC3",              // cut short at the end
      "\xC3(",             // cut short inside
      "\xC0\xAF",          // overlong "/"
      "\xED\xA0\x80",      // a surrogate in UTF-8
      "\xF4\x90\x80\x80",  // beyond U+10FFFF
      "\xFF",
  };
  for (const char* c : cases) {
    EXPECT_THROW(Utf8ToUtf16Le(c), Error) << testing::PrintToString(std::string(c));
  }
}

}  // namespace
}  // namespace zanvoro
