// Two technicians run `zanvoro run` side by side on one shared helpdesk
// store whose folder "Support" both monitor, and both watch the Ongoing
// folder; three do so on a store on a database server. Whatever the claims
// decide, every mail that arrives in either becomes one case or is attached
// to its case once, and nothing is left behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "case/CaseProperties.h"
#include "case/ItemProperty.h"
#include "case/cLogsList.h"
#include "host/db/TestServer.h"
#include "host/mail/MailImport.h"
#include "host/os/Hive.h"
#include "host/os/Profile.h"
#include "host/os/TempDir.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Recordset.h"
#include "runtime/Date.h"
#include "runtime/Text.h"
#include "settings/modRegistryEntry.h"

extern char** environ;

namespace zanvoro {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using host::testsupport::ReadFile;
using host::testsupport::TempDir;

constexpr const char* kZanvoro = ZANVORO_PROGRAM;
constexpr const char* kConfigure = ZANVORO_CONFIGURE_PROGRAM;
constexpr const char* kStoreName = "Zanvoro Helpdesk";
constexpr auto kProcessingLimit = 40s;

// A program of ours run as a child: standard input from /dev/null, its
// output into one file, no terminal, so every window answers itself.
class Program {
 public:
  Program(const std::vector<std::string>& args, const fs::path& output)
      : output_(output) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
      std::string_view text(*entry);
      if (text.starts_with("ZANVORO_UI=") || text.starts_with("ZANVORO_HIVE=")) continue;
      environment.emplace_back(text);
    }
    environment.emplace_back("ZANVORO_UI=scripted");
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> words = args;
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
      pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Program() {
    if (pid_ > 0 && !status_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return pid_ > 0; }
  // The exit code once it ended within `limit` (-1 for a signal); nullopt
  // when it still runs.
  std::optional<int> Wait(std::chrono::milliseconds limit) {
    auto until = std::chrono::steady_clock::now() + limit;
    while (!status_ && pid_ > 0) {
      int status = 0;
      pid_t ended = ::waitpid(pid_, &status, WNOHANG);
      if (ended == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      } else if (std::chrono::steady_clock::now() >= until) {
        break;
      } else {
        std::this_thread::sleep_for(20ms);
      }
    }
    return status_;
  }
  std::optional<int> Stop(std::chrono::milliseconds limit) {
    if (pid_ > 0 && !status_) ::kill(pid_, SIGTERM);
    return Wait(limit);
  }
  // SIGKILL, as a crash or a power cut ends it.
  void Kill() {
    if (pid_ <= 0 || status_) return;
    ::kill(pid_, SIGKILL);
    Wait(10s);
  }
  std::string Output() const { return ReadFile(output_); }

 private:
  fs::path output_;
  pid_t pid_ = 0;
  std::optional<int> status_;
};

struct Technician {
  std::string name;
  std::string address;
  fs::path profile;
};

// What the test delivered: a new problem, or a reply to the case of an
// earlier problem. The token in the body finds the mail again.
struct SentMail {
  std::string token;
  int problem = 0;
  bool reply = false;
};

struct CaseSeen {
  std::string number;
  std::string subject;
  int created_entries = 0;
  int reply_entries = 0;
};

// Three digits, so that no problem's subject ends another's.
std::string ProblemSubject(int problem) {
  std::string digits = std::to_string(1000 + problem).substr(1);
  return "Printer " + digits + " jams";
}

// Two technicians' profiles, both registered for one helpdesk store that
// holds a folder "Support" listed as monitored; the Ongoing folder is
// watched too.
class TwoInstances : public ::testing::Test {
 protected:
  void SetUp() override { Prepare(dir_ / "shared.zdb", 2); }

