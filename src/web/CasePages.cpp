#include "web/CasePages.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <vector>

#include "addin/CaseFolderViews.h"
#include "case/FolderMarkers.h"
#include "case/HelpdeskFolders.h"
#include "case/cCase.h"
#include "case/frmSearch.h"
#include "errors/modErroHandling.h"
#include "host/os/EventLoop.h"
#include "intake/ProcessIncomingItem.h"
#include "host/html/HtmlSanitizer.h"
#include "host/os/Profile.h"
#include "host/store/Attachments.h"
#include "host/store/Item.h"
#include "host/store/MAPIFolder.h"
#include "host/store/Store.h"
#include "host/ui/MsgBox.h"
#include "host/web/WebPage.h"
#include "host/web/WebRenderer.h"
#include "runtime/Date.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"
#include "text/Phrases.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "notify/SendCaseEmail.h"
#include "workflow/CaseOperations.h"

namespace zanvoro {

namespace {

constexpr size_t kPageRows = 50;
constexpr size_t kKeptEdits = 500;
constexpr auto kWatchInterval = std::chrono::milliseconds(300);

// What a case's conversation may do in the browser: show its text, its
// formatting and the pictures it carries, nothing else. No script runs, no
// remote content loads, no form posts.
constexpr const char* kConversationPolicy =
    "default-src 'none'; img-src 'self' data:; style-src 'unsafe-inline'; "
    "font-src 'none'; script-src 'none'; form-action 'none'; base-uri 'none'; "
    "frame-ancestors 'self'";

std::string Esc(std::string_view text) { return zanvoro::HtmlEscape(text); }

std::string DateCell(Date date) {
  if (date.IsZero() || date.IsNoDate()) return {};
  return GeneralDateText(date);
}

bool IsClosedItem(const host::Item& item) {
  return TextEquals(item.MessageClass(), kClosedCaseMessageClass);
}

host::WebResponse NotFoundPage(std::string text) {
  return host::WebResponse::Text(404, std::move(text));
}

// Empty fields are left out: the page stays dense.
std::string Field(std::string_view label, std::string_view value) {
  if (value.empty()) return {};
  return "<span class=\"k\">" + Esc(label) + "</span><span class=\"v\">" +
         zanvoro::HtmlEscape(value, LineBreaks::AsBreaks) + "</span>";
}

std::string InputField(std::string_view label, std::string_view name,
                       std::string_view value) {
  return "<label for=\"f-" + Esc(name) + "\">" + Esc(label) + "</label><input id=\"f-" +
         Esc(name) + "\" name=\"" + Esc(name) + "\" value=\"" + Esc(value) + "\">";
}

// The rewritten links of a conversation's pictures: "cid:" names the
// attachment with that content ID, served from this case's own route.
std::string RewriteContentIds(const std::string& html, const std::string& case_number) {
  auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  auto starts_here = [&](size_t at, std::string_view word) {
    return StartsWithText(std::string_view(html).substr(at), word);
  };
  const std::string route = "/case/" + host::UrlEncode(case_number) + "/cid/";
  std::string out;
  out.reserve(html.size());
  size_t copied = 0;
  for (size_t at = 0; at < html.size(); ++at) {
    // src = "cid:NAME, in any case, with blanks around the equals sign and
    // the quote optional, as in an attribute.
    if (!starts_here(at, "src")) continue;
    size_t p = at + 3;
    while (p < html.size() && space(html[p])) ++p;
    if (p == html.size() || html[p] != '=') continue;
    ++p;
    while (p < html.size() && space(html[p])) ++p;
    if (p < html.size() && (html[p] == '"' || html[p] == '\'')) ++p;
    if (!starts_here(p, "cid:")) continue;
    size_t name = p + 4;
    size_t end = name;
    while (end < html.size() && html[end] != '"' && html[end] != '\'' && html[end] != '>' &&
           !space(html[end]))
      ++end;
    if (end == name) continue;
    out.append(html, copied, p - copied);
    out += route;
    out.append(html, name, end - name);
    copied = end;
    at = end - 1;
  }
  out.append(html, copied);
  return out;
}

// The templates a reply to the caller is made from: the notification kind
// and what the technician picks it by.
struct ReplyTemplate {
  int32_t kind;
  const char* caption;
};
constexpr ReplyTemplate kReplyTemplates[] = {
    {3, "E-mail to the caller"},   {11, "Confirmation of the case"},
    {17, "Technician assigned"},   {12, "Case closed"},
    {14, "Case re-opened"},
};

std::string ReplyForm(const std::string& number, const std::string& csrf) {
  std::string html = "<form class=\"inline-form\" method=\"post\" action=\"/case/" +
                     Esc(host::UrlEncode(number)) + "/reply\" id=\"reply-form\">" +
                     host::CsrfField(csrf) +
                     "<select name=\"template\" aria-label=\"Template\">";
  for (const ReplyTemplate& t : kReplyTemplates) {
    html += "<option value=\"" + std::to_string(t.kind) + "\">" + Esc(t.caption) +
            "</option>";
  }
  return html + "</select><button id=\"btn-reply\">Send</button></form>";
}

std::string OperationForm(const std::string& number, const char* action,
                          const std::string& caption, const std::string& question,
                          const char* style, const std::string& csrf) {
  return "<form method=\"post\" action=\"/case/" + Esc(host::UrlEncode(number)) + "/" +
         action + "\" data-confirm=\"" + Esc(question) + "\">" + host::CsrfField(csrf) +
         "<button class=\"" + style + "\" id=\"btn-" + action + "\">" + Esc(caption) +
         "</button></form>";
}

}  // namespace

struct CasePages::FormValues {
  std::string subject, status, importance, notes, caller_name, caller_email, caller_phone,
      caller_company;

