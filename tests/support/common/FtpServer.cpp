#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "tests/support/common/FtpServers.h"
#include "tests/support/common/Process.h"
#include "tests/support/common/ServerStart.h"

namespace testsupport {
namespace {

thread_local std::string t_lastStartFailure;

// The IPv4 address `host` (the servers started on a port of their own choice listen there).
sockaddr_in ipv4Address(const std::string& host, uint16_t port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  inet_pton(AF_INET, host.c_str(), &addr.sin_addr);
  return addr;
}

}  // namespace

namespace detail {

void setStartFailure(std::string reason) { t_lastStartFailure = std::move(reason); }

uint16_t pickFreePort(const std::string& host) {
  sockaddr_in addr = ipv4Address(host, 0);
  socklen_t len = sizeof addr;
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const bool bound = bind(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
                     getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0;
  close(fd);
  return bound ? ntohs(addr.sin_port) : 0;
}

GreetingResult readGreeting(const std::string& host, uint16_t port, std::string& detail,
                            bool tlsFirst) {
  sockaddr_in addr = ipv4Address(host, port);
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return GreetingResult::Refused;
  }
  std::string line;
  struct pollfd p = {fd, POLLIN, 0};
  char c;
  while (!tlsFirst && line.find('\n') == std::string::npos && poll(&p, 1, 5000) > 0 &&
         read(fd, &c, 1) == 1) {
    line += c;
  }
  // Closed without a command, so that the probe leaves nothing in the server's command log.
  close(fd);
  detail = line;
  return tlsFirst || line.rfind("220", 0) == 0 ? GreetingResult::Ok : GreetingResult::Other;
}

}  // namespace detail

std::string LastStartFailure() { return t_lastStartFailure; }

FtpServer::FtpServer(std::string host, std::string user, std::string password)
    : m_host(std::move(host)), m_user(std::move(user)), m_password(std::move(password)) {}

FtpServer::~FtpServer() {
  if (m_pid > 0) StopProcess(m_pid);
}

std::vector<std::string> FtpServer::commands() const {
  ADD_FAILURE() << "this server keeps no command log";
  return {};
}

std::string FtpServer::address() const {
  std::string port = std::to_string(m_port);
  return m_host.find(':') != std::string::npos ? "[" + m_host + "]:" + port : m_host + ":" + port;
}

std::string FtpServer::serverOutput() const {
  std::error_code ec;
  std::string path = m_work.file("server.out");
  if (!std::filesystem::exists(path, ec)) return {};
  return ReadFile(path);
}

}  // namespace testsupport
