// The failure convention's reporting side: the current location, the error
// report shown for the first unexpected failure of a run, the error mail,
// the two advice windows for known failures, the trace log and the add-in's
// version. Procedures do not call ShowError themselves: they run under
// Trap (errors/Trap.h), which does. Everything here runs on the UI thread.
//
// Run state (one per loaded add-in, reset by ResetErrorState when the add-in
// connects): the current location, the error-report flag (false until the
// first report; it never goes back) and the trace switch (off).
//
// The trace switch is turned on by the environment variable ZANVORO_TRACE=1
// when the add-in connects (TraceSwitchFromEnvironment); nothing else turns
// it on. While it is off, nothing here writes to disk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zanvoro {

// Shown in every message box and window of the error report.
inline constexpr const char* kApplicationTitle = "Zanvoro Manager for Outlook";
// Where the error mail goes unless ZANVORO_ERROR_MAILBOX names another address.
inline constexpr const char* kDefaultErrorMailbox = "support@zanvoro.invalid";
// The error-reporting policy page unless ZANVORO_ERROR_POLICY_URL names another.
inline constexpr const char* kDefaultErrorPolicyPage =
    "https://zanvoro.invalid/error-reporting-policy";
// The article on repairing a damaged form cache, for ShowErrorKBDialog.
inline constexpr const char* kFormCacheArticle =
    "https://zanvoro.invalid/kb/damaged-form-cache";

// Whether the error report offers to send the mail at once.
enum class DirectSend { Hidden, Offered };
// Whether a mail (the error mail, a notification) is shown to the user
// first or sent at once. Display and Send name the same two modes.
enum class SendMode { Review, Direct, Display = Review, Send = Direct };

// Back to the state of a freshly loaded add-in: no location, no report
// shown, trace off, report windows unloaded.
void ResetErrorState();

void SetCurrentProcedure(std::string_view location);
const std::string& CurrentProcedure();
// True once an error report was shown in this run.
bool ErrorReportShown();

void SetTraceSwitch(bool on);
bool TraceSwitch();
// Sets the trace switch from ZANVORO_TRACE ("1" turns it on).
void TraceSwitchFromEnvironment();

// The six lines of the error report, each ended by CR LF. `line` is the
// failing line, 0 when unknown.
std::string ErrorReportText(std::string_view host_version, int16_t line,
                            std::string_view location, std::string_view source,
                            int32_t number, std::string_view description);
// The five lines of the known-failure report, joined by CR LF.
std::string KnownFailureReportText(std::string_view host_version, int32_t number,
                                   std::string_view description, int16_t line,
                                   std::string_view location);

// Shows the error report for the first unexpected failure of the run; later
// calls do nothing. `source` is the error's source ("ZANVORO_M" when empty).
// Never raises: a failure inside the report path is swallowed.
void ShowError(std::string_view description, int32_t number, int16_t line,
               std::string_view location, DirectSend direct_send,
               std::string_view source = {});

// Composes the error mail to the error mailbox with the report as its body:
// Review saves it and displays it for the user, Direct sends it (displaying
// it instead when sending fails). Any failure shows the critical box
// "Failed to send error email using MS Outlook!". Never raises.
void SendErrorEmail(std::string_view report, SendMode mode);
// ZANVORO_ERROR_MAILBOX, else kDefaultErrorMailbox.
std::string ErrorMailbox();
// "Exception (x.y.z) : Zanvoro Manager for Outlook".
std::string ErrorMailSubject();

// Replaces "<VNH_SETTINGFOLDER>", "<VNH_OPENFOLDER>", "<VNH_RESOLVEDFOLDER>",
// "<VNH_KBFOLDER>", "<VNH_SCHEDULEFOLDER>", "<VNH_HISTORYFOLDER>" by the
// folders' paths and "<VNH_OWNER>" by the helpdesk owner (ErrorServices).
std::string ReplaceFolderPlaceholders(std::string_view message);

// The advice windows for known failures. `message` comes back with its
// placeholders replaced. frmFriendlyError shuts the add-in down when the
// user leaves it; frmErrorKBDialog does not. Never raise.
void ShowFriendlyError(std::string& message, std::string_view description, int32_t number,
                       int16_t line, std::string_view location);
void ShowErrorKBDialog(std::string_view article, std::string& message,
                       std::string_view description, int32_t number, int16_t line,
                       std::string_view location);
// The page frmErrorKBDialog shows for `article`.
std::string KBArticlePage(std::string_view article);

// Unloads the report windows that are open (part of the shut-down).
void UnloadErrorWindows();

// "<documents>/Torvanel Logs/", created when missing; "" when there is no
// documents folder or it cannot be created.
std::string GetTraceLogFolder();
// GetTraceLogFolder() + "Zanvoro Manager for Outlook.log.txt"; "" when the
// folder is "".
std::string TraceLogFile();
// With the trace switch on, appends "<local date and time>\t<text>" as one
// line to the trace log. Empty text writes nothing; failures are ignored.
void WriteTraceLog(std::string_view text);

// The add-in's major, minor and revision numbers joined by ".", and the
// same digits joined without separators as a number (for comparisons).
std::string GetVersionString();
int32_t GetVersionNumber();

}  // namespace zanvoro
