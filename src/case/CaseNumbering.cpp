#include "case/CaseNumbering.h"

#include <limits>
#include <optional>
#include <string>

#include "errors/Trap.h"
#include "errors/modErroHandling.h"
#include "host/ui/MsgBox.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro {

namespace {

constexpr std::string_view kCaseIDCount = "CaseIDCount";
// The counters are reloaded alone with this section.
constexpr int32_t kCountersSection = 21;
constexpr std::string_view kCannotUndo =
    "Note: This action can't be undone once it is confirmed!";

cGlobalSettings& Settings() {
  cGlobalSettings* settings = SharedGlobalSettings();
  if (!settings) {
    throw Error(err::kObjectRequired,
                "The global settings of the helpdesk are not loaded.", "SettingsData");
  }
  return *settings;
}

// Stores `value` as the counter; false when the store refused it (the user
// was told) or failed (reported).
bool StoreCounter(int32_t value) {
  cGlobalSettings& settings = Settings();
  settings.CounterSettings.SetValue(kCaseIDCount, std::to_string(value));
  return settings.SaveCounterSettings();
}

bool Confirmed(const std::string& question) {
  return host::MsgBox(question + "\r\n" + std::string(kCannotUndo),
                      host::MsgBoxButtons::YesNo, host::MsgBoxIcon::Question,
                      host::MsgBoxDefault::Button1,
                      kApplicationTitle) == host::MsgBoxResult::Yes;
}

void ShowDone(const std::string& text) {
  host::MsgBox(text, host::MsgBoxButtons::OK, host::MsgBoxIcon::Information,
               host::MsgBoxDefault::Button1, kApplicationTitle);
}

// The whole number typed, when it is one of 0 or more that the counter can
// hold.
std::optional<int32_t> TypedCounter(std::string_view typed_value) {
  if (Trim(typed_value).empty() || !IsNumeric(typed_value)) return std::nullopt;
  // Past what the counter holds, the whole number could not be taken.
  double value = CDbl(Variant(typed_value));
  if (value < -1 || value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  int32_t whole = CLng(Variant(value));
  if (whole < 0) return std::nullopt;
  return whole;
}

}  // namespace

int32_t GetNewCaseID() {
  return Trap("SettingsData.GetNewCaseID", int32_t{0}, [] {
    // The store compares and swaps: the counter is read fresh, so numbers
    // issued by other users since our settings loaded are seen, and a number
    // someone else took meanwhile is never issued again.
    return Settings().AdvanceCounter(kCaseIDCount).value_or(0);
  });
}

int32_t SaveCaseID(int32_t value) {
  return Trap("SettingsData.SaveCaseID", int32_t{0}, [&] {
    if (value == std::numeric_limits<int32_t>::max()) throw OverflowError();
    int32_t next = value + 1;
    return StoreCounter(next) ? next : 0;
  });
}

bool ResetCaseIDCount(int32_t value) {
  return Trap("SettingsData.ResetCaseIDCount", false,
              [&] { return StoreCounter(value); });
}

int32_t GetCurrentTicketCounter() {
  return Trap("SettingsData.GetCurrentTicketCounter", int32_t{0}, [] {
    cGlobalSettings& settings = Settings();
    settings.ReloadSettings(kCountersSection);
    return CLng(settings.CounterSettings.GetValue(kCaseIDCount, VarType::Long));
  });
}

bool ResetCaseCounterToZero() {
  return Trap("CaseOptions.ResetCaseCounterToZero", false, [] {
    if (!Confirmed("Are you sure you want to reset the case ID counter to Zero (0)?"))
      return false;
    if (!ResetCaseIDCount(0)) return false;
    ShowDone("Reset of Case ID to zero (0) was successfull!");
    return true;
  });
}

bool ChangeCaseCounter(std::string_view typed_value) {
  return Trap("CaseOptions.ChangeCaseCounter", false, [&] {
    std::optional<int32_t> value = TypedCounter(typed_value);
    if (!value) return false;
    std::string text = std::to_string(*value);
    if (!Confirmed("Are you sure you want to change the case ID counter to " + text +
                   "?"))
      return false;
    if (!ResetCaseIDCount(*value)) return false;
    ShowDone("Reset of Case ID to " + text + " was successfull!");
    return true;
  });
}

}  // namespace zanvoro
