#include <gtest/gtest.h>

#include "host/ui/ComboBox.h"
#include "host/ui/Form.h"
#include "settings/cTechnicians.h"

namespace zanvoro {
namespace {

// Name;Email;Rate;Phone;Mobile;AdminAccess;Password;Code
cTechnicians Helpdesk() {
  cTechnicians all;
  all.FromString(
      "Carl Diaz;carl@x.org;30;555-3;077-3;0;;CD:"
      "Ann Lee;ann@x.org;40.5;555-1;077-1;1;pw;AL:"
      "Bob Ray;;25;555-2;;0;;BR");
  return all;
}

TEST(Technicians, ReadInNameOrderWithRateAsText) {
  cTechnicians all = Helpdesk();
  EXPECT_EQ(all.ToStringTab(), "Ann Lee\tBob Ray\tCarl Diaz");
  EXPECT_EQ(all.Find("ann lee")->Rate.scaled, 405000);
  EXPECT_TRUE(all.Find("Ann Lee")->HasAdminAccess());
  EXPECT_FALSE(all.Find("Bob Ray")->HasAdminAccess());
  EXPECT_EQ(all.ToString(),
            "Ann Lee;ann@x.org;40.5;555-1;077-1;1;pw;AL:"
            "Bob Ray;;25;555-2;;0;;BR:"
            "Carl Diaz;carl@x.org;30;555-3;077-3;0;;CD");
  all.FromString("Ann;a@x.org;lots");
  EXPECT_EQ(all.Find("Ann")->Rate.scaled, 0) << "a rate that is no number";
  EXPECT_EQ(all.Find("Ann")->Email, "a@x.org");
}

TEST(Technicians, PrimaryTechnicianIsTheFirstKnownName) {
  cTechnicians all = Helpdesk();
  struct {
    const char* names;
    const char* primary;
  } cases[] = {
      {"Ann Lee/Bob Ray", "Ann Lee"},
      {"Nobody/Bob Ray", "Bob Ray"},
      {"nobody/BOB RAY", "Bob Ray"},
      {"Nobody/Someone", ""},
      {"", ""},
      {"/ Carl Diaz ", "Carl Diaz"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(all.PrimaryTechnician(c.names), c.primary) << c.names;
}

TEST(Technicians, NamesFromEmailsLeaveOutUnknownAddresses) {
  cTechnicians all = Helpdesk();
  struct {
    const char* emails;
    const char* names;
  } cases[] = {
      {"ann@x.org; nobody@x.org ;CARL@X.ORG", "Ann Lee, Carl Diaz"},
      {"nobody@x.org;ann@x.org", "Ann Lee"},
      {";;", ""},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(all.GetNamesFromEmails(c.emails), c.names) << c.emails;
  // Bob has no address, so an empty one names nobody.
  EXPECT_EQ(all.GetTechnicianFullNameFromEmail(""), "");
}

TEST(Technicians, MatchingFullNameIsTheFirstNameContainingTheText) {
  cTechnicians all = Helpdesk();
  EXPECT_EQ(all.GetMatchingTechnicianFullName(" ray "), "Bob Ray");
  EXPECT_EQ(all.GetMatchingTechnicianFullName("a"), "Ann Lee");
  EXPECT_EQ(all.GetMatchingTechnicianFullName("zed"), "");
  EXPECT_EQ(all.GetMatchingTechnicianFullName("  "), "");
}

TEST(Technicians, CaseListKeepsTheNamedOrderAndUnknownNames) {
  cTechnicians all = Helpdesk();
  cTechnicians assigned;
  assigned.FromNames("carl diaz/Ghost/ann lee/Carl Diaz/", all);
  EXPECT_EQ(assigned.FullNames(), "Carl Diaz/Ghost/Ann Lee");
  EXPECT_EQ(assigned.GetPrimaryTechnicianFullName(), "Carl Diaz");
  EXPECT_EQ(assigned.GetPrimaryTechnicianEmail(), "carl@x.org");
  EXPECT_EQ(assigned.GetPrimaryTechnicianContactNumber(ContactNumber::Mobile), "077-3");
  EXPECT_EQ(assigned.PrimaryPhone(ContactNumber::Phone), "555-3");
  EXPECT_EQ(assigned.Find("Ghost")->Email, "");

  cTechnicians names_only;
  names_only.LoadTechniciansToDicList("Bob Ray/Ann Lee");
  EXPECT_EQ(names_only.CreatedBy(), "Bob Ray,Ann Lee");
  EXPECT_EQ(names_only.Emails(), "");
}

TEST(Technicians, SendingAddressesSkipTechniciansWithoutOneAndRatesAddUp) {
  cTechnicians all = Helpdesk();
  cTechnicians assigned;
  assigned.FromNames("Bob Ray/Carl Diaz/Ann Lee", all);
  EXPECT_EQ(assigned.GetToEmail(), "carl@x.org");
  EXPECT_EQ(assigned.GetBCCEmails(), "ann@x.org");
  EXPECT_EQ(assigned.Emails(), "carl@x.org; ann@x.org");
  EXPECT_EQ(assigned.Mobiles(), "077-3,077-1");
  cTechnicians nobody;
  EXPECT_EQ(nobody.GetToEmail(), "");
  EXPECT_EQ(nobody.GetBCCEmails(), "");
  EXPECT_EQ(nobody.GetPrimaryTechnicianFullName(), "");
  EXPECT_EQ(nobody.Rates().scaled, 0);
  assigned.FromNames("Ann Lee/Bob Ray", all);
  EXPECT_EQ(assigned.Rates().scaled, 655000);
}

TEST(Technicians, FillsAListControlAndTheLiveUsersArray) {
  cTechnicians all = Helpdesk();
  host::Form form("frmTest");
  auto& combo = form.Add<host::ComboBox>("cboTechnicians");
  combo.AddItem("stale");
  all.PopulateComboList(combo);
  ASSERT_EQ(combo.ListCount(), 3);
  EXPECT_EQ(combo.List(0), "Ann Lee");
  Array2D live = all.ToArrayLiveUsers();
  ASSERT_EQ(live.Rows(), 3u);
  EXPECT_EQ(live.At(2, 0), Variant("Carl Diaz"));
  EXPECT_EQ(live.At(2, 1), Variant("carl@x.org"));
}

TEST(Technicians, RandomPickIsAnEntryOfTheList) {
  cTechnicians all = Helpdesk();
  for (int i = 0; i < 20; ++i) {
    const cTechnician* picked = all.RandomResponsible();
    ASSERT_NE(picked, nullptr);
    EXPECT_TRUE(all.Exists(picked->Name));
  }
  EXPECT_EQ(cTechnicians().RandomResponsible(), nullptr);
}

}  // namespace
}  // namespace zanvoro