  // `this` with the fields the user changed from `original` taken from
  // `typed`: what someone else saved meanwhile stays where the user did not
  // type.
  FormValues Merged(const FormValues& original, const FormValues& typed) const {
    FormValues merged = *this;
    auto take = [](std::string& into, const std::string& was, const std::string& now) {
      if (now != was) into = now;
    };
    take(merged.subject, original.subject, typed.subject);
    take(merged.status, original.status, typed.status);
    take(merged.importance, original.importance, typed.importance);
    take(merged.notes, original.notes, typed.notes);
    take(merged.caller_name, original.caller_name, typed.caller_name);
    take(merged.caller_email, original.caller_email, typed.caller_email);
    take(merged.caller_phone, original.caller_phone, typed.caller_phone);
    take(merged.caller_company, original.caller_company, typed.caller_company);
    return merged;
  }
};

namespace {

using TypedCase = CasePages::FormValues;

TypedCase TypedFrom(const host::WebRequest& request) {
  return {request.Param("subject"),      request.Param("status"),
          request.Param("importance"),   request.Param("notes"),
          request.Param("caller_name"),  request.Param("caller_email"),
          request.Param("caller_phone"), request.Param("caller_company")};
}

TypedCase TypedFrom(const cCase& c) {
  cCaller caller = c.Caller.value_or(cCaller{});
  return {c.Subject,  c.Status,     std::to_string(c.Importance), c.Notes,
          caller.Name, caller.Email, caller.Phone,                 caller.Company};
}

std::string CaseForm(const cCase& c, const TypedCase& typed, const std::string& edit,
                     const std::string& csrf) {
  std::string number = host::UrlEncode(c.CaseNumber);
  std::string html = "<form method=\"post\" action=\"/case/" + Esc(number) +
                     "/save\" data-edit id=\"case-form\">" + host::CsrfField(csrf) +
                     "<input type=\"hidden\" name=\"edit\" value=\"" + Esc(edit) +
                     "\"><div class=\"fields\">";
  html += InputField(PhraseOr(CONST_SUBJECT, "Subject"), "subject", typed.subject);
  std::vector<std::string> statuses;
  if (cGlobalSettings* settings = SharedGlobalSettings())
    statuses = settings->StatusList.Items();
  if (std::find(statuses.begin(), statuses.end(), typed.status) == statuses.end())
    statuses.insert(statuses.begin(), typed.status);
  html += "<label for=\"f-status\">" + Esc(PhraseOr(CONST_STATUS, "Status")) + "</label><select id=\"f-status\" name=\"status\">";
  for (const std::string& status : statuses) {
    html += "<option" + std::string(status == typed.status ? " selected" : "") + ">" +
            Esc(status) + "</option>";
  }
  html += "</select><label for=\"f-importance\">Importance</label><select "
          "id=\"f-importance\" name=\"importance\">";
  for (int level = 0; level <= 2; ++level) {
    std::string value = std::to_string(level);
    html += "<option value=\"" + value + "\"" + (value == typed.importance ? " selected" : "") +
            ">" + Esc(ImportanceText(level)) + "</option>";
  }
  html += "</select>";
  html += InputField(PhraseOr(CONST_CALLER_NAME, "Caller name"), "caller_name", typed.caller_name);
  html += InputField(PhraseOr(CONST_CALLER_EMAIL, "Caller e-mail"), "caller_email", typed.caller_email);
  html += InputField(PhraseOr(CONST_PHONE, "Phone"), "caller_phone", typed.caller_phone);
  html += InputField(PhraseOr(CONST_COMPANY, "Company"), "caller_company", typed.caller_company);
  html += "<label for=\"f-notes\">" + Esc(PhraseOr(CONST_NOTES, "Notes")) + "</label><textarea id=\"f-notes\" name=\"notes\">" +
          Esc(typed.notes) + "</textarea></div><div class=\"actions\"><button "
                             "id=\"btn-save\">" +
          Esc(PhraseOr(CONST_SAVE, "Save")) + "</button></div></form>";
  return html;
}

std::string LogTable(const cCase& c) {
  std::string html = "<table class=\"list\"><thead><tr><th>Date</th><th>Technician</th>"
                     "<th>Action</th></tr></thead><tbody>";
  if (c.Log) {
    for (const auto& entry : *c.Log) {
      const cLog& log = entry.Value();
      html += "<tr><td>" + Esc(DateCell(log.ActionDate)) + "</td><td>" + Esc(log.Technician) +
              "</td><td>" + Esc(log.Description) + "</td></tr>";
    }
  }
  return html + "</tbody></table>";
}

std::string WorkTable(const cCase& c) {
  std::string html = "<table class=\"list\" id=\"work\"><thead><tr><th>Date</th><th>By</th>"
                     "<th>Description</th><th class=\"num\">Minutes</th></tr></thead><tbody>";
  int32_t total = 0;
  if (c.Works) {
    for (const auto& entry : *c.Works) {
      const cWork& work = entry.Value();
      html += "<tr><td>" + Esc(DateCell(work.WorkDate)) + "</td><td>" + Esc(work.User) +
              "</td><td>" + Esc(work.Description) + "</td><td class=\"num\">" +
              std::to_string(work.Minutes) + "</td></tr>";
    }
    total = c.Works->TotalTimeSpent();
  }
  html += "</tbody><tfoot><tr><th colspan=\"3\">Total (cost " +
          Esc(CurrencyText(c.TimeSpentCost)) + ")</th><th class=\"num\">" +
          std::to_string(total) + "</th></tr></tfoot></table>";
  return html;
}

}  // namespace

CasePages::CasePages(host::WebServer& server, host::WebRenderer& renderer)
    : server_(server), renderer_(renderer) {}

CasePages::~CasePages() { StopWatching(); }

host::WebHandler CasePages::Handler(
    host::WebResponse (CasePages::*page)(const host::WebRequest&)) {
  return [this, page](const host::WebRequest& request) {
    renderer_.BeginPage();
    try {
      host::WebResponse response = (this->*page)(request);
      renderer_.TakeMessages();
      return response;
    } catch (...) {
      renderer_.TakeMessages();
      throw;
    }
  };
}

void CasePages::Install() {
  server_.Get("/", [](const host::WebRequest&) { return host::WebResponse::Redirect("/queue"); });
  server_.Get("/queue", Handler(&CasePages::QueuePage));
  server_.Get("/new-case", Handler(&CasePages::NewCaseForm));
  server_.Post("/new-case", Handler(&CasePages::CreateNewCase));
  server_.Get("/case/([A-Za-z0-9-]+)", Handler(&CasePages::CasePage));
  server_.Get("/case/([A-Za-z0-9-]+)/conversation", Handler(&CasePages::Conversation));
  server_.Get("/case/([A-Za-z0-9-]+)/cid/(.+)", [this](const host::WebRequest& request) {
    return Attachment(request, true);
  });
  server_.Get("/case/([A-Za-z0-9-]+)/attachment/([0-9]+)",
              [this](const host::WebRequest& request) { return Attachment(request, false); });
  server_.Post("/case/([A-Za-z0-9-]+)/save", Handler(&CasePages::Save));
  server_.Post("/case/([A-Za-z0-9-]+)/work", Handler(&CasePages::AddWork));
  server_.Post("/case/([A-Za-z0-9-]+)/reply", Handler(&CasePages::ReplyToCaller));
  server_.Post("/case/([A-Za-z0-9-]+)/(close|reopen|delete)", Handler(&CasePages::Operation));
}

void CasePages::WatchChanges(host::EventLoop& loop) {
  StopWatching();
  loop_ = &loop;
  timer_ = loop.SetTimer(kWatchInterval, [this] {
    auto folder = GetOngoingFolder();
    if (!folder) return;
    uint64_t generation = folder->GetStore()->Generation();
    if (generation == generation_) return;
    bool first = generation_ == 0;
    generation_ = generation;
    if (!first) server_.Broadcast("changed", std::to_string(generation));
  });
}

void CasePages::StopWatching() {
  if (loop_ && timer_) loop_->KillTimer(timer_);
  timer_ = 0;
}

host::WebResponse CasePages::Page(std::string title, std::string current, std::string body,
                                  const host::WebRequest& request) {
  host::WebPage page;
  page.title = std::move(title);
  page.app_title = "Zanvoro";
  page.csrf = request.csrf;
  page.nav = {{"Ongoing", "/queue?folder=ongoing", current == "ongoing"},
              {"Resolved", "/queue?folder=resolved", current == "resolved"},
              {"Manage", "/manage", current == "manage"}};
  page.messages = renderer_.TakeMessages();
  auto flash = flash_.find(request.csrf);
  if (flash != flash_.end()) {
    page.messages.insert(page.messages.begin(), flash->second.begin(), flash->second.end());
    flash_.erase(flash);
  }
  renderer_.BeginPage();
  page.user = CurrentTechnicianName();
  page.body = std::move(body);
  host::WebResponse response;
  response.body = host::RenderWebPage(page);
  return response;
}

host::WebResponse CasePages::QueuePage(const host::WebRequest& request) {
  const bool resolved = TextEquals(request.Param("folder"), "resolved");
  auto folder = resolved ? GetResolvedFolder() : GetOngoingFolder();
  if (!folder) return NotFoundPage("The helpdesk's case folders were not found.");
  const FolderKind kind = GetFolderKind(folder.get());
  const std::vector<FolderViewColumn> columns = FolderViewColumns(kind);

  FolderViewOptions options;
  std::string sort = request.Param("sort");
  int sorted = -1;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (TextEquals(columns[i].name, sort)) sorted = static_cast<int>(i);
  }
  if (sorted >= 0) options.sort_column = columns[sorted].name;
  const bool descending = request.Param("desc") == "1";
  options.order = descending ? SortOrder::Descending : SortOrder::Ascending;
  host::TableView view = BuildFolderView(folder, options);