  // The profiles of the first `count` technicians, all registered for the
  // helpdesk store at `store` (a file or a server's address).
  void Prepare(const fs::path& store, size_t count) {
    store_path_ = store;
    technicians_ = {{"Ann Smith", "ann@example.com", dir_ / "ann"},
                    {"Bob Jones", "bob@example.com", dir_ / "bob"},
                    {"Carl Brown", "carl@example.com", dir_ / "carl"}};
    technicians_.resize(count);
    for (const Technician& technician : technicians_) {
      host::Profile profile = host::Profile::Default(technician.profile);
      profile.user_name = technician.name;
      profile.smtp_address = technician.address;
      profile.Save();
    }
    // Ann makes the helpdesk; the others' profiles list the same store and
    // their hives the same Settings folder.
    Program configure({kConfigure, "--profile", technicians_[0].profile.string(),
                       "--store", store_path_.string(), "--register"},
                      dir_ / "configure.txt");
    ASSERT_EQ(configure.Wait(60s), 0) << ReadFile(dir_ / "configure.txt");
    host::Hive ann_hive(technicians_[0].profile / "hive.json");
    const std::string key = RegistryKeyPath(kRegistryApp, "");
    for (size_t i = 1; i < technicians_.size(); ++i) {
      host::Profile other = host::Profile::Load(technicians_[i].profile);
      other.stores.push_back(
          host::StoreLocation{store_path_, kStoreName, host::StoreRole::Shared});
      other.Save();
      host::Hive other_hive(technicians_[i].profile / "hive.json");
      for (const char* name : {"VNHEntryID", "VNHStoreID", "VNHOutlookPath", "VNHName"}) {
        other_hive.SetValue(key, name, ann_hive.GetValue(key, name).value_or(""));
      }
    }

    // The test delivers into "Support" as the store's owner, who also makes it.
    session_ = std::make_unique<host::NameSpace>(
        host::UserInfo{technicians_[0].name, technicians_[0].address}, nullptr,
        std::vector<host::StoreSpec>{
            host::StoreSpec{store_path_.string(), "", host::StoreKind::Shared}});
    auto root = session_->Stores().front()->GetRootFolder();
    support_ = root->Folders().Add("Support", host::ItemType::Mail);
    for (const auto& folder : root->Folders().All()) {
      if (folder->Name() == "Ongoing") ongoing_ = folder;
      if (folder->Name() == "Resolved") resolved_ = folder;
      if (folder->Name() == "History") history_ = folder;
    }
    Program monitor({kZanvoro, "--profile", technicians_[0].profile.string(), "monitor",
                     "add", support_->FolderPath()},
                    dir_ / "monitor.txt");
    ASSERT_EQ(monitor.Wait(60s), 0) << ReadFile(dir_ / "monitor.txt");
    Program watch_ongoing({kZanvoro, "--profile", technicians_[0].profile.string(),
                           "settings", "set", "sdoEnableOpenFolderMonitoring", "1"},
                          dir_ / "settings.txt");
    ASSERT_EQ(watch_ongoing.Wait(60s), 0) << ReadFile(dir_ / "settings.txt");
  }

  void StartAll() {
    ++round_;
    for (const Technician& technician : technicians_) {
      fs::path output = dir_ / (technician.profile.filename().string() + "-run" +
                                std::to_string(round_) + ".txt");
      outputs_.push_back(output);
      running_.push_back(std::make_unique<Program>(
          std::vector<std::string>{kZanvoro, "--profile", technician.profile.string(),
                                   "run"},
          output));
      ASSERT_TRUE(running_.back()->Started());
    }
  }

  // SIGTERM to all; each ends cleanly and within bounds. A session just
  // restarted may still be loading on a busy machine: it is stopped once it
  // listens for the request (it says so with its first line).
  void StopAll() {
    for (auto& program : running_) {
      auto until = std::chrono::steady_clock::now() + 60s;
      while (program->Output().find("zanvoro: profile") == std::string::npos &&
             !program->Wait(0ms) && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(50ms);
      }
      EXPECT_EQ(program->Stop(30s), 0) << program->Output();
    }
    running_.clear();
  }

  // SIGKILL to all sessions and their send/receive workers, at once.
  void KillAll() {
    for (auto& program : running_) program->Kill();
    running_.clear();
    for (const Technician& technician : technicians_) {
      std::string pid = Trim(ReadFile(technician.profile / "ZanvoroProcess.pid"));
      if (IsNumeric(pid) && std::stoi(pid) > 0) ::kill(std::stoi(pid), SIGKILL);
    }
    // The kills happen at random moments: the sessions' output may end in
    // the middle of anything.
    outputs_.clear();
  }

  // Where the test delivers a mail.
  enum class Into { Support, Ongoing };

