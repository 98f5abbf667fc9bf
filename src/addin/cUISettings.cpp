#include "addin/cUISettings.h"

#include <array>
#include <vector>

#include "errors/Trap.h"
#include "settings/RegistryOptions.h"
#include "settings/modRegistryEntry.h"

namespace zanvoro {

namespace {

// Column widths in twips that differ from the common default.
constexpr std::pair<const char*, const char*> kColumnWidths[] = {
    {"Search_Col_Number", "900"},      {"Search_Col_Subject", "1665"},
    {"Search_Col_Caller", "1500"},     {"Search_Col_Technicians", "1500"},
    {"Assets_Col_Name", "1935"},       {"Technicians_Col_Name", "1750"},
    {"Technicians_Col_Email", "2200"}, {"Technicians_Col_Rate", "800"},
    {"Technicians_Col_Code", "800"},   {"Types_Col_Name", "1700"},
    {"Types_Col_Category", "1550"},    {"Types_Col_Time", "800"},
    {"Types_Col_Code", "800"},         {"Categories_Col_Rate", "800"},
    {"Categories_Col_Code", "800"},    {"Callers_Col_Email", "1500"},
    {"Callers_Col_Users", "2000"},     {"Departments_Col_Rate", "800"},
    {"Departments_Col_Code", "800"},
};

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::string DefaultOf(std::string_view name) {
  for (const auto& [column, width] : kColumnWidths) {
    if (name == column) return width;
  }
  if (EndsWith(name, "Width")) return "12000";
  if (EndsWith(name, "Height")) return "8000";
  if (name == "Search_CaseType" || name == "SelectedFormat") return "2";
  if (name == "SplitterPosition") return "3000";
  if (name == "SelectedFieldsList") return "";
  if (name.find("_Col_") != std::string_view::npos) return "1500";
  // Window states, choices and check boxes.
  return "0";
}

struct Section {
  UISection section;
  const char* name;
  std::vector<LayoutValue> values;
};

std::vector<LayoutValue> Values(std::initializer_list<const char*> names) {
  std::vector<LayoutValue> values;
  for (const char* name : names) values.push_back({name, DefaultOf(name)});
  return values;
}

const std::array<Section, 8>& Sections() {
  static const std::array<Section, 8> sections{{
      {UISection::SearchCases, "SearchCases",
       Values({"Search_Width", "Search_Height", "Search_WindowState", "Search_By",
               "Search_CaseType", "Search_Col_Number", "Search_Col_Subject",
               "Search_Col_Caller", "Search_Col_Technicians",
               "Search_Col_ProblemCategory", "Search_Col_ProblemType",
               "Search_Col_CasesCreated", "Search_Col_CasesResolved"})},
      {UISection::AssetsList, "AssetsList",
       Values({"Assets_Width", "Assets_Height", "Assets_WindowState", "Assets_Col_Name",
               "Assets_Col_Field2", "Assets_Col_Field3", "Assets_Col_Field4",
               "Assets_Col_Field5"})},
      {UISection::TechniciansList, "TechniciansList",
       Values({"Technicians_Width", "Technicians_Height", "Technicians_WindowState",
               "Technicians_Col_Name", "Technicians_Col_Email", "Technicians_Col_Rate",
               "Technicians_Col_Phone", "Technicians_Col_Mobile",
               "Technicians_Col_AdminAccess", "Technicians_Col_Password",
               "Technicians_Col_Code"})},
      {UISection::ProblemsList, "ProblemsList",
       Values({"Types_Width", "Types_Height", "Types_WindowState", "Types_Col_Name",
               "Types_Col_Category", "Types_Col_Time", "Types_Col_Technician",
               "Types_Col_SLA", "Types_Col_Other", "Types_Col_Code",
               "Categories_Col_Name", "Categories_Col_Rate", "Categories_Col_Code"})},
      {UISection::CallersList, "CallersList",
       Values({"Callers_Width", "Callers_Height", "Callers_WindowState",
               "Callers_Col_Email", "Callers_Col_Name", "Callers_Col_Phone",
               "Callers_Col_Mobile", "Callers_Col_Department", "Callers_Col_Company",
               "Callers_Col_Address", "Callers_Col_Technician", "Callers_Col_Password",
               "Callers_Col_SLA", "Callers_Col_Users", "Departments_Col_Name",
               "Departments_Col_Rate", "Departments_Col_Code"})},
      {UISection::SelectFAQUI, "SelectFAQUI",
       Values({"SendDirectly", "Preview", "WindowState", "Width", "Height",
               "SplitterPosition"})},
      {UISection::SelectKBUI, "SelectKBUI",
       Values({"SendDirectly", "SelectedFormat", "Preview", "ArticleNaming",
               "WindowState", "Width", "Height", "SplitterPosition"})},
      {UISection::ReportsUI, "ReportsUI",
       Values({"TimePeriodIndex", "CaseCreated", "CasesResolved", "CasesOpened",
               "CasesWorked", "CasesDue", "ResolutionTimeFilter", "SelectedFieldsList",
               "WindowState", "Width", "Height"})},
  }};
  return sections;
}

const Section& SectionOf(UISection section) {
  return Sections()[static_cast<size_t>(section)];
}

}  // namespace

std::string_view UISectionName(UISection section) { return SectionOf(section).name; }

int16_t WindowLayout::Number(std::string_view name) const {
  const std::string* value = values_.Find(name);
  return value ? OptionNumber(*value) : int16_t{0};
}

std::string WindowLayout::Text(std::string_view name) const {
  const std::string* value = values_.Find(name);
  return value ? *value : std::string();
}

void WindowLayout::SetNumber(std::string_view name, int32_t value) {
  values_.Set(std::string(name), std::to_string(value));
}

void WindowLayout::SetText(std::string_view name, std::string value) {
  values_.Set(std::string(name), std::move(value));
}

std::span<const LayoutValue> cUISettings::SectionValues(UISection section) {
  return SectionOf(section).values;
}

WindowLayout cUISettings::ReadValues(UISection section) {
  return ReadLayout(UISectionName(section), SectionValues(section));
}

bool cUISettings::SaveValues(UISection section, const WindowLayout& layout) {
  return SaveLayout(UISectionName(section), layout);
}

WindowLayout cUISettings::ReadLayout(std::string_view section,
                                     std::span<const LayoutValue> values) {
  WindowLayout defaults;
  for (const LayoutValue& value : values)
    defaults.SetText(value.name, value.default_value);
  return Trap("UISettings.Read" + std::string(section) + "Values", defaults, [&] {
    WindowLayout layout;
    for (const LayoutValue& value : values) {
      layout.SetText(value.name, GetRegistryValue(kRegistryApp, section, value.name,
                                                  value.default_value));
    }
    return layout;
  });
}

bool cUISettings::SaveLayout(std::string_view section, const WindowLayout& layout) {
  return Trap("UISettings.Save" + std::string(section) + "Values", false, [&] {
    for (const auto& entry : layout.Values()) {
      SetRegistryValue(kRegistryApp, section, entry.Key(), entry.Value());
    }
    return true;
  });
}

}  // namespace zanvoro
