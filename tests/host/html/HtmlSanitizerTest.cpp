#include <gtest/gtest.h>

#include "host/html/HtmlSanitizer.h"

namespace zanvoro::host {
namespace {

TEST(HtmlSanitizer, KeepsFormattingAndDropsWhatRunsOrLoads) {
  struct {
    const char* html;
    const char* kept;  // "" when nothing of it need stay
    const char* gone;
  } cases[] = {
      {"<p onclick=\"x()\" class=\"MsoNormal\">Hi<o:p></o:p></p>",
       "<p class=\"MsoNormal\">Hi<o:p></o:p></p>", "onclick"},
      {"<script>alert(1)</script><b>bold</b>", "<b>bold</b>", "alert"},
      {"<a href=\"java&#x0A;script:alert(1)\">x</a>", "<a>x</a>", "script"},
      {"<a href=\"outlook:00AB\">case</a>", "<a href=\"outlook:00AB\">case</a>", "\x01"},
      {"<img src=\"cid:a@b\" onerror=\"x()\">", "<img src=\"cid:a@b\">", "onerror"},
      {"<img src=\"data:image/gif;base64,R0lG\">", "data:image/gif;base64,R0lG", "\x01"},
      {"<img src=\"data:image/svg+xml,<svg onload=x()>\">", "<img>", "svg"},
      {"<a href=\"data:text/html,<script>x()</script>\">d</a>", "<a>d</a>", "data:"},
      {"<div style=\"color:red\">c</div>", "style=\"color:red\"", "\x01"},
      {"<div style=\"width:expression(x())\">e</div>", "<div>e</div>", "expression"},
      {"<div style=\"background:url('javascript:x()')\">u</div>", "<div>u</div>", "url("},
      {"<style>p{color:red}</style>", "p{color:red}", "\x01"},
      {"<style>@import url(http://a.example/x.css);</style>", "", "@import"},
      {"<iframe src=\"http://a.example\"></iframe>after", "after", "iframe"},
      {"<embed src=\"x.swf\">after the embed", "after the embed", "<embed"},
      {"<form><input name=\"p\"><button>Go</button></form>text", "text", "input"},
      {"<meta http-equiv=\"refresh\" content=\"0;url=http://a.example\">x", "x",
       "refresh"},
      {"<link rel=\"stylesheet\" href=\"http://a.example/x.css\">x", "x", "link"},
      {"<!--[if IE]><script>x()</script><![endif]-->shown", "shown", "<!--"},
      {"<blink><custom-tag>inside</custom-tag></blink>", "inside", "blink"},
      {"<svg><g onload=\"x()\"><text>t</text></g></svg>", "", "onload"},
  };
  for (const auto& c : cases) {
    std::string clean = SanitizeHtml(c.html);
    EXPECT_NE(clean.find(c.kept), std::string::npos) << c.html << "\n" << clean;
    EXPECT_EQ(clean.find(c.gone), std::string::npos) << c.html << "\n" << clean;
    EXPECT_NE(clean.find("<body>"), std::string::npos) << c.html;
  }
}

TEST(HtmlSanitizer, DeepNestingAndGarbageAreSafe) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<div><span>";
  deep += "<script>x()</script>end";
  std::string clean = SanitizeHtml(deep);
  EXPECT_EQ(clean.find("script"), std::string::npos);
  EXPECT_NE(SanitizeHtml(std::string("\xff\xfe<\x01>\0<<", 8)).find("<body>"),
            std::string::npos);
}

}  // namespace
}  // namespace zanvoro::host
