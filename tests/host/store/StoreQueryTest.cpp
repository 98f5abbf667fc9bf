#include "StoreTestSupport.h"
#include "host/store/Recordset.h"
#include "host/store/UserProperties.h"

namespace zanvoro::host::testing {
namespace {

class StoreQueryTest : public StoreTest {
 protected:
  void SetUp() override {
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
    } rows[] = {
        {"41", "Open", 30, 39879.5, "Printer jam"},
        {"42", "Closed", 90, 39880.5, "O'Brien's laptop"},
        {"43", "open", 0, 39881.5, "Mail down"},
    };
    for (const auto& r : rows) {
      auto item = folder_->Items()->Add("IPM.Post.PLWSupportCase");
      item->SetSubject(r.subject);
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

TEST_F(StoreQueryTest, FindMatchesUserPropertiesInTheFolderOnly) {
  auto items = folder_->Items();
  auto found = items->Find("[Case.CaseNumber] = '42'");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->Subject(), "O'Brien's laptop");
  EXPECT_EQ(items->FindNext(), nullptr);
  EXPECT_EQ(items->Find("[Case.CaseNumber] = '99'"), nullptr);
  EXPECT_EQ(items->Find("[No.Such.Property] = 'x'"), nullptr);
}

TEST_F(StoreQueryTest, FindNextWalksEveryMatchInCreationOrder) {
  auto items = folder_->Items();
  auto first = items->Find("[Case.Status] = 'OPEN'");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Subject(), "Printer jam");
  auto second = items->FindNext();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->Subject(), "Mail down");
  EXPECT_EQ(items->FindNext(), nullptr);
}

TEST_F(StoreQueryTest, RestrictComparesByTheLiteralsKind) {
  struct {
    const char* filter;
    int count;
  } cases[] = {
      {"[Case.TimeSpent] > 20", 2},
      {"[Case.TimeSpent] >= 90", 1},
      {"[Case.DueDate] < '3/9/2009'", 2},
      {"[Case.Status] <> 'open'", 1},
      {"not ([Case.Status] = 'open')", 1},
      {"[Case.Status] = 'Open' and [Case.TimeSpent] = 0", 1},
      {"[Case.Status] = 'Closed' or [Subject] = 'mail DOWN'", 2},
      {"[Subject] = 'O''Brien''s laptop'", 1},
      {"[MessageClass] = 'IPM.Post.PLWSupportCase'", 3},
      {"[Case.TimeSpent] = 'soon'", 0},
      {"@SQL=\"http://schemas.microsoft.com/mapi/string/"
       "{00020329-0000-0000-C000-000000000046}/Case.CaseNumber\" = '43'",
       1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(folder_->Items()->Restrict(c.filter)->Count(), c.count) << c.filter;
}

TEST_F(StoreQueryTest, RestrictOfARestrictionNarrowsBoth) {
  auto open = folder_->Items()->Restrict("[Case.Status] = 'open'");
  auto spent = open->Restrict("[Case.TimeSpent] > 10");
  ASSERT_EQ(spent->Count(), 1);
  EXPECT_EQ(spent->Item(1)->Subject(), "Printer jam");
  EXPECT_NE(spent->Find("[Subject] = 'Printer jam'"), nullptr);
  EXPECT_EQ(spent->Find("[Subject] = 'Mail down'"), nullptr);
}

TEST_F(StoreQueryTest, ARestrictionFollowsLaterSaves) {
  auto open = folder_->Items()->Restrict("[Case.Status] = 'open'");
  EXPECT_EQ(open->Count(), 2);
  auto item = folder_->Items()->Find("[Case.CaseNumber] = '42'");
  item->UserProperties().Find("Case.Status")->SetValue(Variant("Open"));
  item->Save();
  EXPECT_EQ(open->Count(), 3);
}

TEST_F(StoreQueryTest, BadFiltersRaiseInvalidProcedureCall) {
  ExpectError(err::kInvalidProcedureCall,
              [&] { folder_->Items()->Find("[Case.Status] = "); });
  ExpectError(err::kInvalidProcedureCall,
              [&] { folder_->Items()->Restrict("Subject = 'x'"); });
  ExpectError(err::kInvalidProcedureCall, [&] {
    folder_->Items()->Restrict("@SQL=\"urn:schemas:unknown:x\" = 'x'");
  });
}

TEST_F(StoreQueryTest, TableQueryReturnsTheColumnsAsked) {
  Recordset rs = folder_->ExecSQL(
      "Select EntryID, Subject, \"Case.CaseNumber\", \"Case.TimeSpent\" from Folder "
      "where \"Case.Status\" = 'open' order by \"Case.CaseNumber\" desc");
  ASSERT_EQ(rs.RecordCount(), 2u);
  EXPECT_EQ(rs.Fields("Case.CaseNumber").Value, Variant("43"));
  EXPECT_EQ(rs.Fields("Subject").Value, Variant("Mail down"));
  EXPECT_EQ(rs.Fields("EntryID").Value.Text().size(), 48u);
  rs.MoveNext();
  EXPECT_EQ(rs.Fields("Case.CaseNumber").Value, Variant("41"));
  EXPECT_EQ(rs.Fields("Case.TimeSpent").Value, Variant("30"));
  auto item = ns_->GetItemFromID(rs.Fields("EntryID").Value.Text(), folder_->StoreID());
  EXPECT_EQ(item->Subject(), "Printer jam");
}

TEST_F(StoreQueryTest, TableQueryOfAMissingPropertyGivesEmptyValues) {
  Recordset rs =
      folder_->ExecSQL("Select \"Case.Nothing\", LastModificationTime from Folder");
  ASSERT_EQ(rs.RecordCount(), 3u);
  EXPECT_TRUE(rs.Fields(size_t{0}).Value.IsEmpty());
  EXPECT_EQ(rs.Fields(size_t{1}).Value.Type(), VarType::Date);
}

TEST_F(StoreQueryTest, TableQueryWithBadSyntaxRaises) {
  ExpectError(err::kInvalidProcedureCall,
              [&] { folder_->ExecSQL("Select from Folder"); });
  ExpectError(err::kInvalidProcedureCall,
              [&] { folder_->ExecSQL("Select EntryID from Folders"); });
}

}  // namespace
}  // namespace zanvoro::host::testing
