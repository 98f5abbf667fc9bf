// A paging client for alphanumeric pagers: it dials a paging terminal
// through a modem on a serial port, logs on, sends each page as a block
// with a checksum, and reads the terminal's acknowledgement. The state
// moves from port opened (Init) to connected (Connect), logged on (Logon),
// any number of SendMessage calls, and back through Disconnect.
//
// Every wait ends after its number of ticks with whatever the terminal sent
// so far; the flags and LastStatus tell the caller what happened. A call
// blocks its thread for the length of its waits (dialling: up to 100
// ticks). Failures of the port follow the failure convention: trapped,
// reported, and the call answers false. One thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zanvoro {

namespace host {
class SerialPort;
}  // namespace host

// How long the client waits: one tick of a wait, and the pause after each
// block it writes. Tests shorten them.
struct TapTiming {
  std::chrono::milliseconds tick{500};
  std::chrono::milliseconds pause_after_block{500};
};

// LastStatus values.
inline constexpr int32_t kTapAccepted = 0;
inline constexpr int32_t kTapRepeat = 1;   // NAK: the terminal asks for the block again
inline constexpr int32_t kTapAbandon = 2;  // RS: the terminal refuses the page
inline constexpr int32_t kTapOther = 3;    // any other answer

// The three checksum characters of `block`: the 16-bit sum of its byte
// values, bits 8-11, 4-7 and 0-3, each added to "0".
std::string TapChecksum(std::string_view block);

class cTapProtocol {
 public:
  explicit cTapProtocol(TapTiming timing = {});
  ~cTapProtocol();
  cTapProtocol(const cTapProtocol&) = delete;
  cTapProtocol& operator=(const cTapProtocol&) = delete;

  // Takes `serial`, closes it when open, sets it to port `port` and
  // "9600,N,8,1", and opens it.
  void Init(int port, std::shared_ptr<host::SerialPort> serial);
  // Resets and dials the modem, then asks the terminal for its "ID=";
  // true once it answered.
  bool Connect(std::string_view phone_number);
  // Logs off, hangs the modem up; Connected and LoggedOn become false.
  void Disconnect();
  // Logs on to a connected terminal; true once it accepted.
  bool Logon();
  int32_t LastStatus() const { return last_status_; }
  bool OkToSend() const { return ok_to_send_; }
  bool LoggedOn() const { return logged_on_; }
  bool Connected() const { return connected_; }
  // Sends one page, repeating the block up to four times in all while the
  // terminal asks for it again.
  void SendMessage(std::string_view pager_id, std::string_view message);

 private:
  enum class LineEnd { Append, None };
  enum class Checksum { Add, None };
  void SendBlock(std::string_view text, LineEnd line_end, Checksum checksum);
  std::string WaitFor(int ticks, std::string_view expected);
  void Collect(std::chrono::milliseconds wait);

  TapTiming timing_;
  std::shared_ptr<host::SerialPort> serial_;
  std::string buffer_;
  bool connected_ = false;
  bool logged_on_ = false;
  bool ok_to_send_ = false;
  int32_t last_status_ = kTapAccepted;
};

}  // namespace zanvoro
