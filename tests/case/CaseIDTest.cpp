#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case/CaseID.h"
#include "case/CaseTestSupport.h"
#include "case/ItemProperty.h"

namespace zanvoro {
namespace {

TEST(CaseID, ExtractCaseIDTakesTheFirstTagWithANumberOfTagsSplitIntoPrefixAndNumber) {
  struct {
    const char* subject;
    const char* number;
  } cases[] = {
      {"Re: [HW-17] Printer", "17"},
      {"Re: Printer [17]", "17"},
      {"Re: [Urgent] [HW-17]", "17"},
      {"Re: Printer 17", ""},
      {"", ""},
      {"[17] [18] two tags", "17"},
      {"[A-B-17] the number part B-17 is not a number", ""},
      {"[A-B-17] [18] so the next tag counts", "18"},
      {"Re: [HW-17 never closed", ""},
      {"17] the text before the first bracket is a piece too [x]", "17"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractCaseID(c.subject), c.number) << c.subject;
  }
  EXPECT_EQ(CaseIDCandidates("Re: [HW-17] [Urgent] [18] [A-B-3]"),
            (std::vector<std::string>{"17", "18"}));
  EXPECT_TRUE(CaseIDCandidates("no tags at all").empty());
  struct {
    const char* tag;
    const char* number;
    const char* prefix;
  } tags[] = {{"[HW-17]", "17", "HW"},
              {"[17]", "17", ""},
              {"[A-B-17]", "B-17", "A"},
              {"HW-17]", "17", "HW"},
              {"[-17]", "17", ""}};
  for (const auto& t : tags) {
    EXPECT_EQ(NumberPartOfTag(t.tag), t.number) << t.tag;
    EXPECT_EQ(PrefixPartOfTag(t.tag), t.prefix) << t.tag;
  }
}

// Removing takes every case tag, or every copy of the first bracketed tag;
// ensuring adds the case's tag only when the subject carries none.
TEST(CaseID, SubjectTagsAreRemovedOrAddedWhereNoneIs) {
  enum class Edit { RemoveCaseIDs, RemoveFirstTag, EnsureTag };
  struct {
    Edit edit;
    const char* subject;
    const char* result;
  } cases[] = {
      {Edit::RemoveCaseIDs, "Re: [HW-17] Printer", "Re: Printer"},
      {Edit::RemoveCaseIDs, "Re: [Urgent] [17] Printer", "Re: [Urgent] Printer"},
      {Edit::RemoveCaseIDs, "Re:[17]Printer", "Re:Printer"},
      {Edit::RemoveCaseIDs, "[HW-17] again [HW-17]", "again"},
      {Edit::RemoveCaseIDs, "Re: [A-B-17] not a case tag", "Re: [A-B-17] not a case tag"},
      {Edit::RemoveFirstTag, "[Urgent] Printer [Urgent]", "Printer"},
      {Edit::RemoveFirstTag, "Re: [HW-17] Printer [18]", "Re:  Printer [18]"},
      {Edit::RemoveFirstTag, "  no tags  ", "  no tags  "},
      {Edit::RemoveFirstTag, "a ] b [ never closed", "a ] b [ never closed"},
      {Edit::RemoveFirstTag, "[] empty tag", "empty tag"},
      {Edit::EnsureTag, "Re: [HW-17] Printer", "Re: [HW-17] Printer"},
      {Edit::EnsureTag, "  Printer  ", "[HW-18] Printer"},
      {Edit::EnsureTag, "Re: [Urgent] Printer", "[HW-18] Re: [Urgent] Printer"},
      {Edit::EnsureTag, "", "[HW-18] "}};
  for (const auto& c : cases) {
    std::string result =
        c.edit == Edit::RemoveCaseIDs    ? RemoveCaseIDFromSubject(c.subject)
        : c.edit == Edit::RemoveFirstTag ? RemoveFirstBracketTag(c.subject)
                                         : EnsurePrefixCodeInSubject(c.subject, "HW-18");
    EXPECT_EQ(result, c.result) << c.subject;
  }
}

class PrefixCodeTest : public testsupport::CaseTest {
 protected:
  PrefixCodeTest() {
    cGlobalSettings& settings = Settings();
    settings.Technicians.Add(cTechnician{.Name = "Bob", .Code = "BO"});
    settings.Technicians.Add(cTechnician{.Name = "Ann"});
    settings.ProblemCategories.Add(cCategory{"Hardware", {}, "HW"});
    settings.ProblemTypes.Add(cProblemType{
        .ProblemType = "Printer", .ProblemCategory = "Hardware", .Code = "PR"});
    settings.CallerDepartments.Add(cCategory{"Sales", {}, "SA"});
  }

