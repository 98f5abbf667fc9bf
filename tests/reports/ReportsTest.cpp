#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "case/CaseProperties.h"
#include "case/CaseTestSupport.h"
#include "case/cCase.h"
#include "host/db/Soci.h"
#include "host/db/SqlSession.h"
#include "host/ui/ScriptedRenderer.h"
#include "reports/CaseFigures.h"
#include "reports/HelpdeskReport.h"
#include "reports/ReportingDatabase.h"
#include "reports/frmReports.h"
#include "reports/frmStatistics.h"
#include "runtime/Text.h"

namespace zanvoro {
namespace {

Date At(int y, int m, int d, int hour = 0, int minute = 0) {
  return Date(DateSerial(y, m, d).Serial() + (hour * 60 + minute) / 1440.0);
}

TEST(CaseFigures, DurationsPeriodsAndFiltersFollowTheExamples) {
  const Date now = At(2026, 4, 1, 12, 0);
  struct {
    CaseDates dates;
    int64_t open, resolution;
    const char* open_hours;
  } durations[] = {
      {{At(2026, 3, 2, 9, 0), Date::NoDate(), Date::NoDate(), At(2026, 3, 2, 10, 30)},
       90,
       90,
       "1.30"},
      {{At(2026, 4, 1, 11, 30), Date::NoDate(), Date::NoDate(), Date::NoDate()},
       30,
       0,
       "0.30"},
      {{At(2026, 4, 1, 11, 15), Date::NoDate(), Date::NoDate(), Date::NoDate()},
       45,
       0,
       "0.45"},
      {{At(2026, 4, 1, 10, 20), Date::NoDate(), Date::NoDate(), Date::NoDate()},
       100,
       0,
       "1.40"},
      // Closed before it was created, and no creation date at all.
      {{At(2026, 3, 2, 9, 0), Date::NoDate(), Date::NoDate(), At(2026, 3, 1)},
       0,
       0,
       "0.00"},
      {{Date::NoDate(), Date::NoDate(), Date::NoDate(), Date::NoDate()}, 0, 0, "0.00"},
      {{At(1949, 12, 31), Date::NoDate(), Date::NoDate(), Date::NoDate()}, 0, 0, "0.00"},
  };
  for (const auto& c : durations) {
    CaseDurations d = DurationsOf(c.dates, now);
    EXPECT_EQ(d.Open, c.open) << c.open_hours;
    EXPECT_EQ(d.Resolution, c.resolution) << c.open_hours;
    EXPECT_EQ(HoursAndMinutesText(d.Open), c.open_hours);
  }
  CaseDurations due = DurationsOf({At(2026, 3, 2, 9, 0), At(2026, 3, 2, 8, 50),
                                   At(2026, 3, 2, 10, 0), At(2026, 3, 2, 10, 30)},
                                  now);
  EXPECT_EQ(due.Response, 10);
  EXPECT_EQ(due.Elapsed, 30);

  struct {
    TimePeriod period;
    Date today;
    Date start, end;
  } periods[] = {
      {TimePeriod::LastMonth, At(2024, 3, 15), At(2024, 2, 1), At(2024, 2, 29)},
      {TimePeriod::LastMonth, At(2026, 3, 15), At(2026, 2, 1), At(2026, 2, 28)},
      {TimePeriod::LastMonth, At(2026, 1, 5), At(2025, 12, 1), At(2025, 12, 31)},
      {TimePeriod::ThisWeek, At(2026, 12, 9), At(2026, 12, 6), At(2026, 12, 12)},
      {TimePeriod::LastWeek, At(2026, 12, 6), At(2026, 11, 29), At(2026, 12, 5)},
      {TimePeriod::Yesterday, At(2026, 3, 1), At(2026, 2, 28), At(2026, 2, 28)},
      {TimePeriod::ThisMonth, At(2026, 3, 15), At(2026, 3, 1), At(2026, 3, 15)},
      {TimePeriod::LastYear, At(2026, 3, 15), At(2025, 1, 1), At(2025, 12, 31)},
  };
  for (const auto& p : periods) {
    Period got = PeriodOf(p.period, Date(p.today.Serial() + 0.5));
    EXPECT_EQ(got.Start, p.start)
        << PeriodCaption(p.period) << " " << ShortDateText(p.today);
    EXPECT_EQ(got.End, p.end) << PeriodCaption(p.period) << " " << ShortDateText(p.today);
  }

  struct {
    ResolutionFilter filter;
    int64_t minutes;
    bool passes;
  } filters[] = {
      {ResolutionFilter::After72Hours, 72 * 60, false},
      {ResolutionFilter::Within72Hours, 72 * 60, true},
      {ResolutionFilter::After72Hours, 72 * 60 + 1, true},
      {ResolutionFilter::Within72Hours, 72 * 60 + 1, false},
      {ResolutionFilter::Within24Hours, 24 * 60, true},
      {ResolutionFilter::None, 99999, true},
  };
  for (const auto& f : filters)
    EXPECT_EQ(PassesResolutionFilter(f.filter, f.minutes), f.passes) << f.minutes;

  EXPECT_EQ(EncodeParameterFriendly("C:\\My Data\\HelpdeskOLAP.mdb"),
            "C:\\My*_*Data\\HelpdeskOLAP.mdb");
  EXPECT_EQ(DecodeParameterFriendly("C:\\My*_*Data\\HelpdeskOLAP.mdb"),
            "C:\\My Data\\HelpdeskOLAP.mdb");
}

class Reports : public testsupport::CaseTest {
 protected:
  struct CaseSpec {
    const char* number;
    bool resolved;
    Date created;
    Date closed;
    Date due;
    int spent;
    const char* category;
  };

