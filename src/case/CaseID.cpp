#include "case/CaseID.h"

#include "case/ItemProperty.h"
#include "errors/Trap.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro {

namespace {

// Values of "sdoPrefixCodeChoice".
enum class PrefixChoice : int32_t {
  Technician = 0,
  ProblemCategory = 1,
  ProblemType = 2,
  CallerDepartment = 3,
  Global = 4,
};

const cGlobalSettings& Settings() {
  const cGlobalSettings* settings = SharedGlobalSettings();
  if (!settings) {
    throw Error(err::kObjectRequired,
                "The global settings of the helpdesk are not loaded.", "CaseID");
  }
  return *settings;
}

bool PrefixCodesOn(const cGlobalSettings& settings) {
  return CLng(settings.GeneralSettings.GetValue("sdoAppendPrefixCode", VarType::Long)) !=
         0;
}

std::string GlobalCode(const cGlobalSettings& settings) {
  return Trim(
      CStr(settings.GeneralSettings.GetValue("sdoPrefixCodeGlobal", VarType::String)));
}

// The code of `key` in `list`; "" when the key is empty or not listed.
template <class List>
std::string CodeIn(const List& list, const std::string& key) {
  if (key.empty()) return {};
  const auto* entry = list.Find(key);
  return entry ? entry->Code : std::string{};
}

std::string AsPrefix(const std::string& code) { return code.empty() ? code : code + "-"; }

// The prefix for `sources`, raising what fails for the caller to trap.
std::string PrefixFor(const PrefixSources& sources) {
  const cGlobalSettings& settings = Settings();
  if (!PrefixCodesOn(settings)) return {};
  auto choice = static_cast<PrefixChoice>(
      CLng(settings.GeneralSettings.GetValue("sdoPrefixCodeChoice", VarType::Long)));
  switch (choice) {
    case PrefixChoice::Technician:
      return AsPrefix(CodeIn(settings.Technicians, sources.technician));
    case PrefixChoice::ProblemCategory:
      return AsPrefix(CodeIn(settings.ProblemCategories, sources.problem_category));
    case PrefixChoice::ProblemType:
      // Problem types are listed under their type and category together.
      if (sources.problem_type.empty()) return {};
      return AsPrefix(
          CodeIn(settings.ProblemTypes, sources.problem_type + sources.problem_category));
    case PrefixChoice::CallerDepartment:
      return AsPrefix(CodeIn(settings.CallerDepartments, sources.caller_department));
    case PrefixChoice::Global:
      return AsPrefix(GlobalCode(settings));
  }
  return {};
}

// The tag of a piece after a "[": the piece up to and including its first
// "]", or "" when it has none.
std::string TagOfPiece(const std::string& piece) {
  size_t close = InStr(piece, "]");
  return close == 0 ? std::string{} : Left(piece, close);
}

// The text of a tag without any "[" or "]".
std::string TagText(std::string_view tag) {
  return Replace(Replace(tag, "[", ""), "]", "");
}

}  // namespace

std::string PrefixCodeFor(const PrefixSources& sources) {
  return Trap("Case.CasePrefixCode", std::string{}, [&] { return PrefixFor(sources); });
}

std::string SetPrefixCodeFromCaseItem(host::Item& item) {
  return Trap("CaseID.SetPrefixCodeFromCaseItem", std::string{}, [&] {
    PrefixSources sources;
    // The case's technicians are names joined by "/", the primary first.
    std::vector<std::string> technicians =
        Split(ReadItemText(item, "Case.Technicians"), "/");
    if (!technicians.empty()) sources.technician = Trim(technicians.front());
    sources.problem_category = ReadItemText(item, "Case.ProblemCategory");
    sources.problem_type = ReadItemText(item, "Case.ProblemType");
    sources.caller_department = ReadItemText(item, "Case.CallerDepartment");
    return PrefixFor(sources);
  });
}

std::string GetPrefixCodeFromStrings() {
  return Trap("CaseID.GetPrefixCodeFromStrings", std::string{}, [] {
    const cGlobalSettings& settings = Settings();
    if (!PrefixCodesOn(settings)) return std::string{};
    return AsPrefix(GlobalCode(settings));
  });
}

std::vector<std::string> CaseIDCandidates(std::string_view subject) {
  std::vector<std::string> numbers;
  std::vector<std::string> pieces = Split(subject, "[");
  if (pieces.size() < 2) return numbers;
  // The text before the first "[" is a piece like the others.
  for (const std::string& piece : pieces) {
    std::string tag = TagOfPiece(piece);
    if (tag.empty()) continue;
    std::string number = NumberPartOfTag(tag);
    if (IsNumeric(number)) numbers.push_back(std::move(number));
  }
  return numbers;
}

std::string ExtractCaseID(std::string_view subject) {
  std::vector<std::string> numbers = CaseIDCandidates(subject);
  return numbers.empty() ? std::string{} : numbers.front();
}

namespace {

// Takes every `tag` out of `subject` with one blank beside it (the one
// after, else the one before), so no gap is left where it stood.
void RemoveTag(std::string& subject, const std::string& tag) {
  for (size_t at = subject.find(tag); at != std::string::npos;
       at = subject.find(tag, at)) {
    subject.erase(at, tag.size());
    if (at < subject.size() && subject[at] == ' ') {
      subject.erase(at, 1);
    } else if (at > 0 && subject[at - 1] == ' ') {
      subject.erase(--at, 1);
    }
  }
}

}  // namespace

std::string RemoveCaseIDFromSubject(std::string_view subject) {
  std::string result(subject);
  std::vector<std::string> pieces = Split(subject, "[");
  if (pieces.size() < 2) return result;
  for (const std::string& piece : pieces) {
    std::string tag = TagOfPiece(piece);
    if (tag.empty()) continue;
    std::string number = NumberPartOfTag(tag);
    if (!IsNumeric(number)) continue;
    std::string prefix = PrefixPartOfTag(tag);
    std::string rebuilt =
        "[" + (Trim(prefix).empty() ? std::string{} : prefix + "-") + number + "]";
    RemoveTag(result, rebuilt);
  }
  return result;
}

std::string RemoveFirstBracketTag(std::string_view subject) {
  size_t open = InStr(subject, "[");
  if (open == 0) return std::string(subject);
  size_t close = InStr(open + 1, subject, "]");
  if (close == 0) return std::string(subject);
  std::string inner = Trim(Mid(subject, open + 1, close - open - 1));
  return Trim(Replace(subject, "[" + inner + "]", ""));
}

std::string NumberPartOfTag(std::string_view tag) {
  std::string text = TagText(tag);
  size_t dash = InStr(text, "-");
  return dash == 0 ? text : Mid(text, dash + 1);
}

std::string PrefixPartOfTag(std::string_view tag) {
  std::string text = TagText(tag);
  size_t dash = InStr(text, "-");
  return dash == 0 ? std::string{} : Left(text, dash - 1);
}

std::string EnsurePrefixCodeInSubject(std::string_view subject,
                                      std::string_view case_id) {
  if (!Trim(ExtractCaseID(subject)).empty()) return std::string(subject);
  return "[" + std::string(case_id) + "] " + Trim(subject);
}

}  // namespace zanvoro
