#include "reports/ReportingDatabase.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "case/CaseProperties.h"
#include "case/EntryListForms.h"
#include "case/HelpdeskFolders.h"
#include "case/LocalDataFolders.h"
#include "case/cCase.h"
#include "errors/Trap.h"
#include "host/db/Soci.h"
#include "host/db/SqlSession.h"
#include "host/store/MAPIFolder.h"
#include "host/store/Recordset.h"
#include "reports/CaseFigures.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/ListText.h"
#include "settings/RegistryOptions.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro {
namespace {

namespace fs = std::filesystem;
namespace db = host::db;

enum class ColumnType { Text, DateTime, SmallInt, Long, Double };

// Calls `f(value)` for each written field of `r`, in table order; the
// column names of ReportingColumnNames follow the same order.
template <class R, class F>
void ForEachField(R& r, F&& f) {
  for (auto* text : {&r.Subject, &r.ProblemCategory, &r.ProblemType, &r.CallerName,
                     &r.CallerEmail, &r.CallerPhone, &r.CallerCompany, &r.CallerMobile,
                     &r.CallerAddress, &r.CallerDepartment, &r.Technicians, &r.Origin})
    f(*text);
  f(r.DateCreated);
  f(r.DueDate);
  f(r.DateClosed);
  for (auto& asset : r.AssetFields) f(asset);
  f(r.Author);
  f(r.CaseNumber);
  f(r.TimeSpent);
  for (auto& custom : r.CustomFields) f(custom);
  f(r.Status);
  f(r.CaseType);
  f(r.Importance);
  f(r.strImportance);
  f(r.Rate);
  f(r.OpenDuration);
  f(r.ElapsedDuration);
  f(r.ResponseDuration);
  f(r.ResolutionDuration);
  f(r.DateReceived);
  f(r.OpenDurationHr);
  f(r.ElapsedDurationHr);
  f(r.ResponseDurationHr);
  f(r.ResolutionDurationHr);
  f(r.ServiceLevel);
  f(r.ProblemField);
  f(r.AssociatedUsers);
}

struct TypeOf {
  std::vector<ColumnType>& types;
  void operator()(const std::string&) { types.push_back(ColumnType::Text); }
  void operator()(const Date&) { types.push_back(ColumnType::DateTime); }
  void operator()(const int16_t&) { types.push_back(ColumnType::SmallInt); }
  void operator()(const int32_t&) { types.push_back(ColumnType::Long); }
  void operator()(const double&) { types.push_back(ColumnType::Double); }
};

const std::vector<ColumnType>& ColumnTypes() {
  static const std::vector<ColumnType> types = [] {
    std::vector<ColumnType> out;
    const CaseDataRecord empty;
    ForEachField(empty, TypeOf{out});
    return out;
  }();
  return types;
}

std::string Quoted(std::string_view name) {
  return "\"" + Replace(name, "\"", "\"\"") + "\"";
}

std::string SqlType(ColumnType type, db::SqlBackend backend) {
  switch (type) {
    case ColumnType::Text:
      return "VARCHAR(255)";
    case ColumnType::DateTime:
      return "TIMESTAMP";
    case ColumnType::SmallInt:
      return "SMALLINT";
    case ColumnType::Long:
      return "INTEGER";
    case ColumnType::Double:
      return backend == db::SqlBackend::Postgresql ? "DOUBLE PRECISION" : "DOUBLE";
  }
  return "TEXT";
}

std::string DateText(Date d) { return FormatDate(d, "yyyy-MM-dd HH:mm:ss"); }

std::string Label(const cGlobalSettings* settings, const std::string& key) {
  return settings ? Trim(CStr(settings->GeneralSettings.GetValue(key, VarType::String)))
                  : std::string();
}

// The label columns' names with their captions, and the two captioned
// fixed columns.
std::vector<std::pair<std::string, std::string>> Captions(
    const std::vector<std::string>& names, const cGlobalSettings* settings) {
  std::vector<std::pair<std::string, std::string>> captions;
  const size_t asset_first = 15;
  const size_t custom_first = 23;
  for (size_t i = 0; i < 5; ++i)
    captions.emplace_back(names[asset_first + i], names[asset_first + i]);
  for (size_t i = 0; i < 10; ++i)
    captions.emplace_back(names[custom_first + i], names[custom_first + i]);
  std::string problem_title = Label(settings, "sdoProblemFieldsTitle");
  captions.emplace_back("ProblemField",
                        problem_title.empty() ? "Problem Field" : problem_title);
  captions.emplace_back("AssociatedUsers", "Associated Users");
  return captions;
}

std::string Dasl(std::string_view property) {
  return "http://schemas.microsoft.com/mapi/string/"
         "{00020329-0000-0000-C000-000000000046}/" +
         std::string(property);
}

const std::vector<std::string>& CollectedProperties() {
  static const std::vector<std::string> names = {
      caseprop::kProblemCategory, caseprop::kProblemType,   caseprop::kCallerName,
      caseprop::kCallerEmail,     caseprop::kCallerPhone,   caseprop::kCallerCompany,
      caseprop::kCallerMobile,    caseprop::kCallerAddress, caseprop::kCallerDepartment,
      caseprop::kTechnicians,     caseprop::kOrigin,        caseprop::kDateCreated,
      caseprop::kDueDate,         caseprop::kDateClosed,    caseprop::kAssetField2,
      caseprop::kAssetField3,     caseprop::kAssetField4,   caseprop::kAssetField5,
      caseprop::kAuthor,          caseprop::kCaseNumber,    caseprop::kTimeSpent,
      "Case.CustomField1",        "Case.CustomField2",      "Case.CustomField3",
      "Case.CustomField4",        "Case.CustomField5",      "Case.CustomField6",
      "Case.CustomField7",        "Case.CustomField8",      "Case.CustomField9",
      "Case.CustomField10",       caseprop::kStatus,        caseprop::kReceivedDate,
      caseprop::kServiceLevel,    caseprop::kProblemField,  caseprop::kAssociatedUsers,
      caseprop::kAssetName};
  return names;
}

// The query reads EntryID, Subject and Importance, then the collected
// properties in their order; a property's field is found by position.
constexpr size_t kFirstProperty = 3;

size_t FieldOf(std::string_view property) {
  static const std::unordered_map<std::string_view, size_t> positions = [] {
    std::unordered_map<std::string_view, size_t> out;
    const std::vector<std::string>& names = CollectedProperties();
    for (size_t i = 0; i < names.size(); ++i) out.emplace(names[i], kFirstProperty + i);
    return out;
  }();
  return positions.at(property);
}

std::string Cell(const host::Recordset& rows, std::string_view property) {
  return CellText(rows.Value(FieldOf(property)));
}

Date CellDate(const host::Recordset& rows, std::string_view property) {
  std::string text = Trim(Cell(rows, property));
  if (text.empty()) return Date::NoDate();
  if (std::optional<Date> d = ParseDate(text)) return *d;
  return entrylist::ReadEntryDate(text);
}

int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, 0, std::numeric_limits<int32_t>::max()));
}

