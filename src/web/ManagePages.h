// The manager's page of the web interface: the backstage's tabs, groups and
// commands, read from the add-in's custom UI document as the console menu
// reads it (host::Backstage), each command run through its callback. The
// windows the commands open show in the browser over whatever page it is on
// (WebRenderer): GET /window gives the current one, POST /window/ID what
// the user did in it, POST /question/ID the answer to its message box.
//
// A command runs in a task of its own after the POST that asked for it has
// been answered, so its windows wait for the browser without holding a
// request open.
#pragma once

#include <memory>

#include "host/web/WebServer.h"

namespace zanvoro {

namespace host {
class Backstage;
class EventLoop;
class RibbonExtensibility;
class WebRenderer;
}  // namespace host

class CasePages;

class ManagePages {
 public:
  // `server`, `renderer`, `loop` and `frame` (whose pages this one looks
  // like) must outlive the pages.
  ManagePages(host::WebServer& server, host::WebRenderer& renderer, host::EventLoop& loop,
              CasePages& frame);
  ~ManagePages();
  ManagePages(const ManagePages&) = delete;
  ManagePages& operator=(const ManagePages&) = delete;

  // Registers the routes and lets the renderer wait for the browser.
  // REQUIRES: before the server starts.
  void Install();
  // The add-in whose backstage is shown; null (the default) shows none.
  // REQUIRES: `addin` outlives the pages or is replaced before it goes.
  void SetAddin(host::RibbonExtensibility* addin);

 private:
  host::WebResponse BackstagePage(const host::WebRequest& request);
  host::WebResponse RunTask(const host::WebRequest& request);
  host::WebResponse Screen(const host::WebRequest& request);
  host::WebResponse Act(const host::WebRequest& request);
  host::WebResponse AnswerQuestion(const host::WebRequest& request);
  host::Backstage* Backstage();

  host::WebServer& server_;
  host::WebRenderer& renderer_;
  host::EventLoop& loop_;
  CasePages& frame_;
  host::RibbonExtensibility* addin_ = nullptr;
  std::unique_ptr<host::Backstage> backstage_;
  // Tells a command task that the pages went away before it ran.
  std::shared_ptr<ManagePages*> self_;
};

}  // namespace zanvoro
