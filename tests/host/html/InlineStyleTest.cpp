#include <gtest/gtest.h>

#include "host/html/InlineStyle.h"

namespace zanvoro::host {
namespace {

TEST(InlineStyle, ReadsLonghandsAndShorthandsAsTheBrowserDoes) {
  struct {
    const char* style;
    const char* property;
    const char* expected;
  } cases[] = {
      // The mail client's quoted-history frame, as it writes it.
      {"border:none;border-top:solid #B5C4DF 1.0pt;padding:3.0pt 0cm 0cm 0cm",
       "border-top-color", "#b5c4df"},
      {"border:none;border-top:solid #B5C4DF 1.0pt;padding:3.0pt 0cm 0cm 0cm",
       "border-top-style", "solid"},
      {"border:none;border-top:solid #B5C4DF 1.0pt;padding:3.0pt 0cm 0cm 0cm",
       "border-top-width", "1pt"},
      {"border:none;border-top:solid #B5C4DF 1.0pt;padding:3.0pt 0cm 0cm 0cm",
       "padding-top", "3pt"},
      {"border:none;border-top:solid #B5C4DF 1.0pt;padding:3.0pt 0cm 0cm 0cm",
       "padding-left", "0cm"},
      // Spaces, upper case and longhands.
      {"BORDER-TOP-COLOR : #B5C4DF ; PADDING-TOP: 3pt", "border-top-color", "#b5c4df"},
      {"border-top-style:SOLID", "border-top-style", "solid"},
      {"padding-top: 3.00PT !important", "padding-top", "3pt"},
      // Later declarations win; "border" after "border-top" resets it.
      {"border-top:solid red;border:none", "border-top-style", "none"},
      {"border-top:solid red;border:none", "border-top-color", ""},
      {"border:none;border-top-style:dotted", "border-top-style", "dotted"},
      // Box shorthands with one to four values.
      {"padding:1pt 2pt", "padding-bottom", "1pt"},
      {"padding:1pt 2pt 3pt", "padding-left", "2pt"},
      {"border-color:#111 #222 #333 #444", "border-left-color", "#444"},
      {"border-style:solid none", "border-right-style", "none"},
      // Colours and lengths in other forms.
      {"border-top:1.5pt dashed rgb(181, 196, 223)", "border-top-color", "#b5c4df"},
      {"border-top:1.5pt dashed rgb(181, 196, 223)", "border-top-width", "1.5pt"},
      {"border-top:solid windowtext .50pt", "border-top-width", "0.5pt"},
      {"border-top:solid windowtext .50pt", "border-top-color", "windowtext"},
      {"margin:-0.0pt", "margin-top", "0pt"},
      // Unset and unreadable.
      {"color:red", "padding-top", ""},
      {"", "border-top-color", ""},
      {";;:;padding-top;:3pt;padding-top:3pt", "padding-top", "3pt"},
      {"background:url(data:image/png;base64,AAAA);padding-top:2pt", "padding-top",
       "2pt"},
      {"font-family:'a;b';padding-top:2pt", "padding-top", "2pt"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InlineStyle(c.style).Get(c.property), c.expected)
        << c.style << " / " << c.property;
  }
}

TEST(InlineStyle, KeepsOtherPropertiesNormalised) {
  InlineStyle style("Font-Family : 'Tahoma' ,  sans-serif ; COLOR:#1F497D");
  EXPECT_EQ(style.Get("font-family"), "'tahoma' , sans-serif");
  EXPECT_EQ(style.Get("COLOR"), "#1f497d");
}

}  // namespace
}  // namespace zanvoro::host
