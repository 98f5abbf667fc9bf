#include "StoreTestSupport.h"
#include "host/store/Recordset.h"
#include "host/store/UserProperties.h"
#include "runtime/Text.h"

namespace zanvoro::host::testing {
namespace {

class StoreQueryTest : public BothBackends<> {
 protected:
  void SetUp() override {
    BothBackends::SetUp();
    if (IsSkipped()) return;
    ns_ = OpenAnn();
    folder_ = ns_->GetDefaultFolder(DefaultFolder::Inbox)
                  ->Folders()
                  .Add("Cases", ItemType::Post);
    struct {
      const char* number;
      const char* status;
      double minutes;
      double due;
      const char* subject;
      bool unread;
    } rows[] = {
        {"41", "Open", 30, 39879.5, "Printer jam", true},
        {"42", "Closed", 90, 39880.5, "O'Brien's laptop", false},
        {"43", "open", 0, 39881.5, "x' or 1=1 --", true},
    };
    for (const auto& r : rows) {
      auto item = folder_->Items()->Add("IPM.Post.PLWSupportCase");
      item->SetSubject(r.subject);
      item->SetUnRead(r.unread);
      auto& p = item->UserProperties();
      p.Add("Case.CaseNumber", UserPropertyType::Text)->SetValue(Variant(r.number));
      p.Add("Case.Status", UserPropertyType::Text)->SetValue(Variant(r.status));
      p.Add("Case.TimeSpent", UserPropertyType::Number)->SetValue(Variant(r.minutes));
      p.Add("Case.DueDate", UserPropertyType::DateTime)->SetValue(Variant(Date(r.due)));
      item->Save();
    }
    // An item of another folder never answers.
    auto other = ns_->GetDefaultFolder(DefaultFolder::Inbox)->Items()->Add();
    other->UserProperties()
        .Add("Case.CaseNumber", UserPropertyType::Text)
        ->SetValue(Variant("42"));
    other->Save();
  }

  std::unique_ptr<NameSpace> ns_;
  std::shared_ptr<MAPIFolder> folder_;
};

TEST_P(StoreQueryTest, FindMatchesUserPropertiesInTheFolderOnly) {
  auto items = folder_->Items();
  auto found = items->Find("[Case.CaseNumber] = '42'");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->Subject(), "O'Brien's laptop");
  EXPECT_EQ(items->FindNext(), nullptr);
  EXPECT_EQ(items->Find("[Case.CaseNumber] = '99'"), nullptr);
  EXPECT_EQ(items->Find("[No.Such.Property] = 'x'"), nullptr);
}

// Texts of any length are kept and compared whole, also past the part
// of them an index holds.
TEST_P(StoreQueryTest, LongTextsAreComparedWhole) {
  std::string log(3000, 'a');
  auto item = folder_->Items()->Add();
  item->UserProperties().Add("Case.Log", UserPropertyType::Text)->SetValue(Variant(log + "b"));
  item->Save();
  auto items = folder_->Items();
  EXPECT_NE(items->Find("[Case.Log] = '" + log + "B'"), nullptr);
  EXPECT_EQ(items->Find("[Case.Log] = '" + log + "c'"), nullptr);
  EXPECT_EQ(items->Restrict("[Case.Log] < '" + log + "c'")->Count(), 1);
  EXPECT_EQ(items->Restrict("[Case.Log] > '" + log + "c'")->Count(), 0);
  EXPECT_EQ(ns_->GetItemFromID(item->EntryID())->UserProperties().Find("Case.Log")->Value(),
            Variant(log + "b"));
}

TEST_P(StoreQueryTest, FindNextWalksEveryMatchInCreationOrder) {
  auto items = folder_->Items();
  auto first = items->Find("[Case.Status] = 'OPEN'");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Subject(), "Printer jam");
  auto second = items->FindNext();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->Subject(), "x' or 1=1 --");
  EXPECT_EQ(items->FindNext(), nullptr);
}

