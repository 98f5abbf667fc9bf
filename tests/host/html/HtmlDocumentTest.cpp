#include <gtest/gtest.h>

#include <string>

#include "host/html/HtmlDocument.h"
#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

TEST(HtmlDocument, RepairsFragmentsIntoADocumentWithABodyEmptyForNoContent) {
  HtmlDocument doc("Hello <b>there");
  EXPECT_EQ(doc.DocumentElement().TagName(), "html");
  EXPECT_EQ(doc.Body().InnerHTML(), "<p>Hello <b>there</b></p>");
  EXPECT_EQ(doc.Html(), "<html><body><p>Hello <b>there</b></p></body></html>");
  for (const char* text : {"", "   ", "<html></html>", "<!-- only a comment -->"}) {
    HtmlDocument empty(text);
    EXPECT_FALSE(empty.Body().IsNull()) << text;
    EXPECT_EQ(empty.Body().InnerHTML(), "") << text;
  }
}

TEST(HtmlDocument, WritesBackWhatItRead) {
  const std::string body =
      "<p class=\"MsoNormal\" style=\"margin:0\">Caf\xC3\xA9 &amp; "
      "tea&nbsp;&lt;now&gt;</p>"
      "<table border=\"0\"><tbody><tr><td nowrap>x</td></tr></tbody></table>"
      "<img src=\"cid:image 001.png@01D0\" alt=\"a &quot;b&quot;\"><br>"
      "<a href=\"outlook:00AB\">link</a><!-- note -->"
      "<script>if (a < b && c > d) go();</script>";
  HtmlDocument doc("<html><head><style>p {margin:0}</style></head><body>" + body +
                   "</body></html>");
  EXPECT_EQ(doc.Body().InnerHTML(), body);
  EXPECT_EQ(doc.Html(), "<html><head><style>p {margin:0}</style></head><body>" + body +
                            "</body></html>");
}

TEST(HtmlDocument, KeepsPrefixedElementNamesOfTheMailClient) {
  HtmlDocument doc(
      "<p class=MsoNormal><![if "
      "!supportLists]><span>1.</span><![endif]>Item<o:p></o:p></p>"
      "<v:shape o:spid=\"_x0\"></v:shape><!--[if gte mso "
      "9]><xml><o:x/></xml><![endif]-->");
  EXPECT_EQ(doc.Body().InnerHTML(),
            "<p class=\"MsoNormal\"><span>1.</span>Item<o:p></o:p></p>"
            "<v:shape o:spid=\"_x0\"></v:shape>"
            "<!--[if gte mso 9]><xml><o:x/></xml><![endif]-->");
  ASSERT_EQ(doc.GetElementsByTagName("O:P").size(), 1u);
  HtmlDocument quoted("<p title='<o:p> = \"x\"' class = \"a:b\">x<o:p></o:p></p>");
  EXPECT_EQ(quoted.Body().InnerHTML(),
            "<p title=\"<o:p> = &quot;x&quot;\" class=\"a:b\">x<o:p></o:p></p>");
  EXPECT_EQ(doc.GetElementsByTagName("o:p")[0].TagName(), "o:p");
}

TEST(HtmlDocument, FindsElementsByNameInDocumentOrder) {
  HtmlDocument doc("<div id=a><div id=b></div></div><p><div id=c></div></p><DIV id=d>");
  std::string ids;
  for (const HtmlElement& div : doc.GetElementsByTagName("Div"))
    ids += div.GetAttribute("id");
  EXPECT_EQ(ids, "abcd");
  EXPECT_EQ(doc.GetElementsByTagName("*").size(), 7u);  // html, body, p and 4 divs
  EXPECT_TRUE(doc.GetElementsByTagName("span").empty());
}

