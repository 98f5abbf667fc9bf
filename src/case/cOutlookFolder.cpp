#include "case/cOutlookFolder.h"

#include "case/FolderPicker.h"
#include "case/HelpdeskFolders.h"
#include "errors/Trap.h"
#include "host/store/Item.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/UserProperties.h"
#include "runtime/Error.h"

namespace zanvoro {

namespace {

void WriteText(host::Item& item, const std::string& name, const std::string& value) {
  host::UserProperty* property =
      item.UserProperties().Add(name, host::UserPropertyType::Text);
  property->SetValue(Variant(value));
}

std::string ReadText(host::Item& item, const std::string& name) {
  host::UserProperty* property = item.UserProperties().Find(name);
  if (!property) return {};
  return CStr(property->Value());
}

}  // namespace

cOutlookFolder cOutlookFolder::Of(host::MAPIFolder& folder) {
  cOutlookFolder reference;
  reference.OutlookPath = folder.FolderPath();
  reference.EntryID = folder.EntryID();
  reference.StoreID = folder.StoreID();
  reference.Name = folder.Name();
  return reference;
}

bool cOutlookFolder::GetOutlookPathInfo(host::NameSpace& session,
                                        std::optional<host::ItemType> expected) {
  return Trap("OutlookFolder.GetOutlookPathInfo", false, [&] {
    auto folder = PickFolder(session);
    if (!folder) return false;
    if (expected && folder->DefaultItemType() != *expected) return false;
    *this = Of(*folder);
    return true;
  });
}

std::shared_ptr<host::MAPIFolder> cOutlookFolder::GetFolder(
    host::NameSpace& session) const {
  return Trap("OutlookFolder.GetFolder", std::shared_ptr<host::MAPIFolder>(), [&] {
    std::shared_ptr<host::MAPIFolder> folder;
    if (!EntryID.empty()) {
      try {
        folder = session.GetFolderFromID(EntryID, StoreID);
      } catch (const Error&) {
        folder.reset();
      }
    }
    if (!folder && !OutlookPath.empty()) {
      folder = GetFolderFromPath(session, OutlookPath, PathMessage::Silent);
    }
    // The identifiers may point to a folder that was moved or made anew
    // under another name; the recorded path may still lead to ours.
    if (folder && !Name.empty() && folder->Name() != Name) {
      folder = GetFolderFromPath(session, OutlookPath, PathMessage::Silent);
    }
    if (folder && !Name.empty() && folder->Name() != Name) folder.reset();
    return folder;
  });
}

std::shared_ptr<host::MAPIFolder> cOutlookFolder::GetFolder() const {
  auto session = HelpdeskSession();
  if (!session) return nullptr;
  return GetFolder(*session);
}

void cOutlookFolder::SaveToOutlookProps(host::Item& item, std::string_view suffix) const {
  Trap("OutlookFolder.SaveToOutlookProps", [&] {
    std::string s(suffix);
    WriteText(item, "OutlookFolderName" + s, Name);
    WriteText(item, "OutlookFolderEntryID" + s, EntryID);
    WriteText(item, "OutlookFolderStoreID" + s, StoreID);
    WriteText(item, "OutlookFolderPath" + s, OutlookPath);
  });
}

void cOutlookFolder::GetFromOutlookProps(host::Item& item, std::string_view suffix) {
  Trap("OutlookFolder.GetFromOutlookProps", [&] {
    std::string s(suffix);
    Name = ReadText(item, "OutlookFolderName" + s);
    EntryID = ReadText(item, "OutlookFolderEntryID" + s);
    StoreID = ReadText(item, "OutlookFolderStoreID" + s);
    OutlookPath = ReadText(item, "OutlookFolderPath" + s);
  });
}

}  // namespace zanvoro