  size_t number_column = 0;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].name == "Number") number_column = i;
  }
  const std::string query = Trim(request.Param("q"));
  const std::string field_name = request.Param("field", "subject");
  if (!query.empty()) {
    CaseSearchField field = CaseSearchField::Subject;
    if (field_name == "number") field = CaseSearchField::Number;
    if (field_name == "caller") field = CaseSearchField::Caller;
    if (field_name == "text") field = CaseSearchField::Text;
    std::set<std::string> numbers;
    for (const CaseSearchHit& hit : SearchCases({folder}, field, query))
      numbers.insert(hit.CaseNumber);
    std::erase_if(view.rows, [&](const std::vector<std::string>& row) {
      return number_column >= row.size() || !numbers.count(row[number_column]);
    });
  }

  const size_t total = view.rows.size();
  const size_t pages = std::max<size_t>(1, (total + kPageRows - 1) / kPageRows);
  size_t page_number = 1;
  if (IsNumeric(request.Param("page"))) {
    page_number = static_cast<size_t>(std::clamp<double>(Val(request.Param("page")), 1,
                                                         static_cast<double>(pages)));
  }
  const size_t first = (page_number - 1) * kPageRows;
  std::vector<std::vector<std::string>> shown(
      view.rows.begin() + static_cast<std::ptrdiff_t>(std::min(first, total)),
      view.rows.begin() + static_cast<std::ptrdiff_t>(std::min(first + kPageRows, total)));
  view.rows = std::move(shown);

  const std::string folder_key = resolved ? "resolved" : "ongoing";
  auto href = [&](const std::string& sort_by, bool desc, size_t page) {
    std::string link = "/queue?folder=" + folder_key;
    if (!sort_by.empty()) link += "&sort=" + host::UrlEncode(sort_by);
    if (desc) link += "&desc=1";
    if (!query.empty())
      link += "&q=" + host::UrlEncode(query) + "&field=" + host::UrlEncode(field_name);
    if (page > 1) link += "&page=" + std::to_string(page);
    return link;
  };
  host::WebTableLinks links;
  links.sorted = sorted;
  links.descending = descending;
  links.link_column = static_cast<int>(number_column);
  links.sort_href = [&](size_t column) {
    bool desc = static_cast<int>(column) == sorted && !descending;
    return href(columns[column].name, desc, 1);
  };
  links.row_href = [&](size_t row) {
    const auto& cells = view.rows[row];
    return number_column < cells.size() ? "/case/" + host::UrlEncode(cells[number_column])
                                        : std::string{};
  };

  // The folder's own name, without the path of its store.
  std::string title = view.caption.substr(view.caption.find_last_of('\\') + 1);
  std::string body = "<div class=\"toolbar\"><h1>" + Esc(title) +
                     "</h1><span class=\"count\" id=\"count\">" + std::to_string(total) +
                     "</span><span class=\"spacer\"></span>"
                     "<a class=\"button\" id=\"new-case\" href=\"/new-case\">New case</a>"
                     "<form class=\"inline-form\" method=\"get\" action=\"/queue\" "
                     "role=\"search\"><input type=\"hidden\" name=\"folder\" value=\"" +
                     folder_key + "\"><select name=\"field\" aria-label=\"Search in\">";
  for (const auto& [value, caption] :
       {std::pair{"number", PhraseOr(CONST_NUMBER, "Number")},
        {"caller", PhraseOr(CONST_CALLER, "Caller")},
        {"subject", PhraseOr(CONST_SUBJECT, "Subject")}, {"text", PhraseOr(CONST_TEXT, "Text")}}) {
    body += "<option value=\"" + std::string(value) + "\"" +
            (field_name == value ? " selected" : "") + ">" + Esc(caption) + "</option>";
  }
  body += "</select><input name=\"q\" type=\"search\" placeholder=\"Search (/)\" value=\"" +
          Esc(query) + "\"><button>" + Esc(PhraseOr(CONST_SEARCH, "Search")) + "</button></form></div>";
  body += "<div data-live id=\"queue\">" + host::TableViewHtml(view, links);
  body += "<div class=\"pager\">";
  if (page_number > 1)
    body += "<a href=\"" + Esc(href(options.sort_column, descending, page_number - 1)) +
            "\">&larr; Previous</a>";
  body += "<span>Page " + std::to_string(page_number) + " of " + std::to_string(pages) +
          "</span>";
  if (page_number < pages)
    body += "<a href=\"" + Esc(href(options.sort_column, descending, page_number + 1)) +
            "\">Next &rarr;</a>";
  body += "<span class=\"spacer\"></span><span class=\"muted\"><kbd>/</kbd> search "
          "<kbd>j</kbd>/<kbd>k</kbd> move <kbd>Enter</kbd> open</span></div></div>";
  return Page(title, folder_key, body, request);
}