// The record of the recordset's current row.
CaseDataRecord RecordOf(const host::Recordset& rows, CaseFolder folder,
                        const cGlobalSettings* settings, Date now) {
  CaseDataRecord r;
  r.Key = CellText(rows.Value(0));
  r.Subject = CellText(rows.Value(1));
  r.ProblemCategory = Cell(rows, caseprop::kProblemCategory);
  r.ProblemType = Cell(rows, caseprop::kProblemType);
  r.CallerName = Cell(rows, caseprop::kCallerName);
  r.CallerEmail = Cell(rows, caseprop::kCallerEmail);
  r.CallerPhone = Cell(rows, caseprop::kCallerPhone);
  r.CallerCompany = Cell(rows, caseprop::kCallerCompany);
  r.CallerMobile = Cell(rows, caseprop::kCallerMobile);
  r.CallerAddress = Cell(rows, caseprop::kCallerAddress);
  r.CallerDepartment = Cell(rows, caseprop::kCallerDepartment);
  r.Technicians = Cell(rows, caseprop::kTechnicians);
  r.Origin = Cell(rows, caseprop::kOrigin);
  r.DateCreated = CellDate(rows, caseprop::kDateCreated);
  r.DueDate = CellDate(rows, caseprop::kDueDate);
  r.DateClosed = CellDate(rows, caseprop::kDateClosed);
  r.DateReceived = CellDate(rows, caseprop::kReceivedDate);
  r.AssetFields = {Cell(rows, caseprop::kAssetName), Cell(rows, caseprop::kAssetField2),
                   Cell(rows, caseprop::kAssetField3), Cell(rows, caseprop::kAssetField4),
                   Cell(rows, caseprop::kAssetField5)};
  r.Author = Cell(rows, caseprop::kAuthor);
  r.CaseNumber = Cell(rows, caseprop::kCaseNumber);
  std::string spent = Trim(Cell(rows, caseprop::kTimeSpent));
  int64_t minutes = IsNumeric(spent) ? CLngLng(Variant(spent)) : 0;
  r.TimeSpent = static_cast<int16_t>(std::clamp<int64_t>(minutes, INT16_MIN, INT16_MAX));
  for (int n = 1; n <= 10; ++n)
    r.CustomFields[static_cast<size_t>(n - 1)] =
        Cell(rows, "Case.CustomField" + std::to_string(n));
  r.Status = Cell(rows, caseprop::kStatus);
  r.CaseType = folder == CaseFolder::Ongoing ? "Ongoing" : "Resolved";
  const Variant& importance = rows.Value(2);
  r.Importance = static_cast<int16_t>(
      IsNumeric(CellText(importance)) ? CLng(Variant(CellText(importance))) : 1);
  r.strImportance = ImportanceText(r.Importance);
  if (settings)
    r.Rate = CostOf(
        StatisticsRate(*settings, r.Technicians, r.ProblemCategory, r.CallerDepartment),
        minutes);
  CaseDurations d =
      DurationsOf(CaseDates{r.DateCreated, r.DateReceived, r.DueDate, r.DateClosed}, now);
  r.OpenDuration = Clamp32(d.Open);
  r.ElapsedDuration = Clamp32(d.Elapsed);
  r.ResponseDuration = Clamp32(d.Response);
  r.ResolutionDuration = Clamp32(d.Resolution);
  r.OpenDurationHr = r.OpenDuration / 60.0;
  r.ElapsedDurationHr = r.ElapsedDuration / 60.0;
  r.ResponseDurationHr = r.ResponseDuration / 60.0;
  r.ResolutionDurationHr = r.ResolutionDuration / 60.0;
  r.ServiceLevel = Cell(rows, caseprop::kServiceLevel);
  r.ProblemField = Cell(rows, caseprop::kProblemField);
  r.AssociatedUsers = Cell(rows, caseprop::kAssociatedUsers);
  return r;
}

