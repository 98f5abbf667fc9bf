#include <gtest/gtest.h>

#include <cmath>

#include "case/CaseTestSupport.h"
#include "case/ItemProperty.h"
#include "case/cCase.h"
#include "errors/modErroHandling.h"
#include "host/store/NameSpace.h"
#include "host/store/UserProperties.h"
#include "host/ui/ScriptedRenderer.h"
#include "runtime/Text.h"

namespace zanvoro {
namespace {

using host::FormAction;
using host::UserPropertyType;

const Date kDue = MakeDate({2009, 3, 7, 9, 5, 0});
const Date kCreated = MakeDate({2009, 3, 2, 14, 30, 0});
const Date kReceived = MakeDate({2009, 3, 2, 14, 20, 0});

class CaseRecord : public testsupport::CaseTest {
 protected:
  CaseRecord() {
    Settings().Technicians.Add(cTechnician{.Name = "Bob Jones",
                                           .Email = "bob@example.com",
                                           .Rate = CCur(Variant(40)),
                                           .Mobile = "555-0102"});
    Settings().ProblemTypes.Add(cProblemType{
        .ProblemType = "Printer", .ProblemCategory = "Hardware", .DefaultField = "Tray"});
  }

  // A record with every written field set.
  cCase FullCase() {
    cCase c;
    c.CaseNumber = "42";
    c.Subject = "  Printer jam  ";
    c.HTMLBody = "<html><body><p>The printer jams on every page.</p></body></html>";
    c.Body = "The printer jams on every page.";
    c.Importance = 2;
    c.Status = "In progress";
    c.ProblemType = "Printer";
    c.ProblemCategory = "Hardware";
    c.ProblemField = "Tray 2";
    c.ProblemTypeRecord = *Settings().ProblemTypes.Find("PrinterHardware");
    c.Technicians.FromNames("Bob Jones/Ann Smith", Settings().Technicians);
    c.Caller = cCaller{.Email = "carol@example.com",
                       .Name = "Carol Diaz",
                       .Phone = "555-0100",
                       .Mobile = "555-0101",
                       .Department = "Accounts",
                       .Company = "Diaz & Co",
                       .Address = "1 Main St"};
    c.Assets.emplace();
    c.Assets->Add(cAsset{"PC-7", "Desktop", "Linux", "Acme", "10.0.0.7", "under desk"});
    c.Assets->Add(cAsset{"PR-1", "Printer", "", "Acme", "10.0.0.9", "2nd floor"});
    c.AssociatedUsers.emplace();
    c.AssociatedUsers->Add({"Dan Diaz", "dan@example.com"});
    c.DueDate = kDue;
    c.DateCreated = kCreated;
    c.ReceivedDate = kReceived;
    c.Origin = "Email";
    c.ServiceLevel = "Gold";
    c.Notes = "Asked for the model number.";
    for (int n = 1; n <= 10; ++n) *c.CustomField(n) = "value " + std::to_string(n);
    c.Works->Add(cWork{1, kCreated, "Bob Jones", 30, "Looked at it"});
    c.Works->Add(cWork{2, kDue, "Ann Smith", 45, "Cleared the tray"});
    c.Log.emplace();
    c.Log->Add(cLog{1, kCreated, "Ann Smith", "Case created from email "});
    c.RecipientEmailAddress = "help@example.com";
    return c;
  }

  cCase Read(const std::shared_ptr<host::Item>& item) {
    cCase c;
    EXPECT_TRUE(c.GetCaseFromOutlookItem(item, SaveUnsaved::No));
    return c;
  }

