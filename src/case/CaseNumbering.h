// The case-number counter: "CaseIDCount" of the counter settings, the last
// number issued, as decimal text (missing or not numeric counts as 0). Every
// user of the helpdesk issues numbers from it. Issuing is atomic in the
// settings store: two instances issuing at the same moment never get the
// same number.
//
// Failures are reported under "SettingsData.<operation>"; the number
// returned is then 0. The counter settings are those of the connected
// add-in's global settings. UI thread only.
#pragma once

#include <cstdint>
#include <string_view>

namespace zanvoro {

// Issues the next case number (the counter after it was advanced by one).
int32_t GetNewCaseID();
// Stores `value` + 1 as the counter and returns it (0 on failure, including
// an overflow past the 32-bit maximum).
int32_t SaveCaseID(int32_t value);
// Stores `value` as the counter; the next number issued is `value` + 1.
bool ResetCaseIDCount(int32_t value);
// The last number issued, as stored now.
int32_t GetCurrentTicketCounter();

// The two commands of the case options page, with their confirmation and
// result messages: reset to 0, and set to a typed value (ignored unless it
// is a whole number of 0 or more). Return whether the counter was changed.
bool ResetCaseCounterToZero();
bool ChangeCaseCounter(std::string_view typed_value);

}  // namespace zanvoro