// The values of one row, bound once to the insert statement and refilled
// for each record.
struct RowBuffer {
  explicit RowBuffer(size_t columns)
      : text(columns), number(columns), real(columns), null(columns, soci::i_ok) {}
  std::vector<std::string> text;
  std::vector<int> number;
  std::vector<double> real;
  std::vector<soci::indicator> null;

  struct Filler {
    RowBuffer& row;
    size_t i = 0;
    void operator()(const std::string& v) { row.text[i++] = v; }
    void operator()(const Date& v) {
      bool absent = IsAbsentDate(v);
      row.null[i] = absent ? soci::i_null : soci::i_ok;
      row.text[i++] = absent ? std::string() : DateText(v);
    }
    void operator()(const int16_t& v) { row.number[i++] = v; }
    void operator()(const int32_t& v) { row.number[i++] = v; }
    void operator()(const double& v) { row.real[i++] = v; }
  };
  void Fill(const CaseDataRecord& r) { ForEachField(r, Filler{*this}); }
};

void WriteRows(soci::session& session, const std::vector<CaseDataRecord>& records,
               const ExportObserver& observer) {
  const std::vector<std::string> names = ReportingColumnNames(SharedGlobalSettings());
  const std::vector<ColumnType>& types = ColumnTypes();
  std::string sql = "INSERT INTO " + std::string(kReportingTable) + "(";
  std::string values;
  for (size_t i = 0; i < names.size(); ++i) {
    sql += (i ? ", " : "") + Quoted(names[i]);
    values += (i ? ", :v" : ":v") + std::to_string(i);
  }
  sql += ") VALUES(" + values + ")";
  RowBuffer row(names.size());
  db::Transaction transaction(session);
  try {
    soci::statement insert(session);
    for (size_t i = 0; i < names.size(); ++i) {
      switch (types[i]) {
        case ColumnType::Text:
          insert.exchange(soci::use(row.text[i]));
          break;
        case ColumnType::DateTime:
          insert.exchange(soci::use(row.text[i], row.null[i]));
          break;
        case ColumnType::SmallInt:
        case ColumnType::Long:
          insert.exchange(soci::use(row.number[i]));
          break;
        case ColumnType::Double:
          insert.exchange(soci::use(row.real[i]));
          break;
      }
    }
    insert.alloc();
    insert.prepare(sql);
    insert.define_and_bind();
    size_t done = 0;
    for (const CaseDataRecord& record : records) {
      row.Fill(record);
      insert.execute(true);
      ++done;
      if (observer && (done % 256 == 0 || done == records.size()))
        observer(ExportStep{ExportPhase::Writing, done, records.size()});
    }
  } catch (const soci::soci_error& e) {
    throw Error(err::kCallFailed, std::string("The cases cannot be written: ") + e.what(),
                "OLAP");
  }
  transaction.Commit();
}

}  // namespace

