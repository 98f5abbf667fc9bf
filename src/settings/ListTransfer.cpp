#include "settings/ListTransfer.h"

#include <cmath>
#include <limits>
#include <unordered_map>

#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/Array2D.h"
#include "settings/Csv.h"
#include "settings/ListText.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro {

namespace {

using L = SettingsList;

enum class Field { Key, Text, Number, WholeNumber, YesNo };

struct Column {
  const char* name;
  Field field;
};

const std::vector<Column>& ColumnsOf(SettingsList list) {
  static const std::vector<Column> technicians = {
      {"Name", Field::Key},      {"Email", Field::Text},  {"Rate", Field::Number},
      {"Phone", Field::Text},    {"Mobile", Field::Text}, {"AdminAccess", Field::YesNo},
      {"Password", Field::Text}, {"Code", Field::Text}};
  static const std::vector<Column> callers = {
      {"Email", Field::Key},           {"Name", Field::Text},
      {"Phone", Field::Text},          {"Mobile", Field::Text},
      {"Department", Field::Text},     {"Company", Field::Text},
      {"Address", Field::Text},        {"Technician", Field::Text},
      {"Password", Field::Text},       {"SLA", Field::Text},
      {"AssociatedUsers", Field::Text}};
  static const std::vector<Column> problem_types = {
      {"ProblemType", Field::Key},
      {"ProblemCategory", Field::Text},
      {"DefaultMinutes", Field::WholeNumber},
      {"DefaultTechnician", Field::Text},
      {"DefaultSLA", Field::Text},
      {"DefaultField", Field::Text},
      {"Code", Field::Text}};
  static const std::vector<Column> categories = {
      {"Category", Field::Key}, {"Rate", Field::Number}, {"Code", Field::Text}};
  static const std::vector<Column> assets = {{"AssetName", Field::Key},
                                             {"AssetField2", Field::Text},
                                             {"AssetField3", Field::Text},
                                             {"AssetField4", Field::Text},
                                             {"AssetField5", Field::Text}};
  static const std::vector<Column> slas = {
      {"Name", Field::Key}, {"Priority", Field::Text}, {"ResponseTime", Field::Text}};
  static const std::vector<Column> faqs = {{"Question", Field::Key},
                                           {"Answer", Field::Text},
                                           {"ProblemCategory", Field::Text},
                                           {"ProblemType", Field::Text}};
  static const std::vector<Column> status = {{"Status", Field::Key}};
  static const std::vector<Column> names = {{"Name", Field::Key}};
  static const std::vector<Column> keys = {{"KeyID", Field::Key},
                                           {"KeyVal", Field::Text}};
  static const std::vector<Column> none;
  switch (list) {
    case L::Technicians:
      return technicians;
    case L::Callers:
      return callers;
    case L::ProblemTypes:
      return problem_types;
    case L::CallerDepartments:
    case L::ProblemCategories:
      return categories;
    case L::Assets:
      return assets;
    case L::SLAs:
      return slas;
    case L::FAQs:
      return faqs;
    case L::StatusList:
      return status;
    case L::AssetField2List:
    case L::AssetField3List:
    case L::CustomField4List:
    case L::CustomField5List:
    case L::CustomField6List:
      return names;
    case L::GeneralSettings:
    case L::CounterSettings:
      return keys;
    case L::NotificationTemplates:
      return none;
  }
  return none;
}

bool Transferable(SettingsList list) { return !ColumnsOf(list).empty(); }

// What is wrong with `value` for `field`; "" when nothing.
std::string FieldProblem(const Column& column, const std::string& value) {
  switch (column.field) {
    case Field::Key:
      if (Trim(value).empty()) return std::string(column.name) + " is empty";
      return {};
    case Field::Text:
      return {};
    case Field::Number:
      if (value.empty() || IsNumeric(value)) return {};
      return std::string(column.name) + " \"" + value + "\" is not a number";
    case Field::WholeNumber: {
      if (value.empty()) return {};
      if (IsNumeric(value)) {
        double number = CDbl(Variant(value));
        if (number == std::floor(number) &&
            number >= std::numeric_limits<int32_t>::min() &&
            number <= std::numeric_limits<int32_t>::max()) {
          return {};
        }
      }
      return std::string(column.name) + " \"" + value + "\" is not a whole number";
    }
    case Field::YesNo:
      for (const char* yes_no : {"", "0", "1", "-1", "True", "False"}) {
        if (TextEquals(Trim(value), yes_no)) return {};
      }
      return std::string(column.name) + " \"" + value +
             "\" is not a yes/no value (1, 0, -1, True or False)";
  }
  return {};
}

Array2D ArrayOf(const std::vector<CsvRecord>& records, size_t columns) {
  Array2D array(records.size() - 1, columns);
  for (size_t r = 1; r < records.size(); ++r) {
    for (size_t c = 0; c < columns; ++c)
      array.Set(r - 1, c, Variant(records[r].fields[c]));
  }
  return array;
}

std::string ExportArray(const Array2D& array, std::string csv) {
  for (size_t r = 0; r < array.Rows(); ++r) {
    std::vector<std::string> fields;
    for (size_t c = 0; c < array.Columns(); ++c)
      fields.push_back(CellText(array.At(r, c)));
    csv += WriteCsvRecord(fields);
  }
  return csv;
}

std::string ExportKeyValues(const cOutlookSettings& settings, std::string csv) {
  for (const auto& entry : settings) {
    csv += WriteCsvRecord({entry.Value().KeyID, entry.Value().KeyVal});
  }
  return csv;
}

}  // namespace

