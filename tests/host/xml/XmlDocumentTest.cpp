#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "host/os/TempDir.h"
#include "host/xml/XmlDocument.h"
#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

using testsupport::TempDir;
using testsupport::WriteFile;

XmlNode AppendTextElement(XmlDocument& doc, XmlNode parent, const char* name,
                          std::string_view text) {
  XmlNode element = doc.CreateElement(name);
  element.SetText(text);
  return parent.AppendChild(element);
}

// The log list's shape: a root, one "Data" per entry, fields by position.
XmlDocument MakeLogs(int entries) {
  XmlDocument doc;
  XmlNode root = doc.AppendChild(doc.CreateElement("Logs"));
  for (int i = 1; i <= entries; ++i) {
    XmlNode data = doc.CreateElement("Data");
    root.AppendChild(data);
    AppendTextElement(doc, data, "ID", std::to_string(i));
    AppendTextElement(doc, data, "Description", "Entry " + std::to_string(i));
  }
  return doc;
}

TEST(XmlDocument, BuiltDocumentPrintsCompactWithoutDeclarationAndAnEmptyRootSelfClosing) {
  XmlDocument doc = MakeLogs(2);
  EXPECT_EQ(doc.Xml(),
            "<Logs><Data><ID>1</ID><Description>Entry 1</Description></Data>"
            "<Data><ID>2</ID><Description>Entry 2</Description></Data></Logs>\r\n");
  EXPECT_EQ(doc.DocumentElement().Xml(),
            "<Logs><Data><ID>1</ID><Description>Entry 1</Description></Data>"
            "<Data><ID>2</ID><Description>Entry 2</Description></Data></Logs>");
  XmlDocument empty = MakeLogs(0);
  EXPECT_EQ(empty.Xml(), "<Logs/>\r\n");
  XmlDocument back;
  ASSERT_TRUE(back.LoadXML(empty.Xml()));
  EXPECT_EQ(back.GetElementsByTagName("Data").Length(), 0u);
  EXPECT_EQ(back.DocumentElement().NodeName(), "Logs");
}

TEST(XmlDocument, TextAndAttributesSurviveRoundTripByteForByte) {
  const std::string tricky =
      "a < b && c > d \"quoted\" 'single'\r\nline\ttab \x01 caf\xC3\xA9 \xE2\x82\xAC "
      "\xF0\x9F\x98\x80 ]]>";
  XmlDocument doc;
  XmlNode root = doc.AppendChild(doc.CreateElement("Root"));
  AppendTextElement(doc, root, "Description", tricky);
  AppendTextElement(doc, root, "Blank", " ");
  root.SetAttribute("note", tricky);
  root.SetAttribute("\xC3\xA9t\xC3\xA9", "summer");

  XmlDocument back;
  ASSERT_TRUE(back.LoadXML(doc.Xml())) << back.ParseError().reason;
  XmlNode loaded = back.DocumentElement();
  EXPECT_EQ(loaded.GetElementsByTagName("Description").Item(0).Text(), tricky);
  EXPECT_EQ(loaded.GetElementsByTagName("Blank").Item(0).Text(), " ");
  EXPECT_EQ(loaded.GetAttribute("note"), tricky);
  EXPECT_EQ(loaded.GetAttribute("\xC3\xA9t\xC3\xA9"), "summer");
  EXPECT_EQ(back.Xml(), doc.Xml());
}

TEST(XmlDocument, MalformedTextLoadsAsEmptyDocumentWithReasonAndLine) {
  const char* inputs[] = {
      "",
      "   ",
      "<Logs>",
      "<Logs><Data></Logs>",
      "<Logs/><Logs/>",
      "text<Logs/>",
      "<Logs/>text",
      "<Logs id=1/>",
      "<Logs",
      "<?xml version=\"1.0\"?>",
      "<Logs><!-- never closed </Logs>",
      "\xFF\xFE\x00<",
      "Not XML at all, just a description",
  };
  for (const char* input : inputs) {
    XmlDocument doc = MakeLogs(1);
    XmlNode old_root = doc.DocumentElement();
    EXPECT_FALSE(doc.LoadXML(input)) << input;
    EXPECT_NE(doc.ParseError().error_code, 0) << input;
    EXPECT_FALSE(doc.ParseError().reason.empty()) << input;
    EXPECT_TRUE(doc.DocumentElement().IsNull()) << input;
    EXPECT_TRUE(old_root.IsNull()) << input;
    EXPECT_EQ(doc.GetElementsByTagName("Data").Length(), 0u) << input;
  }
  XmlDocument doc;
  ASSERT_FALSE(doc.LoadXML("<Logs>\n  <Data></Date>\n</Logs>"));
  EXPECT_EQ(doc.ParseError().line, 2);
  EXPECT_NE(doc.ParseError().reason.find("line 2"), std::string::npos)
      << doc.ParseError().reason;
  ASSERT_TRUE(doc.LoadXML("<Logs/>"));
  EXPECT_EQ(doc.ParseError().error_code, 0);
  EXPECT_EQ(doc.ParseError().reason, "");
}

