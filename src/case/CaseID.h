// Case IDs and the subjects that carry them. A case ID is the optional
// prefix code, "-" and the case number ("HW-17"); subjects carry it as the
// tag "[HW-17] " in front. Prefix codes come from the general settings
// "sdoAppendPrefixCode" (0: off), "sdoPrefixCodeChoice" (0 the first
// technician's code, 1 the problem category's, 2 the problem type's, 3 the
// caller department's, 4 "sdoPrefixCodeGlobal") and the lists of the
// connected add-in's global settings.
//
// The prefix functions follow the failure convention and return the code
// found so far (usually "") on failure. UI thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zanvoro {

namespace host {
class Item;
}  // namespace host

// What a case's prefix code may come from.
struct PrefixSources {
  std::string technician;  // the first (primary) technician's name
  std::string problem_category;
  std::string problem_type;
  std::string caller_department;
};

// The prefix ("HW-") for a case with these values; "" when prefix codes
// are off or the chosen source has no code. Failures are reported under
// "Case.CasePrefixCode".
std::string PrefixCodeFor(const PrefixSources& sources);
// The same from a case item's properties ("Case.Technicians",
// "Case.ProblemCategory", "Case.ProblemType", "Case.CallerDepartment").
std::string SetPrefixCodeFromCaseItem(host::Item& item);
// The global prefix ("sdoPrefixCodeGlobal" trimmed, then "-"), whatever the
// choice; "" when prefix codes are off.
std::string GetPrefixCodeFromStrings();

// The case number in the first tag of `subject` whose number part is
// numeric ("Re: [Urgent] [HW-17] Printer" gives "17"); "" when none.
std::string ExtractCaseID(std::string_view subject);
// Every such number of `subject`, in the order of its tags ("[HW-17] [18]"
// gives "17", "18"): what ExtractCaseID takes the first of, for callers
// that check each against the case items.
std::vector<std::string> CaseIDCandidates(std::string_view subject);
// `subject` without its case tags, each with one blank beside it.
std::string RemoveCaseIDFromSubject(std::string_view subject);
// `subject` without every occurrence of its first bracketed text, trimmed;
// unchanged when it has no "[...]".
std::string RemoveFirstBracketTag(std::string_view subject);
// The parts of one tag: "[HW-17]" gives "17" and "HW"; "[17]" gives "17"
// and "".
std::string NumberPartOfTag(std::string_view tag);
std::string PrefixPartOfTag(std::string_view tag);
// "[case_id] " and `subject` trimmed, when the subject holds no case tag;
// else `subject` unchanged.
std::string EnsurePrefixCodeInSubject(std::string_view subject, std::string_view case_id);

}  // namespace zanvoro
