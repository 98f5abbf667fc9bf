// The named properties of a case item and how dates are stored with their
// companions: a date/time property, its sortable text ("Case.DueDateS":
// year, month, day, hour and minute joined by tabs) and, for some, its long
// date text ("Case Due").
#pragma once

#include <string_view>

#include "runtime/Date.h"

namespace zanvoro {

namespace host {
class Item;
}  // namespace host

namespace caseprop {
inline constexpr const char* kClosed = "Case.Closed";
inline constexpr const char* kDateClosed = "Case.DateClosed";
inline constexpr const char* kDateClosedS = "Case.DateClosedS";
inline constexpr const char* kDateClosedLong = "Case Closed";
inline constexpr const char* kDueDate = "Case.DueDate";
inline constexpr const char* kDueDateLong = "Case Due";
inline constexpr const char* kDueDateS = "Case.DueDateS";
inline constexpr const char* kStatus = "Case.Status";
inline constexpr const char* kProblemType = "Case.ProblemType";
inline constexpr const char* kProblemCategory = "Case.ProblemCategory";
inline constexpr const char* kProblemField = "Case.ProblemField";
inline constexpr const char* kCaseNumber = "Case.CaseNumber";
inline constexpr const char* kCaseNumberS = "Case.CaseNumberS";
inline constexpr const char* kDateCreated = "Case.DateCreated";
inline constexpr const char* kDateCreatedS = "Case.DateCreatedS";
inline constexpr const char* kDateCreatedLong = "Case Created";
inline constexpr const char* kReceivedDate = "Case.ReceivedDate";
inline constexpr const char* kReceivedDateS = "Case.ReceivedDateS";
inline constexpr const char* kOrigin = "Case.Origin";
inline constexpr const char* kServiceLevel = "Case.ServiceLevel";
inline constexpr const char* kAuthor = "Case.Author";
inline constexpr const char* kTechnicians = "Case.Technicians";
inline constexpr const char* kCallerName = "Case.CallerName";
inline constexpr const char* kCallerEmail = "Case.CallerEmail";
inline constexpr const char* kCallerCompany = "Case.CallerCompany";
inline constexpr const char* kCallerAddress = "Case.CallerAddress";
inline constexpr const char* kCallerPhone = "Case.CallerPhone";
inline constexpr const char* kCallerDepartment = "Case.CallerDepartment";
inline constexpr const char* kCallerMobile = "Case.CallerMobile";
inline constexpr const char* kAssets = "Case.Assets";
inline constexpr const char* kAssetName = "Case.AssetName";
inline constexpr const char* kAssetField2 = "Case.AssetField2";
inline constexpr const char* kAssetField3 = "Case.AssetField3";
inline constexpr const char* kAssetField4 = "Case.AssetField4";
inline constexpr const char* kAssetField5 = "Case.AssetField5";
inline constexpr const char* kAssetComment = "Case.AssetComment";
inline constexpr const char* kTimeSpent = "Case.TimeSpent";
inline constexpr const char* kTimeSpentDescription = "Case.TimeSpentDescription";
inline constexpr const char* kLog = "Case.Log";
inline constexpr const char* kNotes = "Case.Notes";
inline constexpr const char* kBody = "Case.Body";
inline constexpr const char* kAssociatedUsers = "Case.AssociatedUsers";
inline constexpr const char* kRecipientEmailAddress = "Case.RecipientEmailAddress";
// "Case.CustomField1" .. "Case.CustomField10"
inline constexpr const char* kCustomFieldPrefix = "Case.CustomField";
}  // namespace caseprop

// Writes `date` as the date/time property `name`, its sortable text as
// `sortable_name` and, when `long_name` is not empty, its long date text as
// `long_name`. Returns false when the item is in conflict (nothing written).
bool WriteCaseDate(host::Item& item, Date date, std::string_view name,
                   std::string_view long_name, std::string_view sortable_name);

// The due date and its two companions ("Case.DueDate", "Case Due",
// "Case.DueDateS").
bool WriteCaseDueDate(host::Item& item, Date due);

}  // namespace zanvoro