std::vector<std::string> ReportingColumnNames(const cGlobalSettings* settings) {
  std::vector<std::string> names = {
      "Subject",       "ProblemCategory",  "ProblemType",   "CallerName",
      "CallerEmail",   "CallerPhone",      "CallerCompany", "CallerMobile",
      "CallerAddress", "CallerDepartment", "Technicians",   "Origin",
      "DateCreated",   "DueDate",          "DateClosed"};
  const std::vector<std::string> later = {"Author",
                                          "CaseNumber",
                                          "TimeSpent",
                                          "Status",
                                          "CaseType",
                                          "Importance",
                                          "strImportance",
                                          "Rate",
                                          "OpenDuration",
                                          "ElapsedDuration",
                                          "ResponseDuration",
                                          "ResolutionDuration",
                                          "DateReceived",
                                          "OpenDurationHr",
                                          "ElapsedDurationHr",
                                          "ResponseDurationHr",
                                          "ResolutionDurationHr",
                                          "ServiceLevel",
                                          "ProblemField",
                                          "AssociatedUsers"};
  std::unordered_set<std::string> taken;
  for (const std::string& n : names) taken.insert(LCase(n));
  for (const std::string& n : later) taken.insert(LCase(n));
  taken.insert("caseid");
  auto label_column = [&](const std::string& key, const std::string& fixed) {
    std::string label = Label(settings, key);
    if (label.empty() || taken.contains(LCase(label))) label = fixed;
    taken.insert(LCase(label));
    names.push_back(label);
  };
  for (int n = 1; n <= 5; ++n)
    label_column("sdoAssetField" + std::to_string(n), "AssetField" + std::to_string(n));
  names.insert(names.end(), later.begin(), later.begin() + 3);  // Author .. TimeSpent
  for (int n = 1; n <= 10; ++n)
    label_column("sdoCustomFieldLabel" + std::to_string(n),
                 "CustomField" + std::to_string(n));
  names.insert(names.end(), later.begin() + 3, later.end());
  return names;
}

fs::path ReportingFolder() {
  return Trap("OLAP.ReportingFolder", fs::path{}, [&] {
    RegistryOptions options = RegistryOptions::Read();
    std::error_code ec;
    if (options.OverwriteOLAPCubeFolder != 0 && !options.OLAPCubeFolderPath.empty() &&
        fs::is_directory(options.OLAPCubeFolderPath, ec)) {
      return fs::path(options.OLAPCubeFolderPath);
    }
    return fs::path(GetHelpdeskDataFolder(CreateMode::Create));
  });
}

fs::path ReportingDatabasePath() { return ReportingFolder() / kReportingDatabaseName; }

