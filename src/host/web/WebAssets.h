// The web interface's style sheet and script (resources/web), compiled in.
#pragma once

namespace zanvoro::host {

class WebServer;

const char* WebAsset_css();
const char* WebAsset_js();

// Serves them as /static/zanvoro.css and /static/zanvoro.js.
void ServeWebAssets(WebServer& server);

}  // namespace zanvoro::host