  void Import(Into into, int problem, bool reply, const std::string& subject) {
    SentMail mail{"token-" + std::to_string(sent_.size() + 1) + "-end", problem, reply};
    std::string caller = "caller" + std::to_string(problem) + "@example.org";
    std::string message =
        Join({"From: Caller " + std::to_string(problem) + " <" + caller + ">",
              "To: Support <support@example.com>", "Subject: " + subject,
              "Message-ID: <" + mail.token + "@example.org>",
              "Date: Mon, 2 Mar 2026 09:00:00 +0000", "MIME-Version: 1.0",
              "Content-Type: text/plain; charset=utf-8", "",
              "The printer on floor two still shows paper jam.", mail.token, ""},
             "\r\n");
    auto folder = into == Into::Support ? support_ : ongoing_;
    auto item = folder->Items()->Add("IPM.Note");
    host::ImportMessage(message, *item, Now());
    item->Save();
    sent_.push_back(std::move(mail));
  }
  void ImportNewProblem(Into into = Into::Support) {
    int problem = ++problems_;
    Import(into, problem, false, ProblemSubject(problem));
  }
  // A caller's answer to the case made from `problem`.
  void ImportReply(int problem, Into into = Into::Support) {
    ASSERT_TRUE(case_subjects_.count(problem)) << problem;
    Import(into, problem, true, "RE: " + case_subjects_[problem]);
  }
  // Mail as it comes in: new problems and replies to the cases made so far,
  // into "Support" with now and then one delivered straight into the
  // Ongoing folder, or all into the Ongoing folder.
  enum class Spread { MostlySupport, AllOngoing };
  void ImportMixed(int count, Spread spread) {
    int known = static_cast<int>(case_subjects_.size());
    for (int i = 0; i < count; ++i) {
      Into into =
          spread == Spread::AllOngoing || i % 5 == 4 ? Into::Ongoing : Into::Support;
      if (i % 3 == 2) {
        ImportNewProblem(into);
      } else {
        ImportReply(1 + (i * 7) % known, into);
      }
    }
  }

  // Every case of the helpdesk, open or resolved.
  std::vector<CaseSeen> Cases() {
    std::vector<CaseSeen> cases;
    for (const auto& folder : {ongoing_, resolved_}) {
      auto items = folder->Items();
      for (int32_t i = 1; i <= items->Count(); ++i) {
        auto item = items->Item(i);
        if (!StartsWithText(item->MessageClass(), "IPM.Post.PLWSupportCase")) continue;
        CaseSeen seen{ReadItemText(*item, caseprop::kCaseNumber), item->Subject(), 0, 0};
        cLogsList log;
        log.FromXML(ReadItemText(*item, caseprop::kLog));
        for (const auto& entry : log) {
          const std::string& text = entry.Value().Description;
          if (text.starts_with("Case created from email")) ++seen.created_entries;
          if (text.starts_with("Email Reply from Caller")) ++seen.reply_entries;
        }
        cases.push_back(std::move(seen));
      }
    }
    return cases;
  }

  // The problem a case was made from: its subject ends with the problem's
  // subject; 0 when none.
  int ProblemOf(const CaseSeen& seen) const {
    for (int problem = 1; problem <= problems_; ++problem) {
      if (seen.subject.ends_with("] " + ProblemSubject(problem))) return problem;
    }
    return 0;
  }

  // Mail items in the Ongoing folder: what is still to be made a case.
  size_t MailInOngoing() {
    return ongoing_->ExecSQL("Select EntryID from Folder where MessageClass = 'IPM.Note'")
        .RecordCount();
  }

  // Waits (bounded) until no mail waits in "Support" or the Ongoing folder
  // and every problem has its case.
  bool WaitUntilProcessed(std::chrono::seconds limit = kProcessingLimit) {
    auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
      if (support_->Items()->Count() == 0 && MailInOngoing() == 0 &&
          ongoing_->Items()->Count() + resolved_->Items()->Count() >= problems_) {
        return true;
      }
      std::this_thread::sleep_for(200ms);
    }
    return false;
  }

