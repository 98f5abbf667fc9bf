// Mails per second from a full Maildir drop to cases with their
// notifications sent, one figure per line as "name: value unit".
//
// A throw-away profile gets a new helpdesk, technicians, callers (each with
// a technician, so every case is assigned), the caller's confirmation and
// the technician's assignment mail switched on, and its Inbox monitored.
// The drop is filled with realistic mails, then the phases run as in a
// session: the send/receive worker's own session delivers the drop into the
// Inbox ("deliver"), the add-in's event loop turns every mail into a case
// and hands its notifications to the transport, into the Outbox ("intake";
// "end_to_end" is both, ending when all cases exist), and the worker sends
// them on into the outbox Maildir ("send", durably: the mail and the
// folder's names flushed to disk for each). The "_cpu" figures count the
// processor time of the bench only, without the waits for the disk and for
// other programs on the machine.
// "case_lookup" is the time GetCaseItemFromID takes to find a case by its
// number among all of them.
//
// With `--server LOCATION` (a "postgresql://" address of a database, made
// when missing and emptied first) the same run is made a second time with
// the helpdesk's store on that server; its figures carry "server_" before
// their names.
// The profiler can be limited to the timed phases: see bench::Profiling.
// Usage: intake_bench [--mails N] [--dir DIR] [--server LOCATION]
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "addin/ZFO_M.h"
#include "case/CaseProperties.h"
#include "case/HelpdeskFolders.h"
#include "case/ItemProperty.h"
#include "case/NewHelpdesk.h"
#include "case/cCase.h"
#include "connection/LaterSteps.h"
#include "host/client/Application.h"
#include "host/db/Soci.h"
#include "host/db/SqlSession.h"
#include "host/mail/SendReceive.h"
#include "host/os/EventLoop.h"
#include "host/os/Profile.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/ui/Renderer.h"
#include "host/ui/ScriptedRenderer.h"
#include "intake/Monitoring.h"
#include "intake/cMonitoredFolderData.h"
#include "intake/cMonitoredFolderDataList.h"
#include "runtime/Error.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"

using namespace zanvoro;
using bench::Clock;
using bench::CpuSeconds;
using bench::Seconds;

