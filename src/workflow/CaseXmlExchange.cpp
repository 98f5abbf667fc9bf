#include "workflow/CaseXmlExchange.h"

#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "case/CaseProperties.h"
#include "case/HelpdeskFolders.h"
#include "case/ItemProperty.h"
#include "case/cCase.h"
#include "errors/Trap.h"
#include "host/html/HtmlDocument.h"
#include "host/html/HtmlElement.h"
#include "host/store/Attachments.h"
#include "host/store/Item.h"
#include "host/store/MAPIFolder.h"
#include "host/store/Store.h"
#include "host/xml/XmlDocument.h"
#include "runtime/Date.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"
#include "settings/cSLAs.h"
#include "sla/ApplySLA.h"
#include "sla/ServiceCalendar.h"

namespace zanvoro {
namespace {

namespace fs = std::filesystem;

// The empty choice of the web form's drop-down lists.
constexpr const char* kChoose = "--Choose--";

constexpr const char* kElementNames[] = {
    "DateAction",       "Subject",         "WorkedBy",
    "EntryID",          "CallerName",      "CallerEmail",
    "CallerDepartment", "CallerAddress",   "CallerMobile",
    "CallerCompany",    "CallerPhone",     "Origin",
    "Technicians",      "Priority",        "SLA",
    "DueDateSLA",       "DueDate",         "MyField1",
    "MyField2",         "MyField3",        "MyField4",
    "MyField5",         "MyField6",        "MyField7",
    "MyField8",         "MyField9",        "MyField10",
    "TimeSpent",        "ProblemCategory", "ProblemType",
    "Status",           "NewNote",         "Attachments",
    "Description",      "newDescription"};

struct UploadedFile {
  std::string name;
  std::string bytes;
};

// A file that passed every check: the texts of its elements (present and
// not empty only), its dates read, its attachments read into memory.
struct CaseXml {
  std::map<std::string, std::string> values;
  std::optional<Date> date_action;
  std::optional<Date> due_date;
  std::vector<UploadedFile> attachments;
  bool is_reply = false;

  const std::string* Find(const char* name) const {
    auto it = values.find(name);
    return it == values.end() ? nullptr : &it->second;
  }
  // The value unless it is the empty drop-down choice.
  const std::string* Chosen(const char* name) const {
    const std::string* value = Find(name);
    return value && *value != kChoose ? value : nullptr;
  }
};

// A sortable date text ("2009\t3\t7\t9\t5") or an ordinary date.
std::optional<Date> ReadDateText(const std::string& text) {
  if (auto sortable = ReadSortableDateText(text)) return sortable;
  return ParseDate(text);
}

// Reads one uploaded file named in the list; "" in `problem` when it is
// fine. Only a plain name of a regular file inside `folder` passes: no
// separators, no "..", and no link leading out of the folder.
std::optional<UploadedFile> ReadUpload(const fs::path& folder, const std::string& name,
                                       std::string& problem) {
  if (name.empty() || name == "." || name == ".." ||
      name.find_first_of("/\\:") != std::string::npos ||
      name.find('\0') != std::string::npos) {
    problem = "the attachment name \"" + name + "\" is not a plain file name";
    return std::nullopt;
  }
  std::error_code ec;
  fs::path real_folder = fs::canonical(folder, ec);
  fs::path real_file = ec ? fs::path() : fs::canonical(folder / name, ec);
  if (ec || real_file.parent_path() != real_folder) {
    problem = "the attachment \"" + name + "\" is not a file in " + folder.string();
    return std::nullopt;
  }
  if (!fs::is_regular_file(real_file, ec)) {
    problem = "the attachment \"" + name + "\" is not a regular file";
    return std::nullopt;
  }
  uintmax_t size = fs::file_size(real_file, ec);
  if (ec || size > kMaxCaseXmlAttachmentBytes) {
    problem = "the attachment \"" + name + "\" is larger than " +
              std::to_string(kMaxCaseXmlAttachmentBytes) + " bytes";
    return std::nullopt;
  }
  std::ifstream in(real_file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)),
                    std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    problem = "the attachment \"" + name + "\" cannot be read";
    return std::nullopt;
  }
  return UploadedFile{name, std::move(bytes)};
}