  // Ongoing: 1 (created in March), 2 (created in February); both due in
  // March. Resolved: 3 in 90 minutes, 4 in exactly 72 hours, 5 opened in
  // February and closed in March.
  void MakeFixedHelpdesk() {
    Settings().Technicians.Add(cTechnician{
        .Name = "Kim Lee", .Rate = Currency::FromScaled(40 * Currency::kScale)});
    Settings().GeneralSettings.SetValue("sdoRateForStatistics", "0");
    const CaseSpec cases[] = {
        {"1", false, At(2026, 3, 10, 9), Date::NoDate(), At(2026, 3, 12), 30, "Hardware"},
        {"2", false, At(2026, 2, 20, 9), Date::NoDate(), At(2026, 3, 5), 0, "Hardware"},
        {"3", true, At(2026, 3, 2, 9), At(2026, 3, 2, 10, 30), At(2026, 3, 3), 60,
         "Software"},
        {"4", true, At(2026, 3, 1, 8), At(2026, 3, 4, 8), At(2026, 3, 2), 15, "Software"},
        {"5", true, At(2026, 2, 25, 8), At(2026, 3, 20, 8), At(2026, 3, 1), 0, "Network"},
    };
    for (const CaseSpec& c : cases) {
      auto item = SavedCaseItem(c.resolved ? Resolved() : Ongoing(), c.number);
      WriteCaseDate(*item, c.created, caseprop::kDateCreated, "",
                    caseprop::kDateCreatedS);
      WriteCaseDate(*item, c.closed, caseprop::kDateClosed, "", caseprop::kDateClosedS);
      WriteCaseDueDate(*item, c.due);
      WriteItemProperty(*item, caseprop::kTimeSpent, Variant(c.spent), VarType::Long);
      WriteItemProperty(*item, caseprop::kProblemCategory, Variant(c.category),
                        VarType::String);
      WriteItemProperty(*item, caseprop::kTechnicians, Variant("Kim Lee/Bob Jones"),
                        VarType::String);
      item->Save();
    }
  }

  static ReportChoices March(ResolutionFilter filter = ResolutionFilter::None) {
    ReportChoices choices;
    choices.Period = TimePeriod::BetweenDates;
    choices.From = At(2026, 3, 1);
    choices.To = At(2026, 3, 31);
    choices.Filter = filter;
    choices.Fields = {"Case Number", "Time Spent", "Open Duration (Mins)",
                      "Resolution Duration (Hrs)", "Total Cost"};
    return choices;
  }

