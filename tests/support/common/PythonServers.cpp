// The servers written in Python, started with Debian's python3 (which has pyftpdlib and
// paramiko): the pyftpdlib fixture (pyftpd_server.py) and the scripted misbehaving servers of
// FTP (scripted_ftpd.py) and SSH (scripted_sshd.py).
// Each prints its port as the first line of its standard output and appends every command line
// it receives to a log file, one a line, with backslash, CR and LF escaped as "\\", "\r", "\n".
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "tests/support/common/FtpServers.h"
#include "tests/support/common/Process.h"
#include "tests/support/common/SshServers.h"

#if !defined(QP_TEST_SUPPORT_DIR) || !defined(QP_SCRIPTED_FTPD_DIR)
#error "QP_TEST_SUPPORT_DIR and QP_SCRIPTED_FTPD_DIR must name the folders of the two scripts"
#endif

namespace testsupport {
namespace {

constexpr const char* kPython = "/usr/bin/python3";

// Undoes the escaping of the command log: "\\" -> "\", "\r" -> CR, "\n" -> LF.
std::string unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      char c = text[++i];
      out += c == 'r' ? '\r' : c == 'n' ? '\n' : c;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The first line the server prints, read until a deadline.
std::string readPortLine(int fd) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  std::string line;
  struct pollfd p = {fd, POLLIN, 0};
  while (line.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    char buf[64];
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    line.append(buf, n);
  }
  return line;
}

class PythonServer : public FtpServer {
 public:
  PythonServer(std::string host, std::string user, std::string password)
      : FtpServer(std::move(host), std::move(user), std::move(password)) {}

  std::vector<std::string> commands() const override {
    std::vector<std::string> lines;
    std::error_code ec;
    if (!std::filesystem::exists(commandLog(), ec)) return lines;
    const std::string log = ReadFile(commandLog());
    size_t start = 0;
    for (size_t end; (end = log.find('\n', start)) != std::string::npos; start = end + 1) {
      lines.push_back(unescape(log.substr(start, end - start)));
    }
    return lines;
  }

  // Runs `script` with `arguments` and "--command-log FILE" and reads the port it prints.
  // Returns "" or why it failed.
  std::string start(const std::string& script, std::vector<std::string> arguments) {
    if (access(kPython, X_OK) != 0) return std::string(kPython) + " is missing";
    arguments.insert(arguments.begin(), {kPython, "-u", script});
    arguments.insert(arguments.end(), {"--command-log", commandLog()});
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return "pipe failed";
    const int errFd = open(m_work.file("server.out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ProcessOptions env;
    env.unsetEnv = {"PYTHONPATH", "PYTHONHOME", "PYTHONSTARTUP"};
    env.setEnv = {{"PYTHONDONTWRITEBYTECODE", "1"}};
    std::string error;
    m_pid = SpawnProcess(arguments, env, out[1], errFd, error);
    close(out[1]);
    if (errFd >= 0) close(errFd);
    const std::string line = m_pid > 0 ? readPortLine(out[0]) : "";
    close(out[0]);
    if (m_pid <= 0) return "cannot start " + std::string(kPython) + ": " + error;
    m_port = static_cast<uint16_t>(std::atoi(line.c_str()));
    if (m_port == 0) return script + " did not report a port; its output: " + serverOutput();
    return "";
  }

  // An SSH server: where it writes its host key, read by takeHostKeys once it runs.
  std::string knownHostsFile() const { return m_work.file("known_hosts"); }
  void takeHostKeys() { m_hostKeys = ReadFile(knownHostsFile()); }

 private:
  std::string commandLog() const { return m_work.file("commands.log"); }
};

std::unique_ptr<FtpServer> startPython(std::unique_ptr<PythonServer> server,
                                       const std::string& script,
                                       std::vector<std::string> arguments) {
  const std::string failure = server->start(script, std::move(arguments));
  return detail::Started(std::move(server), failure);
}

}  // namespace

std::unique_ptr<FtpServer> StartPyftpdlib(const PyftpdlibOptions& o) {
  auto server = std::make_unique<PythonServer>(o.ipv6 ? "::1" : "127.0.0.1", "tester", "t3st-Pass");
  std::vector<std::string> arguments = {"--host", server->host(), "--root",     server->root(),
                                        "--user", server->user(), "--password", server->password()};
  if (!o.tlsCertificate.empty()) arguments.insert(arguments.end(), {"--tls", o.tlsCertificate});
  return startPython(std::move(server), std::string(QP_TEST_SUPPORT_DIR) + "/pyftpd_server.py",
                     std::move(arguments));
}

std::unique_ptr<FtpServer> StartScriptedFtpd(const std::string& scenario,
                                             const std::string& tlsCertificate,
                                             const std::vector<std::string>& moreArguments) {
  auto server = std::make_unique<PythonServer>("127.0.0.1", "tester", "secret");
  std::vector<std::string> arguments = {scenario, "--store", server->root()};
  if (!tlsCertificate.empty()) arguments.insert(arguments.end(), {"--cert", tlsCertificate});
  arguments.insert(arguments.end(), moreArguments.begin(), moreArguments.end());
  return startPython(std::move(server), std::string(QP_SCRIPTED_FTPD_DIR) + "/scripted_ftpd.py",
                     std::move(arguments));
}

std::unique_ptr<FtpServer> StartScriptedSshd(const std::string& scenario,
                                             const std::vector<std::string>& moreArguments) {
  auto server = std::make_unique<PythonServer>("127.0.0.1", "tester", "secret");
  std::vector<std::string> arguments = {scenario, "--root", server->root(), "--known-hosts",
                                        server->knownHostsFile()};
  arguments.insert(arguments.end(), moreArguments.begin(), moreArguments.end());
  std::string failure =
      server->start(std::string(QP_SCRIPTED_FTPD_DIR) + "/scripted_sshd.py", std::move(arguments));
  if (failure.empty()) server->takeHostKeys();
  return detail::Started(std::move(server), failure);
}

}  // namespace testsupport