std::string CasePages::KeepForEdit(const std::shared_ptr<host::Item>& item) {
  if (edits_.size() >= kKeptEdits) edits_.erase(edits_.begin());
  std::string token = std::to_string(++next_edit_);
  // Zero-padded, so the map's order is the order the forms were made in.
  token.insert(0, 12 - std::min<size_t>(12, token.size()), '0');
  edits_[token] = item;
  return token;
}

host::WebResponse CasePages::CasePage(const host::WebRequest& request) {
  return RenderCase(request, request.matches[1], nullptr);
}

host::WebResponse CasePages::RenderCase(const host::WebRequest& request,
                                        const std::string& number, const FormValues* values) {
  auto item = GetCaseItemFromID(number);
  if (!item) return NotFoundPage("There is no case numbered " + number + ".");
  cCase c;
  c.GetCaseFromOutlookItem(item, SaveUnsaved::No);
  const bool closed = IsClosedItem(*item);
  const cCaller caller = c.Caller.value_or(cCaller{});
  std::string url_number = host::UrlEncode(c.CaseNumber);

  std::string body = "<div class=\"case-head\"><h1 id=\"case-title\">Case #" +
                     Esc(c.CaseID.empty() ? c.CaseNumber : c.CaseID) + " &middot; " +
                     Esc(c.Subject) + "</h1><span class=\"badge " +
                     (closed ? "closed\">Resolved" : "open\">Ongoing") +
                     "</span>" +
                     (c.Status.empty() ? std::string()
                                       : "<span class=\"badge\" id=\"case-status\">" +
                                             Esc(c.Status) + "</span>") +
                     "</div>";
  body += "<p class=\"notice\" id=\"changed-notice\" hidden>Another technician changed this "
          "case. What you typed is kept; saving it now replaces their change.</p>";
  body += "<div class=\"layout\"><div>";
  body += "<section class=\"card\"><h2>" + Esc(PhraseOr(CONST_CASE, "Case")) + "</h2>" +
          CaseForm(c, values ? *values : TypedFrom(c), KeepForEdit(item), request.csrf) +
          "</section>";
  body += "<section class=\"card\" data-live><h2>Details</h2><div class=\"fields\">";
  body += Field(PhraseOr(CONST_TECHNICIANS, "Technicians"), c.Technicians.FullNames());
  body += Field(PhraseOr(CONST_PROBLEM, "Problem"), Trim(c.ProblemCategory + " " + c.ProblemType));
  body += Field(PhraseOr(CONST_SERVICE_LEVEL, "Service level"), c.ServiceLevel);
  body += Field(PhraseOr(CONST_ORIGIN, "Origin"), c.Origin);
  body += Field(PhraseOr(CONST_CREATED, "Created"), DateCell(c.DateCreated));
  body += Field("Received", DateCell(c.ReceivedDate));
  body += Field(PhraseOr(CONST_DUE_DATE, "Due"), DateCell(c.DueDate));
  body += Field(PhraseOr(CONST_CLOSED_ON, "Closed"), DateCell(c.DateClosed));
  body += Field("Last modified", DateCell(c.LastModificationTime));
  body += Field(PhraseOr(CONST_MOBILE, "Mobile"), caller.Mobile);
  body += Field(PhraseOr(CONST_DEPARTMENT, "Department"), caller.Department);
  body += Field(PhraseOr(CONST_ADDRESS, "Address"), caller.Address);
  for (int n = 1; n <= 10; ++n) {
    if (!c.CustomField(n)->empty())
      body += Field("Custom field " + std::to_string(n), *c.CustomField(n));
  }
  body += "</div><div class=\"actions\">";
  if (closed) {
    body += OperationForm(c.CaseNumber, "reopen", "Re-open",
                          ReOpenCaseQuestion(c.CaseNumber), "secondary", request.csrf);
  } else {
    body += OperationForm(c.CaseNumber, "close", "Close case",
                          CloseCaseQuestion(c.CaseNumber), "", request.csrf);
  }
  body += OperationForm(c.CaseNumber, "delete", PhraseOr(CONST_DELETE, "Delete"), DeleteCaseQuestion(item->Subject()),
                        "danger", request.csrf);
  body += "</div></section>";
  body += "<section class=\"card\" data-live><h2>Work</h2>" + WorkTable(c) + "</section>";
  body += "<section class=\"card\"><h2>Add work</h2><form class=\"inline-form\" "
          "method=\"post\" action=\"/case/" +
          Esc(url_number) + "/work\" id=\"work-form\">" + host::CsrfField(request.csrf) +
          "<input name=\"minutes\" type=\"number\" min=\"1\" max=\"100000\" required "
          "placeholder=\"Minutes\" aria-label=\"Minutes\" style=\"width:90px\">"
          "<input name=\"description\" required placeholder=\"What was done\" "
          "aria-label=\"Description\"><button id=\"btn-work\">Add</button></form></section>";
  body += "<section class=\"card\"><h2>Reply to caller</h2>" +
          ReplyForm(c.CaseNumber, request.csrf) + "</section>";
  body += "<section class=\"card\" data-live><h2>" + Esc(PhraseOr(CONST_LOG, "Log")) + "</h2>" + LogTable(c) + "</section>";
  body += "</div><div>";
  body += "<section class=\"card\"><h2>Conversation</h2><iframe class=\"mail\" "
          "id=\"conversation\" sandbox=\"allow-same-origin\" referrerpolicy=\"no-referrer\" "
          "title=\"Conversation\" src=\"/case/" +
          Esc(url_number) + "/conversation\"></iframe>";
  host::Attachments& attachments = item->Attachments();
  if (attachments.Count() > 0) {
    body += "<h2>" + Esc(PhraseOr(CONST_ATTACHMENTS, "Attachments")) + "</h2><div class=\"attachments\">";
    for (int32_t i = 1; i <= attachments.Count(); ++i) {
      body += "<a href=\"/case/" + Esc(url_number) + "/attachment/" + std::to_string(i) +
              "\" download>" + Esc(attachments.Item(i)->DisplayName()) + "</a>";
    }
    body += "</div>";
  }
  body += "</section></div></div>";
  return Page("Case #" + c.CaseNumber, closed ? "resolved" : "ongoing", body, request);
}