std::optional<CaseXml> CheckCaseXml(const fs::path& path, std::string& refusal);

// Loads and checks the file; nullopt with the reason in `refusal`.
std::optional<CaseXml> ReadCaseXml(const fs::path& path, std::string& refusal) {
  try {
    return CheckCaseXml(path, refusal);
  } catch (const Error& error) {  // a number or date beyond what the runtime holds
    refusal = "the file holds a value that cannot be read: " + error.Description();
    return std::nullopt;
  }
}

std::optional<CaseXml> CheckCaseXml(const fs::path& path, std::string& refusal) {
  host::XmlDocument doc;
  if (!doc.LoadUntrusted(path, kMaxCaseXmlBytes)) {
    refusal = "not an acceptable case file: " + doc.ParseError().reason;
    return std::nullopt;
  }
  CaseXml file;
  for (const char* name : kElementNames) {
    host::XmlNodeList found = doc.GetElementsByTagName(name);
    if (found.Length() == 0) continue;
    std::string text = found.Item(0).Text();
    if (!text.empty()) file.values.emplace(name, std::move(text));
  }
  file.is_reply = doc.GetElementsByTagName("newDescription").Length() > 0;
  const std::string* entry_id = file.Find("EntryID");
  if (!entry_id || Trim(*entry_id).empty()) {
    refusal = "the file names no case (no \"EntryID\")";
    return std::nullopt;
  }
  if (const std::string* priority = file.Find("Priority")) {
    std::string p = Trim(*priority);
    if (p != "0" && p != "1" && p != "2") {
      refusal = "\"Priority\" must be 0, 1 or 2, not \"" + *priority + "\"";
      return std::nullopt;
    }
  }
  if (const std::string* minutes = file.Find("TimeSpent")) {
    if (!IsNumeric(*minutes) || CDbl(Variant(*minutes)) < 0 ||
        CDbl(Variant(*minutes)) > 1e6) {
      refusal = "\"TimeSpent\" must be a number of minutes, not \"" + *minutes + "\"";
      return std::nullopt;
    }
  }
  for (const char* name : {"DateAction", "DueDate"}) {
    const std::string* text = file.Find(name);
    if (!text) continue;
    std::optional<Date> date = ReadDateText(*text);
    if (!date) {
      refusal = std::string("\"") + name + "\" must be a date, not \"" + *text + "\"";
      return std::nullopt;
    }
    (std::string_view(name) == "DateAction" ? file.date_action : file.due_date) = date;
  }
  if (const std::string* list = file.Find("Attachments")) {
    fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    size_t total = 0;
    for (const std::string& piece : Split(*list, "|")) {
      std::string name = Trim(piece);
      if (name.empty()) continue;
      std::string problem;
      std::optional<UploadedFile> upload = ReadUpload(folder, name, problem);
      if (!upload) {
        refusal = problem;
        return std::nullopt;
      }
      total += upload->bytes.size();
      if (total > kMaxCaseXmlAttachmentBytes) {
        refusal = "the attachments are larger than " +
                  std::to_string(kMaxCaseXmlAttachmentBytes) + " bytes in all";
        return std::nullopt;
      }
      file.attachments.push_back(std::move(*upload));
    }
  }
  return file;
}

// Attaches the uploads to the item and returns the line that links them
// ("" without uploads).
std::string AttachUploads(const CaseXml& file, host::Item& item,
                          const std::string& case_number) {
  if (file.attachments.empty()) return {};
  std::vector<std::string> links;
  host::Attachments& attachments = item.Attachments();
  for (const UploadedFile& upload : file.attachments) {
    host::Attachment* added = attachments.AddBytes(upload.name, upload.bytes);
    std::string content_id =
        "CASE-" + case_number + "-" + std::to_string(attachments.Count());
    added->SetDisplayName(upload.name);
    added->SetContentId(content_id);
    links.push_back("<a href=\"cid:" + HtmlEscape(content_id) + "\">" +
                    HtmlEscape(upload.name) + "</a>");
  }
  return "<p>Attachments: " + Join(links, ", ") + "</p>";
}

