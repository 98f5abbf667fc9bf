#include <gtest/gtest.h>

#include "host/mail/HtmlToText.h"

namespace zanvoro::host {
namespace {

TEST(HtmlToText, ReadsMarkupAsAPersonWouldSeeIt) {
  struct {
    const char* html;
    const char* text;
  } cases[] = {
      {"", ""},
      {"plain words", "plain words"},
      {"<p>One</p><p>Two</p>", "One\r\n\r\nTwo"},
      {"<div>One</div><div>Two</div>", "One\r\nTwo"},
      {"<div><div><p>Deep</p></div></div><div>Next</div>", "Deep\r\n\r\nNext"},
      {"a<br>b<br><br>c", "a\r\nb\r\n\r\nc"},
      {"  lots   of\r\n  white\tspace  ", "lots of white space"},
      {"<head><title>T</title><style>p{}</style></head><body>Hi<script>x()</script></"
       "body>",
       "Hi"},
      {"<ul><li>one</li><li>two</li></ul>", "- one\r\n- two"},
      {"<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>", "a b\r\nc"},
      {"Fish &amp; chips &lt;3 &euro;", "Fish & chips <3 \xE2\x82\xAC"},
      {"<a href=\"https://x.example/t\">the ticket</a>",
       "the ticket <https://x.example/t>"},
      {"<a href=\"mailto:a@b.example\">a@b.example</a>", "a@b.example"},
      {"<p>Hi<o:p></o:p></p><p><o:p>&nbsp;</o:p></p><p>Tom<o:p></o:p></p>",
       "Hi\r\n\r\n\xC2\xA0\r\n\r\nTom"},
      {"<p>Answer</p><blockquote><p>Question</p><p>Detail</p></blockquote>",
       "Answer\r\n\r\n> Question\r\n>\r\n> Detail"},
      {"<p>unclosed <b>bold", "unclosed bold"},
      {"<img src=\"cid:x\" alt=\"Logo\"> text", "[Logo] text"},
  };
  for (const auto& c : cases) EXPECT_EQ(HtmlToText(c.html), c.text) << c.html;
}

}  // namespace
}  // namespace zanvoro::host
