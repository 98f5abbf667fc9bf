// The client's folder picker: a window listing every folder of the session,
// store by store, depth first, each by its full folder path. The user picks
// one entry (lstFolders) and confirms (cmdOK), or cancels (cmdCancel, or the
// close box). UI thread only.
#pragma once

#include <memory>
#include <vector>

#include "host/ui/Form.h"

namespace zanvoro {

namespace host {
class MAPIFolder;
class NameSpace;
}  // namespace host

class FolderPicker : public host::Form {
 public:
  explicit FolderPicker(host::NameSpace& session);

  // Shows the window modally; the folder picked, or nullptr when the user
  // cancelled or picked nothing.
  std::shared_ptr<host::MAPIFolder> Pick();

 private:
  void Fill();

  host::NameSpace& session_;
  std::vector<std::shared_ptr<host::MAPIFolder>> folders_;
  std::shared_ptr<host::MAPIFolder> picked_;
};

// FolderPicker(session).Pick().
std::shared_ptr<host::MAPIFolder> PickFolder(host::NameSpace& session);

}  // namespace zanvoro