host::WebResponse CasePages::Conversation(const host::WebRequest& request) {
  auto item = GetCaseItemFromID(request.matches[1]);
  if (!item) return NotFoundPage("There is no case numbered " + request.matches[1] + ".");
  cCase c;
  c.GetCaseFromOutlookItem(item, SaveUnsaved::No);
  std::string html = c.HTMLBody.empty()
                         ? "<pre>" + Esc(c.Body) + "</pre>"
                         : host::SanitizeHtml(c.HTMLBody);
  std::string history = c.EmailHistory ? c.EmailHistory->ToHTML(c.CaseNumber) : "";
  host::WebResponse response;
  response.body =
      "<!DOCTYPE html><meta charset=\"utf-8\"><style>body{font:14px/1.45 system-ui,"
      "sans-serif;color:#1d2330;margin:10px}img{max-width:100%}</style>" +
      RewriteContentIds(html, c.CaseNumber);
  if (!history.empty()) response.body += host::SanitizeHtml(history);
  response.headers.emplace_back("Content-Security-Policy", kConversationPolicy);
  return response;
}

host::WebResponse CasePages::Attachment(const host::WebRequest& request,
                                        bool by_content_id) {
  auto item = GetCaseItemFromID(request.matches[1]);
  if (!item) return NotFoundPage("There is no case numbered " + request.matches[1] + ".");
  host::Attachments& attachments = item->Attachments();
  const host::Attachment* found = nullptr;
  if (by_content_id) {
    for (int32_t i = 1; i <= attachments.Count() && !found; ++i) {
      std::string id = attachments.Item(i)->ContentId();
      if (id.size() > 2 && id.front() == '<' && id.back() == '>')
        id = id.substr(1, id.size() - 2);
      if (id == request.matches[2]) found = attachments.Item(i);
    }
  } else {
    int32_t index = static_cast<int32_t>(Val(request.matches[2]));
    if (index >= 1 && index <= attachments.Count()) found = attachments.Item(index);
  }
  if (!found) return NotFoundPage("No such attachment.");
  host::WebResponse response;
  std::string type = found->MimeType().empty() ? "application/octet-stream" : found->MimeType();
  // Only pictures show in place; anything else is a download, so an
  // attached page never runs as ours.
  if (!StartsWithText(type, "image/") || TextEquals(type, "image/svg+xml")) {
    type = "application/octet-stream";
    response.headers.emplace_back(
        "Content-Disposition",
        "attachment; filename=\"" + Replace(Replace(found->FileName(), "\"", "_"), "\\", "_") +
            "\"");
  }
  response.content_type = type;
  response.body = found->Bytes();
  response.headers.emplace_back("Content-Security-Policy", "default-src 'none'; sandbox");
  return response;
}