bool CreateReportingDatabase(const std::string& location) {
  return Trap("OLAP.CreateReportingDatabase", false, [&] {
    const db::SqlBackend backend = db::BackendOf(location);
    if (backend == db::SqlBackend::Sqlite) {
      std::error_code ec;
      fs::remove(location, ec);
    }
    std::unique_ptr<soci::session> session = db::OpenSession(location);
    const cGlobalSettings* settings = SharedGlobalSettings();
    const std::vector<std::string> names = ReportingColumnNames(settings);
    const std::vector<ColumnType>& types = ColumnTypes();
    std::string create = "CREATE TABLE " + std::string(kReportingTable) + " (CaseID " +
                         (backend == db::SqlBackend::Postgresql ? "SERIAL" : "INTEGER") +
                         " CONSTRAINT PrimaryKey PRIMARY KEY";
    for (size_t i = 0; i < names.size(); ++i)
      create += ",\n  " + Quoted(names[i]) + " " + SqlType(types[i], backend);
    create += ")";
    std::string script;
    if (backend == db::SqlBackend::Postgresql)
      script =
          "SET client_min_messages TO WARNING\nSPLIT\nDROP TABLE IF EXISTS "
          "tblCaptions\nSPLIT\nDROP TABLE IF EXISTS " +
          std::string(kReportingTable) + "\nSPLIT\n";
    script += create +
              "\nSPLIT\nCREATE TABLE tblCaptions (ColumnName VARCHAR(255) PRIMARY KEY, "
              "Caption VARCHAR(255))";
    db::RunScript(*session, script);
    db::Transaction transaction(*session);
    std::string column;
    std::string caption;
    soci::statement insert(*session);
    insert.exchange(soci::use(column));
    insert.exchange(soci::use(caption));
    insert.alloc();
    insert.prepare("INSERT INTO tblCaptions(ColumnName, Caption) VALUES(:c, :t)");
    insert.define_and_bind();
    for (auto& pair : Captions(names, settings)) {
      column = pair.first;
      caption = pair.second;
      insert.execute(true);
    }
    transaction.Commit();
    return true;
  });
}

std::vector<CaseDataRecord> CollectCaseData(CaseFolder folder, Date now,
                                            const ExportObserver& observer,
                                            bool* stopped) {
  if (stopped) *stopped = false;
  return Trap("OLAP.CollectCaseData", std::vector<CaseDataRecord>{}, [&] {
    std::vector<CaseDataRecord> records;
    std::shared_ptr<host::MAPIFolder> source =
        folder == CaseFolder::Ongoing ? GetOngoingFolder() : GetResolvedFolder();
    if (!source) return records;
    std::string query = "Select EntryID, Subject, Importance";
    for (const std::string& name : CollectedProperties())
      query += ", \"" + Dasl(name) + "\"";
    host::Recordset rows = source->ExecSQL(query + " from Folder");
    const cGlobalSettings* settings = SharedGlobalSettings();
    const size_t total = rows.RecordCount();
    records.reserve(total);
    std::unordered_set<std::string> keys;
    size_t done = 0;
    for (; !rows.Eof(); rows.MoveNext()) {
      if (observer && !observer(ExportStep{ExportPhase::Reading, done, total})) {
        if (stopped) *stopped = true;
        break;
      }
      ++done;
      CaseDataRecord record = RecordOf(rows, folder, settings, now);
      if (keys.insert(record.Key).second) records.push_back(std::move(record));
    }
    if (observer && done == total)
      observer(ExportStep{ExportPhase::Reading, done, total});
    return records;
  });
}

bool ExportCaseData(const std::string& location,
                    const std::vector<CaseDataRecord>& records, Rebuild rebuild,
                    const ExportObserver& observer) {
  return Trap("OLAP.ExportCaseData", false, [&] {
    if (rebuild == Rebuild::Yes && !CreateReportingDatabase(location)) return false;
    if (records.empty()) return true;
    std::error_code ec;
    if (db::BackendOf(location) == db::SqlBackend::Sqlite && !fs::exists(location, ec) &&
        !CreateReportingDatabase(location)) {
      return false;
    }
    std::unique_ptr<soci::session> session = db::OpenSession(location);
    WriteRows(*session, records, observer);
    return true;
  });
}

ExportResult ExportCases(CaseChoice choice, const std::string& location, Date now,
                         const ExportObserver& observer) {
  ExportResult result;
  auto run = [&](CaseFolder folder, Rebuild rebuild) {
    if (result.Stopped) return;
    bool stopped = false;
    std::vector<CaseDataRecord> records =
        CollectCaseData(folder, now, observer, &stopped);
    result.Stopped = stopped;
    if (!ExportCaseData(location, records, rebuild, observer)) {
      result.Ok = false;
      return;
    }
    result.Rows += records.size();
  };
  result.Ok = true;
  switch (choice) {
    case CaseChoice::Ongoing:
      run(CaseFolder::Ongoing, Rebuild::Yes);
      break;
    case CaseChoice::Resolved:
      run(CaseFolder::Resolved, Rebuild::Yes);
      break;
    case CaseChoice::Both:
      run(CaseFolder::Ongoing, Rebuild::Yes);
      if (result.Ok) run(CaseFolder::Resolved, Rebuild::No);
      break;
  }
  return result;
}

}  // namespace zanvoro