  // Where the mail stands, and the end of each running session's output:
  // what a processing that ran out of time had done.
  std::string Progress() {
    std::string text =
        std::to_string(support_->Items()->Count()) + " in Support, " +
        std::to_string(MailInOngoing()) + " mail in the Ongoing folder, " +
        std::to_string(ongoing_->Items()->Count() + resolved_->Items()->Count()) +
        " items in the case folders for " + std::to_string(problems_) + " problems";
    for (const auto& program : running_) {
      std::string output = program->Output();
      text += "\n--- " + output.substr(output.size() > 2000 ? output.size() - 2000 : 0);
    }
    return text;
  }

  void RememberCaseSubjects() {
    for (const CaseSeen& seen : Cases()) {
      if (int problem = ProblemOf(seen)) case_subjects_[problem] = seen.subject;
    }
  }

  // The end state, after the instances stopped.
  void ExpectEveryMailProcessedOnce() {
    EXPECT_EQ(support_->Items()->Count(), 0) << "mail left in Support";
    EXPECT_EQ(MailInOngoing(), 0u) << "mail left in the Ongoing folder";
    for (const auto& parent : {support_, ongoing_}) {
      for (const auto& folder : parent->Folders().All()) {
        EXPECT_EQ(folder->Items()->Count(), 0) << "mail set aside in " << folder->Name();
      }
    }

    std::map<int, int> replies_sent;
    for (const SentMail& mail : sent_) {
      if (mail.reply) ++replies_sent[mail.problem];
    }
    std::vector<CaseSeen> cases = Cases();
    EXPECT_EQ(cases.size(), static_cast<size_t>(problems_));
    std::set<std::string> numbers;
    std::map<int, std::string> number_of_problem;
    for (const CaseSeen& seen : cases) {
      EXPECT_FALSE(seen.number.empty()) << seen.subject;
      EXPECT_TRUE(numbers.insert(seen.number).second) << "number twice: " << seen.number;
      int problem = ProblemOf(seen);
      ASSERT_NE(problem, 0) << seen.subject;
      EXPECT_TRUE(number_of_problem.emplace(problem, seen.number).second)
          << "two cases from " << ProblemSubject(problem);
      EXPECT_EQ(seen.created_entries, 1) << seen.subject;
      EXPECT_EQ(seen.reply_entries, replies_sent[problem]) << seen.subject;
    }

    // Each mail sent lies in History once, marked with its case's number.
    std::map<std::string, std::vector<std::string>> filed;  // token -> numbers
    auto items = history_->Items();
    for (int32_t i = 1; i <= items->Count(); ++i) {
      auto item = items->Item(i);
      if (!item->SenderEmailAddress().ends_with("@example.org")) continue;
      std::string body = item->Body();
      size_t at = body.find("token-");
      if (at == std::string::npos) continue;
      size_t end = body.find("-end", at);
      ASSERT_NE(end, std::string::npos);
      filed[body.substr(at, end + 4 - at)].push_back(item->BillingInformation());
    }
    for (const SentMail& mail : sent_) {
      const std::vector<std::string>& found = filed[mail.token];
      ASSERT_EQ(found.size(), 1u) << mail.token << " filed " << found.size() << " times";
      EXPECT_EQ(found[0], number_of_problem[mail.problem]) << mail.token;
    }

    for (const fs::path& output : outputs_) {
      std::string text = ReadFile(output);
      EXPECT_EQ(text.find("Exception Number"), std::string::npos) << text;
      EXPECT_EQ(text.find("Exception Description"), std::string::npos) << text;
    }
  }

  // The server's database of a store on a server (made before and dropped
  // after everything else here).
  std::unique_ptr<host::testsupport::TestServerDatabase> database_;
  TempDir dir_;
  fs::path store_path_;
  std::vector<Technician> technicians_;
  std::unique_ptr<host::NameSpace> session_;
  std::shared_ptr<host::MAPIFolder> support_;
  std::shared_ptr<host::MAPIFolder> ongoing_;
  std::shared_ptr<host::MAPIFolder> resolved_;
  std::shared_ptr<host::MAPIFolder> history_;
  std::vector<std::unique_ptr<Program>> running_;
  std::vector<fs::path> outputs_;
  int round_ = 0;
  int problems_ = 0;
  std::vector<SentMail> sent_;
  std::map<int, std::string> case_subjects_;
};

