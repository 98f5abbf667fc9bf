#include "host/mail/SendmailTransport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "host/mail/MailExport.h"

extern char** environ;

namespace zanvoro::host {
namespace {

constexpr int kTemporaryFailure = 75;  // EX_TEMPFAIL

// Writes `input` to the child's standard input while collecting what it
// writes on its standard error, so neither side blocks the other.
std::string Exchange(int in_fd, int err_fd, std::string_view input) {
  std::string errors;
  fcntl(in_fd, F_SETFL, fcntl(in_fd, F_GETFL) | O_NONBLOCK);
  bool in_open = true;
  if (input.empty()) {
    close(in_fd);
    in_open = false;
  }
  bool err_open = true;
  while (in_open || err_open) {
    pollfd fds[2];
    nfds_t count = 0;
    if (err_open) fds[count++] = {err_fd, POLLIN, 0};
    if (in_open) fds[count++] = {in_fd, POLLOUT, 0};
    if (poll(fds, count, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (nfds_t i = 0; i < count; ++i) {
      if (fds[i].fd == err_fd && fds[i].revents) {
        char buffer[4096];
        ssize_t n = read(err_fd, buffer, sizeof(buffer));
        if (n > 0) {
          if (errors.size() < 4096) errors.append(buffer, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
          err_open = false;
        }
      } else if (fds[i].fd == in_fd && fds[i].revents) {
        ssize_t n = write(in_fd, input.data(), input.size());
        if (n > 0) input.remove_prefix(static_cast<size_t>(n));
        if ((n < 0 && errno != EAGAIN && errno != EINTR) || input.empty()) {
          close(in_fd);
          in_open = false;
        }
      }
    }
  }
  if (in_open) close(in_fd);
  close(err_fd);
  while (!errors.empty() && (errors.back() == '\n' || errors.back() == '\r'))
    errors.pop_back();
  return errors;
}

}  // namespace

SendmailTransport::SendmailTransport(std::filesystem::path program)
    : program_(std::move(program)) {}

SendResult SendmailTransport::Send(const ExportedMail& mail) {
  std::vector<std::string> args = {program_.string(), "-i", "-f", mail.envelope_from,
                                   "--"};
  for (const std::string& to : mail.envelope_recipients) args.push_back(to);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int in_pipe[2], err_pipe[2];
  if (pipe2(in_pipe, O_CLOEXEC) != 0) return {SendStatus::Retry, std::strerror(errno)};
  if (pipe2(err_pipe, O_CLOEXEC) != 0) {
    close(in_pipe[0]);
    close(in_pipe[1]);
    return {SendStatus::Retry, std::strerror(errno)};
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in_pipe[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], STDERR_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], STDOUT_FILENO);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, program_.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in_pipe[0]);
  close(err_pipe[1]);
  if (rc != 0) {
    close(in_pipe[1]);
    close(err_pipe[0]);
    return {SendStatus::Retry,
            "Cannot run " + program_.string() + ": " + std::strerror(rc)};
  }
  // A program that stops reading early must not kill this process.
  struct sigaction ignore {
  }, previous{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &previous);
  std::string errors = Exchange(in_pipe[1], err_pipe[0], mail.rfc5322);
  sigaction(SIGPIPE, &previous, nullptr);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  std::string what = program_.filename().string();
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {SendStatus::Sent, {}};
  if (!WIFEXITED(status))
    return {SendStatus::Retry, what + " was stopped before it took the mail"};
  std::string detail = what + " refused the mail (exit status " +
                       std::to_string(WEXITSTATUS(status)) + ")" +
                       (errors.empty() ? "" : ": " + errors);
  return {
      WEXITSTATUS(status) == kTemporaryFailure ? SendStatus::Retry : SendStatus::Failed,
      detail};
}

}  // namespace zanvoro::host
