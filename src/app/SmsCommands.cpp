// `zanvoro sms send NUMBER TEXT` and `zanvoro sms gateways`: a technician
// sends one SMS from a shell through the helpdesk's SMS service, and an
// administrator sees the gateways to choose from. The service and the
// gateway's fields are shared settings (`zanvoro settings set
// sdoSMSGatewayName SMSGateway2` ...).
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "app/CommandContext.h"
#include "app/Commands.h"
#include "app/OpenedHelpdesk.h"
#include "notify/SendSMS.h"
#include "notify/sms/SmsGateways.h"
#include "runtime/Error.h"
#include "settings/SettingsSteps.h"

namespace zanvoro::app {

void AddSmsCommands(CLI::App& app, CommandContext& context) {
  struct Arguments {
    std::string number, text;
  };
  auto args = std::make_shared<Arguments>();

  CLI::App* sms =
      app.add_subcommand("sms", "Send SMS through the helpdesk's SMS service");
  sms->require_subcommand(1);
  CLI::App* send = sms->add_subcommand(
      "send", "Send one SMS; prints the service's answer (exit code 1 when not sent)");
  send->add_option("NUMBER", args->number, "Phone number; several joined by \",\"")
      ->required();
  send->add_option("TEXT", args->text, "The message")->required();
  send->callback([&context, args] {
    WithHelpdesk(context, [&](cGlobalSettings&) {
      std::string result = SendSMS(args->number, args->text, nullptr);
      if (!SmsSucceeded(result)) throw Error(err::kCallFailed, result);
      context.Out() << result << std::endl;
    });
  });

  CLI::App* gateways = sms->add_subcommand(
      "gateways", "List the HTTP gateways: identifier, address setting, current address");
  gateways->callback([&context] {
    WithHelpdesk(context, [&](cGlobalSettings&) {
      for (const SmsGateway& gateway : SmsGateways()) {
        std::string setting = GatewayAddressSetting(gateway.number);
        std::string address = GeneralSettingText(setting);
        context.Out() << gateway.identifier << "\t" << setting << "\t"
                      << (address.empty() ? DefaultGatewayAddress(gateway) : address)
                      << std::endl;
      }
    });
  });
}

}  // namespace zanvoro::app
