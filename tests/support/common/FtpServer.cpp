#include "tests/support/common/FtpServers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "tests/support/common/Process.h"
#include "tests/support/common/ServerStart.h"

namespace testsupport {
namespace {

thread_local std::string t_lastStartFailure;

// Fills `addr` for a numeric loopback host; returns its length, 0 when not numeric.
socklen_t loopbackAddress(const std::string& host, uint16_t port, sockaddr_storage& addr) {
  std::memset(&addr, 0, sizeof addr);
  if (auto* v4 = reinterpret_cast<sockaddr_in*>(&addr);
      inet_pton(AF_INET, host.c_str(), &v4->sin_addr) == 1) {
    v4->sin_family = AF_INET;
    v4->sin_port = htons(port);
    return sizeof(sockaddr_in);
  }
  if (auto* v6 = reinterpret_cast<sockaddr_in6*>(&addr);
      inet_pton(AF_INET6, host.c_str(), &v6->sin6_addr) == 1) {
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(port);
    return sizeof(sockaddr_in6);
  }
  return 0;
}

}  // namespace

namespace detail {

void setStartFailure(std::string reason) { t_lastStartFailure = std::move(reason); }

uint16_t pickFreePort(const std::string& host) {
  sockaddr_storage addr;
  socklen_t len = loopbackAddress(host, 0, addr);
  if (len == 0) return 0;
  int fd = socket(addr.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  uint16_t port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
    port = addr.ss_family == AF_INET ? ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port)
                                     : ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port);
  }
  close(fd);
  return port;
}

GreetingResult readGreeting(const std::string& host, uint16_t port, std::string& detail,
                            bool tlsFirst) {
  sockaddr_storage addr;
  socklen_t len = loopbackAddress(host, port, addr);
  int fd = len == 0 ? -1 : socket(addr.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    detail = "cannot make a socket for " + host;
    return GreetingResult::Other;
  }
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0) {
    close(fd);
    return GreetingResult::Refused;
  }
  if (tlsFirst) {
    close(fd);
    return GreetingResult::Ok;
  }
  std::string line;
  struct pollfd p = {fd, POLLIN, 0};
  char c;
  while (line.find('\n') == std::string::npos && poll(&p, 1, 5000) > 0 && read(fd, &c, 1) == 1) {
    line += c;
  }
  // Closed without a command, so that the probe leaves nothing in the server's command log.
  close(fd);
  detail = line;
  return line.rfind("220", 0) == 0 ? GreetingResult::Ok : GreetingResult::Other;
}

}  // namespace detail

std::string LastStartFailure() { return t_lastStartFailure; }

FtpServer::FtpServer(std::string host, std::string user, std::string password)
    : m_host(std::move(host)), m_user(std::move(user)), m_password(std::move(password)) {}

FtpServer::~FtpServer() {
  if (m_pid > 0) StopProcess(m_pid);
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