// HTML from the web cleaned like mail HTML; the content of its body only,
// so it can stand beside the case's own HTML.
std::string CleanFragment(std::string_view html) {
  host::HtmlDocument doc(html);
  doc.Sanitize();
  return doc.Body().InnerHTML();
}

// Inside the body of a whole document, else at the end.
void AppendInBody(std::string& html, const std::string& addition) {
  size_t end = InStrRev(html, "</body>", CompareMode::Text);
  html.insert(end == 0 ? html.size() : end - 1, addition);
}

// The year 1899 stands for "no date" in the web form.
bool IsRealDate(const std::optional<Date>& date) { return date && Year(*date) != 1899; }

void ApplyCaller(const CaseXml& file, cCaller& caller, bool full) {
  struct Field {
    const char* element;
    std::string cCaller::*field;
    bool choice;  // a drop-down list in the technician's form
  };
  static constexpr Field kFields[] = {
      {"CallerName", &cCaller::Name, true},
      {"CallerEmail", &cCaller::Email, true},
      {"CallerDepartment", &cCaller::Department, true},
      {"CallerAddress", &cCaller::Address, false},
      {"CallerMobile", &cCaller::Mobile, false},
      {"CallerCompany", &cCaller::Company, false},
      {"CallerPhone", &cCaller::Phone, false},
  };
  for (const Field& f : kFields) {
    const std::string* value =
        full && f.choice ? file.Chosen(f.element) : file.Find(f.element);
    if (value) caller.*f.field = *value;
  }
}

void ApplyCustomFields(const CaseXml& file, cCase& c, bool full) {
  for (int n = 1; n <= 10; ++n) {
    std::string element = "MyField" + std::to_string(n);
    const std::string* value = full && n >= 4 && n <= 6 ? file.Chosen(element.c_str())
                                                        : file.Find(element.c_str());
    if (value) *c.CustomField(n) = *value;
  }
}

// "True"/"False" in any letter case; anything else is no answer.
std::optional<bool> ReadBoolean(const std::string* text) {
  if (!text) return std::nullopt;
  if (TextEquals(Trim(*text), "True")) return true;
  if (TextEquals(Trim(*text), "False")) return false;
  return std::nullopt;
}

