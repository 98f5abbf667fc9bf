#include <gtest/gtest.h>

#include "host/mail/MailAddress.h"

namespace zanvoro::host {
namespace {

TEST(MailAddress, TheMailboxesOfAFieldAreItsAngleAddressesWhateverTheNamesSay) {
  struct {
    const char* raw;
    const char* first_name;
    const char* addresses;  // joined by " "
  } cases[] = {
      {"jang.abcdef@xyzlinu <jang.abcdef@xyzlinux12345678.it>", "jang.abcdef@xyzlinu",
       "jang.abcdef@xyzlinux12345678.it"},
      {"\"Martin, Alice\" <alice@example.com>, bob@example.com (Bob)", "Martin, Alice",
       "alice@example.com bob@example.com"},
      {"=?utf-8?Q?Ren=C3=A9e?= <renee@example.com>", "Renée", "renee@example.com"},
      {"a@example.com, b@example.com", "", "a@example.com b@example.com"},
      {"Team: c@example.com, d@example.com;, e@example.com", "",
       "c@example.com d@example.com e@example.com"},
      {"<@relay.example:f@example.com>", "", "f@example.com"},
      {"\"<script>\" <g@example.com>", "<script>", "g@example.com"},
      {"undisclosed-recipients:;", "", ""},
      {"Broken <not an address>, h@example..com, i@example.com", "", "i@example.com"},
  };
  for (const auto& c : cases) {
    std::vector<Mailbox> boxes = ParseMailboxList(c.raw);
    std::string addresses;
    for (const Mailbox& b : boxes)
      addresses += (addresses.empty() ? "" : " ") + b.address;
    EXPECT_EQ(addresses, c.addresses) << c.raw;
    if (!boxes.empty()) {
      EXPECT_EQ(boxes.front().name, c.first_name) << c.raw;
    }
  }
  for (const char* bad : {"a@b,", "a@b;c@d", "a b@c", "@b", "a@", "a@@b", "a.@b", "a@.b"})
    EXPECT_FALSE(IsValidMailAddress(bad)) << bad;
}

}  // namespace
}  // namespace zanvoro::host
