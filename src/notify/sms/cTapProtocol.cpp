#include "notify/sms/cTapProtocol.h"

#include <utility>

#include "errors/Trap.h"
#include "host/serial/SerialPort.h"
#include "runtime/Error.h"

namespace zanvoro {

namespace {

constexpr char kSTX = 0x02;
constexpr char kETX = 0x03;
constexpr char kEOT = 0x04;
constexpr char kACK = 0x06;
constexpr char kCR = 0x0D;
constexpr char kNAK = 0x15;
constexpr char kESC = 0x1B;
constexpr char kRS = 0x1E;
constexpr const char* kCRLF = "\r\n";
constexpr std::string_view kLoneCR = "\r";

constexpr int kModemTicks = 10;
constexpr int kDialTicks = 100;
constexpr int kAnswerTicks = 20;
constexpr int kBlockTicks = 30;
constexpr int kIdAttempts = 5;
constexpr int kLogonAttempts = 10;
constexpr int kBlockAttempts = 4;

}  // namespace

std::string TapChecksum(std::string_view block) {
  uint16_t sum = 0;
  for (char ch : block) sum = static_cast<uint16_t>(sum + static_cast<unsigned char>(ch));
  std::string digits;
  for (int shift : {8, 4, 0}) digits += static_cast<char>(0x30 + ((sum >> shift) & 0x0F));
  return digits;
}

cTapProtocol::cTapProtocol(TapTiming timing) : timing_(timing) {}

cTapProtocol::~cTapProtocol() = default;

void cTapProtocol::Init(int port, std::shared_ptr<host::SerialPort> serial) {
  Trap("TapProtocol.Init", [&] {
    serial_ = std::move(serial);
    if (!serial_) throw Error(err::kObjectRequired, "no serial port to page through");
    if (serial_->PortOpen()) serial_->SetPortOpen(false);
    serial_->SetCommPort(port);
    serial_->SetSettings("9600,N,8,1");
    serial_->SetPortOpen(true);
  });
}

bool cTapProtocol::Connect(std::string_view phone_number) {
  return Trap("TapProtocol.Connect", false, [&] {
    SendBlock("ATZ", LineEnd::Append, Checksum::None);
    WaitFor(kModemTicks, kLoneCR);
    SendBlock("ATH", LineEnd::Append, Checksum::None);
    WaitFor(kModemTicks, kLoneCR);
    SendBlock("ATDT " + std::string(phone_number), LineEnd::Append, Checksum::None);
    if (WaitFor(kDialTicks, "CONNECT").empty()) return false;
    // The terminal answers a carriage return with its "ID=" prompt.
    for (int attempt = 0; attempt < kIdAttempts; ++attempt) {
      SendBlock(kLoneCR, LineEnd::None, Checksum::None);
      if (WaitFor(kAnswerTicks, kLoneCR).find("ID=") != std::string::npos) {
        connected_ = true;
        logged_on_ = false;
        return true;
      }
    }
    return false;
  });
}

bool cTapProtocol::Logon() {
  return Trap("TapProtocol.Logon", false, [&] {
    if (!connected_) return false;
    bool accepted = false;
    SendBlock(std::string(1, kESC) + "PG1", LineEnd::Append, Checksum::None);
    for (int attempt = 0; attempt < kLogonAttempts && !accepted; ++attempt) {
      if (WaitFor(kAnswerTicks, kLoneCR).find("[p") != std::string::npos) {
        accepted = true;
        last_status_ = kTapAccepted;
      }
    }
    ok_to_send_ = logged_on_ = accepted;
    return accepted;
  });
}

void cTapProtocol::SendMessage(std::string_view pager_id, std::string_view message) {
  Trap("TapProtocol.SendMessage", [&] {
    std::string block = std::string(1, kSTX) + std::string(pager_id) + kCR +
                        std::string(message) + kCR + kETX;
    ok_to_send_ = false;
    for (int attempt = 0; attempt < kBlockAttempts; ++attempt) {
      SendBlock(block, LineEnd::None, Checksum::Add);
      SendBlock("", LineEnd::Append, Checksum::None);
      std::string answer = WaitFor(kBlockTicks, kLoneCR);
      if (answer.empty()) return;
      // The answer is one control character followed by a carriage return.
      char code = answer.size() >= 2 ? answer[answer.size() - 2] : '\0';
      if (code == kACK) {
        last_status_ = kTapAccepted;
        ok_to_send_ = true;
        return;
      }
      if (code == kNAK) {
        last_status_ = kTapRepeat;
        continue;
      }
      last_status_ = code == kRS ? kTapAbandon : kTapOther;
      return;
    }
  });
}

void cTapProtocol::Disconnect() {
  Trap("TapProtocol.Disconnect", [&] {
    SendBlock(std::string{kCR, kESC, kEOT}, LineEnd::Append, Checksum::None);
    WaitFor(kModemTicks, kLoneCR);
    for (int i = 0; i < 2; ++i) {
      SendBlock("ATH", LineEnd::Append, Checksum::None);
      WaitFor(kModemTicks, kLoneCR);
    }
    connected_ = logged_on_ = false;
  });
}

void cTapProtocol::SendBlock(std::string_view text, LineEnd line_end, Checksum checksum) {
  if (!serial_) throw Error(err::kObjectRequired, "the paging client has no serial port");
  std::string out(text);
  if (checksum == Checksum::Add) out += TapChecksum(text);
  if (line_end == LineEnd::Append) out += kCRLF;
  buffer_.clear();
  serial_->Output(out);
  Collect(timing_.pause_after_block);
}

std::string cTapProtocol::WaitFor(int ticks, std::string_view expected) {
  if (expected.empty()) {
    Collect(timing_.tick * 2 * ticks);
    return buffer_;
  }
  for (int tick = 0; tick < ticks; ++tick) {
    if (buffer_.find(expected) != std::string::npos) break;
    Collect(timing_.tick);
  }
  return buffer_;
}

// Adds to the buffer what the terminal sends during `wait`.
void cTapProtocol::Collect(std::chrono::milliseconds wait) {
  auto until = std::chrono::steady_clock::now() + wait;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        until - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      buffer_ += serial_->Input();
      return;
    }
    buffer_ += serial_->Input(left);
  }
}

}  // namespace zanvoro
