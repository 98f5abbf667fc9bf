#include "host/net/HttpClient.h"

#include <curl/curl.h>

#include <cctype>
#include <memory>
#include <mutex>

#include "runtime/Error.h"

namespace zanvoro::host {

namespace {

void InitialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t AppendBody(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};

// One request; `post` null for a GET.
HttpResponse Perform(const std::string& url, const std::string_view* post,
                     const HttpLimits& limits, const char* source) {
  InitialiseCurlOnce();
  std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
  if (!easy) throw Error(err::kOutOfMemory, "cannot start an HTTP request", source);
  HttpResponse response;
  char message[CURL_ERROR_SIZE] = {};
  CURL* handle = easy.get();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  if (post) {
    curl_easy_setopt(handle, CURLOPT_POST, 1L);
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, post->empty() ? "" : post->data());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(post->size()));
  } else {
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
  }
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
  // Timeouts through signals do not mix with the program's own handlers.
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(limits.connect.count()));
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.total.count()));
  curl_easy_setopt(handle, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, message);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &AppendBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &response.body);
  CURLcode code = curl_easy_perform(handle);
  if (code != CURLE_OK) {
    std::string cause = message[0] ? message : curl_easy_strerror(code);
    throw Error(err::kNetworkError, "no answer from " + UrlHost(url) + ": " + cause,
                source);
  }
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &response.status);
  return response;
}

}  // namespace

HttpResponse HttpGet(const std::string& url, const HttpLimits& limits) {
  return Perform(url, nullptr, limits, "HttpGet");
}

HttpResponse HttpPost(const std::string& url, std::string_view body,
                      const HttpLimits& limits) {
  return Perform(url, &body, limits, "HttpPost");
}

std::string UrlHost(std::string_view url) {
  size_t start = url.find("://");
  start = start == std::string_view::npos ? 0 : start + 3;
  std::string_view rest = url.substr(start);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  if (size_t at = rest.rfind('@'); at != std::string_view::npos)
    rest.remove_prefix(at + 1);
  rest = rest.substr(0, rest.find(':'));
  std::string host;
  for (char ch : rest)
    host += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return host;
}

}  // namespace zanvoro::host
