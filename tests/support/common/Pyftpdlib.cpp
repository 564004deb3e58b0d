// The pyftpdlib fixture: runs pyftpd_server.py with Debian's python3.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "tests/support/common/FtpServers.h"
#include "tests/support/common/Process.h"
#include "tests/support/common/ServerStart.h"

#ifndef QP_TEST_SUPPORT_DIR
#error "QP_TEST_SUPPORT_DIR must name the folder of pyftpd_server.py"
#endif

namespace testsupport {
namespace {

constexpr const char* kPython = "/usr/bin/python3";

// Undoes the escaping of pyftpd_server.py: "\\" -> "\", "\r" -> CR, "\n" -> LF.
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

class PyftpdlibServer : public FtpServer {
 public:
  explicit PyftpdlibServer(const PyftpdlibOptions& o)
      : FtpServer(o.ipv6 ? "::1" : "127.0.0.1", o.user, o.password) {}

  std::vector<std::string> commands() const override {
    std::vector<std::string> lines;
    std::error_code ec;
    if (!std::filesystem::exists(commandLog(), ec)) return lines;
    std::string log = ReadFile(commandLog());
    size_t start = 0;
    for (size_t end; (end = log.find('\n', start)) != std::string::npos; start = end + 1) {
      lines.push_back(unescape(log.substr(start, end - start)));
    }
    return lines;
  }

  std::string commandLog() const { return m_work.file("commands.log"); }

  // Starts the script and reads the port it prints. Returns "" or why it failed.
  std::string start(const PyftpdlibOptions& o) {
    std::vector<std::string> argv = {
        kPython,      "-u",       std::string(QP_TEST_SUPPORT_DIR) + "/pyftpd_server.py",
        "--host",     m_host,     "--root",
        root(),       "--user",   m_user,
        "--password", m_password, "--command-log",
        commandLog()};
    if (o.anonymous) argv.push_back("--anonymous");
    if (o.anonymousWrite) argv.push_back("--anonymous-write");
    for (const auto& folder : o.readOnlyFolders) {
      std::error_code ec;
      std::filesystem::create_directories(m_root.file(folder), ec);
      argv.insert(argv.end(), {"--read-only", folder});
    }
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return "pipe failed";
    int errFd = open(m_work.file("server.out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ProcessOptions env;
    env.unsetEnv = {"PYTHONPATH", "PYTHONHOME", "PYTHONSTARTUP"};
    env.setEnv = {{"PYTHONDONTWRITEBYTECODE", "1"}};
    std::string error;
    m_pid = SpawnProcess(argv, env, out[1], errFd, error);
    close(out[1]);
    if (errFd >= 0) close(errFd);
    std::string line = m_pid > 0 ? readPortLine(out[0]) : "";
    close(out[0]);
    if (m_pid <= 0) return "cannot start " + std::string(kPython) + ": " + error;
    m_port = static_cast<uint16_t>(std::atoi(line.c_str()));
    if (m_port == 0) return "pyftpdlib did not report a port; its output: " + serverOutput();
    return "";
  }

 private:
  static std::string readPortLine(int fd) {
    auto deadline = std::chrono::steady_clock::now() + detail::kStartTimeout;
    std::string line;
    while (line.find('\n') == std::string::npos) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      struct pollfd p = {fd, POLLIN, 0};
      if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
      char buf[64];
      ssize_t n = read(fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      line.append(buf, n);
    }
    return line;
  }
};

}  // namespace

std::unique_ptr<FtpServer> StartPyftpdlib(const PyftpdlibOptions& options) {
  if (access(kPython, X_OK) != 0) {
    detail::setStartFailure(std::string(kPython) + " is missing (install python3-pyftpdlib)");
    return nullptr;
  }
  auto server = std::make_unique<PyftpdlibServer>(options);
  std::string failure = server->start(options);
  detail::setStartFailure(failure);
  if (!failure.empty()) return nullptr;
  return server;
}

}  // namespace testsupport