// Text compares without regard to case; a user property compares by the
// literal's kind; a standard number or date column takes numbers, numeric
// text and date text, and any other text matches nothing, so its negation
// matches everything.
TEST_P(StoreQueryTest, RestrictComparesByTheLiteralsKind) {
  const std::string dasl =
      "http://schemas.microsoft.com/mapi/string/{00020329-0000-0000-C000-000000000046}/";
  struct {
    std::string filter;
    int count;
  } cases[] = {
      {"[Case.TimeSpent] > 20", 2},
      {"[Case.TimeSpent] >= 90", 1},
      {"[Case.TimeSpent] < '13'", 1},
      {"[Case.TimeSpent] = 'soon'", 0},
      {"not [Case.TimeSpent] = 'soon'", 3},
      {"[Size] = 'big'", 0},
      {"not [Size] = 'big'", 3},
      {"[Case.DueDate] < '3/9/2009'", 2},
      {"[LastModificationTime] > '1/1/2000'", 3},
      {"[LastModificationTime] > 'yesterday-ish'", 0},
      {"not [LastModificationTime] > 'yesterday-ish'", 3},
      {"[Unread] = True", 2},
      {"[Unread] = 'false'", 1},
      {"[Unread] = 0", 1},
      {"[Unread] = 'perhaps'", 0},
      {"[Case.Status] <> 'open'", 1},
      {"not ([Case.Status] = 'open')", 1},
      {"[Case.Status] = 'Open' and [Case.TimeSpent] = 0", 1},
      {"[Case.Status] = 'Closed' or [Subject] = 'PRINTER JAM'", 2},
      {"[Case.TimeSpent] = 30 or [Case.TimeSpent] = 90 and [Unread] = True", 1},
      {"([Case.TimeSpent] = 30 or [Case.TimeSpent] = 90) and [Unread] = False", 1},
      {"[Subject] = 'O''Brien''s laptop'", 1},
      {"[Subject] = \"o'brien's LAPTOP\"", 1},
      {"[MessageClass] = 'IPM.Post.PLWSupportCase'", 3},
      {"[Case.Missing] = 'x'", 0},
      {"@SQL=\"" + dasl + "Case.CaseNumber\" = '43' OR \"Case.TimeSpent\" >= 90", 2},
      // Literals never become SQL.
      {"[Subject] = 'x'' or 1=1 --'", 1},
      {"[Subject] = 'nothing''; DROP TABLE items; --'", 0},
      {"[Case.CaseNumber] = '42'' or ''1''=''1'", 0},
      {"[Case.x' or 1=1 --] = '1'", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(folder_->Items()->Restrict(c.filter)->Count(), c.count) << c.filter;
  EXPECT_EQ(folder_->Items()->Count(), 3);
}

TEST_P(StoreQueryTest, RestrictOfARestrictionNarrowsBoth) {
  auto open = folder_->Items()->Restrict("[Case.Status] = 'open'");
  auto spent = open->Restrict("[Case.TimeSpent] > 10");
  ASSERT_EQ(spent->Count(), 1);
  EXPECT_EQ(spent->Item(1)->Subject(), "Printer jam");
  EXPECT_NE(spent->Find("[Subject] = 'Printer jam'"), nullptr);
  EXPECT_EQ(spent->Find("[Subject] = 'x'' or 1=1 --'"), nullptr);
}

TEST_P(StoreQueryTest, ARestrictionFollowsLaterSaves) {
  auto open = folder_->Items()->Restrict("[Case.Status] = 'open'");
  EXPECT_EQ(open->Count(), 2);
  auto item = folder_->Items()->Find("[Case.CaseNumber] = '42'");
  item->UserProperties().Find("Case.Status")->SetValue(Variant("Open"));
  item->Save();
  EXPECT_EQ(open->Count(), 3);
}

TEST_P(StoreQueryTest, BadFiltersRaiseInvalidProcedureCall) {
  ExpectError(err::kInvalidProcedureCall,
              [&] { folder_->Items()->Find("[Case.Status] = "); });
  ExpectError(err::kInvalidProcedureCall,
              [&] { folder_->Items()->Restrict("Subject = 'x'"); });
  ExpectError(err::kInvalidProcedureCall, [&] {
    folder_->Items()->Restrict("@SQL=\"urn:schemas:unknown:x\" = 'x'");
  });
}

TEST_P(StoreQueryTest, TableQueryReturnsTheColumnsAskedNamedAsWritten) {
  const std::string number =
      "http://schemas.microsoft.com/mapi/string/{00020329-0000-0000-C000-000000000046}/"
      "Case.CaseNumber";
  Recordset rs = folder_->ExecSQL(
      "Select EntryID, Subject, \"" + number +
      "\", \"Case.TimeSpent\", \"Case.Nothing\", LastModificationTime from Folder "
      "where \"Case.Status\" = 'open' and Subject <> 'x'' or 1=1' order by "
      "\"Case.CaseNumber\" desc");
  EXPECT_EQ(rs.FieldNames(),
            (std::vector<std::string>{"EntryID", "Subject", number, "Case.TimeSpent",
                                      "Case.Nothing", "LastModificationTime"}));
  ASSERT_EQ(rs.RecordCount(), 2u);
  EXPECT_EQ(rs.Fields(UCase(number)).Value, Variant("43"));
  EXPECT_EQ(rs.Fields("subject").Value, Variant("x' or 1=1 --"));
  EXPECT_EQ(rs.Fields("EntryID").Value.Text().size(), 48u);
  EXPECT_TRUE(rs.Fields("Case.Nothing").Value.IsEmpty());
  EXPECT_EQ(rs.Fields("LastModificationTime").Value.Type(), VarType::Date);
  rs.MoveNext();
  EXPECT_EQ(rs.Fields(number).Value, Variant("41"));
  EXPECT_EQ(rs.Fields("Case.TimeSpent").Value, Variant("30"));
  auto item = ns_->GetItemFromID(rs.Fields("EntryID").Value.Text(), folder_->StoreID());
  EXPECT_EQ(item->Subject(), "Printer jam");

  rs = folder_->ExecSQL(
      "Select Subject from Folder where (LastModificationTime >= '1/1/2000' and "
      "LastModificationTime <= '12/31/2999 11:59 PM')");
  EXPECT_EQ(rs.RecordCount(), 3u);
  // Both bounds of a range on one property, then a bound on another.
  rs = folder_->ExecSQL(
      "Select \"Case.CaseNumber\", Subject from Folder where \"Case.DueDate\" >= 39880 "
      "and \"Case.DueDate\" < 39881.6 and \"Case.TimeSpent\" > 0 and Subject <> ''");
  ASSERT_EQ(rs.RecordCount(), 1u);
  EXPECT_EQ(rs.Fields("Case.CaseNumber").Value, Variant("42"));
  rs = folder_->ExecSQL(
      "Select Subject from Folder where \"Case.DueDate\" > 39879 and "
      "\"Case.DueDate\" < 39880 or \"Case.CaseNumber\" = '43'");
  EXPECT_EQ(rs.RecordCount(), 2u);
  rs = folder_->ExecSQL(
      "Select EntryID from Folder where Subject = 'Printer jam''; DELETE FROM items; "
      "--'");
  EXPECT_EQ(rs.RecordCount(), 0u);
  EXPECT_EQ(folder_->Items()->Count(), 3);
}

TEST_P(StoreQueryTest, TableQueryWithBadSyntaxRaises) {
  ExpectError(err::kInvalidProcedureCall,
              [&] { folder_->ExecSQL("Select from Folder"); });
  ExpectError(err::kInvalidProcedureCall,
              [&] { folder_->ExecSQL("Select EntryID from Folders"); });
}

INSTANTIATE_TEST_SUITE_P(Stores, StoreQueryTest, StoreBackends(), BackendName);

}  // namespace
}  // namespace zanvoro::host::testing
