#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro {
namespace {

using Pieces = std::vector<std::string>;

TEST(Trim, RemovesSpacesOnly) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\ta\t"), "\ta\t");
  EXPECT_EQ(Trim("    "), "");
  EXPECT_EQ(LTrim("  a  "), "a  ");
  EXPECT_EQ(RTrim("  a  "), "  a");
  EXPECT_EQ(RTrim(""), "");
}

TEST(Split, KeepsEmptyPiecesAndGivesNoneForEmptyText) {
  struct {
    const char* text;
    const char* delimiter;
    Pieces pieces;
  } cases[] = {{"a;;b", ";", {"a", "", "b"}},  {"", ";", {}},
               {";", ";", {"", ""}},           {"abc", ";", {"abc"}},
               {"a::b:c", "::", {"a", "b:c"}}, {"abc", "", {"abc"}},
               {"a;B;", ";", {"a", "B", ""}}};
  for (const auto& c : cases) {
    EXPECT_EQ(Split(c.text, c.delimiter), c.pieces) << '"' << c.text << '"';
    if (*c.text != '\0' && *c.delimiter != '\0') {
      EXPECT_EQ(Join(c.pieces, c.delimiter), c.text);
    }
  }
}

TEST(InStr, FindsOneBasedPositionsOrZeroIgnoringCaseOnlyInTextMode) {
  EXPECT_EQ(InStr("abc", "b"), 2u);
  EXPECT_EQ(InStr("abc", "x"), 0u);
  EXPECT_EQ(InStr(3, "abcabc", "b"), 5u);
  EXPECT_EQ(InStr(6, "abcabc", "c"), 6u);
  EXPECT_EQ(InStr(7, "abcabc", "c"), 0u);
  EXPECT_EQ(InStr("abc", ""), 1u);
  EXPECT_EQ(InStr(4, "abc", ""), 4u);
  EXPECT_EQ(InStr(5, "abc", ""), 0u);
  EXPECT_EQ(InStr("", ""), 0u);
  EXPECT_EQ(InStr("", "a"), 0u);
  EXPECT_EQ(InStr("Re: [HW-17]", "hw", CompareMode::Text), 6u);
  EXPECT_EQ(InStr("Re: [HW-17]", "hw", CompareMode::Binary), 0u);
  EXPECT_EQ(InStr(2, "ÉtÉ", "é", CompareMode::Text), 4u);
  EXPECT_THROW(InStr(0, "abc", "a"), Error);
}

TEST(InStrRev, FindsTheLastOccurrence) {
  EXPECT_EQ(InStrRev("a/b/c", "/"), 4u);
  EXPECT_EQ(InStrRev("a/b/c", "x"), 0u);
  EXPECT_EQ(InStrRev("aXbx", "x", CompareMode::Text), 4u);
  EXPECT_EQ(InStrRev("aXb", "x", CompareMode::Text), 2u);
  EXPECT_EQ(InStrRev("abc", ""), 3u);
  EXPECT_EQ(InStrRev("", "a"), 0u);
}

TEST(Replace, ReplacesEveryOccurrenceWithoutRescanning) {
  EXPECT_EQ(Replace("a.b.c", ".", "-"), "a-b-c");
  EXPECT_EQ(Replace("aa", "a", "aa"), "aaaa");
  EXPECT_EQ(Replace("abc", "", "x"), "abc");
  EXPECT_EQ(Replace("", "a", "x"), "");
  EXPECT_EQ(Replace("x;y", ";", "&semicolon"), "x&semicolony");
  EXPECT_EQ(Replace("Hello HELLO hello", "hello", "bye", CompareMode::Text),
            "bye bye bye");
  EXPECT_EQ(Replace("Hello HELLO hello", "hello", "bye"), "Hello HELLO bye");
}

TEST(Mid, TakesOneBasedSlicesAndLeftAndRightClampToTheText) {
  EXPECT_EQ(Mid("abcdef", 2, 3), "bcd");
  EXPECT_EQ(Mid("abc", 2), "bc");
  EXPECT_EQ(Mid("abc", 3, 10), "c");
  EXPECT_EQ(Mid("abc", 4), "");
  EXPECT_EQ(Mid("abc", 1, 0), "");
  EXPECT_THROW(Mid("abc", 0), Error);
  EXPECT_EQ(Left("abc", 2), "ab");
  EXPECT_EQ(Left("abc", 9), "abc");
  EXPECT_EQ(Right("abc", 2), "bc");
  EXPECT_EQ(Right("abc", 9), "abc");
  EXPECT_EQ(Right("abc", 0), "");
}

