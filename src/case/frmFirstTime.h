// The first-run wizard: finds an existing helpdesk's Settings folder and
// stores its location for the user.
//
//  cmdAutoScan      searches every store of the session, depth first, for
//                   folders marked as Settings folders; the last one found
//                   is the candidate. While it runs the button reads
//                   CONST_CANCEL and clicking it again stops the search.
//  cmdSpecify       the explorer's folder when it is a Settings folder, else
//                   the folder picker until the user picks one or cancels.
//  cmdFeedThisPath  stores the candidate's location, finds the helpdesk and
//                   shows its Ongoing folder in the explorer; closes.
//  cmdTryLater,
//  cmdCancel        close the window (cmdCancel stops a running search
//                   first); the question comes back at the next start.
//
// Works in the connected add-in's session. UI thread only.
#pragma once

#include <functional>
#include <memory>

#include "case/cOutlookFolder.h"
#include "host/ui/Form.h"

namespace zanvoro {

namespace host {
class MAPIFolder;
}  // namespace host

class frmFirstTime : public host::Form {
 public:
  frmFirstTime();

  // Runs after every folder the search visits so the window stays
  // responsive. The default runs what the client's event loop has pending.
  void SetScanYield(std::function<void()> yield) { yield_ = std::move(yield); }

  // The folder found or picked; empty when there is none.
  const cOutlookFolder& Candidate() const { return candidate_; }
  // How many marked folders the last search found.
  int MatchCount() const { return matches_; }
  bool Scanning() const { return scanning_; }

 private:
  void AutoScan();
  // Returns false when the search was cancelled.
  bool Scan(const std::shared_ptr<host::MAPIFolder>& folder,
            std::shared_ptr<host::MAPIFolder>& found);
  void Specify();
  void FeedThisPath();
  void ShowCandidate(host::MAPIFolder& folder);
  void SetWarning(const std::string& text);
  void Yield();

  std::function<void()> yield_;
  cOutlookFolder candidate_;
  int matches_ = 0;
  bool scanning_ = false;
  bool cancel_scan_ = false;
  bool close_after_scan_ = false;
};

}  // namespace zanvoro
