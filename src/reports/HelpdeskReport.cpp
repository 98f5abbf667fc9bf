#include "reports/HelpdeskReport.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <unordered_map>

#include "case/CaseProperties.h"
#include "case/EntryListForms.h"
#include "case/HelpdeskFolders.h"
#include "errors/Trap.h"
#include "errors/modErroHandling.h"
#include "host/store/MAPIFolder.h"
#include "host/store/Recordset.h"
#include "host/ui/MsgBox.h"
#include "reports/ReportChart.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/ListText.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"
#include "text/Phrases.h"

namespace zanvoro {
namespace {

// Where a field's value comes from.
enum class Source {
  Text,
  Date,
  TimeSpent,
  OpenMins,
  OpenHrs,
  ResolutionMins,
  ResolutionHrs,
  ResponseMins,
  ResponseHrs,
  ElapsedMins,
  ElapsedHrs,
  Cost
};

struct FieldDef {
  const char* caption;
  const char* property;  // nullptr for the computed fields
  Source source;
};

const FieldDef kFields[] = {
    {"Case Number", caseprop::kCaseNumber, Source::Text},
    {"Subject", "Subject", Source::Text},
    {"Problem Category", caseprop::kProblemCategory, Source::Text},
    {"Problem Type", caseprop::kProblemType, Source::Text},
    {"Caller Name", caseprop::kCallerName, Source::Text},
    {"Caller Email", caseprop::kCallerEmail, Source::Text},
    {"Caller Company", caseprop::kCallerCompany, Source::Text},
    {"Caller Address", caseprop::kCallerAddress, Source::Text},
    {"Caller Phone", caseprop::kCallerPhone, Source::Text},
    {"Caller Mobile", caseprop::kCallerMobile, Source::Text},
    {"Caller Department", caseprop::kCallerDepartment, Source::Text},
    {"Date Created", caseprop::kDateCreatedS, Source::Date},
    {"Date Modified Last", "LastModificationTime", Source::Date},
    {"Date Due", caseprop::kDueDateS, Source::Date},
    {"Date Closed", caseprop::kDateClosedS, Source::Date},
    {"Technicians", caseprop::kTechnicians, Source::Text},
    {"Status", caseprop::kStatus, Source::Text},
    {"Origin", caseprop::kOrigin, Source::Text},
    {"Author", caseprop::kAuthor, Source::Text},
    {"Associated Users", caseprop::kAssociatedUsers, Source::Text},
    {"Time Spent", caseprop::kTimeSpent, Source::TimeSpent},
    {"Service Level", caseprop::kServiceLevel, Source::Text},
    {"Request Received", caseprop::kReceivedDateS, Source::Date},
    {"Open Duration (Mins)", nullptr, Source::OpenMins},
    {"Open Duration (Hrs)", nullptr, Source::OpenHrs},
    {"Resolution Duration (Hrs)", nullptr, Source::ResolutionHrs},
    {"Resolution Duration (Mins)", nullptr, Source::ResolutionMins},
    {"Response Duration (Mins)", nullptr, Source::ResponseMins},
    {"Response Duration (Hrs)", nullptr, Source::ResponseHrs},
    {"Elapsed Duration (Mins)", nullptr, Source::ElapsedMins},
    {"Elapsed Duration (Hrs)", nullptr, Source::ElapsedHrs},
    {"Total Cost", nullptr, Source::Cost},
    {"AssetField1", caseprop::kAssetName, Source::Text},
    {"AssetField2", caseprop::kAssetField2, Source::Text},
    {"AssetField3", caseprop::kAssetField3, Source::Text},
    {"AssetField4", caseprop::kAssetField4, Source::Text},
    {"AssetField5", caseprop::kAssetField5, Source::Text},
    {"CustomField1", "Case.CustomField1", Source::Text},
    {"CustomField2", "Case.CustomField2", Source::Text},
    {"CustomField3", "Case.CustomField3", Source::Text},
    {"CustomField4", "Case.CustomField4", Source::Text},
    {"CustomField5", "Case.CustomField5", Source::Text},
    {"CustomField6", "Case.CustomField6", Source::Text},
    {"CustomField7", "Case.CustomField7", Source::Text},
    {"CustomField8", "Case.CustomField8", Source::Text},
    {"CustomField9", "Case.CustomField9", Source::Text},
    {"CustomField10", "Case.CustomField10", Source::Text},
};

// What every section reads besides the chosen fields: the dates, the time
// and what the cost and the charts need.
const char* const kAlwaysRead[] = {
    caseprop::kDateCreatedS,    caseprop::kDateClosedS,     caseprop::kDueDateS,
    caseprop::kReceivedDateS,   caseprop::kTimeSpent,       caseprop::kTechnicians,
    caseprop::kProblemCategory, caseprop::kCallerDepartment};

constexpr const char* kPublicStrings =
    "http://schemas.microsoft.com/mapi/string/{00020329-0000-0000-C000-000000000046}/";

// A case property by its DASL name; standard properties stay as they are.
std::string Dasl(std::string_view property) {
  if (!StartsWithText(property, "Case.")) return std::string(property);
  return kPublicStrings + std::string(property);
}

struct KindDef {
  ReportKind kind;
  const char* key;
  const std::string* caption;
  const char* english;
  bool ongoing;
  bool resolved;
  const char* date_property;  // the date/time property the store restricts
  const char* date_text;      // the property the period check reads
};

const KindDef kKinds[] = {
    {ReportKind::CasesCreated, "CasesCreated", &CONST_CASES_CREATED, "Cases Created",
     true, true, caseprop::kDateCreated, caseprop::kDateCreatedS},
    {ReportKind::CasesResolved, "CasesResolved", &CONST_CASES_RESOLVED, "Cases Resolved",
     false, true, caseprop::kDateClosed, caseprop::kDateClosedS},
    {ReportKind::CasesOpened, "CasesOpened", &CONST_CASES_OPENED, "Cases Ongoing", true,
     false, caseprop::kDateCreated, caseprop::kDateCreatedS},
    {ReportKind::CasesWorked, "CasesWorked", &CONST_CASES_WORKED, "Cases Worked", true,
     true, "LastModificationTime", "LastModificationTime"},
    {ReportKind::CasesDue, "CasesDue", &CONST_CASES_DUE, "Cases Due", true, false,
     caseprop::kDueDate, caseprop::kDueDateS},
};

const KindDef& DefOf(ReportKind kind) { return kKinds[static_cast<int>(kind)]; }

// A cell's text: read where it lies when it is text, else converted into
// `converted`.
std::string_view CellTextView(const Variant& value, std::string& converted) {
  if (value.IsText()) return value.Text();
  converted = CellText(value);
  return converted;
}

Date CellDate(const host::Recordset& rows, size_t field) {
  const Variant& value = rows.Value(field);
  if (const Date* date = value.As<Date>()) return *date;
  std::string converted;
  std::string_view text = CellTextView(value, converted);
  if (text.empty()) return Date::NoDate();
  return entrylist::ReadEntryDate(text);
}

int64_t CellMinutes(const host::Recordset& rows, size_t field) {
  std::string converted;
  std::string text = Trim(CellTextView(rows.Value(field), converted));
  return IsNumeric(text) ? CLngLng(Variant(std::move(text))) : 0;
}

std::string DateCell(Date d) {
  return IsAbsentDate(d) ? std::string() : GeneralDateText(d);
}

bool TimeSpentInHours(const cGlobalSettings* settings) {
  return settings && CLng(settings->GeneralSettings.GetValue(
                         "sdoTotalTimeSpentDisplayFormat", VarType::Long)) == 1;
}

std::vector<const FieldDef*> ChosenFields(const ReportChoices& choices) {
  std::vector<const FieldDef*> chosen;
  for (const FieldDef& field : kFields) {
    for (const std::string& caption : choices.Fields) {
      if (TextEquals(caption, field.caption)) {
        chosen.push_back(&field);
        break;
      }
    }
  }
  return chosen;
}

bool IsNumericSource(Source source) {
  return source != Source::Text && source != Source::Date;
}

// The running sum of a numeric column: minutes, or money for the cost.
struct Total {
  int64_t minutes = 0;
  double money = 0;
};

std::string Shown(Source source, int64_t minutes, double money, bool hours) {
  switch (source) {
    case Source::TimeSpent:
      return hours ? HoursAndMinutesText(minutes) : std::to_string(minutes);
    case Source::OpenHrs:
    case Source::ResolutionHrs:
    case Source::ResponseHrs:
    case Source::ElapsedHrs:
      return HoursAndMinutesText(minutes);
    case Source::Cost:
      return TwoDecimals(money);
    default:
      return std::to_string(minutes);
  }
}

// Adds the rows of one folder's query to `table`.
void ReadFolder(const std::shared_ptr<host::MAPIFolder>& folder, const KindDef& kind,
                const ReportChoices& choices, const std::vector<const FieldDef*>& fields,
                const char* state, Date now, ReportTable& table,
                std::vector<Total>& totals) {
  if (!folder) return;
  std::vector<std::string> columns;
  auto add_column = [&](std::string_view property) {
    std::string name = Dasl(property);
    for (const std::string& c : columns)
      if (TextEquals(c, name)) return;
    columns.push_back(std::move(name));
  };
  for (const FieldDef* field : fields)
    if (field->property) add_column(field->property);
  for (const char* property : kAlwaysRead) add_column(property);
  add_column(kind.date_text);

  // The store restricts to the period by the date/time property; the
  // period check below reads the sortable text as the case shows it.
  const Date first = table.Days.Start;
  const Date after_last = Date(table.Days.End.Serial() + 1);
  std::string query = "Select ";
  for (size_t i = 0; i < columns.size(); ++i)
    query += (i ? ", \"" : "\"") + columns[i] + "\"";
  std::string date_column = "\"" + Dasl(kind.date_property) + "\"";
  char bounds[128];
  std::snprintf(bounds, sizeof bounds, " >= %.6f and %s < %.6f", first.Serial(),
                date_column.c_str(), after_last.Serial());
  query += " from Folder where (" + date_column + bounds + ")";
  host::Recordset rows;
  try {
    rows = folder->ExecSQL(query);
  } catch (const Error& error) {
    // The section stays empty; the rest of the report is still written.
    if (error.Number() == err::kNetworkError) {
      host::MsgBox(kNetworkProblemsMessage, host::vbCritical, kApplicationTitle);
    } else {
      ReportCurrentException("Reports.ReadFolder");
    }
    return;
  }
  const cGlobalSettings* settings = SharedGlobalSettings();
  const bool hours = TimeSpentInHours(settings);
  // Fields found by name once, not on every row.
  auto at = [&](std::string_view property) { return rows.FieldIndex(Dasl(property)); };
  const size_t date_text = at(kind.date_text);
  const size_t created = at(caseprop::kDateCreatedS);
  const size_t received = at(caseprop::kReceivedDateS);
  const size_t due = at(caseprop::kDueDateS);
  const size_t closed = at(caseprop::kDateClosedS);
  const size_t technicians_at = at(caseprop::kTechnicians);
  const size_t category_at = at(caseprop::kProblemCategory);
  const size_t department_at = at(caseprop::kCallerDepartment);
  const size_t spent_at = at(caseprop::kTimeSpent);
  std::unordered_map<std::string, double> rates;
  std::string rate_key;  // reused, so a known key costs no allocation
  std::vector<size_t> field_at;
  for (const FieldDef* field : fields)
    field_at.push_back(field->property ? at(field->property) : 0);
  for (; !rows.Eof(); rows.MoveNext()) {
    // The store kept to the period already: the rows read here nearly all
    // pass, so the case's dates are read first and each text parsed once.
    CaseDates dates{CellDate(rows, created), CellDate(rows, received),
                    CellDate(rows, due), CellDate(rows, closed)};
    Date day = DatePart(date_text == created    ? dates.Created
                        : date_text == received ? dates.Received
                        : date_text == due      ? dates.Due
                        : date_text == closed   ? dates.Closed
                                                : CellDate(rows, date_text));
    if (day < first || day > table.Days.End) continue;
    CaseDurations d = DurationsOf(dates, now);
    if (!PassesResolutionFilter(choices.Filter, d.Resolution)) continue;
    std::string technicians = CellText(rows.Value(technicians_at));
    std::string category = CellText(rows.Value(category_at));
    int64_t spent = CellMinutes(rows, spent_at);
    double cost = 0;
    if (settings) {
      // Many cases share their technicians, category and department.
      std::string department = CellText(rows.Value(department_at));
      rate_key.assign(technicians).append(1, '\n').append(category).append(1, '\n');
      rate_key.append(department);
      auto rate = rates.find(rate_key);
      if (rate == rates.end())
        rate = rates
                   .emplace(rate_key,
                            StatisticsRate(*settings, technicians, category, department))
                   .first;
      cost = CostOf(rate->second, spent);
    }
    std::vector<std::string> cells;
    cells.reserve(fields.size() + 1);
    for (size_t i = 0; i < fields.size(); ++i) {
      const FieldDef& field = *fields[i];
      int64_t minutes = 0;
      switch (field.source) {
        case Source::Text:
          cells.push_back(CellText(rows.Value(field_at[i])));
          continue;
        case Source::Date:
          cells.push_back(DateCell(CellDate(rows, field_at[i])));
          continue;
        case Source::TimeSpent:
          minutes = spent;
          break;
        case Source::OpenMins:
        case Source::OpenHrs:
          minutes = d.Open;
          break;
        case Source::ResolutionMins:
        case Source::ResolutionHrs:
          minutes = d.Resolution;
          break;
        case Source::ResponseMins:
        case Source::ResponseHrs:
          minutes = d.Response;
          break;
        case Source::ElapsedMins:
        case Source::ElapsedHrs:
          minutes = d.Elapsed;
          break;
        case Source::Cost:
          break;
      }
      totals[i].minutes += minutes;
      totals[i].money += field.source == Source::Cost ? cost : 0;
      cells.push_back(Shown(field.source, minutes, cost, hours));
    }
    if (state) cells.push_back(state);
    table.Rows.push_back(std::move(cells));
    // The first of the technicians: the text before the first "/".
    const std::string_view first_technician =
        std::string_view(technicians).substr(0, technicians.find('/'));
    table.Cases.push_back(ReportCase{dates.Created, dates.Closed, dates.Due,
                                     Trim(category), Trim(first_technician)});
  }
}

}  // namespace

const char* ReportKindKey(ReportKind kind) { return DefOf(kind).key; }

std::string ReportKindCaption(ReportKind kind) {
  const KindDef& def = DefOf(kind);
  return PhraseOr(*def.caption, def.english);
}

bool ParseReportKind(std::string_view text, ReportKind& kind) {
  std::string plain = LCase(Trim(text));
  for (const KindDef& def : kKinds) {
    std::string key = LCase(def.key);
    if (plain == key || "cases" + plain == key ||
        (plain == "ongoing" && def.kind == ReportKind::CasesOpened)) {
      kind = def.kind;
      return true;
    }
  }
  return false;
}

const std::vector<std::string>& ReportFieldCaptions() {
  static const std::vector<std::string> captions = [] {
    std::vector<std::string> out;
    for (const FieldDef& field : kFields) out.push_back(field.caption);
    return out;
  }();
  return captions;
}

bool IsDefaultReportField(std::string_view caption) {
  for (const char* name :
       {"Case Number", "Subject", "Caller Name", "Technicians", "Time Spent"}) {
    if (TextEquals(caption, name)) return true;
  }
  return false;
}

std::string ReportChoicesProblem(const ReportChoices& choices) {
  bool any_kind = false;
  for (bool k : choices.Kinds) any_kind = any_kind || k;
  if (!any_kind)
    return PhraseOr(CONST_SELECT_ONE_REPORT_ATLEAST,
                    "Please select at least one report to generate!");
  if (ChosenFields(choices).empty())
    return PhraseOr(CONST_SELECT_ONE_FIELD_ATLEAST,
                    "Please select at least one field to be included into the report!");
  return {};
}

ReportTable RunReportSection(ReportKind kind, const ReportChoices& choices, Date now) {
  ReportTable table;
  table.Kind = kind;
  return Trap("Reports.RunReportSection", table, [&] {
    const KindDef& def = DefOf(kind);
    table.Days = PeriodOf(choices.Period, now, choices.From, choices.To);
    table.Header = ReportKindCaption(kind) + " " + PeriodCaption(choices.Period) + "[" +
                   ShortDateText(table.Days.Start) + " to " +
                   ShortDateText(table.Days.End) + "]";
    std::vector<const FieldDef*> fields = ChosenFields(choices);
    const bool hours = TimeSpentInHours(SharedGlobalSettings());
    for (const FieldDef* field : fields) {
      std::string caption = field->caption;
      if (field->source == Source::TimeSpent) caption += hours ? " (Hrs)" : " (Mins)";
      table.Columns.push_back(caption);
      table.Numeric.push_back(IsNumericSource(field->source));
    }
    const bool both = def.ongoing && def.resolved;
    if (both) {
      table.Columns.push_back("Case State");
      table.Numeric.push_back(false);
    }
    std::vector<Total> totals(fields.size());
    if (def.ongoing)
      ReadFolder(GetOngoingFolder(), def, choices, fields, both ? "Ongoing" : nullptr,
                 now, table, totals);
    if (def.resolved)
      ReadFolder(GetResolvedFolder(), def, choices, fields, both ? "Resolved" : nullptr,
                 now, table, totals);
    if (!table.Rows.empty()) {
      for (size_t i = 0; i < fields.size(); ++i) {
        table.Totals.push_back(
            IsNumericSource(fields[i]->source)
                ? Shown(fields[i]->source, totals[i].minutes, totals[i].money, hours)
                : std::string());
      }
      if (both) table.Totals.emplace_back();
    }
    // Moved out: a large report's rows are not copied.
    return std::move(table);
  });
}

std::string ReportSectionHtml(const ReportTable& table) {
  return Trap("Reports.ReportSectionHtml", std::string{}, [&] {
    // The section is written into one string, sized for its rows up front:
    // a large report is tens of megabytes, and each copy of it costs.
    std::string html;
    html.reserve(1024 + table.Rows.size() * table.Columns.size() * 40);
    html += "<br><table border=\"0\" width=\"100%\"><tr><td colspan=\"2\"><font size='3'>";
    html += HtmlEscape(table.Header);
    html += " - <b> " + std::to_string(table.Rows.size()) +
            " Cases</b></font><hr></td></tr><td width=\"2%\"></td><td width=\"98%\">";
    html +=
        "<table border=\"1\" width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" "
        "bordercolor=\"#C0C0C0\"><tr>";
    for (const std::string& column : table.Columns)
      html += "<td  bgcolor=\"#FFFFCC\" align=\"left\"><b>" + HtmlEscape(column) +
              "</b></td>";
    html += "</tr>\r\n";
    auto cell = [&](size_t column, const std::string& text, bool bold) {
      html += table.Numeric[column] ? "<td align=\"right\">" : "<td align=\"left\">";
      if (text.empty()) {
        html += "&nbsp;";
      } else {
        if (bold) html += "<b>";
        AppendHtmlEscaped(html, text, LineBreaks::AsBreaks);
        if (bold) html += "</b>";
      }
      html += "</td>";
    };
    for (const std::vector<std::string>& row : table.Rows) {
      html += "<tr>";
      for (size_t c = 0; c < row.size(); ++c) cell(c, row[c], false);
      html += "</tr>\r\n";
    }
    if (!table.Totals.empty()) {
      html += "<tr>";
      for (size_t c = 0; c < table.Totals.size(); ++c) cell(c, table.Totals[c], true);
      html += "</tr>\r\n";
    }
    html += "</table>";
    html += ReportChartsHtml(table);
    html += "</td></tr></table>\r\n";
    return html;
  });
}

std::string BuildHelpdeskReport(const ReportChoices& choices, std::string_view user,
                                Date now) {
  return Trap("Reports.BuildHelpdeskReport", std::string{}, [&] {
    std::string problem = ReportChoicesProblem(choices);
    if (!problem.empty()) {
      host::MsgBox(problem, host::vbInformation, kApplicationTitle);
      return std::string{};
    }
    std::string html =
        "<html><head><title>Helpdesk Report</title></head>"
        "<style type=\"text/css\">Body { font-family:Tahoma;} Table  { "
        "font-family:Tahoma;font-size:9pt;}</style>" +
        std::string(kChartStyle) +
        "<body><table border=\"0\" width=\"800\"><tr><td align=\"left\"><b><font "
        "size=\"5\">Helpdesk Report</font></b></td></tr>"
        "<tr><td><table border=\"0\" width=\"70%\"><tr><td width=\"50%\">Generated by : "
        "<b>" +
        HtmlEscape(user) +
        "</b></td><td width=\"50%\">&nbsp;</td></tr><tr><td width=\"50%\">Time : <b>" +
        GeneralDateText(now) +
        "</b></td><td width=\"50%\">&nbsp;</td></tr></table></td></tr></table>\r\n";
    for (int k = 0; k < kReportKindCount; ++k) {
      if (!choices.Kinds[static_cast<size_t>(k)]) continue;
      html +=
          ReportSectionHtml(RunReportSection(static_cast<ReportKind>(k), choices, now));
    }
    html += "</body></html>";
    return html;
  });
}

}  // namespace zanvoro