void ApplyFull(const CaseXml& file, cCase& c, host::Item& item) {
  const cGlobalSettings* settings = SharedGlobalSettings();
  const std::string stored_sla = ReadItemText(item, caseprop::kServiceLevel);

  if (IsRealDate(file.date_action)) c.LastModificationTime = *file.date_action;
  if (const std::string* v = file.Find("Subject")) c.Subject = *v;
  const std::string* worked_by = file.Find("WorkedBy");
  c.EntryID = Trim(*file.Find("EntryID"));
  cCaller caller = c.Caller.value_or(cCaller{});
  ApplyCaller(file, caller, true);
  c.Caller = std::move(caller);
  if (const std::string* v = file.Chosen("Origin")) c.Origin = *v;
  if (const std::string* v = file.Chosen("Technicians")) {
    if (settings) {
      c.Technicians.FromNames(*v, settings->Technicians);
    } else {
      c.Technicians.LoadTechniciansToDicList(*v);
    }
  }
  if (const std::string* v = file.Find("Priority"))
    c.Importance = CLng(Variant(Trim(*v)));
  if (const std::string* v = file.Chosen("SLA")) c.ServiceLevel = *v;

  const bool sla_changed = !TextEquals(c.ServiceLevel, stored_sla);
  const cSLA* sla = settings ? SLAByName(settings->SLAs, c.ServiceLevel) : nullptr;
  if (ReadBoolean(file.Find("DueDateSLA")).value_or(false) && sla_changed && sla) {
    const ServiceCalendar& calendar = SharedServiceCalendar();
    Date now = Now();
    c.Importance = sla->OutlookPriority();
    c.DueDate = calendar.DueDate(sla->ResponseTimeInHours(calendar.HoursPerResponseDay()),
                                 now, now);
  } else if (IsRealDate(file.due_date)) {
    // The day the technician chose, at the present time of day to the minute.
    Date now = Now();
    c.DueDate = Date(DatePart(*file.due_date).Serial() +
                     TimeSerial(Hour(now), Minute(now), 0).Serial());
  }

  ApplyCustomFields(file, c, true);

  std::string technician;
  if (worked_by) {
    if (settings)
      technician = settings->Technicians.GetTechnicianFullNameFromEmail(*worked_by);
    // Someone the helpdesk does not list is named by the address they gave.
    if (technician.empty()) technician = *worked_by;
  }
  if (const std::string* minutes = file.Find("TimeSpent")) {
    c.NewTimeSpent = *minutes;
    if (IsNumeric(c.TimeSpent) || c.TimeSpent.empty()) {
      int32_t added = CLng(Variant(*minutes));
      int32_t before = c.TimeSpent.empty() ? 0 : CLng(Variant(c.TimeSpent));
      c.TimeSpent = std::to_string(before + added);
      if (!c.Works) c.Works.emplace();
      c.Works->Add(cWork{.ID = static_cast<int32_t>(c.Works->Count()) + 1,
                         .WorkDate = c.LastModificationTime,
                         .User = technician,
                         .Minutes = added,
                         .Description = "Case worked via Web Access"});
    }
  }

  if (const std::string* v = file.Chosen("ProblemCategory")) c.ProblemCategory = *v;
  if (const std::string* v = file.Chosen("ProblemType")) c.ProblemType = *v;
  if (file.Chosen("ProblemCategory") || file.Chosen("ProblemType")) {
    const cProblemType* known =
        settings ? settings->ProblemTypes.Find(c.ProblemType + c.ProblemCategory)
                 : nullptr;
    c.ProblemTypeRecord = known ? *known : cProblemType{};
  }
  if (const std::string* v = file.Chosen("Status")) c.Status = *v;

  if (const std::string* note = file.Find("NewNote")) {
    c.NewNote = *note;
    std::string added = "[Added by " + technician + " at " +
                        GeneralDateText(c.LastModificationTime) + "]\r\n" + *note;
    c.Notes = c.Notes.empty() ? added : added + "\r\n\r\n" + c.Notes;
    if (!c.Log) c.Log.emplace();
    c.Log->Add(cLog{.ID = static_cast<int32_t>(c.Log->Count()) + 1,
                    .ActionDate = c.LastModificationTime,
                    .Technician = technician,
                    .Description = "Case worked from Web Access"});
  }

  std::string links = AttachUploads(file, item, c.CaseNumber);
  const std::string* description = file.Find("Description");
  std::string body = description ? CleanFragment(*description) : std::string{};
  if (!links.empty()) {
    if (!description) body = c.HTMLBody;
    AppendInBody(body, links);
  }
  if (!body.empty()) c.HTMLBody = body;
}

void ApplyReply(const CaseXml& file, cCase& c, host::Item& item) {
  if (file.date_action) c.LastModificationTime = *file.date_action;
  c.EntryID = Trim(*file.Find("EntryID"));
  cCaller caller = c.Caller.value_or(cCaller{});
  ApplyCaller(file, caller, false);
  c.Caller = std::move(caller);
  ApplyCustomFields(file, c, false);
  if (const std::string* v = file.Find("Priority"))
    c.Importance = CLng(Variant(Trim(*v)));

  std::string links = AttachUploads(file, item, c.CaseNumber);
  if (const std::string* reply = file.Find("newDescription")) {
    std::string header =
        "<table width=\"100%\" style=\"background-color:#F0F0F4;font-family:Tahoma;"
        "font-size:9pt\"><tr><td>Reply received via Web Access from <b>" +
        HtmlEscape(c.Caller->Name) + "</b> - <b>" + HtmlEscape(GeneralDateText(Now())) +
        "</b></td></tr></table>";
    c.HTMLBody = header + CleanFragment(*reply) + links + "<br><br>" + c.HTMLBody;
  } else if (!links.empty()) {
    AppendInBody(c.HTMLBody, links);
  }
}

