#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <random>
#include <string>

#include "case/CaseProperties.h"
#include "case/CaseTestSupport.h"
#include "case/EntryListForms.h"
#include "case/cCase.h"
#include "host/store/Attachments.h"
#include "host/store/Store.h"
#include "host/store/StoreBackend.h"
#include "host/ui/ScriptedRenderer.h"
#include "periphery/ArchiveCases.h"
#include "periphery/frmArchive.h"

namespace zanvoro {
namespace {

// Subject, log, closing date and attachment of every case item in `folder`,
// by case number; `count` counts each number seen.
void Collect(const std::shared_ptr<host::MAPIFolder>& folder,
             std::map<std::string, std::string>& found,
             std::map<std::string, int>& count) {
  auto items = folder->Items();
  for (int32_t i = 1; i <= items->Count(); ++i) {
    auto item = items->Item(i);
    std::string number = ReadItemText(*item, caseprop::kCaseNumber);
    host::Attachment* file =
        item->Attachments().Count() ? item->Attachments().Item(1) : nullptr;
    found[number] = item->Subject() + "|" + ReadItemText(*item, caseprop::kLog) + "|" +
                    ReadItemText(*item, caseprop::kDateClosedS) + "|" +
                    (file ? file->DisplayName() + "=" + file->Bytes() : "");
    ++count[number];
  }
}

class ArchiveCases : public testsupport::CaseTest {
 protected:
  void ResolvedCase(const std::string& number, Date closed) {
    auto item = SavedCaseItem(Resolved(), number);
    WriteCaseDate(*item, closed, caseprop::kDateClosed, "", caseprop::kDateClosedS);
    item->Save();
  }
};

TEST_F(ArchiveCases, WindowMovesTheCheckedCasesClosedTillTheDayIntoItsDatedFolder) {
  ResolvedCase("1", Date(DateSerial(2026, 3, 31).Serial() + 0.71));  // 17:02
  ResolvedCase("2", DateSerial(2026, 4, 1));
  ResolvedCase("3", DateSerial(2026, 3, 2));
  ResolvedCase("4", DateSerial(1949, 12, 31));
  frmArchive window;
  using host::FormAction;
  Renderer().Answer(host::MsgBoxResult::Yes);  // the confirmation
  Renderer().Script(
      "frmArchive",
      {FormAction::Set("dtpDateBefore", "3/31/2026"), FormAction::Click("cmdShowCases"),
       FormAction::Do([](host::Form& form) {
         auto listed = static_cast<frmArchive&>(form).ListedCases();
         ASSERT_EQ(listed.size(), 2u);
         EXPECT_EQ(listed[0].CaseNumber, "1");
         EXPECT_EQ(listed[1].CaseNumber, "3");
       }),
       FormAction::Click("chkSelectAll"), FormAction::Click("chkSelectAll"),
       FormAction::Click("chkSelectAll"),  // cleared, then all checked again
       FormAction::Select("lvCases", 1),   // clears case 3's check mark
       FormAction::Set("txtPSTFile", (dir_.Path() / "a.zdb").string()),
       FormAction::Click("cmdNewPST"), FormAction::Set("chkUseDateToNameSubFolder", true),
       FormAction::Click("cmdStart"), FormAction::Click("cmdCancel")});
  window.Show(host::ShowMode::Modal);
  EXPECT_EQ(Renderer().PendingScripts(), 0u) << Renderer().TranscriptText();
  EXPECT_EQ(window.LastReport().Moved, 1) << Renderer().TranscriptText();
  auto dated = window.ArchiveStore()
                   ->GetRootFolder()
                   ->Folders()
                   .Item(kDefaultArchiveFolder)
                   ->Folders()
                   .Item("3/31/2026");
  ASSERT_TRUE(dated);
  EXPECT_EQ(dated->Items()->Count(), 1);
  EXPECT_FALSE(FindCaseItemInFolder(Resolved(), "1"));
  EXPECT_TRUE(FindCaseItemInFolder(Resolved(), "3"));
  EXPECT_EQ(window.ListedCases().size(), 1u);
}

TEST_F(ArchiveCases, KilledRunsRepeatedUntilDoneLeaveEveryCaseExactlyOnce) {
  // Closed from 27 February to 3 April; March goes to the archive.
  constexpr int kCases = 300;
  for (int i = 1; i <= kCases; ++i) {
    auto item = SavedCaseItem(Resolved(), std::to_string(i));
    Date closed = Date(DateSerial(2026, 2, 27).Serial() + i % 36 + (i % 3 ? 0.71 : 0.0));
    WriteCaseDate(*item, closed, caseprop::kDateClosed, "", caseprop::kDateClosedS);
    WriteItemProperty(
        *item, caseprop::kLog,
        Variant("<Logs><Data><ID>" + std::to_string(i) + "</ID></Data></Logs>"),
        VarType::String);
    item->Attachments().AddBytes("note.txt", "note " + std::to_string(i));
    item->Save();
  }
  Resolved()->Items()->Add("IPM.Post.PLWSupportCase.Closed")->Save();  // no number
  std::map<std::string, std::string> before;
  std::map<std::string, int> ignored;
  Collect(Resolved(), before, ignored);

  ArchivePeriod march{.Filter = kBetween,
                      .Start = DateSerial(2026, 3, 1),
                      .End = DateSerial(2026, 3, 31)};
  const std::filesystem::path archive = dir_.Path() / "archive.zdb";
  std::mt19937 random(22);
  int killed = 0;
  for (int run = 0;; ++run) {
    ASSERT_LT(run, 80) << "the archive never finished";
    int kill_at = std::uniform_int_distribution<int>(1, 120)(random);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int steps = 0;
      host::SetStoreStepHookForTesting([&](std::string_view step) {
        if ((step == "save:item" || step == "delete:item") && ++steps == kill_at)
          _exit(3);
      });
      auto target = ArchiveTargetFolder(OpenArchiveStore(archive, kDefaultArchiveName),
                                        kDefaultArchiveFolder, DateSubFolder::Yes, march);
      ArchiveReport report = MoveCasesToArchive(ListCasesToArchive(march), target);
      _exit(target && report.Failed == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 0) break;
    ASSERT_EQ(WEXITSTATUS(status), 3);
    ++killed;
  }
  EXPECT_GT(killed, 3);

  auto store = OpenArchiveStore(archive, kDefaultArchiveName);
  auto target =
      ArchiveTargetFolder(store, kDefaultArchiveFolder, DateSubFolder::Yes, march);
  ASSERT_TRUE(target);
  EXPECT_EQ(target->Name(), "3/1/2026 - 3/31/2026");
  std::map<std::string, std::string> archived, live;
  std::map<std::string, int> count;
  Collect(target, archived, count);
  Collect(Resolved(), live, count);
  ASSERT_EQ(count.size(), before.size());
  for (const auto& [number, signature] : before) {
    SCOPED_TRACE(number);
    EXPECT_EQ(count[number], 1);
    auto& where = archived.count(number) ? archived : live;
    EXPECT_EQ(where[number], signature);
    Date closed = entrylist::ReadEntryDate(Split(signature, "|")[2]);
    EXPECT_EQ(archived.count(number) == 1, !number.empty() && Month(closed) == 3);
  }
  EXPECT_TRUE(ListCasesToArchive(march).empty());
}

}  // namespace
}  // namespace zanvoro