std::string ListKeyOfFields(SettingsList list, const std::vector<std::string>& fields) {
  switch (list) {
    case L::Technicians:
      return cTechnician::FromTextFields(fields).ListKey();
    case L::Callers:
      return cCaller::FromTextFields(fields).ListKey();
    case L::ProblemTypes:
      return cProblemType::FromTextFields(fields).ListKey();
    case L::CallerDepartments:
    case L::ProblemCategories:
      return cCategory::FromTextFields(fields).ListKey();
    case L::Assets:
      return cAsset::FromTextFields(fields).ListKey();
    case L::SLAs:
      return cSLA::FromTextFields(fields).ListKey();
    case L::FAQs:
      return cFAQ::FromTextFields(fields).ListKey();
    case L::GeneralSettings:
    case L::CounterSettings:
      return fields.at(0);
    default:
      return Trim(fields.at(0));
  }
}

std::optional<SettingsList> TransferListFromName(std::string_view name) {
  std::optional<SettingsList> list = SettingsListFromName(name);
  if (!list) list = SettingsListFromName("t" + std::string(name));
  if (!list || !Transferable(*list)) return std::nullopt;
  return list;
}

std::vector<std::string> TransferListNames() {
  std::vector<std::string> names;
  for (int32_t number = 0; number <= 20; ++number) {
    std::string_view name = SettingsListName(number);
    if (!name.empty() && Transferable(static_cast<SettingsList>(number))) {
      names.emplace_back(name.substr(1));
    }
  }
  return names;
}

std::vector<std::string> TransferColumns(SettingsList list) {
  std::vector<std::string> names;
  for (const Column& column : ColumnsOf(list)) names.emplace_back(column.name);
  return names;
}

std::string ExportListCsv(const cGlobalSettings& settings, SettingsList list) {
  if (!Transferable(list)) {
    throw Error(err::kInvalidProcedureCall,
                std::string(SettingsListName(list)) + " cannot be exported",
                "ListTransfer");
  }
  std::string csv = WriteCsvRecord(TransferColumns(list));
  if (list == L::GeneralSettings) return ExportKeyValues(settings.GeneralSettings, csv);
  if (list == L::CounterSettings) return ExportKeyValues(settings.CounterSettings, csv);
  return ExportArray(settings.ListToArray(list), csv);
}

void ImportListCsv(cGlobalSettings& settings, SettingsList list, std::string_view csv) {
  std::string name(SettingsListName(list));
  if (!Transferable(list)) {
    throw Error(err::kInvalidProcedureCall, name + " cannot be imported", "ListTransfer");
  }
  const std::vector<Column>& columns = ColumnsOf(list);
  std::vector<CsvRecord> records = ReadCsv(csv);

  std::vector<std::string> problems;
  std::vector<std::string> expected = TransferColumns(list);
  bool header_ok = !records.empty() && records[0].fields.size() == expected.size();
  for (size_t c = 0; header_ok && c < expected.size(); ++c) {
    header_ok = TextEquals(Trim(records[0].fields[c]), expected[c]);
  }
  if (!header_ok) {
    problems.push_back("line 1: the header must be " + Join(expected, ","));
  }
  std::unordered_map<std::string, size_t> first_line;  // lower-cased key -> line
  for (size_t r = header_ok ? 1 : records.size(); r < records.size(); ++r) {
    const CsvRecord& record = records[r];
    std::string where = "line " + std::to_string(record.line) + ": ";
    if (record.fields.size() != columns.size()) {
      problems.push_back(where + "expected " + std::to_string(columns.size()) +
                         " fields, found " + std::to_string(record.fields.size()));
      continue;
    }
    bool fields_ok = true;
    for (size_t c = 0; c < columns.size(); ++c) {
      std::string problem = FieldProblem(columns[c], record.fields[c]);
      if (!problem.empty()) {
        problems.push_back(where + problem);
        fields_ok = false;
      }
    }
    if (!fields_ok) continue;
    std::string key = ListKeyOfFields(list, record.fields);
    auto [it, added] = first_line.emplace(LCase(key), record.line);
    if (!added) {
      problems.push_back(where + "\"" + key + "\" is already on line " +
                         std::to_string(it->second));
    }
  }
  if (!problems.empty()) {
    throw Error(err::kInvalidProcedureCall,
                name + " was not imported:\n" + Join(problems, "\n"), "ListTransfer");
  }

  if (list == L::GeneralSettings || list == L::CounterSettings) {
    cOutlookSettings values;
    for (size_t r = 1; r < records.size(); ++r) {
      values.SetValue(records[r].fields[0], records[r].fields[1]);
    }
    (list == L::GeneralSettings ? settings.GeneralSettings : settings.CounterSettings) =
        std::move(values);
    return;
  }
  settings.ListFromArray(list, ArrayOf(records, columns.size()));
}

}  // namespace zanvoro
