#include "host/mail/servers/LoopbackServers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace zanvoro::host::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDovecot = "/usr/sbin/dovecot";
constexpr const char* kPython = "/usr/bin/python3";

void WriteText(const fs::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

bool CanConnect(int port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  close(fd);
  return ok;
}

void ChownTree(const fs::path& root, uid_t uid, gid_t gid) {
  if (chown(root.c_str(), uid, gid) != 0) return;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (chown(entry.path().c_str(), uid, gid) != 0) return;
  }
}

}  // namespace

ServerDir::ServerDir() {
  std::string pattern = (fs::temp_directory_path() / "zanvoro-server-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  fs::permissions(path_, fs::perms::owner_all | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read |
                             fs::perms::others_exec);
}

ServerDir::~ServerDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

int FreePort() {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  socklen_t length = sizeof(address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

std::string ReadLog(const fs::path& log) {
  std::ifstream in(log, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool ServerProcess::Start(const std::vector<std::string>& argv, const fs::path& log,
                          int port, const std::vector<std::string>& environment) {
  std::vector<std::string> args = argv;
  std::vector<char*> arg_pointers;
  for (std::string& a : args) arg_pointers.push_back(a.data());
  arg_pointers.push_back(nullptr);
  std::vector<std::string> env = environment;
  for (char** e = environ; *e; ++e) env.push_back(*e);
  std::vector<char*> env_pointers;
  for (std::string& e : env) env_pointers.push_back(e.data());
  env_pointers.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  int rc = posix_spawn(&pid_, args[0].c_str(), &actions, nullptr, arg_pointers.data(),
                       env_pointers.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    pid_ = 0;
    return false;
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    if (CanConnect(port)) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = 0;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Stop();
  return false;
}

void ServerProcess::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  pid_ = 0;
}

bool DovecotServer::Start(std::string& problem) {
  if (access(kDovecot, X_OK) != 0) {
    problem = "Dovecot is not installed (" + std::string(kDovecot) +
              "); scripts/install-deps.sh installs it";
    return false;
  }
  const fs::path& dir = dir_.Path();
  imap_port_ = FreePort();
  fs::create_directories(Maildir() / "new");
  fs::create_directories(Maildir() / "cur");
  fs::create_directories(Maildir() / "tmp");
  WriteText(dir / "passwd", std::string(kUser) + ":{PLAIN}" + kPassword + "\n");
  WriteText(dir / "dovecot.conf",
            "base_dir = " + (dir / "run").string() + "\n" +
                "state_dir = " + (dir / "state").string() + "\n" +
                "log_path = " + (dir / "dovecot.log").string() + "\n" +
                "ssl = no\n"
                "disable_plaintext_auth = no\n"
                "auth_failure_delay = 0\n"
                "listen = 127.0.0.1\n"
                "protocols = imap\n"
                "service imap-login {\n"
                "  inet_listener imap {\n    port = " +
                std::to_string(imap_port_) +
                "\n  }\n"
                "  inet_listener imaps {\n    port = 0\n  }\n"
                "}\n"
                "passdb {\n  driver = passwd-file\n  args = " +
                (dir / "passwd").string() +
                "\n}\n"
                "userdb {\n  driver = static\n  args = uid=nobody gid=nogroup home=" +
                (dir / "mail" / "%u").string() +
                "\n}\n"
                "mail_location = maildir:" +
                (dir / "mail" / "%u" / "Maildir").string() + "\n");
  passwd* nobody = getpwnam("nobody");
  if (nobody) ChownTree(dir / "mail", nobody->pw_uid, nobody->pw_gid);
  if (!process_.Start({kDovecot, "-F", "-c", (dir / "dovecot.conf").string()},
                      dir / "dovecot.out", imap_port_)) {
    problem = "Dovecot did not start: " + ReadLog(dir / "dovecot.out") +
              ReadLog(dir / "dovecot.log");
    return false;
  }
  return true;
}

fs::path DovecotServer::Maildir() const {
  return dir_.Path() / "mail" / kUser / "Maildir";
}

void DovecotServer::Deliver(std::string_view rfc5322) {
  std::string name = std::to_string(time(nullptr)) + ".test" + std::to_string(getpid()) +
                     "_" + std::to_string(++delivered_) + ".localhost";
  fs::path temporary = Maildir() / "tmp" / name;
  WriteText(temporary, rfc5322);
  fs::path final_path = Maildir() / "new" / name;
  fs::rename(temporary, final_path);
  if (passwd* nobody = getpwnam("nobody")) {
    if (chown(final_path.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) return;
  }
}

std::vector<fs::path> DovecotServer::Mails() const {
  std::vector<fs::path> mails;
  for (const char* sub : {"new", "cur"}) {
    for (const auto& entry : fs::directory_iterator(Maildir() / sub))
      mails.push_back(entry.path());
  }
  return mails;
}

bool SmtpSink::Start(std::string& problem, bool refuse_recipients) {
  if (access(kPython, X_OK) != 0 ||
      system("/usr/bin/python3 -c 'import aiosmtpd' >/dev/null 2>&1") != 0) {
    problem =
        "aiosmtpd is not installed for /usr/bin/python3; scripts/install-deps.sh "
        "installs it";
    return false;
  }
  const fs::path& dir = dir_.Path();
  port_ = FreePort();
  std::vector<std::string> argv = {
      kPython, "-m", "aiosmtpd", "-n", "-l", "127.0.0.1:" + std::to_string(port_), "-c"};
  std::vector<std::string> environment;
  if (refuse_recipients) {
    WriteText(dir / "refusing.py",
              "class Refuse:\n"
              "    async def handle_RCPT(self, server, session, envelope, address, "
              "rcpt_options):\n"
              "        return '550 5.1.1 No such mailbox here'\n");
    environment.push_back("PYTHONPATH=" + dir.string());
    argv.push_back("refusing.Refuse");
  } else {
    argv.push_back("aiosmtpd.handlers.Mailbox");
    argv.push_back((dir / "maildir").string());
  }
  if (!process_.Start(argv, dir / "sink.log", port_, environment)) {
    problem = "The SMTP sink did not start: " + ReadLog(dir / "sink.log");
    return false;
  }
  return true;
}

std::vector<std::string> SmtpSink::Mails() const {
  std::vector<std::string> mails;
  std::error_code error;
  for (const char* sub : {"new", "cur"}) {
    for (const auto& entry : fs::directory_iterator(dir_.Path() / "maildir" / sub, error))
      mails.push_back(ReadLog(entry.path()));
  }
  return mails;
}

}  // namespace zanvoro::host::testing
