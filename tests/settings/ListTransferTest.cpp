#include <gtest/gtest.h>

#include "runtime/Error.h"
#include "settings/Csv.h"
#include "settings/ListTransfer.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro {
namespace {

std::vector<std::vector<std::string>> Fields(std::string_view text) {
  std::vector<std::vector<std::string>> rows;
  for (const CsvRecord& record : ReadCsv(text)) rows.push_back(record.fields);
  return rows;
}

using Rows = std::vector<std::vector<std::string>>;

TEST(Csv, ReadsQuotedFieldsAsTheStandardHasThem) {
  struct {
    const char* text;
    Rows rows;
  } cases[] = {
      {"a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}},
      {"a,b\nc,d", {{"a", "b"}, {"c", "d"}}},
      {"\"x, y\",\"say \"\"hi\"\"\"\r\n", {{"x, y", "say \"hi\""}}},
      {"\"two\r\nlines\",z\r\n", {{"two\r\nlines", "z"}}},
      {"a,,\r\n", {{"a", "", ""}}},
      {"\xEF\xBB\xBFName\r\n\r\nAnn\r\n", {{"Name"}, {"Ann"}}},
      {"\"\"\r\n", {{""}}},
      {"Jos\xC3\xA9,\xE2\x82\xAC", {{"Jos\xC3\xA9", "\xE2\x82\xAC"}}},
  };
  for (const auto& c : cases) EXPECT_EQ(Fields(c.text), c.rows) << c.text;
}

TEST(Csv, MalformedTextIsRefusedWithItsLine) {
  struct {
    const char* text;
    const char* line;
  } cases[] = {
      {"a\r\nb\"c\r\n", "line 2:"},
      {"a\r\n\"b\"c\r\n", "line 2:"},
      {"a\r\nb\r\n\"open\r\nstill", "line 3:"},
      {"a\rb", "line 1:"},
      {"ok\r\n\xFF\xFE", "line 2:"},
  };
  for (const auto& c : cases) {
    try {
      ReadCsv(c.text);
      ADD_FAILURE() << "accepted " << c.text;
    } catch (const Error& error) {
      EXPECT_EQ(error.Number(), err::kInvalidProcedureCall);
      EXPECT_NE(error.Description().find(c.line), std::string::npos)
          << error.Description();
    }
  }
}

TEST(Csv, WritingQuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(WriteCsvRecord({"plain", "a,b", "say \"hi\"", "x\ny", ""}),
            "plain,\"a,b\",\"say \"\"hi\"\"\",\"x\ny\",\r\n");
}

TEST(ListTransfer, CallersComeBackUnchangedThroughAFile) {
  cGlobalSettings settings;
  settings.Callers.FromString(
      "ann&colonx@example.com;Ann, \"the\" caller;1;2;IT;ACME;Line 1\nLine 2;Zoe;pw;Gold;"
      "Tom>>tom@example.com||Sue>>sue@example.com:bob@example.com;Bob");
  std::string text_form = settings.Callers.ToString();
  std::string csv = ExportListCsv(settings, SettingsList::Callers);
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
            "Email,Name,Phone,Mobile,Department,Company,Address,Technician,Password,SLA,"
            "AssociatedUsers");

  cGlobalSettings other;
  ImportListCsv(other, SettingsList::Callers, csv);
  EXPECT_EQ(other.Callers.ToString(), text_form);
  EXPECT_EQ(other.Callers.Find("ann:x@example.com")->Address, "Line 1\nLine 2");
}

TEST(ListTransfer, EveryListRoundTrips) {
  cGlobalSettings settings;
  settings.Technicians.FromString("Zoe;zoe@example.com;12.5;1;2;1;pw;Z");
  settings.ProblemTypes.FromString("Printer;Hardware;30;Zoe;Gold;F;P");
  settings.ProblemCategories.FromString("Hardware;10;H");
  settings.Assets.FromString("PC1;Laptop;Linux;ACME;10.0.0.1");
  settings.SLAs.FromString("Gold;High;4");
  settings.FAQs.FromString("Why?;Because.;Hardware;Printer");
  settings.StatusList.FromString("Open\r\nClosed", "\r\n");
  settings.GeneralSettings.SetValue("sdoOwner", "Ann, the owner");
  for (const std::string& name : TransferListNames()) {
    SettingsList list = *TransferListFromName(name);
    cGlobalSettings other;
    ImportListCsv(other, list, ExportListCsv(settings, list));
    EXPECT_EQ(other.ListText(list), settings.ListText(list)) << name;
  }
}

TEST(ListTransfer, ListsAreNamedByTableNameWithOrWithoutItsT) {
  EXPECT_EQ(TransferListFromName("callers"), SettingsList::Callers);
  EXPECT_EQ(TransferListFromName("tCallers"), SettingsList::Callers);
  EXPECT_EQ(TransferListFromName("GENERALSETTINGS"), SettingsList::GeneralSettings);
  EXPECT_EQ(TransferListFromName("NotificationTemplates"), std::nullopt);
  EXPECT_EQ(TransferListFromName("Nothing"), std::nullopt);
}

TEST(ListTransfer, BadFileReportsEveryBadLineAndChangesNothing) {
  cGlobalSettings settings;
  settings.Technicians.FromString("Old;old@example.com");
  std::string before = settings.Technicians.ToString();
  std::string csv =
      "Name,Email,Rate,Phone,Mobile,AdminAccess,Password,Code\r\n"
      "Ann,ann@example.com,10,,,1,,\r\n"   // line 2: fine
      "Bob,bob@example.com,ten,,,1,,\r\n"  // line 3: rate
      "Cy,cy@example.com,5,,,maybe,,\r\n"  // line 4: yes/no
      ",nobody@example.com,,,,,,\r\n"      // line 5: no key
      "ANN,ann2@example.com,,,,,,\r\n"     // line 6: twice
      "Dee,dee@example.com\r\n";           // line 7: too few fields
  try {
    ImportListCsv(settings, SettingsList::Technicians, csv);
    ADD_FAILURE() << "imported a bad file";
  } catch (const Error& error) {
    const std::string& d = error.Description();
    for (const char* line : {"line 3:", "line 4:", "line 5:", "line 6:", "line 7:"}) {
      EXPECT_NE(d.find(line), std::string::npos) << line << " in " << d;
    }
    EXPECT_EQ(d.find("line 2:"), std::string::npos) << d;
    EXPECT_NE(d.find("already on line 2"), std::string::npos) << d;
  }
  EXPECT_EQ(settings.Technicians.ToString(), before);
}

TEST(ListTransfer, WrongHeaderIsRefusedAndAHeaderAloneEmptiesTheList) {
  cGlobalSettings settings;
  settings.SLAs.FromString("Gold;High;4");
  for (const char* csv : {"", "Name,Priority\r\nSilver,Low\r\n",
                          "Priority,Name,ResponseTime\r\nLow,Silver,8\r\n"}) {
    EXPECT_THROW(ImportListCsv(settings, SettingsList::SLAs, csv), Error) << csv;
  }
  EXPECT_EQ(settings.SLAs.ToString(), "Gold;High;4");
  ImportListCsv(settings, SettingsList::SLAs, "name,priority,responsetime\n");
  EXPECT_TRUE(settings.SLAs.IsEmpty());
}

}  // namespace
}  // namespace zanvoro
