// The case search window: finds the cases whose number, caller (name or
// address), subject or text (the case's search text) holds what is typed in
// txtFind, in the folders cboFolder names (the Ongoing and Resolved folders,
// one of them, or the knowledge base), and lists them in lstResults (number,
// subject, caller, folder). A number is looked up exactly; the other fields
// match anywhere, letter case ignored; an empty text lists every item of
// the folders. Open (or a second click on a result) hands the chosen item
// to the window's opener; Close closes.
//
// Every handler follows the failure convention ("Search.<control>"). UI
// thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/ui/Form.h"

namespace zanvoro {

namespace host {
class Item;
class MAPIFolder;
}  // namespace host

struct CaseSearchHit {
  std::string EntryID;
  std::string StoreID;
  std::string CaseNumber;
  std::string Subject;
  std::string Caller;
  std::string Folder;
};

enum class CaseSearchField { Number, Caller, Subject, Text };

// The items of `folders` that match `text` in `field`, folder by folder in
// item order.
std::vector<CaseSearchHit> SearchCases(
    const std::vector<std::shared_ptr<host::MAPIFolder>>& folders, CaseSearchField field,
    std::string_view text);

class frmSearch : public host::Form {
 public:
  using Opener = std::function<void(const std::shared_ptr<host::Item>&)>;
  explicit frmSearch(Opener open);

  const std::vector<CaseSearchHit>& Results() const { return hits_; }

 private:
  void Search();
  void OpenSelected();

  Opener open_;
  std::vector<CaseSearchHit> hits_;
};

}  // namespace zanvoro
