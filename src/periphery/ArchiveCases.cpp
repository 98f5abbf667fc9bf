#include "periphery/ArchiveCases.h"

#include <system_error>
#include <utility>

#include "case/CaseProperties.h"
#include "case/EntryListForms.h"
#include "case/HelpdeskFolders.h"
#include "connection/RunningAddin.h"
#include "errors/Trap.h"
#include "errors/modErroHandling.h"
#include "host/client/Application.h"
#include "host/os/Profile.h"
#include "host/store/Item.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Recordset.h"
#include "host/store/Store.h"
#include "host/ui/MsgBox.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "settings/ListText.h"

namespace zanvoro {
namespace {

namespace fs = std::filesystem;

fs::path Absolute(const fs::path& path) {
  std::error_code ec;
  fs::path absolute = fs::weakly_canonical(fs::absolute(path, ec), ec);
  return ec ? path : absolute;
}

// Keeps the archive among the profile's stores, so later sessions open it.
void RememberInProfile(const fs::path& path, const std::string& display_name) {
  RunningAddin* addin = ConnectedAddin();
  std::shared_ptr<host::Application> application =
      addin ? addin->HostApplication() : nullptr;
  if (!application) return;
  host::Profile profile = host::Profile::Load(application->GetProfile().folder);
  for (const host::StoreLocation& store : profile.stores) {
    if (Absolute(store.path) == Absolute(path)) return;
  }
  profile.stores.push_back(
      host::StoreLocation{Absolute(path), display_name, host::StoreRole::Archive});
  profile.Save();
}

std::shared_ptr<host::MAPIFolder> FindOrAddFolder(
    const std::shared_ptr<host::MAPIFolder>& parent, std::string_view name) {
  host::Folders folders = parent->Folders();
  if (auto existing = folders.Item(name)) return existing;
  return folders.Add(name);
}

}  // namespace

bool IsValidCase(const ArchivePeriod& period, Date closed) {
  Date day = DatePart(closed);
  switch (period.Filter) {
    case kTillThisDate:
      return day >= DateSerial(1950, 1, 1) && day <= DatePart(period.DateBefore);
    case kBetween:
      return day >= DatePart(period.Start) && day <= DatePart(period.End);
    default:
      return false;
  }
}

std::string ArchiveSubFolderName(const ArchivePeriod& period) {
  if (period.Filter == kTillThisDate) return ShortDateText(period.DateBefore);
  return ShortDateText(period.Start) + " - " + ShortDateText(period.End);
}

std::vector<ArchiveCandidate> ListCasesToArchive(const ArchivePeriod& period) {
  return Trap("Archive.ListCasesToArchive", std::vector<ArchiveCandidate>{}, [&] {
    std::vector<ArchiveCandidate> cases;
    std::shared_ptr<host::MAPIFolder> resolved = GetResolvedFolder();
    if (!resolved) return cases;
    host::Recordset rows = resolved->ExecSQL(std::string("Select EntryID, Subject, \"") +
                                             caseprop::kCaseNumber + "\", \"" +
                                             caseprop::kDateClosedS + "\" from folder");
    for (; !rows.Eof(); rows.MoveNext()) {
      ArchiveCandidate c;
      c.CaseNumber = Trim(CellText(rows.Fields(caseprop::kCaseNumber).Value));
      if (c.CaseNumber.empty()) continue;
      c.EntryID = CellText(rows.Fields("EntryID").Value);
      c.Subject = CellText(rows.Fields("Subject").Value);
      c.DateClosed =
          entrylist::ReadEntryDate(CellText(rows.Fields(caseprop::kDateClosedS).Value));
      if (!c.EntryID.empty() && IsValidCase(period, c.DateClosed))
        cases.push_back(std::move(c));
    }
    return cases;
  });
}

std::shared_ptr<host::Store> OpenArchiveStore(const fs::path& path,
                                              const std::string& display_name) {
  return Trap("Archive.OpenArchiveStore", std::shared_ptr<host::Store>{}, [&] {
    std::shared_ptr<host::NameSpace> session = HelpdeskSession();
    if (!session) return std::shared_ptr<host::Store>{};
    std::shared_ptr<host::Store> store;
    try {
      store =
          session->AddStore(Absolute(path).string(),
                            display_name.empty() ? kDefaultArchiveName : display_name);
    } catch (const Error& error) {
      host::MsgBox(
          "The archive " + path.string() + " cannot be opened: " + error.Description(),
          host::vbCritical, kApplicationTitle);
      return std::shared_ptr<host::Store>{};
    }
    RememberInProfile(path, store->DisplayName());
    return store;
  });
}

std::shared_ptr<host::MAPIFolder> ArchiveTargetFolder(
    const std::shared_ptr<host::Store>& store, std::string_view folder_path,
    DateSubFolder dated, const ArchivePeriod& period) {
  return Trap("Archive.ArchiveTargetFolder", std::shared_ptr<host::MAPIFolder>{}, [&] {
    if (!store) return std::shared_ptr<host::MAPIFolder>{};
    std::shared_ptr<host::MAPIFolder> folder = store->GetRootFolder();
    for (const std::string& piece : Split(Replace(folder_path, "/", "\\"), "\\")) {
      std::string name = Trim(piece);
      if (!name.empty()) folder = FindOrAddFolder(folder, name);
    }
    if (dated == DateSubFolder::Yes)
      folder = FindOrAddFolder(folder, ArchiveSubFolderName(period));
    return folder;
  });
}

ArchiveReport MoveCasesToArchive(const std::vector<ArchiveCandidate>& cases,
                                 const std::shared_ptr<host::MAPIFolder>& target,
                                 const ArchiveProgress& progress) {
  return Trap("Archive.MoveCasesToArchive", ArchiveReport{}, [&] {
    ArchiveReport report;
    std::shared_ptr<host::MAPIFolder> resolved = GetResolvedFolder();
    if (!resolved || !target) return report;
    std::shared_ptr<host::Store> store = resolved->GetStore();
    size_t done = 0;
    size_t total = 0;
    for (const ArchiveCandidate& c : cases) total += c.Checked ? 1 : 0;
    for (const ArchiveCandidate& c : cases) {
      if (!c.Checked) continue;
      std::shared_ptr<host::Item> item = store->GetItemFromID(c.EntryID);
      if (!item) {
        ++report.Skipped;
      } else {
        try {
          item->Move(target);
          ++report.Moved;
        } catch (const Error&) {
          // The case stays in Resolved; the next run tries it again.
          ++report.Failed;
        }
      }
      if (progress) progress(++done, total);
    }
    return report;
  });
}

std::string ArchiveReportText(const ArchiveReport& report) {
  std::string text =
      "Cases successfully archived!\r\n\r\nMoved: " + std::to_string(report.Moved);
  if (report.Skipped > 0)
    text += "\r\nNo longer in Resolved: " + std::to_string(report.Skipped);
  if (report.Failed > 0)
    text += "\r\nLeft in Resolved (could not be moved): " + std::to_string(report.Failed);
  return text;
}

}  // namespace zanvoro
