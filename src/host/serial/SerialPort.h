// A serial port driven through POSIX termios, with the members a modem
// program uses: the port number or device, the line settings
// ("9600,N,8,1"), opening and closing, writing text and collecting what
// arrives. The port is raw: no echo, no line editing, no translation of
// line ends. One thread at a time.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace zanvoro::host {

class SerialPort {
 public:
  SerialPort() = default;
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Port n is the device /dev/ttyS<n-1> unless a device path was given
  // (a USB adapter, a pseudo-terminal). Changing either does not reopen.
  void SetCommPort(int port) { port_ = port; }
  int CommPort() const { return port_; }
  void SetDevicePath(std::string path) { device_ = std::move(path); }
  std::string DevicePath() const;

  // "baud,parity,data bits,stop bits" with parity N, E or O; raises
  // Error(err::kInvalidProcedureCall) for any other text. Applied on open,
  // and at once to an open port.
  void SetSettings(std::string_view settings);
  const std::string& Settings() const { return settings_; }

  // Opening raises Error(err::kFileNotFound) naming the device when it
  // cannot be opened or set up; closing an unopened port does nothing.
  void SetPortOpen(bool open);
  bool PortOpen() const { return fd_ >= 0; }

  // Writes all of `text`. Once the other end has hung up (carrier lost),
  // the text goes nowhere and HungUp() tells so. Raises
  // Error(err::kCallFailed) when the port is closed or the write fails.
  void Output(std::string_view text);

  // What arrived, waiting up to `wait` for the first byte when nothing has
  // yet. Empty when nothing came; after a hang-up it waits out `wait`.
  std::string Input(std::chrono::milliseconds wait = std::chrono::milliseconds(0));

  bool HungUp() const { return hung_up_; }

 private:
  void Apply();

  int port_ = 1;
  std::string device_;
  std::string settings_ = "9600,N,8,1";
  int fd_ = -1;
  bool hung_up_ = false;
};

}  // namespace zanvoro::host
