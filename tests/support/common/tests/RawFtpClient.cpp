#include "tests/support/common/tests/RawFtpClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace testsupport {
namespace {

constexpr int kWaitMs = 5000;

bool readable(int fd) {
  struct pollfd p = {fd, POLLIN, 0};
  return poll(&p, 1, kWaitMs) > 0;
}

}  // namespace

RawFtpClient::RawFtpClient(const std::string& host, uint16_t port) {
  sockaddr_storage addr{};
  socklen_t len = 0;
  auto* v4 = reinterpret_cast<sockaddr_in*>(&addr);
  auto* v6 = reinterpret_cast<sockaddr_in6*>(&addr);
  if (inet_pton(AF_INET, host.c_str(), &v4->sin_addr) == 1) {
    v4->sin_family = AF_INET;
    v4->sin_port = htons(port);
    len = sizeof *v4;
  } else if (inet_pton(AF_INET6, host.c_str(), &v6->sin6_addr) == 1) {
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(port);
    len = sizeof *v6;
  }
  m_fd = len == 0 ? -1 : socket(addr.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (m_fd >= 0 && connect(m_fd, reinterpret_cast<sockaddr*>(&addr), len) != 0) {
    close(m_fd);
    m_fd = -1;
  }
}

RawFtpClient::~RawFtpClient() {
  if (m_fd >= 0) close(m_fd);
}

std::string RawFtpClient::readLine() {
  size_t eol;
  while ((eol = m_buffer.find("\r\n")) == std::string::npos) {
    char buf[512];
    ssize_t n = m_fd >= 0 && readable(m_fd) ? read(m_fd, buf, sizeof buf) : 0;
    if (n <= 0) return {};
    m_buffer.append(buf, n);
  }
  std::string line = m_buffer.substr(0, eol);
  m_buffer.erase(0, eol + 2);
  return line;
}

std::string RawFtpClient::reply() {
  std::string first = readLine();
  std::string all = first;
  // RFC 959 multi-line reply: "123-..." up to a line starting with "123 ".
  if (first.size() >= 4 && first[3] == '-') {
    std::string end = first.substr(0, 3) + " ";
    for (std::string line = readLine(); !line.empty(); line = readLine()) {
      all += "\n" + line;
      if (line.rfind(end, 0) == 0) break;
    }
  }
  return all;
}

std::string RawFtpClient::command(const std::string& line) {
  std::string out = line + "\r\n";
  if (m_fd < 0 || send(m_fd, out.data(), out.size(), MSG_NOSIGNAL) < 0) return {};
  return reply();
}

std::string RawFtpClient::listActive(bool extended) {
  int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (bind(listener, reinterpret_cast<sockaddr*>(&addr), len) != 0 || listen(listener, 1) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(listener);
    return "ERROR: cannot listen";
  }
  unsigned port = ntohs(addr.sin_port);
  std::string r = command(extended ? "EPRT |1|127.0.0.1|" + std::to_string(port) + "|"
                                   : "PORT 127,0,0,1," + std::to_string(port / 256) + "," +
                                         std::to_string(port % 256));
  // 125 or 150 both announce the transfer (RFC 959).
  if (r.rfind("200", 0) != 0 || (r = command("LIST"))[0] != '1') {
    close(listener);
    return "ERROR: " + r;
  }
  int data = readable(listener) ? accept4(listener, nullptr, nullptr, SOCK_CLOEXEC) : -1;
  close(listener);
  std::string listing;
  char buf[4096];
  for (ssize_t n; data >= 0 && readable(data) && (n = read(data, buf, sizeof buf)) > 0;) {
    listing.append(buf, n);
  }
  if (data >= 0) close(data);
  r = reply();
  return r.rfind("226", 0) == 0 ? listing : "ERROR: " + r;
}

}  // namespace testsupport