host::WebResponse CasePages::Save(const host::WebRequest& request) {
  const std::string number = request.matches[1];
  std::shared_ptr<host::Item> item;
  auto kept = edits_.find(request.Param("edit"));
  if (kept != edits_.end()) {
    item = kept->second;
    edits_.erase(kept);
  } else {
    item = GetCaseItemFromID(number);
  }
  if (!item) return NotFoundPage("There is no case numbered " + number + ".");
  const FormValues typed = TypedFrom(request);
  FormValues original = typed;
  cCase c;
  bool saved = false;
  if (c.GetCaseFromOutlookItem(item, SaveUnsaved::No)) {
    original = TypedFrom(c);
    c.Subject = typed.subject;
    c.Status = typed.status;
    if (IsNumeric(typed.importance)) c.Importance = std::clamp(CLng(Variant(typed.importance)), 0, 2);
    c.Notes = typed.notes;
    cCaller caller = c.Caller.value_or(cCaller{});
    caller.Name = typed.caller_name;
    caller.Email = typed.caller_email;
    caller.Phone = typed.caller_phone;
    caller.Company = typed.caller_company;
    c.Caller = std::move(caller);
    saved = c.SetCaseToOutlookItem(RandomUnread::No, DisplayCase::No, item,
                                   IsClosedItem(*item) ? CaseState::Closed : CaseState::Open);
  }
  if (!saved) {
    // Someone else's save stays; the form shows it with this user's edits
    // over it, to be saved again.
    FormValues shown = typed;
    if (auto fresh = GetCaseItemFromID(number)) {
      cCase stored;
      if (stored.GetCaseFromOutlookItem(fresh, SaveUnsaved::No))
        shown = TypedFrom(stored).Merged(original, typed);
    }
    return RenderCase(request, number, &shown);
  }
  return host::WebResponse::Redirect("/case/" + host::UrlEncode(number));
}

