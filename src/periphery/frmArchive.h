// The archive window: filter the resolved cases by their closing date
// (cboFilter: "Till this date" with dtpDateBefore, or "Between" with
// dtpStart and dtpEnd, dates typed as text), list them checked in lvCases
// (Show Cases; Select All sets or clears every check mark), open or create
// the archive store file typed in txtPSTFile (Open PST, New PST), choose or
// type a folder of it in cboSelectFolder, and move the checked cases with
// Start, the progress in pbProgress. Cancel closes the window; the archive
// stays open in the session and in the profile.
//
// Every handler follows the failure convention (locations
// "Archive.<control>"). UI thread only.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "host/ui/Form.h"
#include "periphery/ArchiveCases.h"

namespace zanvoro {

namespace host {
class Store;
}  // namespace host

class frmArchive : public host::Form {
 public:
  frmArchive();

  // The period the filter controls give; nullopt while a date does not read.
  std::optional<ArchivePeriod> Period() const;
  // The listed cases, their check marks as lvCases shows them.
  std::vector<ArchiveCandidate> ListedCases() const;
  const std::shared_ptr<host::Store>& ArchiveStore() const { return store_; }
  // What the last Start did.
  const ArchiveReport& LastReport() const { return report_; }

 private:
  void ShowCases();
  void FillList();
  void OpenStore(bool create);
  void Start();
  void ShowFilterDates();

  std::vector<ArchiveCandidate> cases_;  // lvCases' rows, in order
  std::shared_ptr<host::Store> store_;
  ArchiveReport report_;
};

}  // namespace zanvoro