  void Choose(const char* append, const char* choice, const char* global = "") {
    cOutlookSettings& general = Settings().GeneralSettings;
    general.SetValue("sdoAppendPrefixCode", append);
    general.SetValue("sdoPrefixCodeChoice", choice);
    general.SetValue("sdoPrefixCodeGlobal", global);
  }
};

TEST_F(PrefixCodeTest, PrefixComesFromTheChosenSource) {
  struct {
    const char* append;
    const char* choice;
    const char* global;
    PrefixSources sources;
    const char* prefix;
  } cases[] = {
      {"0", "4", "HW", {}, ""},
      {"1", "0", "", {"Bob", "", "", ""}, "BO-"},
      {"1", "0", "", {"", "", "", ""}, ""},
      {"1", "0", "", {"Ann", "", "", ""}, ""},
      {"1", "0", "", {"Zed", "", "", ""}, ""},
      {"1", "1", "", {"Bob", "hardware", "", ""}, "HW-"},
      {"1", "1", "", {"Bob", "", "", ""}, ""},
      {"1", "2", "", {"", "Hardware", "Printer", ""}, "PR-"},
      {"1", "2", "", {"", "", "Printer", ""}, ""},
      {"1", "3", "", {"", "", "", "Sales"}, "SA-"},
      {"1", "3", "", {"", "", "", "Support"}, ""},
      {"1", "4", "  HW  ", {"Bob", "", "", ""}, "HW-"},
      {"1", "4", "", {"Bob", "Hardware", "", ""}, ""},
      {"-1", "9", "HW", {"Bob", "Hardware", "Printer", "Sales"}, ""},
  };
  for (const auto& c : cases) {
    Choose(c.append, c.choice, c.global);
    EXPECT_EQ(PrefixCodeFor(c.sources), c.prefix)
        << "append " << c.append << ", choice " << c.choice;
  }
}

TEST_F(PrefixCodeTest, CaseItemGivesItsFirstTechnicianAndItsProblem) {
  auto item = NewOngoingItem();
  WriteItemProperty(*item, "Case.Technicians", Variant("Bob/Ann"), VarType::String);
  WriteItemProperty(*item, "Case.ProblemCategory", Variant("Hardware"), VarType::String);
  WriteItemProperty(*item, "Case.ProblemType", Variant("Printer"), VarType::String);
  WriteItemProperty(*item, "Case.CallerDepartment", Variant("Sales"), VarType::String);
  item->Save();

  const struct {
    const char* choice;
    const char* prefix;
  } cases[] = {{"0", "BO-"}, {"1", "HW-"}, {"2", "PR-"}, {"3", "SA-"}};
  for (const auto& c : cases) {
    Choose("1", c.choice);
    EXPECT_EQ(SetPrefixCodeFromCaseItem(*item), c.prefix) << "choice " << c.choice;
  }
  Choose("0", "0");
  EXPECT_EQ(SetPrefixCodeFromCaseItem(*item), "");
}

TEST_F(PrefixCodeTest, PrefixFromStringsIsTheGlobalCodeWhateverTheChoice) {
  Choose("1", "0", " HW ");
  EXPECT_EQ(GetPrefixCodeFromStrings(), "HW-");
  Choose("0", "4", "HW");
  EXPECT_EQ(GetPrefixCodeFromStrings(), "");
}

}  // namespace
}  // namespace zanvoro
