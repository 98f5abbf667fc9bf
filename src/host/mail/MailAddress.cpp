#include "host/mail/MailAddress.h"

#include <vmime/vmime.hpp>

#include "host/mail/MimeReading.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

// One mailbox's text split into what stands outside quotes, comments and
// angle brackets (the phrase), the angle-addr and the comments.
struct Pieces {
  std::string phrase, angle, comment;
  bool has_angle = false;
};

Pieces Split(std::string_view text) {
  Pieces p;
  int depth = 0;  // comment nesting
  bool quoted = false, in_angle = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\' && i + 1 < text.size() && (quoted || depth > 0)) {
      (depth > 0 ? p.comment : p.phrase) += text[++i];
      continue;
    }
    if (depth > 0) {
      if (c == '(') ++depth;
      if (c == ')' && --depth == 0) continue;
      p.comment += c;
      continue;
    }
    if (quoted) {
      if (c == '"') {
        quoted = false;
        continue;
      }
      p.phrase += c;
      continue;
    }
    if (in_angle) {
      if (c == '>') {
        in_angle = false;
        continue;
      }
      p.angle += c;
      continue;
    }
    if (c == '"') {
      quoted = true;
    } else if (c == '(') {
      depth = 1;
      if (!p.comment.empty()) p.comment += ' ';
    } else if (c == '<' && !p.has_angle) {
      in_angle = true;
      p.has_angle = true;
    } else {
      p.phrase += c;
    }
  }
  return p;
}

// The top-level pieces of a list: commas inside quotes, comments or angle
// brackets do not split. A group's "name:" and its closing ";" go.
std::vector<std::string> ListPieces(std::string_view raw) {
  std::vector<std::string> pieces;
  std::string current;
  int depth = 0;
  bool quoted = false, in_angle = false;
  for (size_t i = 0; i < raw.size(); ++i) {
    char c = raw[i];
    if (c == '\\' && i + 1 < raw.size()) {
      current += c;
      current += raw[++i];
      continue;
    }
    if (quoted) {
      if (c == '"') quoted = false;
    } else if (depth > 0) {
      if (c == '(') ++depth;
      if (c == ')') --depth;
    } else if (in_angle) {
      if (c == '>') in_angle = false;
    } else if (c == '"') {
      quoted = true;
    } else if (c == '(') {
      depth = 1;
    } else if (c == '<') {
      in_angle = true;
    } else if (c == ',' || c == ';') {
      pieces.push_back(std::move(current));
      current.clear();
      continue;
    } else if (c == ':') {
      current.clear();  // a group's name
      continue;
    }
    current += c;
  }
  pieces.push_back(std::move(current));
  return pieces;
}

std::string Decoded(const std::string& text) {
  std::string trimmed = Trim(text);
  if (trimmed.empty()) return {};
  return Trim(TextOf(*vmime::text::decodeAndUnfold(trimmed)));
}

// Spaces, tabs and line breaks: a plain address holds none.
std::string WithoutBlanks(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') out += c;
  return out;
}

}  // namespace

bool IsValidMailAddress(std::string_view address) {
  size_t at = address.find('@');
  if (at == std::string_view::npos || at == 0 || at + 1 >= address.size()) return false;
  if (address.find('@', at + 1) != std::string_view::npos) return false;
  for (char c : address) {
    auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u == 0x7F) return false;
    if (std::string_view("<>()[],;:\"\\").find(c) != std::string_view::npos) return false;
  }
  std::string_view domain = address.substr(at + 1);
  if (domain.front() == '.' || domain.back() == '.' ||
      domain.find("..") != std::string_view::npos)
    return false;
  std::string_view local = address.substr(0, at);
  return local.front() != '.' && local.back() != '.';
}

std::vector<Mailbox> ParseMailboxList(std::string_view raw) {
  std::vector<Mailbox> boxes;
  for (const std::string& piece : ListPieces(raw)) {
    Pieces p = Split(piece);
    Mailbox box;
    if (p.has_angle) {
      std::string address = WithoutBlanks(p.angle);
      // An obsolete source route ("@relay:a@b") names the relay first.
      if (size_t colon = address.rfind(':'); colon != std::string::npos)
        address = address.substr(colon + 1);
      box.address = address;
      box.name = Decoded(p.phrase);
      if (box.name.empty()) box.name = Decoded(p.comment);
    } else {
      box.address = WithoutBlanks(p.phrase);
      box.name = Decoded(p.comment);
    }
    if (IsValidMailAddress(box.address)) boxes.push_back(std::move(box));
  }
  return boxes;
}

}  // namespace zanvoro::host
