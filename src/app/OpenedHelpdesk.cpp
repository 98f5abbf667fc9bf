#include "app/OpenedHelpdesk.h"

#include <ostream>
#include <sstream>

#include "addin/ZFO_M.h"
#include "case/HelpdeskFolders.h"
#include "errors/ErrorServices.h"
#include "host/client/Application.h"
#include "host/os/Profile.h"
#include "host/ui/ConsoleRenderer.h"
#include "host/ui/Renderer.h"
#include "notify/SendSMS.h"
#include "notify/sms/SmsService.h"
#include "runtime/Error.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro::app {

OpenedHelpdesk::OpenedHelpdesk(CommandContext& context, HelpdeskNeeded needed) {
  application_ = std::make_shared<host::Application>(context.Profile(), nullptr);
  LaterSteps steps;
  AddHelpdeskFolderSteps(steps);
  InstallSettingsSteps(steps);
  auto application = application_;
  addin_ = std::make_unique<ZFO_M>(
      std::move(steps), AddinEnvironment{[application] { return application; }, {}});
  addin_->AddinInstance_OnConnection(application_, ConnectMode::CommandLine);
  // A command ends by itself: the add-in's shut-down after an advice
  // window would also end the companion process of a session beside it.
  ErrorServices services = GetErrorServices();
  services.shutdown = [] {};
  SetErrorServices(std::move(services));
  first_run_ = addin_->IsFirstRun();
  if (first_run_ && needed == HelpdeskNeeded::No) {
    addin_->EnsureOutlookSession();
    return;
  }
  if (first_run_) {
    throw Error(err::kNotFound,
                "the profile " + context.Profile().folder.string() +
                    " names no helpdesk (no Settings folder location is stored)");
  }
  if (!addin_->EnsureOutlookSession()) {
    throw Error(err::kCallFailed, "the mail session of the profile cannot be opened");
  }
  LaterSteps& hooks = addin_->Hooks();
  hooks.create(SharedObject::GlobalSettings);
  hooks.create(SharedObject::MySettings);
  if (hooks.locate_helpdesk_folders) hooks.locate_helpdesk_folders();
  if (!GetSettingsFolder()) {
    throw Error(err::kNotFound, "the helpdesk's Settings folder is not found");
  }
  hooks.read_my_settings();
  if (!hooks.load_global_settings()) {
    throw Error(err::kCallFailed, "the helpdesk's settings did not load");
  }
  // A command's notifications send their SMS as the session's do.
  InstallSmsTransport();
}

OpenedHelpdesk::~OpenedHelpdesk() {
  SetSmsTransport({});
  // Only what the command made goes (see above).
  LaterSteps& hooks = addin_->Hooks();
  hooks.release(SharedObject::GlobalSettings);
  hooks.release(SharedObject::MySettings);
  if (hooks.release) hooks.release(SharedObject::HelpdeskFolders);
}

cGlobalSettings& OpenedHelpdesk::Settings() { return *SharedGlobalSettings(); }

void WithHelpdesk(CommandContext& context,
                  const std::function<void(cGlobalSettings&)>& body) {
  std::istringstream no_answers;
  std::ostringstream shown;
  host::ScopedRenderer renderer(std::make_shared<host::ConsoleRenderer>(
      no_answers, shown, host::ConsoleMode::Unattended));
  try {
    OpenedHelpdesk helpdesk(context);
    body(helpdesk.Settings());
  } catch (...) {
    context.Err() << shown.str() << std::flush;
    throw;
  }
}

}  // namespace zanvoro::app
