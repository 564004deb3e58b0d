// A few lines of blocking socket code that speak FTP to a fixture server, so that the fixture
// tests do not depend on the FTP engine under test.
#pragma once

#include <cstdint>
#include <string>

namespace testsupport {

class RawFtpClient {
 public:
  // Connects to host:port (numeric loopback address); connected() tells whether it worked.
  RawFtpClient(const std::string& host, uint16_t port);
  ~RawFtpClient();
  RawFtpClient(const RawFtpClient&) = delete;
  RawFtpClient& operator=(const RawFtpClient&) = delete;

  bool connected() const { return m_fd >= 0; }
  // Reads one complete reply (all lines of a multi-line one); "" on a closed connection.
  std::string reply();
  // Sends `line` + CR LF and returns the reply.
  std::string command(const std::string& line);
  // Lists the current folder over an active-mode data connection to 127.0.0.1, announced
  // with PORT, or with EPRT (RFC 2428) when `extended`. Returns the listing, or
  // "ERROR: <reply>" when the server refused.
  std::string listActive(bool extended = false);

 private:
  std::string readLine();
  int m_fd = -1;
  std::string m_buffer;
};

}  // namespace testsupport
