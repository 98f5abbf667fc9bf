#include "web/ManagePages.h"

#include "host/os/EventLoop.h"
#include "host/ui/Backstage.h"
#include "host/ui/MsgBox.h"
#include "host/web/WebPage.h"
#include "host/web/WebRenderer.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "web/CasePages.h"

namespace zanvoro {

namespace {

std::string Esc(std::string_view text) { return zanvoro::HtmlEscape(text); }

// How long a window may wait for the browser at most.
constexpr auto kLongestWait = std::chrono::hours(24);

host::WebResponse Fragment(std::string html) {
  host::WebResponse response;
  response.body = std::move(html);
  return response;
}

}  // namespace

ManagePages::ManagePages(host::WebServer& server, host::WebRenderer& renderer,
                         host::EventLoop& loop, CasePages& frame)
    : server_(server),
      renderer_(renderer),
      loop_(loop),
      frame_(frame),
      self_(std::make_shared<ManagePages*>(this)) {}

ManagePages::~ManagePages() {
  *self_ = nullptr;
  renderer_.SetWait({});
}

void ManagePages::Install() {
  host::WebServer* server = &server_;
  renderer_.SetWait([server](const std::function<bool()>& done) {
    return server->ServeUntil(done, kLongestWait);
  });
  auto page = [this](host::WebResponse (ManagePages::*handler)(const host::WebRequest&)) {
    return [this, handler](const host::WebRequest& request) {
      return (this->*handler)(request);
    };
  };
  server_.Get("/manage", page(&ManagePages::BackstagePage));
  server_.Post("/manage/run", page(&ManagePages::RunTask));
  server_.Get("/window", page(&ManagePages::Screen));
  server_.Post("/window/([0-9]+)", page(&ManagePages::Act));
  server_.Post("/question/([0-9]+)", page(&ManagePages::AnswerQuestion));
}

void ManagePages::SetAddin(host::RibbonExtensibility* addin) {
  addin_ = addin;
  backstage_.reset();
}

host::Backstage* ManagePages::Backstage() {
  if (!addin_) return nullptr;
  if (!backstage_) backstage_ = std::make_unique<host::Backstage>(*addin_);
  return backstage_.get();
}

host::WebResponse ManagePages::BackstagePage(const host::WebRequest& request) {
  // The document's callbacks may say something: it shows on this page.
  renderer_.BeginPage();
  struct EndPage {
    host::WebRenderer& renderer;
    ~EndPage() { renderer.TakeMessages(); }
  } end_page{renderer_};
  std::string body = "<h1>Manage</h1>";
  host::Backstage* backstage = Backstage();
  std::vector<const host::BackstageTab*> tabs;
  if (backstage) tabs = backstage->VisibleTabs();
  if (tabs.empty())
    body +=
        "<p class=\"notice\">The manager's commands are not available in this "
        "session.</p>";
  for (const host::BackstageTab* tab : tabs) {
    body += "<section class=\"card backstage\" id=\"tab-" + Esc(tab->id) + "\"><h2>" +
            Esc(tab->label) + "</h2><div class=\"groups\">";
    for (const host::BackstageGroup& group : tab->groups) {
      body += "<div class=\"group\" id=\"group-" + Esc(group.id) + "\"><h3>" +
              Esc(group.label) + "</h3>";
      if (!group.helper_text.empty())
        body += "<p class=\"muted\">" + Esc(group.helper_text) + "</p>";
      for (const host::BackstageCategory& category : group.categories) {
        if (!category.label.empty()) body += "<h4>" + Esc(category.label) + "</h4>";
        body += "<div class=\"tasks\">";
        for (const host::BackstageTask& task : category.tasks) {
          body += "<form method=\"post\" action=\"/manage/run\">" +
                  host::CsrfField(request.csrf) +
                  "<input type=\"hidden\" name=\"task\" value=\"" + Esc(task.id) +
                  "\"><button class=\"secondary\" id=\"task-" + Esc(task.id) + "\">" +
                  Esc(task.label) + "</button></form>";
        }
        body += "</div>";
      }
      body += "</div>";
    }
    body += "</div></section>";
  }
  return frame_.Page("Manage", "manage", body, request);
}

host::WebResponse ManagePages::RunTask(const host::WebRequest& request) {
  const std::string id = request.Param("task");
  bool known = false;
  if (host::Backstage* backstage = Backstage()) {
    for (const host::BackstageTab* tab : backstage->VisibleTabs())
      for (const host::BackstageGroup& group : tab->groups)
        for (const host::BackstageCategory& category : group.categories)
          for (const host::BackstageTask& task : category.tasks) known |= task.id == id;
  }
  if (!known) return host::WebResponse::Text(404, "There is no command \"" + id + "\".");
  loop_.Post([self = self_, id] {
    ManagePages* pages = *self;
    if (!pages || !pages->Backstage()) return;
    pages->renderer_.RunFromBrowser([&] { pages->Backstage()->RunTask(id); });
  });
  return host::WebResponse::Redirect("/manage");
}

host::WebResponse ManagePages::Screen(const host::WebRequest& request) {
  // "active": the user typed in the window since the browser last asked.
  return Fragment(renderer_.CurrentScreen(request.Param("active") == "1"
                                              ? host::WebRenderer::Seen::InUse
                                              : host::WebRenderer::Seen::Looked));
}

host::WebResponse ManagePages::Act(const host::WebRequest& request) {
  try {
    renderer_.RunFromBrowser([&] {
      renderer_.Act(static_cast<uint64_t>(Val(request.matches[1])),
                    request.Param("action"), request.Param("control"),
                    request.Param("value"));
    });
  } catch (const Error& error) {
    return host::WebResponse::Text(400, error.Description());
  }
  return Fragment(renderer_.CurrentScreen());
}

host::WebResponse ManagePages::AnswerQuestion(const host::WebRequest& request) {
  const std::string button = request.Param("button");
  if (!IsNumeric(button) ||
      !renderer_.Answer(static_cast<uint64_t>(Val(request.matches[1])),
                        static_cast<host::MsgBoxResult>(CLng(Variant(button))))) {
    return host::WebResponse::Text(409, "This question is no longer open.");
  }
  host::WebResponse response;
  response.status = 204;
  return response;
}

}  // namespace zanvoro