TEST(Case, ChangesAsciiAndLatinOneLettersOnly) {
  EXPECT_EQ(UCase("Crème brûlée 1x"), "CRÈME BRÛLÉE 1X");
  EXPECT_EQ(LCase("ÀÉÎÕÜ ÞÇ"), "àéîõü þç");
  EXPECT_EQ(UCase("×÷"), "×÷");
  EXPECT_EQ(LCase("×÷"), "×÷");
  EXPECT_EQ(UCase("straße"), "STRAßE");
  EXPECT_EQ(LCase("ĀŁ"), "ĀŁ");  // beyond Latin-1: kept
}

TEST(TextCompare, IgnoresCaseOfAsciiAndLatinOne) {
  struct {
    const char* a;
    const char* b;
    int sign;
  } cases[] = {{"abc", "ABC", 0},
               {"École", "ÉCOLE", 0},
               {"école", "ÉCOLE", 0},
               {"apple", "Banana", -1},
               {"abc", "ABCD", -1},
               {"b", "A", 1},
               {"a_b", "aB", -1},
               {"", "", 0},
               {"x", "", 1},
               {"×", "÷", -1},
               {"straße", "STRASSE", 1}};
  for (const auto& c : cases) {
    int r = TextCompare(c.a, c.b);
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
    EXPECT_EQ(TextCompare(c.b, c.a) == 0, c.sign == 0);
    EXPECT_EQ(TextEquals(c.a, c.b), c.sign == 0);
    EXPECT_EQ(LCase(c.a) == LCase(c.b), c.sign == 0);
  }
  EXPECT_TRUE(StartsWithText("Re: hello", "RE:"));
  EXPECT_TRUE(StartsWithText("abc", ""));
  EXPECT_FALSE(StartsWithText("Re", "Re:"));
}

TEST(HtmlEscape, EscapesMarkupCharactersAndOptionallyTurnsLineBreaksIntoBreaks) {
  const std::string text = "a<b>&\"c'\r\nd\re\nf";
  EXPECT_EQ(HtmlEscape(text), "a&lt;b&gt;&amp;&quot;c&#39;\r\nd\re\nf");
  EXPECT_EQ(HtmlEscape(text, LineBreaks::AsBreaks),
            "a&lt;b&gt;&amp;&quot;c&#39;<br>d<br>e<br>f");
  std::string html = "<td>";
  AppendHtmlEscaped(html, "x\r", LineBreaks::AsBreaks);
  EXPECT_EQ(html, "<td>x<br>");
  EXPECT_EQ(HtmlEscape("plain"), "plain");
}

TEST(Utf8, CodePointsRoundTripThroughTheirShortestFormAndMalformedBytesAreNotUtf8) {
  struct {
    char32_t code_point;
    const char* bytes;
  } cases[] = {{U'A', "A"},
               {U'\u00e9', "\xC3\xA9"},
               {U'\u20ac', "\xE2\x82\xAC"},
               {U'\U0001F4E7', "\xF0\x9F\x93\xA7"}};
  for (const auto& c : cases) {
    std::string out;
    AppendUtf8(out, c.code_point);
    EXPECT_EQ(out, c.bytes);
    EXPECT_TRUE(IsValidUtf8(out));
  }
  const char* bad[] = {
      "\xC3",              // cut short
      "\xC0\xAF",          // overlong "/"
      "\xE0\x80\xAF",      // overlong, three bytes
      "\xED\xA0\x80",      // a surrogate
      "\xF4\x90\x80\x80",  // past U+10FFFF
      "caf\xE9",           // Latin-1
      "\x80",              // a lone continuation byte
  };
  for (const char* b : bad) EXPECT_FALSE(IsValidUtf8(b)) << b;
  EXPECT_TRUE(IsValidUtf8(""));
}

}  // namespace
}  // namespace zanvoro
