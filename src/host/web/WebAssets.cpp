#include "host/web/WebAssets.h"

#include "host/web/WebServer.h"

namespace zanvoro::host {

void ServeWebAssets(WebServer& server) {
  server.Static("/static/zanvoro.css", "text/css; charset=utf-8", WebAsset_css());
  server.Static("/static/zanvoro.js", "text/javascript; charset=utf-8", WebAsset_js());
}

}  // namespace zanvoro::host