enum class UpdateKind { Full, Reply };

const char* LocationOf(UpdateKind kind) {
  return kind == UpdateKind::Full ? "Case.GetCaseFromXML" : "Case.PartialUpdateFromXML";
}

// Reads the record from the item and applies the accepted file to it; `c`
// changes only when all of that succeeded.
bool UpdateFrom(UpdateKind kind, cCase& c, const CaseXml& file,
                const std::shared_ptr<host::Item>& item, std::string* refusal) {
  return Trap(LocationOf(kind), false, [&] {
    cCase read;
    if (!item || !read.GetCaseFromOutlookItem(item, SaveUnsaved::No)) {
      if (refusal) *refusal = "the case could not be read";
      return false;
    }
    if (kind == UpdateKind::Full) {
      ApplyFull(file, read, *item);
    } else {
      ApplyReply(file, read, *item);
    }
    c = std::move(read);
    return true;
  });
}

bool Update(UpdateKind kind, cCase& c, const fs::path& path,
            const std::shared_ptr<host::Item>& item, std::string* refusal) {
  std::string why;
  std::optional<CaseXml> file = Trap(LocationOf(kind), std::optional<CaseXml>{},
                                     [&] { return ReadCaseXml(path, why); });
  if (!file) {
    if (refusal) *refusal = why;
    return false;
  }
  return UpdateFrom(kind, c, *file, item, refusal);
}

}  // namespace

bool GetCaseFromXML(cCase& c, const fs::path& path,
                    const std::shared_ptr<host::Item>& item, std::string* refusal) {
  return Update(UpdateKind::Full, c, path, item, refusal);
}

bool PartialUpdateFromXML(cCase& c, const fs::path& path,
                          const std::shared_ptr<host::Item>& item, std::string* refusal) {
  return Update(UpdateKind::Reply, c, path, item, refusal);
}

CaseXmlOutcome ApplyCaseXmlFile(const fs::path& path) {
  CaseXmlOutcome failed{.message = "the file could not be applied"};
  return Trap("Case.ApplyCaseXmlFile", failed, [&] {
    CaseXmlOutcome outcome;
    std::string why;
    std::optional<CaseXml> file = ReadCaseXml(path, why);
    if (!file) {
      outcome.message = why;
      return outcome;
    }
    const std::string entry_id = Trim(*file->Find("EntryID"));
    std::shared_ptr<host::MAPIFolder> ongoing = GetOngoingFolder();
    std::shared_ptr<host::Item> item =
        ongoing ? ongoing->GetStore()->GetItemFromID(entry_id) : nullptr;
    if (!item || !StartsWithText(item->MessageClass(), kCaseMessageClass)) {
      outcome.message = "no case has the entry ID \"" + entry_id + "\"";
      return outcome;
    }
    outcome.case_number = Trim(ReadItemText(*item, caseprop::kCaseNumber));
    cCase c;
    UpdateKind kind = file->is_reply ? UpdateKind::Reply : UpdateKind::Full;
    if (!UpdateFrom(kind, c, *file, item, &why)) {
      outcome.message = why.empty() ? "the case could not be updated" : why;
      return outcome;
    }
    if (!c.SetCaseToOutlookItem(RandomUnread::No, DisplayCase::No, item,
                                c.Closed ? CaseState::Closed : CaseState::Open)) {
      outcome.message = "case " + outcome.case_number + " could not be saved";
      return outcome;
    }
    outcome.applied = true;
    outcome.message = std::string(file->is_reply ? "Reply applied" : "Update applied") +
                      " to case " + outcome.case_number;
    return outcome;
  });
}

}  // namespace zanvoro
