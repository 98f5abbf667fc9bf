#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "case/CaseNumbering.h"
#include "case/CaseTestSupport.h"
#include "host/ui/Form.h"
#include "host/ui/MsgBox.h"
#include "host/ui/TextBox.h"
#include "runtime/Text.h"
#include "settings/SettingsFolderStore.h"

namespace zanvoro {
namespace {

using host::FormAction;
using host::MsgBoxResult;

constexpr const char* kChildVariable = "ZANVORO_NUMBERING_CHILD";
constexpr const char* kCannotUndo =
    "\r\nNote: This action can't be undone once it is confirmed!";

class CaseNumberingTest : public testsupport::CaseTest {
 protected:
  // Kept: an error report shuts the add-in down and drops its settings.
  std::shared_ptr<host::MAPIFolder> settings_folder_ = Settings().SettingsFolder();

  std::shared_ptr<host::Item> CounterItem() {
    return GetOutlookSettingItem(*settings_folder_, kCounterItemSubject,
                                 SettingItemMode::Create);
  }
  // The counters as another user would have left them on the store.
  void StoreCounters(const std::string& text) {
    auto item = CounterItem();
    SetSettingItemText(*item, "tCounterSettings", text);
    item->Save();
  }
  std::string StoredCounters() {
    return SettingItemText(*CounterItem(), "tCounterSettings");
  }

