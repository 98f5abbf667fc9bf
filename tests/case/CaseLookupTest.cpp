#include <gtest/gtest.h>

#include "case/CaseTestSupport.h"
#include "case/ItemProperty.h"
#include "case/cCase.h"
#include "errors/modErroHandling.h"
#include "host/store/NameSpace.h"
#include "host/store/Recordset.h"

namespace zanvoro {
namespace {

class CaseLookup : public testsupport::CaseTest {};

TEST_F(CaseLookup,
       FindsAClosedCaseOnlyWhenNoOpenCaseHasTheNumberAndUnknownOnesWithoutAnError) {
  SavedCaseItem(Ongoing(), "41");
  auto closed = SavedCaseItem(Resolved(), "42");
  ASSERT_NE(GetCaseItemFromID("42"), nullptr);
  EXPECT_EQ(GetCaseItemFromID("42")->EntryID(), closed->EntryID());

  auto open = SavedCaseItem(Ongoing(), "42");
  EXPECT_EQ(GetCaseItemFromID("42")->EntryID(), open->EntryID());
  for (const char* number : {"43", "", "4'2", "42' or '1' = '1", "'"}) {
    EXPECT_EQ(GetCaseItemFromID(number), nullptr) << number;
  }
  EXPECT_FALSE(ErrorReportShown());
}

TEST_F(CaseLookup, ExistingCaseIdIsTheFirstTagNamingACaseAndGivesItsEntryId) {
  auto item = SavedCaseItem(Resolved(), "17");
  EXPECT_EQ(ExtractExistingCaseID("Re: [99] [HW-17] Printer"), "17");
  EXPECT_EQ(ExtractExistingCaseID("Re: [Urgent] [99] Printer"), "");
  EXPECT_EQ(ExtractExistingCaseID("Re: Printer 17"), "");

  std::string entry_id = "stale";
  EXPECT_EQ(SetPrefixCodeFromCaseID("17", entry_id), "");  // prefix codes are off
  EXPECT_EQ(entry_id, item->EntryID());
  EXPECT_EQ(SetPrefixCodeFromCaseID("43", entry_id), "");
  EXPECT_EQ(entry_id, "");
}

TEST_F(CaseLookup, StoreReadSeesWhatIsStoredNotUnsavedChanges) {
  auto item = SavedCaseItem(Ongoing(), "42");
  WriteItemProperty(*item, "Case.RecipientEmailAddress", Variant("help@example.com"),
                    VarType::String);
  EXPECT_TRUE(ReadItemPropertyMapi(*item, "Case.RecipientEmailAddress", VarType::String)
                  .IsEmpty());
  item->Save();
  EXPECT_EQ(ReadItemPropertyMapi(*item, "case.recipientemailaddress", VarType::String),
            Variant("help@example.com"));
  EXPECT_TRUE(ReadItemPropertyMapi(*NewOngoingItem(), "Case.CaseNumber", VarType::String)
                  .IsEmpty());
  EXPECT_TRUE(EnsureMapiUtils());
}

TEST_F(CaseLookup, ARecordsetRowOpensAndReadsItsCase) {
  auto item = SavedCaseItem(Resolved(), "42");
  host::Recordset rows =
      Resolved()->ExecSQL("Select EntryID from Folder where \"Case.CaseNumber\" = '42'");
  cCase c;
  auto opened = c.GetCaseFromRedemptionRecordset(rows, CaseState::Closed);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->EntryID(), item->EntryID());
  EXPECT_EQ(c.CaseNumber, "42");
  EXPECT_TRUE(c.Closed);
}

TEST_F(CaseLookup, LogEntriesAreNumberedByCountAndSavedWithTheCase) {
  auto item = SavedCaseItem(Ongoing(), "42");
  item->SetUnRead(false);
  item->Save();
  cCase c;
  ASSERT_TRUE(c.GetCaseFromOutlookItem(item, SaveUnsaved::No));
  c.MakeLogEntry(14);
  AddEmailLogEntry("42", 12);

  cLogsList log;
  log.FromXML(ReadItemText(*Session().GetItemFromID(item->EntryID()), "Case.Log"));
  ASSERT_EQ(log.Count(), 2u);
  EXPECT_EQ(log.GetItem(0)->ID, 1);
  EXPECT_EQ(log.GetItem(0)->Description.rfind("Case closed (", 0), 0u);
  EXPECT_EQ(log.GetItem(0)->Technician, "Ann Smith");
  EXPECT_EQ(log.GetItem(1)->ID, 2);
  EXPECT_EQ(log.GetItem(1)->Description.rfind("Email Reply from Caller (", 0), 0u);
  EXPECT_TRUE(Session().GetItemFromID(item->EntryID())->UnRead());
}

TEST_F(CaseLookup, ACallersReplyGivesItsHtmlBodyElseItsPlainBody) {
  auto reply = Session().GetDefaultFolder(host::DefaultFolder::Inbox)->Items()->Add();
  reply->SetSubject("Re: [42] Printer");
  reply->SetBody("still broken");
  cCase c;
  c.subAssignEmailRepliesFromCaller(*reply);
  EXPECT_EQ(c.RepliedEmailBody, "still broken");
  EXPECT_EQ(c.RepliedEmailSubject, "Re: [42] Printer");
  reply->SetHTMLBody("<p>still broken</p><script>alert(1)</script>");
  c.subAssignEmailRepliesFromCaller(*reply);
  EXPECT_NE(c.RepliedEmailBody.find("<p>still broken</p>"), std::string::npos);
  EXPECT_EQ(c.RepliedEmailBody.find("script"), std::string::npos);
  reply->SetHTMLBody("");
  reply->SetBody("a < b\r\nc");
  c.subAssignEmailRepliesFromCaller(*reply);
  EXPECT_EQ(c.RepliedEmailBody, "a &lt; b<br>c");
}

}  // namespace
}  // namespace zanvoro
