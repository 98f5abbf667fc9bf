// Mail addresses as header fields write them: "Name <a@b.example>",
// "a@b.example (Name)", lists joined by commas, groups.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zanvoro::host {

struct Mailbox {
  std::string name;     // decoded (RFC 2047); "" when none is given
  std::string address;  // the plain address, as written
};

// The mailboxes of an address field's raw (unfolded, undecoded) value, in
// order. The address is the angle-addr when there is one, whatever the
// display name looks like; group names and empty groups give nothing.
// Pieces that hold no valid address are left out.
std::vector<Mailbox> ParseMailboxList(std::string_view raw);

// Whether `address` is one plain address: a local part, one "@" and a
// domain of dot-separated labels, without blanks, brackets or separators.
bool IsValidMailAddress(std::string_view address);

}  // namespace zanvoro::host