host::WebResponse CasePages::AddWork(const host::WebRequest& request) {
  const std::string number = request.matches[1];
  auto item = GetCaseItemFromID(number);
  if (!item) return NotFoundPage("There is no case numbered " + number + ".");
  const std::string minutes_text = Trim(request.Param("minutes"));
  const std::string description = Trim(request.Param("description"));
  if (!IsNumeric(minutes_text) || Val(minutes_text) < 1 || Val(minutes_text) > 100000 ||
      description.empty()) {
    host::MsgBox("Enter the minutes worked (a whole number from 1) and what was done.",
                 host::vbExclamation, kApplicationTitle);
    return RenderCase(request, number, nullptr);
  }
  cCase c;
  if (c.GetCaseFromOutlookItem(item, SaveUnsaved::No)) {
    const int32_t minutes = CLng(Variant(minutes_text));
    if (!c.Works) c.Works.emplace();
    int32_t id = 1;
    for (const auto& entry : *c.Works) id = std::max(id, entry.Value().ID + 1);
    c.Works->Add(cWork{.ID = id,
                       .WorkDate = Now(),
                       .User = CurrentTechnicianName(),
                       .Minutes = minutes,
                       .Description = description});
    c.TimeSpent = std::to_string(c.Works->TotalTimeSpent());
    c.NewTimeSpent = std::to_string(minutes);
    if (c.SetCaseToOutlookItem(RandomUnread::No, DisplayCase::No, item,
                               IsClosedItem(*item) ? CaseState::Closed : CaseState::Open)) {
      return host::WebResponse::Redirect("/case/" + host::UrlEncode(number));
    }
  }
  return RenderCase(request, number, nullptr);
}

host::WebResponse CasePages::Operation(const host::WebRequest& request) {
  const std::string number = request.matches[1];
  const std::string action = request.matches[2];
  auto item = GetCaseItemFromID(number);
  if (!item) return NotFoundPage("There is no case numbered " + number + ".");
  std::string target = "/case/" + host::UrlEncode(number);
  if (action == "close") {
    if (IsClosedItem(*item)) {
      host::MsgBox("Case #" + number + " is closed already.", host::vbInformation,
                   kApplicationTitle);
    } else {
      MarkComplete(item, MandatoryCheck::Run);
    }
  } else if (action == "reopen") {
    if (!IsClosedItem(*item)) {
      host::MsgBox("Case #" + number + " is not closed.", host::vbInformation,
                   kApplicationTitle);
    } else {
      ReOpenCase(item, Confirm::DontAsk);
    }
  } else if (DeleteSelectedCase(item, Confirm::DontAsk)) {
    target = "/queue";
  }
  // What the operation said shows on the page it leads to.
  KeepMessagesForNextPage(request);
  return host::WebResponse::Redirect(target);
}