namespace {

constexpr int kTechnicians = 8;
// Each caller sends at most 10 of the mails, under the intake's guard against
// mail loops (20 mails from one sender within 10 minutes).
int callers = 200;

// The most memory this process held at once.
double PeakRssMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

std::string Number(int n, int width) {
  std::string text = std::to_string(n);
  return std::string(text.size() < static_cast<size_t>(width) ? width - text.size() : 0,
                     '0') +
         text;
}

std::string CallerAddress(int n) { return "caller" + Number(n, 3) + "@customer.example"; }

const char* const kSubjects[] = {
    "Printer on floor 3 prints blank pages",
    "Cannot log in to the VPN since this morning",
    "Outlook keeps asking for my password",
    "New starter needs a laptop and an account",
    "Shared drive S: is not mapped any more",
    "Monitor flickers after the docking station update",
    "Request: access to the finance reports folder",
    "Phone on desk 4.12 has no dial tone",
};

// A mail as a mail client sends it: text and HTML alternatives, and every
// fifth one with a small PDF attached. With `reply_to` it is the caller's
// answer to that case, its tag in the subject.
std::string MakeMail(int n, int reply_to = 0) {
  int caller = n % callers;
  std::string boundary = "=_alt_" + Number(n, 6);
  std::string mixed = "=_mixed_" + Number(n, 6);
  bool attachment = n % 5 == 0;
  std::string subject = std::string(kSubjects[n % 8]) + " (#" + std::to_string(n) + ")";
  if (reply_to > 0) subject = "Re: [" + std::to_string(reply_to) + "] " + subject;
  std::string text;
  std::string html;
  for (int p = 0; p < 6; ++p) {
    std::string line =
        "Hello support team, this is paragraph " + std::to_string(p + 1) +
        " of my request. Since yesterday the problem comes back every hour; "
        "I restarted the machine twice and checked the cables. Colleagues on "
        "the same floor see it too. Could someone have a look today, please?";
    text += line + "\r\n\r\n";
    html += "<p class=\"MsoNormal\">" + line + "<o:p></o:p></p>\r\n";
  }
  text += "Kind regards\r\nCaller " + std::to_string(caller) + "\r\n";
  html += "<p class=\"MsoNormal\">Kind regards<br>Caller " + std::to_string(caller) +
          "</p>\r\n";

  std::string mail;
  mail += "Return-Path: <" + CallerAddress(caller) + ">\r\n";
  mail +=
      "Received: from mx.customer.example by mail.helpdesk.example; "
      "Mon, 2 Mar 2026 09:00:00 +0100\r\n";
  mail +=
      "From: Caller " + std::to_string(caller) + " <" + CallerAddress(caller) + ">\r\n";
  mail += "To: Support <support@helpdesk.example>\r\n";
  mail += "Subject: " + subject + "\r\n";
  mail += "Date: Mon, 2 Mar 2026 09:" + Number(n / 60 % 60, 2) + ":" + Number(n % 60, 2) +
          " +0100\r\n";
  mail += "Message-ID: <bench." + std::to_string(n) + (reply_to > 0 ? ".re" : "") +
          "@customer.example>\r\n";
  mail += "MIME-Version: 1.0\r\n";
  if (attachment) {
    mail += "Content-Type: multipart/mixed; boundary=\"" + mixed + "\"\r\n\r\n";
    mail += "--" + mixed + "\r\n";
  }
  mail += "Content-Type: multipart/alternative; boundary=\"" + boundary + "\"\r\n\r\n";
  mail += "--" + boundary + "\r\n";
  mail += "Content-Type: text/plain; charset=utf-8\r\n";
  mail += "Content-Transfer-Encoding: 8bit\r\n\r\n" + text + "\r\n";
  mail += "--" + boundary + "\r\n";
  mail += "Content-Type: text/html; charset=utf-8\r\n";
  mail += "Content-Transfer-Encoding: 8bit\r\n\r\n";
  mail +=
      "<html><head><style>p.MsoNormal{margin:0cm;font-family:Calibri}</style>"
      "</head><body><div class=\"WordSection1\">\r\n" +
      html + "</div></body></html>\r\n";
  mail += "--" + boundary + "--\r\n";
  if (attachment) {
    mail += "--" + mixed + "\r\n";
    mail += "Content-Type: application/pdf; name=\"screenshot.pdf\"\r\n";
    mail += "Content-Disposition: attachment; filename=\"screenshot.pdf\"\r\n";
    mail += "Content-Transfer-Encoding: base64\r\n\r\n";
    // About 16 KB of document.
    static const char kBase64[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int line = 0; line < 290; ++line) {
      std::string row(76, 'A');
      for (size_t i = 0; i < row.size(); ++i)
        row[i] = kBase64[(line * 31 + i * 7 + n) % 64];
      mail += row + "\r\n";
    }
    mail += "--" + mixed + "--\r\n";
  }
  return mail;
}

// Puts `count` mails into the drop's "new" folder as a local MTA does
// (written in "tmp", then renamed); with `replies` each answers case n.
void FillDrop(const std::filesystem::path& drop, int count, bool replies = false) {
  std::filesystem::create_directories(drop / "tmp");
  std::filesystem::create_directories(drop / "new");
  std::filesystem::create_directories(drop / "cur");
  for (int n = 1; n <= count; ++n) {
    std::string name =
        (replies ? "1772442000." : "1772438400.") + Number(n, 6) + ".mx.helpdesk.example";
    {
      std::ofstream file(drop / "tmp" / name, std::ios::binary);
      file << MakeMail(n, replies ? n : 0);
    }
    std::filesystem::rename(drop / "tmp" / name, drop / "new" / name);
  }
}

void ConfigureHelpdesk(cGlobalSettings& settings,
                       const std::shared_ptr<host::MAPIFolder>& inbox) {
  for (int t = 0; t < kTechnicians; ++t) {
    settings.Technicians.Add(
        cTechnician{.Name = "Technician " + std::to_string(t),
                    .Email = "tech" + std::to_string(t) + "@helpdesk.example"});
  }
  for (int c = 0; c < callers; ++c) {
    settings.Callers.Add(
        cCaller{.Email = CallerAddress(c),
                .Name = "Caller " + std::to_string(c),
                .Phone = "555-" + Number(c, 4),
                .Department = "Department " + std::to_string(c % 12),
                .Company = "Customer Ltd",
                .Technician = "Technician " + std::to_string(c % kTechnicians)});
  }
  settings.GeneralSettings.SetValue("sdoEnableDefaultTechnician", "1");
  settings.MessageTemplates.SetNotificaionEnabledValue("sdoCaseCreationConfirmationEmail",
                                                       true);
  settings.MessageTemplates.SetNotificaionEnabledValue("sdoCaseAssignmentEmail", true);
  if (!settings.SaveGlobalSettings(12))
    throw Error(err::kCallFailed, "the bench settings could not be saved");

  cMonitoredFolderData entry;
  entry.ReadFromString(inbox->FolderPath());
  entry.ActionMode = "Both";
  cMonitoredFolderDataList list;
  list.Add(entry);
  if (!WriteMonitoredFolders(settings, list))
    throw Error(err::kCallFailed, "the Inbox could not be monitored");
  RefreshMonitorMailFolders(AskUser::No);
  if (WatchedMonitoredFolders().empty())
    throw Error(err::kCallFailed, "the Inbox is not watched");
}

// Prints one figure, its name after `prefix`.
void Figure(const char* prefix, const char* name, double value, const char* unit) {
  std::printf("%s%s: %.1f %s\n", prefix, name, value, unit);
}

void Count(const char* prefix, const char* name, int value) {
  std::printf("%s%s: %d count\n", prefix, name, value);
}

// The mean time of finding cases by number, in microseconds: up to 200 of
// the cases in `folder`, spread over all of them.
double CaseLookupMicroseconds(const std::shared_ptr<host::MAPIFolder>& folder) {
  std::vector<std::string> numbers;
  auto items = folder->Items();
  int32_t count = items->Count();
  for (int32_t i = 1; i <= count; i += std::max(1, count / 200))
    numbers.push_back(ReadItemText(*items->Item(i), caseprop::kCaseNumber));
  auto start = Clock::now();
  for (const std::string& number : numbers) {
    if (!GetCaseItemFromID(number))
      throw Error(err::kNotFound, "case " + number + " was not found");
  }
  return Seconds(Clock::now() - start) * 1e6 / static_cast<double>(numbers.size());
}

int Run(const std::filesystem::path& dir, int mails, const std::string& store,
        const char* prefix) {
  host::Profile profile = bench::NewBenchHelpdesk(dir, store);

  // Nobody answers: message boxes take their default button, windows close.
  auto renderer = std::make_shared<host::ScriptedRenderer>();
  host::ScopedRenderer scoped_renderer(renderer);
  host::EventLoop loop;
  auto application = std::make_shared<host::Application>(profile, &loop);
  LaterSteps steps;
  AddHelpdeskFolderSteps(steps);
  InstallSettingsSteps(steps);
  InstallMonitoringSteps(steps);
  // The session starts its send/receive worker; here the bench is the
  // worker, so the program it finds does nothing.
  std::filesystem::create_directories(dir / "programs");
  {
    std::ofstream worker(dir / "programs" / "ZanvoroProcess");
    worker << "#!/bin/sh\nexit 0\n";
  }
  std::filesystem::permissions(dir / "programs" / "ZanvoroProcess",
                               std::filesystem::perms::owner_all);
  ZFO_M addin(std::move(steps), AddinEnvironment{{}, dir / "programs"});
  addin.AddinInstance_OnConnection(application, ConnectMode::Startup);
  addin.AddinInstance_OnStartupComplete();
  if (!SharedGlobalSettings()) throw Error(err::kCallFailed, "the settings did not load");
  auto session = application->GetNamespace("MAPI");
  ConfigureHelpdesk(*SharedGlobalSettings(),
                    session->GetDefaultFolder(host::DefaultFolder::Inbox));
  loop.RunPending();

  FillDrop(profile.incoming.front().maildir, mails);
  // The worker has a session of its own, as ZanvoroProcess does.
  std::unique_ptr<host::NameSpace> worker = host::OpenSession(profile, nullptr);

  bench::Profiling(true);
  auto start = Clock::now();
  double cpu_start = CpuSeconds();
  host::SendReceiveReport received = host::SendAndReceive(profile, *worker);
  auto delivered_at = Clock::now();
  double cpu_delivered = CpuSeconds();
  int delivered =
      received.incoming.empty() ? 0 : received.incoming.front().received.delivered;
  if (!received.AllWell() || delivered != mails) {
    std::fprintf(
        stderr, "delivered %d of %d mails %s\n", delivered, mails,
        received.incoming.empty() ? "" : received.incoming.front().error.c_str());
    return 1;
  }

  auto ongoing = GetOngoingFolder();
  auto ongoing_items = ongoing->Items();
  bool all = loop.RunUntil([&] { return ongoing_items->Count() >= mails; },
                           std::chrono::minutes(30));
  auto cases_at = Clock::now();
  double cpu_cases = CpuSeconds();
  bench::Profiling(false);
  int cases = ongoing_items->Count();
  int waiting = session->GetDefaultFolder(host::DefaultFolder::Outbox)->Items()->Count();
  if (!all) {
    std::fprintf(stderr, "only %d cases of %d mails\n", cases, mails);
    return 1;
  }

  host::SendReceiveReport sent = host::SendAndReceive(profile, *worker);
  auto sent_at = Clock::now();
  double cpu_sent = CpuSeconds();

  Count(prefix, "mails", mails);
  Count(prefix, "cases", cases);
  Figure(prefix, "deliver", mails / Seconds(delivered_at - start), "mails/s");
  Figure(prefix, "intake", mails / Seconds(cases_at - delivered_at), "mails/s");
  Figure(prefix, "end_to_end", mails / Seconds(cases_at - start), "mails/s");
  Count(prefix, "notifications", waiting);
  Figure(prefix, "send", sent.outgoing.sent / Seconds(sent_at - cases_at),
         "notifications/s");
  Count(prefix, "sent", sent.outgoing.sent);
  Figure(prefix, "deliver_cpu", mails / (cpu_delivered - cpu_start), "mails/s");
  Figure(prefix, "intake_cpu", mails / (cpu_cases - cpu_delivered), "mails/s");
  Figure(prefix, "end_to_end_cpu", mails / (cpu_cases - cpu_start), "mails/s");
  Figure(prefix, "send_cpu", sent.outgoing.sent / (cpu_sent - cpu_cases),
         "notifications/s");
  if (!sent.AllWell() || sent.outgoing.retrying + sent.outgoing.failed > 0) {
    std::fprintf(stderr, "sending: %s (%d to retry, %d failed)\n",
                 sent.outgoing_error.c_str(), sent.outgoing.retrying,
                 sent.outgoing.failed);
  }

  // Each caller answers: the replies are threaded onto their cases, each
  // filed in the History folder beside the mail that made the case.
  loop.RunPending();
  auto history_items = GetHistoryFolder()->Items();
  const int filed_before = history_items->Count();
  FillDrop(profile.incoming.front().maildir, mails, true);
  bench::Profiling(true);
  auto replies_start = Clock::now();
  double cpu_replies_start = CpuSeconds();
  received = host::SendAndReceive(profile, *worker);
  bool threaded =
      loop.RunUntil([&] { return history_items->Count() >= filed_before + mails; },
                    std::chrono::minutes(30));
  auto replies_at = Clock::now();
  double cpu_replies = CpuSeconds();
  bench::Profiling(false);
  if (!threaded) {
    std::fprintf(stderr, "only %d of %d replies filed\n",
                 history_items->Count() - filed_before, mails);
    return 1;
  }
  Figure(prefix, "replies_end_to_end", mails / Seconds(replies_at - replies_start),
         "mails/s");
  Figure(prefix, "replies_end_to_end_cpu", mails / (cpu_replies - cpu_replies_start),
         "mails/s");
  Figure(prefix, "case_lookup", CaseLookupMicroseconds(ongoing), "us");
  Figure(prefix, "peak_rss", PeakRssMegabytes(), "MB");
  for (const auto& shown : renderer->Transcript()) {
    if (shown.kind == host::ShownKind::MessageBox ||
        (shown.kind == host::ShownKind::Form && shown.name != "Explorer"))
      std::fprintf(stderr, "shown: %s %s\n", shown.name.c_str(), shown.text.c_str());
  }
  addin.AddinInstance_OnBeginShutdown();
  addin.AddinInstance_OnDisconnection(RemoveMode::HostShutdown);
  return 0;
}

// Drops every table of the database at `location`, so the run starts from
// a new store; a database not there yet is left to the store to make.
void EmptyServerDatabase(const std::string& location) {
  std::unique_ptr<soci::session> session;
  try {
    session = host::db::OpenSession(location);
  } catch (const Error&) {
    return;  // no such database yet: the store makes it
  }
  host::db::Execute(*session, "SET client_min_messages = warning");
  host::db::Execute(*session, "DROP SCHEMA public CASCADE");
  host::db::Execute(*session, "CREATE SCHEMA public");
}

}  // namespace

int main(int argc, char** argv) {
  std::string server;
  for (int i = 1; i + 1 < argc; ++i) {
    if (!std::strcmp(argv[i], "--server")) server = argv[i + 1];
  }
  return bench::BenchMain(argc, argv, "intake_bench", "mails", 1000,
                          [&](const std::filesystem::path& dir, int mails) {
                            callers = std::max(callers, (mails + 9) / 10);
                            int status = Run(dir / "file", mails, "", "");
                            if (status != 0 || server.empty()) return status;
                            ForgetHelpdeskFolders();
                            EmptyServerDatabase(server);
                            return Run(dir / "server", mails, server, "server_");
                          });
}