TEST(XmlDocument, ChildrenAreTakenByPositionInDocumentOrder) {
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXML(
      "<?xml version=\"1.0\"?>\n<Logs>\n  <Data>\n    <ID>1</ID>\n    <Description>first"
      "</Description>\n    <ActionDate>2024\t01\t15\t10\t30</ActionDate>\n"
      "    <Technician>Ann</Technician>\n  </Data>\n  <!-- a comment -->\n"
      "  <Data><ID>2</ID><Nested><Data><ID>3</ID></Data></Nested></Data>\n</Logs>\n"));
  XmlNodeList data = doc.GetElementsByTagName("Data");
  ASSERT_EQ(data.Length(), 3u);
  XmlNodeList fields = data.Item(0).ChildNodes();
  ASSERT_EQ(fields.Length(), 4u);
  EXPECT_EQ(fields.Item(0).NodeName(), "ID");
  EXPECT_EQ(fields.Item(1).Text(), "first");
  EXPECT_EQ(fields.Item(2).Text(), "2024\t01\t15\t10\t30");
  EXPECT_EQ(fields.Item(3).Text(), "Ann");
  EXPECT_EQ(data.Item(1).ChildNodes().Item(0).Text(), "2");
  EXPECT_EQ(data.Item(2).ChildNodes().Item(0).Text(), "3");
  EXPECT_EQ(data.Item(2).ParentNode().NodeName(), "Nested");
  // The comment is a child of the root but has no text of its own there.
  EXPECT_EQ(doc.DocumentElement().ChildNodes().Item(1).NodeType(), XmlNodeType::Comment);
  EXPECT_EQ(doc.DocumentElement().Text(), "1first2024\t01\t15\t10\t30Ann23");
  EXPECT_EQ(doc.GetElementsByTagName("*").Length(), 11u);  // the root too
}

TEST(XmlDocument, MissingNodesAreNullAndNeverCrashAndNodesOutliveTheirDocument) {
  XmlDocument doc;
  EXPECT_TRUE(doc.DocumentElement().IsNull());
  XmlNode missing = doc.DocumentElement().ChildNodes().Item(3);
  EXPECT_TRUE(missing.IsNull());
  EXPECT_EQ(missing.NodeType(), XmlNodeType::Null);
  EXPECT_EQ(missing.NodeName(), "");
  EXPECT_EQ(missing.Text(), "");
  EXPECT_EQ(missing.Xml(), "");
  EXPECT_EQ(missing.ChildNodes().Length(), 0u);
  EXPECT_EQ(missing.GetElementsByTagName("ID").Length(), 0u);
  EXPECT_FALSE(missing.GetAttribute("x").has_value());
  EXPECT_TRUE(missing.FirstChild().NextSibling().ParentNode().IsNull());
  try {
    missing.SetText("x");
    FAIL() << "SetText on a null node succeeded";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), err::kObjectRequired);
  }
  EXPECT_THROW(doc.AppendChild(missing), Error);
  XmlNode root;
  {
    XmlDocument gone = MakeLogs(1);
    root = gone.DocumentElement();
  }
  EXPECT_EQ(root.GetElementsByTagName("ID").Item(0).Text(), "1") << "nodes outlive it";
}

TEST(XmlDocument, DeclarationIsKeptOnlyWhenTheTextHadOne) {
  XmlDocument doc;
  ASSERT_TRUE(
      doc.LoadXML("<?xml version=\"1.0\" encoding=\"windows-1252\"?><a x=\"1\"/>"));
  EXPECT_EQ(doc.Xml(), "<?xml version=\"1.0\"?>\r\n<a x=\"1\"/>\r\n");
  ASSERT_TRUE(doc.LoadXML("<a><![CDATA[<raw> & ]]></a>"));
  EXPECT_EQ(doc.Xml(), "<a><![CDATA[<raw> & ]]></a>\r\n");
  EXPECT_EQ(doc.DocumentElement().Text(), "<raw> & ");
}