void CasePages::KeepMessagesForNextPage(const host::WebRequest& request) {
  std::vector<host::MessageBoxRequest> said = renderer_.TakeMessages();
  renderer_.BeginPage();
  if (!said.empty()) {
    auto& kept = flash_[request.csrf];
    kept.insert(kept.end(), said.begin(), said.end());
  }
}

host::WebResponse CasePages::ReplyToCaller(const host::WebRequest& request) {
  const std::string number = request.matches[1];
  auto item = GetCaseItemFromID(number);
  if (!item) return NotFoundPage("There is no case numbered " + number + ".");
  const std::string chosen = request.Param("template");
  const ReplyTemplate* found = nullptr;
  for (const ReplyTemplate& t : kReplyTemplates) {
    if (chosen == std::to_string(t.kind)) found = &t;
  }
  cCase c;
  if (!found) {
    host::MsgBox("Choose the template of the reply.", host::vbExclamation, kApplicationTitle);
  } else if (c.GetCaseFromOutlookItem(item, SaveUnsaved::No)) {
    const std::string email = Trim(c.Caller ? c.Caller->Email : std::string());
    if (email.empty() || email.find('@') == std::string::npos) {
      host::MsgBox("The caller of case #" + number + " has no e-mail address.",
                   host::vbExclamation, kApplicationTitle);
    } else if (SendCaseEmail(email, found->kind, c, SendMode::Send) == kSendSuccess) {
      host::MsgBox(std::string(found->caption) + " sent to " + email + ".",
                   host::vbInformation, kApplicationTitle);
    } else {
      host::MsgBox("The reply to " + email + " could not be sent.", host::vbExclamation,
                   kApplicationTitle);
    }
  }
  KeepMessagesForNextPage(request);
  return host::WebResponse::Redirect("/case/" + host::UrlEncode(number));
}

host::WebResponse CasePages::NewCaseForm(const host::WebRequest& request) {
  std::string body = "<section class=\"card\"><h1>New case</h1><form method=\"post\" "
                     "action=\"/new-case\" id=\"new-case-form\">" +
                     host::CsrfField(request.csrf) + "<div class=\"fields\">";
  body += InputField(PhraseOr(CONST_CALLER_NAME, "Caller name"), "caller_name", request.Param("caller_name"));
  body += InputField(PhraseOr(CONST_CALLER_EMAIL, "Caller e-mail"), "caller_email", request.Param("caller_email"));
  body += InputField(PhraseOr(CONST_SUBJECT, "Subject"), "subject", request.Param("subject"));
  body += "<label for=\"f-description\">" + Esc(PhraseOr(CONST_DESCRIPTION, "Description")) + "</label><textarea id=\"f-description\" "
          "name=\"description\">" +
          Esc(request.Param("description")) +
          "</textarea></div><div class=\"actions\"><button id=\"btn-create\">Create case"
          "</button></div></form></section>";
  return Page("New case", "ongoing", body, request);
}

host::WebResponse CasePages::CreateNewCase(const host::WebRequest& request) {
  const std::string subject = Trim(request.Param("subject"));
  const std::string caller_name = Trim(request.Param("caller_name"));
  const std::string caller_email = Trim(request.Param("caller_email"));
  if (subject.empty() || (caller_name.empty() && caller_email.empty())) {
    host::MsgBox(subject.empty() ? "Enter the subject of the new case."
                                 : "Enter the caller's name or e-mail address.",
                 host::vbExclamation, kApplicationTitle);
    return NewCaseForm(request);
  }
  cCase c;
  c.Subject = subject;
  c.Body = request.Param("description");
  cCaller caller;
  if (cGlobalSettings* settings = SharedGlobalSettings(); settings && !caller_email.empty()) {
    if (const cCaller* known = settings->Callers.Find(caller_email)) caller = *known;
  }
  if (!caller_name.empty()) caller.Name = caller_name;
  caller.Email = caller_email;
  c.Caller = std::move(caller);
  c.Status = GeneralSettingText("sdoCaseOptionStatusNewCase");
  c.DateCreated = Now();
  c.ReceivedDate = c.DateCreated;
  if (!c.SetCaseToOutlookItem(RandomUnread::No, DisplayCase::No, nullptr, CaseState::Open))
    return NewCaseForm(request);
  // The technician, SLA, due date and problem the new case gets by default.
  if (auto item = GetCaseItemFromID(c.CaseNumber)) {
    ApplyUserCaseDefaults(*item);
    item->Save();
  }
  return host::WebResponse::Redirect("/case/" + host::UrlEncode(c.CaseNumber));
}

}  // namespace zanvoro
