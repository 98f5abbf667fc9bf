#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/serial/SerialPort.h"
#include "notify/sms/cTapProtocol.h"

namespace zanvoro {
namespace {

TEST(TapChecksum, IsTheSumOfTheBlockInThreeDigitsFromZero) {
  struct {
    std::string block;
    const char* checksum;
  } cases[] = {
      {std::string(7, 'x') + std::string(1, '\x5f'), "3:7"},  // 7 * 0x78 + 0x5F = 0x3A7
      {"\x02"
       "123\r"
       "ABC\r\x03",
       "17;"},  // 0x17B
      {"", "000"},
      {std::string(600, '\xff'), "5:8"},  // 0x255A8: bits 12 and up do not count
  };
  for (const auto& c : cases) EXPECT_EQ(TapChecksum(c.block), c.checksum) << c.checksum;
}

// A paging terminal behind a modem on the other side of a pseudo-terminal:
// it answers the modem commands, the "ID=" prompt and the log-on, and each
// page block with the next of `answers` (after the last: none, the
// terminal hangs up).
class PagingTerminal {
 public:
  explicit PagingTerminal(std::vector<std::string> answers, bool modem_answers = true)
      : answers_(std::move(answers)), modem_answers_(modem_answers) {
    char name[256];
    EXPECT_EQ(::openpty(&master_, &slave_, name, nullptr, nullptr), 0);
    device_ = name;
    thread_ = std::thread([this] { Play(); });
  }
  ~PagingTerminal() {
    stop_ = true;
    thread_.join();
    if (master_ >= 0) ::close(master_);
    ::close(slave_);
  }
  const std::string& Device() const { return device_; }
  std::vector<std::string> Blocks() {
    std::lock_guard lock(mutex_);
    return blocks_;
  }
  bool LoggedOff() const { return logged_off_; }

 private:
  void Send(const std::string& text) {
    (void)!::write(master_, text.data(), text.size());
  }

  void Play() {
    std::string in;
    while (!stop_ && master_ >= 0) {
      pollfd ready{master_, POLLIN, 0};
      if (::poll(&ready, 1, 10) <= 0) continue;
      char chunk[256];
      ssize_t got = ::read(master_, chunk, sizeof chunk);
      if (got <= 0) continue;
      in.append(chunk, static_cast<size_t>(got));
      while (Answer(in)) {
      }
    }
  }

  // Answers the first complete request of `in` and removes it; false when
  // none is complete yet.
  bool Answer(std::string& in) {
    auto take = [&](size_t length) { in.erase(0, length); };
    size_t end = in.find("\r\n");
    if (in.starts_with("AT") && end != std::string::npos) {
      bool dial = in.starts_with("ATDT");
      take(end + 2);
      if (modem_answers_) Send(dial ? "CONNECT 1200\r\n" : "OK\r\n");
    } else if (in.starts_with("\x1bPG1\r\n")) {
      take(6);
      Send("110 1.8\r\x06\r[p\r");
    } else if (in.starts_with("\r\x1b\x04\r\n")) {
      take(5);
      logged_off_ = true;
      Send("\x1b\x04\r");
    } else if (in.starts_with("\x02")) {
      size_t etx = in.find('\x03');
      if (etx == std::string::npos || in.size() < etx + 6) return false;
      if (in.compare(etx + 4, 2, "\r\n") != 0) return false;
      std::string block = in.substr(0, etx + 4);
      take(etx + 6);
      std::lock_guard lock(mutex_);
      blocks_.push_back(block);
      if (blocks_.size() > answers_.size()) {
        ::close(master_);
        master_ = -1;
      } else {
        Send(answers_[blocks_.size() - 1]);
      }
    } else if (in.starts_with("\r")) {
      take(1);
      if (modem_answers_) Send("ID=\r");
    } else {
      return false;
    }
    return true;
  }

  std::vector<std::string> answers_;
  bool modem_answers_;
  int master_ = -1;
  int slave_ = -1;
  std::string device_;
  std::thread thread_;
  std::atomic<bool> stop_ = false;
  std::atomic<bool> logged_off_ = false;
  std::mutex mutex_;
  std::vector<std::string> blocks_;
};

constexpr TapTiming kQuick{std::chrono::milliseconds(20), std::chrono::milliseconds(20)};
const std::string kACK = "\x06\r", kNAK = "\x15\r", kRS = "\x1e\r";

TEST(TapProtocol, PagesRepeatingRefusedBlocksUpToFourTimes) {
  const std::string block =
      "\x02"
      "4711\r"
      "Printer down\r\x03";
  struct {
    std::vector<std::string> answers;
    size_t blocks;
    bool ok_to_send;
    int32_t status;
  } cases[] = {
      {{kACK}, 1, true, kTapAccepted},
      {{kNAK, kACK}, 2, true, kTapAccepted},  // the terminal found a bad checksum
      {{kNAK, kNAK, kNAK, kNAK, kACK}, 4, false, kTapRepeat},
      {{kRS}, 1, false, kTapAbandon},
      {{"\x1b\x04\r"}, 1, false, kTapOther},
      {{kNAK}, 2, false, kTapRepeat},  // it hangs up on the repeated block
  };
  for (const auto& c : cases) {
    PagingTerminal terminal(c.answers);
    auto port = std::make_shared<host::SerialPort>();
    port->SetDevicePath(terminal.Device());
    cTapProtocol tap(kQuick);
    tap.Init(1, port);
    ASSERT_TRUE(tap.Connect("5550199"));
    EXPECT_TRUE(tap.Connected());
    ASSERT_TRUE(tap.Logon());
    EXPECT_TRUE(tap.LoggedOn() && tap.OkToSend());

    tap.SendMessage("4711", "Printer down");
    EXPECT_EQ(tap.OkToSend(), c.ok_to_send) << c.blocks;
    EXPECT_EQ(tap.LastStatus(), c.status) << c.blocks;
    EXPECT_EQ(terminal.Blocks(),
              std::vector<std::string>(c.blocks, block + TapChecksum(block)));
    tap.Disconnect();
    EXPECT_FALSE(tap.Connected() || tap.LoggedOn());
    EXPECT_EQ(terminal.LoggedOff(), !port->HungUp()) << c.blocks;
  }
}

TEST(TapProtocol, ASilentModemNeitherConnectsNorLogsOn) {
  PagingTerminal terminal({}, false);
  auto port = std::make_shared<host::SerialPort>();
  port->SetDevicePath(terminal.Device());
  cTapProtocol tap(kQuick);
  tap.Init(1, port);
  EXPECT_FALSE(tap.Connect("5550199"));
  EXPECT_FALSE(tap.Logon());
  EXPECT_FALSE(tap.Connected() || tap.LoggedOn() || tap.OkToSend());
}

}  // namespace
}  // namespace zanvoro