  std::vector<std::string> MessagePrompts() const {
    std::vector<std::string> prompts;
    for (const host::Shown& shown : renderer_->Transcript()) {
      if (shown.kind == host::ShownKind::MessageBox) prompts.push_back(shown.text);
    }
    return prompts;
  }
  // The error report's text of the next report, once it is shown.
  void ExpectReport(std::string& report) {
    Renderer().Script("frmErrorReport",
                      {FormAction::Do([&](host::Form& form) {
                         report = form.Get<host::TextBox>("txtReport").Text();
                       }),
                       FormAction::Click("cmdCancel")});
  }
};

TEST_F(CaseNumberingTest, IssuingReadsTheStoredCounterAndKeepsTheOtherCounters) {
  struct {
    const char* stored;
    int32_t issued;
    const char* after;
  } cases[] = {{"", 1, "CaseIDCount;1"},
               {"CaseIDCount;41", 42, "CaseIDCount;42"},
               {"CaseIDCount;abc", 1, "CaseIDCount;1"},
               {"Other;7:caseidcount;9", 10, "Other;7:caseidcount;10"},
               {"Other;7", 1, "Other;7:CaseIDCount;1"}};
  for (const auto& c : cases) {
    StoreCounters(c.stored);
    EXPECT_EQ(GetNewCaseID(), c.issued) << c.stored;
    EXPECT_EQ(StoredCounters(), c.after) << c.stored;
    // The settings in memory follow what was stored.
    EXPECT_EQ(Settings().CounterSettings.ToString(), c.after) << c.stored;
    EXPECT_EQ(GetCurrentTicketCounter(), c.issued) << c.stored;
  }
}

TEST_F(CaseNumberingTest, CounterCommandsConfirmThenResetAndDoNothingOtherwise) {
  EXPECT_EQ(SaveCaseID(9), 10);
  EXPECT_EQ(GetCurrentTicketCounter(), 10);
  StoreCounters("CaseIDCount;77");
  Renderer().ClearTranscript();
  Renderer().Answer(MsgBoxResult::No);
  EXPECT_FALSE(ResetCaseCounterToZero());
  Renderer().Answer(MsgBoxResult::No);
  EXPECT_FALSE(ChangeCaseCounter("5"));
  for (const char* typed : {"-5", "", "  ", "abc", "99999999999"}) {
    EXPECT_FALSE(ChangeCaseCounter(typed)) << typed;
  }
  EXPECT_EQ(MessagePrompts().size(), 2u);
  EXPECT_EQ(GetCurrentTicketCounter(), 77);

  Renderer().ClearTranscript();
  Renderer().Answer(MsgBoxResult::Yes);
  EXPECT_TRUE(ResetCaseCounterToZero());
  EXPECT_EQ(GetNewCaseID(), 1);
  Renderer().Answer(MsgBoxResult::Yes);
  EXPECT_TRUE(ChangeCaseCounter("500"));
  EXPECT_EQ(StoredCounters(), "CaseIDCount;500");
  EXPECT_EQ(GetNewCaseID(), 501);
  EXPECT_EQ(
      MessagePrompts(),
      (std::vector<std::string>{
          std::string("Are you sure you want to reset the case ID counter to Zero (0)?") +
              kCannotUndo,
          "Reset of Case ID to zero (0) was successfull!",
          std::string("Are you sure you want to change the case ID counter to 500?") +
              kCannotUndo,
          "Reset of Case ID to 500 was successfull!"}));
}

TEST_F(CaseNumberingTest, OverflowIsReportedAndIssuesNothing) {
  ASSERT_TRUE(ResetCaseIDCount(std::numeric_limits<int32_t>::max()));
  std::string report;
  ExpectReport(report);
  EXPECT_EQ(GetNewCaseID(), 0);
  EXPECT_NE(report.find("SettingsData.GetNewCaseID"), std::string::npos) << report;
  EXPECT_EQ(StoredCounters(), "CaseIDCount;2147483647");
}

// Apart from the test above: the report shuts the add-in down.
TEST_F(CaseNumberingTest, SaveCaseIDReportsOverflow) {
  std::string report;
  ExpectReport(report);
  EXPECT_EQ(SaveCaseID(std::numeric_limits<int32_t>::max()), 0);
  EXPECT_NE(report.find("SettingsData.SaveCaseID"), std::string::npos) << report;
}

// --- Two processes issuing numbers from one store ---------------------------

// Starts this test program as the child below. Its order, fields joined by
// "|": profile folder, program folder, how many numbers, the file to write
// them to, and the two pipe ends of the start line.
pid_t StartChild(const std::string& order) {
  pid_t pid = fork();
  if (pid == 0) {
    setenv(kChildVariable, order.c_str(), 1);
    // The child runs its one test, whichever shard of the run started it.
    unsetenv("GTEST_TOTAL_SHARDS");
    unsetenv("GTEST_SHARD_INDEX");
    execl("/proc/self/exe", "/proc/self/exe", "--gtest_filter=CaseNumberingChild.Issue",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

int WaitFor(pid_t pid) {
  int status = 0;
  if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(CaseNumberingTest, TwoProcessesIssuingAtOnceNeverShareANumber) {
  constexpr int kEach = 1000;
  StoreCounters("");
  // Each child says when its add-in is started, then waits for the word to
  // go, so that both issue at the same time.
  int ready[2];
  int go[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(go), 0);
  std::vector<std::string> outputs;
  std::vector<pid_t> children;
  for (int i = 0; i < 2; ++i) {
    outputs.push_back((dir_.Path() / ("numbers" + std::to_string(i))).string());
    children.push_back(
        StartChild(Join({profile_.folder.string(), (dir_.Path() / "programs").string(),
                         std::to_string(kEach), outputs.back(), std::to_string(ready[1]),
                         std::to_string(go[0])},
                        "|")));
  }
  close(ready[1]);
  close(go[0]);
  char byte = 0;
  int started = 0;
  while (started < 2 && read(ready[0], &byte, 1) == 1) ++started;
  EXPECT_EQ(started, 2);
  EXPECT_EQ(write(go[1], "gg", 2), 2);
  close(go[1]);
  close(ready[0]);
  for (pid_t child : children) EXPECT_EQ(WaitFor(child), 0);

  std::set<int32_t> numbers;
  size_t issued = 0;
  for (const std::string& path : outputs) {
    std::ifstream in(path);
    for (int32_t number; in >> number; ++issued) numbers.insert(number);
  }
  EXPECT_EQ(issued, 2u * kEach);
  EXPECT_EQ(numbers.size(), 2u * kEach);
  if (!numbers.empty()) {
    EXPECT_EQ(*numbers.begin(), 1);
    EXPECT_EQ(*numbers.rbegin(), 2 * kEach);
  }
  EXPECT_EQ(GetCurrentTicketCounter(), 2 * kEach);
}

// The child of the test above: starts its own client and add-in on the
// profile and issues numbers. Exits with 0 when every number was issued.
TEST(CaseNumberingChild, Issue) {
  const char* text = getenv(kChildVariable);
  if (!text) GTEST_SKIP() << "runs only as the child of a two-process test";
  std::vector<std::string> f = Split(text, "|");
  if (f.size() != 6) _exit(2);
  int ready_fd = std::stoi(f[4]);
  int go_fd = std::stoi(f[5]);
  int code = 0;
  {
    auto renderer = std::make_shared<host::ScriptedRenderer>();
    host::ScopedRenderer scoped_renderer(renderer);
    host::EventLoop loop;
    LaterSteps steps;
    InstallSettingsSteps(steps);
    AddHelpdeskFolderSteps(steps);
    auto application =
        std::make_shared<host::Application>(host::Profile::Load(f[0]), &loop);
    ZFO_M addin(std::move(steps), AddinEnvironment{{}, f[1]});
    addin.AddinInstance_OnConnection(application);
    addin.AddinInstance_OnStartupComplete();
    if (!SharedGlobalSettings() || !SharedGlobalSettings()->Loaded) _exit(3);

    char byte = 'r';
    if (write(ready_fd, &byte, 1) != 1 || read(go_fd, &byte, 1) != 1) _exit(4);
    std::ofstream out(f[3]);
    int count = std::stoi(f[2]);
    for (int i = 0; i < count; ++i) {
      int32_t number = GetNewCaseID();
      if (number == 0) code = 1;
      out << number << "\n";
    }
    out.flush();
    if (!out) code = 5;
    // Without the test runner's exit or the add-in's shutdown: what this
    // process inherited from its parent is not torn down here.
    _exit(code);
  }
}

}  // namespace
}  // namespace zanvoro
