#include "host/serial/SerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

#include "runtime/Error.h"

namespace zanvoro::host {

namespace {

constexpr const char* kSource = "SerialPort";

struct LineSettings {
  speed_t speed = B9600;
  char parity = 'N';
  int data_bits = 8;
  int stop_bits = 1;
};

speed_t SpeedOf(long baud) {
  switch (baud) {
    case 300:
      return B300;
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return B0;
  }
}

LineSettings ParseSettings(std::string_view text) {
  std::vector<std::string> parts(1);
  for (char ch : text) {
    if (ch == ',') {
      parts.emplace_back();
    } else if (ch != ' ') {
      parts.back() += ch;
    }
  }
  auto bad = [&] {
    return Error(err::kInvalidProcedureCall,
                 "bad serial settings \"" + std::string(text) +
                     "\" (expected baud,parity,data bits,stop bits such as 9600,N,8,1)",
                 kSource);
  };
  if (parts.size() != 4) throw bad();
  for (size_t i : {0u, 2u, 3u}) {
    if (parts[i].empty() || parts[i].find_first_not_of("0123456789") != std::string::npos)
      throw bad();
  }
  LineSettings line;
  line.speed = parts[0].size() > 6 ? B0 : SpeedOf(std::stol(parts[0]));
  line.parity = parts[1].size() == 1 ? static_cast<char>(std::toupper(parts[1][0])) : '?';
  line.data_bits = parts[2].size() == 1 ? parts[2][0] - '0' : 0;
  line.stop_bits = parts[3].size() == 1 ? parts[3][0] - '0' : 0;
  if (line.speed == B0 ||
      (line.parity != 'N' && line.parity != 'E' && line.parity != 'O') ||
      line.data_bits < 5 || line.data_bits > 8 || line.stop_bits < 1 ||
      line.stop_bits > 2)
    throw bad();
  return line;
}

}  // namespace

SerialPort::~SerialPort() { SetPortOpen(false); }

std::string SerialPort::DevicePath() const {
  if (!device_.empty()) return device_;
  return "/dev/ttyS" + std::to_string(port_ > 0 ? port_ - 1 : 0);
}

void SerialPort::SetSettings(std::string_view settings) {
  ParseSettings(settings);
  settings_ = std::string(settings);
  if (PortOpen()) Apply();
}

void SerialPort::SetPortOpen(bool open) {
  if (open == PortOpen()) return;
  if (!open) {
    ::close(fd_);
    fd_ = -1;
    return;
  }
  std::string device = DevicePath();
  fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) {
    throw Error(err::kFileNotFound,
                "cannot open the serial port " + device + ": " + std::strerror(errno),
                kSource);
  }
  hung_up_ = false;
  try {
    Apply();
  } catch (...) {
    SetPortOpen(false);
    throw;
  }
}

void SerialPort::Apply() {
  LineSettings line = ParseSettings(settings_);
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) {
    throw Error(err::kFileNotFound,
                DevicePath() + " is not a serial port: " + std::strerror(errno), kSource);
  }
  ::cfmakeraw(&tio);
  ::cfsetispeed(&tio, line.speed);
  ::cfsetospeed(&tio, line.speed);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  tio.c_cflag |= kSizes[line.data_bits - 5] | CLOCAL | CREAD;
  if (line.parity != 'N') tio.c_cflag |= PARENB;
  if (line.parity == 'O') tio.c_cflag |= PARODD;
  if (line.stop_bits == 2) tio.c_cflag |= CSTOPB;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
    throw Error(err::kFileNotFound,
                "cannot set up " + DevicePath() + ": " + std::strerror(errno), kSource);
  }
}

void SerialPort::Output(std::string_view text) {
  if (!PortOpen()) throw Error(err::kCallFailed, "the serial port is not open", kSource);
  while (!text.empty() && !hung_up_) {
    ssize_t written = ::write(fd_, text.data(), text.size());
    if (written > 0) {
      text.remove_prefix(static_cast<size_t>(written));
    } else if (written < 0 && errno == EINTR) {
      continue;
    } else if (written < 0 && errno == EAGAIN) {
      pollfd ready{fd_, POLLOUT, 0};
      ::poll(&ready, 1, 1000);
    } else if (written < 0 && errno == EIO) {
      hung_up_ = true;
    } else {
      throw Error(err::kCallFailed,
                  "cannot write to " + DevicePath() + ": " + std::strerror(errno),
                  kSource);
    }
  }
}

std::string SerialPort::Input(std::chrono::milliseconds wait) {
  std::string received;
  if (!PortOpen()) return received;
  if (!hung_up_) {
    pollfd ready{fd_, POLLIN, 0};
    int result = ::poll(&ready, 1, static_cast<int>(wait.count()));
    if (result > 0 && (ready.revents & POLLIN)) {
      char chunk[512];
      for (;;) {
        ssize_t got = ::read(fd_, chunk, sizeof chunk);
        if (got > 0) {
          received.append(chunk, static_cast<size_t>(got));
          continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EIO) hung_up_ = true;
        break;
      }
      return received;
    }
    if (result > 0 && (ready.revents & (POLLHUP | POLLERR))) hung_up_ = true;
    if (!hung_up_) return received;
  }
  // Nothing will come: the caller still gets the pause it asked for.
  std::this_thread::sleep_for(wait);
  return received;
}

}  // namespace zanvoro::host
