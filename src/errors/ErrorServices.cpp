#include "errors/ErrorServices.h"

namespace zanvoro {

namespace {
ErrorServices& Services() {
  static ErrorServices services;
  return services;
}
}  // namespace

void SetErrorServices(ErrorServices services) { Services() = std::move(services); }

const ErrorServices& GetErrorServices() { return Services(); }

}  // namespace zanvoro