TEST_F(TwoInstances, MailArrivingWhileBothRunBecomesOneCaseOrOneReplyEach) {
  StartAll();
  for (int i = 0; i < 80; ++i) ImportNewProblem();
  ASSERT_TRUE(WaitUntilProcessed())
      << "the first mails were not processed in time: " << Progress();
  RememberCaseSubjects();
  ImportMixed(140, Spread::MostlySupport);
  ASSERT_TRUE(WaitUntilProcessed())
      << "the mixed mails were not processed in time: " << Progress();
  StopAll();
  ExpectEveryMailProcessedOnce();
}

// Mail piles up while nobody runs; both start at once. The monitored
// folder's waiting mail is processed by the instance that claims it, that
// in the Ongoing folder by the start-up sweep.
TEST_F(TwoInstances, MailWaitingWhenBothStartIsProcessedOnce) {
  const struct {
    const char* where;
    Spread spread;
  } waiting[] = {{"in Support and the Ongoing folder", Spread::MostlySupport},
                 {"in the Ongoing folder only", Spread::AllOngoing}};
  StartAll();
  for (int i = 0; i < 40; ++i) ImportNewProblem();
  ASSERT_TRUE(WaitUntilProcessed())
      << "the first mails were not processed in time: " << Progress();
  StopAll();
  for (const auto& w : waiting) {
    SCOPED_TRACE(w.where);
    RememberCaseSubjects();
    ImportMixed(100, w.spread);
    StartAll();
    ASSERT_TRUE(WaitUntilProcessed())
        << "the waiting mails were not processed in time: " << Progress();
    StopAll();
    ExpectEveryMailProcessedOnce();
  }
}

// Both sessions and their workers are killed three times at random moments
// while they make cases and file replies; after each restart nothing is
// lost and nothing is done twice.
TEST_F(TwoInstances, KilledDuringIntakeAndRestartedLosesAndRepeatsNothing) {
  std::srand(static_cast<unsigned>(::getpid()));
  // Killed once the sessions are at work: a few more mails handled since
  // the last start, then a random moment later.
  auto kill_at_work = [&] {
    auto handled = [&] {
      return ongoing_->Items()->Count() + history_->Items()->Count();
    };
    const int32_t before = handled();
    auto until = std::chrono::steady_clock::now() + kProcessingLimit;
    while (handled() < before + 5 && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(10ms);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::rand() % 300));
    KillAll();
    StartAll();
  };
  StartAll();
  for (int i = 0; i < 120; ++i) ImportNewProblem();
  kill_at_work();
  kill_at_work();
  ASSERT_TRUE(WaitUntilProcessed())
      << "the first mails were not processed in time: " << Progress();
  RememberCaseSubjects();
  ImportMixed(150, Spread::MostlySupport);
  kill_at_work();
  ASSERT_TRUE(WaitUntilProcessed())
      << "the mixed mails were not processed in time: " << Progress();
  StopAll();
  ExpectEveryMailProcessedOnce();
}

// Three technicians on one store on a database server: mail lying in the
// folder when they start, more arriving while the first one takes it, then
// replies and new problems mixed.
// The claims leave each folder to one of them; the others stand by, and add
// themselves to the technicians while the first one files cases.
class ThreeInstancesOnAServer : public TwoInstances {
 protected:
  void SetUp() override {
    database_ = std::make_unique<host::testsupport::TestServerDatabase>();
    if (!database_->Available()) GTEST_SKIP() << "no PostgreSQL server for this run";
    Prepare(database_->Location(), 3);
  }
};

TEST_F(ThreeInstancesOnAServer, MailArrivingWhileThreeRunBecomesOneCaseOrOneReplyEach) {
  for (int i = 0; i < 100; ++i) ImportNewProblem();
  StartAll();
  // The next mail arrives once the lying mail is being taken.
  auto until = std::chrono::steady_clock::now() + kProcessingLimit;
  while (ongoing_->Items()->Count() == 0 && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(20ms);
  for (int i = 0; i < 100; ++i) ImportNewProblem();
  ASSERT_TRUE(WaitUntilProcessed())
      << "the first mails were not processed in time: " << Progress();
  RememberCaseSubjects();
  ImportMixed(200, Spread::MostlySupport);
  ASSERT_TRUE(WaitUntilProcessed())
      << "the mixed mails were not processed in time: " << Progress();
  StopAll();
  ExpectEveryMailProcessedOnce();
}

}  // namespace
}  // namespace zanvoro
