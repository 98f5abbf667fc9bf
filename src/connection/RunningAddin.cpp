#include "connection/RunningAddin.h"

namespace zanvoro {

namespace {
RunningAddin*& Registered() {
  static RunningAddin* addin = nullptr;
  return addin;
}
}  // namespace

RunningAddin* ConnectedAddin() { return Registered(); }

void SetConnectedAddin(RunningAddin* addin) { Registered() = addin; }

}  // namespace zanvoro
