#include "host/mail/ConversationIndex.h"

#include <cstdint>
#include <random>
#include <vmime/utility/encoder/b64Encoder.hpp>
#include <vmime/vmime.hpp>

namespace zanvoro::host {

namespace {

constexpr size_t kHeaderBytes = 22;
constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string ToHex(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) {
    auto b = static_cast<unsigned char>(c);
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 0x0F];
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Base64(std::string_view bytes, bool decode) {
  vmime::utility::encoder::b64Encoder coder;
  coder.getProperties()["maxlinelength"] = 1000000;
  std::string in(bytes), out;
  vmime::utility::inputStreamStringAdapter is(in);
  vmime::utility::outputStreamStringAdapter os(out);
  if (decode)
    coder.decode(is, os);
  else
    coder.encode(is, os);
  return out;
}

}  // namespace

std::string NewConversationIndex(std::chrono::system_clock::time_point when) {
  // FILETIME counts 100-nanosecond steps from 1 January 1601.
  constexpr uint64_t kUnixEpochAsFiletime = 116444736000000000ULL;
  auto since_epoch =
      std::chrono::duration_cast<std::chrono::microseconds>(when.time_since_epoch());
  uint64_t filetime =
      kUnixEpochAsFiletime + static_cast<uint64_t>(since_epoch.count()) * 10;
  std::string bytes(kHeaderBytes, '\0');
  bytes[0] = '\x01';
  for (int i = 0; i < 5; ++i)
    bytes[1 + i] = static_cast<char>((filetime >> (56 - 8 * i)) & 0xFF);
  static thread_local std::mt19937_64 random{std::random_device{}()};
  for (size_t i = 6; i < kHeaderBytes; ++i) bytes[i] = static_cast<char>(random() & 0xFF);
  // A version 4 GUID: the version and variant bits say it is random.
  bytes[6 + 7] = static_cast<char>((bytes[6 + 7] & 0x0F) | 0x40);
  bytes[6 + 8] = static_cast<char>((bytes[6 + 8] & 0x3F) | 0x80);
  return ToHex(bytes);
}

std::string ConversationIndexFromThreadIndex(std::string_view base64) {
  std::string clean;
  for (char c : base64) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
              (c >= '0' && c <= '9') || c == '+' || c == '/' || c == '=';
    if (!ok) return {};
  }
  for (char c : base64)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') clean += c;
  if (clean.size() % 4 != 0) return {};
  std::string bytes = Base64(clean, true);
  if (bytes.size() < kHeaderBytes) return {};
  return ToHex(bytes);
}

std::string ThreadIndexFromConversationIndex(std::string_view hex) {
  if (hex.empty() || hex.size() % 2 != 0) return {};
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    int hi = HexValue(hex[i]), lo = HexValue(hex[i + 1]);
    if (hi < 0 || lo < 0) return {};
    bytes += static_cast<char>(hi * 16 + lo);
  }
  return Base64(bytes, false);
}

}  // namespace zanvoro::host
