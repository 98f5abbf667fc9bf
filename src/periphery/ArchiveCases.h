// Moving resolved cases out of the shared Resolved folder into a folder of
// a personal store file (an archive), so the shared folder stays small.
// Cases are chosen by their closing date, listed through a table query over
// the Resolved folder, and moved as whole items: nothing of a case is
// rewritten.
//
// A case is always in the Resolved folder or in the archive, never in
// neither: a move between stores copies the case into the archive and only
// then deletes it from Resolved. A run that was stopped part-way (the
// process killed) is finished by running it again: the cases left in the
// period are listed again, and one already copied is only deleted from
// Resolved, never copied a second time.
//
// Every procedure follows the failure convention (Trap, locations
// "Archive.<procedure>"). UI thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Date.h"

namespace zanvoro {

namespace host {
class MAPIFolder;
class Store;
}  // namespace host

inline constexpr const char* kDefaultArchiveName = "Helpdesk Archive";
// The folder of the archive that takes the cases when none is named.
inline constexpr const char* kDefaultArchiveFolder = "Archived Cases";

// The filter's choices, by their index in the filter list.
inline constexpr int32_t kTillThisDate = 0;
inline constexpr int32_t kBetween = 1;

struct ArchivePeriod {
  int32_t Filter = kTillThisDate;
  Date DateBefore;  // kTillThisDate: closed on this day or before
  Date Start;       // kBetween: closed on these days, both included
  Date End;
};

// Whether a case closed at `closed` (its day counts, not the time) is in the
// period: from 1 January 1950 to DateBefore, or from Start to End. No case
// is in a period of any other filter.
bool IsValidCase(const ArchivePeriod& period, Date closed);

// The name of the dated sub-folder: DateBefore as a short date, or Start,
// " - " and End.
std::string ArchiveSubFolderName(const ArchivePeriod& period);

struct ArchiveCandidate {
  std::string EntryID;
  std::string CaseNumber;
  std::string Subject;
  Date DateClosed;
  bool Checked = true;
};

// The resolved cases closed in the period, in the folder's order. Items
// without a case number or entry ID are never listed.
std::vector<ArchiveCandidate> ListCasesToArchive(const ArchivePeriod& period);

// The archive store file `path`, opened in the session (created when it does
// not exist) and kept in the profile's stores, so the archived cases stay
// reachable. nullptr when it cannot be opened (the user has been told).
std::shared_ptr<host::Store> OpenArchiveStore(const std::filesystem::path& path,
                                              const std::string& display_name);

// Whether the cases go into a sub-folder named by the period's dates.
enum class DateSubFolder { No, Yes };

// The folder of `store` at `folder_path` (names separated by "\" or "/",
// below the store's root; "" is the root), created where missing, and its
// dated sub-folder when asked. nullptr when there is no such folder and it
// cannot be made.
std::shared_ptr<host::MAPIFolder> ArchiveTargetFolder(
    const std::shared_ptr<host::Store>& store, std::string_view folder_path,
    DateSubFolder dated, const ArchivePeriod& period);

struct ArchiveReport {
  int32_t Moved = 0;
  int32_t Skipped = 0;  // no longer in the Resolved folder
  int32_t Failed = 0;   // could not be moved; still in Resolved
};

// Called after each case with the number done and the number to do.
using ArchiveProgress = std::function<void(size_t done, size_t total)>;

// Moves the checked cases, in list order, from the Resolved folder to
// `target`. A case that cannot be opened is skipped; one whose move fails
// stays where it was and is counted as failed.
ArchiveReport MoveCasesToArchive(const std::vector<ArchiveCandidate>& cases,
                                 const std::shared_ptr<host::MAPIFolder>& target,
                                 const ArchiveProgress& progress = {});

// "Cases successfully archived!" followed by the counts.
std::string ArchiveReportText(const ArchiveReport& report);

}  // namespace zanvoro