TEST(HtmlDocument, ReadsAndSetsAttributes) {
  HtmlDocument doc("<img SRC=\"files/a.png\" ALT='&lt;x&gt;' hidden>");
  HtmlElement img = doc.GetElementsByTagName("img").at(0);
  EXPECT_EQ(img.GetAttribute("src"), "files/a.png");
  EXPECT_EQ(img.GetAttribute("Alt"), "<x>");
  EXPECT_TRUE(img.HasAttribute("hidden"));
  EXPECT_EQ(img.GetAttribute("hidden"), "");
  EXPECT_FALSE(img.HasAttribute("width"));
  img.SetAttribute("src", "cid:a.png");
  img.SetAttribute("title", "a & \"b\"");
  EXPECT_EQ(img.OuterHTML(),
            "<img src=\"cid:a.png\" alt=\"<x>\" hidden title=\"a &amp; &quot;b&quot;\">");
}

TEST(HtmlDocument, RemovingAnElementKeepsItReadableAndWithTheFollowingCutsTheRest) {
  HtmlDocument doc("<div><p id=a>one</p><p id=b>two</p></div>");
  HtmlElement first = doc.GetElementsByTagName("p").at(0);
  first.Remove();
  first.Remove();  // a second time changes nothing
  EXPECT_EQ(doc.Body().InnerHTML(), "<div><p id=\"b\">two</p></div>");
  EXPECT_EQ(first.OuterHTML(), "<p id=\"a\">one</p>");
  EXPECT_TRUE(first.ParentElement().IsNull());

  HtmlDocument reply(
      "<div class=outer><p>keep</p><div><p>keep too</p><div id=cut><p>From</p></div>"
      "<p>after in parent</p></div><p>after in outer</p></div><p>after all</p>");
  HtmlElement cut = reply.GetElementsByTagName("div").at(2);
  ASSERT_EQ(cut.GetAttribute("id"), "cut");
  cut.RemoveWithFollowing();
  EXPECT_EQ(reply.Body().InnerHTML(),
            "<div class=\"outer\"><p>keep</p><div><p>keep too</p></div></div>");
}

TEST(HtmlDocument, NullElementReadsEmptyAndRefusesChangesAndHandlesOutliveTheirDocument) {
  HtmlElement none;
  EXPECT_TRUE(none.IsNull());
  EXPECT_EQ(none.TagName(), "");
  EXPECT_EQ(none.InnerHTML(), "");
  EXPECT_EQ(none.GetAttribute("id"), "");
  {
    HtmlDocument doc("<p>still here</p>");
    none = doc.Body();
  }
  EXPECT_EQ(none.InnerHTML(), "<p>still here</p>") << "handles outlive the document";
  none = HtmlElement();
  try {
    none.Remove();
    FAIL() << "Remove on a null element";
  } catch (const Error& error) {
    EXPECT_EQ(error.Number(), err::kObjectRequired);
  }
}

TEST(HtmlDocument, MalformedMarkupNeverFails) {
  const std::string deep_open(200000, '<');
  std::string nested;
  for (int i = 0; i < 20000; ++i) nested += "<div><span>";
  const std::string inputs[] = {
      "<",
      "</",
      "<<<>>>",
      "<div <p>>",
      "</div></body></html><p>late",
      "<o:",
      "<o:p",
      "<![if",
      "<![endif",
      "<!--",
      "<script>never closed",
      "<table><td><tr></table></td>",
      "<p \"=\"\" a=\"b>c",
      "\xC3\x28 invalid \xFF utf-8 \xC2",
      std::string("a\0b", 3),
      "<meta charset=windows-1252><p>\xC3\xA9</p>",
      deep_open,
      nested,
  };
  for (const std::string& input : inputs) {
    HtmlDocument doc(input);
    std::string html = doc.Html();
    EXPECT_EQ(html.rfind("<html>", 0), 0u);
    for (HtmlElement& div : doc.GetElementsByTagName("div")) div.Style();
  }
  HtmlDocument meta(
      "<html><head><meta http-equiv=Content-Type content=\"text/html; "
      "charset=windows-1252\"></head><body>Ren\xC3\xA9</body></html>");
  EXPECT_EQ(meta.Body().InnerHTML(), "Ren\xC3\xA9") << "a meta charset changes nothing";
}

}  // namespace
}  // namespace zanvoro::host