  // The stored item of the case numbered `number`.
  std::shared_ptr<host::Item> Stored(const std::string& number) {
    auto item = GetCaseItemFromID(number);
    EXPECT_NE(item, nullptr) << "no case " << number;
    return item;
  }
};

TEST_F(CaseRecord, RoundTripKeepsEveryField) {
  cCase written = FullCase();
  ASSERT_TRUE(written.SetCaseToOutlookItem(RandomUnread::No, DisplayCase::No, nullptr,
                                           CaseState::Open));
  cCase c = Read(Stored("42"));

  EXPECT_EQ(c.EntryID, written.EntryID);
  EXPECT_EQ(c.Subject, "[42] Printer jam");
  EXPECT_NE(c.HTMLBody.find("The printer jams on every page."), std::string::npos);
  EXPECT_EQ(c.Importance, 2);
  EXPECT_EQ(c.Status, "In progress");
  EXPECT_EQ(c.ProblemType, "Printer");
  EXPECT_EQ(c.ProblemCategory, "Hardware");
  EXPECT_EQ(c.ProblemField, "Tray 2");
  ASSERT_TRUE(c.ProblemTypeRecord);
  EXPECT_EQ(c.ProblemTypeRecord->DefaultField, "Tray");
  EXPECT_EQ(c.Technicians.FullNames(), "Bob Jones/Ann Smith");
  EXPECT_EQ(c.Technicians.Emails(), "bob@example.com; ann@example.com");
  EXPECT_EQ(c.Author, "Bob Jones,Ann Smith");
  ASSERT_TRUE(c.Caller);
  EXPECT_EQ(c.Caller->TextFields(), written.Caller->TextFields());
  ASSERT_TRUE(c.Assets);
  EXPECT_EQ(c.Assets->ToStringCase(), written.Assets->ToStringCase());
  ASSERT_TRUE(c.AssociatedUsers);
  EXPECT_EQ(c.AssociatedUsers->ToString(), "Dan Diaz>>dan@example.com");
  EXPECT_EQ(c.DueDate, kDue);
  EXPECT_EQ(c.DateCreated, kCreated);
  EXPECT_EQ(c.ReceivedDate, kReceived);
  EXPECT_EQ(c.Origin, "Email");
  EXPECT_EQ(c.ServiceLevel, "Gold");
  EXPECT_EQ(c.Notes, "Asked for the model number.");
  for (int n = 1; n <= 10; ++n) EXPECT_EQ(*c.CustomField(n), *written.CustomField(n));
  ASSERT_TRUE(c.Works && c.Log);
  EXPECT_EQ(c.Works->SaveValueToXML(), written.Works->SaveValueToXML());
  EXPECT_EQ(c.TimeSpent, "75");
  EXPECT_EQ(c.Log->SaveValueToXML(), written.Log->SaveValueToXML());
  EXPECT_EQ(c.RecipientEmailAddress, "help@example.com");
  EXPECT_FALSE(c.Closed);
  EXPECT_EQ(c.CaseNumber, "42");
  EXPECT_EQ(c.CaseID, c.PrefixCode + "42");
  EXPECT_EQ(c.CaseLink, "<a href=\"outlook:" + c.EntryID + "\"><b>Support Case #" +
                            c.CaseID + "</b></a>");
  EXPECT_FALSE(ErrorReportShown());
}

// The stored forms that views, sorting and searching read beside the fields.
TEST_F(CaseRecord, StoresTheDerivedPropertiesWithTheirTypesAndTexts) {
  cCase written = FullCase();
  ASSERT_TRUE(written.SetCaseToOutlookItem(RandomUnread::No, DisplayCase::No, nullptr,
                                           CaseState::Open));
  auto item = Stored("42");
  struct {
    const char* name;
    UserPropertyType type;
    std::string text;
  } expected[] = {
      {"Case.Closed", UserPropertyType::Text, "0"},
      {"Case.DueDate", UserPropertyType::DateTime, "3/7/2009 9:05:00 AM"},
      {"Case Due", UserPropertyType::Text, "Saturday, March 7, 2009"},
      {"Case.DueDateS", UserPropertyType::Text, "2009\t3\t7\t9\t5"},
      {"Case.CaseNumberS", UserPropertyType::Text, "100000042"},
      {"Case.DateCreated", UserPropertyType::DateTime, "3/2/2009 2:30:00 PM"},
      {"Case.DateCreatedS", UserPropertyType::Text, "2009\t3\t2\t14\t30"},
      {"Case Created", UserPropertyType::Text, "Monday, March 2, 2009"},
      {"Case.Author", UserPropertyType::Text, "Bob Jones,Ann Smith"},
      {"Case.Technicians", UserPropertyType::Text, "Bob Jones/Ann Smith"},
      {"Case.Assets", UserPropertyType::Text,
       "PC-7;Desktop;Linux;Acme;10.0.0.7;under desk:PR-1;Printer;;Acme;10.0.0.9;2nd "
       "floor"},
      {"Case.AssetName", UserPropertyType::Text, "PC-7,PR-1"},
      {"Case.AssetField2", UserPropertyType::Text, "Desktop,Printer"},
      {"Case.AssetField3", UserPropertyType::Text, "Linux"},
      {"Case.AssetComment", UserPropertyType::Text, "under desk,2nd floor"},
      {"Case.TimeSpent", UserPropertyType::Number, "75"},
      {"Case.Body", UserPropertyType::Text, written.SearchText()},
  };
  for (const auto& e : expected) {
    host::UserProperty* property = item->UserProperties().Find(e.name);
    ASSERT_NE(property, nullptr) << e.name;
    EXPECT_EQ(property->Type(), e.type) << e.name;
    EXPECT_EQ(CStr(property->Value()), e.text) << e.name;
  }
  EXPECT_EQ(item->Subject(), "[42] Printer jam");
  EXPECT_EQ(item->Importance(), 2);
  EXPECT_EQ(item->MessageClass(), kCaseMessageClass);
  EXPECT_EQ(item->BodyFormat(), static_cast<int32_t>(host::BodyFormat::HTML));
  EXPECT_EQ(written.CaseID, "42");
}

TEST_F(CaseRecord, SearchTextListsTheCaseValuesLineByLineThenTheBody) {
  cCase c = FullCase();
  c.CaseID = "HW-42";
  c.Technicians.FromNames("Bob Jones", Settings().Technicians);
  c.Assets->Remove("PR-1");
  // The case ID, subject, technicians, problem, caller, technician, assets,
  // priority, status and notes, then the custom fields.
  std::string expected = Replace(
      "HW-42|  Printer jam  |Bob Jones|Hardware|Printer|Carol Diaz|carol@example.com|"
      "555-0100|555-0101|1 Main St|Accounts|Diaz & Co|Bob Jones|bob@example.com|555-0102|"
      "PC-7|Desktop|Linux|Acme|10.0.0.7|under desk|High|In progress|"
      "Asked for the model number.|",
      "|", "\r\n");
  for (int n = 1; n <= 10; ++n) expected += "value " + std::to_string(n) + "\r\n";
  EXPECT_EQ(c.SearchText(), expected + "The printer jams on every page.");
}

TEST_F(CaseRecord, AnEmailReadsAsACaseWithOnlyItsOwnFields) {
  auto mail = Session().GetDefaultFolder(host::DefaultFolder::Inbox)->Items()->Add();
  mail->SetSubject("Printer broken");
  mail->SetBody("It is broken.");
  mail->SetImportance(0);
  mail->Save();
  cCase c = Read(mail);
  EXPECT_EQ(c.Subject, "Printer broken");
  EXPECT_EQ(c.Importance, 0);
  EXPECT_EQ(c.Body, "It is broken.");
  EXPECT_EQ(c.EntryID, mail->EntryID());
  EXPECT_EQ(c.CaseNumber, "");
  EXPECT_EQ(c.Status, "");
  EXPECT_EQ(c.Caller->Name, "");
  EXPECT_FALSE(c.Closed);
  EXPECT_TRUE(c.DueDate.IsZero() && c.DateCreated.IsZero());
  EXPECT_EQ(c.TimeSpent, "0");
  EXPECT_TRUE(c.Technicians.IsEmpty());
  EXPECT_EQ(c.Log->Count() + c.Assets->Count(), 0u);
}

TEST_F(CaseRecord, SavingOnReadGivesTheMessageClassOfCaseClosed) {
  struct {
    const char* closed;  // nullptr: no property
    const char* message_class;
  } cases[] = {
      {"1", kClosedCaseMessageClass}, {" 1 ", kClosedCaseMessageClass},
      {"0", kCaseMessageClass},       {"", kCaseMessageClass},
      {nullptr, kCaseMessageClass},
  };
  for (const auto& test : cases) {
    auto item = Ongoing()->Items()->Add("IPM.Post");
    if (test.closed) {
      WriteItemProperty(*item, "Case.Closed", Variant(test.closed), VarType::String);
    }
    cCase c;
    EXPECT_TRUE(c.GetCaseFromOutlookItem(item, SaveUnsaved::Yes));
    EXPECT_TRUE(item->Saved());
    EXPECT_EQ(item->MessageClass(), test.message_class)
        << (test.closed ? test.closed : "missing");
  }
}

TEST_F(CaseRecord,
       TimeSpentCostIsHoursTimesTheTechniciansRateAndANewCaseWithoutThemNamesNone) {
  cCase c = FullCase();
  c.Technicians.FromNames("Bob Jones", Settings().Technicians);
  c.Works.emplace();
  c.Works->Add(cWork{1, kCreated, "Bob Jones", 90, "Replaced the roller"});
  ASSERT_TRUE(c.SetCaseToOutlookItem(RandomUnread::No, DisplayCase::No, nullptr,
                                     CaseState::Open));
  cCase read = Read(Stored("42"));
  EXPECT_EQ(read.TimeSpent, "90");
  EXPECT_EQ(read.TimeSpentCost, CCur(Variant(60)));

  // A new case without technicians writes no author and no technicians.
  cCase alone = FullCase();
  alone.CaseNumber = "43";
  alone.Technicians.Clear();
  ASSERT_TRUE(alone.SetCaseToOutlookItem(RandomUnread::No, DisplayCase::No, nullptr,
                                         CaseState::Open));
  auto item = Stored("43");
  EXPECT_EQ(item->UserProperties().Find("Case.Author"), nullptr);
  EXPECT_EQ(item->UserProperties().Find("Case.Technicians"), nullptr);
}

TEST_F(CaseRecord, LegacyAssetPropertiesGiveOneAssetOnlyForASingleName) {
  struct {
    const char* asset_name;
    const char* case_text;
  } cases[] = {
      {"PC-7", "PC-7;Desktop;;;;old&semicoloncomment"},
      {"PC-7,PC-8", ""},
  };
  for (const auto& test : cases) {
    auto item = NewOngoingItem();
    WriteItemProperty(*item, "Case.AssetName", Variant(test.asset_name), VarType::String);
    WriteItemProperty(*item, "Case.AssetField2", Variant("Desktop"), VarType::String);
    WriteItemProperty(*item, "Case.AssetComment", Variant("old;comment"),
                      VarType::String);
    item->Save();
    cCase c = Read(item);
    EXPECT_EQ(c.Assets->ToStringCase(), test.case_text) << test.asset_name;
  }
}

TEST_F(CaseRecord, ADateHoldingTextThatIsNoDateIsStoredAsNoDate) {
  auto item = SavedCaseItem(Ongoing(), "7");
  ASSERT_TRUE(WriteItemProperty(*item, "Case.DueDate", Variant("next week, maybe"),
                                VarType::Date));
  item->Save();
  EXPECT_EQ(CStr(item->UserProperties().Find("Case.DueDate")->Value()), "1/1/4501");
  EXPECT_TRUE(Read(item).DueDate.IsNoDate());
}

TEST_F(CaseRecord, ANewCaseIsTaggedWithItsIdAndAnExistingOneKeepsItsSubject) {
  cCase c = FullCase();
  c.CaseID = "HW-17";
  ASSERT_TRUE(c.SetCaseToOutlookItem(RandomUnread::No, DisplayCase::No, nullptr,
                                     CaseState::Open));
  auto item = Stored("42");
  EXPECT_EQ(item->Subject(), "[HW-17] Printer jam");

  item->SetUnRead(false);
  item->Save();
  cCase again = Read(item);
  again.Status = "Waiting";
  ASSERT_TRUE(again.SetCaseToOutlookItem(RandomUnread::No, DisplayCase::No, item,
                                         CaseState::Open));
  auto stored = Stored("42");
  EXPECT_EQ(stored->Subject(), "[HW-17] Printer jam");
  EXPECT_EQ(ReadItemText(*stored, "Case.Status"), "Waiting");
  EXPECT_TRUE(stored->UnRead());
}

TEST_F(CaseRecord, ANewClosedCaseGoesToResolvedClosedAFewDaysAfterItWasMade) {
  cCase c = FullCase();
  ASSERT_TRUE(c.SetCaseToOutlookItem(RandomUnread::Yes, DisplayCase::No, nullptr,
                                     CaseState::Closed));
  auto item = Stored("42");
  EXPECT_EQ(item->Parent()->EntryID(), Resolved()->EntryID());
  EXPECT_EQ(item->MessageClass(), kClosedCaseMessageClass);
  cCase read = Read(item);
  EXPECT_TRUE(read.Closed);
  double days = read.DateClosed.Serial() - kCreated.Serial();
  EXPECT_NEAR(days, std::round(days), 1e-6);
  EXPECT_GE(days, -1e-6);
  EXPECT_LE(days, 4 + 1e-6);
  EXPECT_EQ(ReadItemText(*item, "Case.DateClosedS"), SortableDateText(read.DateClosed));
  EXPECT_EQ(ReadItemText(*item, "Case Closed"), LongDateText(read.DateClosed));
}

TEST_F(CaseRecord, ASaveOnReadAfterAnotherSessionSavedShowsTheConflictAndKeepsTheirs) {
  auto mine = SavedCaseItem(Ongoing(), "8");
  auto theirs = Session().GetItemFromID(mine->EntryID());
  theirs->SetSubject("their change");
  theirs->Save();
  mine->SetSubject("my change");
  Renderer().Script("frmFriendlyError", {FormAction::Click("cmdExit")});

  cCase c;
  EXPECT_FALSE(c.GetCaseFromOutlookItem(mine, SaveUnsaved::Yes));
  const host::Shown* advice = LastShown("frmFriendlyError");
  ASSERT_NE(advice, nullptr) << Renderer().TranscriptText();
  EXPECT_NE(advice->ControlText("lblMessage").find("modified by another user"),
            std::string::npos);
  EXPECT_EQ(Session().GetItemFromID(mine->EntryID())->Subject(), "their change");
}

TEST_F(CaseRecord, AWriteAfterAnotherSessionSavedShowsTheConflictAndKeepsTheirs) {
  auto mine = SavedCaseItem(Ongoing(), "9");
  cCase c = Read(mine);
  auto theirs = Session().GetItemFromID(mine->EntryID());
  WriteItemProperty(*theirs, "Case.Status", Variant("Theirs"), VarType::String);
  theirs->Save();

  c.Status = "Mine";
  EXPECT_FALSE(
      c.SetCaseToOutlookItem(RandomUnread::No, DisplayCase::No, mine, CaseState::Open));
  EXPECT_TRUE(Renderer().Saw("A conflict has evolved!")) << Renderer().TranscriptText();
  EXPECT_EQ(ReadItemText(*Session().GetItemFromID(mine->EntryID()), "Case.Status"),
            "Theirs");
  EXPECT_EQ(c.Status, "Mine");
  EXPECT_FALSE(ErrorReportShown());
}

TEST_F(CaseRecord, WithoutAuthorRightsOnOngoingNoCaseIsMadeAndTheUserIsTold) {
  Ongoing()->SetPermission("ann@example.com", host::Role::Reviewer);
  Renderer().Script("frmErrorKBDialog", {FormAction::Click("cmdExit")});
  cCase c = FullCase();
  EXPECT_FALSE(c.SetCaseToOutlookItem(RandomUnread::No, DisplayCase::No, nullptr,
                                      CaseState::Open));
  const host::Shown* advice = LastShown("frmErrorKBDialog");
  ASSERT_NE(advice, nullptr) << Renderer().TranscriptText();
  std::string message = advice->ControlText("lblMessage");
  EXPECT_NE(message.find("You don't appear to have enough permission over the \\\\"),
            std::string::npos)
      << message;
  EXPECT_EQ(message.find("VNH_"), std::string::npos) << message;
  EXPECT_EQ(Ongoing()->Items()->Count(), 0);
}

TEST_F(CaseRecord, WithoutEditRightsAnExistingCaseIsNotChangedAndTheUserIsTold) {
  auto item = SavedCaseItem(Ongoing(), "10");
  cCase c = Read(item);
  Ongoing()->SetPermission("ann@example.com", host::Role::Reviewer);
  Renderer().Script("frmFriendlyError", {FormAction::Click("cmdExit")});
  c.Status = "Mine";
  EXPECT_FALSE(
      c.SetCaseToOutlookItem(RandomUnread::No, DisplayCase::No, item, CaseState::Open));
  const host::Shown* advice = LastShown("frmFriendlyError");
  ASSERT_NE(advice, nullptr) << Renderer().TranscriptText();
  EXPECT_NE(advice->ControlText("lblMessage").find("enough permission"),
            std::string::npos);
  EXPECT_EQ(ReadItemText(*Session().GetItemFromID(item->EntryID()), "Case.Status"), "");
}

}  // namespace
}  // namespace zanvoro
