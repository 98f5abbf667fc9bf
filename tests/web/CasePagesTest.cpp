#include "web/CasePages.h"

#include "web/ManagePages.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "case/CaseProperties.h"
#include "case/CaseTestSupport.h"
#include "case/ItemProperty.h"
#include "case/cCase.h"
#include "host/os/EventLoop.h"
#include "host/ui/Renderer.h"
#include "host/web/WebRenderer.h"
#include "host/web/WebServer.h"
#include "text/Phrases.h"

namespace zanvoro {
namespace {

constexpr const char* kForm = "application/x-www-form-urlencoded";

// The case pages served on a loopback port, the web renderer current.
class CasePagesTest : public testsupport::CaseTest {
 protected:
  CasePagesTest()
      : server_(loop_, Options()),
        web_renderer_(std::make_shared<host::WebRenderer>(
            [](const std::string&, const std::string&) {}, renderer_)),
        scoped_(web_renderer_),
        pages_(server_, *web_renderer_),
        manage_(server_, *web_renderer_, loop_, pages_) {
    pages_.Install();
    manage_.Install();
    manage_.SetAddin(addin_.get());
    server_.Start();
  }
  ~CasePagesTest() override { server_.Stop(); }

  static host::WebServerOptions Options() {
    host::WebServerOptions options;
    options.listen = "127.0.0.1:0";
    return options;
  }

  // Runs `client` on a thread of its own while the loop serves the pages;
  // the client is logged in and knows its CSRF token.
  template <class F>
  auto Browse(F client) {
    std::atomic<bool> done = false;
    decltype(client(std::declval<httplib::Client&>(), httplib::Headers{},
                    std::string{})) result;
    std::thread thread([&] {
      httplib::Client http("127.0.0.1", server_.Port());
      auto login = http.Post("/login", "", kForm);
      std::string cookie = login->get_header_value("Set-Cookie");
      httplib::Headers session = {{"Cookie", cookie.substr(0, cookie.find(';'))}};
      std::string page = http.Get("/new-case", session)->body;
      std::string marker = "name=\"csrf\" value=\"";
      size_t at = page.find(marker) + marker.size();
      std::string csrf = page.substr(at, page.find('"', at) - at);
      result = client(http, session, csrf);
      done = true;
      loop_.Post([] {});
    });
    loop_.RunUntil([&] { return done.load(); }, std::chrono::seconds(30));
    thread.join();
    return result;
  }

