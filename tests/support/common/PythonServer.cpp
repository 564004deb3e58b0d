// Servers written in Python (pyftpdlib, the scripted server): started with Debian's python3.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "tests/support/common/Process.h"
#include "tests/support/common/ServerStart.h"

namespace testsupport::detail {
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

std::string readPortLine(int fd) {
  auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
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

}  // namespace

std::vector<std::string> PythonServer::commands() const {
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

std::string PythonServer::start(const std::string& script, std::vector<std::string> arguments) {
  if (access(kPython, X_OK) != 0) return std::string(kPython) + " is missing";
  arguments.insert(arguments.begin(), {kPython, "-u", script});
  arguments.insert(arguments.end(), {"--command-log", commandLog()});
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return "pipe failed";
  int errFd = open(m_work.file("server.out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ProcessOptions env;
  env.unsetEnv = {"PYTHONPATH", "PYTHONHOME", "PYTHONSTARTUP"};
  env.setEnv = {{"PYTHONDONTWRITEBYTECODE", "1"}};
  std::string error;
  m_pid = SpawnProcess(arguments, env, out[1], errFd, error);
  close(out[1]);
  if (errFd >= 0) close(errFd);
  std::string line = m_pid > 0 ? readPortLine(out[0]) : "";
  close(out[0]);
  if (m_pid <= 0) return "cannot start " + std::string(kPython) + ": " + error;
  m_port = static_cast<uint16_t>(std::atoi(line.c_str()));
  if (m_port == 0) return script + " did not report a port; its output: " + serverOutput();
  return "";
}

std::unique_ptr<FtpServer> StartPythonServer(std::unique_ptr<PythonServer> server,
                                             const std::string& script,
                                             std::vector<std::string> arguments) {
  std::string failure = server->start(script, std::move(arguments));
  setStartFailure(failure);
  if (!failure.empty()) return nullptr;
  return server;
}

}  // namespace testsupport::detail