  // Each row's case number and the cell of column `column`.
  static std::map<std::string, std::string> Column(const ReportTable& table,
                                                   size_t column) {
    std::map<std::string, std::string> cells;
    for (const auto& row : table.Rows) cells[row[0]] = row[column];
    return cells;
  }
};

TEST_F(Reports, EachKindListsItsCasesWithTheirFiguresAndTotals) {
  MakeFixedHelpdesk();
  const Date now = At(2026, 4, 1, 12, 0);
  using Cells = std::map<std::string, std::string>;

  ReportTable created = RunReportSection(ReportKind::CasesCreated, March(), now);
  ASSERT_EQ(created.Rows.size(), 3u);
  EXPECT_EQ(created.Columns.back(), "Case State");
  EXPECT_EQ(created.Rows[0][0], "1");  // the Ongoing case first
  EXPECT_EQ(Column(created, 5),
            (Cells{{"1", "Ongoing"}, {"3", "Resolved"}, {"4", "Resolved"}}));
  EXPECT_EQ(Column(created, 2), (Cells{{"1", "31860"}, {"3", "90"}, {"4", "4320"}}));
  EXPECT_EQ(Column(created, 3), (Cells{{"1", "0.00"}, {"3", "1.30"}, {"4", "72.00"}}));
  EXPECT_EQ(Column(created, 4), (Cells{{"1", "20.00"}, {"3", "40.00"}, {"4", "10.00"}}));
  EXPECT_EQ(created.Totals,
            (std::vector<std::string>{"", "105", "36270", "73.30", "70.00", ""}));
  EXPECT_EQ(created.Header, "Cases Created Between dates[3/1/2026 to 3/31/2026]");

  ReportTable resolved = RunReportSection(ReportKind::CasesResolved, March(), now);
  EXPECT_EQ(Column(resolved, 1), (Cells{{"3", "60"}, {"4", "15"}, {"5", "0"}}));
  EXPECT_EQ(resolved.Columns.size(), 5u);  // no Case State

  ReportTable after = RunReportSection(ReportKind::CasesResolved,
                                       March(ResolutionFilter::After72Hours), now);
  EXPECT_EQ(Column(after, 1), (Cells{{"5", "0"}}));
  ReportTable within = RunReportSection(ReportKind::CasesResolved,
                                        March(ResolutionFilter::Within72Hours), now);
  EXPECT_EQ(Column(within, 1), (Cells{{"3", "60"}, {"4", "15"}}));

  ReportTable ongoing = RunReportSection(ReportKind::CasesOpened, March(), now);
  EXPECT_EQ(Column(ongoing, 1), (Cells{{"1", "30"}}));
  ReportTable due = RunReportSection(ReportKind::CasesDue, March(), now);
  EXPECT_EQ(Column(due, 1), (Cells{{"1", "30"}, {"2", "0"}}));

  // Every case was saved today.
  ReportChoices today = March();
  today.Period = TimePeriod::Today;
  ReportTable worked = RunReportSection(ReportKind::CasesWorked, today, Now());
  EXPECT_EQ(worked.Rows.size(), 5u);

  ReportChoices nothing = March();
  EXPECT_EQ(ReportChoicesProblem(nothing),
            "Please select at least one report to generate!");
  nothing.Kinds[0] = true;
  nothing.Fields.clear();
  EXPECT_EQ(ReportChoicesProblem(nothing),
            "Please select at least one field to be included into the report!");
  EXPECT_EQ(BuildHelpdeskReport(nothing, "Ann", now), "");
  EXPECT_TRUE(Renderer().Saw("Please select at least one field"));

  ReportChoices all = March();
  all.Kinds.fill(true);
  std::string html = BuildHelpdeskReport(all, "Ann Smith", now);
  EXPECT_NE(html.find("Generated by : <b>Ann Smith</b>"), std::string::npos);
  EXPECT_NE(html.find("<svg"), std::string::npos);
  EXPECT_NE(html.find(" 3 Cases"), std::string::npos);
}

TEST_F(Reports, WindowShowsSavesAndKeepsItsChoices) {
  MakeFixedHelpdesk();
  Settings().GeneralSettings.SetValue("sdoReportsEditable", "1");
  using host::FormAction;
  const std::filesystem::path saved = dir_.Path() / "saved.html";
  Renderer().Script(
      "frmReports",
      {FormAction::Set("chkCasesCreated", false), FormAction::Click("cmdShowReport"),
       FormAction::Set("cboTimePeriod", "Between dates"),
       FormAction::Set("dtpStart", "3/1/2026"), FormAction::Set("dtpEnd", "3/31/2026"),
       FormAction::Set("chkCasesResolved", true), FormAction::Click("cmdShowReport"),
       FormAction::Set("txtSaveAs", saved.string()), FormAction::Click("cmdSave"),
       FormAction::Click("cmdExit")});
  frmReports window;
  window.Show(host::ShowMode::Modal);
  EXPECT_TRUE(Renderer().Saw("Please select at least one report to generate!"));
  EXPECT_NE(window.Document().find(
                "Cases Resolved Between dates[3/1/2026 to 3/31/2026] - <b> 3 Cases"),
            std::string::npos);
  EXPECT_NE(window.Document().find("<body contenteditable=\"true\">"), std::string::npos);
  std::ifstream pane(window.PaneFile());
  EXPECT_TRUE(pane.good());
  std::ifstream copy(saved);
  std::string text((std::istreambuf_iterator<char>(copy)),
                   std::istreambuf_iterator<char>());
  EXPECT_EQ(text, window.Document());

  // The next window comes back with the same choices.
  Renderer().Script("frmReports", {FormAction::Do([](host::Form& form) {
                                     ReportChoices c =
                                         static_cast<frmReports&>(form).Choices();
                                     EXPECT_EQ(c.Period, TimePeriod::BetweenDates);
                                     EXPECT_FALSE(c.Kinds[0]);
                                     EXPECT_TRUE(c.Kinds[1]);
                                     EXPECT_EQ(c.Fields.size(), 5u);
                                   }),
                                   FormAction::Click("cmdExit")});
  frmReports again;
  again.Show(host::ShowMode::Modal);
  EXPECT_EQ(Renderer().PendingScripts(), 0u) << Renderer().TranscriptText();
}

class ReportingDatabase : public Reports {
 protected:
  std::filesystem::path db_path_ = dir_.Path() / "My Data" / kReportingDatabaseName;
};

// Every field of every row, read back through the SQL library.
std::vector<std::map<std::string, std::string>> ReadRows(
    const std::filesystem::path& file) {
  auto session = host::db::OpenSession(file.string());
  std::vector<std::map<std::string, std::string>> rows;
  soci::row row;
  soci::statement select(*session);
  select.exchange(soci::into(row));
  select.alloc();
  select.prepare("SELECT * FROM tblCases ORDER BY CaseID");
  select.define_and_bind();
  select.execute(false);
  while (select.fetch()) {
    std::map<std::string, std::string> fields;
    for (size_t i = 0; i < row.size(); ++i) {
      const soci::column_properties& p = row.get_properties(i);
      std::string value;
      if (row.get_indicator(i) == soci::i_null) {
        value = "NULL";
      } else if (p.get_data_type() == soci::dt_double) {
        value = TwoDecimals(row.get<double>(i));
      } else if (p.get_data_type() == soci::dt_integer) {
        value = std::to_string(row.get<int>(i));
      } else if (p.get_data_type() == soci::dt_long_long) {
        value = std::to_string(row.get<long long>(i));
      } else if (p.get_data_type() == soci::dt_date) {
        std::tm t = row.get<std::tm>(i);
        value = FormatDate(MakeDate({t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                                     t.tm_min, t.tm_sec}),
                           "yyyy-MM-dd HH:mm:ss");
      } else {
        value = row.get<std::string>(i);
      }
      fields[p.get_name()] = value;
    }
    rows.push_back(std::move(fields));
  }
  return rows;
}

TEST_F(ReportingDatabase, ExportHoldsOneRowPerCaseWithEveryFieldOfTheCase) {
  Settings().Technicians.Add(
      cTechnician{.Name = "Tech 1", .Rate = Currency::FromScaled(30 * Currency::kScale)});
  // An empty label and one already taken give the fixed names.
  for (auto [key, label] : {std::pair{"sdoAssetField1", "Name"},
                            {"sdoAssetField2", "Serial"},
                            {"sdoAssetField3", ""},
                            {"sdoAssetField4", "Name"},
                            {"sdoAssetField5", "Location"},
                            {"sdoCustomFieldLabel3", ""}})
    Settings().GeneralSettings.SetValue(key, label);
  const Date now = At(2026, 6, 1, 12, 0);
  constexpr int kCases = 300;
  std::map<std::string, std::map<std::string, std::string>> expected;
  auto text = [](Date d) {
    return IsAbsentDate(d) ? std::string("NULL") : FormatDate(d, "yyyy-MM-dd HH:mm:ss");
  };
  for (int n = 1; n <= kCases; ++n) {
    const bool resolved = n % 3 == 0;
    const std::string number = std::to_string(n);
    auto item = SavedCaseItem(resolved ? Resolved() : Ongoing(), number);
    std::map<std::string, std::string>& e = expected[number];
    auto put = [&](const char* property, const std::string& column, std::string value) {
      WriteItemProperty(*item, property, Variant(value), VarType::String);
      e[column] = value;
    };
    item->SetSubject("Subject " + number + (n % 7 ? "" : " \"quoted\" O'Brien é"));
    e["Subject"] = item->Subject();
    put(caseprop::kProblemCategory, "ProblemCategory",
        "Category " + std::to_string(n % 5));
    put(caseprop::kProblemType, "ProblemType", n % 4 ? "Type " + number : "");
    put(caseprop::kCallerName, "CallerName", "Caller " + number);
    put(caseprop::kCallerEmail, "CallerEmail", "c" + number + "@example.com");
    put(caseprop::kCallerPhone, "CallerPhone", "+1 555 " + number);
    put(caseprop::kCallerCompany, "CallerCompany", "Company " + std::to_string(n % 9));
    put(caseprop::kCallerMobile, "CallerMobile", n % 2 ? "07" + number : "");
    put(caseprop::kCallerAddress, "CallerAddress", "Street " + number + "\r\nTown");
    put(caseprop::kCallerDepartment, "CallerDepartment", "Dept " + std::to_string(n % 3));
    put(caseprop::kTechnicians, "Technicians", n % 2 ? "Tech 1/Tech 2" : "Tech 2");
    put(caseprop::kOrigin, "Origin", n % 2 ? "Email" : "Phone");
    put(caseprop::kAssetName, "Name", "Asset " + number);
    put(caseprop::kAssetField2, "Serial", "Serial " + number);
    put(caseprop::kAuthor, "Author", "Author " + std::to_string(n % 4));
    put("Case.CustomField1", "Custom Field 1", "C1 " + number);
    put("Case.CustomField3", "CustomField3", "C3 " + number);
    put("Case.CustomField10", "Custom Field 10", "C10 " + number);
    put(caseprop::kStatus, "Status", resolved ? "Closed" : "In progress");
    put(caseprop::kServiceLevel, "ServiceLevel", n % 5 ? "Gold" : "");
    put(caseprop::kProblemField, "ProblemField", "Field " + std::to_string(n % 6));
    put(caseprop::kAssociatedUsers, "AssociatedUsers", n % 8 ? "" : "Mia;Tom");
    const Date created =
        Date(At(2026, 3, 1, 8).Serial() + n * 0.137 + (n % 60) / 86400.0);
    const Date received = Date(created.Serial() - (n % 11) / 1440.0);
    const Date due = n % 10 ? Date(created.Serial() + 2) : Date::NoDate();
    const Date closed =
        resolved ? Date(created.Serial() + (n % 97) / 24.0) : Date::NoDate();
    WriteCaseDate(*item, created, caseprop::kDateCreated, "", caseprop::kDateCreatedS);
    WriteCaseDate(*item, received, caseprop::kReceivedDate, "", caseprop::kReceivedDateS);
    WriteCaseDueDate(*item, due);
    if (resolved)
      WriteCaseDate(*item, closed, caseprop::kDateClosed, "", caseprop::kDateClosedS);
    WriteItemProperty(*item, caseprop::kTimeSpent, Variant(n % 50 * 7), VarType::Long);
    item->SetImportance(n % 3);
    item->Save();
    e["CaseNumber"] = number;
    e["DateCreated"] = text(created);
    e["DateReceived"] = text(received);
    e["DueDate"] = text(due);
    e["DateClosed"] = text(closed);
    e["TimeSpent"] = std::to_string(n % 50 * 7);
    e["Importance"] = std::to_string(n % 3);
    e["strImportance"] = ImportanceText(n % 3);
    e["CaseType"] = resolved ? "Resolved" : "Ongoing";
    e["Rate"] = TwoDecimals(n % 2 ? 30.0 * (n % 50 * 7) / 60.0 : 0.0);
    CaseDurations d = DurationsOf({created, received, due, closed}, now);
    e["OpenDuration"] = std::to_string(d.Open);
    e["ResolutionDuration"] = std::to_string(d.Resolution);
    e["ResponseDuration"] = std::to_string(d.Response);
    e["ElapsedDuration"] = std::to_string(d.Elapsed);
    e["OpenDurationHr"] = TwoDecimals(d.Open / 60.0);
    e["ResolutionDurationHr"] = TwoDecimals(d.Resolution / 60.0);
    e["ResponseDurationHr"] = TwoDecimals(d.Response / 60.0);
    e["ElapsedDurationHr"] = TwoDecimals(d.Elapsed / 60.0);
    for (const char* empty : {"AssetField3", "AssetField4", "Location", "Custom Field 2",
                              "Custom Field 4", "Custom Field 5", "Custom Field 6",
                              "Custom Field 7", "Custom Field 8", "Custom Field 9"})
      e[empty] = "";
  }

  ExportResult result = ExportCases(CaseChoice::Both, db_path_.string(), now);
  ASSERT_TRUE(result.Ok) << Renderer().TranscriptText();
  EXPECT_EQ(result.Rows, static_cast<size_t>(kCases));
  auto rows = ReadRows(db_path_);
  ASSERT_EQ(rows.size(), static_cast<size_t>(kCases));
  std::map<std::string, int> seen;
  for (auto& row : rows) {
    const std::string number = row["CaseNumber"];
    ++seen[number];
    row.erase("CaseID");
    EXPECT_EQ(row, expected[number]) << "case " << number;
  }
  EXPECT_EQ(seen.size(), static_cast<size_t>(kCases));
  EXPECT_EQ(rows.front()["CaseType"], "Ongoing");  // the open cases went first

  // Resolved alone rebuilds; an empty selection leaves the rebuilt file.
  EXPECT_EQ(ExportCases(CaseChoice::Resolved, db_path_.string(), now).Rows, 100u);
  EXPECT_EQ(ReadRows(db_path_).size(), 100u);
  EXPECT_TRUE(ExportCaseData(db_path_.string(), {}, Rebuild::No));
  EXPECT_EQ(ReadRows(db_path_).size(), 100u);
}

TEST_F(ReportingDatabase, StatisticsWindowStartsTheViewerOrTellsWhereTheCasesAre) {
  MakeFixedHelpdesk();
  using host::FormAction;
  const std::filesystem::path programs = dir_.Path() / "programs";
  // Without the viewer: the message, and No to opening the folder.
  Renderer().Answer(host::MsgBoxResult::No, "OLAPSenseLite");
  Renderer().Script("frmStatistics", {FormAction::Set("optCase1", true),
                                      FormAction::Click("cmdGenerate")});
  frmStatistics missing(StatisticsMode::Viewer, programs, db_path_);
  missing.Show(host::ShowMode::Modal);
  EXPECT_EQ(Renderer().PendingAnswers(), 0u) << Renderer().TranscriptText();
  EXPECT_EQ(missing.LastResult().Rows, 3u);
  EXPECT_TRUE(Renderer().Saw("sqlite3 \"" + db_path_.string() + "\""));
  EXPECT_EQ(ReadRows(db_path_).size(), 3u);

  // The viewer gets the path with its blanks encoded.
  std::filesystem::create_directories(programs);
  const std::filesystem::path args = dir_.Path() / "viewer-args";
  {
    std::ofstream viewer(programs / kViewerProgram);
    viewer << "#!/bin/sh\necho \"$@\" > '" << args.string() << ".tmp' && mv '"
           << args.string() << ".tmp' '" << args.string() << "'\n";
  }
  std::filesystem::permissions(programs / kViewerProgram,
                               std::filesystem::perms::owner_all);
  Renderer().Script("frmStatistics", {FormAction::Click("cmdGenerate")});
  frmStatistics viewer(StatisticsMode::Viewer, programs, db_path_);
  viewer.Show(host::ShowMode::Modal);
  EXPECT_EQ(viewer.LastResult().Rows, 5u);
  for (int i = 0; i < 500 && !std::filesystem::exists(args); ++i) usleep(10000);
  std::ifstream written(args);
  std::string line;
  std::getline(written, line);
  EXPECT_EQ(line, EncodeParameterFriendly(db_path_.string()));
  EXPECT_NE(line.find("My*_*Data"), std::string::npos);

  // Stop, clicked while the Ongoing cases are read: what was read is
  // written, the Resolved folder is not read.
  Renderer().Script("frmStatistics",
                    {FormAction::Do([this](host::Form& form) {
                       loop_.Post([&form] { form.UserClick("cmdStop"); });
                     }),
                     FormAction::Click("cmdGenerate")});
  frmStatistics stopped(StatisticsMode::ExportOnly, {}, db_path_);
  stopped.Show(host::ShowMode::Modal);
  EXPECT_TRUE(stopped.LastResult().Stopped);
  EXPECT_LT(stopped.LastResult().Rows, 2u);
  EXPECT_TRUE(Renderer().Saw("(stopped early)")) << Renderer().TranscriptText();
}

}  // namespace
}  // namespace zanvoro
