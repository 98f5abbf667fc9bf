#include <fstream>

#include "StoreTestSupport.h"
#include "host/store/Attachments.h"
#include "host/store/Recipients.h"
#include "host/store/UserProperties.h"

namespace zanvoro::host::testing {
namespace {

class ItemTest : public BothBackends<> {};

// A value for every standard property that differs from its default.
Variant SampleValue(const StandardProperty& p) {
  switch (p.kind) {
    case PropKind::Text:
      return Variant("v-" + std::string(p.name) + " \xC3\xA9 'q'");
    case PropKind::Long:
      return Variant(int32_t{static_cast<int32_t>(p.prop) + 2});
    case PropKind::Date:
      return Variant(Date(39879.25 + static_cast<int>(p.prop)));
    case PropKind::Boolean:
      return Variant(true);
  }
  return Variant();
}

TEST_P(ItemTest, EveryStandardPropertyRoundTrips) {
  std::string entry_id;
  {
    auto ns = OpenAnn();
    auto item = ns->GetDefaultFolder(DefaultFolder::Inbox)->Items()->Add();
    for (const StandardProperty& p : StandardProperties())
      item->Set(p.prop, SampleValue(p));
    item->Save();
    entry_id = item->EntryID();
    EXPECT_EQ(entry_id.size(), 48u);
  }
  auto ns = OpenAnn();
  auto item = ns->GetItemFromID(entry_id);
  for (const StandardProperty& p : StandardProperties()) {
    if (p.prop == Prop::LastModificationTime || p.prop == Prop::Size) continue;
    EXPECT_EQ(item->Get(p.prop), SampleValue(p)) << p.name;
  }
  EXPECT_GT(item->Size(), 0);
  EXPECT_TRUE(item->Saved());
}

TEST_P(ItemTest, NewItemsTakeTheClassOfTheirFolder) {
  auto ns = OpenAnn();
  auto inbox = ns->GetDefaultFolder(DefaultFolder::Inbox);
  struct {
    ItemType type;
    const char* message_class;
  } cases[] = {
      {ItemType::Mail, "IPM.Note"},
      {ItemType::Post, "IPM.Post"},
      {ItemType::Appointment, "IPM.Appointment"},
      {ItemType::Contact, "IPM.Contact"},
      {ItemType::Task, "IPM.Task"},
      {ItemType::Note, "IPM.StickyNote"},
  };
  int n = 0;
  for (const auto& c : cases) {
    auto folder = inbox->Folders().Add("f" + std::to_string(n++), c.type);
    EXPECT_EQ(folder->Items()->Add()->MessageClass(), c.message_class);
  }
  EXPECT_EQ(inbox->Items()->Add("IPM.Post.PLWSupportCase")->MessageClass(),
            "IPM.Post.PLWSupportCase");
}

TEST_P(ItemTest, NewItemHasDefaultsAndStandardPropertiesConvertOrRefuse) {
  auto ns = OpenAnn();
  auto item = ns->GetDefaultFolder(DefaultFolder::Inbox)->Items()->Add();
  EXPECT_FALSE(item->Saved());
  EXPECT_EQ(item->EntryID(), "");
  EXPECT_EQ(item->Importance(), 1);
  EXPECT_TRUE(item->DueDate().IsNoDate());
  EXPECT_FALSE(item->UnRead());
  item->Set(Prop::Importance, Variant("2"));
  EXPECT_EQ(item->Importance(), 2);
  item->Set(Prop::Subject, Variant(42.5));
  EXPECT_EQ(item->Subject(), "42.5");
  ExpectError(err::kTypeMismatch, [&] { item->Set(Prop::Importance, Variant("high")); });
  ExpectError(err::kTypeMismatch, [&] { item->Set(Prop::DueDate, Variant("someday")); });
  EXPECT_EQ(item->Importance(), 2);
  item->Save();
  EXPECT_TRUE(item->Saved());
  EXPECT_FALSE(item->ReceivedTime().IsNoDate()) << "a posted item is received when saved";
  EXPECT_GE(item->LastModificationTime(), item->CreationTime());
  item->SetSubject("changed");
  EXPECT_FALSE(item->Saved());
}

TEST_P(ItemTest, UserPropertiesKeepTheirTypesAndValuesOrRefuseOnesThatCannotConvert) {
  std::string entry_id;
  {
    auto ns = OpenAnn();
    auto item = ns->GetDefaultFolder(DefaultFolder::Inbox)->Items()->Add();
    auto& props = item->UserProperties();
    props.Add("Case.CaseNumber", UserPropertyType::Text)->SetValue(Variant(42));
    auto* number = props.Add("Case.TimeSpent", UserPropertyType::Number);
    number->SetValue(Variant("90"));
    ExpectError(err::kTypeMismatch, [&] { number->SetValue(Variant("five")); });
    props.Add("Case.Cost", UserPropertyType::Currency)->SetValue(Variant(12.3456));
    auto* date = props.Add("Case.DueDate", UserPropertyType::DateTime);
    date->SetValue(Variant(Date(39879.378472)));
    ExpectError(err::kTypeMismatch, [&] { date->SetValue(Variant("not a date")); });
    props.Add("Case.Billable", UserPropertyType::YesNo)->SetValue(Variant("True"));
    props.Add("Case.Empty", UserPropertyType::DateTime);
    props.Add("Gone", UserPropertyType::Text)->SetValue(Variant("1"));
    ExpectError(err::kCallFailed,
                [&] { props.Add("case.timespent", UserPropertyType::Text); });
    EXPECT_EQ(props.Add("case.timespent", UserPropertyType::Number), number);
    item->Save();
    props.Remove(props.Count());
    EXPECT_FALSE(item->Saved());
    item->Save();
    entry_id = item->EntryID();
  }
  auto ns = OpenAnn();
  auto item = ns->GetItemFromID(entry_id);
  auto& props = item->UserProperties();
  EXPECT_EQ(props.Count(), 6);
  EXPECT_EQ(props.Find("case.casenumber")->Value(), Variant("42"));
  EXPECT_EQ(props.Find("Case.TimeSpent")->Value(), Variant(90.0));
  EXPECT_EQ(props.Find("Case.Cost")->Value(), Variant(Currency::FromScaled(123456)));
  EXPECT_EQ(props.Find("Case.DueDate")->Value(), Variant(Date(39879.378472)));
  EXPECT_EQ(props.Find("Case.Billable")->Value(), Variant(true));
  EXPECT_EQ(props.Find("Case.Empty")->Value(), Variant(Date::NoDate()));
  EXPECT_EQ(props.Find("Case.TimeSpent")->Type(), UserPropertyType::Number);
  EXPECT_EQ(props.Find("Gone"), nullptr);
}

TEST_P(ItemTest, AddToFolderRecordsAFolderField) {
  auto ns = OpenAnn();
  auto inbox = ns->GetDefaultFolder(DefaultFolder::Inbox);
  auto item = inbox->Items()->Add();
  item->UserProperties().Add("Technician", UserPropertyType::Text, true);
  item->UserProperties().Add("Private", UserPropertyType::Text, false);
  item->Save();
  auto fields = inbox->UserDefinedProperties();
  ASSERT_EQ(fields.size(), 1u);
  EXPECT_EQ(fields[0].Name, "Technician");
  EXPECT_EQ(fields[0].Type, UserPropertyType::Text);
}

TEST_P(ItemTest, RecipientsRoundTripAndResolveAgainstContactsFoldersAtAnyDepth) {
  auto ns = OpenAnn();
  auto projects = ns->GetDefaultFolder(DefaultFolder::Inbox)->Folders().Add("Projects");
  auto nested = projects->Folders()
                    .Add("Customers", ItemType::Contact)
                    ->Folders()
                    .Add("Key accounts", ItemType::Contact);
  auto contact = nested->Items()->Add();
  contact->SetFullName("Carl Meyer");
  contact->SetEmail1Address("carl@example.com");
  contact->SetMobileTelephoneNumber("+1 555 0100");
  contact->SetCompanyName("Acme");
  contact->Save();

  auto mail = ns->GetDefaultFolder(DefaultFolder::Drafts)->Items()->Add();
  auto* to = mail->Recipients().Add("carl meyer");
  auto* by_address = mail->Recipients().Add("CARL@example.com");
  auto* cc = mail->Recipients().Add("nobody at all");
  cc->SetType(RecipientType::CC);
  mail->Recipients().Add("dora@example.org")->SetType(RecipientType::BCC);
  EXPECT_FALSE(mail->Recipients().ResolveAll());
  EXPECT_TRUE(to->Resolved());
  EXPECT_EQ(to->Name(), "Carl Meyer");
  EXPECT_EQ(to->Address(), "carl@example.com");
  EXPECT_EQ(to->AddressEntry()->MobileTelephoneNumber, "+1 555 0100");
  EXPECT_EQ(to->AddressEntry()->CompanyName, "Acme");
  EXPECT_EQ(by_address->Name(), "Carl Meyer");
  EXPECT_FALSE(cc->Resolved());
  mail->Save();

  auto again = ns->GetItemFromID(mail->EntryID());
  auto& r = again->Recipients();
  ASSERT_EQ(r.Count(), 4);
  EXPECT_EQ(r.Item(1)->Address(), "carl@example.com");
  EXPECT_EQ(r.Item(3)->Type(), RecipientType::CC);
  EXPECT_FALSE(r.Item(3)->Resolved());
  EXPECT_EQ(r.Item(4)->Address(), "dora@example.org");
  EXPECT_EQ(r.Item(4)->Type(), RecipientType::BCC);
  r.Remove(3);
  again->Save();
  EXPECT_EQ(ns->GetItemFromID(mail->EntryID())->Recipients().Count(), 3);

  // A contacts folder made after the first look-up is searched too.
  auto supplier = projects->Folders().Add("Suppliers", ItemType::Contact)->Items()->Add();
  supplier->SetFullName("Fred Pike");
  supplier->SetEmail1Address("fred@example.com");
  supplier->Save();
  auto* fred = mail->Recipients().Add("Fred Pike");
  EXPECT_TRUE(fred->Resolve());
  EXPECT_EQ(fred->Address(), "fred@example.com");
}

TEST_P(ItemTest, AttachmentsKeepTheirBytes) {
  auto ns = OpenAnn();
  std::string source = dir_.File("report.bin");
  std::string bytes("a\0b\xff\x01 end", 9);
  std::ofstream(source, std::ios::binary) << bytes;
  auto item = ns->GetDefaultFolder(DefaultFolder::Inbox)->Items()->Add();
  item->Attachments().Add(source, "Report");
  auto* logo = item->Attachments().AddBytes("logo.png", "PNG...", "image/png");
  logo->SetContentId("logo@zanvoro");
  ExpectError(err::kFileNotFound, [&] { item->Attachments().Add(dir_.File("missing")); });
  item->Save();

  auto again = ns->GetItemFromID(item->EntryID());
  auto& a = again->Attachments();
  ASSERT_EQ(a.Count(), 2);
  EXPECT_EQ(a.Item(1)->FileName(), "report.bin");
  EXPECT_EQ(a.Item(1)->DisplayName(), "Report");
  EXPECT_EQ(a.Item(1)->Bytes(), bytes);
  EXPECT_EQ(a.Item(2)->ContentId(), "logo@zanvoro");
  EXPECT_EQ(a.Item(2)->MimeType(), "image/png");
  std::string copy = dir_.File("copy.bin");
  a.Item(1)->SaveAsFile(copy);
  std::ifstream in(copy, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);
  ExpectError(err::kPathNotFound,
              [&] { a.Item(1)->SaveAsFile(dir_.File("no/such/dir")); });
}

TEST_P(ItemTest, CopyAndMoveCarryEverythingAndAMoveWithinAStoreKeepsTheEntryId) {
  auto ns = OpenAnn();
  auto inbox = ns->GetDefaultFolder(DefaultFolder::Inbox);
  auto shared = ns->AddStore(SharedPath(), "Helpdesk");
  auto cases = shared->GetRootFolder()->Folders().Add("Cases", ItemType::Post);
  auto item = inbox->Items()->Add();
  item->SetSubject("original");
  item->UserProperties()
      .Add("Case.CaseNumber", UserPropertyType::Text)
      ->SetValue(Variant("7"));
  item->Recipients().Add("ann@example.com")->Resolve();
  item->Attachments().AddBytes("a.txt", "A");
  item->Save();
  auto copy = item->Copy();
  EXPECT_NE(copy->EntryID(), item->EntryID());
  EXPECT_TRUE(copy->Saved());
  EXPECT_EQ(inbox->Items()->Count(), 2);

  auto archived = copy->Move(inbox->Folders().Add("Archive"));
  EXPECT_EQ(archived->EntryID(), copy->EntryID());
  EXPECT_EQ(archived->Parent()->Name(), "Archive");
  auto moved = item->Move(cases);
  EXPECT_EQ(moved->GetStore(), shared);
  EXPECT_EQ(inbox->Items()->Count(), 0);
  ExpectError(err::kObjectDeleted, [&] { item->Save(); });
  for (const auto& twin : {archived, moved}) {
    EXPECT_EQ(twin->Subject(), "original");
    EXPECT_EQ(twin->UserProperties().Find("Case.CaseNumber")->Value(), Variant("7"));
    EXPECT_TRUE(twin->Recipients().Item(1)->Resolved());
    EXPECT_EQ(twin->Attachments().Item(1)->Bytes(), "A");
  }
}

TEST_P(ItemTest, DeleteInAMailboxGoesToDeletedItemsThenForGood) {
  auto ns = OpenAnn();
  auto item = ns->GetDefaultFolder(DefaultFolder::Inbox)->Items()->Add();
  item->Save();
  item->Delete();
  auto deleted = ns->GetDefaultFolder(DefaultFolder::DeletedItems);
  EXPECT_EQ(deleted->Items()->Count(), 1);
  deleted->Items()->Item(1)->Delete();
  EXPECT_EQ(deleted->Items()->Count(), 0);
  ExpectError(err::kNotFound, [&] { ns->GetItemFromID(item->EntryID()); });
}

TEST_P(ItemTest, CloseDiscardingDropsUnsavedChanges) {
  auto ns = OpenAnn();
  auto item = ns->GetDefaultFolder(DefaultFolder::Inbox)->Items()->Add();
  item->SetSubject("kept");
  item->Close(SaveMode::Save);
  item->SetSubject("dropped");
  item->UserProperties().Add("x", UserPropertyType::Text);
  item->Close(SaveMode::Discard);
  EXPECT_EQ(item->Subject(), "kept");
  EXPECT_EQ(item->UserProperties().Count(), 0);
  EXPECT_TRUE(item->Saved());
}

TEST_P(ItemTest, ItemsAreIndexedInCreationOrderOrSorted) {
  auto ns = OpenAnn();
  auto items = ns->GetDefaultFolder(DefaultFolder::Inbox)->Items();
  for (const char* subject : {"b", "c", "a"}) {
    auto item = items->Add();
    item->SetSubject(subject);
    item->Save();
  }
  EXPECT_EQ(items->Count(), 3);
  EXPECT_EQ(items->Item(1)->Subject(), "b");
  EXPECT_EQ(items->Item(3)->Subject(), "a");
  ExpectError(err::kSubscriptOutOfRange, [&] { items->Item(4); });
  items->Sort("Subject", SortOrder::Descending);
  EXPECT_EQ(items->Item(1)->Subject(), "c");
  EXPECT_EQ(items->Item(3)->Subject(), "a");
}

INSTANTIATE_TEST_SUITE_P(Stores, ItemTest, StoreBackends(), BackendName);

}  // namespace
}  // namespace zanvoro::host::testing
