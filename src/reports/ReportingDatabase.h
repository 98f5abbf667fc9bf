// The reporting database of cases: one flat row per case in the table
// tblCases of an SQLite file (or of a PostgreSQL database named by a
// "postgresql://" location), for pivot tables and ad-hoc queries. It is a
// per-user working copy: rebuilt on request, filled from the case folders
// through table queries (no case item is opened), one transaction per
// export.
//
// Every procedure follows the failure convention (Trap, locations
// "OLAP.<procedure>"); rows written before a failure stay. UI thread only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Date.h"

namespace zanvoro {

class cGlobalSettings;

inline constexpr const char* kReportingDatabaseName = "HelpdeskOLAP.db";
inline constexpr const char* kReportingTable = "tblCases";

// One case as a row of tblCases. Dates absent from the case hold
// Date::NoDate() and are written as NULL.
struct CaseDataRecord {
  std::string Key;  // the case item's entry ID; not written
  std::string Subject;
  std::string ProblemCategory;
  std::string ProblemType;
  std::string CallerName;
  std::string CallerEmail;
  std::string CallerPhone;
  std::string CallerCompany;
  std::string CallerMobile;
  std::string CallerAddress;
  std::string CallerDepartment;
  std::string Technicians;
  std::string Origin;
  Date DateCreated = Date::NoDate();
  Date DueDate = Date::NoDate();
  Date DateClosed = Date::NoDate();
  std::array<std::string, 5> AssetFields;
  std::string Author;
  std::string CaseNumber;
  int16_t TimeSpent = 0;  // minutes
  std::array<std::string, 10> CustomFields;
  std::string Status;
  std::string CaseType;  // "Ongoing" or "Resolved", after the case's folder
  int16_t Importance = 1;
  std::string strImportance;  // "Low", "Normal", "High"
  double Rate = 0;            // the cost of the time spent, two decimals
  int32_t OpenDuration = 0;   // minutes
  int32_t ElapsedDuration = 0;
  int32_t ResponseDuration = 0;
  int32_t ResolutionDuration = 0;
  Date DateReceived = Date::NoDate();
  double OpenDurationHr = 0;  // the minutes / 60
  double ElapsedDurationHr = 0;
  double ResponseDurationHr = 0;
  double ResolutionDurationHr = 0;
  std::string ServiceLevel;
  std::string ProblemField;
  std::string AssociatedUsers;
};

// The columns of tblCases after its key CaseID, in table order. The asset
// and custom-field columns are named by their labels in the general
// settings ("sdoAssetField1".., "sdoCustomFieldLabel1"..); an empty label,
// or one that names another column already, gives AssetField1..5 and
// CustomField1..10.
std::vector<std::string> ReportingColumnNames(const cGlobalSettings* settings);

// The folder of the database: "OLAPCubeFolderPath" when
// "OverwriteOLAPCubeFolder" is set and that folder exists, else the
// helpdesk data folder; and the database file in it.
std::filesystem::path ReportingFolder();
std::filesystem::path ReportingDatabasePath();

// Writes a fresh, empty database at `location` (a file is replaced):
// tblCases and tblCaptions (each label column's caption). False on failure.
bool CreateReportingDatabase(const std::string& location);

// What an export reports as it goes, for a progress bar on a terminal or
// in a window, or events to a web page. Returning false stops the export
// before the next row; the rows collected so far are still written.
enum class ExportPhase { Reading, Writing };
struct ExportStep {
  ExportPhase Phase = ExportPhase::Reading;
  size_t Done = 0;
  size_t Total = 0;
};
using ExportObserver = std::function<bool(const ExportStep&)>;

enum class CaseFolder { Ongoing, Resolved };

// The case data records of every case in the folder, keyed by entry ID
// (a key met twice is taken once). Durations of open cases run to `now`.
// Stops early when `observer` says so, with what was read so far.
std::vector<CaseDataRecord> CollectCaseData(CaseFolder folder, Date now,
                                            const ExportObserver& observer = {},
                                            bool* stopped = nullptr);

enum class Rebuild { No, Yes };

// Writes `records` into tblCases at `location`, in one transaction; with
// Rebuild::Yes the database is made afresh first. An empty list leaves the
// database as it is (after the rebuild). False on failure.
bool ExportCaseData(const std::string& location,
                    const std::vector<CaseDataRecord>& records, Rebuild rebuild,
                    const ExportObserver& observer = {});

// Which cases the statistics take.
enum class CaseChoice { Ongoing = 0, Resolved = 1, Both = 2 };

struct ExportResult {
  bool Ok = false;  // no failure (a stop is not one)
  bool Stopped = false;
  size_t Rows = 0;  // rows written
};

// The whole export for `choice`: the Ongoing folder rebuilding the
// database, the Resolved folder rebuilding it, or the Ongoing folder
// rebuilding and then the Resolved folder adding.
ExportResult ExportCases(CaseChoice choice, const std::string& location, Date now,
                         const ExportObserver& observer = {});

}  // namespace zanvoro