  host::WebServer server_;
  std::shared_ptr<host::WebRenderer> web_renderer_;
  host::ScopedRenderer scoped_;
  CasePages pages_;
  ManagePages manage_;
};

// The window the browser shows now, asked for until it shows `marker` or
// a few seconds passed.
std::string ScreenShowing(httplib::Client& http, const httplib::Headers& session,
                          const std::string& marker) {
  std::string screen;
  for (int i = 0; i < 100; ++i) {
    screen = http.Get("/window", session)->body;
    if (screen.find(marker) != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return screen;
}

// The number after `attribute="` in `html`.
std::string Number(const std::string& html, const std::string& attribute) {
  size_t at = html.find(attribute + "=\"");
  if (at == std::string::npos) return "0";
  at += attribute.size() + 2;
  return html.substr(at, html.find('"', at) - at);
}

TEST_F(CasePagesTest, NewCaseFormMakesTheCaseOrSaysWhatIsMissing) {
  // A known caller with a technician and an SLA of their own, and a problem
  // type named in the subject: the case gets what a mail's case would.
  Settings().SLAs.Add(cSLA{.Name = "Gold", .Priority = "High", .ResponseTime = "4-hrs"});
  Settings().Callers.Add(cCaller{.Email = "ann@example.com", .Name = "Ann L.",
                                 .Company = "Lee & Co", .Technician = "Bob Jones",
                                 .SLA = "Gold"});
  Settings().ProblemTypes.Add(
      cProblemType{.ProblemType = "Printer", .ProblemCategory = "Hardware"});
  for (const char* on : {"sdoEnableDefaultTechnician", "sdoSetCallerDefaultSLA"})
    Settings().GeneralSettings.SetValue(on, "1");
  struct Seen {
    int no_subject_status = 0, no_token_status = 0, made_status = 0;
    std::string no_subject, no_caller, location, case_page, queue;
  };
  // The form's labels come from the phrase table in the session's language.
  std::string french_form;
  {
    struct French {
      French() { LoadPhrases(kLanguageFrench); }
      ~French() { LoadPhrases(kLanguageEnglish); }
    } french;
    french_form = Browse([](httplib::Client& http, const httplib::Headers& session,
                            const std::string&) {
      return http.Get("/new-case", session)->body;
    });
  }
  Seen seen = Browse([](httplib::Client& http, const httplib::Headers& session,
                        const std::string& csrf) {
    Seen s;
    auto missing = http.Post("/new-case", session,
                             "csrf=" + csrf + "&caller_name=%3Cb%3EAnn&subject=",
                             kForm);
    s.no_subject_status = missing->status;
    s.no_subject = missing->body;
    s.no_caller = http.Post("/new-case", session, "csrf=" + csrf + "&subject=Printer", kForm)
                      ->body;
    s.no_token_status =
        http.Post("/new-case", session, "caller_name=Ann&subject=Printer", kForm)->status;
    auto made = http.Post("/new-case", session,
                          "csrf=" + csrf +
                              "&caller_name=Ann+Lee&caller_email=ann%40example.com"
                              "&subject=Printer+%3Cjams%3E&description=Paper+stuck",
                          kForm);
    s.made_status = made->status;
    s.location = made->get_header_value("Location");
    if (!s.location.empty()) s.case_page = http.Get(s.location, session)->body;
    s.queue = http.Get("/queue", session)->body;
    return s;
  });

  // Nothing missing is made; the form says what is missing and keeps what
  // was typed, escaped.
  EXPECT_NE(french_form.find(">Nom du demandeur</label>"), std::string::npos) << french_form;
  EXPECT_NE(french_form.find(">Objet</label>"), std::string::npos);
  EXPECT_EQ(seen.no_subject_status, 200);
  EXPECT_NE(seen.no_subject.find("Enter the subject of the new case."), std::string::npos);
  EXPECT_NE(seen.no_subject.find("value=\"&lt;b&gt;Ann\""), std::string::npos);
  EXPECT_EQ(seen.no_subject.find("<b>Ann"), std::string::npos);
  EXPECT_NE(seen.no_caller.find("name or e-mail address."),
            std::string::npos)
      << seen.no_caller;
  EXPECT_EQ(seen.no_token_status, 403);

  ASSERT_EQ(seen.made_status, 303);
  ASSERT_EQ(seen.location.rfind("/case/", 0), 0u) << seen.location;
  const std::string number = seen.location.substr(6);
  EXPECT_NE(seen.case_page.find("Printer &lt;jams&gt;"), std::string::npos);
  EXPECT_EQ(seen.case_page.find("<jams>"), std::string::npos);
  EXPECT_NE(seen.queue.find("id=\"new-case\""), std::string::npos);

  auto item = GetCaseItemFromID(number);
  ASSERT_TRUE(item);
  EXPECT_EQ(ReadItemText(*item, caseprop::kCallerName), "Ann Lee");
  EXPECT_EQ(ReadItemText(*item, caseprop::kCallerEmail), "ann@example.com");
  EXPECT_EQ(ReadItemText(*item, caseprop::kCallerCompany), "Lee & Co");
  EXPECT_EQ(ReadItemText(*item, caseprop::kTechnicians), "Bob Jones");
  EXPECT_EQ(ReadItemText(*item, caseprop::kServiceLevel), "Gold");
  EXPECT_EQ(ReadItemText(*item, caseprop::kProblemCategory), "Hardware");
  EXPECT_EQ(ReadItemText(*item, caseprop::kProblemType), "Printer");
  EXPECT_GT(ReadItemDate(*item, caseprop::kDueDate).Serial(), Now().Serial());
  EXPECT_EQ(Ongoing()->Items()->Count(), 1);
  cCase c;
  ASSERT_TRUE(c.GetCaseFromOutlookItem(item, SaveUnsaved::No));
  EXPECT_EQ(c.Subject, "[" + c.CaseID + "] Printer <jams>");
  EXPECT_NE(c.HTMLBody.find("Paper stuck"), std::string::npos);
}

TEST_F(CasePagesTest, ReplyToCallerSendsTheChosenTemplateAndSaysSo) {
  auto with_address = SavedCaseItem(Ongoing(), "7");
  WriteItemProperty(*with_address, caseprop::kCallerName, Variant("Carol Diaz"),
                    VarType::String);
  WriteItemProperty(*with_address, caseprop::kCallerEmail, Variant("carol@example.com"),
                    VarType::String);
  with_address->Save();
  SavedCaseItem(Ongoing(), "8");  // a caller without an address

  struct Seen {
    std::string form, sent, unknown_template, no_address;
    int sent_status = 0;
  };
  Seen seen = Browse([](httplib::Client& http, const httplib::Headers& session,
                        const std::string& csrf) {
    Seen s;
    s.form = http.Get("/case/7", session)->body;
    auto post = [&](const char* number, const char* chosen) {
      auto reply = http.Post(std::string("/case/") + number + "/reply", session,
                             "csrf=" + csrf + "&template=" + chosen, kForm);
      return reply;
    };
    s.unknown_template = (post("7", "4"), http.Get("/case/7", session)->body);
    s.no_address = (post("8", "3"), http.Get("/case/8", session)->body);
    auto sent = post("7", "3");
    s.sent_status = sent->status;
    s.sent = http.Get("/case/7", session)->body;
    return s;
  });

  EXPECT_NE(seen.form.find("id=\"reply-form\""), std::string::npos);
  EXPECT_NE(seen.unknown_template.find("Choose the template of the reply."),
            std::string::npos);
  EXPECT_NE(seen.no_address.find("has no e-mail address."), std::string::npos);
  EXPECT_EQ(seen.sent_status, 303);
  EXPECT_NE(seen.sent.find("E-mail to the caller sent to carol@example.com."),
            std::string::npos);

  // One mail, to the caller, about the case; the template's SMS code and
  // the caller without an address sent nothing.
  auto outbox = Outbox();
  ASSERT_EQ(outbox.size(), 1u);
  EXPECT_EQ(Recipients(*outbox[0]), "carol@example.com");
}

TEST_F(CasePagesTest, ConversationPicturesComeFromTheCaseAndNothingElseIsRewritten) {
  auto item = SavedCaseItem(Ongoing(), "9");
  item->SetHTMLBody(
      "<p>Screens: <img SRC = 'cid:shot@caller.example'> <img src=\"cid:\">"
      " <img src=\"https://pictures.example/cid:remote\"></p><p>src = cid:typed</p>");
  item->Save();
  std::string page = Browse([](httplib::Client& http, const httplib::Headers& session,
                               const std::string&) {
    return http.Get("/case/9/conversation", session)->body;
  });
  EXPECT_NE(page.find("/case/9/cid/shot@caller.example"), std::string::npos) << page;
  EXPECT_EQ(page.find("cid:shot"), std::string::npos) << page;
  EXPECT_NE(page.find("https://pictures.example/cid:remote"), std::string::npos) << page;
  EXPECT_NE(page.find("/case/9/cid/typed"), std::string::npos) << page;
}

TEST_F(CasePagesTest, AManagerCommandsWindowIsFilledInAndSavedInTheBrowser) {
  size_t technicians = Settings().Technicians.Count();
  struct Seen {
    int no_token = 0, unknown = 0, run = 0;
    std::string after_refusal, manage, window, question, with_entry, after_save;
  };
  const int port = server_.Port();
  Seen seen = Browse([port](httplib::Client& http, const httplib::Headers& session,
                            const std::string& csrf) {
    Seen s;
    // Without the token nothing runs, and an unknown command is no command.
    s.no_token = http.Post("/manage/run", session, "task=cmdTechniciansList", kForm)->status;
    s.unknown = http.Post("/manage/run", session, "csrf=" + csrf + "&task=cmdNone", kForm)->status;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    s.after_refusal = http.Get("/window", session)->body;
    s.manage = http.Get("/manage", session)->body;
    s.run = http.Post("/manage/run", session, "csrf=" + csrf + "&task=cmdTechniciansList",
                      kForm)->status;
    s.window = ScreenShowing(http, session, "data-window");
    const std::string window = "/window/" + Number(s.window, "data-window");
    auto act = [&](httplib::Client& client, const std::string& fields) {
      return client.Post(window, session, "csrf=" + csrf + "&" + fields, kForm);
    };
    act(http, "action=set&control=txtName&value=Zed+%3CQuinn%3E");
    act(http, "action=set&control=txtEmail&value=zed%40example.com");
    act(http, "action=set&control=txtRate&value=abc");
    // The refusal is a question in the window; the click waits for its answer.
    auto click = std::async(std::launch::async, [&] {
      httplib::Client other("127.0.0.1", port);
      return act(other, "action=click&control=cmdAdd")->status;
    });
    s.question = ScreenShowing(http, session, "data-question");
    http.Post("/question/" + Number(s.question, "data-question"), session,
              "csrf=" + csrf + "&button=1", kForm);
    click.get();
    act(http, "action=set&control=txtRate&value=12.5");
    s.with_entry = act(http, "action=click&control=cmdAdd")->body;
    act(http, "action=click&control=cmdSave");
    s.after_save = http.Get("/window", session)->body;
    if (!s.after_save.empty()) act(http, "action=close");
    return s;
  });

  EXPECT_EQ(seen.no_token, 403);
  EXPECT_EQ(seen.unknown, 404);
  EXPECT_EQ(seen.after_refusal, "");
  EXPECT_NE(seen.manage.find("id=\"task-cmdTechniciansList\""), std::string::npos);
  EXPECT_NE(seen.manage.find("href=\"/manage\" class=\"current\""), std::string::npos);
  EXPECT_EQ(seen.run, 303);
  EXPECT_NE(seen.window.find("data-form=\"frmManagerList\""), std::string::npos) << seen.window;
  EXPECT_NE(seen.window.find("data-control=\"txtName\""), std::string::npos);
  EXPECT_NE(seen.question.find("Rate &quot;abc&quot; is not a number"), std::string::npos)
      << seen.question;
  // What was typed shows escaped.
  EXPECT_NE(seen.with_entry.find("Zed &lt;Quinn&gt;"), std::string::npos) << seen.with_entry;
  EXPECT_EQ(seen.with_entry.find("<Quinn>"), std::string::npos);
  EXPECT_EQ(seen.after_save, "");

  // What the window saved is what the store gives back.
  Settings().Technicians.Clear();
  ASSERT_TRUE(Settings().ReloadSettings(2));
  EXPECT_EQ(Settings().Technicians.Count(), technicians + 1);
  ASSERT_TRUE(Settings().Technicians.Exists("Zed <Quinn>"));
  EXPECT_EQ(Settings().Technicians.Find("Zed <Quinn>")->Email, "zed@example.com");
}

}  // namespace
}  // namespace zanvoro
