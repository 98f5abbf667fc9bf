// The mail client as the add-in is given it: the version, the MAPI session
// of the user's profile, the explorer and inspector windows, new items, and
// the way out (Quit). The `zanvoro` program makes one Application per run
// and hands it to the add-in when it connects. UI thread only.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "host/client/ClientEvent.h"
#include "host/client/Explorer.h"
#include "host/client/Inspector.h"
#include "host/os/EventLoop.h"
#include "host/os/Profile.h"
#include "host/store/StoreTypes.h"
#include "host/store/WriteBatch.h"

namespace zanvoro::host {

class Item;
class NameSpace;

class Application {
 public:
  // REQUIRES: `loop` (may be nullptr: no ItemAdd events) outlives the
  // Application and everything taken from it. Nothing is opened yet.
  //
  // Tasks of the loop that run back to back share one batch of the
  // session's store writes (a burst of arrived mail commits once per few
  // dozen mails, not once per save); a batch ends when no task is left to
  // run, after 64 tasks or 50 ms, and before any window waits for the user.
  Application(Profile profile, EventLoop* loop);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The client's version text, "16.0" unless the profile says otherwise.
  const std::string& Version() const { return profile_.host_version; }
  // The major version: the digits of Version() before the first "."; 0 when
  // there are none.
  int MajorVersion() const;
  const Profile& GetProfile() const { return profile_; }
  EventLoop* Loop() const { return loop_; }

  // The session ("MAPI", any case), opened on first use from the profile's
  // stores (mailbox stores as mailboxes, shared and archive stores as shared
  // ones) as the profile's user. Any other type raises
  // Error(err::kInvalidProcedureCall); a store that cannot be opened raises
  // the store's Error, and a later call tries again.
  std::shared_ptr<host::NameSpace> GetNamespace(std::string_view type);

  host::Explorers& Explorers() { return explorers_; }
  // nullptr when no explorer is open and displayed.
  std::shared_ptr<Explorer> ActiveExplorer() const { return explorers_.Active(); }
  host::Inspectors& Inspectors() { return inspectors_; }
  std::shared_ptr<Inspector> ActiveInspector() const { return inspectors_.Active(); }

  // A new, unsaved item of `type` in the user's default folder for it: mail
  // and post in Drafts, appointments in Calendar, contacts in Contacts,
  // tasks in Tasks. Other types raise Error(err::kInvalidProcedureCall).
  std::shared_ptr<Item> CreateItem(ItemType type);
  // Opens an inspector on the item and displays it.
  std::shared_ptr<Inspector> DisplayItem(const std::shared_ptr<Item>& item);
  // Hands the item to the transport (Item::Send): saves it and moves it to
  // the Outbox of its store,
  // which the send/receive worker flushes. Returns the item in the Outbox.
  // An item without recipients raises Error(err::kCallFailed).
  std::shared_ptr<Item> SendItem(const std::shared_ptr<Item>& item);

  // Fires Quit, closes every inspector and explorer and then tells the
  // program (OnQuit: it ends its session). Quitting twice does nothing more.
  void Quit();
  bool QuitCalled() const { return quit_; }
  void OnQuit(std::function<void()> handler) { on_quit_ = std::move(handler); }

  // Add-ins' events: Quit, while the windows are still open;
  // MAPILogonComplete, once the session opened (GetNamespace).
  EventConnection OnQuitEvent(std::function<void()> handler) {
    return quit_event_.Connect(std::move(handler));
  }
  EventConnection OnMAPILogonComplete(std::function<void()> handler) {
    return logon_complete_.Connect(std::move(handler));
  }

 private:
  void RunInBatch(const EventLoop::Task& task);

  Profile profile_;
  EventLoop* loop_;
  std::shared_ptr<host::NameSpace> session_;
  std::optional<WriteBatch> batch_;
  std::chrono::steady_clock::time_point batch_begun_;
  int batch_tasks_ = 0;
  host::Explorers explorers_;
  host::Inspectors inspectors_;
  std::function<void()> on_quit_;
  Event<> quit_event_;
  Event<> logon_complete_;
  bool quit_ = false;
};

}  // namespace zanvoro::host