// Appending an attached node moves it, one of another document is copied, and
// a created element stays out of the document until appended.
TEST(XmlDocument, AppendingMovesAttachedNodesAndCopiesThoseOfAnotherDocument) {
  XmlDocument doc;
  XmlNode root = doc.AppendChild(doc.CreateElement("r"));
  XmlNode a = root.AppendChild(doc.CreateElement("a"));
  XmlNode b = root.AppendChild(doc.CreateElement("b"));
  XmlNode leaf = a.AppendChild(doc.CreateElement("leaf"));
  b.AppendChild(leaf);
  EXPECT_EQ(doc.Xml(), "<r><a/><b><leaf/></b></r>\r\n");
  EXPECT_EQ(leaf.ParentNode(), b);

  XmlDocument source = MakeLogs(1);
  XmlNode loose = source.CreateElement("Data");
  loose.SetText("loose");
  EXPECT_TRUE(loose.ParentNode().IsNull());
  EXPECT_EQ(source.GetElementsByTagName("Data").Length(), 1u);
  EXPECT_EQ(source.Xml().find("loose"), std::string::npos);
  XmlNode copied = b.AppendChild(source.GetElementsByTagName("Data").Item(0));
  EXPECT_EQ(copied.ParentNode(), b);
  EXPECT_EQ(source.GetElementsByTagName("Data").Length(), 1u);
  EXPECT_EQ(doc.Xml(),
            "<r><a/><b><leaf/><Data><ID>1</ID><Description>Entry "
            "1</Description></Data></b></r>\r\n");
}

TEST(XmlDocument, InvalidStructureIsRefusedWithAnError) {
  XmlDocument doc;
  XmlNode root = doc.AppendChild(doc.CreateElement("r"));
  XmlNode child = root.AppendChild(doc.CreateElement("c"));
  struct {
    const char* what;
    std::function<void()> call;
  } cases[] = {
      {"second top-level element", [&] { doc.AppendChild(doc.CreateElement("r2")); }},
      {"append into own child", [&] { child.AppendChild(root); }},
      {"append to itself", [&] { root.AppendChild(root); }},
      {"element name with space", [&] { doc.CreateElement("bad name"); }},
      {"element name starting with digit", [&] { doc.CreateElement("1st"); }},
      {"empty element name", [&] { doc.CreateElement(""); }},
      {"attribute name with quote", [&] { root.SetAttribute("a\"b", "v"); }},
  };
  for (auto& c : cases) EXPECT_THROW(c.call(), Error) << c.what;
  EXPECT_EQ(doc.Xml(), "<r><c/></r>\r\n");
}

TEST(XmlDocument, SetTextDetachesOldChildrenWithoutInvalidatingThem) {
  XmlDocument doc;
  XmlNode root = doc.AppendChild(doc.CreateElement("r"));
  XmlNode child = AppendTextElement(doc, root, "c", "inner");
  root.SetText("outer");
  EXPECT_EQ(doc.Xml(), "<r>outer</r>\r\n");
  EXPECT_TRUE(child.ParentNode().IsNull());
  EXPECT_EQ(child.Text(), "inner");
  XmlNode text = root.FirstChild();
  EXPECT_EQ(text.NodeType(), XmlNodeType::Text);
  EXPECT_THROW(text.AppendChild(child), Error);
  root.AppendChild(child);
  EXPECT_EQ(doc.Xml(), "<r>outer<c>inner</c></r>\r\n");
}

TEST(XmlDocument, SavesAndLoadsFilesInTheirDeclaredEncodingAndReportsFileErrors) {
  TempDir dir;
  const auto path = dir.Path() / "case.xml";
  XmlDocument doc = MakeLogs(2);
  doc.Save(path);
  XmlDocument back;
  ASSERT_TRUE(back.Load(path)) << back.ParseError().reason;
  EXPECT_EQ(back.Xml(), doc.Xml());
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "case.xml.tmp"));

  WriteFile(dir.Path() / "latin1.xml",
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Caller>Ren\xE9</Caller>");
  ASSERT_TRUE(back.Load(dir.Path() / "latin1.xml")) << back.ParseError().reason;
  EXPECT_EQ(back.DocumentElement().Text(), "Ren\xC3\xA9");

  EXPECT_FALSE(back.Load(dir.Path() / "missing.xml"));
  EXPECT_NE(back.ParseError().reason.find("missing.xml"), std::string::npos);
  try {
    MakeLogs(1).Save(dir.Path() / "no-such-folder" / "x.xml");
    FAIL() << "saving into a missing folder succeeded";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), err::kPathNotFound);
  }
}

}  // namespace
}  // namespace zanvoro::host
