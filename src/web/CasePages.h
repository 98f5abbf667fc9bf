// The technicians' pages of the web interface: the case queue (the Ongoing
// and Resolved folder views with sorting, paging and the case search), the
// case page (its fields, editable ones in a form; log, work entries with
// time and cost, the conversation, the attachments), adding a work entry,
// closing, re-opening and deleting through the case operations, and a new
// case taken over the telephone or at the desk (caller, subject, description)
// and a reply to the caller from one of the helpdesk's templates. The
// manager's commands have a page of their own (ManagePages).
//
// Pages are made on the UI thread by the server's handlers. The store is
// watched there too: whenever it changed (in this session or another) every
// browser is told (event "changed") and refreshes its live parts.
//
// A case form carries the edit it was made from: saving it over a newer
// save of someone else is refused with the case's conflict message, the
// other save stays stored and the form keeps what was typed.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/ui/MsgBox.h"

#include "host/web/WebServer.h"

namespace zanvoro {

namespace host {
class EventLoop;
class Item;
class WebRenderer;
}  // namespace host

class CasePages {
 public:
  // `server` and `renderer` must outlive the pages; the renderer must be
  // the current one while the server runs.
  CasePages(host::WebServer& server, host::WebRenderer& renderer);
  ~CasePages();
  CasePages(const CasePages&) = delete;
  CasePages& operator=(const CasePages&) = delete;

  // Registers the routes. REQUIRES: before the server starts.
  void Install();
  // Tells the browsers about store changes, checking every `interval`.
  void WatchChanges(host::EventLoop& loop);
  void StopWatching();

  // The queue page for `request` ("folder", "sort", "desc", "page", "q",
  // "field"). UI thread only.
  host::WebResponse QueuePage(const host::WebRequest& request);

  // The values of the case form's fields.
  struct FormValues;

  // A whole page of the interface around `body`, with the navigation
  // (`current` names the link shown as current) and the messages kept for
  // the page. UI thread only.
  host::WebResponse Page(std::string title, std::string current, std::string body,
                         const host::WebRequest& request);

 private:
  host::WebResponse CasePage(const host::WebRequest& request);
  // The case form shows `values`, or the stored values when null (a save
  // that was refused shows what was typed).
  host::WebResponse RenderCase(const host::WebRequest& request, const std::string& number,
                               const FormValues* values);
  host::WebResponse Conversation(const host::WebRequest& request);
  host::WebResponse Attachment(const host::WebRequest& request, bool by_content_id);
  host::WebResponse Save(const host::WebRequest& request);
  host::WebResponse AddWork(const host::WebRequest& request);
  host::WebResponse Operation(const host::WebRequest& request);
  // The new case form, empty or with what was typed.
  host::WebResponse NewCaseForm(const host::WebRequest& request);
  host::WebResponse CreateNewCase(const host::WebRequest& request);
  // Sends the caller a mail from one of the caller's templates.
  host::WebResponse ReplyToCaller(const host::WebRequest& request);
  // Keeps what the page said for the page the browser is sent to next.
  void KeepMessagesForNextPage(const host::WebRequest& request);
  std::string KeepForEdit(const std::shared_ptr<host::Item>& item);
  // A page handler under the renderer's page scope and the failure report.
  host::WebHandler Handler(host::WebResponse (CasePages::*page)(const host::WebRequest&));

  host::WebServer& server_;
  host::WebRenderer& renderer_;
  host::EventLoop* loop_ = nullptr;
  uint64_t timer_ = 0;
  uint64_t generation_ = 0;
  // The item each shown case form was made from, by the form's edit token.
  std::map<std::string, std::shared_ptr<host::Item>> edits_;
  uint64_t next_edit_ = 0;
  // What an operation said, for the page it leads to, by session.
  std::map<std::string, std::vector<host::MessageBoxRequest>> flash_;
};

}  // namespace zanvoro
